#include "boxes.hpp"
#include "connexe.hpp"

#include <gtest/gtest.h>

TEST(Connexe, BuildsTheGradientAndTheRadialDerivative) {
    const connexe c(expression("x^2+y^2-1"));
    ASSERT_EQ(c.gradient.size(), 2u);
    EXPECT_EQ(c.gradient.count("x"), 1u);
    EXPECT_EQ(c.gradient.count("y"), 1u);
    EXPECT_EQ(c.radial_derivative.variables, (std::set<std::string>{"sx", "sy", "x", "y"}));
    // 2x (x - sx) + 2y (y - sy) at (1, 2) from (0.5, -1): 1 + 12.
    domain at;
    at["x"] = interval(1);
    at["y"] = interval(2);
    at["sx"] = interval(0.5);
    at["sy"] = interval(-1);
    EXPECT_TRUE(c.radial_derivative.Evalue(at).contains(13.0));
}

TEST(Connexe, QuarterOfTheUnitCircleIsStarShapedFromTheLowCorner) {
    const connexe c(expression("x^2+y^2-1"));
    EXPECT_EQ(c.star_shaped(plane_box(interval(0.5, 2), interval(0.5, 2))), 1);
}

TEST(Connexe, GradientThatMayVanishGivesZero) {
    const connexe c(expression("x^2+y^2-1"));
    EXPECT_EQ(c.star_shaped(plane_box(interval(-0.5, 0.5), interval(-0.5, 0.5))), 0);
}

TEST(Connexe, NoCornerWithGAtMostZeroGivesZero) {
    // g > 0 at every corner; the circle enters through the lower edge.
    const connexe c(expression("x^2+y^2-1"));
    EXPECT_EQ(c.star_shaped(plane_box(interval(-0.9, 0.9), interval(0.8, 1.2))), 0);
    EXPECT_EQ(c.star_shaped(plane_box(interval(2, 3), interval(2, 3))), 0);
}

TEST(Connexe, TwoArcsAreNotStarShaped) {
    // (x - 1)^2 = 0.25 + 0.1 y: two arcs, near x = 0.5 and x = 1.5; g < 0 at
    // every corner, and each ray towards the far arc crosses both.
    const connexe c(expression("0.25-(x-1)^2+0.1*y"));
    EXPECT_EQ(c.star_shaped(plane_box(interval(0, 2), interval(0, 1))), 0);
    // One of the arcs alone is.
    EXPECT_EQ(c.star_shaped(plane_box(interval(0, 0.9), interval(0, 1))), 1);
}

TEST(Connexe, EdgeInOneVariable) {
    const connexe rising(expression("x-0.3"));
    domain edge;
    edge["x"] = interval(0, 1);
    EXPECT_EQ(rising.star_shaped(edge), 1);
    const connexe falling(expression("0.3-x"));
    EXPECT_EQ(falling.star_shaped(edge), 1);
}

TEST(Connexe, BoxLyingOnTheCurveIsNotProved) {
    // Every point has g = 0 and radial derivative 0 from the corner: the
    // set inversion proves those points bad instead of leaving none.
    const connexe c(expression("x-0.5"));
    EXPECT_EQ(c.star_shaped(plane_box(interval(0.5), interval(0, 1))), 0);
}

TEST(Connexe, CornerOutsideTheDomainOfGIsNotACentre) {
    // g is undefined at the corners x = -1; at x = 2 it is positive.
    const connexe c(expression("sqrt(x)-1"));
    domain edge;
    edge["x"] = interval(-1, 2);
    EXPECT_EQ(c.star_shaped(edge), 0);
}

TEST(Connexe, PointBoxGivesNoThresholdAndZero) {
    const connexe c(expression("x-0.5"));
    domain point;
    point["x"] = interval(0.5);
    testing::internal::CaptureStderr();
    EXPECT_EQ(c.star_shaped(point), 0);
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

TEST(Connexe, GradientEvalueIsTheDirectionalDerivative) {
    const connexe c(expression("x^2+y^2-1"));
    domain V;
    V["x"] = interval(1);
    V["y"] = interval(-1);
    // 2x - 2y over x in [1, 2], y in [0, 1]: [0, 4].
    const interval d = c.gradient_evalue(plane_box(interval(1, 2), interval(0, 1)), V);
    EXPECT_TRUE(d.contains(0.0));
    EXPECT_TRUE(d.contains(4.0));
    EXPECT_TRUE(d.subset(interval(-0.001, 4.001)));
}
