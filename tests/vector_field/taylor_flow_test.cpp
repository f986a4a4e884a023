// Taylor-mode series of flows against closed-form solutions, each expected
// coefficient computed in 256-bit MPFR from its formula in the comment.

#include "mpfr_reference.hpp"
#include "taylor_flow.hpp"
#include "vector_field.hpp"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

namespace {

vector_field field(const std::vector<std::pair<std::string, std::string>>& components)
{
    vector_field F;
    for (const auto& [name, text] : components) F.components[name] = expression(text);
    return F;
}

mpfr_real ratio(double p, double q) { return mpfr_real(p) / mpfr_real(q); }

mpfr_real factorial(int k)
{
    mpfr_real f(1.0);
    for (int j = 2; j <= k; ++j) f = f * mpfr_real(j);
    return f;
}

/// Coefficient k of the solution, exact.
using coefficient_formula = std::function<mpfr_real(int)>;

/// Checks that coefficients 0..order of state i hold the exact ones and are narrow.
void expect_coefficients(const state_series& s, int i, int order, const coefficient_formula& exact,
                         const std::string& shown)
{
    ASSERT_GE(static_cast<int>(s[i].size()), order + 1) << shown;
    for (int k = 0; k <= order; ++k) {
        EXPECT_TRUE(inside(exact(k), s[i][k])) << shown << ", order " << k << ": " << s[i][k] << " misses "
                                               << exact(k);
        EXPECT_LT(s[i][k].diam(), 1e-12) << shown << ", order " << k;
    }
}

/// Along x' = 1 from x = x0 the second state y' = g(x) from 0 is the primitive
/// of g(x0 + t): coefficient k of y is coefficient k - 1 of g(x0 + t) over k.
struct primitive_case {
    std::string g;
    double x0;
    coefficient_formula y;
};

const std::vector<primitive_case> primitive_cases = {
    // 1 - cos t = sum over even k >= 2 of -(-1)^(k/2) t^k / k!
    {"sin(x)", 0.0,
     [](int k) { return k == 0 || k % 2 ? mpfr_real(0.0) : mpfr_real(k % 4 == 2 ? 1.0 : -1.0) / factorial(k); }},
    // sin t: odd k, (-1)^((k-1)/2) / k!
    {"cos(x)", 0.0,
     [](int k) { return k % 2 == 0 ? mpfr_real(0.0) : mpfr_real(k % 4 == 1 ? 1.0 : -1.0) / factorial(k); }},
    // cosh t - 1: even k >= 2, 1 / k!
    {"sinh(x)", 0.0, [](int k) { return k == 0 || k % 2 ? mpfr_real(0.0) : mpfr_real(1.0) / factorial(k); }},
    // sinh t: odd k, 1 / k!
    {"cosh(x)", 0.0, [](int k) { return k % 2 == 0 ? mpfr_real(0.0) : mpfr_real(1.0) / factorial(k); }},
    // e^t - 1 from x0 = 0
    {"exp(x)", 0.0, [](int k) { return k == 0 ? mpfr_real(0.0) : mpfr_real(1.0) / factorial(k); }},
    // (1+t) ln(1+t) - t: k >= 2, (-1)^k / (k (k - 1))
    {"ln(x)", 1.0, [](int k) { return k < 2 ? mpfr_real(0.0) : ratio(k % 2 ? -1.0 : 1.0, k * (k - 1.0)); }},
    // (2/3)((1+t)^(3/2) - 1): k >= 1, (2/3) binom(3/2, k)
    {"sqrt(x)", 1.0,
     [](int k) {
         mpfr_real b(1.0);
         for (int j = 0; j < k; ++j) b = b * ratio(1.5 - j, j + 1.0);
         return k == 0 ? mpfr_real(0.0) : ratio(2.0, 3.0) * b;
     }},
    // t atan t - ln(1 + t^2)/2: even k >= 2, (-1)^(k/2 - 1) / ((k - 1) k)
    {"atan(x)", 0.0,
     [](int k) { return k == 0 || k % 2 ? mpfr_real(0.0) : ratio(k % 4 == 2 ? 1.0 : -1.0, (k - 1.0) * k); }},
    // -ln cos t = t^2/2 + t^4/12 + t^6/45 + 17 t^8/2520 + 31 t^10/14175
    {"tan(x)", 0.0,
     [](int k) {
         const double num[] = {0, 0, 1, 0, 1, 0, 1, 0, 17, 0, 31};
         const double den[] = {1, 1, 2, 1, 12, 1, 45, 1, 2520, 1, 14175};
         return ratio(num[k], den[k]);
     }},
    // ((1+t)^5 - 1)/5: binom(5, k)/5 for 1 <= k <= 5
    {"x^4", 1.0,
     [](int k) {
         const double b[] = {0, 5, 10, 10, 5, 1};
         return k > 5 ? mpfr_real(0.0) : ratio(b[k], 5.0);
     }},
    // 1 - 1/(1+t): -(-1)^k for k >= 1
    {"x^-2", 1.0, [](int k) { return k == 0 ? mpfr_real(0.0) : mpfr_real(k % 2 ? 1.0 : -1.0); }},
    // ln(1+t) from 1/x: (-1)^(k+1)/k
    {"1/x", 1.0, [](int k) { return k == 0 ? mpfr_real(0.0) : ratio(k % 2 ? 1.0 : -1.0, k); }},
    // (1+t)^3/3 - 1/3 from sqr(x)
    {"sqr(x)", 1.0,
     [](int k) {
         const double b[] = {0, 3, 3, 1};
         return k > 3 ? mpfr_real(0.0) : ratio(b[k], 3.0);
     }},
    // (1+t)^2/8 - 1/8 from x/4, a quotient by a constant
    {"x/4", 1.0, [](int k) { return k == 1 ? ratio(1.0, 4.0) : k == 2 ? ratio(1.0, 8.0) : mpfr_real(0.0); }},
    // 3t + 3t^2/2 from (x+1)*3, a product by a constant on the right
    {"(x+1)*3", 0.0, [](int k) { return k == 1 ? mpfr_real(3.0) : k == 2 ? ratio(3.0, 2.0) : mpfr_real(0.0); }},
    // t - t^2 from 1 - 2x via - and *
    {"1-2*x", 0.0, [](int k) { return k == 1 ? mpfr_real(1.0) : k == 2 ? mpfr_real(-1.0) : mpfr_real(0.0); }},
};

} // namespace

