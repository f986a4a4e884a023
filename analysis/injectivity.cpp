// Injectivity tests on boxes and boundary pieces, and the image boxes of the pavings.

#include "plisse.hpp"
#include "vector_field.hpp"

#include <algorithm>
#include <cmath>
#include <vector>

namespace {

/// The last variable of e whose interval is not a point, or "" when every one is.
std::string free_variable(const domain& e)
{
    std::string v;
    for (const auto& entry : e) {
        if (!entry.second.isPoint()) v = entry.first;
    }
    return v;
}

/// The derivative of f along the free variable of e, oriented towards I: the
/// Jacobian column of that variable over e, negated unless I lies strictly
/// beyond the centre of e. Empty when e has no free variable.
domain derivative_towards(const plisse& p, const domain& e, const domain& I)
{
    const std::string v = free_variable(e);
    if (v.empty()) return domain();
    const domain D = p.jacobian.evalue(e).row(v);
    const interval s = I.get(v) - e.center().get(v);
    return s.inf() > 0.0 ? D : D * -1.0;
}

/// Whether every interval of I is one and the same point (I not empty).
bool is_one_point(const domain& I)
{
    return !I.empty() && std::all_of(I.begin(), I.end(), [](const auto& entry) {
        return !entry.second.isEmpty() && entry.second.isPoint();
    });
}

/// The other variable of the plane.
std::string other_variable(const std::string& u) { return u == "x" ? "y" : "x"; }

/// The other component of f.
std::string other_component(const std::string& k) { return k == "y0" ? "y1" : "y0"; }

/// The face of b where v is fixed at its lower or upper bound.
domain face(const domain& b, const std::string& v, bool upper)
{
    domain F = b;
    const interval I = b.get(v);
    F[v] = interval(upper ? I.sup() : I.inf());
    return F;
}

/// Whether I is non-empty and bounded.
bool proper(const interval& I) { return !I.isEmpty() && !I.isInfinite(); }

/// Halvings of a face at most when proving a property of det along it.
constexpr int face_depth = 3;

/// The row of det_hessian that holds the derivatives of ∂det/∂u.
const char* hessian_row(const std::string& u) { return u == "x" ? "y0" : "y1"; }

/// An enclosure of det over the face F (free variable u): the direct one
/// intersected with the mean value form det(m) + ∂det/∂u(F)·(F − m).
interval det_on_face(const plisse& p, const domain& F, const std::string& u)
{
    const interval direct = p.det_map.evalue(F).get("y0");
    const domain m = F.center();
    const interval centred =
        p.det_map.evalue(m).get("y0") + p.grad_det.evalue_entry(F, "y0", u) * (F.get(u) - m.get(u));
    return proper(centred) ? direct.intersect(centred) : direct;
}

/// An enclosure of ∂det/∂u over the face F, likewise with ∂²det/∂u² for the mean value form.
interval det_slope(const plisse& p, const domain& F, const std::string& u)
{
    const interval direct = p.grad_det.evalue_entry(F, "y0", u);
    if (!defined_on(p.det_hessian, F)) return direct;
    const domain m = F.center();
    const interval centred = p.grad_det.evalue_entry(m, "y0", u)
                             + p.det_hessian.evalue_entry(F, hessian_row(u), u) * (F.get(u) - m.get(u));
    return proper(centred) ? direct.intersect(centred) : direct;
}

/// ∂²det/∂u² over the face F, the entire line where it is not defined.
interval det_curvature(const plisse& p, const domain& F, const std::string& u)
{
    if (!defined_on(p.det_hessian, F)) return interval(-HUGE_VAL, HUGE_VAL);
    return p.det_hessian.evalue_entry(F, hessian_row(u), u);
}

/// Whether holds(enclosure(piece)) is true on pieces of the face F that cover
/// it, F being halved along u where it is not, at most `depth` times.
template <class Enclosure, class Holds>
bool holds_along(const domain& F, const std::string& u, int depth, Enclosure enclosure, Holds holds)
{
    const interval I = enclosure(F);
    if (proper(I) && holds(I)) return true;
    if (depth == 0) return false;
    const interval range = F.get(u);
    domain lower = F, upper = F;
    lower[u] = interval(range.inf(), range.mid());
    upper[u] = interval(range.mid(), range.sup());
    return holds_along(lower, u, depth - 1, enclosure, holds) && holds_along(upper, u, depth - 1, enclosure, holds);
}

/// Whether the u of the face F (u its free variable) where det ≤ 0 (below) or
/// det ≥ 0 (not below) form an interval: det keeps that side on all of F (all
/// of F), or strictly the other one (none of F); or det is monotone along F;
/// or det is convex along F (its sublevel sets are intervals), or concave for
/// the superlevel sets.
bool side_of_det_is_interval(const plisse& p, const domain& F, const std::string& u, bool below)
{
    const auto value = [&](const domain& piece) { return det_on_face(p, piece, u); };
    const auto slope = [&](const domain& piece) { return det_slope(p, piece, u); };
    const auto curvature = [&](const domain& piece) { return det_curvature(p, piece, u); };
    const auto non_negative = [](const interval& I) { return I.inf() >= 0.0; };
    const auto non_positive = [](const interval& I) { return I.sup() <= 0.0; };
    const auto positive = [](const interval& I) { return I.inf() > 0.0; };
    const auto negative = [](const interval& I) { return I.sup() < 0.0; };
    return holds_along(F, u, face_depth, value, below ? non_positive : non_negative)
           || holds_along(F, u, face_depth, value, below ? positive : negative)
           || holds_along(F, u, face_depth, curvature, below ? non_negative : non_positive)
           || holds_along(F, u, face_depth, slope, non_negative) || holds_along(F, u, face_depth, slope, non_positive);
}

/// Whether the fold points of b form at most one arc, the graph of a function
/// of u. With v the other variable: ∂det/∂v keeps its sign on b, so for each u
/// det has at most one zero (u, φ(u)) in b, and it has one exactly when
/// det(u, v_lo) and det(u, v_hi) lie on either side of 0 (det(v_lo) ≤ 0 ≤
/// det(v_hi) where det increases with v). Each of these two conditions holds on
/// an interval of u (side_of_det_is_interval), so the u that have a fold point
/// form an interval. φ is continuous on it (its zero is unique),
/// differentiable with φ' = −(∂det/∂u)/(∂det/∂v): the fold points of b make one
/// arc, along which the derivative of a function q with respect to u is
/// ±∇q·T/(∂det/∂v), with T = (∂det/∂y, −∂det/∂x) the fold's tangent direction
/// and a sign fixed by u: q is strictly monotone along the arc when ∇q·T
/// excludes 0 on b.
bool fold_is_one_graph(const plisse& p, const domain& b, const interval_matrix& gradient, const std::string& u)
{
    const std::string v = other_variable(u);
    const interval across = gradient.entry("y0", v);
    if (!excludes_zero(across)) return false;
    const bool increasing = across.inf() > 0.0;
    return side_of_det_is_interval(p, face(b, v, false), u, increasing)
           && side_of_det_is_interval(p, face(b, v, true), u, !increasing);
}

/// Whether f is one-to-one on the fold points of b, which the caller has shown
/// to lie on one arc (fold_is_one_graph), also across a cusp, where Df·T
/// vanishes and no component of f is monotone along the arc. Along the arc f
/// moves as g' = ±Df·T/(∂det/∂v), and at fold points Df has rank one, so with
/// R a column of Df and R_k ≠ 0 on b, g' = λ·(e_k + σ·e_j), where
/// λ = ±(Df·T)_k/(∂det/∂v), σ = R_j/R_k and j is the other component.
/// When (Df·T)_k is strictly monotone along the arc, λ changes sign at most
/// once, at some point c; when σ is strictly monotone too, λ·(σ − σ(c)) keeps
/// its sign and vanishes only at c. Two arc points with one image would give
/// ∫λ = 0 and ∫λ·σ = 0 between them, hence ∫λ·(σ − σ(c)) = 0: impossible.
/// Derivatives along the arc are those along the tangent field V = −T, up to
/// the sign of ∂det/∂v, read from Taylor coefficients along V's flow: order 1
/// of R, and order 2 of f (half the derivative of Df·V).
bool one_to_one_through_cusp(const plisse& p, const domain& b)
{
    vector_field V;
    V.components["x"] = p.tangent.component("y0");
    V.components["y"] = p.tangent.component("y1");
    const taylor flow = V.Taylor(b, 2);
    for (const char* c : {"x", "y"}) {
        for (const char* k : {"y0", "y1"}) {
            const std::vector<interval> R_k = p.jacobian.entry(k, c).taylor_ode(flow, 1);
            if (!excludes_zero(R_k[0])) continue;
            const std::vector<interval> R_j = p.jacobian.entry(other_component(k), c).taylor_ode(flow, 1);
            const interval slope_change = R_j[1] * R_k[0] - R_j[0] * R_k[1];
            const interval speed_change = p.f.component(k).taylor_ode(flow, 2)[2];
            if (excludes_zero(slope_change) && excludes_zero(speed_change)) return true;
        }
    }
    return false;
}

}  // namespace

