// Diagnoses of a map: each one proved by interval evaluations of the exact
// map over named boxes, before any search runs.

#include "diagnosis.hpp"

#include "box_union.hpp"
#include "interval_text.hpp"
#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "sivia.hpp"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <optional>

namespace {

/// Boxes one proof search examines at most, and the share of the width of
/// the studied box below which it bisects no further.
constexpr int search_box_limit = 4096;
constexpr double finest_share = 1.0 / 64;

/// Edge pieces the search for fold points on one edge examines at most, and
/// the share of the edge's length below which a piece is not bisected.
constexpr int edge_piece_limit = 512;
constexpr double finest_edge_share = 1e-9;

/// Characters of an argument quoted in a message at most.
constexpr std::size_t quoted_length = 40;

/// The components as the messages name them.
const char* const component_labels[] = {"f1", "f2"};
const char* const component_names[] = {"y0", "y1"};

std::string number(double d)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", d);
    return text;
}

std::string box_text(const domain& b)
{
    return "x in " + interval_text(b.get("x")) + ", y in " + interval_text(b.get("y"));
}

/// The point of a narrow box, as its midpoints to six digits: "(-1, 0.57735)".
std::string point_text(const domain& b)
{
    return "(" + number(mid(b.get("x"))) + ", " + number(mid(b.get("y"))) + ")";
}

// ---------------------------------------------------------------------------
// Where the map is not defined.

/// How a partial function leaves its domain: on a half-line of its argument
/// (ln, sqrt), or at isolated values, its poles (a divisor or the base of a
/// negative power at 0, tan at the odd multiples of π/2).
enum class domain_shape { half_line, poles };

/// A partial function of a component, with the subtree of its argument.
struct partial_function {
    int component;
    /// "ln", "sqrt", "/", "^-2", "tan".
    std::string name;
    /// What its argument is called in a message: "the argument", "the divisor", "the base".
    std::string role;
    domain_shape shape;
    int argument;
};

/// The exponent of the power node at i when it is a negative integer constant.
std::optional<int> negative_exponent(const std::vector<Node>& tree, int i)
{
    const interval n = Eval(tree, tree[i].right, domain());
    if (n.isEmpty() || !n.isPoint() || !std::isfinite(n.inf())) return std::nullopt;
    const double e = std::trunc(n.sup());
    return e < 0 && e >= -1000 ? std::optional<int>(static_cast<int>(e)) : std::nullopt;
}

/// The partial functions of component k, innermost first (children stand
/// before their parents in a tree).
std::vector<partial_function> partial_functions(const std::vector<Node>& tree, int k)
{
    std::vector<partial_function> found;
    for (int i = 0; i < static_cast<int>(tree.size()); ++i) {
        const Node& node = tree[i];
        switch (node.kind) {
        case 'L': found.push_back({k, "ln", "the argument", domain_shape::half_line, node.left}); break;
        case 'R': found.push_back({k, "sqrt", "the argument", domain_shape::half_line, node.left}); break;
        case 'T': found.push_back({k, "tan", "the argument", domain_shape::poles, node.left}); break;
        case '/': found.push_back({k, "/", "the divisor", domain_shape::poles, node.right}); break;
        case 'P':
            if (const std::optional<int> e = negative_exponent(tree, i))
                found.push_back({k, "^" + std::to_string(*e), "the base", domain_shape::poles, node.left});
            break;
        default: break;
        }
    }
    return found;
}

/// An enclosure of π.
interval pi() { return interval(4.0) * atan(interval(1.0)); }

/// Which side of the domain of g an enclosure A of its argument lies on.
enum class side { inside, outside, both };

/// Where A lies for a function with a half-line domain: ln needs an argument
/// above 0, sqrt one at least 0.
side half_line_side(const std::string& name, const interval& A)
{
    const bool open = name == "ln";
    if (open ? A.inf() > 0 : A.inf() >= 0) return side::inside;
    if (open ? A.sup() <= 0 : A.sup() < 0) return side::outside;
    return side::both;
}

/// Whether A holds a pole of the function: 0, or for tan an odd multiple of π/2.
bool may_hold_pole(const std::string& name, const interval& A)
{
    if (name != "tan") return A.contains(0.0);
    return tan(A).isInfinite();
}

