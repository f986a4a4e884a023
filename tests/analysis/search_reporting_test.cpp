// How the searches report as they go: progress at each pass, diagnostic
// lines on request, and the topology verdict kept with the results.

#include "pipeline.hpp"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

/// (x + 0.3y, y^3 + xy) over [-0.9, 1.1] x [-1, 1], paved 4 x 4: one cusp, at (0, 0.1).
analysis_input pleat()
{
    return {"x+0.3*y", "y^3+x*y", domain{{"x", interval(-0.9, 1.1)}, {"y", interval(-1, 1)}}, 4};
}

/// The run of input with reporting, and its report.
std::pair<analysis_run, std::string> quiet_run(const analysis_input& input, const search_reporting& reporting)
{
    testing::internal::CaptureStdout();
    analysis_run run = run_analysis(input, reporting);
    return {std::move(run), testing::internal::GetCapturedStdout()};
}

TEST(SearchReporting, EverySearchReportsItsPassesInOrder)
{
    std::vector<std::tuple<std::string, int, int>> passes;
    search_reporting reporting;
    reporting.progress = [&passes](const char* search, int pass, int candidates) {
        passes.emplace_back(search, pass, candidates);
    };
    const auto [run, report] = quiet_run(pleat(), reporting);

    std::vector<std::string> searches;
    std::map<std::string, int> next_pass;
    for (const auto& [search, pass, candidates] : passes) {
        if (next_pass.count(search) == 0) searches.push_back(search);
        EXPECT_EQ(pass, next_pass[search]++) << search;
        EXPECT_GE(candidates, 0) << search;
    }
    EXPECT_EQ(searches, (std::vector<std::string>{"cusps", "fold–fold crossings", "boundary–boundary crossings",
                                                  "fold–boundary crossings"}));
    // The cusp search starts from the studied box alone.
    ASSERT_GE(passes.size(), 1u);
    EXPECT_EQ(passes[0], std::make_tuple(std::string("cusps"), 0, 1));
    EXPECT_EQ(run.analysis.res.cusps.size(), 1u);
}

TEST(SearchReporting, AnUnsettledBoxGivesTheNextPassItsFourQuarters)
{
    // f = (x, y^3 - (x^2 - 0.25) y): the kernel of the Jacobian is the y
    // direction, and the fold det = 3y^2 - x^2 + 0.25 = 0 has a vertical tangent
    // where 6y = 0, at (-0.5, 0) and (0.5, 0): no box holding both cusps can be
    // settled, so the studied box is bisected.
    const analysis_input two_cusps{"x", "y^3-(x^2-0.25)*y", domain{{"x", interval(-1, 1)}, {"y", interval(-1, 1)}},
                                   4};
    std::vector<std::tuple<std::string, int, int>> passes;
    search_reporting reporting;
    reporting.progress = [&passes](const char* search, int pass, int candidates) {
        passes.emplace_back(search, pass, candidates);
    };
    quiet_run(two_cusps, reporting);
    ASSERT_GE(passes.size(), 2u);
    EXPECT_EQ(passes[0], std::make_tuple(std::string("cusps"), 0, 1));
    EXPECT_EQ(passes[1], std::make_tuple(std::string("cusps"), 1, 4));
}

TEST(SearchReporting, VerboseLetsTheCrossingSearchesWriteWhatTheyDo)
{
    const auto [quiet, quiet_report] = quiet_run(pleat(), {});
    search_reporting verbose;
    verbose.verbose = true;
    const auto [loud, loud_report] = quiet_run(pleat(), verbose);
    EXPECT_EQ(quiet_report.find("Passe n° : 0"), std::string::npos);
    EXPECT_NE(loud_report.find("_____________ passe :0 __________taille :"), std::string::npos);
    EXPECT_NE(loud_report.find("création de la liste initiale à partir du bord"), std::string::npos);
    EXPECT_NE(loud_report.find("création de la liste initiale à partir de tout l'espace et du bord "),
              std::string::npos);
    // The searches find the same whether they talk or not.
    EXPECT_EQ(loud.analysis.res.fold_boundary_pairs.size(), quiet.analysis.res.fold_boundary_pairs.size());
    EXPECT_EQ(loud.analysis.res.fold_fold_pairs.size(), quiet.analysis.res.fold_fold_pairs.size());
}

TEST(SearchReporting, TheTopologyVerdictIsKeptAsTheReportGivesIt)
{
    for (const int n : {4, 10}) {
        analysis_input input = pleat();
        input.resolution = n;
        const auto [run, report] = quiet_run(input, {});
        const bool known = report.find("\n The singular curve is known. \n") != std::string::npos;
        EXPECT_NE(known, report.find("\n Failure  \n") != std::string::npos) << n;
        EXPECT_EQ(run.analysis.fold_curve_known, known) << n;
    }
}

}  // namespace
