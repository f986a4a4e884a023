// Fold-curve topology: which singular cells the fold curve is proved to
// cross, and connected groups of cells.

#include "connexe.hpp"
#include "fold_accounting.hpp"
#include "plisse.hpp"
#include "sivia.hpp"
#include "stop_request.hpp"

#include <algorithm>
#include <iostream>
#include <map>
#include <optional>
#include <utility>

namespace {

/// What the fold curve does where two singular cells touch.
enum class contact {
    /// nothing to report
    none,
    /// det has opposite signs at the ends of the shared edge and one connected
    /// zero set on it, or a known number of transversal zeros on it
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
    // Zeros proved on the edge, each where det changes sign: the curve crosses
    // it there, once or more, and passes through both cells.
    fold_accounting accounting{p};
    const std::string v = I.get("x").isPoint() ? "y" : "x";
    if (accounting.side_zeros(I, v, fold_accounting::side_depth).value_or(0) >= 1) return contact::crossed;
    Map M = p.det_map;
    domain E = I;
    equation(M, E);
    const interval upper = M.evalue(E.corner(1)).get("y0");
    const interval lower = M.evalue(E.corner(0)).get("y0");
    // Opposite signs at the ends give a zero of det on the edge only where det
    // is continuous on it, and a fold point only where f is defined.
    const interval product = lower * upper;
    if (!product.isEmpty() && product.sup() < 0.0 && defined_on(p.f, I) && defined_on(p.det_map, I)) {
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
        return excludes_zero(p.programs().det(I)) ? contact::none : contact::corner;
    case 1: return along_edge(p, I);
    default: return contact::none;
    }
}

/// Whether det has a proved transversal zero on a side of the cell P that lies
/// on the boundary of the studied box: the fold curve enters P there (a cell
/// at a corner of the box may hold an arc that crosses only such sides).
bool crosses_outer_side(const plisse& p, const domain& P)
{
    fold_accounting accounting{p};
    for (const std::string v : {"x", "y"}) {
        const std::string across = v == "x" ? "y" : "x";
        for (const bool upper : {false, true}) {
            const double bound = upper ? P.get(across).sup() : P.get(across).inf();
            if (bound != (upper ? p.box.get(across).sup() : p.box.get(across).inf())) continue;
            domain S = P;
            S[across] = interval(bound);
            if (accounting.side_zeros(S, v, fold_accounting::side_depth).value_or(0) >= 1) return true;
        }
    }
    return false;
}

}  // namespace

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
        if (crossed > 0 || crosses_outer_side(*this, P)) res.fold_indices.push_back(singular[i]);
    }
    // The edges between singular cells say where the curve passes, not that
    // nothing else is there: a closed component inside one cell, or an edge
    // grazed or crossed twice, leaves the curve unknown unless every singular
    // cell accounts for its fold arcs.
    fold_pieces.clear();
    fold_accounting accounting{*this, &fold_pieces};
    for (const int k : singular) {
        if (failure) break;
        failure = !accounting.cell_known(cells[k], fold_accounting::cell_depth);
    }
    if (failure) fold_pieces.clear();
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
