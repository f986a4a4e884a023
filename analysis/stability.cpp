// Whitney stability of the map on the studied box: proved from the searches'
// complete results, or disproved at a point where an exact evaluation shows a
// singularity that a stable map does not have.

#include "plisse.hpp"

#include <algorithm>
#include <cmath>
#include <set>
#include <sstream>

namespace {

/// Whether I is proved to be exactly 0: an enclosure of a value that is the point 0.
bool exactly_zero(const interval& I) { return !I.isEmpty() && I.inf() == 0.0 && I.sup() == 0.0; }

bool strictly_inside(const interval& I, const interval& side) { return I.inf() > side.inf() && I.sup() < side.sup(); }

/// The point (x, y) as a box.
domain point_box(double x, double y) { return domain{{"x", interval(x)}, {"y", interval(y)}}; }

std::string point_text(double x, double y)
{
    std::ostringstream text;
    text.precision(17);
    text << "(" << x + 0.0 << ", " << y + 0.0 << ")";
    return text.str();
}

/// Points of B worth an exact evaluation: its centre, and the centre rounded
/// to multiples of 2^-k for k = 0 .. 52 (normal forms and maps built with
/// round numbers have their singular points there), those inside B.
void add_candidates(const domain& B, const domain& box, std::set<std::pair<double, double>>& points)
{
    const interval X = B.get("x").intersect(box.get("x")), Y = B.get("y").intersect(box.get("y"));
    if (X.isEmpty() || Y.isEmpty()) return;
    const double cx = X.mid(), cy = Y.mid();
    if (!std::isfinite(cx) || !std::isfinite(cy)) return;
    points.insert({cx, cy});
    for (int k = 0; k <= 52; ++k) {
        const double x = std::ldexp(std::nearbyint(std::ldexp(cx, k)), -k);
        const double y = std::ldexp(std::nearbyint(std::ldexp(cy, k)), -k);
        if (X.contains(x) && Y.contains(y)) points.insert({x, y});
    }
}

/// At most this many points are evaluated exactly.
constexpr std::size_t candidate_limit = 4000;

}  // namespace

std::optional<std::string> plisse::unstable_point(const domain& p) const
{
    const double x = p.get("x").inf(), y = p.get("y").inf();
    // The map must be defined at p, and p a critical point.
    const domain image = f.evalue(p);
    if (image.get("y0").isEmpty() || image.get("y1").isEmpty() || !exactly_zero(det_map.evalue(p).get("y0")))
        return std::nullopt;
    const interval_matrix gradient = grad_det.evalue(p);
    const interval dx = gradient.entry("y0", "x"), dy = gradient.entry("y0", "y");
    // At a fold point or a cusp the critical set is a regular curve: det
    // has a nonzero gradient there, and this does not depend on coordinates
    // (det of a map composed with diffeomorphisms is det times nonzero factors).
    if (exactly_zero(dx) && exactly_zero(dy)) {
        return "det and its gradient vanish at " + point_text(x, y) + ": the critical set is no curve there";
    }
    // With a row (a, b) of Df not 0 at p, k = (−b, a) spans the kernel near
    // p on the critical set, and η = ∇det·k is the cusp condition of that row.
    // At a fold η ≠ 0; at a cusp (Whitney) η vanishes and its derivative
    // along the critical set, det(∇det, ∇η), does not. Both 0 at p: p is
    // neither (a swallowtail point or worse).
    if (!excludes_zero(dx) && !excludes_zero(dy)) return std::nullopt;
    const interval_matrix J = jacobian.evalue(p);
    const interval_matrix eta_gradient = cusp_map.differentielle().evalue(p);
    const domain eta = cusp_map.evalue(p);
    for (const std::string row : {"y0", "y1"}) {
        if (!excludes_zero(J.entry(row, "x")) && !excludes_zero(J.entry(row, "y"))) continue;
        if (!exactly_zero(eta.get(row))) continue;
        const interval along = dx * eta_gradient.entry(row, "y") - dy * eta_gradient.entry(row, "x");
        if (exactly_zero(along)) {
            return "the kernel of the Jacobian touches the fold curve to second order at " + point_text(x, y) +
                   ": a degenerate cusp";
        }
    }
    return std::nullopt;
}

