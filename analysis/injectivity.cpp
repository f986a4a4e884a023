// Injectivity tests on boxes and boundary pieces, and the image boxes of the pavings.

#include "plisse.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <optional>
#include <utility>
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

/// Whether f and its Jacobian are defined on the whole of b.
bool differentiable_on(const plisse& p, const domain& b) { return defined_on(p.f, b) && defined_on(p.jacobian, b); }

/// Whether every interval of I is one and the same point (I not empty).
bool is_one_point(const domain& I)
{
    return !I.empty() && std::all_of(I.begin(), I.end(), [](const auto& entry) {
        return !entry.second.isEmpty() && entry.second.isPoint();
    });
}

/// The other variable of the plane.
std::string other_variable(const std::string& u) { return u == "x" ? "y" : "x"; }

/// The face of b where v is fixed at its lower or upper bound.
domain face(const domain& b, const std::string& v, bool upper)
{
    domain F = b;
    const interval I = b.get(v);
    F[v] = interval(upper ? I.sup() : I.inf());
    return F;
}

/// Halvings of a face at most when proving a property of det along it.
constexpr int face_depth = 3;

/// The direct enclosure narrowed by a centred form, where that is proper.
interval narrowed(const interval& direct, const interval& centred)
{
    return proper(centred) ? direct.intersect(centred) : direct;
}

/// The properties of det along a face that make one side of 0 an interval of
/// its free variable u, a bit each: det keeps the side (the whole face), det
/// keeps strictly the other side (none of it), det is convex (for ≤ 0) or
/// concave (for ≥ 0), det is non-decreasing, det is non-increasing.
enum face_property : unsigned { keeps_side = 1, keeps_other_side = 2, bends_right_way = 4, rises = 8, falls = 16 };
constexpr unsigned every_face_property = 31;

/// The properties among `wanted` that the enclosures over the piece F show
/// (below: the side det ≤ 0, else det ≥ 0); the second derivative is
/// computed only when a property that needs it is still wanted.
unsigned face_properties_on(const plisse& p, const domain& F, const std::string& u, bool below, unsigned wanted)
{
    // det and ∂det/∂u over F are narrowed by their mean value forms around
    // the centre m of F: g(F) ⊆ g(m) + g'(F)·(F − m).
    const axis a = axis_of(u);
    const domain m = F.center();
    const det_along_values over = p.programs().det_along(F, a);
    const det_along_values centre = p.programs().det_along(m, a);
    const interval offset = F.get(u) - m.get(u);
    unsigned shown = 0;
    if (wanted & (keeps_side | keeps_other_side)) {
        const interval value = narrowed(over.det, centre.det + over.slope * offset);
        if (proper(value)) {
            if (below ? value.sup() <= 0.0 : value.inf() >= 0.0) shown |= keeps_side;
            if (below ? value.inf() > 0.0 : value.sup() < 0.0) shown |= keeps_other_side;
        }
    }
    if (wanted & (bends_right_way | rises | falls)) {
        const interval curvature = p.programs().det_curvature(F, a);
        const interval slope = proper(curvature) ? narrowed(over.slope, centre.slope + curvature * offset) : over.slope;
        if (proper(curvature) && (below ? curvature.inf() >= 0.0 : curvature.sup() <= 0.0)) shown |= bends_right_way;
        if (proper(slope) && slope.inf() >= 0.0) shown |= rises;
        if (proper(slope) && slope.sup() <= 0.0) shown |= falls;
    }
    return shown & wanted;
}

/// The properties among `wanted` that hold on pieces of the face F covering
/// it, F being halved along u where a property is not shown, at most `depth`
/// times: a property holds on F when the enclosures over F show it, or when
/// it holds on both halves.
unsigned face_properties(const plisse& p, const domain& F, const std::string& u, bool below, unsigned wanted,
                         int depth)
{
    const unsigned shown = face_properties_on(p, F, u, below, wanted);
    const unsigned rest = wanted & ~shown;
    if (rest == 0 || depth == 0) return shown;
    const interval range = F.get(u);
    domain lower = F, upper = F;
    lower[u] = interval(range.inf(), range.mid());
    upper[u] = interval(range.mid(), range.sup());
    const unsigned on_lower = face_properties(p, lower, u, below, rest, depth - 1);
    if (on_lower == 0) return shown;
    return shown | face_properties(p, upper, u, below, on_lower, depth - 1);
}

