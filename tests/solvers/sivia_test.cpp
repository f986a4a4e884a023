#include "boxes.hpp"
#include "sivia.hpp"
#include "stop_request.hpp"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

namespace {


domain target(const interval& y0) {
    domain Y;
    Y["y0"] = y0;
    return Y;
}

/// Corners, centre and a few random points of B (fixed seed).
std::vector<std::pair<double, double>> sample_points(const domain& B) {
    const interval x = B.get("x"), y = B.get("y");
    std::vector<std::pair<double, double>> points = {
        {x.inf(), y.inf()}, {x.inf(), y.sup()}, {x.sup(), y.inf()}, {x.sup(), y.sup()},
        {x.mid(), y.mid()}};
    std::mt19937 random(17);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    for (int k = 0; k < 4; ++k) {
        points.emplace_back(x.inf() + unit(random) * (x.sup() - x.inf()),
                            y.inf() + unit(random) * (y.sup() - y.inf()));
    }
    return points;
}

double area(const std::vector<domain>& boxes) {
    double sum = 0.0;
    for (const domain& B : boxes) {
        sum += B.get("x").width() * B.get("y").width();
    }
    return sum;
}

}  // namespace

TEST(Sivia, UnitDiscBoxesAreOnTheRightSideAtEverySamplePoint) {
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    const domain X0 = plane_box(interval(-2, 2), interval(-2, 2));
    const int undetermined = disc.SIVIAfile(X0, 0.1);

    ASSERT_FALSE(disc.inside_boxes.empty());
    ASSERT_FALSE(disc.outside_boxes.empty());
    EXPECT_EQ(undetermined, static_cast<int>(disc.undetermined_boxes.size()));
    for (const domain& B : disc.inside_boxes) {
        for (const auto& [x, y] : sample_points(B)) {
            EXPECT_LE(x * x + y * y, 1.0) << x << " " << y;
        }
    }
    for (const domain& B : disc.outside_boxes) {
        for (const auto& [x, y] : sample_points(B)) {
            EXPECT_GT(x * x + y * y, 1.0) << x << " " << y;
        }
    }
    for (const domain& B : disc.undetermined_boxes) {
        EXPECT_LT(B.width(), 0.1);
    }
    // The three lists tile X0, and the inside boxes cover most of the disc.
    const double total = area(disc.inside_boxes) + area(disc.outside_boxes) +
                         area(disc.undetermined_boxes);
    EXPECT_DOUBLE_EQ(total, 16.0);
    EXPECT_GT(area(disc.inside_boxes), 2.5);
    EXPECT_LT(area(disc.inside_boxes), std::acos(-1.0));
}

TEST(Sivia, BreadthFirstAndInPavingOrder) {
    sivia left_half(Map(expression("x")), target(interval(0, 0.5)));
    const domain X0 = plane_box(interval(0, 1), interval(0, 1));
    // One bisection; [0.5, 1] touches the target, so it stays undecided.
    EXPECT_EQ(left_half.SIVIAfile(X0, 0.6), 2);
    ASSERT_EQ(left_half.inside_boxes.size(), 2u);
    ASSERT_EQ(left_half.undetermined_boxes.size(), 2u);
    EXPECT_EQ(left_half.inside_boxes[0], plane_box(interval(0, 0.5), interval(0, 0.5)));
    EXPECT_EQ(left_half.inside_boxes[1], plane_box(interval(0, 0.5), interval(0.5, 1)));
    EXPECT_EQ(left_half.undetermined_boxes[0], plane_box(interval(0.5, 1), interval(0, 0.5)));
    EXPECT_EQ(left_half.undetermined_boxes[1], plane_box(interval(0.5, 1), interval(0.5, 1)));

    // Deeper: every list is ordered level by level, widest boxes first.
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    disc.SIVIAfile(plane_box(interval(-2, 2), interval(-2, 2)), 0.05);
    for (const std::vector<domain>* list : {&disc.inside_boxes, &disc.outside_boxes}) {
        for (std::size_t k = 1; k < list->size(); ++k) {
            EXPECT_GE((*list)[k - 1].width(), (*list)[k].width()) << k;
        }
    }
}

TEST(Sivia, ThresholdIsStrict) {
    sivia left_half(Map(expression("x")), target(interval(0, 0.5)));
    const domain X0 = plane_box(interval(0, 1), interval(0, 1));
    // Boxes exactly 0.5 wide are still bisected when undecided.
    EXPECT_EQ(left_half.SIVIAfile(X0, 0.5), 4);
    for (const domain& B : left_half.undetermined_boxes) {
        EXPECT_EQ(B.width(), 0.25);
    }
    EXPECT_EQ(left_half.SIVIAfile(X0, std::nextafter(0.5, 1.0)), 2);
}

