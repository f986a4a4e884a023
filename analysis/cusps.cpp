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

/// Boxes the search examines at most. A regular map is settled within a few
/// hundred boxes; the bound only stops searches that bisect a whole region
/// without deciding it (a map undefined there), and what it leaves counts as
/// undecided.
constexpr int cusp_box_limit = 20000;

/// Width, relative to the scale of the searched box, below which an undecided
/// box is set aside. At 1e-10 of the scale a box still spans about a million
/// units in the last place, ample for the Newton test on a regular cusp; an
/// undecided box that narrow surrounds a zero that no width can settle (a
/// degenerate cusp, a vanishing gradient of det, a zero on a face), and about
/// 34 bisections reach it from the searched box.
constexpr double cusp_relative_width = 1e-10;

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

/// Whether the undecided box B is worth bisecting: bounded, non-empty, wider
/// than narrowest, and not wholly outside the domain of the map. A box that is
/// not is set aside, which claims nothing about it.
bool bisectable(const plisse& p, const domain& B, double narrowest)
{
    return bounded_over(B, B) && B.width() > narrowest && defined_somewhere(p, B);
}

/// Whether the Newton operator of the cusp system may be trusted on B: the map
/// and the cusp system with its Jacobian are defined on the whole of B (the
/// mean value argument behind the operator needs every point of B).
bool newton_cusp_applies(const plisse& p, const domain& B)
{
    return defined_on(p.f, B) && defined_on(p.cusp_map, B) && defined_on(p.newton_cusp.jacobian, B);
}

/// Whether B holds no zero of the cusp condition on the fold curve: either
/// cusp_map has no zero in B, or det has none, and a cusp is a zero of both.
/// Code 4 stands for either; the second settles at once the boxes of a map
/// whose determinant never vanishes, where cusp_map may vanish identically
/// (a linear map) or where the gradient of det does.
bool no_cusp_condition_zero(const plisse& p, const domain& B)
{
    return excludes_zero(p.cusp_map.evalue(B)) || excludes_zero(p.programs().det(B));
}

/// Whether Newton proves that B holds exactly one cusp, N being the operator's
/// image of B: N inside B, the map and the cusp system defined on B, the fold
/// tangent non-zero on B and the cusp non-degenerate.
bool proves_one_cusp(const plisse& p, const domain& B, const domain& N)
{
    return bounded_over(N, B) && N.subset(B) && newton_cusp_applies(p, B) && excludes_zero(p.tangent.evalue(B))
           && p.one_to_one_cusp(N, false);
}

/// The verdict code of B in the cusp search (5, 4 or 3), or 0 when B stays
/// undecided; N is the operator's image of B.
int cusp_verdict(const plisse& p, const domain& B, const domain& N)
{
    if (proves_one_cusp(p, B, N)) return 5;
    if (no_cusp_condition_zero(p, B)) return 4;
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
    const double narrowest = cusp_relative_width * scale(b);
    std::deque<domain> L{b};
    int set_aside = 0;
    // A cusp proved from two boxes (one of them widened) is counted once.
    distinct_zeros found(false);
    // Breadth first: whenever the boxes of one depth are all examined, the
    // queue holds exactly those of the next depth, the search's next pass.
    int depth = 0;
    int next_depth_at = 0;
    for (int examined = 0; !L.empty() && examined < cusp_box_limit && !stop_requested(); ++examined) {
        if (examined == next_depth_at) {
            report_pass("cusps", depth++, static_cast<int>(L.size()));
            next_depth_at += static_cast<int>(L.size());
        }
        const domain B = std::move(L.front());
        L.pop_front();
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
        } else if (bisectable(*this, B, narrowest)) {
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
