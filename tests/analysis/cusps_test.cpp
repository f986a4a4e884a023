#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

/// Whether the point (x, y) lies in the box.
bool holds(const domain& b, double x, double y)
{
    return b.get("x").contains(x) && b.get("y").contains(y);
}

/// The boxes that the search settled with the given code.
std::vector<domain> settled_with(const plisse& p, int code)
{
    std::vector<domain> boxes;
    for (const auto& [box, c] : p.res.cusp_boxes) {
        if (c == code) boxes.push_back(box);
    }
    return boxes;
}

/// Checks that the search found exactly one cusp, in a box holding (x, y),
/// and settled every other box as holding none.
void expect_single_cusp_at(const plisse& p, double x, double y)
{
    ASSERT_EQ(p.res.cusps.size(), 1u);
    EXPECT_TRUE(holds(p.res.cusps[0], x, y));
    const std::vector<domain> proved = settled_with(p, 5);
    ASSERT_EQ(proved.size(), 1u);
    EXPECT_TRUE(holds(proved[0], x, y));
    for (const auto& entry : p.res.cusp_boxes) {
        EXPECT_TRUE(entry.second == 3 || entry.second == 4 || entry.second == 5) << entry.second;
    }
}

/// Checks that the search proved no cusp.
void expect_no_cusp(const plisse& p)
{
    EXPECT_TRUE(p.res.cusps.empty());
    EXPECT_TRUE(settled_with(p, 5).empty());
}

TEST(Cusp, BuiltInMapHasOneCuspAtMinusOneFifteenth)
{
    const auto p = built_in_plisse();
    EXPECT_EQ(p->Cusp(p->box), 0);
    EXPECT_EQ(p->undecided.cusps, 0);
    expect_single_cusp_at(*p, 0.0, -1.0 / 15.0);
}

TEST(Cusp, ImprovementTightensTheCuspBoxAroundTheCusp)
{
    const auto p = built_in_plisse();
    p->Cusp(p->box);
    const auto settled = p->res.cusp_boxes;
    p->improve_cusp();
    ASSERT_EQ(p->res.cusps.size(), 1u);
    const domain& cusp = p->res.cusps[0];
    EXPECT_TRUE(holds(cusp, 0.0, -1.0 / 15.0));
    EXPECT_LT(cusp.width(), 1e-12);
    EXPECT_EQ(p->res.cusp_boxes, settled);

    // A tightened box is a Newton fixed point: a second improvement keeps it.
    p->improve_cusp();
    EXPECT_EQ(p->res.cusps[0], cusp);
}

TEST(Cusp, ImprovementOfNoCuspsDoesNothing)
{
    const auto p = quiet_plisse("x", "y^2", plane_box(-1, 1, -1, 1));
    p->improve_cusp();
    EXPECT_TRUE(p->res.cusps.empty());
}

TEST(Cusp, WhitneyPleatHasOneCuspAtTheOrigin)
{
    const auto p = quiet_plisse("x", "y^3+x*y", plane_box(-1, 1, -1, 1));
    EXPECT_EQ(p->Cusp(p->box), 0);
    expect_single_cusp_at(*p, 0.0, 0.0);
    p->improve_cusp();
    EXPECT_TRUE(holds(p->res.cusps[0], 0.0, 0.0));
}

TEST(Cusp, ShiftedWhitneyPleatIsFoundAwayFromBisectionLines)
{
    // (x, (y + 0.2)^3 + (x - 0.3)(y + 0.2)): the pleat moved to (0.3, -0.2).
    const auto p = quiet_plisse("x", "(y+0.2)^3+(x-0.3)*(y+0.2)", plane_box(-0.9, 0.8, -0.75, 1.1));
    EXPECT_EQ(p->Cusp(p->box), 0);
    expect_single_cusp_at(*p, 0.3, -0.2);
}

TEST(Cusp, CuspOnTheMiddleLineOfTheBoxIsCountedOnce)
{
    // (x + 0.3y, y^3 + xy): the cusp (0, 0.1) lies on x = 0, the line along
    // which [-1, 1]^2 is first halved, so on a face of every box that holds it.
    const auto p = quiet_plisse("x+0.3*y", "y^3+x*y", plane_box(-1, 1, -1, 1));
    EXPECT_EQ(p->Cusp(p->box), 0);
    EXPECT_EQ(p->undecided.cusps, 0);
    expect_single_cusp_at(*p, 0.0, 0.1);
    p->improve_cusp();
    EXPECT_TRUE(holds(p->res.cusps[0], 0.0, 0.1));
    EXPECT_LT(p->res.cusps[0].width(), 1e-12);
}