TEST(TaylorFlow, PrimitivesOfEveryFunctionMatchTheirClosedForms)
{
    for (const primitive_case& c : primitive_cases) {
        const taylor_flow flow(field({{"x", "1"}, {"y", c.g}}));
        ASSERT_EQ(flow.problem(), "") << c.g;
        const state_series s = flow.series({interval(c.x0), interval(0.0)}, 10);
        expect_coefficients(s, flow.position("y"), 10, c.y, c.g);
        expect_coefficients(s, flow.position("x"), 10,
                            [&c](int k) { return mpfr_real(k == 0 ? c.x0 : k == 1 ? 1.0 : 0.0); }, c.g + ", x");
    }
}

TEST(TaylorFlow, NonlinearFlowsMatchTheirClosedForms)
{
    // x' = x^2 from 1: 1/(1 - t), every coefficient 1.
    const state_series blow_up = taylor_flow(field({{"x", "x^2"}})).series({interval(1.0)}, 20);
    expect_coefficients(blow_up, 0, 20, [](int) { return mpfr_real(1.0); }, "x^2");
    // x' = 1 + x*x from 0: tan t = t + t^3/3 + 2 t^5/15 + 17 t^7/315 + 62 t^9/2835.
    const state_series tangent = taylor_flow(field({{"x", "1+x*x"}})).series({interval(0.0)}, 9);
    const double num[] = {0, 1, 0, 1, 0, 2, 0, 17, 0, 62}, den[] = {1, 1, 1, 3, 1, 15, 1, 315, 1, 2835};
    expect_coefficients(tangent, 0, 9, [&](int k) { return ratio(num[k], den[k]); }, "1+x*x");
    // x' = cos(x) from 0: the Gudermannian t - t^3/6 + t^5/24 - 61 t^7/5040.
    const state_series gd = taylor_flow(field({{"x", "cos(x)"}})).series({interval(0.0)}, 7);
    const double g_num[] = {0, 1, 0, -1, 0, 1, 0, -61}, g_den[] = {1, 1, 1, 6, 1, 24, 1, 5040};
    expect_coefficients(gd, 0, 7, [&](int k) { return ratio(g_num[k], g_den[k]); }, "cos(x)");
    // x' = 1/(2*x) from 1: sqrt(1 + t), binom(1/2, k).
    const state_series root = taylor_flow(field({{"x", "1/(2*x)"}})).series({interval(1.0)}, 12);
    expect_coefficients(root, 0, 12,
                        [](int k) {
                            mpfr_real b(1.0);
                            for (int j = 0; j < k; ++j) b = b * ratio(0.5 - j, j + 1.0);
                            return b;
                        },
                        "1/(2*x)");
}

TEST(TaylorFlow, RotationFromABoxHoldsEveryStart)
{
    // x = x0 cos t + y0 sin t: coefficient k is x0 c_k + y0 s_k with the
    // cosine and sine coefficients; over a box it must hold the corners' values.
    const taylor_flow flow(field({{"x", "y"}, {"y", "-x"}}));
    const state_series s = flow.series({interval(1.0, 2.0), interval(-1.0, 0.5)}, 12);
    for (double x0 : {1.0, 2.0})
        for (double y0 : {-1.0, 0.5})
            for (int k = 0; k <= 12; ++k) {
                const double c = k % 2 ? 0.0 : (k % 4 == 0 ? 1.0 : -1.0);
                const double sn = k % 2 ? (k % 4 == 1 ? 1.0 : -1.0) : 0.0;
                EXPECT_TRUE(inside((mpfr_real(x0 * c) + mpfr_real(y0 * sn)) / factorial(k), s[0][k])) << k;
            }
}

TEST(TaylorFlow, FieldsWithoutExpansionSayWhy)
{
    EXPECT_NE(taylor_flow(field({{"x", "z"}})).problem().find("variable z"), std::string::npos);
    EXPECT_NE(taylor_flow(field({{"x", "x^x"}})).problem().find("exponent"), std::string::npos);
    EXPECT_NE(taylor_flow(field({{"x", "partial_x"}})).problem().find("partial"), std::string::npos);
    vector_field empty_component;
    empty_component.components["x"] = expression();
    EXPECT_NE(taylor_flow(empty_component).problem().find("no expression"), std::string::npos);
    // A quotient by a series whose value may vanish encloses nothing finite, never a false point.
    const state_series s = taylor_flow(field({{"x", "1/x"}})).series({interval(-1.0, 1.0)}, 3);
    EXPECT_TRUE(s[0][1].isInfinite());
}
