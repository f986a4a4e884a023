#include "plot_file.hpp"

#include "counts.hpp"

#include <filesystem>
#include <system_error>

namespace {

/// The label of a feature along the fold curve, as the plot labels it.
std::string label_of(const fold_curve_feature& f)
{
    const char* prefix = f.kind == feature_kind::cusp ? "C" : f.kind == feature_kind::fold_fold ? "FF" : "FB";
    return prefix + std::to_string(f.index + 1);
}

/// Each component of the fold curve as its labels in order: "P1 – C1 – P2"
/// from end to end ("edge" for an end not matched with a point), "(C1 – C2)"
/// round a closed one; components apart by ";".
std::string fold_curve_text(const plisse& p)
{
    if (!p.fold_curve) return "";
    std::string text;
    for (const fold_curve_component& c : p.fold_curve->components) {
        std::vector<std::string> labels;
        const auto end = [](const std::optional<int>& e) { return e ? "P" + std::to_string(*e + 1) : std::string("edge"); };
        if (!c.closed) labels.push_back(end(c.ends[0]));
        for (const fold_curve_feature& f : c.features) labels.push_back(label_of(f));
        if (!c.closed) labels.push_back(end(c.ends[1]));
        std::string joined;
        for (const std::string& l : labels) joined += (joined.empty() ? "" : " – ") + l;
        if (c.closed) joined = "(" + joined + ")";
        text += (text.empty() ? "" : ";  ") + joined;
    }
    return text;
}

}  // namespace

plot_subject plot_subject_of(const analysis_input& input, const analysis_run& run)
{
    const plisse& p = run.analysis;
    return {input.first_component, input.second_component, p.f, p.det, p.res, all_complete(p),
            [&p](double a, double b) { return p.sheet_number(a, b); }, fold_curve_text(p)};
}

bool write_plot_file(const analysis_input& input, const analysis_run& run, const std::string& file,
                     const plot_page& page)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    return write_plot(picture_of(plot_subject_of(input, run), page), file);
}
