#pragma once
// The viewer set up for the results of one run.

#include "pipeline.hpp"
#include "viewer.hpp"

#include <string>

/// Gives view the features of run and the content of both planes, framed on
/// it, and the folder of the pictures, where the window's screenshots go.
void set_up_view(viewer& view, const analysis_input& input, const analysis_run& run, const grille& target_grid,
                 const std::string& picture_folder);
