#include "exact_series.hpp"
#include "expression.hpp"
#include "taylor.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

bool bounded(const interval& x) { return std::isfinite(x.inf()) && std::isfinite(x.sup()); }

/// A record with one variable per entry, coefficients given as points.
taylor record(const std::map<std::string, std::vector<interval>>& coefficients) {
    taylor t;
    t.coefficients = coefficients;
    return t;
}

/// Checks that every coefficient holds the expected value (the double nearest
/// to it, which any enclosure with double bounds holds) and is tight.
void expect_tight(const std::vector<interval>& got, const std::vector<double>& expected) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t k = 0; k < got.size(); ++k)
        EXPECT_TRUE(got[k].contains(expected[k]) && got[k].diam() < 1e-12)
            << "order " << k << ": " << got[k] << " expected " << expected[k];
}

/// Coefficients of the expression along x = x0 + t.
std::vector<interval> along_line(const std::string& text, double x0, int n) {
    std::vector<interval> x(n + 1, interval(0.0));
    x[0] = interval(x0);
    if (n > 0) x[1] = interval(1.0);
    return expression(text).taylor_ode(record({{"x", x}}), n);
}

TEST(TaylorRecord, BoxGivesOrderZeroCoefficientPerVariable) {
    const taylor t(domain{{"x", interval(1, 2)}, {"y", interval(3)}});
    ASSERT_EQ(t.coefficients.size(), 2u);
    EXPECT_EQ(t.coefficients.at("x"), std::vector<interval>{interval(1, 2)});
    EXPECT_EQ(t.coefficients.at("y"), std::vector<interval>{interval(3)});
}

TEST(TaylorRecord, EvaluateSumsCoefficientsTimesIntegerPowersOfStep) {
    const taylor t = record({{"x", {1, 2, 3}}, {"y", {interval(-1, 1)}}});
    const domain at_half = t.evaluate(interval(0.5));
    EXPECT_EQ(at_half.get("x"), interval(2.75));
    EXPECT_EQ(at_half.get("y"), interval(-1, 1));
    // h^2 of [-1, 1] is [0, 1], not [-1, 1] * [-1, 1].
    EXPECT_EQ(t.evaluate(interval(-1, 1)).get("x"), interval(-1, 6));
}

TEST(TaylorRecord, OutWritesNameLineThenIndexedCoefficients) {
    std::ostringstream one, two;
    record({{"x", {1, 2}}}).out(one);
    EXPECT_EQ(one.str(), "\nx: \n0:[1, 1],1:[2, 2],\n");
    record({{"x", {1}}, {"y", {interval(2, 3)}}}).out(two);
    EXPECT_EQ(two.str(), "\nx: \n0:[1, 1],\ny: \n0:[2, 3],\n");
}

TEST(TaylorOde, SumFollowsRecordCoefficients) {
    const taylor t = record({{"x", {1, 2, 0}}, {"y", {0, 1, 0}}});
    expect_tight(expression("x+0.2*y").taylor_ode(t, 2), {1, 2.2, 0});
}

TEST(TaylorOde, CubeByPowerRecurrenceIsExact) {
    const taylor t = record({{"y", {2, 1, 0}}});
    EXPECT_EQ(expression("y^3").taylor_ode(t, 2), (std::vector<interval>{8, 12, 6}));
}

TEST(TaylorOde, PowerOfBaseHoldingZeroIsRepeatedProduct) {
    const taylor t = record({{"y", {interval(-1, 1), 1, 0.5, 0.25}}});
    const std::vector<interval> power = expression("y^3").taylor_ode(t, 3);
    EXPECT_EQ(power, expression("y*y*y").taylor_ode(t, 3));
    EXPECT_TRUE(power[1].contains(3.0));  // 3 y0^2 y1 at y0 = 1
}

TEST(TaylorOde, NegativePowerOfBaseHoldingZeroClaimsNothingBeyondOrderZero) {
    const taylor t = record({{"x", {interval(-1, 1), 1}}});
    const std::vector<interval> p = expression("x^-1").taylor_ode(t, 1);
    EXPECT_FALSE(bounded(p[1]));
}

TEST(TaylorOde, UnusableExponentGivesEntireLine) {
    const taylor t = record({{"x", {2, 1}}, {"z", {interval::ENTIRE(), 0}}});
    for (const char* text : {"x^10000000000", "x^z"})
        for (const interval& c : expression(text).taylor_ode(t, 1)) EXPECT_FALSE(bounded(c)) << text;
}

TEST(TaylorOde, ExponentialSineAndCosineMatchTheirSeries) {
    expect_tight(along_line("exp(x)", 0, 4), {1, 1, 0.5, 1.0 / 6, 1.0 / 24});
    expect_tight(along_line("sin(x)", 0, 5), {0, 1, 0, -1.0 / 6, 0, 1.0 / 120});
    expect_tight(along_line("cos(x)", 0, 4), {1, 0, -0.5, 0, 1.0 / 24});
    expect_tight(along_line("exp(2*x)", 0, 3), {1, 2, 2, 4.0 / 3});
}

