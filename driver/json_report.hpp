#pragma once
// The results file: everything one run proved, as a JSON document for
// scripts. The README lists its fields.

#include "pipeline.hpp"

#include <nlohmann/json.hpp>

#include <ostream>
#include <string>
#include <vector>

/// [lo, hi] as two numbers; an infinite bound is the string "-inf" or "+inf"
/// (JSON has no infinities), and the empty interval is null.
nlohmann::json interval_json(const interval& I);

/// A box as an object from variable name to interval.
nlohmann::json box_json(const domain& b);

/// How a run went, besides what it proved.
struct run_record {
    /// The program's arguments, its name first.
    std::vector<std::string> command_line;
    /// Whether the analysis ran to its end, rather than stopping at the time
    /// limit or on an interrupt.
    bool ended = true;
    bool time_limit_reached = false;
    bool interrupted = false;
};

/// The results of run, which analysed input, as record tells it went.
nlohmann::json results_json(const analysis_input& input, const analysis_run& run, const run_record& record);

/// Writes document to file, indented, ending with a line end, making its
/// missing folders; false when the file cannot be written.
bool write_results(const nlohmann::json& document, const std::string& file);
/// Writes document to os the same way; false when os fails.
bool write_results(const nlohmann::json& document, std::ostream& os);
