#include "crossing_maps.hpp"
#include "pair_search.hpp"
#include "pass_sizes.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

class SwallowtailFoldFold : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        p = quiet<swallowtail_map>().release();
        p->singular_singular(p->box, false);
    }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
};

plisse* SwallowtailFoldFold::p = nullptr;

TEST_F(SwallowtailFoldFold, CountsEachTrueCrossingOnceAndNothingElse)
{
    const std::vector<sampled_crossing> truth = true_fold_fold_crossings<swallowtail_map>();
    ASSERT_EQ(truth.size(), 1u);
    const std::vector<box_pair>& pairs = p->res.fold_fold_pairs;
    ASSERT_EQ(pairs.size(), truth.size());
    EXPECT_EQ(p->undecided.fold_fold, 0);
    for (const box_pair& pair : pairs) {
        EXPECT_TRUE(pair.first.disjoint(pair.second));
        const auto matches = std::count_if(truth.begin(), truth.end(),
                                           [&](const sampled_crossing& c) { return holds(pair, c, 1e-9); });
        EXPECT_EQ(matches, 1);
    }
}

TEST_F(SwallowtailFoldFold, ImprovementKeepsTheCrossingAndNarrowsItsBoxes)
{
    const sampled_crossing truth = true_fold_fold_crossings<swallowtail_map>().front();
    const box_pair before = p->res.fold_fold_pairs.front();
    p->improve_singular_singular();
    const box_pair& after = p->res.fold_fold_pairs.front();
    EXPECT_TRUE(holds(after, truth, 1e-9));
    EXPECT_LT(after.first.width(), before.first.width());
    EXPECT_LT(after.second.width(), before.second.width());
    p->res.fold_fold_pairs.front() = before;
}

TEST(FoldFoldVerdict, EachTestGivesItsCode)
{
    const auto p = quiet<swallowtail_map>();
    const domain on_middle_arc = plane_box(-0.02, 0.02, -0.01, 0.01);
    const domain next_on_middle_arc = plane_box(0.02, 0.06, 0.01, 0.03);
    const domain around_p = plane_box(0.165, 0.19, -0.72, -0.69);
    const domain around_q = plane_box(-0.185, -0.17, 0.70, 0.715);
    // Regular points mapped next to the crossing: (0.158, −0.6325) goes to (−0.072, −0.24).
    const domain off_the_fold = plane_box(0.153, 0.163, -0.6375, -0.6275);

    EXPECT_EQ(p->singular_singular(on_middle_arc, on_middle_arc), 1);
    EXPECT_EQ(p->singular_singular(on_middle_arc, around_p), 2);
    EXPECT_EQ(p->singular_singular(on_middle_arc, next_on_middle_arc), 3);
    EXPECT_EQ(p->singular_singular(around_p, off_the_fold), 4);
    EXPECT_EQ(p->singular_singular(around_p, around_q), 5);
}

TEST(FoldFoldSearch, InvertibleLinearMapFormsNoPair)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(-1, 1, -1, 1));
    testing::internal::CaptureStdout();
    p->singular_singular(p->box, true);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "_____________ passe :0 __________taille :0______________________\n"
              "Fin de la passe 0, cardinal des couples encore à traiter : 0\n"
              "cardinal des solutions :0");
    EXPECT_TRUE(p->res.fold_fold_pairs.empty());
    EXPECT_EQ(p->undecided.fold_fold, 0);
}

TEST(FoldFoldSearch, MapFoldedEverywhereIsLeftUndecidedNotCountedAsZero)
{
    // A constant map: det is 0 on the whole box, which is all fold.
    const auto p = quiet_plisse("1", "2", plane_box(-1, 1, -1, 1));
    p->singular_singular(p->box, false);
    EXPECT_TRUE(p->res.fold_fold_pairs.empty());
    EXPECT_GT(p->undecided.fold_fold, 0);
}

TEST(FoldFoldSearch, VerboseSearchWritesABlockForEachUndecidedPair)
{
    const auto p = quiet<swallowtail_map>();
    testing::internal::CaptureStdout();
    p->singular_singular(p->box, true);
    const std::string out = testing::internal::GetCapturedStdout();
    std::istringstream lines(out);
    std::string line;
    int headers = 0, blocks = 0, ends = 0;
    while (std::getline(lines, line)) {
        headers += line.rfind("_____________ passe :", 0) == 0;
        blocks += line.rfind("couple :", 0) == 0;
        ends += line.rfind("Fin de la passe ", 0) == 0;
    }
    EXPECT_GT(blocks, 0);
    EXPECT_EQ(headers, ends);
    EXPECT_NE(out.find(" resultat : "), std::string::npos);
    EXPECT_NE(out.find("pavé i :\nx["), std::string::npos);
    EXPECT_EQ(out.substr(out.rfind('\n') + 1), "cardinal des solutions :1");
}

TEST(FoldFoldSearch, AMapWithoutAProvableFoldDropsItsPairsBeforeAPassGrowsTooLarge)
{
    // det of (xy, xy) is 0, but its enclosure over a box never shows it: every
    // box may hold fold points, no pair is settled, and each undecided pair of
    // boxes would become 16 pairs of their quarters.
    const auto p = quiet_plisse("x*y", "x*y", built_in_box());
    pass_sizes passes;
    passes.watch(*p);
    p->singular_singular(p->box, false);

    const std::vector<int>& sizes = passes.of["fold–fold crossings"];
    ASSERT_FALSE(sizes.empty());
    EXPECT_LE(passes.largest("fold–fold crossings"), pass_pair_limit);
    EXPECT_LT(sizes.size(), 11u);
    EXPECT_TRUE(p->res.fold_fold_pairs.empty());
    EXPECT_GT(p->undecided.fold_fold, 0);
    EXPECT_LE(p->undecided.fold_fold, sizes.back());
}

}  // namespace

TEST(FoldFoldFirstPass, HoldsExactlyThePairsWhoseImagesAreNotProvedApart)
{
    // The oracle: every pair (i, j), j <= i, of the fold boxes that seed the
    // search, kept unless images_apart settles it; counted by brute force.
    const auto p = quiet<swallowtail_map>();
    const std::vector<domain> folds = fold_cover(*p, p->box, fold_cover_width(p->box));
    int expected = 0;
    for (std::size_t i = 0; i < folds.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j) expected += !images_apart(p->evalue(folds[i]), p->evalue(folds[j]));
    pass_sizes passes;
    passes.watch(*p);
    p->singular_singular(p->box, false);
    const std::vector<int>& sizes = passes.of["fold–fold crossings"];
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.front(), expected);
    // The search is not left with the quadratic first pass: most pairs are apart.
    EXPECT_LT(2 * expected, static_cast<int>(folds.size() * (folds.size() + 1) / 2));
    EXPECT_EQ(p->res.fold_fold_pairs.size(), 1u);
}
