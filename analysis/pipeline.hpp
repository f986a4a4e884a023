#pragma once
// The analysis of one map from end to end, in the order the program runs it,
// without a window: construction, injectivity, images, the critical-point
// report and the overlap lists, each step timed.

#include "diagnosis.hpp"
#include "plisse.hpp"

#include <functional>
#include <string>
#include <vector>

/// What one run analyses: the two components in x and y, the studied box and
/// the number of equal parts per side of its paving.
struct analysis_input {
    std::string first_component;
    std::string second_component;
    domain box;
    int resolution = 25;
    /// Points of the target whose preimages in the box are counted.
    std::vector<std::pair<double, double>> preimage_points = {};
};

/// The program's built-in map: ("x+0.2*y", "y^3-x*y") over [−0.2, 0.33] × [−0.7, 0.61], paved 25 × 25.
analysis_input built_in_input();

/// Wall-clock seconds of each step of one run, in run order.
struct step_times {
    double construction = 0.0;
    double diagnosis = 0.0;
    double one_to_one = 0.0;
    double image = 0.0;
    double critical_points = 0.0;
    double relation = 0.0;
    double relation2 = 0.0;

    double total() const
    {
        return construction + diagnosis + one_to_one + image + critical_points + relation + relation2;
    }
};

/// How a run reports as it goes: the diagnoses of the map before the
/// searches, the searches' diagnostic lines in the report, and their progress.
struct search_reporting {
    bool verbose = false;
    progress_report progress;
    /// Told the diagnoses, when set, as soon as they are made.
    std::function<void(const std::vector<diagnosis>&)> diagnosed;
};

/// A finished run: the analysis object holding every result, the diagnoses
/// of its map, and the time of each step.
struct analysis_run {
    plisse analysis;
    std::vector<diagnosis> diagnoses;
    step_times times;
    /// Whitney stability on the box, from what the searches proved.
    stability_verdict stability = {};
    /// The preimage count of each of the input's preimage points, in order.
    std::vector<preimage_count> preimages = {};
};

/// Runs the whole analysis of input: the constructor, the diagnoses,
/// one_to_one(), image(), critical_points(box), relation() and relation2(),
/// then the stability verdict and the preimage counts.
/// The report goes to standard output.
analysis_run run_analysis(const analysis_input& input, const search_reporting& reporting = {});
