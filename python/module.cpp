// The extension module of the Python package plisse: the analysis and the
// flow of the command line, their inputs checked by the command line's own
// checks, and their results converted from the very JSON documents the
// program writes to its files, so that a dict from Python and a results file
// never differ.

#include "flow_command.hpp"
#include "json_report.hpp"
#include "node.hpp"
#include "options.hpp"
#include "pipeline.hpp"
#include "plot.hpp"
#include "stop_request.hpp"

#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <chrono>
#include <cmath>
#include <cstdint>
#include <future>
#include <iostream>
#include <limits>
#include <memory>
#include <mutex>
#include <optional>
#include <streambuf>
#include <string>
#include <utility>
#include <vector>

namespace py = pybind11;
using nlohmann::json;

namespace {

using range = std::pair<double, double>;

/// The expression parser and the stop request are the process's own, so one
/// analysis (or flow, or parse) runs at a time.
std::mutex analysis_mutex;

/// Seconds between two looks at Python's pending signals while a run goes on.
constexpr std::chrono::milliseconds signal_poll{50};

/// The analysis mutex, waited for without the GIL: a thread that holds the
/// mutex may need the GIL to look at the signals before it lets go.
std::unique_lock<std::mutex> exclusive_run()
{
    std::unique_lock<std::mutex> lock(analysis_mutex, std::defer_lock);
    py::gil_scoped_release unlocked;
    lock.lock();
    return lock;
}

/// A stream buffer that drops what it is given.
class discarding_buffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
};

/// Drops what is written to std::cout while it lives: the analysis writes its
/// console report there, and a caller of the module gets the results instead.
class silenced_report {
public:
    silenced_report() : kept_(std::cout.rdbuf(&sink_)) {}
    ~silenced_report() { std::cout.rdbuf(kept_); }
    silenced_report(const silenced_report&) = delete;
    silenced_report& operator=(const silenced_report&) = delete;

private:
    discarding_buffer sink_;
    std::streambuf* kept_;
};

py::object python_of(const json& j);

/// An element of a JSON array: the bounds "-inf" and "+inf" of the results
/// documents' intervals become float infinities.
py::object element_of(const json& j)
{
    if (j.is_string()) {
        const std::string& s = j.get_ref<const std::string&>();
        if (s == "-inf") return py::float_(-std::numeric_limits<double>::infinity());
        if (s == "+inf") return py::float_(std::numeric_limits<double>::infinity());
    }
    return python_of(j);
}

/// A JSON value as the Python object json.load would make of it (lists,
/// dicts, str, int, float, bool, None), but with infinite interval bounds as floats.
py::object python_of(const json& j)
{
    switch (j.type()) {
    case json::value_t::boolean: return py::bool_(j.get<bool>());
    case json::value_t::number_integer: return py::int_(j.get<std::int64_t>());
    case json::value_t::number_unsigned: return py::int_(j.get<std::uint64_t>());
    case json::value_t::number_float: return py::float_(j.get<double>());
    case json::value_t::string: return py::str(j.get_ref<const std::string&>());
    case json::value_t::array: {
        py::list list;
        for (const json& e : j) list.append(element_of(e));
        return std::move(list);
    }
    case json::value_t::object: {
        py::dict dict;
        for (const auto& [key, value] : j.items()) dict[py::str(key)] = python_of(value);
        return std::move(dict);
    }
    default: return py::none();
    }
}

/// Runs work on a thread of its own and returns what it returns. The calling
/// thread waits without the GIL, and between waits lets Python run its
/// pending signal handlers: a handler that raises (Ctrl-C raises
/// KeyboardInterrupt) asks the searches to stop, as the first interrupt does
/// on the command line, and its exception is kept in raised for the caller
/// to raise once work has ended. (Python runs signal handlers in its main
/// thread only; called from another thread, work simply runs to its end.)
template <class Work>
auto run_interruptibly(Work work, std::optional<py::error_already_set>& raised)
{
    auto done = std::async(std::launch::async, std::move(work));
    for (;;) {
        {
            py::gil_scoped_release unlocked;
            if (done.wait_for(signal_poll) == std::future_status::ready) break;
        }
        if (!raised && PyErr_CheckSignals() != 0) {
            raised.emplace();
            request_stop();
        }
    }
    return done.get();
}

