// The results file of one run.

#include "json_report.hpp"

#include "counts.hpp"
#include "features.hpp"
#include "undecided_regions.hpp"

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

/// The features of one kind, each as entry makes it.
template <class Entry>
json features_json(const std::vector<feature>& features, feature_kind kind, Entry entry)
{
    json list = json::array();
    for (const feature& ft : features)
        if (ft.kind == kind) list.push_back(entry(ft));
    return list;
}

json source_box(const feature& ft) { return box_json(ft.first); }
json image_box(const feature& ft) { return box_json(ft.image); }
json crossing_json(const feature& ft)
{
    return {{"first", box_json(ft.first)}, {"second", box_json(ft.second)}, {"image", box_json(ft.image)}};
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

/// The fold–boundary entries of two kinds: transversal crossings of the
/// images, and points where the fold curve itself meets the boundary.
json fold_boundary_json(const std::vector<feature>& features)
{
    const auto crossing = [](const feature& ft) {
        return json{{"fold", box_json(ft.first)}, {"boundary", box_json(ft.second)}, {"image", box_json(ft.image)}};
    };
    return {{"crossings", features_json(features, feature_kind::fold_boundary_crossing, crossing)},
            {"points", features_json(features, feature_kind::fold_boundary_point, source_box)},
            {"point_images", features_json(features, feature_kind::fold_boundary_point, image_box)}};
}

json inputs_json(const analysis_input& input)
{
    return {{"f1", input.first_component},
            {"f2", input.second_component},
            {"x", interval_json(input.box.get("x"))},
            {"y", interval_json(input.box.get("y"))},
            {"resolution", input.resolution}};
}

/// The counts of the console report, in its order, each with whether its
/// search settled everything (the cusps' as cusps_exact).
json counts_json(const plisse& p)
{
    const resultat& res = p.res;
    json counts = {{"cusps", res.cusps.size()},
                   {"cusps_exact", p.undecided.cusps == 0},
                   {"fold_fold_crossings", res.fold_fold_pairs.size()},
                   {"boundary_boundary_crossings", res.boundary_boundary_pairs.size()},
                   {"fold_boundary_intersections", res.fold_boundary_pairs.size()}};
    for (const result_count& c : result_counts(p))
        if (c.name != std::string("cusps")) counts[std::string(c.name) + "_complete"] = c.complete();
    return counts;
}

json undecided_json(const undecided_counts& u)
{
    return {{"cusps", u.cusps},
            {"fold_fold", u.fold_fold},
            {"boundary_boundary", u.boundary_boundary},
            {"fold_boundary", u.fold_boundary}};
}

json boxes_json(const std::vector<domain>& boxes)
{
    json list = json::array();
    for (const domain& b : boxes) list.push_back(box_json(b));
    return list;
}

json undecided_regions_json(const resultat& res)
{
    const undecided_regions r = undecided_regions_of(res);
    return {{"cusps", boxes_json(r.cusps)},
            {"fold_fold", boxes_json(r.fold_fold)},
            {"boundary_boundary", boxes_json(r.boundary_boundary)},
            {"fold_boundary", boxes_json(r.fold_boundary)}};
}

json diagnoses_json(const std::vector<diagnosis>& diagnoses)
{
    json list = json::array();
    for (const diagnosis& d : diagnoses) {
        list.push_back({{"kind", kind_name(d.kind)},
                        {"subject", d.subject},
                        {"region", box_json(d.region)},
                        {"message", d.message}});
    }
    return list;
}

/// The kinds of the features along the fold curve, as the results file names them.
const char* fold_feature_kind(feature_kind kind)
{
    switch (kind) {
    case feature_kind::cusp: return "cusp";
    case feature_kind::fold_fold: return "fold_fold";
    default: return "fold_boundary";
    }
}

json fold_curve_json(const plisse& p)
{
    if (!p.fold_curve) return nullptr;
    json components = json::array();
    for (const fold_curve_component& c : p.fold_curve->components) {
        json features = json::array();
        for (const fold_curve_feature& f : c.features) {
            json entry = {{"kind", fold_feature_kind(f.kind)}, {"index", f.index}};
            if (f.kind == feature_kind::fold_fold) entry["branch"] = f.branch == 0 ? "first" : "second";
            features.push_back(entry);
        }
        json ends = json::array(), end_boxes = json::array();
        for (int side = 0; side < 2 && !c.closed; ++side) {
            ends.push_back(c.ends[side] ? json(*c.ends[side]) : json(nullptr));
            end_boxes.push_back(box_json(c.end_boxes[side]));
        }
        json arcs = json::array();
        for (const std::vector<domain>& chain : c.arcs) arcs.push_back(boxes_json(chain));
        components.push_back({{"closed", c.closed}, {"ends", ends}, {"end_boxes", end_boxes},
                              {"features", features}, {"arcs", arcs}});
    }
    return {{"components", components}};
}

json stability_json(const stability_verdict& s)
{
    return {{"verdict", s.stable ? json(*s.stable) : json(nullptr)}, {"reason", s.reason}};
}

json preimages_json(const std::vector<preimage_count>& counts)
{
    json list = json::array();
    for (const preimage_count& c : counts) {
        list.push_back({{"point", {c.target.get("y0").inf(), c.target.get("y1").inf()}},
                        {"count", c.count ? json(*c.count) : json(nullptr)},
                        {"boxes", boxes_json(c.boxes)},
                        {"reason", c.reason}});
    }
    return list;
}

json run_json(const run_record& record)
{
    return {{"command_line", record.command_line},
            {"version", PLISSE_VERSION},
            {"ended", record.ended},
            {"time_limit_reached", record.time_limit_reached},
            {"interrupted", record.interrupted}};
}

json times_json(const step_times& t, const search_times& s)
{
    return {{"construction", t.construction},
            {"diagnosis", t.diagnosis},
            {"one_to_one", t.one_to_one},
            {"image", t.image},
            {"critical_points", t.critical_points},
            {"cusps", s.cusps},
            {"fold_fold", s.fold_fold},
            {"boundary_boundary", s.boundary_boundary},
            {"fold_boundary", s.fold_boundary},
            {"topology", s.topology},
            {"relation", t.relation},
            {"relation2", t.relation2},
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

json results_json(const analysis_input& input, const analysis_run& run, const run_record& record)
{
    const plisse& p = run.analysis;
    const resultat& res = p.res;
    const std::vector<feature> features = proved_features(res, p.f);
    return {{"version", PLISSE_VERSION},
            {"run", run_json(record)},
            {"inputs", inputs_json(input)},
            {"counts", counts_json(p)},
            {"fold_curve_known", p.fold_curve_known},
            {"fold_curve", fold_curve_json(p)},
            {"stable", stability_json(run.stability)},
            {"preimages", preimages_json(run.preimages)},
            {"cusps", features_json(features, feature_kind::cusp, source_box)},
            {"cusp_images", features_json(features, feature_kind::cusp, image_box)},
            {"fold_fold_crossings", features_json(features, feature_kind::fold_fold, crossing_json)},
            {"boundary_boundary_crossings", features_json(features, feature_kind::boundary_boundary, crossing_json)},
            {"fold_boundary", fold_boundary_json(features)},
            {"fold_cells", cells_json(res.fold_indices, res.source_mesh)},
            {"singular_cells", cells_json(res.singular_indices, res.source_mesh)},
            {"undecided", undecided_json(p.undecided)},
            {"undecided_regions", undecided_regions_json(res)},
            {"diagnosis", diagnoses_json(run.diagnoses)},
            {"times", times_json(run.times, p.times)}};
}

bool write_results(const json& document, const std::string& file)
{
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(file).parent_path(), ignored);
    std::ofstream out(file);
    write_results(document, out);
    out.close();
    return static_cast<bool>(out);
}

bool write_results(const json& document, std::ostream& os)
{
    os << document.dump(2) << '\n' << std::flush;
    return static_cast<bool>(os);
}
