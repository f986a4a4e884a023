// plisse: proves how the built-in map folds the plane over the built-in box,
// prints the report, writes the pictures of the grid and of its image, and
// shows the results in an interactive window.

#include "grille.hpp"
#include "pipeline.hpp"
#include "viewer.hpp"

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

namespace {

const char* const source_picture = "output/source.tex";
const char* const target_picture = "output/target.tex";

/// Writes grid g as the LaTeX picture file, creating its folder when missing;
/// a picture that cannot be written is named on the error stream and the run goes on.
void write_picture(const grille& g, const std::string& file)
{
    std::error_code error;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), error);
    if (g.dessine_latex(file))
        return;
    std::cerr << "plisse: cannot write the picture " << file;
    if (error)
        std::cerr << " (" << error.message() << ")";
    std::cerr << std::endl;
}

}  // namespace

int main(int, char**)
{
    viewer view;
    const window screen;
    if (!screen.is_open())
        std::cerr << "plisse: no window can be opened (" << screen.failure()
                  << "); the report and the pictures are produced without it" << std::endl;

    const analysis_input input = built_in_input();
    const expression e1(input.first_component);
    const expression e2(input.second_component);
    const double x_low = inf(input.box.get("x"));
    const double x_high = sup(input.box.get("x"));
    const double y_low = inf(input.box.get("y"));
    const double y_high = sup(input.box.get("y"));
    const grille source_grid(x_low, y_low, x_high, y_high, input.resolution);
    const grille target_grid(e1, e2, x_low, y_low, x_high, y_high, input.resolution);
    write_picture(source_grid, source_picture);
    write_picture(target_grid, target_picture);

    const analysis_run run = run_analysis(input);

    if (screen.is_open())
        view.run(run.analysis.res, source_grid, target_grid);
    return 0;
}
