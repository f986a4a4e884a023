// Cusps: a breadth-first branch-and-prune search on the cusp condition map,
// each cusp proved to exist and to be unique in its box by the interval
// Newton operator, then tightened. A box left undecided because its cusp lies
// on its face is tried again widened, and every proved cusp is counted once.

#include "newton_proof.hpp"
#include "plisse.hpp"
#include "stop_request.hpp"
#include "vector_field.hpp"

#include <algorithm>
#include <deque>
#include <iostream>
#include <optional>

namespace {

/// Boxes the queue may hold at most: a bound on memory alone (a box costs a
/// few hundred bytes). The work follows the cusps: boxes where none can be
/// isolated are set aside instead of bisected (see bisectable).
constexpr std::size_t cusp_queue_limit = std::size_t(1) << 21;

/// Width, relative to the scale of the searched box, below which an undecided
/// box is set aside. At 1e-10 of the scale a box still spans about a million
/// units in the last place, ample for the Newton test on a regular cusp; an
/// undecided box that narrow surrounds a zero that no width can settle (a
/// degenerate cusp, a vanishing gradient of det, a zero on a face), and about
/// 34 bisections reach it from the searched box.
constexpr double cusp_relative_width = 1e-10;

/// Width, relative to the scale of the searched box, below which an undecided
/// box on which the map is not defined throughout is set aside. Such a box
/// straddles the edge of the map's domain and proves nothing however narrow
/// it is; bisected to the width above, the boxes along that edge would
/// multiply without end. A cusp closer to the edge than this stays undecided.
constexpr double partly_defined_relative_width = 1e-4;

/// The scale of b: its width or the magnitude of its bounds, whichever is larger.
double scale(const domain& b)
{
    double s = b.width();
    for (const auto& entry : b) s = std::max(s, entry.second.mag());
    return s;
}

/// Whether the map has a value somewhere in B: an empty image component means
/// that no point of B lies in the domain of that component.
bool defined_somewhere(const plisse& p, const domain& B)
{
    for (const auto& entry : p.evalue(B)) {
        if (entry.second.isEmpty()) return false;
    }
    return true;
}

/// Whether the Newton operator of the cusp system may be trusted on B: the map
/// and the cusp system with its Jacobian are defined on the whole of B (the
/// mean value argument behind the operator needs every point of B).
bool newton_cusp_applies(const plisse& p, const domain& B)
{
    return defined_on(p.f, B) && defined_on(p.cusp_map, B) && defined_on(p.newton_cusp.jacobian, B);
}

/// The widths below which undecided boxes are set aside: boxes on which the
/// map is defined throughout, and the others.
struct widths {
    double defined;
    double partly_defined;
};

/// Whether some component of W is proved to vanish at every point of B (its
/// enclosure over B is the point 0).
bool vanishes_throughout(const domain& W)
{
    return std::any_of(W.begin(), W.end(), [](const auto& entry) { return entry.second == interval(0.0); });
}

/// The enclosures over a box of the cusp condition and of det, which several
/// tests read.
struct cusp_box_values {
    domain condition;
    interval det;
};

cusp_box_values values_over(const plisse& p, const domain& B) { return {p.cusp_map.evalue(B), p.programs().det(B)}; }

/// Whether the undecided box B is worth bisecting: bounded, non-empty, wider
/// than narrowest (the width for a box on which the map is defined
/// throughout, or for one on which it is not), not wholly outside the domain
/// of the map, and not a box
/// where det or the cusp condition vanishes at every point (every point of B
/// is then a fold point, or a point of the cusp condition on the fold: no cusp
/// is isolated there, and no bisection settles one). A box that is not is
/// set aside, which claims nothing about it.
bool bisectable(const plisse& p, const domain& B, const cusp_box_values& over, const widths& narrowest)
{
    if (!bounded_over(B, B) || !(B.width() > narrowest.defined) || !defined_somewhere(p, B)) return false;
    if (!newton_cusp_applies(p, B) && !(B.width() > narrowest.partly_defined)) return false;
    return over.det != interval(0.0) && !vanishes_throughout(over.condition);
}

/// Whether the box holds no zero of the cusp condition on the fold curve:
/// either cusp_map has no zero there, or det has none, and a cusp is a zero
/// of both. Code 4 stands for either; the second settles at once the boxes
/// of a map whose determinant never vanishes, where cusp_map may vanish
/// identically (a linear map) or where the gradient of det does.
bool no_cusp_condition_zero(const cusp_box_values& over)
{
    return excludes_zero(over.condition) || excludes_zero(over.det);
}

/// Whether Newton proves that B holds exactly one cusp, N being the operator's
/// image of B: N inside B, the map and the cusp system defined on B, the fold
/// tangent non-zero on B and the cusp non-degenerate.
bool proves_one_cusp(const plisse& p, const domain& B, const domain& N)
{
    return bounded_over(N, B) && N.subset(B) && newton_cusp_applies(p, B) && excludes_zero(p.tangent.evalue(B))
           && p.one_to_one_cusp(N, false);
}

/// The verdict code of B in the cusp search (5 or 3), or 0 when B stays
/// undecided, for a B that may hold a cusp; N is the operator's image of B.
int cusp_verdict(const plisse& p, const domain& B, const domain& N)
{
    if (proves_one_cusp(p, B, N)) return 5;
    if (bounded_over(N, B) && N.disjoint(B) && newton_cusp_applies(p, B)) return 3;
    return 0;
}

/// Fraction of its width by which each interval of an undecided box is
/// widened on either side for a second attempt at the proof.
constexpr double inflation = 0.25;

/// B with each interval widened by inflation times its width on either side.
domain widened(const domain& B)
{
    domain W;
    for (const auto& [v, I] : B) {
        const double margin = inflation * I.width();
        W[v] = I + interval(-margin, margin);
    }
    return W;
}

/// A cusp of b proved around the undecided box B, if any. A cusp on a line
/// along which the search bisects lies on a face of every box that holds it,
/// and the Newton image of each such box sticks out of the box. When the
/// image N of B sticks out of B but stays inside B widened, the proof is tried
/// again on the widened box: the cusp proved there is the only one of B, and a
/// cusp of b when its tight enclosure lies in b (one on a face of b, or beyond
/// it, is left to the search).
std::optional<proved_zero> widened_proof(const plisse& p, const domain& B, const domain& N, const domain& b)
{
    const domain W = widened(B);
    if (!bounded_over(N, B) || N.subset(B) || !N.subset(W)) return std::nullopt;
    const domain NW = p.newton_cusp.operator_newton(W);
    if (!proves_one_cusp(p, W, NW)) return std::nullopt;
    domain tight = tighten(p.newton_cusp, NW);
    if (!tight.subset(b)) return std::nullopt;
    return proved_zero{W, std::move(tight), domain(), &p.newton_cusp};
}

}  // namespace

