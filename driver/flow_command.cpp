// "plisse flow": its command line, its input checks, and its outputs.

#include "flow_command.hpp"

#include "json_report.hpp"
#include "options.hpp"
#include "swallowed_option.hpp"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

/// Highest Taylor order accepted: the work per step grows as its square.
constexpr int largest_order = 60;
/// Lowest Taylor order accepted: at order 1 the remainder of a step, h² times
/// the second derivative, reaches its tolerance (10⁻¹² of the state) only on
/// steps of about a millionth of the time scale.
constexpr int lowest_order = 2;

const char* const description =
    "plisse flow encloses with interval arithmetic every solution of the plane\n"
    "system x' = f1(x, y), y' = f2(x, y) started in a box, at the time T, by\n"
    "Lohner's method with Taylor series. The enclosure at T goes to standard\n"
    "output.";

const char* const example =
    "Example: the rotation x' = y, y' = -x from a small box around (1, 0), one turn:\n"
    "  plisse flow --field 'y,-x' --x 0.9995,1.0005 --y -0.0005,0.0005 --time 6.283185307179586";

/// The field text split at its comma, or nothing when it has not exactly one.
std::optional<std::pair<std::string, std::string>> components_of(const std::string& field)
{
    if (std::count(field.begin(), field.end(), ',') != 1) return std::nullopt;
    const std::size_t comma = field.find(',');
    return std::make_pair(field.substr(0, comma), field.substr(comma + 1));
}

std::string field_problem(const std::string& field)
{
    const auto components = components_of(field);
    if (!components) return "give the two components x' and y' separated by one comma, as in 'y,-x'";
    for (const std::string& c : {components->first, components->second}) {
        const std::string problem = component_problem(c);
        if (!problem.empty()) return problem;
    }
    return "";
}

/// What is wrong with the range of a side of the start box (a point is allowed).
std::string range_problem(const std::pair<double, double>& r)
{
    const auto [lo, hi] = r;
    if (!std::isfinite(lo) || !std::isfinite(hi))
        return "the bounds of [" + number_text(lo) + ", " + number_text(hi) + "] must be finite numbers";
    if (lo > hi) return "the lower bound " + number_text(lo) + " is above the upper bound " + number_text(hi);
    return "";
}

std::string time_problem(double T)
{
    return std::isfinite(T) ? "" : "the time " + number_text(T) + " is not a finite number";
}

std::string order_problem(int order)
{
    if (order < lowest_order)
        return std::to_string(order) + " is below " + std::to_string(lowest_order)
               + ", the lowest order (at order 1 a step's remainder reaches its tolerance only on steps of about a "
                 "millionth of the time scale)";
    if (order > largest_order) return std::to_string(order) + " is above " + std::to_string(largest_order);
    return "";
}

std::string named(const char* option, const std::string& problem)
{
    return problem.empty() ? "" : std::string(option) + ": " + problem;
}

/// "[lo, hi]" with the shortest texts that read back to the bounds.
std::string interval_text(const interval& I)
{
    return "[" + number_text(I.inf()) + ", " + number_text(I.sup()) + "]";
}

/// Reads argv into options; the exit status when the command is not to run.
std::optional<int> read_flow_command_line(int argc, const char* const* argv, flow_options& options)
{
    CLI::App app(description, "plisse flow");
    app.footer(example);
    app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::Throw);
    app.add_option("--field", options.field, "The components x' and y', expressions in x and y, comma-separated")
        ->required();
    app.add_option("--x", options.x_range, "Range of x in the start box")
        ->delimiter(',')
        ->type_name("LO,HI")
        ->required();
    app.add_option("--y", options.y_range, "Range of y in the start box")
        ->delimiter(',')
        ->type_name("LO,HI")
        ->required();
    app.add_option("--time", options.time, "The time T of the enclosure (negative: backward)")->required();
    app.add_option("--order", options.order, "Order of the Taylor series (2 to 60)")->capture_default_str();
    app.add_option("--json", options.json_file,
                   "Write the enclosures along the way to this JSON file (- for standard output)")
        ->type_name("FILE")
        ->check([](const std::string& file) { return file.empty() ? std::string("no file name") : std::string(); });
    try {
        app.parse(argc, argv);
    } catch (const CLI::Success& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        const std::string repeated = repeated_option(app, argc, argv);
        std::cerr << "plisse flow: " << (repeated.empty() ? std::string(e.what()) + " (plisse flow --help lists the options)" : repeated)
                  << std::endl;
        return bad_input_status;
    }
    const std::string problem = flow_input_problem(options);
    if (!problem.empty()) {
        std::cerr << "plisse flow: " << problem << std::endl;
        return bad_input_status;
    }
    return std::nullopt;
}

} // namespace

std::string flow_input_problem(const flow_options& options)
{
    for (const std::string& problem :
         {named("--field", field_problem(options.field)), named("--x", range_problem(options.x_range)),
          named("--y", range_problem(options.y_range)), named("--time", time_problem(options.time)),
          named("--order", order_problem(options.order)), named("--json", json_file_problem(options.json_file))}) {
        if (!problem.empty()) return problem;
    }
    return "";
}

vector_field plane_field(const flow_options& options)
{
    const auto components = components_of(options.field);
    vector_field F;
    F.components["x"] = expression(without_blanks(components->first));
    F.components["y"] = expression(without_blanks(components->second));
    return F;
}

std::string enclosure_text(const timed_box& enclosure)
{
    std::string text = "t: " + interval_text(enclosure.t) + "\n";
    for (const auto& [name, I] : enclosure.box) text += name + ": " + interval_text(I) + "\n";
    return text;
}

nlohmann::json enclosures_json(const flow_options& options, const flow_enclosures& flow)
{
    nlohmann::json list = nlohmann::json::array();
    for (const timed_box& b : flow.boxes) list.push_back({{"t", interval_json(b.t)}, {"box", box_json(b.box)}});
    const auto components = components_of(options.field);
    nlohmann::json document = {{"field", {without_blanks(components->first), without_blanks(components->second)}},
                               {"time", options.time},
                               {"order", options.order},
                               {"reached", flow.reached},
                               {"enclosures", list}};
    if (!flow.reached) document["message"] = flow.message;
    return document;
}

int flow_command(int argc, const char* const* argv)
{
    flow_options options;
    if (const std::optional<int> status = read_flow_command_line(argc, argv, options)) return *status;
    const domain start{{"x", interval(options.x_range.first, options.x_range.second)},
                       {"y", interval(options.y_range.first, options.y_range.second)}};
    const flow_enclosures flow = plane_field(options).validated_flow(start, options.time, options.order);
    // The enclosures on standard output take the place of the enclosure at T.
    const bool to_standard_output = options.json_file == standard_output_name;
    if (flow.reached && !to_standard_output) std::cout << enclosure_text(flow.boxes.back()) << std::flush;
    if (!flow.reached) std::cerr << "plisse flow: " << flow.message << std::endl;
    bool written = true;
    const nlohmann::json document = enclosures_json(options, flow);
    if (!options.json_file.empty()
        && !(to_standard_output ? write_results(document, std::cout) : write_results(document, options.json_file))) {
        std::cerr << "plisse flow: cannot write the file " << options.json_file << std::endl;
        written = false;
    }
    return flow.reached && written ? 0 : 1;
}
