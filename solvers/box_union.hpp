#pragma once
// A union of boxes written with fewer boxes, and a cap on their number.

#include "domain.hpp"

#include <cstddef>
#include <vector>

/// The same set as the union of boxes, with fewer boxes: equal boxes are
/// kept once, and two boxes equal in every variable but one, whose intervals
/// in that one overlap or touch, become their hull (their union is that box),
/// until no two boxes can be merged so. The boxes share their variables; the
/// result comes sorted, so equal inputs give equal outputs.
std::vector<domain> merged_boxes(std::vector<domain> boxes);

/// At most limit boxes (limit ≥ 1) covering the union of boxes: boxes itself
/// when it has no more, else its first limit − 1 boxes and the hull of the others.
std::vector<domain> at_most(std::vector<domain> boxes, std::size_t limit);
