// The fold curve as a graph and the stability verdict, against hand
// calculations on normal forms and small maps.

#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

namespace {

/// The analysis object of (f1, f2) over box after the critical-point searches.
std::unique_ptr<plisse> analysed(const std::string& f1, const std::string& f2, const domain& box, int n = 25)
{
    auto p = quiet_plisse(f1, f2, box, n);
    testing::internal::CaptureStdout();
    p->one_to_one();
    p->critical_points(p->box);
    testing::internal::GetCapturedStdout();
    return p;
}

/// The box of the fold point of a feature along the fold curve.
domain box_of(const plisse& p, const fold_curve_feature& f)
{
    switch (f.kind) {
    case feature_kind::cusp: return p.res.cusps[f.index];
    case feature_kind::fold_fold: {
        const box_pair& pair = p.res.fold_fold_pairs[f.index];
        return f.branch == 0 ? pair.first : pair.second;
    }
    default: return domain();
    }
}

/// The y of the features along c, read from their boxes.
std::vector<double> heights(const plisse& p, const fold_curve_component& c)
{
    std::vector<double> ys;
    for (const fold_curve_feature& f : c.features) ys.push_back(box_of(p, f).get("y").mid());
    return ys;
}

/// The fold curve's one component; none, with a failure, when the graph is
/// missing or has another number of components.
const fold_curve_component* only_component(const plisse& p)
{
    if (!p.fold_curve) {
        ADD_FAILURE() << "no fold-curve graph: " << p.fold_curve_failure;
        return nullptr;
    }
    if (p.fold_curve->components.size() != 1) {
        ADD_FAILURE() << p.fold_curve->components.size() << " components";
        return nullptr;
    }
    return &p.fold_curve->components[0];
}

bool holds(const domain& b, double x, double y, double tolerance)
{
    return b.get("x").inf() - tolerance <= x && x <= b.get("x").sup() + tolerance && b.get("y").inf() - tolerance <= y &&
           y <= b.get("y").sup() + tolerance;
}

TEST(FoldCurveGraph, TheBuiltInMapHasOneArcThroughItsCusp)
{
    // det = 3y² + 0.2y − x: the parabola x = 3y² + 0.2y meets the edge
    // x = 0.33 at y = (−0.2 ± 2)/6, that is −11/30 and 0.3; the kernel
    // (−0.2, 1) is tangent to it where 6y + 0.2 = −0.2: the cusp (0, −1/15).
    const auto p = analysed("x+0.2*y", "y^3-x*y", built_in_box());
    const fold_curve_component* only = only_component(*p);
    ASSERT_TRUE(only);
    const fold_curve_component& c = *only;
    EXPECT_FALSE(c.closed);
    const double first = c.end_boxes[0].get("y").mid(), last = c.end_boxes[1].get("y").mid();
    EXPECT_NEAR(std::min(first, last), -11.0 / 30, 0.03);
    EXPECT_NEAR(std::max(first, last), 0.3, 0.03);
    ASSERT_TRUE(c.ends[0] && c.ends[1]);
    EXPECT_NE(*c.ends[0], *c.ends[1]);
    ASSERT_FALSE(c.features.empty());
    EXPECT_EQ(c.features[0].kind, feature_kind::cusp);
    EXPECT_TRUE(holds(p->res.cusps[c.features[0].index], 0, -1.0 / 15, 1e-9));
    EXPECT_EQ(c.arcs.size(), c.features.size() + 1);
}

TEST(FoldCurveGraph, LipsCloseThroughTwoCusps)
{
    // det = 3y² + x² − 1/4, an ellipse; the kernel (0, 1) is tangent to it
    // where ∂det/∂y = 6y = 0: the cusps (±1/2, 0).
    const auto p = analysed("x", "y^3+(x^2-0.25)*y", plane_box(-1, 1, -1, 1));
    const fold_curve_component* only = only_component(*p);
    ASSERT_TRUE(only);
    const fold_curve_component& c = *only;
    EXPECT_TRUE(c.closed);
    ASSERT_EQ(c.features.size(), 2u);
    EXPECT_EQ(c.features[0].kind, feature_kind::cusp);
    EXPECT_EQ(c.features[1].kind, feature_kind::cusp);
    EXPECT_EQ(c.arcs.size(), 2u);
}

TEST(FoldCurveGraph, TheSwallowtailsFeaturesFollowEachOtherAlongY)
{
    // det = 4y³ − y + x: the fold x = y − 4y³ maps to (y − 4y³, 0.5y² − 3y⁴),
    // whose first coordinate is odd and second even: it crosses itself
    // where y − 4y³ = 0, y = ±1/2, and has cusps where 1 − 12y² = 0,
    // y = ±0.2887. Along y: crossing, cusp, cusp, crossing.
    const auto p = analysed("x", "y^4-0.5*y^2+x*y", plane_box(-1, 1, -1, 1));
    const fold_curve_component* only = only_component(*p);
    ASSERT_TRUE(only);
    const fold_curve_component& c = *only;
    EXPECT_FALSE(c.closed);
    std::vector<double> ys = heights(*p, c);
    if (!ys.empty() && ys.front() > ys.back()) std::reverse(ys.begin(), ys.end());
    const double cusp = std::sqrt(1.0 / 12);
    ASSERT_EQ(ys.size(), 4u);
    const double expected[] = {-0.5, -cusp, cusp, 0.5};
    for (int i = 0; i < 4; ++i) EXPECT_NEAR(ys[i], expected[i], 1e-9) << i;
}

TEST(Stability, NormalFormsAndATriplePoint)
{
    // Whitney's cusp: a fold curve x = −3y², one non-degenerate cusp.
    EXPECT_EQ(analysed("x", "y^3+x*y", plane_box(-1, 1, -1, 1))->stability().stable, std::optional<bool>(true));
    // The same map as written is undefined where x <= 0: nothing is claimed.
    EXPECT_FALSE(analysed("x", "y^3+x*y+0*ln(x)", plane_box(-1, 1, -1, 1))->stability().stable.has_value());
    // (x, y⁴ + xy): at 0 the fold x = −4y³ has the vertical kernel as its
    // tangent, and ∇det·k = 12y² vanishes there to second order along it.
    const stability_verdict swallowtail = analysed("x", "y^4+x*y", plane_box(-1, 1, -1, 1))->stability();
    EXPECT_EQ(swallowtail.stable, std::optional<bool>(false));
    EXPECT_NE(swallowtail.reason.find("degenerate cusp"), std::string::npos) << swallowtail.reason;
    // (x, y³ + x²y): det = 3y² + x² and its gradient vanish at 0.
    const stability_verdict lips = analysed("x", "y^3+x^2*y", plane_box(-1, 1, -1, 1))->stability();
    EXPECT_EQ(lips.stable, std::optional<bool>(false));
    EXPECT_NE(lips.reason.find("gradient vanish"), std::string::npos) << lips.reason;
    // (x, p(y) + xy) with p = y²(y² − 1)²: p' = 2y(y² − 1)(3y² − 1) vanishes
    // at y = −1, 0, 1, where p = 0: three fold points over (0, 0), whose
    // branches have the slopes y = −1, 0, 1 there.
    const stability_verdict triple =
        analysed("x", "y^6-2*y^4+y^2+x*y", plane_box(-0.31, 0.29, -1.2, 1.15))->stability();
    EXPECT_EQ(triple.stable, std::optional<bool>(false));
    EXPECT_NE(triple.reason.find("(0, 0)"), std::string::npos) << triple.reason;
}

}  // namespace
