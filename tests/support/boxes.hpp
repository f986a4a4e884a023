#pragma once
// Boxes of the source plane for tests.

#include "domain.hpp"

/// The box [x_lo, x_hi] x [y_lo, y_hi] over x and y.
inline domain plane_box(double x_lo, double x_hi, double y_lo, double y_hi)
{
    return domain{{"x", interval(x_lo, x_hi)}, {"y", interval(y_lo, y_hi)}};
}

/// The box x × y.
inline domain plane_box(const interval& x, const interval& y) { return domain{{"x", x}, {"y", y}}; }