TEST(Cusp, CuspsOnCornersOfTheBisectionAreEachCountedOnce)
{
    // A swallowtail section, g(x + 0.5y, y) with g(u, v) = (u, v^4/4 - 0.375v^2
    // + uv), has its cusps at (0, 0.5) and (0, -0.5): corners shared by four
    // boxes of the bisection of [-1, 1]^2.
    const auto swallowtail = quiet_plisse("x+0.5*y", "y^4/4-0.375*y^2+(x+0.5*y)*y", plane_box(-1, 1, -1, 1));
    EXPECT_EQ(swallowtail->Cusp(swallowtail->box), 0);
    ASSERT_EQ(swallowtail->res.cusps.size(), 2u);
    EXPECT_EQ(settled_with(*swallowtail, 5), swallowtail->res.cusps);
    const domain& first = swallowtail->res.cusps[0];
    const domain& second = swallowtail->res.cusps[1];
    EXPECT_TRUE((holds(first, 0, 0.5) && holds(second, 0, -0.5)) || (holds(first, 0, -0.5) && holds(second, 0, 0.5)));
}

TEST(Cusp, CuspMovedOverTheLinesOfTheBisectionIsCountedOnceEverywhere)
{
    // (X + 0.3Y, Y^3 + XY) with X = x - a and Y = y - c + 0.1 has its one cusp
    // at (a, c); over [-1, 1]^2 each of these points lies on lines of the
    // bisection, most of them on corners of its boxes.
    const std::vector<double> at{-0.75, -0.5, -0.25, 0, 0.25, 0.5, 0.75};
    for (const double a : at) {
        for (const double c : at) {
            const std::string X = "(x-(" + std::to_string(a) + "))";
            const std::string Y = "(y-(" + std::to_string(c) + ")+0.1)";
            const auto p = quiet_plisse(X + "+0.3*" + Y, Y + "^3+" + X + "*" + Y, plane_box(-1, 1, -1, 1));
            SCOPED_TRACE("cusp at (" + std::to_string(a) + ", " + std::to_string(c) + ")");
            EXPECT_EQ(p->Cusp(p->box), 0);
            expect_single_cusp_at(*p, a, c);
        }
    }
}

TEST(Cusp, CuspOutsideTheBoxIsNeverCounted)
{
    // The cusp (0, 0.1) of (x + 0.3y, y^3 + xy) lies just outside [1e-9, 1] x
    // [-1, 1]: proofs on boxes widened across the edge x = 1e-9 find it, and
    // must not count it.
    const auto beyond = quiet_plisse("x+0.3*y", "y^3+x*y", plane_box(1e-9, 1, -1, 1));
    EXPECT_EQ(beyond->Cusp(beyond->box), 0);
    expect_no_cusp(*beyond);

    // On the edge x = 0 the cusp belongs to the box: counted, or the count is
    // not claimed.
    const auto on_edge = quiet_plisse("x+0.3*y", "y^3+x*y", plane_box(0, 1, -1, 1));
    const int undecided = on_edge->Cusp(on_edge->box);
    EXPECT_TRUE(undecided > 0 || on_edge->res.cusps.size() == 1) << undecided;
}

TEST(Cusp, FoldMapHasNone)
{
    const auto p = quiet_plisse("x", "y^2", plane_box(-1, 1, -1, 1));
    EXPECT_EQ(p->Cusp(p->box), 0);
    expect_no_cusp(*p);
    EXPECT_FALSE(p->res.cusp_boxes.empty());
}

TEST(Cusp, MapsWithoutFoldPointsSettleTheWholeBoxAtOnce)
{
    // det never vanishes, so no box holds a cusp: exp(x) > 0 (cusp_map
    // (0, -exp(x))), the constant -1.2 of a linear map (cusp_map identically 0),
    // and 3 + 3x^2 + 3y^2, whose cusp system has a regular zero at the origin,
    // where the gradient of det vanishes.
    const std::vector<std::pair<std::string, std::string>> maps{
        {"exp(x)", "y+0.5*x"}, {"x+0.2*y", "x-y"}, {"x", "3*y+3*x^2*y+y^3"}};
    for (const auto& [f1, f2] : maps) {
        const auto p = quiet_plisse(f1, f2, plane_box(-0.7, 1, -0.9, 0.6));
        EXPECT_EQ(p->Cusp(p->box), 0) << f1 << ", " << f2;
        EXPECT_EQ(p->undecided.cusps, 0) << f1 << ", " << f2;
        expect_no_cusp(*p);
        const std::vector<std::pair<domain, int>> whole_box{{p->box, 4}};
        EXPECT_EQ(p->res.cusp_boxes, whole_box) << f1 << ", " << f2;
    }
}

TEST(Cusp, ReportOfAMapWithoutFoldPointsCountsNoCusp)
{
    for (const auto& [f1, f2] : {std::pair{"exp(x)", "y+0.5*x"}, std::pair{"x+0.2*y", "x-y"}}) {
        const auto p = quiet_plisse(f1, f2, plane_box(-1, 1, -1, 1));
        p->one_to_one();
        p->image();
        testing::internal::CaptureStdout();
        p->critical_points(p->box);
        const std::string report = testing::internal::GetCapturedStdout();
        EXPECT_NE(report.find("     The number of cusp points is exactly : 0\n"), std::string::npos) << report;
    }
}

