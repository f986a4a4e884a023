#pragma once
// "plisse flow": validated integration of a vector field of the plane from a
// box, with the enclosure at the horizon on standard output and, when asked,
// every enclosure along the way in a JSON file.

#include "vector_field.hpp"

#include <nlohmann/json.hpp>

#include <string>
#include <utility>

/// Everything "plisse flow" is told on its command line.
struct flow_options {
    /// The field's two components (x' then y'), separated by one comma.
    std::string field;
    std::pair<double, double> x_range{0.0, 0.0};
    std::pair<double, double> y_range{0.0, 0.0};
    double time = 0.0;
    int order = lohner::default_order;
    /// The JSON file of the enclosures; empty for none.
    std::string json_file;
};

/// The problem with the inputs, naming the option; "" when they are sound.
std::string flow_input_problem(const flow_options& options);

/// The plane field of the options: x' and y' from the field text, without blanks.
vector_field plane_field(const flow_options& options);

/// The lines printed for an enclosure: its time, then "name: [lo, hi]" per state.
std::string enclosure_text(const timed_box& enclosure);

/// The enclosures as the JSON file holds them.
nlohmann::json enclosures_json(const flow_options& options, const flow_enclosures& flow);

/// Runs "plisse flow" on its arguments (argv[0] is "flow"); returns the exit status.
int flow_command(int argc, const char* const* argv);
