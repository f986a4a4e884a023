#include "analysis_maps.hpp"
#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "plane_curves.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>

namespace {

domain line(double lo, double hi) { return domain{{"x", interval(lo, hi)}}; }

/// The verdict of the chain of X through the given iterates.
zero_count chain_verdict(const domain& X, const std::vector<domain>& iterates)
{
    newton_chain chain(X);
    for (const domain& N : iterates) {
        if (!chain.extend(N)) break;
    }
    return chain.verdict();
}

newton system(const std::string& f1, const std::string& f2)
{
    return newton(Map(std::vector<expression>{expression(f1), expression(f2)}));
}

TEST(NewtonChain, OneZeroOnlyWhenAnIterateIsNestedInTheBoxItCameFrom)
{
    const domain X = line(0, 1);
    EXPECT_EQ(chain_verdict(X, {line(0.4, 0.6)}), zero_count::one);
    // N2 inside X but not inside N1: N1 may hold no zero, and then neither does X.
    EXPECT_EQ(chain_verdict(X, {line(0.8, 1.5), line(0.2, 0.3)}), zero_count::unknown);
    EXPECT_EQ(chain_verdict(X, {line(0.8, 1.5), line(0.9, 1.2)}), zero_count::unknown);
    // N2 nested in N1: the zero of N1 lies in every later iterate, here inside X.
    EXPECT_EQ(chain_verdict(X, {line(0.8, 1.5), line(0.9, 1.2), line(0.95, 0.99)}), zero_count::one);
    EXPECT_EQ(chain_verdict(X, {line(0.5, 1.5), line(0.6, 0.9)}), zero_count::one);
}

TEST(NewtonChain, NoZeroWhenAnIterateLeavesTheBox)
{
    EXPECT_EQ(chain_verdict(line(0, 1), {line(0.5, 1.5), line(1.2, 1.3)}), zero_count::none);
    EXPECT_EQ(chain_verdict(line(0, 1), {line(2, 3)}), zero_count::none);
}

TEST(NewtonChain, EmptyOrUnboundedIteratesEndTheChainWithoutProof)
{
    const domain X = line(0, 1);
    const domain empty{{"x", interval::EMPTY()}};
    const domain entire{{"x", interval::ENTIRE()}};
    newton_chain chain(X);
    EXPECT_FALSE(chain.extend(empty));
    EXPECT_EQ(chain.verdict(), zero_count::unknown);
    EXPECT_EQ(chain_verdict(X, {entire, line(0.4, 0.6)}), zero_count::unknown);
    EXPECT_EQ(chain_verdict(X, {empty, line(2, 3)}), zero_count::unknown);
    EXPECT_EQ(chain_verdict(X, {domain{{"y", interval(0.4, 0.6)}}}), zero_count::unknown);
}

TEST(NewtonIterates, SettleRegularBoxesAndLeaveTheOthersUnknown)
{
    const newton shifted = system("x-0.5", "y-0.25");
    EXPECT_EQ(newton_iterates(shifted, plane_box(0, 1, 0, 1), 6, true).verdict, zero_count::one);
    EXPECT_EQ(newton_iterates(shifted, plane_box(2, 3, 0, 1), 6, true).verdict, zero_count::none);
    const newton two_zeros = system("x^2-0.25", "y");
    EXPECT_EQ(newton_iterates(two_zeros, plane_box(-1, 1, -1, 1), 6, true).verdict, zero_count::unknown);
    const newton partial = system("sqrt(x)-0.5", "y");
    EXPECT_EQ(newton_iterates(partial, plane_box(-1, 1, -1, 1), 6, true).verdict, zero_count::unknown);
    EXPECT_EQ(newton_iterates(shifted, domain(), 6, true).verdict, zero_count::unknown);
}

TEST(NewtonIterates, TraceWritesEachIterate)
{
    std::ostringstream trace;
    const newton_run run = newton_iterates(system("x-0.5", "y-0.25"), plane_box(0, 1, 0, 1), 6, false, &trace);
    EXPECT_EQ(run.verdict, zero_count::one);
    std::ostringstream expected;
    for (int k = 0; k < 6; ++k) plane_point(0.5, 0.25).out(expected);
    EXPECT_EQ(trace.str(), expected.str());
}

/// The zeros of (x² − y − a, y² − x − b): x solves (x² − a)² − x − b = 0.
std::vector<std::pair<double, double>> parabola_zeros(double a, double b)
{
    const auto g = [&](double x) { return std::pow(x * x - a, 2) - x - b; };
    std::vector<std::pair<double, double>> zeros;
    const double step = 1e-3;
    for (double x = -4; x < 4; x += step) {
        double lo = x, hi = x + step;
        if (g(lo) * g(hi) > 0) continue;
        for (int k = 0; k < 80; ++k) {
            const double mid = 0.5 * (lo + hi);
            (g(lo) * g(mid) <= 0 ? hi : lo) = mid;
        }
        zeros.emplace_back(lo, lo * lo - a);
    }
    return zeros;
}

TEST(NewtonIterates, VerdictsHoldForTheExactZerosOfRandomSystems)
{
    const unsigned seed = 20240517;
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> coefficient(-1.5, 1.5), corner(-2, 2), width(0.02, 1.5);
    int ones = 0, nones = 0;
    for (int s = 0; s < 40; ++s) {
        const double a = std::round(coefficient(random) * 1000) / 1000;
        const double b = std::round(coefficient(random) * 1000) / 1000;
        std::ostringstream f1, f2;
        f1 << "x^2-y-(" << a << ")";
        f2 << "y^2-x-(" << b << ")";
        const newton op = system(f1.str(), f2.str());
        const auto zeros = parabola_zeros(a, b);
        for (int k = 0; k < 100; ++k) {
            const double x0 = corner(random), y0 = corner(random);
            const domain X = plane_box(x0, x0 + width(random), y0, y0 + width(random));
            const zero_count verdict = newton_iterates(op, X, 11, true).verdict;
            const auto in_X = std::count_if(zeros.begin(), zeros.end(), [&](const auto& z) {
                return near(X, xy_point{z.first, z.second}, 1e-9);
            });
            const auto clearly_in_X = std::count_if(zeros.begin(), zeros.end(), [&](const auto& z) {
                return near(X, xy_point{z.first, z.second}, -1e-9);
            });
            if (verdict == zero_count::one) {
                ++ones;
                EXPECT_TRUE(in_X == 1 && clearly_in_X <= 1) << "seed " << seed << ", system " << s << ", box " << k;
            }
            if (verdict == zero_count::none) {
                ++nones;
                EXPECT_EQ(clearly_in_X, 0) << "seed " << seed << ", system " << s << ", box " << k;
            }
        }
    }
    EXPECT_GT(ones, 20);
    EXPECT_GT(nones, 200);
}

TEST(Tighten, ShrinksAroundTheOneZeroOfTheBox)
{
    const newton op = system("x^2+y^2-1", "x-y");
    const domain T = tighten(op, plane_box(0.5, 1, 0.5, 1));
    const double r = std::sqrt(0.5);
    EXPECT_TRUE(T.get("x").contains(r) && T.get("y").contains(r));
    EXPECT_LT(T.width(), 1e-12);
}

TEST(FrozenSystems, OneOperatorPerSetOfFrozenValues)
{
    frozen_systems systems(same_image_system(Map(std::vector<expression>{expression("x+0.2*y"), expression("y^3-x*y")})));
    domain X = pair_box(plane_box(0, 0, 0, 1), plane_box(1, 2, 3, 3));
    domain Y = pair_box(plane_box(0, 0, 2, 4), plane_box(5, 6, 3, 3));
    domain Z = pair_box(plane_box(1, 1, 0, 1), plane_box(1, 2, 3, 3));
    const newton& for_X = systems.restrict_to(X);
    const newton& for_Y = systems.restrict_to(Y);
    const newton& for_Z = systems.restrict_to(Z);
    EXPECT_EQ(&for_X, &for_Y);
    EXPECT_NE(&for_X, &for_Z);
    EXPECT_EQ(X.variables(), (std::vector<std::string>{"x2", "x3"}));
    EXPECT_EQ(for_X.system.variables, (std::set<std::string>{"x2", "x3"}));
    EXPECT_EQ(for_X.jacobian.columns, (std::vector<std::string>{"x2", "x3"}));
    // y0 = (x1 + 0.2 x2) − (x3 + 0.2 x4) with x1 = 0 and x4 = 3.
    const interval y0 = for_X.system.evalue(domain{{"x2", interval(0.5)}, {"x3", interval(1.5)}}).get("y0");
    EXPECT_NEAR(y0.mid(), 0.1 - 2.1, 1e-12);
}

proved_zero zero_at(const domain& box, const domain& tight) { return {box, tight, domain(), nullptr}; }

domain point4(double a, double b, double c, double d, double r = 1e-12)
{
    return domain{{"x1", interval(a - r, a + r)}, {"x2", interval(b - r, b + r)}, {"x3", interval(c - r, c + r)},
                  {"x4", interval(d - r, d + r)}};
}

TEST(DistinctZeros, AZeroOnASharedFaceIsHeldOnce)
{
    distinct_zeros zeros(false);
    const domain left = pair_box(plane_box(0, 1, 0, 1), plane_box(2, 3, 0, 1));
    const domain right = pair_box(plane_box(1, 2, 0, 1), plane_box(2, 3, 0, 1));
    EXPECT_TRUE(zeros.insert(zero_at(left, point4(1, 0.5, 2.5, 0.5, 0.0))));
    EXPECT_FALSE(zeros.insert(zero_at(right, point4(1, 0.5, 2.5, 0.5, 0.0))));
    const domain further = pair_box(plane_box(1.2, 2, 0, 1), plane_box(2, 3, 0, 1));
    EXPECT_TRUE(zeros.insert(zero_at(further, point4(1.5, 0.5, 2.5, 0.5))));
    EXPECT_EQ(zeros.unresolved(), 0);
}

TEST(DistinctZeros, ExchangedPointsAreOneCrossingOfASymmetricSystem)
{
    const domain AB = pair_box(plane_box(0, 1, 0, 1), plane_box(2, 3, 0, 1));
    const domain BA = pair_box(plane_box(2, 3, 0, 1), plane_box(0, 1, 0, 1));
    distinct_zeros symmetric(true);
    EXPECT_TRUE(symmetric.insert(zero_at(AB, point4(0.5, 0.5, 2.5, 0.5))));
    EXPECT_FALSE(symmetric.insert(zero_at(BA, point4(2.5, 0.5, 0.5, 0.5))));
    distinct_zeros ordered(false);
    EXPECT_TRUE(ordered.insert(zero_at(AB, point4(0.5, 0.5, 2.5, 0.5))));
    EXPECT_TRUE(ordered.insert(zero_at(BA, point4(2.5, 0.5, 0.5, 0.5))));
}

TEST(DistinctZeros, OverlappingEnclosuresAreOneZeroWhenNewtonProvesIt)
{
    // Enclosures that stick out of each other's boxes across the shared face x = 0.5.
    const newton op = system("x-0.5", "y-0.25");
    const domain left = plane_box(0, 0.5, 0, 1), right = plane_box(0.5, 1, 0, 1);
    const domain a = plane_box(0.49, 0.5, 0.24, 0.26), b = plane_box(0.5, 0.51, 0.24, 0.26);
    distinct_zeros proved(false);
    EXPECT_TRUE(proved.insert({left, a, domain(), &op}));
    EXPECT_FALSE(proved.insert({right, b, domain(), &op}));
    EXPECT_EQ(proved.unresolved(), 0);
    distinct_zeros unproved(false);
    EXPECT_TRUE(unproved.insert(zero_at(left, a)));
    EXPECT_FALSE(unproved.insert(zero_at(right, b)));
    EXPECT_EQ(unproved.unresolved(), 1);
}

TEST(DistinctZeros, ZerosOfDifferentFacesAreComparedWithTheirFrozenValues)
{
    distinct_zeros zeros(false);
    const domain free_box = domain{{"x1", interval(0, 1)}, {"x2", interval(0, 1)}, {"x4", interval(0, 1)}};
    const domain tight = domain{{"x1", interval(0.5)}, {"x2", interval(0.5)}, {"x4", interval(0.5)}};
    EXPECT_TRUE(zeros.insert({free_box, tight, domain{{"x3", interval(1)}}, nullptr}));
    EXPECT_TRUE(zeros.insert({free_box, tight, domain{{"x3", interval(2)}}, nullptr}));
    EXPECT_FALSE(zeros.insert({free_box, tight, domain{{"x3", interval(1)}}, nullptr}));
}

}  // namespace
