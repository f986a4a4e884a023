#include "analysis_maps.hpp"
#include "mpfr_reference.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

/// Every box of every recorded feature of p's last critical_points, crossings
/// with both of their boxes.
std::vector<domain> recorded_boxes(const plisse& p)
{
    std::vector<domain> boxes = p.res.cusps;
    for (const auto* pairs : {&p.res.fold_fold_pairs, &p.res.boundary_boundary_pairs, &p.res.fold_boundary_pairs}) {
        for (const box_pair& pair : *pairs) {
            boxes.push_back(pair.first);
            boxes.push_back(pair.second);
        }
    }
    return boxes;
}

TEST(ProvedBoxes, EveryFeatureIsHeldInABoxNarrowerThanABillionthOfTheStudiedBox)
{
    // (x + 0.2 cos y, y³ − xy + 0.1 sin 2x) over [−0.6, 0.6] × [−0.9, 0.9]:
    // one cusp, one boundary–boundary crossing and four fold–boundary
    // intersections, each contracted by Newton once proved.
    const auto p = quiet_plisse("x+0.2*cos(y)", "y^3-x*y+0.1*sin(2*x)", plane_box(-0.6, 0.6, -0.9, 0.9), 25);
    testing::internal::CaptureStdout();
    p->one_to_one();
    p->critical_points(p->box);
    testing::internal::GetCapturedStdout();
    const std::vector<domain> boxes = recorded_boxes(*p);
    EXPECT_EQ(boxes.size(), 1u + 2u + 8u);
    for (const domain& b : boxes) EXPECT_LT(b.width(), 1e-9 * p->box.width());
}

/// Whether the plane box b holds the point (x, y), each coordinate given exactly.
bool holds_exactly(const domain& b, const mpfr_real& x, const mpfr_real& y)
{
    return inside(x, b.get("x")) && inside(y, b.get("y"));
}

/// Whitney's pleat (g(x), y³ + xy) with g strictly increasing, over [−1, 1]²:
/// g(p_x) = g(q_x) means p_x = q_x, so every g gives the features of g(x) = x.
class WhitneyPleatFoldBoundary : public testing::TestWithParam<const char*> {};

TEST_P(WhitneyPleatFoldBoundary, EveryBoxHoldsItsHandWorkedFeature)
{
    // By hand: the fold curve is x = −3y², its image (−3s², −2s³). A fold
    // point and an edge point with one image share x; on y = ±1 the edge
    // image is v = ±(1 + u), met by the fold image where −2s³ = ±(1 − 3s²):
    // s = ∓1/2 (and the double root s = ±1, outside). So the crossings are
    // fold (−0.75, ∓0.5) with boundary (−0.75, ±1). The fold curve meets
    // x = −1 at (−1, ±1/√3), where the edge image (−1, y³ − y) folds back.
    const auto p = quiet_plisse(GetParam(), "y^3+x*y", plane_box(-1, 1, -1, 1), 25);
    p->singular_boundary(p->box, false);
    p->improve_singular_boundary();
    const mpfr_real third_root = mpfr_real(1.0) / mpfr_real::apply(mpfr_sqrt, mpfr_real(3.0));
    std::vector<std::pair<double, double>> crossings;  // (fold y, boundary y), both at x = −0.75
    std::vector<int> points;                           // the sign of y
    for (const box_pair& pair : p->res.fold_boundary_pairs) {
        if (pair.first.disjoint(pair.second)) {
            for (const double s : {-0.5, 0.5}) {
                if (holds_exactly(pair.first, mpfr_real(-0.75), mpfr_real(s))
                    && holds_exactly(pair.second, mpfr_real(-0.75), mpfr_real(-2 * s)))
                    crossings.emplace_back(s, -2 * s);
            }
        } else {
            for (const int sign : {-1, 1}) {
                if (pair.first == pair.second && pair.first.get("x") == interval(-1.0)
                    && holds_exactly(pair.first, mpfr_real(-1.0), mpfr_real(static_cast<double>(sign)) * third_root))
                    points.push_back(sign);
            }
        }
    }
    std::sort(crossings.begin(), crossings.end());
    std::sort(points.begin(), points.end());
    EXPECT_EQ(p->res.fold_boundary_pairs.size(), 4u);
    EXPECT_EQ(crossings, (std::vector<std::pair<double, double>>{{-0.5, 1.0}, {0.5, -1.0}}));
    EXPECT_EQ(points, (std::vector<int>{-1, 1}));
}

INSTANTIATE_TEST_SUITE_P(IncreasingFirstComponents, WhitneyPleatFoldBoundary,
                         testing::Values("x", "2*x", "1*x", "x+0*y", "x^3+x"));

// Where the map as written is undefined, nothing is proved: here sqrt(x) and
// ln(x) do not exist for x < 0 and ln(y + 0.5) for y ≤ −0.5, although a
// factor 0 (written, collected or frozen in on the edge x = 0) multiplies
// them or det does not involve them.
TEST(ProvedBoxes, NothingIsProvedWhereTheMapIsUndefined)
{
    // The pleat (x, y³ + (x + 0.5)y) has its cusp at (−0.5, 0).
    for (const char* zero : {"(y-y)*sqrt(x)", "0*sqrt(x)", "ln(x)*0", "(x*y-y*x)*ln(x)"}) {
        const auto p = quiet_plisse("x", std::string("y^3+(x+0.5)*y+") + zero, plane_box(-1, 1, -1, 1), 25);
        p->Cusp(p->box);
        for (const domain& cusp : p->res.cusps) EXPECT_GE(cusp.get("x").inf(), 0.0) << zero;
    }
    const auto edge = quiet_plisse("y^2+x", "y^3-0.75*y+x*ln(y+0.5)", plane_box(0, 1, -1, 1), 25);
    edge->boundary_boundary(edge->box, false);
    for (const box_pair& pair : edge->res.boundary_boundary_pairs) {
        EXPECT_GT(pair.first.get("y").inf(), -0.5);
        EXPECT_GT(pair.second.get("y").inf(), -0.5);
    }
    const auto cells = quiet_plisse("x", "y^2+ln(x)", plane_box(-1, 1, -1, 1), 5);
    testing::internal::CaptureStdout();
    cells->one_to_one();
    cells->relation4();
    testing::internal::GetCapturedStdout();
    for (const int k : cells->res.fold_indices) EXPECT_GT(cells->res.source_mesh.boxes[k].get("x").sup(), 0.0);
}

}  // namespace