/// The run options of an analysis from Python.
run_options options_of(const std::string& f1, const std::string& f2, const range& x, const range& y, int resolution,
                       std::optional<double> time_limit)
{
    run_options options;
    options.first_component = f1;
    options.second_component = f2;
    options.x_range = x;
    options.y_range = y;
    options.resolution = resolution;
    options.time_limit = time_limit.value_or(std::numeric_limits<double>::infinity());
    return options;
}

/// The command line that runs the same analysis as options, for the record
/// of the run in its results.
std::vector<std::string> command_line_of(const run_options& options)
{
    const auto side = [](const range& r) { return number_text(r.first) + "," + number_text(r.second); };
    std::vector<std::string> arguments{"plisse", "--f1", options.first_component, "--f2", options.second_component,
                                       "--x", side(options.x_range), "--y", side(options.y_range),
                                       "--resolution", std::to_string(options.resolution)};
    if (std::isfinite(options.time_limit)) {
        arguments.push_back("--time-limit");
        arguments.push_back(number_text(options.time_limit));
    }
    return arguments;
}

/// What keeps these inputs from being analysed, as the command line says it; "" when nothing does.
std::string inputs_problem(const std::string& f1, const std::string& f2, const range& x, const range& y,
                          int resolution, std::optional<double> time_limit)
{
    const std::unique_lock<std::mutex> lock = exclusive_run();
    return analysis_problem(options_of(f1, f2, x, y, resolution, time_limit));
}

/// The analysis of one map as _plisse.analyse returns it: the results, and
/// whether the searches were stopped (by the time limit or an interrupt).
py::tuple analyse(const std::string& f1, const std::string& f2, const range& x, const range& y, int resolution,
                  std::optional<double> time_limit)
{
    const run_options options = options_of(f1, f2, x, y, resolution, time_limit);
    const std::unique_lock<std::mutex> lock = exclusive_run();
    const std::string problem = analysis_problem(options);
    if (!problem.empty()) throw py::value_error(problem);
    const analysis_input input = analysis_input_of(options);
    clear_stop_request();
    set_stop_deadline(options.time_limit);
    std::optional<py::error_already_set> raised;
    const std::unique_ptr<analysis_run> run = run_interruptibly(
        [&input] {
            const silenced_report silenced;
            return std::make_unique<analysis_run>(run_analysis(input));
        },
        raised);
    const bool stopped = stop_seen();
    clear_stop_request();
    const bool interrupted = raised.has_value();
    const run_record record{command_line_of(options), !stopped, stopped && !interrupted, interrupted};
    py::object results = python_of(results_json(input, *run, record));
    if (raised) {
        py::setattr(raised->value(), "result", results);
        throw *raised;
    }
    return py::make_tuple(results, stopped);
}

/// The enclosures of "plisse flow" for the same inputs, as its JSON file holds them.
py::object flow(const std::string& field, const range& x, const range& y, double time, int order)
{
    const flow_options options{field, x, y, time, order, ""};
    const std::unique_lock<std::mutex> lock = exclusive_run();
    const std::string problem = flow_input_problem(options);
    if (!problem.empty()) throw py::value_error(problem);
    const domain start{{"x", interval(x.first, x.second)}, {"y", interval(y.first, y.second)}};
    const json document = [&] {
        py::gil_scoped_release unlocked;
        return enclosures_json(options, plane_field(options).validated_flow(start, time, order));
    }();
    return python_of(document);
}

py::tuple point_of(const plot_point& p) { return py::make_tuple(p.x, p.y); }

