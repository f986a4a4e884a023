// A run that cannot settle everything: Whitney's cusp (x, y³ + xy) over
// [−1, 1]². Its fold curve x = −3y² meets the edge x = −1 at y = ±1/√3, where
// the kernel of the Jacobian [[1, 0], [y, 3y² + x]] is (0, 1), along the edge:
// the edge's image folds back on itself there, and the searches leave pairs
// near those points undecided.

#include "process.hpp"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <cmath>

namespace {

using nlohmann::json;

class IncompleteRun : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = std::make_unique<scratch_folder>();
        run = std::make_unique<program_run>(run_program(
            folder->path(), {"--f1", "x", "--f2", "y^3+x*y", "--x", "-1,1", "--y", "-1,1", "-n", "10", "--no-window",
                             "--strict", "--json", "run.json", "--plot", "run.svg"}));
        results = json::parse(file_contents(folder->file("run.json")), nullptr, false);
    }
    static void TearDownTestSuite()
    {
        run.reset();
        folder.reset();
    }

    static inline std::unique_ptr<scratch_folder> folder;
    static inline std::unique_ptr<program_run> run;
    static inline json results;
};

TEST_F(IncompleteRun, StrictEndsWithStatusFourAfterARunThatEnded)
{
    ASSERT_TRUE(run->status.has_value()) << "the program did not end";
    EXPECT_EQ(*run->status, 4) << run->err;
    EXPECT_EQ(results["run"]["ended"], true);
    EXPECT_EQ(results["run"]["command_line"][1], "--f1");
}

TEST_F(IncompleteRun, PlotTitleSaysTheCountsAreIncomplete)
{
    const std::string svg = file_contents(folder->file("run.svg"));
    EXPECT_NE(svg.find(">f1 = x,   f2 = y^3+x*y   (incomplete: the shaded regions are undecided)</text>"),
              std::string::npos);
}

TEST_F(IncompleteRun, ResultsFileLocatesTheUndecidedCandidatesInsideTheBox)
{
    const auto inside = [](const json& I) { return I[0].get<double>() >= -1 && I[1].get<double>() <= 1; };
    int searches_undecided = 0;
    for (const auto& [search, count] : results["undecided"].items()) {
        const json& regions = results["undecided_regions"][search];
        EXPECT_EQ(count.get<int>() > 0, !regions.empty()) << search;
        searches_undecided += count.get<int>() > 0;
        for (const json& box : regions) EXPECT_TRUE(inside(box["x"]) && inside(box["y"])) << box;
    }
    EXPECT_GT(searches_undecided, 0);
}

TEST_F(IncompleteRun, DiagnosisNamesTheEdgeAndTheFoldPointsOnTheErrorStreamAndInTheResultsFile)
{
    const json& found = results["diagnosis"];
    ASSERT_EQ(found.size(), 2u) << found;
    const double y = 1 / std::sqrt(3.0);
    int at_plus = 0, at_minus = 0;
    for (const json& d : found) {
        EXPECT_EQ(d["kind"], "kernel_along_edge");
        EXPECT_EQ(d["subject"], "x = -1");
        const json& region = d["region"];
        EXPECT_EQ(region["x"], json::array({-1, -1}));
        const auto holds = [&](double v) { return region["y"][0] <= v && v <= region["y"][1]; };
        at_plus += holds(y);
        at_minus += holds(-y);
        EXPECT_NE(run->err.find("plisse: " + d["message"].get<std::string>() + "\n"), std::string::npos);
    }
    EXPECT_EQ(at_plus, 1);
    EXPECT_EQ(at_minus, 1);
}

}  // namespace
