#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <sstream>

namespace {

using plane_function = std::function<double(double, double)>;

/// Checks that e, evaluated at many points of [-1.5, 1.5]^2, encloses g there tightly.
void expect_equivalent(const expression& e, const plane_function& g, const std::string& what)
{
    for (int i = 0; i <= 12; ++i) {
        for (int j = 0; j <= 12; ++j) {
            const double x = -1.5 + 0.25 * i + 0.013 * j;
            const double y = -1.5 + 0.25 * j - 0.007 * i;
            const interval I = e.Evalue(plane_point(x, y));
            const double tolerance = 1e-12 * (1.0 + std::fabs(g(x, y)));
            ASSERT_FALSE(I.isEmpty()) << what << " at (" << x << ", " << y << ")";
            EXPECT_LE(I.inf(), g(x, y) + tolerance) << what << " at (" << x << ", " << y << ")";
            EXPECT_GE(I.sup(), g(x, y) - tolerance) << what << " at (" << x << ", " << y << ")";
            EXPECT_LT(I.width(), 1e-9) << what << " at (" << x << ", " << y << ")";
        }
    }
}

std::string printed(const Map& m)
{
    testing::internal::CaptureStdout();
    m.out();
    return testing::internal::GetCapturedStdout();
}

class BuiltInMap : public testing::Test {
protected:
    static void SetUpTestSuite() { p = built_in_plisse().release(); }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
};

plisse* BuiltInMap::p = nullptr;

TEST_F(BuiltInMap, DerivedExpressionsHaveTheirValues)
{
    expect_equivalent(p->det, [](double x, double y) { return 3 * y * y - x + 0.2 * y; }, "det");
    expect_equivalent(p->tangent.components.at("y0"), [](double, double y) { return -(6 * y + 0.2); },
                      "tangent y0");
    expect_equivalent(p->tangent.components.at("y1"), [](double, double) { return -1.0; }, "tangent y1");
    expect_equivalent(p->cusp_map.components.at("y0"), [](double, double y) { return 6 * y + 0.4; },
                      "cusp_map y0");
    expect_equivalent(p->cusp_map.components.at("y1"),
                      [](double x, double y) { return -3 * y * y - 0.2 * y - x; }, "cusp_map y1");
    expect_equivalent(p->det_map.components.at("y0"), [](double x, double y) { return 3 * y * y - x + 0.2 * y; },
                      "det_map");
}

TEST_F(BuiltInMap, MatricesAreIndexedComponentThenVariable)
{
    expect_equivalent(p->jacobian.entry("y0", "x"), [](double, double) { return 1.0; }, "df1/dx");
    expect_equivalent(p->jacobian.entry("y0", "y"), [](double, double) { return 0.2; }, "df1/dy");
    expect_equivalent(p->jacobian.entry("y1", "x"), [](double, double y) { return -y; }, "df2/dx");
    expect_equivalent(p->jacobian.entry("y1", "y"), [](double x, double y) { return 3 * y * y - x; }, "df2/dy");
    expect_equivalent(p->grad_det.entry("y0", "x"), [](double, double) { return -1.0; }, "ddet/dx");
    expect_equivalent(p->grad_det.entry("y0", "y"), [](double, double y) { return 6 * y + 0.2; }, "ddet/dy");
    EXPECT_EQ(p->grad_det.rows, std::vector<std::string>{"y0"});
}

TEST_F(BuiltInMap, NamesFollowTheComponentAndVariableConvention)
{
    const std::set<std::string> plane{"x", "y"};
    const std::set<std::string> components{"y0", "y1"};
    EXPECT_EQ(p->f.variables, plane);
    EXPECT_EQ(p->f.component_names, components);
    EXPECT_EQ(p->tangent.variables, plane);
    EXPECT_EQ(p->cusp_map.component_names, components);
    EXPECT_EQ(p->newton_cusp.system.variables, plane);
    EXPECT_EQ(p->newton_fold_fold.system.variables, (std::set<std::string>{"x1", "x2", "x3", "x4"}));
}

TEST_F(BuiltInMap, PavingsAndBoxComeFromTheGivenMesh)
{
    EXPECT_EQ(p->res.source_mesh.boxes.size(), 625u);
    EXPECT_EQ(p->res.boundary_mesh.boxes.size(), 100u);
    EXPECT_EQ(p->box, built_in_box());
    EXPECT_TRUE(p->res.cusps.empty());
    EXPECT_TRUE(p->res.images.empty());
}

TEST_F(BuiltInMap, FoldFoldSystemComparesTwoFoldPoints)
{
    const auto f1 = [](double x, double y) { return x + 0.2 * y; };
    const auto f2 = [](double x, double y) { return y * y * y - x * y; };
    const auto det = [](double x, double y) { return 3 * y * y - x + 0.2 * y; };
    const double a = 0.3, b = -0.4, c = -0.1, d = 0.55;
    const domain point{{"x1", interval(a)}, {"x2", interval(b)}, {"x3", interval(c)}, {"x4", interval(d)}};
    const domain value = p->newton_fold_fold.system.evalue(point);
    const double expected[] = {f1(a, b) - f1(c, d), f2(a, b) - f2(c, d), det(a, b), det(c, d)};
    for (int k = 0; k < 4; ++k) {
        const interval I = value.get("y" + std::to_string(k));
        EXPECT_NEAR(I.mid(), expected[k], 1e-12) << "component y" << k;
    }
}

TEST_F(BuiltInMap, EvalueGivesTheImageBoxInComponentNames)
{
    const domain image = p->evalue(plane_box(0.0, 1.0, 2.0, 3.0));
    EXPECT_EQ(image.variables(), (std::vector<std::string>{"y0", "y1"}));
    EXPECT_TRUE(interval(0.4, 1.6).subset(image.get("y0")));
    EXPECT_TRUE(interval(5.0, 27.0).subset(image.get("y1")));
}

TEST(Construction, PrintsTheCuspConditionMapAndNothingElse)
{
    testing::internal::CaptureStdout();
    const plisse p(expression("x+0.2*y"), expression("y^3-x*y"), mesh(built_in_box(), 5));
    const std::string report = testing::internal::GetCapturedStdout();
    EXPECT_EQ(report, printed(p.cusp_map));
    EXPECT_EQ(report.rfind("cardinal of independent variables : 2\n", 0), 0u) << report;
}

TEST(Construction, DegenerateMapsStillGetSquareSystemsOverThePlane)
{
    const std::set<std::string> plane{"x", "y"};
    // det = 2x does not mention y; a constant map mentions nothing.
    const std::vector<std::pair<std::string, std::string>> maps{{"x^2", "y"}, {"1", "2"}, {"x", "x"}};
    for (const auto& [f1, f2] : maps) {
        const auto p = quiet_plisse(f1, f2, plane_box(-1, 1, -1, 1));
        EXPECT_EQ(p->tangent.variables, plane) << f1 << ", " << f2;
        EXPECT_EQ(p->newton_cusp.system.variables, plane) << f1 << ", " << f2;
        EXPECT_EQ(p->jacobian.columns, (std::vector<std::string>{"x", "y"})) << f1 << ", " << f2;
        EXPECT_EQ(p->newton_fold_fold.system.variables, (std::set<std::string>{"x1", "x2", "x3", "x4"}))
            << f1 << ", " << f2;
        EXPECT_EQ(p->newton_fold_fold.system.component_names.size(), 4u) << f1 << ", " << f2;
        // A singular system leaves the Newton operator with nothing to prove.
        const domain N = p->newton_cusp.operator_newton(plane_box(-1, 1, -1, 1));
        EXPECT_FALSE(bounded_over(N, plane_box(-1, 1, -1, 1))) << f1 << ", " << f2;
    }
    const auto p = quiet_plisse("x^2", "y", plane_box(-1, 1, -1, 1));
    expect_equivalent(p->tangent.components.at("y0"), [](double, double) { return 0.0; }, "tangent y0");
    expect_equivalent(p->tangent.components.at("y1"), [](double, double) { return 2.0; }, "tangent y1");
}

/// x*y written n times, joined by +.
std::string repeated_product(int n)
{
    std::string sum = "x*y";
    for (int k = 1; k < n; ++k) sum += "+x*y";
    return sum;
}

TEST(Construction, LongSumsOfLikeTermsGiveExpressionsOfTheSizeOfOneTerm)
{
    // f = (n·x·y, y^3 − x·y): J = [[n·y, n·x], [−y, 3y^2 − x]], so
    // det = n·y·(3y^2 − x) + n·x·y = 3n·y^3.
    const auto p = quiet_plisse(repeated_product(400), "y^3-x*y", plane_box(-1, 1, -1, 1));
    EXPECT_EQ(p->f.component("y0").text, "(400)*((x)*(y))");
    expect_equivalent(p->det, [](double, double y) { return 1200 * y * y * y; }, "det");
    // The same map with 4 terms derives the same texts, 400 written 4.
    const auto q = quiet_plisse(repeated_product(4), "y^3-x*y", plane_box(-1, 1, -1, 1));
    for (const char* c : {"y0", "y1"}) {
        std::string text = p->cusp_map.component(c).text;
        for (std::size_t at = text.find("400"); at != std::string::npos; at = text.find("400", at + 1))
            text.replace(at, 3, "4");
        EXPECT_EQ(text, q->cusp_map.component(c).text) << c;
    }
}

TEST(Equation, FreezesPointVariablesAndRemovesThem)
{
    Map m({expression("x+0.2*y"), expression("y^3-x*y")});
    domain edge = plane_box(0.5, 0.5, -1.0, 1.0);
    equation(m, edge);
    EXPECT_EQ(edge.variables(), std::vector<std::string>{"y"});
    EXPECT_EQ(m.variables, std::set<std::string>{"y"});
    const domain value = m.evalue(domain{{"y", interval(0.3)}});
    EXPECT_NEAR(value.get("y0").mid(), 0.5 + 0.2 * 0.3, 1e-12);
    EXPECT_NEAR(value.get("y1").mid(), 0.027 - 0.5 * 0.3, 1e-12);
}

TEST(Equation, LeavesConstantsForAPointAndChangesNothingWithoutOne)
{
    Map m({expression("x+0.2*y"), expression("y^3-x*y")});
    domain corner = plane_point(1.0, 2.0);
    equation(m, corner);
    EXPECT_TRUE(corner.empty());
    EXPECT_TRUE(m.variables.empty());
    EXPECT_NEAR(m.evalue(domain()).get("y1").mid(), 8.0 - 2.0, 1e-12);

    Map unchanged({expression("x+0.2*y"), expression("y^3-x*y")});
    domain cell = plane_box(0, 1, 0, 1);
    equation(unchanged, cell);
    EXPECT_EQ(cell, plane_box(0, 1, 0, 1));
    EXPECT_EQ(unchanged.components.at("y1").text, "y^3-x*y");
}

TEST(SoundTests, EmptyAndUnboundedIntervalsProveNothing)
{
    EXPECT_TRUE(excludes_zero(interval(1.0, 2.0)));
    EXPECT_TRUE(excludes_zero(interval(-2.0, -1e-300)));
    EXPECT_FALSE(excludes_zero(interval(0.0, 2.0)));
    EXPECT_FALSE(excludes_zero(interval::EMPTY()));
    EXPECT_FALSE(excludes_zero(interval(1.0, INFINITY)));

    EXPECT_FALSE(excludes_zero(domain()));
    EXPECT_FALSE(excludes_zero(domain{{"y0", interval::EMPTY()}, {"y1", interval(0, 1)}}));
    EXPECT_TRUE(excludes_zero(domain{{"y0", interval(-1, 1)}, {"y1", interval(2, 3)}}));

    const domain B = plane_box(0, 1, 0, 1);
    EXPECT_TRUE(bounded_over(plane_box(0.2, 0.3, 0.4, 0.5), B));
    EXPECT_FALSE(bounded_over(domain{{"x", interval(0.2, 0.3)}}, B));
    EXPECT_FALSE(bounded_over(domain{{"x", interval(0.2, 0.3)}, {"y", interval::EMPTY()}}, B));
    EXPECT_FALSE(bounded_over(domain{{"x", interval(0.2, 0.3)}, {"y", interval::ENTIRE()}}, B));
}

TEST(SoundTests, PartialFunctionsAreDefinedOnlyInsideTheirDomain)
{
    const struct {
        const char* text;
        domain inside;
        domain straddling;
    } cases[] = {
        {"sqrt(y)+x", plane_box(-1, 1, 0, 1), plane_box(-1, 1, -0.1, 1)},
        {"ln(x+2)*y", plane_box(-1, 1, -1, 1), plane_box(-3, 1, -1, 1)},
        {"x/(y-2)", plane_box(-1, 1, -1, 1), plane_box(-1, 1, 1, 3)},
        {"x^(-2)", plane_box(0.5, 1, -1, 1), plane_box(-0.5, 1, -1, 1)},
        // The pole pi/2 lies in [1, 2].
        {"tan(x)+y", plane_box(-1, 1, -1, 1), plane_box(1, 2, -1, 1)},
        // The exponent's upper bound, truncated, is 1 then -1: a base holding 0 only counts for the second.
        {"x^y", plane_box(-1, 1, 1, 1.5), plane_box(-1, 1, -2, -1)},
        // One square root met twice, beside a logarithm that stays defined.
        {"sqrt(x)*sqrt(x)+ln(y+3)", plane_box(0, 1, -1, 1), plane_box(-0.5, 1, -1, 1)},
    };
    for (const auto& c : cases) {
        const Map m(expression(c.text));
        EXPECT_TRUE(defined_on(m, c.inside)) << c.text;
        EXPECT_FALSE(defined_on(m, c.straddling)) << c.text;
    }
    EXPECT_TRUE(defined_on(Map(expression("y^3-x*y")), plane_box(-1e300, 1e300, -1, 1)));
    // Only the component that leaves its domain makes the map undefined.
    const Map two(std::vector<expression>{expression("x^5/3-y^2"), expression("1/x")});
    EXPECT_TRUE(defined_on(two, plane_box(1, 2, -1, 1)));
    EXPECT_FALSE(defined_on(two, plane_box(-1, 2, -1, 1)));
    expression_matrix jacobian = Map(expression("sqrt(y)")).differentielle();
    EXPECT_FALSE(defined_on(jacobian, plane_box(-1, 1, 0, 1))) << "the derivative divides by sqrt(0)";
    EXPECT_TRUE(defined_on(jacobian, plane_box(-1, 1, 0.5, 1)));
}

}  // namespace