/// Whether the argument, continuous on a segment and taking the values a and
/// b at its ends, takes the value of a pole between them: a and b on either
/// side of 0 (or of one odd multiple of π/2 for tan), by the intermediate value theorem.
bool pole_between(const std::string& name, const interval& a, const interval& b)
{
    if (!proper(a) || !proper(b)) return false;
    const interval& low = a.sup() < b.inf() ? a : b;
    const interval& high = a.sup() < b.inf() ? b : a;
    if (!(low.sup() < high.inf())) return false;
    if (name != "tan") return low.sup() < 0 && high.inf() > 0;
    // The first pole (2k + 1)π/2 above the low end.
    const double k = std::ceil(low.sup() / 3.141592653589793 - 0.5);
    const interval pole = interval(2 * k + 1) * pi() / interval(2.0);
    return low.sup() < pole.inf() && pole.sup() < high.inf();
}

/// The argument of g as an expression of its own (for its domain check).
Map argument_map(const plisse& p, const partial_function& g)
{
    const std::vector<Node>& tree = p.f.component(component_names[g.component]).tree;
    return Map(expression(Arbre2Chaine(tree, g.argument)));
}

/// Whether g has a pole at some point of B: its argument 0 at a corner
/// (not for tan, whose poles are no doubles), or defined on B (so continuous
/// on the segment between two corners) and on either side of a pole at two corners.
bool pole_in(const partial_function& g, const std::vector<Node>& tree, const Map& argument, const domain& B)
{
    std::vector<interval> at_corners;
    for (int c = 0; c < 4; ++c) at_corners.push_back(Eval(tree, g.argument, B.corner(c)));
    if (g.name != "tan" && std::find(at_corners.begin(), at_corners.end(), interval(0.0)) != at_corners.end())
        return true;
    if (!argument.defined_on(B)) return false;
    for (int i = 0; i < 4; ++i)
        for (int j = i + 1; j < 4; ++j)
            if (pole_between(g.name, at_corners[i], at_corners[j])) return true;
    return false;
}

/// The message of a box B on which g is proved to leave its domain.
std::string undefined_message(const plisse& p, const partial_function& g, const domain& B, bool throughout)
{
    const std::vector<Node>& tree = p.f.component(component_names[g.component]).tree;
    std::string argument = Arbre2Chaine(tree, g.argument);
    if (argument.size() > quoted_length) argument = argument.substr(0, quoted_length - 3) + "...";
    std::string where;
    if (g.shape == domain_shape::half_line)
        where = g.name == "ln" ? "is at most 0 throughout " : "is below 0 throughout ";
    else if (throughout)
        where = "is 0 throughout ";
    else
        where = g.name == "tan" ? "is an odd multiple of pi/2 somewhere in " : "is 0 somewhere in ";
    return std::string(component_labels[g.component]) + " is not defined on part of the box: " + g.role + " " +
           argument + " of " + g.name + " " + where + box_text(B) +
           "; the searches cannot settle what they cannot evaluate there";
}

/// The first box of the search from `start` on which g is proved to leave its
/// domain, breadth first: boxes on which it stays inside are dropped, others
/// bisected down to `finest`.
std::optional<diagnosis> undefined_in(const plisse& p, const partial_function& g, const Map& argument,
                                      const domain& start, double finest)
{
    const std::vector<Node>& tree = p.f.component(component_names[g.component]).tree;
    std::deque<domain> queue{start};
    for (int examined = 0; !queue.empty() && examined < search_box_limit; ++examined) {
        const domain B = std::move(queue.front());
        queue.pop_front();
        const interval A = Eval(tree, g.argument, B);
        // Where the argument has no value, an inner function is undefined: its own search says so.
        if (A.isEmpty()) continue;
        if (g.shape == domain_shape::half_line) {
            const side s = half_line_side(g.name, A);
            if (s == side::inside) continue;
            if (s == side::outside) return diagnosis{diagnosis_kind::undefined, g.name, B, undefined_message(p, g, B, true)};
        } else {
            if (!may_hold_pole(g.name, A)) continue;
            // A divisor enclosed by the point 0 is 0 throughout; a pole between
            // two corners is tried on the narrowest boxes only, so that the box named is small.
            const bool zero = g.name != "tan" && A == interval(0.0);
            if (zero || (B.width() <= finest && pole_in(g, tree, argument, B)))
                return diagnosis{diagnosis_kind::undefined, g.name, B, undefined_message(p, g, B, zero)};
        }
        if (B.width() > finest)
            for (domain& half : mesh(B, 2).boxes) queue.push_back(std::move(half));
    }
    return std::nullopt;
}

