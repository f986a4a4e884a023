// plisse: proves how a map of the plane folds a rectangle, prints the report,
// writes the pictures of the grid and of its image (and the results file when
// asked), and shows the results in an interactive window. The map, the box
// and the resolution come from the command line; without options they are
// the built-in map's. "plisse flow ..." integrates a vector field instead,
// and "plisse sweep ..." analyses a family of maps over a parameter.

#include "counts.hpp"
#include "flow_command.hpp"
#include "grille.hpp"
#include "json_report.hpp"
#include "options.hpp"
#include "plot_file.hpp"
#include "summary.hpp"
#include "view_setup.hpp"
#include "pipeline.hpp"
#include "stopping.hpp"
#include "sweep_command.hpp"
#include "viewer.hpp"

#include <unistd.h>

#include <filesystem>
#include <iostream>
#include <memory>
#include <streambuf>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

/// Writes grid g as the LaTeX picture file, creating its folder when missing;
/// a picture that cannot be written is named on the error stream and the run
/// goes on. Whether it was written.
bool write_picture(const grille& g, const std::string& file)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    if (g.dessine_latex(file))
        return true;
    std::cerr << "plisse: cannot write the picture " << file;
    if (error)
        std::cerr << " (" << error.message() << ")";
    std::cerr << std::endl;
    return false;
}

/// The window, opened unless the options ask for none; a window that cannot
/// be opened is explained on the error stream and the run goes on without it.
std::unique_ptr<window> open_window(const run_options& options)
{
    if (!options.window)
        return nullptr;
    auto screen = std::make_unique<window>();
    if (!screen->is_open())
        std::cerr << "plisse: no window can be opened (" << screen->failure()
                  << "); the report and the pictures are produced without it" << std::endl;
    return screen;
}

/// Shows where the searches are on the error stream: on one line rewritten in
/// place, or line after line where the report shares the terminal (its lines
/// would break into a line rewritten in place).
progress_report progress_display(bool in_place)
{
    return [in_place](const char* search, int pass, int candidates) {
        std::cerr << (in_place ? "\r" : "") << "plisse: " << search << ", pass " << pass << ": " << candidates
                  << " candidates" << (in_place ? "\033[K" : "\n") << std::flush;
    };
}

/// Writes each diagnosis on the error stream.
void note_diagnoses(const std::vector<diagnosis>& diagnoses)
{
    for (const diagnosis& d : diagnoses) std::cerr << "plisse: " << d.message << std::endl;
}

/// Runs the analysis of input, telling the diagnoses of its map before the
/// searches; the searches show their progress when the error stream is a
/// terminal, and a line rewritten in place is cleared at the end.
analysis_run analyse(const analysis_input& input, const run_options& options)
{
    search_reporting reporting;
    reporting.verbose = options.verbose;
    reporting.diagnosed = note_diagnoses;
    if (isatty(STDERR_FILENO) != 1)
        return run_analysis(input, reporting);
    const bool in_place = !report_shown(options) || isatty(STDOUT_FILENO) != 1;
    reporting.progress = progress_display(in_place);
    analysis_run run = run_analysis(input, reporting);
    if (in_place)
        std::cerr << "\r\033[K" << std::flush;
    return run;
}

/// Names on the error stream each crossing search that left candidate pairs
/// undecided: the report still says "exactly", but its count is then only a
/// lower bound (every crossing it counts is proved; some may be missing).
void note_undecided(const undecided_counts& undecided)
{
    const std::pair<const char*, int> searches[] = {
        {"transversal intersections of fold curves in the target", undecided.fold_fold},
        {"transversal intersections of boundary curves in the target", undecided.boundary_boundary},
        {"intersections of fold curves with the boundary", undecided.fold_boundary}};
    for (const auto& [search, count] : searches) {
        if (count > 0)
            std::cerr << "plisse: the search for " << search << " left " << count
                      << " candidate pairs undecided: the number the report gives is a lower bound" << std::endl;
    }
}

