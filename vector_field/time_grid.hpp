#pragma once
// Steps on a grid of doubles that add up exactly to the horizon.

#include <cmath>
#include <limits>

/// Spacing of the doubles just above |T|. Times and steps that are multiples
/// of it and do not exceed |T| in magnitude are doubles, so adding a step to
/// the time reached and subtracting the time reached from T are exact: the
/// steps of an integration add up to T itself, not to a rounded T.
inline double time_quantum(double T)
{
    const double a = std::fabs(T);
    return std::nextafter(a, std::numeric_limits<double>::infinity()) - a;
}

/// h truncated toward zero to a multiple of the quantum (exact: the quantum is
/// a power of two).
inline double quantized(double h, double quantum) { return std::trunc(h / quantum) * quantum; }