py::list points_of(const std::vector<plot_point>& points)
{
    py::list list;
    for (const plot_point& p : points) list.append(point_of(p));
    return list;
}

py::list segments_of(const std::vector<plot_segment>& segments)
{
    py::list list;
    for (const auto& [a, b] : segments) list.append(py::make_tuple(point_of(a), point_of(b)));
    return list;
}

/// The curves the plot of the command line draws, for a map of the results
/// (already checked when it was analysed) and the cells its results list as singular.
py::dict curves(const std::string& f1, const std::string& f2, const range& x, const range& y,
                const std::vector<std::pair<range, range>>& singular_cells)
{
    std::vector<domain> cells;
    for (const auto& [cx, cy] : singular_cells)
        cells.push_back(domain{{"x", interval(cx.first, cx.second)}, {"y", interval(cy.first, cy.second)}});
    const domain box{{"x", interval(x.first, x.second)}, {"y", interval(y.first, y.second)}};
    const std::unique_lock<std::mutex> lock = exclusive_run();
    const plot_curves c = [&] {
        py::gil_scoped_release unlocked;
        const Map f = studied_map(expression(f1), expression(f2));
        return curves_of(f, f.differentielle().determinant(), box, cells);
    }();
    py::dict d;
    d["fold_curve"] = segments_of(c.fold_curve);
    d["fold_image"] = segments_of(c.fold_image);
    d["boundary"] = points_of(c.boundary);
    d["boundary_image"] = points_of(c.boundary_image);
    return d;
}

/// What keeps name from standing for a parameter in the components: it must
/// be a variable of the expression language (not a function's name) other
/// than x and y. "" when nothing does.
std::string parameter_problem(const std::string& name)
{
    const std::unique_lock<std::mutex> lock = exclusive_run();
    const parse_messages messages = parse_quietly(name + ";");
    const bool variable = messages.error.empty() && messages.skipped.empty() && arbre_de_node.size() == 1
                          && arbre_de_node[0].kind == 'V' && arbre_de_node[0].name == name;
    if (!variable)
        return "the parameter \"" + name
               + "\" is not a variable name of the expression language (a letter, then letters or digits, "
                 "and not the name of a function)";
    if (name == "x" || name == "y")
        return "the parameter \"" + name + "\" is a variable of the map; choose another name";
    return "";
}

}  // namespace

PYBIND11_MODULE(_plisse, m)
{
    m.doc() = "The compiled part of plisse: the analysis, the flow and the curves of the plot.";
    m.def("analyse", &analyse, py::arg("f1"), py::arg("f2"), py::arg("x"), py::arg("y"), py::arg("resolution"),
          py::arg("time_limit"),
          "The results of the analysis of (f1, f2) over x × y as a dict with the fields of the results file, "
          "and whether the searches were stopped early. Raises ValueError with the command line's message on a "
          "bad input, and KeyboardInterrupt (its attribute result holding the partial results) when Ctrl-C "
          "stopped the searches.");
    m.def("input_problem", &inputs_problem, py::arg("f1"), py::arg("f2"), py::arg("x"), py::arg("y"),
          py::arg("resolution"), py::arg("time_limit"),
          "The command line's message about what keeps these inputs from being analysed; '' when nothing does.");
    m.def("flow", &flow, py::arg("field"), py::arg("x"), py::arg("y"), py::arg("time"), py::arg("order"),
          "The enclosures of plisse flow as a dict with the fields of its JSON file.");
    m.def("curves", &curves, py::arg("f1"), py::arg("f2"), py::arg("x"), py::arg("y"), py::arg("singular_cells"),
          "The boundary and its image, and the fold curve traced in the singular cells and its image, as the "
          "plot of the command line samples them.");
    m.def("parameter_problem", &parameter_problem, py::arg("name"),
          "What keeps name from being a parameter of the components; '' when nothing does.");
}
