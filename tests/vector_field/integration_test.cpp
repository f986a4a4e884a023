#include "boxes.hpp"
#include "vector_field.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

/// The field whose component name has the right-hand side text, per entry.
vector_field field(const std::vector<std::pair<std::string, std::string>>& components)
{
    vector_field F;
    for (const auto& [name, text] : components)
        F.components[name] = expression(text);
    return F;
}


/// n evenly spaced points of [lo, hi], both ends included.
std::vector<double> samples(double lo, double hi, int n = 5)
{
    std::vector<double> s;
    for (int i = 0; i < n; ++i)
        s.push_back(i + 1 == n ? hi : lo + (hi - lo) * i / (n - 1));
    return s;
}

bool unbounded(const interval& i) { return !std::isfinite(i.inf()) || !std::isfinite(i.sup()); }

/// Checks that the box holds the flow of the rotation x' = y, y' = -x at the
/// times tau from every sampled point of start (its corners included).
void expect_rotation_flow(const domain& start, const interval& tau, const domain& box)
{
    for (double x0 : samples(start.get("x").inf(), start.get("x").sup()))
        for (double y0 : samples(start.get("y").inf(), start.get("y").sup())) {
            const interval x = interval(x0) * cos(tau) + interval(y0) * sin(tau);
            const interval y = interval(y0) * cos(tau) - interval(x0) * sin(tau);
            EXPECT_TRUE(subset(x, box.get("x")) && subset(y, box.get("y")))
                << "from (" << x0 << ", " << y0 << ") at t = " << tau;
        }
}

const std::vector<std::pair<std::string, std::string>> rotation = {{"x", "y"}, {"y", "-x"}};

} // namespace

TEST(Validation, ConstantFieldEnclosesTheFirstStep)
{
    vector_field F = field({{"x", "1"}});
    ASSERT_TRUE(F.validation(domain{{"x", interval(0.0)}}, 0.5));
    EXPECT_EQ(F.enclosure.get("x"), interval(0.0, 0.5));
    EXPECT_FALSE(F.validation(domain{{"x", interval::ENTIRE()}}, 0.5));
    EXPECT_FALSE(F.validation(domain{{"x", interval::EMPTY()}}, 0.5));
    EXPECT_FALSE(F.validation(domain{{"x", interval(0.0)}}, std::nan("")));
}

TEST(TaylorStep, StepAndRemainderAreExact)
{
    // 0.123456789 is not six digits: the step in the expression must be h itself.
    const vector_field one = field({{"x", "1"}});
    const double h = 0.123456789;
    EXPECT_TRUE(subset(interval(h), one.f0_1(domain{{"x", interval(0.0)}}, h).get("x")));

    // x' = y, y' = 1 from the origin: x(h) = h^2/2, which is no double for h = 0.1.
    vector_field F = field({{"x", "y"}, {"y", "1"}});
    const domain origin = plane_box(0, 0, 0, 0);
    ASSERT_TRUE(F.validation(origin, 0.1));
    const interval half_square = interval(0.1) * interval(0.1) * interval(0.5);
    ASSERT_LT(half_square.inf(), half_square.sup());
    EXPECT_TRUE(subset(half_square, F.solve_taylor(origin, 0.1, F.enclosure).get("x")));
}

TEST(TaylorStep, NormAndSecondDerivativeBounds)
{
    const vector_field R = field(rotation);
    EXPECT_NEAR(R.max_norme_f(plane_box(3, 3, 4, 4)), 5.0, 1e-12);
    // (x^2)' = 2x * x^2 over [1, 2].
    EXPECT_TRUE(subset(interval(2, 16), field({{"x", "x^2"}}).f2(domain{{"x", interval(1, 2)}}).get("x")));
}

TEST(FixedHorizon, ConstantFieldLandsOnTheHorizon)
{
    vector_field F = field({{"x", "1"}});
    for (double T : {1.0, 0.7, 0.1 * 3, 1.0 / 3, 1e-3, 12.3, -1.0, 0.0}) {
        const interval x = F.integrate(domain{{"x", interval(0.0)}}, T).get("x");
        EXPECT_TRUE(x.contains(T) && x.diam() < 1e-12) << "T = " << T << ": " << x;
    }
}

TEST(FixedHorizon, ExponentialEnclosesEveryStartPoint)
{
    vector_field F = field({{"x", "x"}});
    for (double T : {0.0, 0.5, 1.0, 2.0}) {
        const interval x = F.integrate(domain{{"x", interval(1, 2)}}, T).get("x");
        EXPECT_FALSE(unbounded(x));
        for (double x0 : samples(1, 2, 11))
            EXPECT_TRUE(subset(exp(interval(T)) * interval(x0), x)) << "x0 = " << x0 << ", T = " << T;
    }
}

TEST(FixedHorizon, RotationEnclosesTheClosedFormFlow)
{
    vector_field R = field(rotation);
    const domain start = plane_box(1, 1.1, 0, 0.1);
    for (double T : {0.5, 1.0, 3.0, -1.0})
        expect_rotation_flow(start, interval(T), R.integrate(start, T));
}

TEST(FixedHorizon, DegenerateFieldsAndHorizonsEnd)
{
    // A field vanishing on the box still advances (its norm bound is 0).
    vector_field zero = field({{"x", "0"}});
    const interval x = zero.integrate(domain{{"x", interval(1.0)}}, 1.0).get("x");
    EXPECT_TRUE(x.contains(1.0) && x.diam() < 1e-12) << x;
    for (double T : {std::numeric_limits<double>::infinity(), std::nan("")})
        EXPECT_EQ(zero.integrate(domain{{"x", interval(1.0)}}, T).get("x"), interval::ENTIRE());
}

