// The analysis pipeline of the program, without a window.

#include "pipeline.hpp"

#include <chrono>

namespace {

using clock_type = std::chrono::steady_clock;

/// Seconds since start, and start moved to now.
double lap(clock_type::time_point& start)
{
    const clock_type::time_point now = clock_type::now();
    const double seconds = std::chrono::duration<double>(now - start).count();
    start = now;
    return seconds;
}

}  // namespace

analysis_input built_in_input()
{
    return {"x+0.2*y", "y^3-x*y", domain{{"x", interval(-0.2, 0.33)}, {"y", interval(-0.7, 0.61)}}, 25};
}

analysis_run run_analysis(const analysis_input& input, const search_reporting& reporting)
{
    clock_type::time_point start = clock_type::now();
    analysis_run run{plisse(expression(input.first_component), expression(input.second_component),
                            mesh(input.box, input.resolution)),
                     {},
                     {},
                     {},
                     {}};
    run.analysis.verbose = reporting.verbose;
    run.analysis.progress = reporting.progress;
    step_times& t = run.times;
    t.construction = lap(start);
    run.diagnoses = diagnose(run.analysis, input.box);
    if (reporting.diagnosed) reporting.diagnosed(run.diagnoses);
    t.diagnosis = lap(start);
    run.analysis.one_to_one();
    t.one_to_one = lap(start);
    run.analysis.image();
    t.image = lap(start);
    run.analysis.critical_points(input.box);
    t.critical_points = lap(start);
    run.analysis.relation();
    t.relation = lap(start);
    run.analysis.relation2();
    t.relation2 = lap(start);
    run.stability = run.analysis.stability();
    for (const auto& [a, b] : input.preimage_points) run.preimages.push_back(run.analysis.preimages(a, b));
    return run;
}
