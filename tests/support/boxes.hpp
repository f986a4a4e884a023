#pragma once
// Boxes of the source plane for tests.

#include "domain.hpp"

#include <cmath>
#include <random>

/// The box [x_lo, x_hi] x [y_lo, y_hi] over x and y.
inline domain plane_box(double x_lo, double x_hi, double y_lo, double y_hi)
{
    return domain{{"x", interval(x_lo, x_hi)}, {"y", interval(y_lo, y_hi)}};
}

/// The box x × y.
inline domain plane_box(const interval& x, const interval& y) { return domain{{"x", x}, {"y", y}}; }

/// A random box inside [-2, 4]^2: each side starts in [-2, 2] and is 2^-12 to
/// 4 wide, so boxes come small and wide, around 0 and away from it.
inline domain random_plane_box(std::mt19937& g)
{
    std::uniform_real_distribution<double> start(-2, 2);
    std::uniform_int_distribution<int> scale(-12, 2);
    const auto side = [&] {
        const double c = start(g);
        return interval(c, c + std::ldexp(1.0, scale(g)));
    };
    const interval x = side();
    return plane_box(x, side());
}
