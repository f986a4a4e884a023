#include "box_union.hpp"

#include "boxes.hpp"

#include <gtest/gtest.h>

namespace {

TEST(BoxUnion, MergesBoxesWhoseUnionIsABoxAndNoOthers)
{
    // The four quarters of [0, 1]², one twice, are the square; a box beside
    // it along a whole side joins it.
    const std::vector<domain> square = merged_boxes({plane_box(0, 0.5, 0, 0.5), plane_box(0.5, 1, 0, 0.5),
                                                     plane_box(0, 0.5, 0.5, 1), plane_box(0.5, 1, 0.5, 1),
                                                     plane_box(0, 0.5, 0, 0.5), plane_box(1, 2, 0, 1)});
    EXPECT_EQ(square, std::vector<domain>{plane_box(0, 2, 0, 1)});

    // Three quarters form an L, whose hull would add the fourth: two boxes
    // stay. Boxes apart stay apart; pieces of an edge chain along it.
    const std::vector<domain> l_shape =
        merged_boxes({plane_box(0, 0.5, 0, 0.5), plane_box(0.5, 1, 0, 0.5), plane_box(0, 0.5, 0.5, 1)});
    EXPECT_EQ(l_shape, (std::vector<domain>{plane_box(0, 0.5, 0.5, 1), plane_box(0, 1, 0, 0.5)}));
    EXPECT_EQ(merged_boxes({plane_box(0, 1, 0, 1), plane_box(1.5, 2, 0, 1)}).size(), 2u);
    EXPECT_EQ(merged_boxes({plane_box(-1, -1, 0, 0.25), plane_box(-1, -1, 0.25, 1), plane_box(-1, -1, 0.5, 0.75)}),
              std::vector<domain>{plane_box(-1, -1, 0, 1)});
}

TEST(BoxUnion, KeepsAtMostTheLimitWithTheHullOfTheRestLast)
{
    const std::vector<domain> boxes = {plane_box(0, 1, 0, 1), plane_box(2, 3, 0, 1), plane_box(0, 1, 5, 6),
                                       plane_box(4, 5, 2, 3)};
    EXPECT_EQ(at_most(boxes, 4), boxes);
    EXPECT_EQ(at_most(boxes, 2), (std::vector<domain>{plane_box(0, 1, 0, 1), plane_box(0, 5, 0, 6)}));
}

}  // namespace
