#pragma once
// The summary of a run on the error stream, after the report.

#include "pipeline.hpp"

#include <ostream>
#include <string>
#include <vector>

/// The first line of the summary.
inline const char* const summary_heading = "plisse: summary";

/// Writes the summary of run to os: the map, the box, the resolution; each
/// count, complete or a lower bound with its undecided candidates; the topology
/// verdict; the files written.
void write_summary(std::ostream& os, const analysis_input& input, const analysis_run& run,
                   const std::vector<std::string>& files);