/// Whether the u of the face F (u its free variable) where det ≤ 0 (below) or
/// det ≥ 0 (not below) form an interval: det keeps that side on all of F (all
/// of F), or strictly the other one (none of F); or det is monotone along F;
/// or det is convex along F (its sublevel sets are intervals), or concave for
/// the superlevel sets. One property is enough, so the pieces are cut only
/// where none is shown.
bool side_of_det_is_interval(const plisse& p, const domain& F, const std::string& u, bool below)
{
    return face_properties(p, F, u, below, every_face_property, face_depth) != 0;
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
bool fold_is_one_graph(const plisse& p, const domain& b, const std::array<interval, 2>& gradient,
                       const std::string& u)
{
    const std::string v = other_variable(u);
    const interval across = gradient[axis_of(v)];
    if (!excludes_zero(across)) return false;
    const bool increasing = across.inf() > 0.0;
    return side_of_det_is_interval(p, face(b, v, false), u, increasing)
           && side_of_det_is_interval(p, face(b, v, true), u, !increasing);
}

/// The sign tests that make f one-to-one along one arc of fold points, each
/// with one of its sign patterns: a bit per test and pattern, set on a piece
/// when the test's quantities keep that pattern of strict signs on the piece.
/// Bits 0–3: W_k = ∇f_k·T for k = y0, y1, positive or negative. Bits 4–35:
/// the test through a cusp (one_to_one_through_cusp) for each column c and
/// component k, with the signs of R_k, of the slope change and of the speed
/// change.
using sign_patterns = std::uint64_t;
constexpr sign_patterns every_pattern = (sign_patterns(1) << 36) - 1;

/// Whether f is proved one-to-one on the box these values enclose over, by
/// the mean value theorem on the convex box: f(p) − f(q) = M·(p − q) with row k of M the
/// gradient of f_k at some point of the box, so a Jacobian determinant that
/// excludes 0 over it (expanded as an interval matrix's, J00·J11 + (−J10)·J01)
/// leaves p = q. f must be differentiable on the whole box.
bool regular(const first_order_values& values)
{
    const auto& J = values.jacobian;
    return values.defined && excludes_zero(J[0][0] * J[1][1] + (-J[1][0]) * J[0][1]);
}

/// W_k = ∇f_k·T over a box, with T = (∂det/∂y, −∂det/∂x) the fold's tangent
/// direction, from the box's first-order values.
interval fold_speed(const first_order_values& values, int k)
{
    const interval T_x = values.grad_det[along_y];
    const interval T_y = interval(-1.0) * values.grad_det[along_x];
    return values.jacobian[k][along_x] * T_x + values.jacobian[k][along_y] * T_y;
}

/// The bit of interval I's strict sign among two from `first` (positive, then
/// negative); no bit when I is not proper or holds 0.
sign_patterns sign_bit(const interval& I, int first)
{
    if (!proper(I) || !excludes_zero(I)) return 0;
    return sign_patterns(1) << (I.inf() > 0.0 ? first : first + 1);
}

/// The sign patterns that hold on the piece b (see sign_patterns). With the
/// fold's tangent T, the derivative of f_k along the arc is ±W_k/(∂det/∂v).
/// Through a cusp Df·T vanishes and no component of f is monotone along the
/// arc: there, with R a column of Df and R_k ≠ 0, at fold points (Df of rank
/// one) f moves as g' = λ·(e_k + σ·e_j), where λ = ±(Df·T)_k/(∂det/∂v),
/// σ = R_j/R_k and j is the other component. When (Df·T)_k is strictly
/// monotone along the arc, λ changes sign at most once, at some point c; when
/// σ is strictly monotone too, λ·(σ − σ(c)) keeps its sign and vanishes only at
/// c. Two arc points with one image would give ∫λ = 0 and ∫λ·σ = 0 between
/// them, hence ∫λ·(σ − σ(c)) = 0: impossible. Derivatives along the arc are
/// those along the tangent field V = −T = (−∂det/∂y, ∂det/∂x), by the chain
/// rule at each point: R' = ∇R·V, and (Df·V)_k' = Vᵀ·∇²f_k·V + ∇f_k·(DV·V),
/// whose sign is that of (f_k ∘ flow)''. Each factor is enclosed over b.
sign_patterns patterns_on(const plisse& p, const domain& b)
{
    const first_order_values values = p.programs().first_order(b);
    sign_patterns found = 0;
    for (int k = 0; k < 2; ++k) found |= sign_bit(fold_speed(values, k), 2 * k);
    const second_order_values det = p.programs().second_order(b);
    const f_second_order_values f = p.programs().f_second_order(b);
    if (!det.defined || !f.defined) return found;
    const auto& J = values.jacobian;
    const auto& H = det.hessian;
    // V over b, and DV·V with DV = [[−∂²det/∂y∂x, −∂²det/∂y²], [∂²det/∂x², ∂²det/∂x∂y]].
    const std::array<interval, 2> V{-values.grad_det[along_y], values.grad_det[along_x]};
    const std::array<interval, 2> DV_V{-(H[along_y][along_x] * V[0] + H[along_y][along_y] * V[1]),
                                       H[along_x][along_x] * V[0] + H[along_x][along_y] * V[1]};
    // R' for R = ∂f_k/∂c: Σ_a ∂²f_k/∂a∂c·V_a.
    const auto R_prime = [&](int k, int c) { return f.hessian[k][0][c] * V[0] + f.hessian[k][1][c] * V[1]; };
    const auto speed_of = [&](int k) {
        const auto& F = f.hessian[k];
        const interval curvature = V[0] * (F[0][0] * V[0] + F[0][1] * V[1]) + V[1] * (F[1][0] * V[0] + F[1][1] * V[1]);
        return sign_bit(curvature + (J[k][0] * DV_V[0] + J[k][1] * DV_V[1]), 0);
    };
    int test = 0;
    for (int c = 0; c < 2; ++c) {
        for (int k = 0; k < 2; ++k) {
            const int first = 4 + 8 * test++;
            const int j = 1 - k;
            const sign_patterns r = sign_bit(J[k][c], 0);
            if (r == 0) continue;
            const sign_patterns slope = sign_bit(R_prime(j, c) * J[k][c] - J[j][c] * R_prime(k, c), 0);
            const sign_patterns speed = speed_of(k);
            if (slope == 0 || speed == 0) continue;
            // Bit 1 of each pair is the negative sign: the three bits form the pattern's number.
            const int pattern = (r == 2 ? 4 : 0) | (slope == 2 ? 2 : 0) | (speed == 2 ? 1 : 0);
            found |= sign_patterns(1) << (first + pattern);
        }
    }
    return found;
}

/// Halvings of a box at most when looking for the sign patterns its fold points share.
constexpr int pattern_depth = 3;

/// The sign patterns that hold at every fold point of b: b is halved across
/// its widest variable, at most `depth` times, where no pattern holds on it;
/// a piece where det excludes 0 holds no fold point and allows every pattern.
sign_patterns patterns_at_fold_points(const plisse& p, const domain& b, int depth)
{
    if (excludes_zero(p.programs().det(b))) return every_pattern;
    const sign_patterns found = patterns_on(p, b);
    if (found != 0 || depth == 0) return found;
    std::string widest = "x";
    if (b.get("y").width() > b.get("x").width()) widest = "y";
    const interval range = b.get(widest);
    domain lower = b, upper = b;
    lower[widest] = interval(range.inf(), range.mid());
    upper[widest] = interval(range.mid(), range.sup());
    const sign_patterns shared = patterns_at_fold_points(p, lower, depth - 1);
    return shared == 0 ? 0 : shared & patterns_at_fold_points(p, upper, depth - 1);
}

/// Interval Newton steps at most when enclosing the fold point of a line.
constexpr int line_newton_steps = 12;

/// An enclosure of the fold point of b on the line u = u0, where ∂det/∂v
/// excludes 0 on b: interval Newton on det(u0, ·) over b's range of v. When a
/// step N(V) lands in V, V holds exactly one zero, and every later iterate
/// encloses it. Nothing when no step proves it.
std::optional<domain> fold_point_on_line(const plisse& p, const domain& b, const std::string& u, double u0)
{
    const std::string v = other_variable(u);
    domain line = b;
    line[u] = interval(u0);
    bool proved = false;
    for (int step = 0; step < line_newton_steps; ++step) {
        domain centre = line;
        centre[v] = interval(line.get(v).mid());
        const interval value = p.programs().det(centre);
        const interval slope = p.programs().det_derivative(line, axis_of(v));
        if (!proper(value) || !proper(slope) || !excludes_zero(slope)) break;
        const interval N = centre.get(v) - value / slope;
        if (!proper(N) || N.disjoint(line.get(v))) return std::nullopt;
        proved = proved || N.subset(line.get(v));
        const interval next = N.intersect(line.get(v));
        if (next == line.get(v)) break;
        line[v] = next;
    }
    if (!proved) return std::nullopt;
    return line;
}

/// A fold point of b, enclosed, and its image.
struct fold_point {
    domain point;
    domain image;
};

/// The fold point of b on its middle line across u, else on one of its faces
/// across u. Nothing when none is proved to exist.
std::optional<fold_point> fold_point_of(const plisse& p, const domain& b, const std::string& u)
{
    const interval range = b.get(u);
    for (const double u0 : {range.mid(), range.inf(), range.sup()}) {
        if (std::optional<domain> point = fold_point_on_line(p, b, u, u0)) {
            const domain image = p.evalue(*point);
            return fold_point{std::move(*point), image};
        }
    }
    return std::nullopt;
}

/// The variable u along which the fold points of b form one graph arc v = φ(u)
/// (fold_is_one_graph), the steeper direction of det first; "" when neither.
std::string arc_variable(const plisse& p, const domain& b, const std::array<interval, 2>& gradient)
{
    const bool y_first = gradient[along_x].mig() >= gradient[along_y].mig();
    for (const char* u : y_first ? std::array<const char*, 2>{"y", "x"} : std::array<const char*, 2>{"x", "y"}) {
        if (fold_is_one_graph(p, b, gradient, u)) return u;
    }
    return "";
}

}  // namespace