TEST(Sivia, NarrowUndecidedStartIsNotBisected) {
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    const domain X0 = plane_box(interval(0.7, 0.72), interval(0.7, 0.72));
    EXPECT_EQ(disc.SIVIAfile(X0, 0.1), 1);
    ASSERT_EQ(disc.undetermined_boxes.size(), 1u);
    EXPECT_EQ(disc.undetermined_boxes[0], X0);
    EXPECT_TRUE(disc.inside_boxes.empty());
    EXPECT_TRUE(disc.outside_boxes.empty());
}

TEST(Sivia, WorkBoundAndStopRequestLeaveTheQueuedBoxesUndetermined) {
    // x in [0, 0.5] over [0, 1]^2: the first box is undecided and halves into
    // four quarters (mesh(X, 2)); with a bound of 3 boxes, the whole box and
    // two quarters are examined (both left quarters inside) and the two right
    // quarters, still queued, are undetermined though wider than eps.
    sivia left_half(Map(expression("x")), target(interval(0, 0.5)));
    left_half.box_limit = 3;
    const domain X0 = plane_box(interval(0, 1), interval(0, 1));
    EXPECT_EQ(left_half.SIVIAfile(X0, 0.01), 2);
    EXPECT_EQ(left_half.inside_boxes.size(), 2u);
    ASSERT_EQ(left_half.undetermined_boxes.size(), 2u);
    for (const domain& B : left_half.undetermined_boxes) EXPECT_EQ(B.get("x"), interval(0.5, 1));

    // A stop request before the paving leaves the whole box undetermined.
    request_stop();
    sivia stopped(Map(expression("x")), target(interval(0, 0.5)));
    const int undetermined = stopped.SIVIAfile(X0, 0.01);
    clear_stop_request();
    EXPECT_EQ(undetermined, 1);
    ASSERT_EQ(stopped.undetermined_boxes.size(), 1u);
    EXPECT_EQ(stopped.undetermined_boxes[0], X0);
}

TEST(Sivia, DeterminantWithoutZeroEndsOutside) {
    // Determinant of the studied map, above 0.9 on this box.
    sivia fold(Map(expression("((3)*((y)^(2)))-(x)+(((-(1)))*((0)-(y)))*(0.2)")),
               target(interval(0, 0)));
    EXPECT_EQ(fold.SIVIAfile(plane_box(interval(-0.2, -0.1), interval(0.5, 0.6)), 0.01), 0);
    EXPECT_TRUE(fold.inside_boxes.empty());
    EXPECT_TRUE(fold.undetermined_boxes.empty());
    EXPECT_FALSE(fold.outside_boxes.empty());
}

TEST(Sivia, SecondCallReplacesTheLists) {
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    disc.SIVIAfile(plane_box(interval(-2, 2), interval(-2, 2)), 0.1);
    const domain far = plane_box(interval(5, 6), interval(5, 6));
    EXPECT_EQ(disc.SIVIAfile(far, 0.1), 0);
    EXPECT_TRUE(disc.inside_boxes.empty());
    EXPECT_TRUE(disc.undetermined_boxes.empty());
    ASSERT_EQ(disc.outside_boxes.size(), 1u);
    EXPECT_EQ(disc.outside_boxes[0], far);
}

TEST(Sivia, RefusesThresholdsThatWouldNeverEnd) {
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    disc.SIVIAfile(plane_box(interval(-2, 2), interval(-2, 2)), 0.5);
    // An undecided point box would be bisected into itself forever.
    const domain on_circle = plane_box(interval(1), interval(0));
    for (double eps : {0.0, -1.0, std::numeric_limits<double>::quiet_NaN()}) {
        testing::internal::CaptureStderr();
        EXPECT_EQ(disc.SIVIAfile(on_circle, eps), 0) << eps;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("threshold"), std::string::npos);
        EXPECT_TRUE(disc.inside_boxes.empty());
        EXPECT_TRUE(disc.outside_boxes.empty());
        EXPECT_TRUE(disc.undetermined_boxes.empty());
    }
}

TEST(Sivia, UnboundedStartEnds) {
    // Halving an unbounded interval gives no finite parts; the paving must
    // still run out of boxes.
    sivia disc(Map(expression("x^2+y^2")), target(interval(0, 1)));
    const domain X0 = plane_box(interval::ENTIRE(), interval(0, std::numeric_limits<double>::infinity()));
    const int undetermined = disc.SIVIAfile(X0, 0.1);
    EXPECT_EQ(undetermined, static_cast<int>(disc.undetermined_boxes.size()));
    EXPECT_GT(disc.inside_boxes.size() + disc.outside_boxes.size() + disc.undetermined_boxes.size(), 0u);
}

