#include "box_index.hpp"

#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>
#include <vector>

namespace {

domain image_box(const interval& y0, const interval& y1) { return domain{{"y0", y0}, {"y1", y1}}; }

/// The positions, ascending, of the boxes not disjoint from target: the definition itself.
std::vector<int> brute_force(const std::vector<domain>& boxes, const domain& target)
{
    std::vector<int> found;
    for (int j = 0; j < static_cast<int>(boxes.size()); ++j)
        if (!boxes[j].disjoint(target)) found.push_back(j);
    return found;
}

/// Random intervals whose bounds come from a small grid of values, so that
/// bounds often coincide (touching boxes), with points, half-lines, the
/// entire line, the empty set and now and then a far-off or huge interval.
class random_intervals {
public:
    explicit random_intervals(unsigned seed) : engine_(seed) {}

    interval next()
    {
        const int kind = pick(20);
        if (kind == 0) return interval::EMPTY();
        if (kind == 1) return interval::ENTIRE();
        if (kind == 2) return interval(-INFINITY, grid_value());
        if (kind == 3) return interval(grid_value(), INFINITY);
        if (kind == 4) return interval(grid_value());
        if (kind == 5) return interval(1e300, 1.5e300);
        // Bounded, but so far apart that their extent overflows.
        if (kind == 7) return pick(2) ? interval(-1.7e308, -1e308) : interval(1e308, 1.7e308);
        const double a = grid_value();
        return interval(a, a + 0.125 * (1 + pick(kind == 6 ? 64 : 3)));
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(engine_); }
    double grid_value() { return 0.125 * (pick(81) - 40); }
    std::mt19937 engine_;
};

unsigned property_seed()
{
    const char* replay = std::getenv("PLISSE_SEED");
    return replay ? static_cast<unsigned>(std::strtoul(replay, nullptr, 10)) : 20261209u;
}

}  // namespace

TEST(BoxIndex, AgreesWithDisjointnessOnRandomBoxesWithInfiniteAndEmptySides)
{
    const unsigned seed = property_seed();
    SCOPED_TRACE("replay with PLISSE_SEED=" + std::to_string(seed));
    random_intervals draw(seed);
    for (int round = 0; round < 40; ++round) {
        std::vector<domain> boxes;
        const int n = 1 + round * 7;
        for (int k = 0; k < n; ++k) boxes.push_back(image_box(draw.next(), draw.next()));
        const box_index index(rectangles(boxes, "y0", "y1"));
        for (int q = 0; q < 30; ++q) {
            const domain target = q < n ? boxes[q] : image_box(draw.next(), draw.next());
            const rectangle r{target.get("y0"), target.get("y1")};
            const std::vector<int> expected = brute_force(boxes, target);
            ASSERT_EQ(index.meeting(r), expected) << "round " << round << " query " << q;
            ASSERT_EQ(index.meets_any(r), !expected.empty()) << "round " << round << " query " << q;
        }
    }
}

TEST(BoxIndex, TouchingBoxesMeetAndEmptyBoxesMeetNothing)
{
    // Unit squares of a 3 x 3 tiling: the middle one touches all nine (itself
    // included) through sides or corners; a corner square touches four.
    std::vector<domain> tiles;
    for (int i = 0; i < 3; ++i)
        for (int j = 0; j < 3; ++j) tiles.push_back(image_box(interval(i, i + 1), interval(j, j + 1)));
    tiles.push_back(image_box(interval::EMPTY(), interval(0, 3)));
    const box_index index(rectangles(tiles, "y0", "y1"));
    EXPECT_EQ(index.meeting({interval(1, 2), interval(1, 2)}), (std::vector<int>{0, 1, 2, 3, 4, 5, 6, 7, 8}));
    EXPECT_EQ(index.meeting({interval(0, 1), interval(0, 1)}), (std::vector<int>{0, 1, 3, 4}));
    // The empty tile meets nothing, not even a box covering the plane, and an
    // empty query meets nothing either.
    EXPECT_EQ(index.meeting({interval::ENTIRE(), interval::ENTIRE()}).size(), 9u);
    EXPECT_TRUE(index.meeting({interval::EMPTY(), interval::ENTIRE()}).empty());
    // A point just past the tiling's corner meets nothing.
    EXPECT_FALSE(index.meets_any({interval(std::nextafter(3.0, 4.0)), interval(3)}));
    EXPECT_TRUE(index.meets_any({interval(3), interval(3)}));
}
