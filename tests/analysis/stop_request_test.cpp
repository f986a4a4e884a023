// A stopped analysis claims nothing it did not prove: with the stop requested
// from the start, every search leaves its candidates undecided.

#include "analysis_maps.hpp"
#include "stop_request.hpp"

#include <gtest/gtest.h>

namespace {

TEST(StopRequest, AnAnalysisStoppedFromTheStartProvesNothingAndCountsItsCandidatesUndecided)
{
    std::unique_ptr<plisse> p = built_in_plisse();
    // The singular cells, which the topology check follows, as a run marks them first.
    p->one_to_one();
    ASSERT_FALSE(p->res.singular_indices.empty());
    request_stop();
    testing::internal::CaptureStdout();
    p->critical_points(built_in_box());
    const std::string report = testing::internal::GetCapturedStdout();
    clear_stop_request();

    EXPECT_TRUE(p->res.cusps.empty());
    EXPECT_TRUE(p->res.fold_fold_pairs.empty());
    EXPECT_TRUE(p->res.boundary_boundary_pairs.empty());
    EXPECT_TRUE(p->res.fold_boundary_pairs.empty());
    EXPECT_FALSE(p->fold_curve_known);
    // The cusp search keeps its first box; the fold cover is the whole box,
    // so the fold–fold search has the one pair (box, box) and the
    // fold–boundary search the box with each piece of the faces, cut about
    // as long as the fold boxes are wide (0.1 here): the sides 1.31 long in
    // ⌈13.1⌉ = 14 pieces, those 0.53 long in 6, 2·14 + 2·6 = 40; the 4 faces
    // make 4·5/2 = 10 boundary pairs.
    EXPECT_EQ(p->undecided.cusps, 1);
    EXPECT_EQ(p->undecided.fold_fold, 1);
    EXPECT_EQ(p->undecided.boundary_boundary, 10);
    EXPECT_EQ(p->undecided.fold_boundary, 40);
    EXPECT_NE(report.find("was not able to determine"), std::string::npos) << report;
    EXPECT_NE(report.find(" Failure  "), std::string::npos) << report;
}

TEST(StopRequest, ADeadlineInThePastStopsAndALongOneDoesNot)
{
    set_stop_deadline(1e-9);
    while (!stop_requested()) {
    }
    EXPECT_TRUE(stop_seen());
    clear_stop_request();
    set_stop_deadline(3600);
    EXPECT_FALSE(stop_requested());
    // No number and no positive number are no deadline at all.
    for (const double none : {0.0, -1.0, std::nan(""), 1e300}) {
        set_stop_deadline(none);
        EXPECT_FALSE(stop_requested()) << none;
    }
    clear_stop_request();
}

}  // namespace