TEST(FixedHorizon, BlowUpEndsWithEveryStateBeyondIt)
{
    // x' = x^2 from 1: x(t) = 1/(1-t), which ceases to exist at t = 1.
    vector_field F = field({{"x", "x^2"}});
    const domain one{{"x", interval(1.0)}};
    EXPECT_TRUE(F.integrate(one, 0.9).get("x").contains(10.0));
    EXPECT_EQ(F.integrate(one, 2.0).get("x"), interval::ENTIRE());

    testing::internal::CaptureStdout();
    const curve c = F.integrate(one, 2.0, 8);
    testing::internal::GetCapturedStdout();
    ASSERT_EQ(c.size(), 9u);
    for (int i = 1; i < 4; ++i)
        EXPECT_TRUE(subset(interval(1.0) / (interval(1.0) - c[i].get("t")), c[i].get("x"))) << i;
    // No chain of validated steps can reach t = 1: that would prove the solution exists there.
    for (int i = 4; i <= 8; ++i)
        EXPECT_TRUE(unbounded(c[i].get("x"))) << i;
}

TEST(MultiStep, ReturnsNPlusOneBoxesAndPrintsTheNew)
{
    vector_field F = field({{"x", "1"}});
    testing::internal::CaptureStdout();
    const curve c = F.integrate(domain{{"x", interval(0.0)}}, 1.0, 4);
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_EQ(c.size(), 5u);
    std::ostringstream expected;
    for (int i = 0; i <= 4; ++i) {
        EXPECT_EQ(c[i].get("t"), interval(i / 4.0));
        EXPECT_TRUE(c[i].get("x").contains(i / 4.0));
        if (i > 0)
            c[i].out(expected);
    }
    EXPECT_EQ(printed, expected.str());

    testing::internal::CaptureStdout();
    EXPECT_EQ(F.integrate(domain{{"x", interval(0.0)}}, 1.0, 0).size(), 1u);
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(MultiStep, RotationBoxesHoldTheFlowAtTheirTimes)
{
    vector_field R = field(rotation);
    const domain start = plane_box(1, 1.1, 0, 0.1);
    testing::internal::CaptureStdout();
    const curve c = R.integrate(start, 2.0, 3);
    testing::internal::GetCapturedStdout();
    for (const domain& box : c)
        expect_rotation_flow(start, box.get("t"), box);
}

TEST(Monotone, RotationSensitivityIsTheRotationMatrix)
{
    vector_field R = field(rotation);
    const domain start = plane_box(1, 1.1, 0, 0.1);
    testing::internal::CaptureStdout();
    const curve c = R.monotone_integrate(start, 1.0, 4);
    const std::string printed = testing::internal::GetCapturedStdout();
    ASSERT_EQ(c.size(), 5u);
    EXPECT_EQ(printed.rfind("\naxx:", 0), 0u);
    EXPECT_EQ(c[0], start.direct_sum(R.identite()).direct_sum(domain{{"t", interval(0.0)}}));
    for (const domain& box : c) {
        const interval t = box.get("t");
        EXPECT_TRUE(subset(cos(t), box.get("axx")) && subset(sin(t), box.get("axy")) &&
                    subset(-sin(t), box.get("ayx")) && subset(cos(t), box.get("ayy")))
            << "t = " << t;
        expect_rotation_flow(start, t, box);
    }
    // Corner i of the start box, followed on its own, at the last time.
    ASSERT_EQ(R.corner_curve3.size(), 4u);
    expect_rotation_flow(plane_box(1.1, 1.1, 0.1, 0.1), c[4].get("t"), R.corner_curve3.back());
}

TEST(Monotone, SensitivityFollowsTheChainRule)
{
    // x' = x, y' = x^2: x = x0 e^t, y = y0 + x0^2 (e^2t - 1)/2, so dy/dx0 = x0 (e^2t - 1),
    // which a product of the step sensitivities in the wrong order misses.
    vector_field F = field({{"x", "x"}, {"y", "x^2"}});
    testing::internal::CaptureStdout();
    const curve c = F.monotone_integrate(plane_box(1, 1, 0, 0), 1.0, 16);
    testing::internal::GetCapturedStdout();
    for (const domain& box : c) {
        const interval t = box.get("t");
        EXPECT_TRUE(subset(exp(t), box.get("axx")) && box.get("axy").contains(0.0) &&
                    subset(exp(interval(2.0) * t) - interval(1.0), box.get("ayx")) &&
                    box.get("ayy").contains(1.0))
            << "t = " << t;
    }
}

TEST(Euler, PolygonOfTheConstantField)
{
    const vector_field F = field({{"x", "1"}});
    const domain origin{{"x", interval(0.0)}};
    const curve c = F.Phase_Curve_via_Euler(0.25, origin, 1.0);
    ASSERT_EQ(c.size(), 5u);
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(c[i].get("x"), interval(i * 0.25));
    EXPECT_EQ(field({{"x", "x"}}).Next_Euler(0.5, domain{{"x", interval(1, 2)}}).get("x"), interval(1.5, 3));
    for (double h : {0.0, -0.25, std::nan("")})
        EXPECT_EQ(F.Phase_Curve_via_Euler(h, origin, 1.0).size(), 1u) << "h = " << h;
}
