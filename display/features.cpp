#include "features.hpp"

namespace {

/// The image box of a crossing: both enclosures f(A) and f(B) hold the common
/// image point, so their intersection holds it too.
domain common_image(const Map& f, const box_pair& pair)
{
    return f.evalue(pair.first).intersect(f.evalue(pair.second));
}

void add_boxes(std::vector<feature>& list, feature_kind kind, const std::vector<domain>& boxes, const Map& f)
{
    int number = 0;
    for (const domain& b : boxes) list.push_back({kind, ++number, b, domain(), f.evalue(b)});
}

void add_pairs(std::vector<feature>& list, feature_kind kind, const std::vector<box_pair>& pairs, const Map& f)
{
    int number = 0;
    for (const box_pair& p : pairs) list.push_back({kind, ++number, p.first, p.second, common_image(f, p)});
}

}  // namespace

bool is_fold_boundary_point(const box_pair& pair) { return !pair.first.disjoint(pair.second); }

std::vector<feature> proved_features(const resultat& res, const Map& f)
{
    std::vector<box_pair> crossings;
    std::vector<domain> points;
    for (const box_pair& p : res.fold_boundary_pairs) {
        if (is_fold_boundary_point(p))
            points.push_back(p.first);
        else
            crossings.push_back(p);
    }
    std::vector<feature> list;
    add_boxes(list, feature_kind::cusp, res.cusps, f);
    add_pairs(list, feature_kind::fold_fold, res.fold_fold_pairs, f);
    add_pairs(list, feature_kind::boundary_boundary, res.boundary_boundary_pairs, f);
    add_pairs(list, feature_kind::fold_boundary_crossing, crossings, f);
    add_boxes(list, feature_kind::fold_boundary_point, points, f);
    return list;
}

std::string feature_label(const feature& ft)
{
    static const char* const prefixes[] = {"C", "FF", "BB", "FB", "P"};
    return prefixes[static_cast<int>(ft.kind)] + std::to_string(ft.number);
}
