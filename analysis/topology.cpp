// Fold-curve topology: which singular cells the fold curve is proved to
// cross, and connected groups of cells.

#include "connexe.hpp"
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

/// The work of establishing the fold curve in the singular cells: boxes and
/// side pieces examined, up to a bound beyond which the curve stays unknown.
struct fold_accounting {
    const plisse& p;
    long work = 0;
    static constexpr long work_bound = 200000;
    /// Halvings of a side at most.
    static constexpr int side_depth = 24;
    /// Quarterings of a cell at most.
    static constexpr int cell_depth = 6;

    bool spent() { return ++work > work_bound; }
    /// A point a little off the centre of I where pieces are cut: maps given
    /// with round numbers often have fold points at the centres of round
    /// intervals, and a fold point at the end of a piece leaves it undecided.
    static double off_centre(const interval& I) { return I.inf() + 0.4876543 * (I.sup() - I.inf()); }
    /// The lower or upper end of the side S along v.
    static domain end_of(const domain& S, const std::string& v, bool upper)
    {
        domain end = S;
        end[v] = interval(upper ? S.get(v).sup() : S.get(v).inf());
        return end;
    }
    interval det(const domain& b) const { return p.programs().det(b); }

    /// The number of zeros of det on the side S (one free variable v), when it
    /// is known: S splits into pieces on each of which det excludes 0, or is
    /// strictly monotone with end values of strict sign (so it has no zero, or
    /// exactly one, where it changes sign transversally).
    std::optional<int> side_zeros(const domain& S, const std::string& v, int depth)
    {
        if (spent()) return std::nullopt;
        if (excludes_zero(det(S))) return 0;
        // The monotone argument needs det differentiable on the whole side.
        const first_order_values values = p.programs().first_order(S);
        if (values.defined && excludes_zero(values.grad_det[axis_of(v)])) {
            const interval lower = det(end_of(S, v, false)), upper = det(end_of(S, v, true));
            if (!excludes_zero(lower) || !excludes_zero(upper)) return std::nullopt;
            return (lower.sup() < 0.0) == (upper.sup() < 0.0) ? 0 : 1;
        }
        if (depth == 0) return std::nullopt;
        const double cut = off_centre(S.get(v));
        domain lower = S, upper = S;
        lower[v] = interval(S.get(v).inf(), cut);
        upper[v] = interval(cut, S.get(v).sup());
        const std::optional<int> below = side_zeros(lower, v, depth - 1);
        if (!below) return std::nullopt;
        const std::optional<int> above = side_zeros(upper, v, depth - 1);
        if (!above) return std::nullopt;
        return *below + *above;
    }

    /// Whether the fold curve in the cell P is known: det excludes 0 on P, or
    /// some partial derivative u of det excludes 0 on P and the zeros of det on
    /// the four sides are known. Then every line along u meets det = 0 at most
    /// once in P, so no closed component lies in P and every arc is a graph
    /// over the other variable with both ends among the known side zeros.
    /// Otherwise P is cut in four and each quarter must be known.
    bool cell_known(const domain& P, int depth)
    {
        // The arcs are those of the map's fold curve only where the map is
        // defined, and the graph argument differentiates det.
        if (spent() || !defined_on(p.f, P) || !defined_on(p.det_map, P) || !defined_on(p.grad_det, P)) return false;
        if (excludes_zero(det(P))) return true;
        const interval_matrix gradient = p.grad_det.evalue(P);
        if (excludes_zero(gradient.entry("y0", "x")) || excludes_zero(gradient.entry("y0", "y"))) {
            for (const std::string v : {"x", "y"}) {
                const std::string across = v == "x" ? "y" : "x";
                for (const bool upper : {false, true}) {
                    domain S = P;
                    S[across] = interval(upper ? P.get(across).sup() : P.get(across).inf());
                    if (!side_zeros(S, v, side_depth)) return false;
                }
            }
            return true;
        }
        if (depth == 0) return false;
        const double x = off_centre(P.get("x")), y = off_centre(P.get("y"));
        for (const interval& X : {interval(P.get("x").inf(), x), interval(x, P.get("x").sup())}) {
            for (const interval& Y : {interval(P.get("y").inf(), y), interval(y, P.get("y").sup())}) {
                if (!cell_known(domain{{"x", X}, {"y", Y}}, depth - 1)) return false;
            }
        }
        return true;
    }
};

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
    fold_accounting accounting{*this};
    for (const int k : singular) {
        if (failure) break;
        failure = !accounting.cell_known(cells[k], fold_accounting::cell_depth);
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
