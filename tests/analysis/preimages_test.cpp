// Preimage counts of points of the target, against hand calculations.

#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

/// Whether some box of c holds the point (x, y).
bool holds_point(const preimage_count& c, double x, double y)
{
    return std::any_of(c.boxes.begin(), c.boxes.end(), [&](const domain& b) {
        return b.get("x").contains(x) && b.get("y").contains(y);
    });
}

TEST(Preimages, CountsThePointsThatMapToATargetPoint)
{
    // (x, y²): (0, 1) has the preimages (0, ±1); (0, −1) has none.
    const auto fold = quiet_plisse("x", "y^2", plane_box(-1, 1.1, -1.5, 1.3));
    const preimage_count two = fold->preimages(0, 1);
    ASSERT_TRUE(two.count.has_value()) << two.reason;
    EXPECT_EQ(*two.count, 2);
    EXPECT_TRUE(holds_point(two, 0, 1) && holds_point(two, 0, -1));
    EXPECT_EQ(fold->preimages(0, -1).count, std::optional<int>(0));
    // (x, xy + y³): at x = −1, y³ − y = 0 has the roots 0 and ±1; at x = 1,
    // y³ + y = 0 only 0.
    const auto cusp = quiet_plisse("x", "x*y+y^3", plane_box(-2, 2.1, -1.5, 1.6));
    const preimage_count three = cusp->preimages(-1, 0);
    ASSERT_TRUE(three.count.has_value()) << three.reason;
    EXPECT_EQ(*three.count, 3);
    for (const double y : {-1.0, 0.0, 1.0}) EXPECT_TRUE(holds_point(three, -1, y)) << y;
    EXPECT_EQ(cusp->preimages(1, 0).count, std::optional<int>(1));
}

TEST(Preimages, APointOfTheFoldImageIsNeverCounted)
{
    // (x, y²) folds along y = 0: (0.3, 0) has the one preimage (0.3, 0), where
    // det = 2y vanishes, and no box around it settles.
    const auto fold = quiet_plisse("x", "y^2", plane_box(-1, 1.1, -1.5, 1.3));
    const preimage_count on_fold = fold->preimages(0.3, 0);
    EXPECT_FALSE(on_fold.count.has_value());
    EXPECT_EQ(on_fold.reason, "the point lies too close to the fold image");
}

TEST(Preimages, SheetNumbersOfTheFoldAndOfTheCusp)
{
    // (x, y²) over y in [−1.5, 1.3]: no preimage below the fold line b = 0;
    // above it two, y = ±√b, while √b ≤ 1.3.
    const auto fold = quiet_plisse("x", "y^2", plane_box(-1, 1.1, -1.5, 1.3));
    const sheet_grid folds = fold->sheet_numbers(domain{{"y0", interval(-0.9, 0.9)}, {"y1", interval(-1, 1)}}, 3, 2);
    for (int c = 0; c < 3; ++c) {
        EXPECT_EQ(folds.counts[c], std::optional<int>(0));
        EXPECT_EQ(folds.counts[3 + c], std::optional<int>(2));
    }
    // (x, xy + y³): y³ + ay − b has three real roots where 4a³ + 27b² < 0,
    // inside the cusp's wedge, and one outside; at (−0.5, 0) they are 0 and
    // ±0.707, at (0.5, 0) only 0, all within [−1.5, 1.6].
    const auto cusp = quiet_plisse("x", "x*y+y^3", plane_box(-2, 2.1, -1.5, 1.6));
    const sheet_grid wedge = cusp->sheet_numbers(domain{{"y0", interval(-1, 1)}, {"y1", interval(-0.1, 0.1)}}, 2, 1);
    EXPECT_EQ(wedge.counts[0], std::optional<int>(3));
    EXPECT_EQ(wedge.counts[1], std::optional<int>(1));
}

}  // namespace