/// One diagnosis for each partial function of the map (each argument once)
/// that is proved to leave its domain in D: first inside D, then on its edges
/// (a logarithm of x over [0, 1] is undefined on the edge x = 0 only).
void add_undefined(const plisse& p, const domain& D, std::vector<diagnosis>& found)
{
    std::vector<std::string> seen;
    for (int k = 0; k < 2; ++k) {
        const std::vector<Node>& tree = p.f.component(component_names[k]).tree;
        for (const partial_function& g : partial_functions(tree, k)) {
            const std::string key = g.name + " " + Arbre2Chaine(tree, g.argument);
            if (std::find(seen.begin(), seen.end(), key) != seen.end()) continue;
            seen.push_back(key);
            const Map argument = argument_map(p, g);
            std::optional<diagnosis> d = undefined_in(p, g, argument, D, finest_share * D.width());
            for (const domain& face : D.boundary())
                if (!d) d = undefined_in(p, g, argument, face, finest_share * D.width());
            if (d) found.push_back(std::move(*d));
        }
    }
}

// ---------------------------------------------------------------------------
// Constant components and a determinant that vanishes on a region.

/// Whether component k takes a single value on D: it has no variable, or its
/// enclosure over D is one point (which holds every value it takes there).
std::optional<interval> constant_value(const plisse& p, int k, const domain& D)
{
    const expression& e = p.f.component(component_names[k]);
    const interval value = e.Evalue(D);
    if (value.isEmpty()) return std::nullopt;
    if (e.variables.empty() || value.isPoint()) return value;
    return std::nullopt;
}

void add_constant_components(const plisse& p, const domain& D, std::vector<diagnosis>& found)
{
    for (int k = 0; k < 2; ++k) {
        const std::optional<interval> value = constant_value(p, k, D);
        if (!value) continue;
        const std::string label = component_labels[k];
        const std::string shown = value->isPoint() ? number(value->inf()) : interval_text(*value);
        found.push_back({diagnosis_kind::constant_component, label, D,
                         label + " is constant on the box (" + shown +
                             "): the image of the box lies on a line, the Jacobian determinant is 0 everywhere, "
                             "and the map has neither a fold curve nor transversal crossings for the searches to "
                             "prove"});
    }
}

/// The boxes of D, at the width of the fold cover, on which det is proved 0
/// at every point: det defined on the box and its enclosure there the point 0.
std::vector<domain> zero_determinant_boxes(const plisse& p, const domain& D)
{
    // Two equal components give two equal rows of the Jacobian matrix.
    if (p.f.component("y0").text == p.f.component("y1").text && p.det_map.defined_on(D)) return {D};
    sivia inversion(p.det_map, domain{{"y0", interval(0.0)}});
    inversion.SIVIAfile(D, fold_cover_width(D));
    std::vector<domain> zero;
    for (const domain& b : inversion.inside_boxes)
        if (p.det_map.defined_on(b) && p.det.Evalue(b) == interval(0.0)) zero.push_back(b);
    return merged_boxes(std::move(zero));
}

double area(const domain& b) { return diam(b.get("x")) * diam(b.get("y")); }

void add_zero_determinant(const plisse& p, const domain& D, std::vector<diagnosis>& found)
{
    const std::vector<domain> zero = zero_determinant_boxes(p, D);
    if (zero.empty()) return;
    const domain& largest =
        *std::max_element(zero.begin(), zero.end(), [](const domain& a, const domain& b) { return area(a) < area(b); });
    const std::string more = zero.size() > 1 ? " (and on " + std::to_string(zero.size() - 1) + " more boxes)" : "";
    found.push_back({diagnosis_kind::zero_determinant, "det", largest,
                     "the Jacobian determinant is 0 at every point of " + box_text(largest) + more +
                         ": every point there is a fold point, so the fold set is no curve there, and the searches "
                         "cannot settle the candidates in it"});
}

// ---------------------------------------------------------------------------
// Kernels along edges.

