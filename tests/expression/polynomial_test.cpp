// Centred bounds of polynomials: they hold every value of the polynomial over
// the box, and they stay close to its true range where its terms cancel.

#include "compiled.hpp"
#include "expression.hpp"
#include "mpfr_reference.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

/// The enclosure the program of e gives over box.
interval program_enclosure(const expression& e, const domain& box)
{
    const compiled_program program({&e.tree});
    std::vector<interval> slots;
    program.run(box, slots);
    return slots[program.outputs()[0]];
}

// Re z^12 = Σ_j (−1)^j C(12, 2j) x^(12−2j) y^(2j): terms of size up to 924
// x^6 y^6 that cancel to |z|^12 cos 12θ. Over a box 0.1 wide around
// z = 0.8 e^(0.3i) the exact values r^12 cos 12θ (closed form, MPFR) all lie
// in the enclosure, which is no wider than four times their spread, where
// the terms evaluated one by one are some ten times too wide.
TEST(CentredBound, HoldsARealPartOfZToThe12AndStaysNearItsRange)
{
    const expression e("x^12-66*x^10*y^2+495*x^8*y^4-924*x^6*y^6+495*x^4*y^8-66*x^2*y^10+y^12");
    const double cx = 0.8 * std::cos(0.3), cy = 0.8 * std::sin(0.3), w = 0.1;
    const domain box{{"x", interval(cx - w / 2, cx + w / 2)}, {"y", interval(cy - w / 2, cy + w / 2)}};
    const interval bound = program_enclosure(e, box);
    double lowest = INFINITY, highest = -INFINITY;
    for (int i = 0; i <= 20; ++i) {
        for (int j = 0; j <= 20; ++j) {
            const mpfr_real x(cx - w / 2 + w * i / 20), y(cy - w / 2 + w * j / 20);
            const mpfr_real r2 = x * x + y * y;  // |z|^2
            const mpfr_real theta = mpfr_real::apply(mpfr_atan2, y, x);
            const mpfr_real r6 = r2 * r2 * r2;
            const mpfr_real exact = r6 * r6 * mpfr_real::apply(mpfr_cos, mpfr_real(12.0) * theta);
            EXPECT_TRUE(inside(exact, bound)) << exact;
            lowest = std::min(lowest, exact.to_double(MPFR_RNDD));
            highest = std::max(highest, exact.to_double(MPFR_RNDU));
        }
    }
    EXPECT_LT(bound.width(), 4 * (highest - lowest));
    EXPECT_GT(e.Evalue(box).width(), 8 * (highest - lowest));
}

// f(x1, x2) − f(x3, x4), as the systems of two points are written: the two
// groups of variables are bounded apart, and their constants cancel. With
// f = (x + y)^3, the difference over x1 + x2 ∈ s + [−0.02, 0.02] and
// x3 + x4 ∈ t + [−0.02, 0.02] lies within 3·max(s, t)²·0.04 (plus rounding
// and the second order) of s³ − t³.
TEST(CentredBound, BoundsTheGroupsOfASeparableDifferenceApart)
{
    const expression e("(x1+x2)^3-(x3+x4)^3+5-5");
    const domain box{{"x1", interval(0.49, 0.5)}, {"x2", interval(0.5, 0.51)}, {"x3", interval(0.2, 0.21)},
                     {"x4", interval(0.29, 0.3)}};
    const interval bound = program_enclosure(e, box);
    const double s = 1.0, t = 0.5;
    EXPECT_TRUE(bound.contains(s * s * s - t * t * t));
    EXPECT_LT(bound.width(), 2 * 3 * s * s * 0.04 + 2 * 3 * t * t * 0.04);
}

// A derivative told to a program as such is enclosed through its
// primitive's Taylor coefficients: for P = (x + y)^5 − x³y, ∂P/∂x =
// 5(x + y)^4 − 3x²y (by hand) at sample points of a box, and of a box whose
// x is a point, where the point's line is shifted rather than collapsed.
TEST(CentredBound, EnclosesADerivativeFromItsPrimitive)
{
    const expression P("(x+y)^5-x^3*y");
    const expression dP = P.derive("x");
    const compiled_program program({&dP.tree, &P.tree}, {{0, 1, "x"}});
    for (const double width : {0.2, 0.0}) {
        const domain box{{"x", interval(0.3, 0.3 + width)}, {"y", interval(-0.6, -0.4)}};
        std::vector<interval> slots;
        program.run(box, slots);
        const interval enclosure = slots[program.outputs()[0]];
        for (int i = 0; i <= 4; ++i) {
            for (int j = 0; j <= 4; ++j) {
                const mpfr_real x(0.3 + width * i / 4), y(-0.6 + 0.05 * j);
                const mpfr_real s = x + y;
                const mpfr_real exact = mpfr_real(5.0) * s * s * s * s - mpfr_real(3.0) * x * x * y;
                EXPECT_TRUE(inside(exact, enclosure)) << exact << " outside " << enclosure;
            }
        }
        EXPECT_TRUE(enclosure.subset(dP.Evalue(box)));
    }
}

}  // namespace

