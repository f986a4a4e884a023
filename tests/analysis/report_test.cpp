#include "crossing_maps.hpp"
#include "pipeline.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

std::string read_file(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> lines_of(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

/// The lines that differ, "-" for the expected text and "+" for the actual one.
std::string line_diff(const std::string& expected, const std::string& actual)
{
    const std::vector<std::string> e = lines_of(expected), a = lines_of(actual);
    std::ostringstream diff;
    for (std::size_t k = 0; k < std::max(e.size(), a.size()); ++k) {
        const std::string* before = k < e.size() ? &e[k] : nullptr;
        const std::string* after = k < a.size() ? &a[k] : nullptr;
        if (before && after && *before == *after) continue;
        diff << "line " << k + 1 << ":\n";
        if (before) diff << "- " << *before << "\n";
        if (after) diff << "+ " << *after << "\n";
    }
    return diff.str();
}

class BuiltInRun : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        testing::internal::CaptureStdout();
        run = new analysis_run(run_analysis(built_in_input()));
        report = testing::internal::GetCapturedStdout();
    }
    static void TearDownTestSuite() { delete run; }
    static analysis_run* run;
    static std::string report;
};

analysis_run* BuiltInRun::run = nullptr;
std::string BuiltInRun::report;

TEST_F(BuiltInRun, ReportIsTheGoldenReport)
{
    const std::string golden = read_file(std::string(PLISSE_TEST_DATA) + "/built_in_report.txt");
    ASSERT_FALSE(golden.empty());
    EXPECT_TRUE(report == golden) << line_diff(golden, report);
}

TEST_F(BuiltInRun, CountsAreTheTrueCounts)
{
    const resultat& r = run->analysis.res;
    ASSERT_EQ(r.cusps.size(), 1u);
    EXPECT_TRUE(near(r.cusps[0], {0.0, -1.0 / 15}, 1e-9));
    EXPECT_EQ(r.fold_fold_pairs.size(), true_fold_fold_crossings<built_in_map>().size());
    EXPECT_EQ(r.boundary_boundary_pairs.size(), true_boundary_boundary_crossings<built_in_map>().size());
    EXPECT_TRUE(r.fold_fold_pairs.empty());
    EXPECT_TRUE(r.boundary_boundary_pairs.empty());
}

TEST_F(BuiltInRun, FoldBoundaryPointsAreTheCrossingAndTheTwoEdgePoints)
{
    const std::vector<box_pair>& pairs = run->analysis.res.fold_boundary_pairs;
    ASSERT_EQ(pairs.size(), 3u);
    const std::vector<sampled_crossing> crossings = true_fold_boundary_crossings<built_in_map>();
    ASSERT_EQ(crossings.size(), 1u);
    const std::vector<xy_point> edge_points = true_fold_edge_points<built_in_map>();
    ASSERT_EQ(edge_points.size(), 2u);
    const double tolerance = 1e-9;
    const auto crossing_at = std::find_if(pairs.begin(), pairs.end(), [&](const box_pair& pair) {
        return near(pair.first, crossings[0].p, tolerance) && near(pair.second, crossings[0].q, tolerance);
    });
    ASSERT_NE(crossing_at, pairs.end());
    EXPECT_NEAR(run->analysis.evalue(crossing_at->first).get("y0").mid(), 0.2085, 1e-3);
    EXPECT_NEAR(run->analysis.evalue(crossing_at->first).get("y1").mid(), -0.0257, 1e-3);
    for (const xy_point q : edge_points) {
        EXPECT_EQ(std::count_if(pairs.begin(), pairs.end(),
                                [&](const box_pair& pair) { return pair.first == pair.second && near(pair.first, q, tolerance); }),
                  1);
    }
    EXPECT_NEAR(edge_points[0].y, -0.3667, 1e-4);
    EXPECT_NEAR(edge_points[1].y, 0.3, 1e-9);
}

TEST_F(BuiltInRun, EveryStepIsTimed)
{
    const step_times& t = run->times;
    const double steps[] = {t.construction, t.diagnosis, t.one_to_one, t.image, t.critical_points, t.relation, t.relation2};
    double sum = 0.0;
    for (const double seconds : steps) {
        EXPECT_GE(seconds, 0.0);
        sum += seconds;
    }
    EXPECT_DOUBLE_EQ(t.total(), sum);
    EXPECT_EQ(run->analysis.res.image_overlaps.size(), 625u);
    EXPECT_EQ(run->analysis.res.boundary_overlaps.size(), 100u);
}

TEST_F(BuiltInRun, RemovingCriticalPointsDropsOnlyCellsHoldingACusp)
{
    plisse& p = run->analysis;
    const std::vector<int> before = p.res.fold_indices;
    const auto holds_cusp = [&](int k) { return p.res.cusps[0].subset(p.res.source_mesh.boxes[k]); };
    ASSERT_EQ(std::count_if(before.begin(), before.end(), holds_cusp), 1);
    p.remove_critical_points();
    std::vector<int> expected;
    std::copy_if(before.begin(), before.end(), std::back_inserter(expected), [&](int k) { return !holds_cusp(k); });
    EXPECT_EQ(p.res.fold_indices, expected);
    p.res.fold_indices = before;
}

TEST(CriticalPoints, MapWithoutFoldsReportsZerosAndAKnownCurve)
{
    // det = exp(x) > 0 and the cusp condition (0, −exp(x)) never vanishes.
    const auto p = quiet_plisse("exp(x)", "y+0.5*x", plane_box(-1, 1, -1, 1));
    p->one_to_one();
    p->image();
    testing::internal::CaptureStdout();
    p->critical_points(p->box);
    EXPECT_EQ(testing::internal::GetCapturedStdout(),
              "Beginning of the procedure which find the critical points\n"
              "     The number of cusp points is exactly : 0\n"
              "     The number of transversal intersection of fold curves in the target is exactly : 0\n"
              "     The number of transversal intersection of boundary curves in the target is exactly : 0\n"
              "     The number of intersection fold curves with boundary is exactly : 0\n"
              "End of the procedure which find the critical points\n"
              "Beginning of the procedure that check the topology of the singular curve\n"
              " The singular curve is known. \n"
              "End the procedure that check the topology of the singular curve\n");
}

TEST(CriticalPoints, RemovingWithoutCuspsKeepsEveryFoldCell)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(-1, 1, -1, 1));
    p->res.fold_indices = {3, 1, 2};
    p->remove_critical_points();
    EXPECT_EQ(p->res.fold_indices, (std::vector<int>{3, 1, 2}));
}

TEST(FoldBoxes, SetInversionEnclosesTheFoldCurveAtTheGivenWidth)
{
    const auto p = quiet<built_in_map>();
    p->courbe_singuliere(0.05);
    const std::vector<domain>& boxes = p->res.fold_boxes;
    ASSERT_FALSE(boxes.empty());
    for (const domain& b : boxes) EXPECT_LT(b.width(), 0.05);
    const std::vector<sampled_curve> fold = fold_pieces<built_in_map>(2000);
    ASSERT_EQ(fold.size(), 1u);
    for (const xy_point q : fold.front().source) {
        EXPECT_TRUE(std::any_of(boxes.begin(), boxes.end(), [&](const domain& b) { return near(b, q, 1e-12); }));
    }
    p->courbe_singuliere(0.0);
    EXPECT_EQ(p->res.fold_boxes, boxes);

    const auto linear = quiet_plisse("x+0.2*y", "x-y", plane_box(-1, 1, -1, 1));
    linear->courbe_singuliere(0.05);
    EXPECT_TRUE(linear->res.fold_boxes.empty());
}

}  // namespace
