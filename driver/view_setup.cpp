#include "view_setup.hpp"

bool is_built_in_map(const analysis_input& input)
{
    const analysis_input built_in = built_in_input();
    return input.first_component == built_in.first_component &&
           input.second_component == built_in.second_component && input.box == built_in.box;
}

void set_up_view(viewer& view, const analysis_input& input, const analysis_run& run, const grille& target_grid)
{
    view.features = proved_features(run.analysis.res, run.analysis.f);
    view.source_extent = extent_of(input.box, "x", "y");
    view.target_extent = extent_of(target_grid, view.features);
    if (!is_built_in_map(input)) view.home();
}