/// How the run went, for the results file.
run_record record_of(int argc, const char* const* argv, stop_cause stop)
{
    return {std::vector<std::string>(argv, argv + argc), stop == stop_cause::none, stop == stop_cause::time_limit,
            stop == stop_cause::interrupt};
}

/// Writes the results file when the options ask for one (to standard output
/// for "-"); false when it cannot be written.
bool write_results_file(const analysis_input& input, const analysis_run& run, const run_record& record,
                        const run_options& options)
{
    if (options.json_file.empty()) return true;
    const nlohmann::json document = results_json(input, run, record);
    if (options.json_file == standard_output_name ? write_results(document, std::cout)
                                                   : write_results(document, options.json_file))
        return true;
    std::cerr << "plisse: cannot write the results file " << options.json_file << std::endl;
    return false;
}

/// Discards what is written to it.
class discarding_buffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
};

/// While it lives, what is written to standard output through std::cout
/// (the report) is discarded.
class silenced_report {
public:
    silenced_report() : kept_(std::cout.rdbuf(&discarded_)) {}
    ~silenced_report() { std::cout.rdbuf(kept_); }
    silenced_report(const silenced_report&) = delete;
    silenced_report& operator=(const silenced_report&) = delete;

private:
    discarding_buffer discarded_;
    std::streambuf* kept_;
};

/// The analysis of input, its report on standard output only when the options want it.
analysis_run analyse_reporting(const analysis_input& input, const run_options& options)
{
    if (report_shown(options)) return analyse(input, options);
    const silenced_report silenced;
    return analyse(input, options);
}

/// How the summary names a file written: standard output for "-".
std::string shown_file(const std::string& file)
{
    return file == standard_output_name ? "standard output" : file;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::string(argv[1]) == "flow")
        return flow_command(argc - 1, argv + 1);
    if (argc > 1 && std::string(argv[1]) == "sweep")
        return sweep_command(argc - 1, argv + 1);
    run_options options;
    const command_line_outcome outcome = read_command_line(argc, argv, options);
    if (!outcome.run)
        return outcome.exit_status;

    viewer view;
    const std::unique_ptr<window> screen = open_window(options);

    const analysis_input input = analysis_input_of(options);
    const expression e1(input.first_component);
    const expression e2(input.second_component);
    const double x_low = inf(input.box.get("x"));
    const double x_high = sup(input.box.get("x"));
    const double y_low = inf(input.box.get("y"));
    const double y_high = sup(input.box.get("y"));
    const grille source_grid(x_low, y_low, x_high, y_high, input.resolution);
    const grille target_grid(e1, e2, x_low, y_low, x_high, y_high, input.resolution);
    std::vector<std::string> files;
    bool pictures_written = true;
    for (const bool source : {true, false}) {
        const std::string file = picture_file(options, source);
        if (write_picture(source ? source_grid : target_grid, file)) {
            files.push_back(file);
        } else {
            pictures_written = false;
        }
    }

    stop_analysis_at(options.time_limit);
    const analysis_run run = analyse_reporting(input, options);
    note_undecided(run.analysis.undecided);
    const stop_cause stop = analysis_stop();
    note_stop(stop, options.time_limit);
    bool written = write_results_file(input, run, record_of(argc, argv, stop), options) && pictures_written;
    if (written && !options.json_file.empty()) files.push_back(shown_file(options.json_file));
    if (!options.plot_file.empty()) {
        if (write_plot_file(input, run, options.plot_file, plot_page_of(options))) {
            files.push_back(options.plot_file);
        } else {
            std::cerr << "plisse: cannot write the plot " << options.plot_file << std::endl;
            written = false;
        }
    }
    if (options.quiet < 2) write_summary(std::cerr, input, run, files);

    if (screen && screen->is_open()) {
        set_up_view(view, input, run, target_grid, options.output_dir);
        view.run(run.analysis.res, source_grid, target_grid);
    }
    if (!written) return unwritten_output_status;
    if (stop != stop_cause::none) return stopped_status;
    return options.strict && !all_complete(run.analysis) ? incomplete_status : 0;
}
