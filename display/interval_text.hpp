#pragma once
// Intervals as the pictures, the help and the summary show them.

#include "interval.hpp"

#include <cstdio>
#include <string>

/// "[lo, hi]" with six significant digits a bound.
inline std::string interval_text(const interval& I)
{
    char text[64];
    std::snprintf(text, sizeof text, "[%g, %g]", inf(I), sup(I));
    return text;
}
