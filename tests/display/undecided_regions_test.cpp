// The undecided regions of hand-made results over [0, 1]².

#include "undecided_regions.hpp"

#include "boxes.hpp"

#include <gtest/gtest.h>

namespace {

TEST(UndecidedRegions, HoldTheUndecidedBoxesOfEachSearchMergedWithinTheBox)
{
    resultat res;
    res.source_mesh = mesh(plane_box(0, 1, 0, 1), 2);
    // The two halves of [0, 0.5]², and a widened box reaching out of the studied box.
    res.cusp_undecided = {plane_box(0, 0.25, 0, 0.5), plane_box(0.25, 0.5, 0, 0.5), plane_box(0.9, 1.2, 0.9, 1.2)};
    // A fold box open with itself, and an open pair of two boxes.
    res.fold_fold_undecided = {{plane_box(0.1, 0.2, 0.1, 0.2), plane_box(0.1, 0.2, 0.1, 0.2)},
                               {plane_box(0.1, 0.2, 0.2, 0.3), plane_box(0.7, 0.8, 0.7, 0.8)}};
    // Only pairs given up (code 8) are undecided: a pair settled with code 2 is not.
    res.fold_boundary_coded = {{{plane_box(0.6, 0.9, 0.6, 0.9), plane_box(1, 1, 0.1, 0.3)}, 8},
                               {{plane_box(0.1, 0.2, 0.1, 0.2), plane_box(0, 0, 0.1, 0.2)}, 2}};
    res.boundary_boundary_coded = {{{plane_box(0, 0, 0, 0.5), plane_box(0, 0, 0.5, 1)}, 8}};

    const undecided_regions r = undecided_regions_of(res);
    EXPECT_EQ(r.cusps, (std::vector<domain>{plane_box(0, 0.5, 0, 0.5), plane_box(0.9, 1, 0.9, 1)}));
    EXPECT_EQ(r.fold_fold, (std::vector<domain>{plane_box(0.1, 0.2, 0.1, 0.3), plane_box(0.7, 0.8, 0.7, 0.8)}));
    EXPECT_EQ(r.fold_boundary, (std::vector<domain>{plane_box(0.6, 0.9, 0.6, 0.9), plane_box(1, 1, 0.1, 0.3)}));
    EXPECT_EQ(r.boundary_boundary, std::vector<domain>{plane_box(0, 0, 0, 1)});
    EXPECT_EQ(r.all().size(), 7u);
    EXPECT_TRUE(undecided_regions_of(resultat()).all().empty());
}

}  // namespace
