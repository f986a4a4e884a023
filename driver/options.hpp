#pragma once
// The program's command line: the map, the studied box, the resolution and
// where the results go, with the built-in map as defaults, and the checks
// every input passes before anything runs.

#include "pipeline.hpp"
#include "plot.hpp"

#include <limits>
#include <optional>
#include <string>
#include <vector>
#include <utility>

/// Everything a run is told on its command line. The defaults are the
/// built-in map, so that a run without options is the built-in run.
struct run_options {
    /// The two components in x and y, as given (blanks included).
    std::string first_component = "x+0.2*y";
    std::string second_component = "y^3-x*y";
    /// The studied box, as (lower, upper) bounds of x and of y.
    std::pair<double, double> x_range{-0.2, 0.33};
    std::pair<double, double> y_range{-0.7, 0.61};
    /// Equal parts per side of the paving and of the two grids.
    int resolution = 25;
    /// Folder of the two LaTeX pictures, created when missing.
    std::string output_dir = "output";
    /// Whether the interactive window is opened after the analysis.
    bool window = true;
    /// The JSON results file; empty for none.
    std::string json_file;
    /// The plot of the results, SVG, PDF or PNG by its extension; empty for none.
    std::string plot_file;
    /// The plot's page, width and height in centimetres.
    std::pair<double, double> plot_size{24, 13.5};
    /// "equal" for equal scales on both axes of a plane, "free" for each axis its own.
    std::string plot_aspect = "equal";
    /// Whether the crossing searches write their diagnostic lines.
    bool verbose = false;
    /// How often --quiet is given: from 1 no report on standard output, from
    /// 2 no summary on the error stream either.
    int quiet = 0;
    /// Seconds after which the analysis stops; infinite for no limit.
    double time_limit = std::numeric_limits<double>::infinity();
    /// Whether a run whose counts are not all exact ends with incomplete_status.
    bool strict = false;
    /// The target points A,B given to --preimages, as written.
    std::vector<std::string> preimage_points;
};

/// What main does after reading the command line.
struct command_line_outcome {
    /// Go on with the run.
    bool run = false;
    /// The status to exit with when not running.
    int exit_status = 0;
};

/// The exit status of any bad input.
constexpr int bad_input_status = 2;
/// The exit status of a run whose report or files could not all be written.
constexpr int unwritten_output_status = 1;
/// The exit status of a run stopped by its time limit or an interrupt.
constexpr int stopped_status = 3;
/// The exit status, under --strict, of a run that left a count incomplete.
constexpr int incomplete_status = 4;

/// Reads argv into options and checks every input. Help and version are
/// written to standard output (status 0); a bad input is one message on the
/// error stream, naming the option and the problem (status 2).
command_line_outcome read_command_line(int argc, const char* const* argv, run_options& options);

/// The point A,B of text: two finite numbers; none when text is not one.
std::optional<std::pair<double, double>> target_point(const std::string& text);

/// The problem with the inputs, naming the option; "" when they are sound.
std::string input_problem(const run_options& options);

/// The problem with what the analysis is given (the map, the box, the
/// resolution and the time limit; not the outputs), naming the option; "" when
/// they are sound.
std::string analysis_problem(const run_options& options);

/// text without its blanks. In a text that parses completely no two names or
/// numbers stand side by side, so removing the blanks between tokens keeps
/// every token; the scanner would echo them into the report.
std::string without_blanks(const std::string& text);

/// The analysis input the options describe, the components without their blanks.
analysis_input analysis_input_of(const run_options& options);

/// The page of the plot the options ask for.
plot_page plot_page_of(const run_options& options);

/// The results file name that stands for standard output.
inline const char* const standard_output_name = "-";

/// Whether the report goes to standard output: not under --quiet, nor when
/// the results file takes standard output.
inline bool report_shown(const run_options& options)
{
    return options.quiet == 0 && options.json_file != standard_output_name;
}

/// What is wrong with a component text in x and y, "" when it is sound.
std::string component_problem(const std::string& text);

/// What keeps a results file from being written, "" when nothing does
/// (nothing keeps standard output, "-").
std::string json_file_problem(const std::string& file);

/// A number as the messages show it: the shortest text that reads back to it.
std::string number_text(double d);

/// Where the picture of the source grid (true) or of the target grid (false) goes.
std::string picture_file(const run_options& options, bool source);
