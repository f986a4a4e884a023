#pragma once
// The results file: everything one run proved, as a JSON document for
// scripts. The README lists its fields.

#include "pipeline.hpp"

#include <nlohmann/json.hpp>

#include <string>

/// [lo, hi] as two numbers; an infinite bound is the string "-inf" or "+inf"
/// (JSON has no infinities), and the empty interval is null.
nlohmann::json interval_json(const interval& I);

/// A box as an object from variable name to interval.
nlohmann::json box_json(const domain& b);

/// The results of run, which analysed input.
nlohmann::json results_json(const analysis_input& input, const analysis_run& run);

/// Writes document to file, indented, ending with a line end, making its
/// missing folders; false when the file cannot be written.
bool write_results(const nlohmann::json& document, const std::string& file);
