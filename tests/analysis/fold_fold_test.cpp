#include "crossing_maps.hpp"
#include "pair_search.hpp"
#include "pass_sizes.hpp"

#include <gtest/gtest.h>

#include <cmath>
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
    // The search records narrow boxes; widened by 1e-4, the contraction must
    // narrow them again around the same crossing.
    const sampled_crossing truth = true_fold_fold_crossings<swallowtail_map>().front();
    const box_pair recorded = p->res.fold_fold_pairs.front();
    const box_pair before{recorded.first.inflate(1e-4), recorded.second.inflate(1e-4)};
    p->res.fold_fold_pairs.front() = before;
    p->improve_singular_singular();
    const box_pair& after = p->res.fold_fold_pairs.front();
    EXPECT_TRUE(holds(after, truth, 1e-9));
    EXPECT_TRUE(after.first.subset(before.first) && after.second.subset(before.second));
    EXPECT_LT(after.first.width(), before.first.width());
    EXPECT_LT(after.second.width(), before.second.width());
    p->res.fold_fold_pairs.front() = recorded;
}

TEST(FoldFoldVerdict, EachTestGivesItsCode)
{
    const auto p = quiet<swallowtail_map>();
    const domain on_middle_arc = plane_box(-0.02, 0.02, -0.01, 0.01);
    // The arc x = 1.75y − 4y³ leaves on_middle_arc through its side x = 0.02
    // at y ≈ 0.0114; this box meets it only at the corner (0.02, 0.01), off
    // the arc, so the images of the fold points of the two boxes are apart.
    const domain beyond_corner = plane_box(0.02, 0.06, 0.01, 0.03);
    // Overlaps on_middle_arc where the arc passes (0.0175, 0.01).
    const domain next_on_middle_arc = plane_box(0.0, 0.04, 0.0, 0.02);
    const domain around_p = plane_box(0.165, 0.19, -0.72, -0.69);
    const domain around_q = plane_box(-0.185, -0.17, 0.70, 0.715);
    // Regular points mapped next to the crossing: (0.158, −0.6325) goes to (−0.072, −0.24).
    const domain off_the_fold = plane_box(0.153, 0.163, -0.6375, -0.6275);

    EXPECT_EQ(p->singular_singular(on_middle_arc, on_middle_arc), 1);
    EXPECT_EQ(p->singular_singular(on_middle_arc, around_p), 2);
    EXPECT_EQ(p->singular_singular(on_middle_arc, beyond_corner), 2);
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
    const std::vector<candidate_box> folds =
        simple_fold_boxes(*p, fold_cover(*p, p->box, fold_cover_width(p->box)));
    int expected = 0;
    for (std::size_t i = 0; i < folds.size(); ++i)
        for (std::size_t j = 0; j <= i; ++j) expected += !images_apart(folds[i].image, folds[j].image);
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

TEST(FoldImage, HoldsTheImagesOfTheFoldPointsAndIsNarrowerNearACusp)
{
    // The swallowtail: f = A·(s, c) with A = [[1, 0.3], [−0.3, 1]], s = x + 0.25y,
    // c = y⁴ − 0.75y² + xy, so det = 1.09·(x + 4y³ − 1.75y): the fold is
    // x = 1.75y − 4y³. Df is A times the rows (1, 0.25) and (y, x + 4y³ − 1.5y),
    // whose kernel on the fold is (−0.25, 1); the fold's tangent (1.75 − 12y², 1)
    // is parallel to it where y² = 1/6: cusps at y = ±0.408, where f stops moving
    // along the fold.
    const auto p = quiet<swallowtail_map>();
    for (const double y_c : {-0.6, -0.4082, -0.3, 0.0, 0.25, 0.4082, 0.5}) {
        SCOPED_TRACE(y_c);
        const double x_c = swallowtail_map::fold(y_c).x;
        const domain b = plane_box(x_c - 0.01, x_c + 0.01, y_c - 0.01, y_c + 0.01);
        const domain along = p->fold_image(b);
        for (int i = 0; i <= 20; ++i) {
            const double y = y_c - 0.01 + 0.001 * i;
            const double x = swallowtail_map::fold(y).x;
            if (!b.get("x").contains(x)) continue;
            // The fold point lies within 1e-9 of the computed x on the line of y.
            const domain image = p->evalue(plane_box(x - 1e-9, x + 1e-9, y, y));
            EXPECT_FALSE(image.get("y0").disjoint(along.get("y0")));
            EXPECT_FALSE(image.get("y1").disjoint(along.get("y1")));
        }
        if (std::abs(y_c) == 0.4082) {
            const domain whole = p->evalue(b);
            EXPECT_LT(along.get("y0").width() + along.get("y1").width(),
                      0.25 * (whole.get("y0").width() + whole.get("y1").width()));
        }
    }
    // A box without fold points keeps the image of the whole box.
    const domain regular = plane_box(0.3, 0.35, 0.0, 0.05);
    EXPECT_EQ(p->fold_image(regular), p->evalue(regular));
}
