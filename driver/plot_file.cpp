#include "plot_file.hpp"

#include "counts.hpp"

#include <filesystem>
#include <system_error>

plot_subject plot_subject_of(const analysis_input& input, const analysis_run& run)
{
    const plisse& p = run.analysis;
    return {input.first_component, input.second_component, p.f, p.det, p.res, all_complete(p)};
}

bool write_plot_file(const analysis_input& input, const analysis_run& run, const std::string& file,
                     const plot_page& page)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    return write_plot(picture_of(plot_subject_of(input, run), page), file);
}