TEST(TaylorOde, OtherElementaryFunctionsMatchTheirSeries) {
    expect_tight(along_line("1/x", 2, 3), {0.5, -0.25, 0.125, -0.0625});
    expect_tight(along_line("sqr(x)", -1, 3), {1, -2, 1, 0});
    expect_tight(along_line("ln(x)", 1, 4), {0, 1, -0.5, 1.0 / 3, -0.25});
    expect_tight(along_line("sqrt(x)", 4, 3), {2, 0.25, -1.0 / 64, 1.0 / 512});
    expect_tight(along_line("atan(x)", 0, 5), {0, 1, 0, -1.0 / 3, 0, 0.2});
    expect_tight(along_line("tan(x)", 0, 5), {0, 1, 0, 1.0 / 3, 0, 2.0 / 15});
    expect_tight(along_line("cosh(x)", 0, 4), {1, 0, 0.5, 0, 1.0 / 24});
    expect_tight(along_line("sinh(x)", 0, 3), {0, 1, 0, 1.0 / 6});
}

TEST(TaylorOde, MissingOrShortVariablesGiveEntireLineWhereUnknown) {
    const taylor t = record({{"x", {1, 2}}});
    const std::vector<interval> c = expression("x*y").taylor_ode(t, 2);
    ASSERT_EQ(c.size(), 3u);
    for (const interval& k : c) EXPECT_FALSE(bounded(k));
    const std::vector<interval> x = expression("x").taylor_ode(t, 3);
    ASSERT_EQ(x.size(), 4u);
    EXPECT_EQ(x[1], interval(2.0));
    EXPECT_FALSE(bounded(x[2]));
    EXPECT_FALSE(bounded(x[3]));
}

TEST(TaylorOde, EmptyOrMalformedTreesGiveEntireLine) {
    for (const interval& c : expression().taylor_ode(taylor(), 2)) EXPECT_FALSE(bounded(c));
    EXPECT_EQ(expression().taylor_ode(taylor(), 2).size(), 3u);
    std::vector<Node> tree(2);
    tree[0].kind = 'r';
    tree[1].kind = '+';
    tree[1].left = 0;
    tree[1].right = 7;  // outside the tree
    for (const interval& c : Taylor_ode(tree, 1, taylor(), 1)) EXPECT_FALSE(bounded(c));
    tree[1].right = 1;  // itself: would never end
    for (const interval& c : Taylor_ode(tree, 1, taylor(), 1)) EXPECT_FALSE(bounded(c));
    EXPECT_TRUE(Taylor_ode(tree, 1, taylor(), -1).empty());
}

TEST(TaylorPoint, VariablesMoveWithSpeedOneFromLowerBounds) {
    const domain box{{"x", interval(0, 5)}, {"y", interval(2, 3)}};
    const std::vector<double> e = expression("exp(x)").taylor_f(box, 3);
    ASSERT_EQ(e.size(), 4u);
    EXPECT_DOUBLE_EQ(e[0], 1);
    EXPECT_DOUBLE_EQ(e[1], 1);
    EXPECT_DOUBLE_EQ(e[2], 0.5);
    EXPECT_DOUBLE_EQ(e[3], 1.0 / 6);
    // (x+y)*y = (2 + 2t)(2 + t) = 4 + 6t + 2t^2
    EXPECT_EQ(expression("(x+y)*y-1").taylor_f(box, 3), (std::vector<double>{3, 6, 2, 0}));
    EXPECT_EQ(expression("x+y").taylor_f(box, 0), std::vector<double>{2});
}

/// Random record: per variable, order + 1 coefficients on a grid of quarters,
/// widened by a quarter when wide is set.
taylor random_record(std::mt19937& rng, int order, bool wide) {
    std::uniform_int_distribution<int> quarters(-8, 8);
    taylor t;
    for (const char* v : {"x", "y"})
        for (int k = 0; k <= order; ++k) {
            const double lo = quarters(rng) / 4.0;
            t.coefficients[v].push_back(interval(lo, wide ? lo + 0.25 : lo));
        }
    return t;
}

/// A point of the record: each coefficient at its lower bound, midpoint or upper bound.
std::map<std::string, exact_series> sample(const taylor& t, std::mt19937& rng) {
    std::map<std::string, exact_series> s;
    for (const auto& [name, c] : t.coefficients) {
        exact_series& e = s[name];
        for (const interval& k : c) {
            const int pick = std::uniform_int_distribution<int>(0, 2)(rng);
            e.c.push_back(mpfr_real(pick == 0 ? k.inf() : pick == 1 ? k.mid() : k.sup()));
        }
    }
    return s;
}

TEST(TaylorOde, RandomPolynomialsEncloseExactCoefficientsOfSampledRecords) {
    const unsigned seed = 7031;
    std::mt19937 rng(seed);
    const int order = 4;
    for (int trial = 0; trial < 150; ++trial) {
        const random_polynomial p(rng, 3);
        const bool wide = trial % 2 == 1;
        const taylor t = random_record(rng, order, wide);
        SCOPED_TRACE("seed " + std::to_string(seed) + " trial " + std::to_string(trial) + ": " + p.text());
        const std::vector<interval> got = expression(p.text()).taylor_ode(t, order);
        ASSERT_EQ(got.size(), static_cast<std::size_t>(order + 1));
        for (int s = 0; s < (wide ? 6 : 1); ++s) {
            const auto point = sample(t, rng);
            const exact_scope scope;
            const exact_series exact = p.evaluate(point);
            ASSERT_TRUE(scope.exact());
            for (int k = 0; k <= order; ++k)
                EXPECT_TRUE(scaled_inside(exact.c[k], 1, got[k])) << "order " << k << ": " << exact.c[k] << " not in "
                                                                  << got[k];
        }
        if (!wide) {
            for (const interval& c : got) EXPECT_LT(c.diam(), 1e-9 * (1 + c.mag())) << c;
        }
    }
}

}  // namespace
