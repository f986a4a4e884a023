// The time limit and the interrupt handler of a run.

#include "stopping.hpp"

#include "stop_request.hpp"

#include <csignal>
#include <iostream>

namespace {

/// Whether an interrupt came (rather than the deadline).
volatile std::sig_atomic_t interrupted = 0;

/// The first interrupt asks the searches to stop; the handler is then reset
/// (SA_RESETHAND), so a second one ends the program as usual.
extern "C" void on_interrupt(int)
{
    interrupted = 1;
    request_stop();
}

}  // namespace

void stop_analysis_at(double seconds)
{
    set_stop_deadline(seconds);
    struct sigaction action {};
    action.sa_handler = on_interrupt;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESETHAND | SA_RESTART;
    sigaction(SIGINT, &action, nullptr);
}

stop_cause analysis_stop()
{
    if (!stop_seen()) return stop_cause::none;
    return interrupted ? stop_cause::interrupt : stop_cause::time_limit;
}

void note_stop(stop_cause cause, double seconds)
{
    if (cause == stop_cause::none) return;
    std::cerr << "plisse: the analysis stopped ";
    if (cause == stop_cause::interrupt)
        std::cerr << "on an interrupt";
    else
        std::cerr << "at its time limit of " << seconds << " s";
    std::cerr << "; every result given is proved, and what the searches did not reach is counted as undecided"
              << std::endl;
}