/// The fold points on the edge F (a face of the studied box), each in a
/// narrow box proved by Newton on det along F to hold exactly one: pieces
/// where det excludes 0 are dropped, undecided pieces halved.
std::vector<domain> fold_points_on(const plisse& p, const domain& F)
{
    frozen_systems edge{Map(p.det)};
    const double finest = finest_edge_share * F.width();
    std::vector<domain> points;
    std::deque<domain> pieces{F};
    for (int examined = 0; !pieces.empty() && examined < edge_piece_limit; ++examined) {
        const domain G = std::move(pieces.front());
        pieces.pop_front();
        if (excludes_zero(p.det.Evalue(G))) continue;
        domain X = G;
        const domain frozen = frozen_part(X);
        const newton& op = edge.restrict_to(X);
        const newton_run run = newton_iterates(op, X, 4, false);
        if (run.verdict == zero_count::none) continue;
        if (run.verdict == zero_count::one && run.last.subset(X)) {
            const domain point = tighten(op, run.last).direct_sum(frozen);
            // A zero on the end shared by two pieces is proved in both.
            const bool seen = std::any_of(points.begin(), points.end(), [&](const domain& q) { return !q.disjoint(point); });
            if (!seen) points.push_back(point);
            continue;
        }
        if (G.width() > finest)
            for (domain& half : mesh(G, 2).boxes) pieces.push_back(std::move(half));
    }
    return points;
}

/// The edge F as the messages name it: "x = -1".
std::string edge_name(const domain& F, const std::string& fixed)
{
    return fixed + " = " + number(F.get(fixed).inf());
}

/// The fold points on the edges of D at which the kernel of the Jacobian is
/// along the edge. On an edge F along v (w fixed), when some component f_k
/// has ∂f_k/∂v = 0 on all of F (its enclosure there is the point 0), det is
/// ∂f_k/∂w ∂f_j/∂v up to sign along F; at a fold point p of F where
/// ∂f_k/∂w(p) ≠ 0, det(p) = 0 then gives ∂f_j/∂v(p) = 0: the column of J(p)
/// along v is 0 and J(p) has rank 1, so its kernel is the direction of F.
void add_kernels_along_edges(const plisse& p, const domain& D, std::vector<diagnosis>& found)
{
    for (const domain& F : D.boundary()) {
        const std::string w = F.get("x").isPoint() ? "x" : "y";
        const std::string v = w == "x" ? "y" : "x";
        std::vector<int> flat;
        for (int k = 0; k < 2; ++k) {
            if (p.jacobian.defined_on(F) && p.jacobian.evalue_entry(F, component_names[k], v) == interval(0.0))
                flat.push_back(k);
        }
        if (flat.empty()) continue;
        for (const domain& point : fold_points_on(p, F)) {
            const bool along = std::any_of(flat.begin(), flat.end(), [&](int k) {
                return excludes_zero(p.jacobian.evalue_entry(point, component_names[k], w));
            });
            if (!along) continue;
            const std::string edge = edge_name(F, w);
            found.push_back({diagnosis_kind::kernel_along_edge, edge, point,
                             "the kernel of the Jacobian is tangent to the edge " + edge + " at the fold point " +
                                 point_text(point) +
                                 ": the image of the edge folds back on itself there, the map is not generic with "
                                 "respect to the boundary, and the crossing searches cannot settle the pairs near "
                                 "it; a box whose edges are not along the kernel, or a slightly tilted map, makes "
                                 "the boundary generic"});
        }
    }
}

}  // namespace

const char* kind_name(diagnosis_kind kind)
{
    switch (kind) {
    case diagnosis_kind::undefined: return "undefined";
    case diagnosis_kind::constant_component: return "constant_component";
    case diagnosis_kind::zero_determinant: return "zero_determinant";
    case diagnosis_kind::kernel_along_edge: return "kernel_along_edge";
    }
    return "";
}

std::vector<diagnosis> diagnose(const plisse& p, const domain& D)
{
    std::vector<diagnosis> found;
    add_undefined(p, D, found);
    add_constant_components(p, D, found);
    // A constant component already says that det vanishes everywhere.
    const bool constant = std::any_of(found.begin(), found.end(), [](const diagnosis& d) {
        return d.kind == diagnosis_kind::constant_component;
    });
    if (!constant) add_zero_determinant(p, D, found);
    add_kernels_along_edges(p, D, found);
    return found;
}
