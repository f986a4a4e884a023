#pragma once
// Where the searches of one analysis left candidates undecided: for each
// search, the source boxes of those candidates as few boxes.

#include "resultat.hpp"

#include <cstddef>
#include <vector>

/// Boxes listed per search at most; beyond, the last box is the hull of the others.
constexpr std::size_t region_limit = 2000;

/// The parts of the studied box where each search left candidates undecided.
struct undecided_regions {
    std::vector<domain> cusps;
    std::vector<domain> fold_fold;
    std::vector<domain> boundary_boundary;
    std::vector<domain> fold_boundary;

    /// Every region of every search, in the order above.
    std::vector<domain> all() const;
};

/// The regions of res: for each search, the boxes of its undecided candidates
/// (both boxes of a pair) within the studied box, merged where their union
/// is a box (merged_boxes), at most region_limit (at_most).
undecided_regions undecided_regions_of(const resultat& res);
