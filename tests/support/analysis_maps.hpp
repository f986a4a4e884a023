#pragma once
// Analysis objects of small maps for the analysis tests, built without
// letting the constructor's report reach the test log.

#include "boxes.hpp"
#include "plisse.hpp"

#include <gtest/gtest.h>

#include <memory>
#include <string>

/// The plane box [x_lo, x_hi] x [y_lo, y_hi].

/// The point box (x, y).
inline domain plane_point(double x, double y) { return plane_box(x, x, y, y); }

/// The box studied by the program's built-in map.
inline domain built_in_box() { return plane_box(-0.2, 0.33, -0.7, 0.61); }

/// The analysis object of (f1, f2) over box paved n x n; what the constructor
/// prints is discarded.
inline std::unique_ptr<plisse> quiet_plisse(const std::string& f1, const std::string& f2,
                                            const domain& box, int n = 4)
{
    testing::internal::CaptureStdout();
    auto p = std::make_unique<plisse>(expression(f1), expression(f2), mesh(box, n));
    testing::internal::GetCapturedStdout();
    return p;
}

/// The program's built-in map, (x + 0.2 y, y^3 - x y) paved 25 x 25.
inline std::unique_ptr<plisse> built_in_plisse()
{
    return quiet_plisse("x+0.2*y", "y^3-x*y", built_in_box(), 25);
}