iboolean plisse::one_to_one(const domain& b) const
{
    if (excludes_zero(jacobian.evalue(b).determinant())) return true;
    return iperhaps;
}

void plisse::one_to_one()
{
    const std::vector<domain>& cells = res.source_mesh.boxes;
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        // A cell whose determinant enclosure is empty or unbounded may hold
        // fold points as well: only a proved non-zero determinant leaves it out.
        if (!excludes_zero(det_map.evalue(cells[i]).get("y0"))) res.singular_indices.push_back(i);
    }
}

void plisse::image()
{
    for (const domain& cell : res.source_mesh.boxes) res.images.push_back(evalue(cell));
    for (const domain& piece : res.boundary_mesh.boxes) res.boundary_images.push_back(evalue(piece));
}

bool plisse::one_to_one_boundary(const domain& e) const
{
    const std::string v = free_variable(e);
    return !v.empty() && excludes_zero(jacobian.evalue(e).row(v));
}

bool plisse::one_to_one_boundary(const domain& e1, const domain& e2) const
{
    // For p on e1, q on e2 and I their single common point, with D1, D2 the
    // derivatives along e1, e2 oriented towards I and D̄ their means on the
    // segments [p, I], [q, I]: f(p) − f(q) = −|p − I|·D̄1 + |q − I|·D̄2. When a
    // component k of D1 and of −D2 keeps one strict sign, both terms of the
    // k-th difference have that sign's opposite and vanish only for p = q = I.
    const domain I = e1.intersect(e2);
    if (is_one_point(I)) {
        const domain towards1 = derivative_towards(*this, e1, I);
        const domain towards2 = derivative_towards(*this, e2, I);
        if (!towards1.empty() && !towards2.empty() && excludes_zero(towards1.hull(towards2 * -1.0))) return true;
    }
    // The mean value theorem on the convex hull: a regular interval Jacobian
    // makes f one-to-one there.
    return one_to_one(e1.hull(e2)) == iboolean(true);
}

