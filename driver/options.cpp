// Reading the command line, and checking every input before anything runs:
// a run that starts is a run whose inputs the analysis can handle soundly.

#include "options.hpp"

#include "node.hpp"
#include "plot.hpp"
#include "viewer_keys.hpp"
#include "output_check.hpp"
#include "swallowed_option.hpp"
#include "text_excerpt.hpp"

#include <CLI/CLI.hpp>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <limits>
#include <sstream>
#include <system_error>

namespace {

namespace fs = std::filesystem;

/// Largest magnitude of an exponent. The analysis differentiates the
/// components up to about the fifth order, which multiplies exponents into
/// coefficients; up to here these products stay exact in double.
constexpr double largest_exponent = 1000;

/// Characters of a component text (blanks aside) at most. The analysis
/// differentiates the components several times over and evaluates the
/// results on every box it examines; beyond some ten thousand terms its
/// first steps alone would take minutes.
constexpr std::size_t longest_component = 50000;

/// Bytes one cell may take besides its overlap lists (its box, its image box,
/// its points of the two grids, its list headers), generously.
constexpr double bytes_per_cell = 1024;

/// Cell indices per cell the overlap lists hold on a map that folds the box
/// a few times (about a dozen on the built-in map), generously.
constexpr double overlaps_per_cell = 64;

const char* const description =
    "plisse proves with interval arithmetic how a map f = (f1, f2) of the plane\n"
    "into the plane folds a rectangle: its cusps, the crossings of the fold image\n"
    "and of the boundary image, and the topology of the fold curve. The report goes\n"
    "to standard output; the pictures of the grid and of its image go to the output\n"
    "folder. \"plisse flow --help\" describes the command that encloses the flow of a\n"
    "vector field of the plane.";

const char* const example =
    "Example: the map (x+0.3*y, y^3+x*y) over [-0.9, 1.1] x [-1, 1], paved 10 x 10,\n"
    "without a window, with its results in a JSON file:\n"
    "  plisse --f1 'x+0.3*y' --f2 'y^3+x*y' --x -0.9,1.1 --y -1,1 -n 10 --no-window --json results.json";

std::string quoted(const std::string& s) { return "\"" + s + "\""; }

}  // namespace

/// A number as the messages show it: the shortest text that reads back to it.
std::string number_text(double d)
{
    char text[32];
    const std::to_chars_result end = std::to_chars(text, text + sizeof text, d);
    return std::string(text, end.ptr);
}