namespace {

/// Re (x + iy)^n = Σ_j (−1)^j C(n, 2j) x^(n−2j) y^(2j), built term by term
/// with the binomials counted here.
polynomial real_part_of_power(int n)
{
    const polynomial x = *polynomial::variable(2, 0), y = *polynomial::variable(2, 1);
    polynomial sum_so_far = *polynomial::constant(2, interval(0.0));
    double binomial = 1.0;  // C(n, k) for k = 0, 1, ...
    for (int k = 0; k <= n; ++k) {
        if (k % 2 == 0) {
            const polynomial term = *product(*power(x, n - k), *power(y, k));
            sum_so_far = *sum(sum_so_far, term.scaled(interval((k / 2) % 2 == 0 ? binomial : -binomial)));
        }
        binomial = binomial * (n - k) / (k + 1);
    }
    return sum_so_far;
}

}  // namespace

// Re z^40 at the largest degree: binomials up to C(40, 20) ≈ 1.4e11 that cancel
// to r^40 cos 40θ. Over a box 0.004 wide around z = 0.99 e^(0.7i) the exact
// values (closed form, MPFR) lie in the bound, which stays within twice their
// spread; so do those of its derivative in x, 40 Re z^39.
TEST(CentredBound, HoldsTheHighestDegreeAndItsDerivativeTightly)
{
    const std::optional<centred_bound> bound = centred_bound::of(real_part_of_power(40));
    ASSERT_TRUE(bound);
    const double cx = 0.99 * std::cos(0.7), cy = 0.99 * std::sin(0.7), w = 0.004;
    const interval box[2] = {interval(cx - w / 2, cx + w / 2), interval(cy - w / 2, cy + w / 2)};
    interval derivative;
    const interval value = bound->over(box, {0}, &derivative);
    double lowest[2] = {INFINITY, INFINITY}, highest[2] = {-INFINITY, -INFINITY};
    for (int i = 0; i <= 10; ++i) {
        for (int j = 0; j <= 10; ++j) {
            const mpfr_real x(box[0].inf() + w * i / 10), y(box[1].inf() + w * j / 10);
            const mpfr_real r2 = x * x + y * y;
            const mpfr_real theta = mpfr_real::apply(mpfr_atan2, y, x);
            const mpfr_real exact[2] = {
                pow(r2, 20) * mpfr_real::apply(mpfr_cos, mpfr_real(40.0) * theta),
                mpfr_real(40.0) * mpfr_real::apply(mpfr_sqrt, pow(r2, 39))
                    * mpfr_real::apply(mpfr_cos, mpfr_real(39.0) * theta)};
            for (int k = 0; k < 2; ++k) {
                EXPECT_TRUE(inside(exact[k], k == 0 ? value : derivative)) << exact[k];
                lowest[k] = std::min(lowest[k], exact[k].to_double(MPFR_RNDD));
                highest[k] = std::max(highest[k], exact[k].to_double(MPFR_RNDU));
            }
        }
    }
    EXPECT_LT(value.width(), 2 * (highest[0] - lowest[0]));
    EXPECT_LT(derivative.width(), 2 * (highest[1] - lowest[1]));
}

// 1e300·x^20·y with x the point 1e-16: x^20 = 1e-320 is a subnormal double,
// far less precise than its relative error bound says, so the bound must not
// rest on it; the program's enclosure holds the exact 1e-20·y (MPFR).
TEST(CentredBound, NeverRestsOnPowersBelowTheNormalDoubles)
{
    const expression e("1e300*x^20*y");
    const domain box{{"x", interval(1e-16)}, {"y", interval(1.0, 2.0)}};
    const interval enclosure = program_enclosure(e, box);
    for (const double y : {1.0, 1.5, 2.0}) {
        const mpfr_real exact = mpfr_real(1e300) * pow(mpfr_real(1e-16), 20) * mpfr_real(y);
        EXPECT_TRUE(inside(exact, enclosure)) << exact << " outside " << enclosure;
    }
}