TEST(Cusp, FoldPointWhereTheGradientOfDetVanishesIsNotACusp)
{
    // (x, y^3/3 + x^2 y): det = x^2 + y^2, whose only zero, the origin, is
    // also a zero of its gradient, so of the tangent field and of cusp_map.
    const auto p = quiet_plisse("x", "y^3/3+x^2*y", plane_box(-0.7, 1, -0.9, 0.6));
    const int undecided = p->Cusp(p->box);
    expect_no_cusp(*p);
    EXPECT_GT(undecided, 0);
    EXPECT_EQ(p->undecided.cusps, undecided);
}

TEST(Cusp, AMapWithEightyOneCuspsIsSettled)
{
    // f = (x + 0.2y, sin(128y)/128 + xy): det = cos(128y) + x − 0.2y, so the
    // fold is x = 0.2y − cos(128y) (inside the box for every y), its tangent
    // (0.2 + 128 sin(128y), 1), and the kernel of Df on it (−0.2, 1). Cusps
    // where they are parallel: sin(128y) = −0.4/128, twice a period; counted
    // over y in [−1.02, 0.98] from the closed form of the roots.
    const auto p = quiet_plisse("x+0.2*y", "sin(128*y)/128+x*y", plane_box(-1.31, 1.29, -1.02, 0.98));
    EXPECT_EQ(p->Cusp(p->box), 0);
    const double pi = std::acos(-1.0), a = std::asin(-0.4 / 128);
    int expected = 0;
    for (int m = -30; m <= 30; ++m) {
        for (const double root : {a + 2 * pi * m, pi - a + 2 * pi * m}) expected += std::fabs(root / 128 + 0.02) <= 1.0;
    }
    EXPECT_EQ(static_cast<int>(p->res.cusps.size()), expected);
}

TEST(Cusp, DegenerateCuspEndsUndecided)
{
    // (x, y^5 + x y): the cusp system vanishes to third order at the origin,
    // so no Newton step can prove the zero unique.
    const auto p = quiet_plisse("x", "y^5+x*y", plane_box(-0.6, 0.7, -0.5, 0.8));
    const int undecided = p->Cusp(p->box);
    EXPECT_GT(undecided, 0);
    EXPECT_EQ(p->undecided.cusps, undecided);
    expect_no_cusp(*p);
}

TEST(Cusp, DegenerateMapsEndWithoutProof)
{
    const std::vector<std::pair<std::string, std::string>> maps{
        {"1", "2"},        // constant map: every point is critical
        {"x", "x"},        // det identically 0
        {"x", "sqrt(y)"},  // undefined for y < 0, det unbounded at y = 0
    };
    for (const auto& [f1, f2] : maps) {
        const auto p = quiet_plisse(f1, f2, plane_box(-1, 1, -1, 1));
        const int undecided = p->Cusp(p->box);
        EXPECT_GT(undecided, 0) << f1 << ", " << f2;
        EXPECT_EQ(p->undecided.cusps, undecided) << f1 << ", " << f2;
        expect_no_cusp(*p);
    }
}

TEST(Cusp, PartlyUndefinedMapProvesCuspsOnlyWhereItIsDefined)
{
    // The Whitney pleat plus ln(x + 0.5), which moves no cusp where it is
    // defined: the cusp stays at the origin, away from bisection lines of this box.
    const auto p = quiet_plisse("x", "y^3+x*y+ln(x+0.5)", plane_box(-1, 0.9, -0.8, 1.1));
    EXPECT_GT(p->Cusp(p->box), 0);
    expect_single_cusp_at(*p, 0.0, 0.0);
    for (const auto& [box, code] : p->res.cusp_boxes) {
        if (code != 4) {
            EXPECT_GT(box.get("x").inf(), -0.5) << "code " << code << " where ln is undefined";
        }
    }
}

TEST(OneToOneCusp, NonDegenerateCuspIsUnique)
{
    const auto p = quiet_plisse("x", "y^3+x*y", plane_box(-1, 1, -1, 1));
    EXPECT_TRUE(p->one_to_one_cusp(plane_box(-0.1, 0.1, -0.1, 0.1), false));
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p->one_to_one_cusp(plane_point(0, 0), true));
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("y0"), std::string::npos) << printed;
}

TEST(OneToOneCusp, VanishingGradientOfDetProvesNothing)
{
    // W = Df . grad det contains (0, 0) on any box around the origin.
    const auto p = quiet_plisse("x", "3*y+3*x^2*y+y^3", plane_box(-1, 1, -1, 1));
    EXPECT_FALSE(p->one_to_one_cusp(plane_box(-0.1, 0.1, -0.1, 0.1), false));
    const auto flat = quiet_plisse("x", "x", plane_box(-1, 1, -1, 1));
    EXPECT_FALSE(flat->one_to_one_cusp(plane_box(-0.1, 0.1, -0.1, 0.1), false));
}

}  // namespace