namespace {

/// A character outside the language as a message shows it.
std::string character_text(char c)
{
    const unsigned char u = static_cast<unsigned char>(c);
    if (std::isprint(u)) return std::string("'") + c + "'";
    std::ostringstream os;
    os << "the byte 0x" << std::hex << static_cast<int>(u);
    return os.str();
}

bool is_blank(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

/// Whether the subtree at i holds a variable or a partial-derivative operator.
bool varies(const std::vector<Node>& tree, int i)
{
    if (i < 0) return false;
    const Node& node = tree[i];
    return node.kind == 'V' || node.kind == 'p' || varies(tree, node.left) || varies(tree, node.right);
}

/// What keeps the exponent subtree at i from being used exactly: the language
/// raises to the truncated upper bound of an exponent's enclosure, which is the
/// exponent itself only for an integer constant.
std::string exponent_problem(const std::vector<Node>& tree, int i)
{
    if (varies(tree, i)) return "raises to a power that is not constant; exponents must be integer constants";
    const interval n = Eval(tree, i, domain());
    if (n.isEmpty() || !n.isPoint() || !std::isfinite(n.inf())) {
        return "raises to a power that is not an integer constant";
    }
    if (std::trunc(n.inf()) != n.inf()) {
        return "raises to the power " + number_text(n.inf())
               + ", which is not an integer; exponents must be integer constants";
    }
    if (std::fabs(n.inf()) > largest_exponent) {
        return "raises to the power " + number_text(n.inf()) + "; exponents are limited to ±"
               + number_text(largest_exponent);
    }
    return "";
}

/// What in a parsed component the analysis does not handle: a variable other
/// than x and y, a partial-derivative operator, an exponent it would truncate.
std::string tree_problem(const std::vector<Node>& tree)
{
    const int depth = tree_depth(tree);
    if (depth > deepest_tree) {
        return "is nested " + std::to_string(depth) + " levels deep; the analysis handles at most "
               + std::to_string(deepest_tree);
    }
    for (const Node& node : tree) {
        switch (node.kind) {
        case 'p': return "holds a partial-derivative operator, which is not a map component";
        case 'r':
            if (!std::isfinite(node.value)) return "holds a number beyond the largest double (about 1.8e308)";
            break;
        case 'V':
            if (node.name != "x" && node.name != "y") {
                const std::string name = node.name.size() > quoted_length ? excerpt(node.name) : node.name;
                return "uses the variable " + name + "; the components are functions of x and y only";
            }
            break;
        case 'P': {
            const std::string problem = exponent_problem(tree, node.right);
            if (!problem.empty()) return problem;
            break;
        }
        default: break;
        }
    }
    return "";
}

}  // namespace

/// What is wrong with a component text, "" when it is sound. Blanks between
/// tokens are allowed; any other character outside the language is not.
std::string component_problem(const std::string& text)
{
    const parse_messages messages = parse_quietly(text + ";");
    const auto stray = std::find_if_not(messages.skipped.begin(), messages.skipped.end(), is_blank);
    if (stray != messages.skipped.end()) {
        const std::size_t at = messages.skipped_at[stray - messages.skipped.begin()];
        return excerpt(text, at) + " holds " + character_text(*stray) + " " + position_text(text, at)
               + ", which is not part of the expression language";
    }
    if (!messages.error.empty() || arbre_de_node.empty()) {
        const std::size_t at = messages.error_at;
        const std::string reason = messages.error == "memory exhausted" ? "nested too deeply" : messages.error;
        const std::string hint = syntax_hint(text, at);
        return excerpt(text, at) + " is not a complete expression (" + reason + " " + position_text(text, at)
               + (hint.empty() ? "" : "; " + hint) + ")";
    }
    const std::size_t length = without_blanks(text).size();
    if (length > longest_component) {
        return excerpt(text) + " has " + std::to_string(length) + " characters besides blanks; a component may have "
               + std::to_string(longest_component);
    }
    const std::string problem = tree_problem(arbre_de_node);
    return problem.empty() ? "" : excerpt(text) + " " + problem;
}

namespace {

/// What is wrong with the range r of a box side cut into n cells.
std::string range_problem(const std::pair<double, double>& r, int n)
{
    const auto [lo, hi] = r;
    const std::string shown = "[" + number_text(lo) + ", " + number_text(hi) + "]";
    if (!std::isfinite(lo) || !std::isfinite(hi)) return "the bounds of " + shown + " must be finite numbers";
    if (!(lo < hi)) return "the lower bound " + number_text(lo) + " is not below the upper bound " + number_text(hi);
    if (!std::isfinite(hi - lo)) return "the width of " + shown + " is too large to be a number";
    // The cells' bounds j*step + lo are distinct when a step spans several
    // units in the last place of the largest bound.
    const double step = (hi - lo) / std::max(n, 1);
    // (Below the normal range the unit is the smallest denormal.)
    const double ulp = std::max(std::numeric_limits<double>::epsilon() * std::max(std::fabs(lo), std::fabs(hi)),
                                std::numeric_limits<double>::denorm_min());
    if (!(step > 4 * ulp)) return shown + " is too narrow to be cut into " + std::to_string(n) + " cells";
    return "";
}

/// What the run needs at resolution n, in bytes, for a map that folds the
/// box a few times. The overlap lists are built through a spatial index, so
/// they take what they hold: a cell's image meets those of its neighbours and,
/// across each fold, of a few cells more; `overlaps_per_cell` indices per cell
/// is generous for such maps. A map whose images pile up far more (a nearly
/// constant map) needs more than this and may still run out of memory.
double estimated_bytes(int n)
{
    const double cells = double(n) * n;
    return (bytes_per_cell + 2 * sizeof(int) * overlaps_per_cell) * cells;
}

double physical_memory_bytes()
{
    const long pages = sysconf(_SC_PHYS_PAGES);
    const long page_size = sysconf(_SC_PAGE_SIZE);
    return pages > 0 && page_size > 0 ? double(pages) * page_size : std::numeric_limits<double>::infinity();
}

/// bytes in gigabytes, to three significant digits.
std::string gigabytes(double bytes)
{
    std::ostringstream os;
    os << std::setprecision(3) << bytes / 1e9 << " GB";
    return os.str();
}

std::string resolution_problem(int n)
{
    if (n < 1) return std::to_string(n) + " is below 1";
    const double needed = estimated_bytes(n);
    const double memory = physical_memory_bytes();
    if (needed > memory) {
        return std::to_string(n) + " cells per side need about " + gigabytes(needed)
               + " of memory, and this machine has " + gigabytes(memory);
    }
    // Beyond this the grids, their pictures and the overlap lists, which no
    // time limit interrupts, outgrow minutes and gigabytes of memory.
    constexpr int largest = 1000;
    if (n > largest) {
        return std::to_string(n) + " is above " + std::to_string(largest)
               + ", the largest resolution (beyond it the pictures and lists outgrow time and memory)";
    }
    return "";
}

std::string time_limit_problem(double seconds)
{
    if (!(seconds > 0)) return number_text(seconds) + " is not a number of seconds above 0";
    return "";
}

std::string preimage_points_problem(const std::vector<std::string>& points)
{
    for (const std::string& text : points) {
        if (!target_point(text)) return "'" + text + "' is not a point A,B of the target (two finite numbers)";
    }
    return "";
}

}  // namespace

std::optional<std::pair<double, double>> target_point(const std::string& text)
{
    const std::size_t comma = text.find(',');
    if (comma == std::string::npos) return std::nullopt;
    const auto number = [](const std::string& part) -> std::optional<double> {
        if (part.empty() || std::isspace(static_cast<unsigned char>(part.front()))) return std::nullopt;
        char* end = nullptr;
        const double d = std::strtod(part.c_str(), &end);
        if (*end != '\0' || !std::isfinite(d)) return std::nullopt;
        return d;
    };
    const std::optional<double> a = number(text.substr(0, comma)), b = number(text.substr(comma + 1));
    if (!a || !b) return std::nullopt;
    return std::make_pair(*a, *b);
}

std::string json_file_problem(const std::string& file)
{
    return file == standard_output_name ? "" : output_file_problem(file);
}

namespace {

/// What keeps the plot from being written: an extension naming no format, or the file's place.
std::string plot_file_problem(const std::string& file)
{
    if (file.empty() || plot_format_of(file)) return output_file_problem(file);
    return quoted(file) + " names no plot format; the extension must be .svg, .pdf or .png";
}

/// Sides of a plot's page in centimetres at least and at most: below, the
/// legend and the labels leave the planes no room; above, a PNG takes more
/// than a hundred megabytes.
constexpr double smallest_plot_side = 3;
constexpr double largest_plot_side = 100;

std::string plot_size_problem(const std::pair<double, double>& size)
{
    for (const double side : {size.first, size.second}) {
        if (!(side >= smallest_plot_side && side <= largest_plot_side)) {
            return number_text(side) + " cm is not between " + number_text(smallest_plot_side) + " and "
                   + number_text(largest_plot_side) + " cm";
        }
    }
    return "";
}

std::string plot_aspect_problem(const std::string& aspect)
{
    return aspect == "equal" || aspect == "free" ? "" : quoted(aspect) + " is neither equal nor free";
}

/// A user map names both components: "" when both or neither are given.
std::string pairing_problem(bool first, bool second)
{
    if (first == second) return "";
    return std::string(first ? "--f1" : "--f2") + ": a map needs both components; give " +
           (first ? "--f2" : "--f1") + " as well";
}

/// Tells on the error stream the box a user map is studied over when a side is not given.
void note_default_box(const run_options& options, bool x_given, bool y_given)
{
    if (x_given && y_given) return;
    auto side = [](const char* name, const std::pair<double, double>& r, bool given) {
        return std::string(name) + " in [" + number_text(r.first) + ", " + number_text(r.second) + "]" +
               (given ? "" : std::string(" (the default; choose it with --") + name + " LO,HI)");
    };
    std::cerr << "plisse: your map is studied over " << side("x", options.x_range, x_given) << " and "
              << side("y", options.y_range, y_given) << std::endl;
}

/// The help's note of a range's default.
std::string default_range(const std::pair<double, double>& r)
{
    return " (default " + number_text(r.first) + "," + number_text(r.second) + ")";
}

/// "option: problem", or "" when there is no problem.
std::string named(const char* option, const std::string& problem)
{
    return problem.empty() ? "" : std::string(option) + ": " + problem;
}

}  // namespace

std::string analysis_problem(const run_options& options)
{
    const int n = options.resolution;
    for (const std::string& problem :
         {named("--f1", component_problem(options.first_component)),
          named("--f2", component_problem(options.second_component)), named("--x", range_problem(options.x_range, n)),
          named("--y", range_problem(options.y_range, n)), named("--resolution", resolution_problem(n)),
          named("--time-limit", time_limit_problem(options.time_limit)),
          named("--preimages", preimage_points_problem(options.preimage_points))}) {
        if (!problem.empty()) return problem;
    }
    return "";
}

std::string input_problem(const run_options& options)
{
    for (const std::string& problem :
         {analysis_problem(options), named("--output-dir", output_folder_problem(options.output_dir)),
          named("--json", json_file_problem(options.json_file)), named("--plot", plot_file_problem(options.plot_file)),
          named("--plot-size", plot_size_problem(options.plot_size)),
          named("--plot-aspect", plot_aspect_problem(options.plot_aspect))}) {
        if (!problem.empty()) return problem;
    }
    return "";
}

command_line_outcome read_command_line(int argc, const char* const* argv, run_options& options)
{
    CLI::App app(description, "plisse");
    app.footer(std::string(example) + "\n\nKeys of the window:\n" + viewer_keys_text());
    // An option given twice is refused: a script that repeats one would
    // otherwise run with a value it did not mean, and a box side with a third bound.
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.set_version_flag("--version", std::string("plisse ") + PLISSE_VERSION);
    app.add_option("--f1", options.first_component, "First component, an expression in x and y")
        ->capture_default_str();
    app.add_option("--f2", options.second_component, "Second component, an expression in x and y")
        ->capture_default_str();
    app.add_option("--x", options.x_range, "Range of x in the studied box" + default_range(options.x_range))
        ->delimiter(',')
        ->type_name("LO,HI");
    app.add_option("--y", options.y_range, "Range of y in the studied box" + default_range(options.y_range))
        ->delimiter(',')
        ->type_name("LO,HI");
    app.add_option("-n,--resolution", options.resolution, "Cells per side of the paving and of the grids")
        ->capture_default_str();
    app.add_option("-o,--output-dir", options.output_dir, "Folder of the pictures source.tex and target.tex")
        ->capture_default_str();
    app.add_flag("--no-window", [&options](std::int64_t) { options.window = false; },
                 "Print the report and write the files without opening the window");
    app.add_option("--json", options.json_file,
                   "Write every proved result to this JSON file (- for standard output, instead of the report)")
        ->type_name("FILE")
        ->check([](const std::string& file) { return file.empty() ? std::string("no file name") : std::string(); });
    app.add_option("--plot", options.plot_file, "Plot the source and target planes into FILE (.svg, .pdf or .png)")
        ->type_name("FILE")
        ->check([](const std::string& file) { return file.empty() ? std::string("no file name") : std::string(); });
    app.add_option("--plot-size", options.plot_size,
                   "Width and height of the plot's page in centimetres (default 24,13.5)")
        ->delimiter(',')
        ->type_name("W,H");
    app.add_option("--plot-aspect", options.plot_aspect,
                   "equal: one scale for both axes of a plane (the default); free: each axis fills its frame")
        ->type_name("equal|free");
    app.add_option("--time-limit", options.time_limit,
                   "Stop the analysis after this many seconds, keeping what is proved (exit status 3)")
        ->type_name("SECONDS");
    app.add_option("--preimages", options.preimage_points,
                   "Count the points of the box that map to the target point A,B (may be given more than once)")
        ->type_name("A,B")
        ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    app.add_flag("--strict", options.strict,
                 "End with status 4 when a search left candidates undecided (a count is then a lower bound)");
    app.add_flag("-v,--verbose", options.verbose, "Let the crossing searches write their diagnostic lines");
    app.add_flag("-q,--quiet", options.quiet,
                 "No report on standard output; given twice, no summary on the error stream either");
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return {false, app.exit(e)};
    } catch (const CLI::ParseError& e) {
        std::string problem = swallowed_option(app);
        if (problem.empty()) problem = repeated_option(app, argc, argv);
        std::cerr << "plisse: " << (problem.empty() ? std::string(e.what()) + " (plisse --help lists the options)" : problem)
                  << std::endl;
        return {false, bad_input_status};
    } catch (const std::exception&) {
        std::cerr << "plisse: " << flag_value_problem(app, argc, argv) << " (plisse --help lists the options)"
                  << std::endl;
        return {false, bad_input_status};
    }
    const bool user_map = app.count("--f1") > 0 || app.count("--f2") > 0;
    const std::string swallowed = swallowed_option(app);
    std::string problem = swallowed.empty() ? input_problem(options) : swallowed;
    if (problem.empty()) problem = pairing_problem(app.count("--f1") > 0, app.count("--f2") > 0);
    if (!problem.empty()) {
        std::cerr << "plisse: " << problem << std::endl;
        return {false, bad_input_status};
    }
    if (user_map) note_default_box(options, app.count("--x") > 0, app.count("--y") > 0);
    return {true, 0};
}

std::string without_blanks(const std::string& text)
{
    std::string kept;
    std::copy_if(text.begin(), text.end(), std::back_inserter(kept), [](char c) { return !is_blank(c); });
    return kept;
}

analysis_input analysis_input_of(const run_options& options)
{
    const auto [x_lo, x_hi] = options.x_range;
    const auto [y_lo, y_hi] = options.y_range;
    analysis_input input{without_blanks(options.first_component), without_blanks(options.second_component),
                         domain{{"x", interval(x_lo, x_hi)}, {"y", interval(y_lo, y_hi)}}, options.resolution};
    for (const std::string& text : options.preimage_points) {
        if (const auto point = target_point(text)) input.preimage_points.push_back(*point);
    }
    return input;
}

std::string picture_file(const run_options& options, bool source)
{
    return (fs::path(options.output_dir) / (source ? "source.tex" : "target.tex")).string();
}

plot_page plot_page_of(const run_options& options)
{
    return {options.plot_size.first, options.plot_size.second, options.plot_aspect == "equal"};
}
