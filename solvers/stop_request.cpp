// The stop request: two lock-free atomics, so that a signal handler may raise it.

#include "stop_request.hpp"

#include <atomic>
#include <chrono>

namespace {

using clock_type = std::chrono::steady_clock;

/// Seconds beyond which a time limit is no limit: about 30 years.
constexpr double longest_limit = 1e9;

std::atomic<bool> requested{false};
/// The deadline in ticks of the steady clock; 0 for none.
std::atomic<clock_type::rep> deadline{0};

static_assert(std::atomic<bool>::is_always_lock_free, "a signal handler must be able to raise the request");

}  // namespace

void set_stop_deadline(double seconds)
{
    // Beyond a few decades (or for no number) there is no deadline; the clock's
    // ticks would overflow long before.
    if (!(seconds > 0.0 && seconds < longest_limit)) {
        deadline = 0;
        return;
    }
    const auto span = std::chrono::duration_cast<clock_type::duration>(std::chrono::duration<double>(seconds));
    deadline = (clock_type::now() + span).time_since_epoch().count();
}

void request_stop() { requested = true; }

bool stop_requested()
{
    if (requested) return true;
    const clock_type::rep at = deadline;
    if (at != 0 && clock_type::now().time_since_epoch().count() >= at) requested = true;
    return requested;
}

bool stop_seen() { return requested; }

void clear_stop_request()
{
    requested = false;
    deadline = 0;
}
