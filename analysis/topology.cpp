// Fold-curve topology and overlap lists: which singular cells the fold curve
// is proved to cross, which cells have meeting images, and connected groups of
// cells.

#include "connexe.hpp"
#include "plisse.hpp"
#include "sivia.hpp"
#include "stop_request.hpp"

#include <algorithm>
#include <iostream>
#include <map>
#include <utility>

namespace {

/// An image box read once as its two intervals, for the quadratic overlap loops.
struct image_rectangle {
    interval y0;
    interval y1;
};

std::vector<image_rectangle> rectangles(const std::vector<domain>& images)
{
    std::vector<image_rectangle> r;
    r.reserve(images.size());
    for (const domain& image : images) r.push_back({image.get("y0"), image.get("y1")});
    return r;
}

/// Whether two image boxes meet (closed boxes that only touch meet).
bool meet(const image_rectangle& a, const image_rectangle& b)
{
    return !a.y0.disjoint(b.y0) && !a.y1.disjoint(b.y1);
}

/// The cells, ascending, whose image meets target.
std::vector<int> cells_meeting(const std::vector<image_rectangle>& cells, const image_rectangle& target)
{
    std::vector<int> L;
    for (int j = 0; j < static_cast<int>(cells.size()); ++j) {
        if (meet(cells[j], target)) L.push_back(j);
    }
    return L;
}

/// What the fold curve does where two singular cells touch.
enum class contact {
    /// nothing to report
    none,
    /// det has opposite signs at the ends of the shared edge and one connected zero set on it
    crossed,
    /// a failure: a sign change with a zero set not proved connected, or det
    /// zero on a whole piece of the edge
    unproved,
    /// det has no sign change on the edge but may vanish there: the curve may graze it
    grazed,
    /// a failure: the cells share only a corner, and det may vanish there
    corner,
};

const domain zero_box{{"y0", interval(0.0)}};

/// The contact along the edge I shared by two cells.
contact along_edge(const plisse& p, const domain& I)
{
    Map M = p.det_map;
    domain E = I;
    equation(M, E);
    const interval upper = M.evalue(E.corner(1)).get("y0");
    const interval lower = M.evalue(E.corner(0)).get("y0");
    const interval product = lower * upper;
    if (!product.isEmpty() && product.sup() < 0.0) {
        return connexe(M.component("y0")).star_shaped(E) ? contact::crossed : contact::unproved;
    }
    sivia inversion(M, zero_box);
    inversion.SIVIAfile(E, 0.01 * E.width());
    // det proved zero on a piece of the edge: the curve runs along it.
    if (!inversion.inside_boxes.empty()) return contact::unproved;
    return inversion.undetermined_boxes.empty() ? contact::none : contact::grazed;
}

/// The contact of two singular cells P and Q that are not disjoint.
contact examine(const plisse& p, const domain& P, const domain& Q)
{
    const domain I = P.intersect(Q);
    switch (I.topological_dimension()) {
    case 0:
        return excludes_zero(p.det_map.evalue(I)) ? contact::none : contact::corner;
    case 1: return along_edge(p, I);
    default: return contact::none;
    }
}

}  // namespace

void plisse::relation()
{
    const std::vector<image_rectangle> cells = rectangles(res.images);
    const std::vector<image_rectangle> pieces = rectangles(res.boundary_images);
    for (const image_rectangle& cell : cells) {
        // Stopped, the lists of the cells not reached stay missing (the viewer shows none).
        if (stop_requested()) return;
        res.image_overlaps.push_back(cells_meeting(cells, cell));
        res.meets_boundary_image.push_back(
            std::any_of(pieces.begin(), pieces.end(), [&cell](const image_rectangle& piece) { return meet(cell, piece); }));
    }
}

void plisse::relation2()
{
    const std::vector<image_rectangle> cells = rectangles(res.images);
    for (const image_rectangle& piece : rectangles(res.boundary_images)) {
        if (stop_requested()) return;
        res.boundary_overlaps.push_back(cells_meeting(cells, piece));
    }
    for (const int k : res.singular_indices) {
        if (stop_requested()) return;
        if (k >= 0 && k < static_cast<int>(cells.size())) res.singular_overlaps.push_back(cells_meeting(cells, cells[k]));
    }
}

bool plisse::relation4()
{
    const std::vector<domain>& cells = res.source_mesh.boxes;
    const std::vector<int>& singular = res.singular_indices;
    const int n = static_cast<int>(singular.size());
    // Each shared edge or corner is examined once; both cells see its outcome.
    std::map<std::pair<int, int>, contact> examined;
    bool failure = false;
    for (int i = 0; i < n; ++i) {
        // A stopped analysis has not proved the topology.
        if (stop_requested()) return true;
        const domain& P = cells[singular[i]];
        int crossed = 0;
        for (int j = 0; j < n; ++j) {
            const domain& Q = cells[singular[j]];
            if (j == i || P.disjoint(Q)) continue;
            const auto key = std::minmax(i, j);
            auto found = examined.find(key);
            if (found == examined.end()) found = examined.emplace(key, examine(*this, P, Q)).first;
            switch (found->second) {
            case contact::crossed: ++crossed; break;
            case contact::unproved: failure = true; break;
            case contact::corner:
                failure = true;
                std::cout << "mince" << std::endl;
                break;
            case contact::grazed: std::cout << "mince" << std::endl; break;
            case contact::none: break;
            }
        }
        if (crossed > 0) res.fold_indices.push_back(singular[i]);
    }
    return failure;
}

std::vector<std::vector<int>> plisse::graphe(const std::vector<int>& L) const
{
    std::vector<std::vector<int>> edges;
    for (int i = 0; i < static_cast<int>(L.size()); ++i) {
        for (int j = 0; j < i; ++j) {
            if (L[i] != L[j] && res.source_mesh.voisin(L[i], L[j])) edges.push_back({L[i], L[j]});
        }
    }
    return edges;
}

components plisse::composantes_connexes(const std::vector<int>& L) const
{
    components R;
    for (const int cell : L) R.push_back({cell});
    const auto holding = [&R](int cell) {
        const auto found = std::find_if(R.begin(), R.end(), [cell](const std::vector<int>& component) {
            return std::find(component.begin(), component.end(), cell) != component.end();
        });
        return found - R.begin();
    };
    for (const std::vector<int>& edge : graphe(L)) {
        const auto ca = holding(edge[0]);
        const auto cb = holding(edge[1]);
        if (ca == cb) continue;
        R[ca].insert(R[ca].end(), R[cb].begin(), R[cb].end());
        R.erase(R.begin() + cb);
    }
    return R;
}

components plisse::fr_composantes_connexes(int k) const
{
    if (k < 0 || k >= static_cast<int>(res.cc_boundary_overlaps.size())) return {};
    components R = res.cc_boundary_overlaps[k];
    const std::vector<domain>& pieces = res.boundary_mesh.boxes;
    const mesh& cells = res.source_mesh;
    // The component that holds boundary box k (the last match wins).
    std::size_t selected = 0;
    for (std::size_t ci = 0; ci < R.size(); ++ci) {
        for (const int m : R[ci]) {
            if (k < static_cast<int>(pieces.size()) && cells.holds(m) && pieces[k].subset(cells.boxes[m])) selected = ci;
        }
    }
    if (selected >= R.size() || R[selected].empty()) return R;
    const domain W = cells.wrapping(R[selected]);
    if (!W.empty() && one_to_one(W) == iboolean(true)) R[selected].clear();
    return R;
}