bool plisse::one_to_one_singular(const domain& b) const
{
    if (one_to_one(b) == iboolean(true)) return true;
    // The arguments below apply the mean value theorem over b and follow the
    // fold curve through it: every partial function of f, of its Jacobian and
    // of det's gradient must be defined on the whole of b.
    if (!defined_on(f, b) || !defined_on(jacobian, b) || !defined_on(grad_det, b)) return false;
    const interval_matrix gradient = grad_det.evalue(b);
    // W_k = ∂f_k/∂x·∂det/∂y − ∂f_k/∂y·∂det/∂x, evaluated from independent
    // enclosures over b, encloses the determinant of every matrix whose rows
    // are ∇f_k and ∇det taken at any points of b. When it excludes 0 the mean
    // value theorem makes (f_k, det) one-to-one on b: two fold points of b,
    // however many arcs they lie on, have different f_k.
    const domain T{{"x", gradient.entry("y0", "y")}, {"y", interval(-1.0) * gradient.entry("y0", "x")}};
    if (excludes_zero(jacobian.evalue(b).image(T))) return true;
    // Near a cusp no component is monotone along the fold, and the argument
    // that replaces it holds on one arc only.
    return (fold_is_one_graph(*this, b, gradient, "x") || fold_is_one_graph(*this, b, gradient, "y"))
           && one_to_one_through_cusp(*this, b);
}
