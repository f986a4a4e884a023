#include "view_setup.hpp"

void set_up_view(viewer& view, const analysis_input& input, const analysis_run& run, const grille& target_grid,
                 const std::string& picture_folder)
{
    view.features = proved_features(run.analysis.res, run.analysis.f);
    view.source_extent = extent_of(input.box, "x", "y");
    view.target_extent = extent_of(target_grid, view.features);
    view.picture_folder = picture_folder;
    view.home();
}
