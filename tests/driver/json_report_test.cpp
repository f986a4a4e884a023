#include "json_report.hpp"

#include "analysis_maps.hpp"
#include "process.hpp"
#include "results_fields.hpp"

#include <gtest/gtest.h>

#include <limits>

namespace {

using nlohmann::json;

const double inf = std::numeric_limits<double>::infinity();

/// A finished run of (x + 0.3y, y^3 + xy) over [-1, 1]^2 paved 2 x 2, its
/// results filled by hand: one cusp, one fold–fold crossing, one fold–boundary
/// crossing and one point where the fold curve meets the boundary.
analysis_run filled_run()
{
    analysis_run run{*quiet_plisse("x+0.3*y", "y^3+x*y", plane_box(-1, 1, -1, 1), 2), {}, {1, 0, 2, 3, 4, 5, 6}};
    resultat& res = run.analysis.res;
    res.cusps = {plane_box(-1e-9, 1e-9, 0.1 - 1e-9, 0.1 + 1e-9)};
    res.fold_fold_pairs = {{plane_box(0, 0.1, 0, 0.1), plane_box(0.5, 0.6, 0.5, 0.6)}};
    res.fold_boundary_pairs = {{plane_box(-0.5, -0.4, 0.3, 0.4), plane_box(1, 1, 0.2, 0.3)},
                               {plane_box(-1, -1, 0.6, 0.7), plane_box(-1, -1, 0.6, 0.7)}};
    res.singular_indices = {0, 1};
    res.fold_indices = {1};
    run.analysis.undecided = {1, 2, 3, 4};
    res.cusp_undecided = {plane_box(0.5, 1, -1, -0.5)};
    run.analysis.times = {0.5, 1.5, 0.25, 1.25, 0.75};
    run.analysis.fold_curve_known = true;
    return run;
}

const analysis_input filled_input{"x+0.3*y", "y^3+x*y", plane_box(-1, 1, -1, 1), 2};
/// A run stopped at its time limit.
const run_record filled_record{{"plisse", "--f1", "x+0.3*y", "--time-limit", "1"}, false, true, false};

TEST(ResultsFile, IntervalsAreNumberPairsWithInfiniteBoundsAsStringsAndEmptyAsNull)
{
    EXPECT_EQ(interval_json(interval(-0.2, 0.33)), json::parse("[-0.2, 0.33]"));
    EXPECT_EQ(interval_json(interval(1.5)), json::parse("[1.5, 1.5]"));
    EXPECT_EQ(interval_json(interval(-inf, 2)), json::parse(R"(["-inf", 2])"));
    EXPECT_EQ(interval_json(interval::ENTIRE()), json::parse(R"(["-inf", "+inf"])"));
    EXPECT_EQ(interval_json(interval::EMPTY()), json(nullptr));
    // Bounds survive the text exactly.
    const double third = 1.0 / 3.0;
    EXPECT_EQ(json::parse(interval_json(interval(0.1, third)).dump())[1].get<double>(), third);
    EXPECT_EQ(box_json(plane_box(0, 1, -2, -1)), json::parse(R"({"x": [0, 1], "y": [-2, -1]})"));
}

TEST(ResultsFile, HoldsTheInputsCountsAndEveryProvedBox)
{
    const analysis_run run = filled_run();
    const json r = results_json(filled_input, run, filled_record);

    EXPECT_EQ(r["inputs"], json::parse(R"({"f1": "x+0.3*y", "f2": "y^3+x*y", "x": [-1, 1], "y": [-1, 1],
                                           "resolution": 2})"));
    EXPECT_EQ(r["counts"], json::parse(R"({"cusps": 1, "cusps_exact": false, "fold_fold_crossings": 1,
                                           "boundary_boundary_crossings": 0, "fold_boundary_intersections": 2,
                                           "fold_fold_complete": false, "boundary_boundary_complete": false,
                                           "fold_boundary_complete": false})"));
    EXPECT_EQ(r["version"], PLISSE_VERSION);
    EXPECT_EQ(r["run"], (json{{"command_line", {"plisse", "--f1", "x+0.3*y", "--time-limit", "1"}},
                              {"version", PLISSE_VERSION},
                              {"ended", false},
                              {"time_limit_reached", true},
                              {"interrupted", false}}));
    EXPECT_EQ(r["fold_curve_known"], true);
    EXPECT_EQ(r["cusps"], json::array({box_json(run.analysis.res.cusps[0])}));
    EXPECT_EQ(r["fold_fold_crossings"][0]["second"], box_json(plane_box(0.5, 0.6, 0.5, 0.6)));
    EXPECT_EQ(r["boundary_boundary_crossings"], json::array());
    EXPECT_EQ(r["undecided"], json::parse(R"({"cusps": 1, "fold_fold": 2, "boundary_boundary": 3,
                                              "fold_boundary": 4})"));
    EXPECT_EQ(r["undecided_regions"], json::parse(R"({"cusps": [{"x": [0.5, 1], "y": [-1, -0.5]}], "fold_fold": [],
                                                     "boundary_boundary": [], "fold_boundary": []})"));
    EXPECT_EQ(r["times"]["image"], 3);
    EXPECT_EQ(r["times"]["total"], 21);
    EXPECT_EQ(r["times"]["cusps"], 0.5);
    EXPECT_EQ(r["times"]["fold_fold"], 1.5);
    EXPECT_EQ(r["times"]["boundary_boundary"], 0.25);
    EXPECT_EQ(r["times"]["fold_boundary"], 1.25);
    EXPECT_EQ(r["times"]["topology"], 0.75);
}

TEST(ResultsFile, TellsFoldBoundaryCrossingsFromPointsWhereTheFoldMeetsTheBoundary)
{
    const json r = results_json(filled_input, filled_run(), filled_record);
    const json& fb = r["fold_boundary"];
    ASSERT_EQ(fb["crossings"].size(), 1u);
    EXPECT_EQ(fb["crossings"][0]["fold"], box_json(plane_box(-0.5, -0.4, 0.3, 0.4)));
    EXPECT_EQ(fb["crossings"][0]["boundary"], box_json(plane_box(1, 1, 0.2, 0.3)));
    EXPECT_EQ(fb["points"], json::array({box_json(plane_box(-1, -1, 0.6, 0.7))}));
}

/// Whether the box (y0, y1) of json holds the point (a, b).
bool image_holds(const json& box, double a, double b)
{
    return box["y0"][0] <= a && a <= box["y0"][1] && box["y1"][0] <= b && b <= box["y1"][1];
}

TEST(ResultsFile, GivesEveryFeatureABoxHoldingItsImagePoint)
{
    analysis_run run = filled_run();
    // f = (x + 0.3y, y³ + xy). A = [0, 0.2] × {0} maps to [0, 0.2] × {0};
    // B = {0.1} × [0, 0.5] to [0.1, 0.25] × [0, 0.175]: the common image lies
    // in [0.1, 0.2] × {0}, and (0.15, 0) is the image of (0.15, 0) in A and of (0.1, 1/6) in B.
    run.analysis.res.boundary_boundary_pairs = {{plane_box(0, 0.2, 0, 0), plane_box(0.1, 0.1, 0, 0.5)}};
    const json r = results_json(filled_input, run, filled_record);
    const json& image = r["boundary_boundary_crossings"][0]["image"];
    EXPECT_TRUE(image_holds(image, 0.15, 0)) << image;
    EXPECT_LT(image["y0"][0].get<double>(), 0.1 + 1e-12);
    EXPECT_GT(image["y0"][0].get<double>(), 0.1 - 1e-12);
    EXPECT_LT(image["y0"][1].get<double>(), 0.2 + 1e-12);
    EXPECT_LT(image["y1"][1].get<double>(), 1e-12);
    // The cusp near (0, 0.1) maps near (0.03, 0.001); the point (-1, 0.65) on the
    // left edge to (-1 + 0.195, 0.65³ - 0.65) = (-0.805, -0.375375).
    ASSERT_EQ(r["cusp_images"].size(), 1u);
    EXPECT_TRUE(image_holds(r["cusp_images"][0], 0.03, 0.001)) << r["cusp_images"];
    ASSERT_EQ(r["fold_boundary"]["point_images"].size(), 1u);
    EXPECT_TRUE(image_holds(r["fold_boundary"]["point_images"][0], -0.805, -0.375375));
    EXPECT_TRUE(r["fold_boundary"]["crossings"][0].contains("image"));
}

TEST(ResultsFile, GivesEachCellItsIndexAndItsBox)
{
    const json r = results_json(filled_input, filled_run(), filled_record);
    // Cell 1 of a 2 x 2 paving of [-1, 1]^2: the lower x half, the upper y half.
    EXPECT_EQ(r["fold_cells"], json::parse(R"([{"index": 1, "box": {"x": [-1, 0], "y": [0, 1]}}])"));
    ASSERT_EQ(r["singular_cells"].size(), 2u);
    EXPECT_EQ(r["singular_cells"][0]["box"], box_json(plane_box(-1, 0, -1, 0)));
}

TEST(ResultsFile, MatchesItsDocumentationAndTheCheckCatchesDepartures)
{
    const std::map<std::string, std::string> fields = documented_fields(PLISSE_README);
    ASSERT_GT(fields.size(), 40u);
    json r = results_json(filled_input, filled_run(), filled_record);
    const std::vector<std::string> problems = field_problems(r, fields);
    EXPECT_TRUE(problems.empty()) << testing::PrintToString(problems);

    json extra = r;
    extra["counts"]["spare"] = 0;
    json missing = r;
    missing["undecided"].erase("cusps");
    json mistyped = r;
    mistyped["cusps"][0]["x"] = json::array({1, "2"});
    json reversed = r;
    reversed["inputs"]["x"] = json::array({1, -1});
    for (const json& bad : {extra, missing, mistyped, reversed}) EXPECT_EQ(field_problems(bad, fields).size(), 1u);
}

TEST(ResultsFile, IsWrittenIndentedAndReadsBackMakingMissingFolders)
{
    scratch_folder folder;
    const json r = results_json(filled_input, filled_run(), filled_record);
    const std::string file = folder.file("new/results.json");
    ASSERT_TRUE(write_results(r, file));
    const std::string text = file_contents(file);
    EXPECT_EQ(json::parse(text), r);
    EXPECT_EQ(text.rfind("{\n  \"", 0), 0u);
    EXPECT_EQ(text.back(), '\n');

    std::ofstream(folder.file("plain")) << "a file";
    EXPECT_FALSE(write_results(r, folder.file("plain/results.json")));
}

}  // namespace
