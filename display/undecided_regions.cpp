#include "undecided_regions.hpp"

#include "box_union.hpp"

namespace {

/// boxes within the studied box, as few boxes as their union allows, at most region_limit.
std::vector<domain> region(std::vector<domain> boxes, const domain& studied)
{
    std::vector<domain> inside;
    for (const domain& b : boxes)
        if (!b.disjoint(studied)) inside.push_back(b.intersect(studied));
    return at_most(merged_boxes(std::move(inside)), region_limit);
}

std::vector<domain> both_boxes(const std::vector<box_pair>& pairs)
{
    std::vector<domain> boxes;
    for (const auto& [first, second] : pairs) {
        boxes.push_back(first);
        boxes.push_back(second);
    }
    return boxes;
}

/// The pairs a search that codes every pair gave up (code 8).
std::vector<box_pair> given_up(const std::vector<coded_pair>& coded)
{
    std::vector<box_pair> pairs;
    for (const auto& [pair, code] : coded)
        if (code == 8) pairs.push_back(pair);
    return pairs;
}

}  // namespace

std::vector<domain> undecided_regions::all() const
{
    std::vector<domain> boxes;
    for (const std::vector<domain>* list : {&cusps, &fold_fold, &boundary_boundary, &fold_boundary})
        boxes.insert(boxes.end(), list->begin(), list->end());
    return boxes;
}

undecided_regions undecided_regions_of(const resultat& res)
{
    const domain& studied = res.source_mesh.whole_box;
    return {region(res.cusp_undecided, studied), region(both_boxes(res.fold_fold_undecided), studied),
            region(both_boxes(given_up(res.boundary_boundary_coded)), studied),
            region(both_boxes(given_up(res.fold_boundary_coded)), studied)};
}