std::optional<std::string> plisse::triple_point(const std::vector<domain>& points) const
{
    // A stable map's critical values have at most two critical preimages
    // (its fold image has only double points and no cusp on another branch):
    // three distinct critical points with one image, all exact, disprove it.
    std::vector<std::pair<domain, domain>> critical;
    for (const domain& p : points) {
        const domain image = f.evalue(p);
        if (!image.get("y0").isPoint() || !image.get("y1").isPoint() || image.get("y0").isEmpty()) continue;
        if (exactly_zero(det_map.evalue(p).get("y0"))) critical.emplace_back(p, image);
    }
    for (std::size_t i = 0; i < critical.size(); ++i) {
        int same = 1;
        for (std::size_t j = 0; j < critical.size(); ++j) {
            if (j != i && critical[j].second == critical[i].second && !(critical[j].first == critical[i].first)) ++same;
        }
        if (same >= 3) {
            const domain& t = critical[i].second;
            return "three critical points map to " + point_text(t.get("y0").inf(), t.get("y1").inf());
        }
    }
    return std::nullopt;
}

stability_verdict plisse::stability() const
{
    // Exact points near where proofs failed or near crossings, first.
    std::set<std::pair<double, double>> candidates;
    for (const domain& b : res.cusp_undecided) add_candidates(b, box, candidates);
    for (const box_pair& pair : res.fold_fold_undecided) {
        add_candidates(pair.first, box, candidates);
        add_candidates(pair.second, box, candidates);
    }
    std::set<std::pair<double, double>> crossing_points;
    for (const box_pair& pair : res.fold_fold_pairs) {
        add_candidates(pair.first, box, crossing_points);
        add_candidates(pair.second, box, crossing_points);
    }
    std::size_t evaluated = 0;
    for (const auto& [x, y] : candidates) {
        if (++evaluated > candidate_limit) break;
        if (const std::optional<std::string> why = unstable_point(point_box(x, y))) return {false, *why};
    }
    std::vector<domain> exact_points;
    for (const auto& [x, y] : crossing_points) exact_points.push_back(point_box(x, y));
    if (exact_points.size() <= candidate_limit) {
        if (const std::optional<std::string> why = triple_point(exact_points)) return {false, *why};
    }

    if (!fold_curve_known) return {std::nullopt, "the fold curve is not known"};
    if (undecided.cusps > 0) return {std::nullopt, "the cusp search left candidates undecided"};
    // A cusp on the boundary would be a point where the fold curve meets it
    // at a cusp; each cusp box inside the box keeps its cusp off the boundary.
    for (const domain& c : res.cusps) {
        if (!strictly_inside(c.get("x"), box.get("x")) || !strictly_inside(c.get("y"), box.get("y")))
            return {std::nullopt, "a cusp may lie on the boundary"};
    }
    if (undecided.fold_fold > 0) return {std::nullopt, "the fold–fold search left candidates undecided"};
    // Three fold points with one image would give three crossings (one per
    // pair) whose images all hold it: images pairwise apart exclude it.
    const std::vector<feature> features = proved_features(res, f);
    for (std::size_t i = 0; i < features.size(); ++i) {
        if (features[i].kind != feature_kind::fold_fold) continue;
        for (std::size_t j = 0; j < i; ++j) {
            if (features[j].kind == feature_kind::fold_fold && !features[i].image.disjoint(features[j].image))
                return {std::nullopt, "the images of two fold–fold crossings could not be told apart"};
        }
    }
    // The curve is known: in each piece det is strictly monotone along one
    // variable (a regular curve), its zeros on the box's edges change sign
    // along them (it meets them transversally), and every point where the
    // kernel is tangent to it is a counted cusp proved non-degenerate; each
    // crossing is a regular zero of the fold–fold system (its branches cross
    // transversally), and a cusp image on another branch would be a zero of
    // that system where its Jacobian is singular, which the complete search
    // would have left undecided.
    return {true, ""};
}
