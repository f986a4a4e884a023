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

}  // namespace
