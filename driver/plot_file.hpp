#pragma once
// The plot of one run, as the --plot option asks for it.

#include "pipeline.hpp"
#include "plot.hpp"

#include <string>

/// What the plot of run shows: input's texts, the analysed map and its results.
plot_subject plot_subject_of(const analysis_input& input, const analysis_run& run);

/// Writes the plot of run on a page as `page` asks to file (its format from
/// the extension), making its missing folders; false when it cannot be written.
bool write_plot_file(const analysis_input& input, const analysis_run& run, const std::string& file,
                     const plot_page& page);
