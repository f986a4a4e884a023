// The results file of one run.

#include "json_report.hpp"

#include <cmath>
#include <filesystem>
#include <fstream>

using nlohmann::json;

namespace {

json bound_json(double b)
{
    if (std::isinf(b)) return b < 0 ? "-inf" : "+inf";
    return b;
}

json boxes_json(const std::vector<domain>& boxes)
{
    json list = json::array();
    for (const domain& b : boxes) list.push_back(box_json(b));
    return list;
}

json pairs_json(const std::vector<box_pair>& pairs)
{
    json list = json::array();
    for (const box_pair& p : pairs) list.push_back({{"first", box_json(p.first)}, {"second", box_json(p.second)}});
    return list;
}

/// The cells at the listed positions of the paving, each with its position and box.
json cells_json(const std::vector<int>& indices, const mesh& paving)
{
    json list = json::array();
    for (const int k : indices) {
        if (paving.holds(k)) list.push_back({{"index", k}, {"box", box_json(paving.boxes[k])}});
    }
    return list;
}

/// The fold–boundary entries of two kinds: a transversal crossing is a fold box
/// and a boundary box apart from each other; a point where the fold curve
/// meets the boundary is one box recorded twice.
json fold_boundary_json(const std::vector<box_pair>& pairs)
{
    json crossings = json::array();
    json points = json::array();
    for (const box_pair& p : pairs) {
        if (p.first.disjoint(p.second)) {
            crossings.push_back({{"fold", box_json(p.first)}, {"boundary", box_json(p.second)}});
        } else {
            points.push_back(box_json(p.first));
        }
    }
    return {{"crossings", crossings}, {"points", points}};
}

json inputs_json(const analysis_input& input)
{
    return {{"f1", input.first_component},
            {"f2", input.second_component},
            {"x", interval_json(input.box.get("x"))},
            {"y", interval_json(input.box.get("y"))},
            {"resolution", input.resolution}};
}

/// The counts of the console report, in its order.
json counts_json(const plisse& p)
{
    const resultat& res = p.res;
    return {{"cusps", res.cusps.size()},
            {"cusps_exact", p.undecided.cusps == 0},
            {"fold_fold_crossings", res.fold_fold_pairs.size()},
            {"boundary_boundary_crossings", res.boundary_boundary_pairs.size()},
            {"fold_boundary_intersections", res.fold_boundary_pairs.size()}};
}

json undecided_json(const undecided_counts& u)
{
    return {{"cusps", u.cusps},
            {"fold_fold", u.fold_fold},
            {"boundary_boundary", u.boundary_boundary},
            {"fold_boundary", u.fold_boundary}};
}

json times_json(const step_times& t)
{
    return {{"construction", t.construction},       {"one_to_one", t.one_to_one}, {"image", t.image},
            {"critical_points", t.critical_points}, {"relation", t.relation},     {"relation2", t.relation2},
            {"total", t.total()}};
}

}  // namespace

json interval_json(const interval& I)
{
    if (I.isEmpty()) return nullptr;
    return json::array({bound_json(I.inf()), bound_json(I.sup())});
}

json box_json(const domain& b)
{
    json object = json::object();
    for (const auto& [name, I] : b) object[name] = interval_json(I);
    return object;
}

json results_json(const analysis_input& input, const analysis_run& run)
{
    const plisse& p = run.analysis;
    const resultat& res = p.res;
    return {{"inputs", inputs_json(input)},
            {"counts", counts_json(p)},
            {"fold_curve_known", p.fold_curve_known},
            {"cusps", boxes_json(res.cusps)},
            {"fold_fold_crossings", pairs_json(res.fold_fold_pairs)},
            {"boundary_boundary_crossings", pairs_json(res.boundary_boundary_pairs)},
            {"fold_boundary", fold_boundary_json(res.fold_boundary_pairs)},
            {"fold_cells", cells_json(res.fold_indices, res.source_mesh)},
            {"singular_cells", cells_json(res.singular_indices, res.source_mesh)},
            {"undecided", undecided_json(p.undecided)},
            {"times", times_json(run.times)}};
}

bool write_results(const json& document, const std::string& file)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    std::ofstream out(file);
    out << document.dump(2) << '\n';
    out.close();
    return static_cast<bool>(out);
}