int plisse::Cusp(const domain& b)
{
    const widths narrowest{cusp_relative_width * scale(b), partly_defined_relative_width * scale(b)};
    std::deque<domain> L{b};
    int set_aside = 0;
    // A cusp proved from two boxes (one of them widened) is counted once.
    distinct_zeros found(false);
    // Breadth first: whenever the boxes of one depth are all examined, the
    // queue holds exactly those of the next depth, the search's next pass.
    int depth = 0;
    int next_depth_at = 0;
    for (int examined = 0; !L.empty() && L.size() <= cusp_queue_limit && !stop_requested(); ++examined) {
        if (examined == next_depth_at) {
            report_pass("cusps", depth++, static_cast<int>(L.size()));
            next_depth_at += static_cast<int>(L.size());
        }
        const domain B = std::move(L.front());
        L.pop_front();
        // A box without a zero of the cusp condition on the fold holds no
        // cusp: it is settled before any Newton step.
        const cusp_box_values over = values_over(*this, B);
        if (no_cusp_condition_zero(over)) {
            res.cusp_boxes.emplace_back(B, 4);
            continue;
        }
        const domain N = newton_cusp.operator_newton(B);
        const int code = cusp_verdict(*this, B, N);
        std::optional<proved_zero> cusp;
        if (code == 5) {
            cusp = proved_zero{B, tighten(newton_cusp, N), domain(), &newton_cusp};
        } else if (code == 0) {
            cusp = widened_proof(*this, B, N, b);
        }
        if (cusp) {
            // The box recorded is the one in which the cusp is proved unique:
            // B, or B widened (which then overlaps its neighbours). B is
            // settled either way, with no entry of its own when its cusp is
            // one already recorded or one counted as undecided.
            if (found.insert(*cusp)) {
                res.cusp_boxes.emplace_back(cusp->box, 5);
                res.cusps.push_back(cusp->box);
            }
        } else if (code != 0) {
            res.cusp_boxes.emplace_back(B, code);
        } else if (bisectable(*this, B, over, narrowest)) {
            for (domain& piece : mesh(B, 2).boxes) L.push_back(std::move(piece));
        } else {
            ++set_aside;
            res.cusp_undecided.push_back(B);
        }
    }
    res.cusp_undecided.insert(res.cusp_undecided.end(), L.begin(), L.end());
    for (const proved_zero& z : found.unresolved_zeros()) res.cusp_undecided.push_back(z.tight);
    undecided.cusps = set_aside + static_cast<int>(L.size()) + found.unresolved();
    return undecided.cusps;
}

bool plisse::one_to_one_cusp(const domain& n, bool verbose) const
{
    const interval_matrix gradient = grad_det.evalue(n);
    const domain G{{"x", gradient.entry("y0", "x")}, {"y", gradient.entry("y0", "y")}};
    const domain W = jacobian.evalue(n).image(G);

    vector_field V;
    V.components["x"] = tangent.components.at("y0");
    V.components["y"] = tangent.components.at("y1");
    const taylor T = f.derive(V, 3, n);

    // Third-order coefficients of f along the fold's tangent flow; a record
    // that lacks them proves nothing.
    const auto third = [&T](const std::string& c) {
        const auto found = T.coefficients.find(c);
        return found != T.coefficients.end() && found->second.size() > 3 ? found->second[3]
                                                                         : interval::ENTIRE();
    };
    const interval Q = interval(-1.0) * W.get("y1") * third("y0") + W.get("y0") * third("y1");

    if (verbose) {
        G.out();
        W.out();
        T.out();
        std::cout << Q << std::endl;
    }
    return excludes_zero(Q);
}

void plisse::improve_cusp()
{
    // Each Newton image holds the cusp of the box it is applied to, and so
    // does its intersection with that box: the boxes shrink around their
    // cusps until a Newton step no longer changes them.
    for (domain& B : res.cusps) B = tighten(newton_cusp, B);
}
