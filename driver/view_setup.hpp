#pragma once
// The viewer set up for the results of one run.

#include "pipeline.hpp"
#include "viewer.hpp"

/// Whether input studies the built-in map over the built-in box.
bool is_built_in_map(const analysis_input& input);

/// Gives view the features of run and the content of both planes; a map
/// other than the built-in one opens framed on its content (the built-in
/// one keeps its initial view).
void set_up_view(viewer& view, const analysis_input& input, const analysis_run& run, const grille& target_grid);
