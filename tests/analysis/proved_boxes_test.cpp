#include "analysis_maps.hpp"

#include <gtest/gtest.h>

namespace {

/// Every box of every recorded feature of p's last critical_points, crossings
/// with both of their boxes.
std::vector<domain> recorded_boxes(const plisse& p)
{
    std::vector<domain> boxes = p.res.cusps;
    for (const auto* pairs : {&p.res.fold_fold_pairs, &p.res.boundary_boundary_pairs, &p.res.fold_boundary_pairs}) {
        for (const box_pair& pair : *pairs) {
            boxes.push_back(pair.first);
            boxes.push_back(pair.second);
        }
    }
    return boxes;
}

TEST(ProvedBoxes, EveryFeatureIsHeldInABoxNarrowerThanABillionthOfTheStudiedBox)
{
    // (x + 0.2 cos y, y³ − xy + 0.1 sin 2x) over [−0.6, 0.6] × [−0.9, 0.9]:
    // one cusp, one boundary–boundary crossing and four fold–boundary
    // intersections, each contracted by Newton once proved.
    const auto p = quiet_plisse("x+0.2*cos(y)", "y^3-x*y+0.1*sin(2*x)", plane_box(-0.6, 0.6, -0.9, 0.9), 25);
    testing::internal::CaptureStdout();
    p->one_to_one();
    p->critical_points(p->box);
    testing::internal::GetCapturedStdout();
    const std::vector<domain> boxes = recorded_boxes(*p);
    EXPECT_EQ(boxes.size(), 1u + 2u + 8u);
    for (const domain& b : boxes) EXPECT_LT(b.width(), 1e-9 * p->box.width());
}

}  // namespace