iboolean plisse::one_to_one(const domain& b) const
{
    if (regular(programs_.first_order(b))) return true;
    return iperhaps;
}

void plisse::one_to_one()
{
    const std::vector<domain>& cells = res.source_mesh.boxes;
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        // A cell whose determinant enclosure is empty or unbounded may hold
        // fold points as well: only a proved non-zero determinant leaves it out.
        if (!excludes_zero(programs_.det(cells[i]))) res.singular_indices.push_back(i);
    }
}

void plisse::image()
{
    for (const domain& cell : res.source_mesh.boxes) res.images.push_back(evalue(cell));
    for (const domain& piece : res.boundary_mesh.boxes) res.boundary_images.push_back(evalue(piece));
}

bool plisse::one_to_one_boundary(const domain& e) const
{
    // A component of f whose derivative along the edge keeps a strict sign is
    // strictly monotone along it, given f differentiable on the whole edge.
    const std::string v = free_variable(e);
    return !v.empty() && differentiable_on(*this, e) && excludes_zero(jacobian.evalue(e).row(v));
}

bool plisse::one_to_one_boundary(const domain& e1, const domain& e2) const
{
    // For p on e1, q on e2 and I their single common point, with D1, D2 the
    // derivatives along e1, e2 oriented towards I and D̄ their means on the
    // segments [p, I], [q, I]: f(p) − f(q) = −|p − I|·D̄1 + |q − I|·D̄2. When a
    // component k of D1 and of −D2 keeps one strict sign, both terms of the
    // k-th difference have that sign's opposite and vanish only for p = q = I.
    // The means are integrals of f's derivatives: f differentiable on both pieces.
    const domain I = e1.intersect(e2);
    if (is_one_point(I) && differentiable_on(*this, e1) && differentiable_on(*this, e2)) {
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
    // Every argument applies the mean value theorem over b, and those after
    // the first follow the fold curve through it: every partial function of
    // f, of its Jacobian and of det's gradient must be defined on all of b.
    const first_order_values values = programs_.first_order(b);
    if (!values.defined) return false;
    if (regular(values)) return true;
    const std::array<interval, 2>& gradient = values.grad_det;
    // W_k = ∂f_k/∂x·∂det/∂y − ∂f_k/∂y·∂det/∂x, evaluated from independent
    // enclosures over b, encloses the determinant of every matrix whose rows
    // are ∇f_k and ∇det taken at any points of b. When it excludes 0 the mean
    // value theorem makes (f_k, det) one-to-one on b: two fold points of b,
    // however many arcs they lie on, have different f_k.
    if (excludes_zero(fold_speed(values, 0)) || excludes_zero(fold_speed(values, 1))) return true;
    // On one arc of fold points, each argument asks signs at the arc's points
    // only, so they may be checked on pieces of b that cover its fold points,
    // provided every piece shows one and the same sign pattern. Near a cusp no
    // component is monotone along the fold, and the argument that replaces it
    // holds on one arc only.
    if (!fold_is_one_graph(*this, b, gradient, "x") && !fold_is_one_graph(*this, b, gradient, "y")) return false;
    return patterns_at_fold_points(*this, b, pattern_depth) != 0;
}

std::optional<fold_arc> plisse::arc_of(const domain& b) const
{
    // The images of the fold points of b along their arc v = φ(u): for a fold
    // point p = (φ(u), u) and p0 = (φ(u0), u0) on the same arc,
    // f(p) − f(p0) = ∫ from u0 to u of (∂f/∂u + ∂f/∂v·φ'), with
    // φ' = −(∂det/∂u)/(∂det/∂v), so f(p) lies in f(p0) + G·(u − u0), G
    // enclosing that derivative over b. Along a fold f may move slowly
    // compared with the box's width, and near a cusp it stops.
    const first_order_values values = programs_.first_order(b);
    if (!values.defined) return std::nullopt;
    const std::array<interval, 2>& gradient = values.grad_det;
    const std::string u = arc_variable(*this, b, gradient);
    if (u.empty()) return std::nullopt;
    const std::optional<fold_point> reference = fold_point_of(*this, b, u);
    if (!reference) return std::nullopt;
    const std::string v = other_variable(u);
    const axis u_axis = axis_of(u);
    const axis v_axis = axis_of(v);
    const interval ratio = gradient[u_axis] / gradient[v_axis];
    fold_arc arc;
    arc.reference_image = reference->image;
    // The arc's points of b lie at u − u0 in b[u] − u0 and, as v − v0 lies in
    // φ'·(u − u0) with φ' = −ratio, also in (b[v] − v0)/φ' where φ' excludes 0.
    arc.step = b.get(u) - reference->point.get(u);
    const interval slope = -ratio;
    if (proper(slope) && excludes_zero(slope)) {
        const interval across = (b.get(v) - reference->point.get(v)) / slope;
        if (proper(across)) arc.step = arc.step.intersect(across);
    }
    for (int k = 0; k < 2; ++k) {
        const char* name = k == 0 ? "y0" : "y1";
        const interval G = values.jacobian[k][u_axis] - values.jacobian[k][v_axis] * ratio;
        arc.slope[name] = G;
        interval range = values.f[k];
        const interval along = reference->image.get(name) + G * arc.step;
        if (proper(along)) range = range.intersect(along);
        arc.image[name] = range;
    }
    // Df(p0) has rank one: its larger column spans the fold image's tangent.
    const auto J0 = programs_.first_order(reference->point).jacobian;
    const auto size = [&J0](int column) { return J0[0][column].mag() + J0[1][column].mag(); };
    const int column = size(along_x) >= size(along_y) ? along_x : along_y;
    arc.normal = {-J0[1][column].mid(), J0[0][column].mid()};
    return arc;
}

domain plisse::fold_image(const domain& b) const
{
    const std::optional<fold_arc> arc = arc_of(b);
    return arc ? arc->image : evalue(b);
}
