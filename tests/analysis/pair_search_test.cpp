#include "analysis_maps.hpp"
#include "pair_search.hpp"

#include <gtest/gtest.h>

namespace {

TEST(PairBox, NamesTheTwoPointsAndSwapsThem)
{
    const domain A = plane_box(0, 1, 2, 3), B = plane_box(4, 5, 6, 7);
    const domain X = pair_box(A, B);
    EXPECT_EQ(X, (domain{{"x1", interval(0, 1)}, {"x2", interval(2, 3)}, {"x3", interval(4, 5)}, {"x4", interval(6, 7)}}));
    EXPECT_EQ(split_pair_box(X), std::make_pair(A, B));
    EXPECT_EQ(swap_points(X), pair_box(B, A));
    // A box restricted to a face keeps its frozen variables apart.
    EXPECT_EQ(swap_points(domain{{"x1", interval(1)}, {"x4", interval(2)}}),
              (domain{{"x3", interval(1)}, {"x2", interval(2)}}));
}

class Refinement : public testing::Test {
protected:
    static void SetUpTestSuite() { p = quiet_plisse("x+0.2*y", "y^3-x*y", built_in_box()).release(); }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
};

plisse* Refinement::p = nullptr;

TEST_F(Refinement, DistinctBoxesGiveEveryPairOfHalvesFirstBoxOuter)
{
    pair_pass pass;
    pass.add(*p, plane_box(0, 1, 0, 1));
    pass.add(*p, plane_box(2, 3, 0, 1));
    pass.pairs = {{0, 1}};
    const pair_pass next = refine(*p, pass, {0}).value();
    ASSERT_EQ(next.size(), 16);
    const mesh first(plane_box(0, 1, 0, 1), 2), second(plane_box(2, 3, 0, 1), 2);
    for (int a = 0; a < 4; ++a) {
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(next.first(4 * a + b), first.boxes[a]);
            EXPECT_EQ(next.second(4 * a + b), second.boxes[b]);
        }
    }
    EXPECT_EQ(next.boxes[0].image, p->evalue(first.boxes[0]));
}

TEST_F(Refinement, ABoxWithItselfGivesEachPairOfItsHalvesOnce)
{
    pair_pass pass;
    pass.add(*p, plane_box(0, 1, 0, 1));
    pass.add(*p, plane_box(0, 0, 0, 1));
    pass.pairs = {{0, 0}, {1, 1}};
    const pair_pass next = refine(*p, pass, {0, 1}).value();
    ASSERT_EQ(next.size(), 10 + 3);
    const mesh quarters(plane_box(0, 1, 0, 1), 2);
    int k = 0;
    for (int a = 0; a < 4; ++a) {
        for (int b = a; b < 4; ++b, ++k) {
            EXPECT_EQ(next.first(k), quarters.boxes[a]);
            EXPECT_EQ(next.second(k), quarters.boxes[b]);
        }
    }
    EXPECT_EQ(next.first(10), plane_box(0, 0, 0, 0.5));
    EXPECT_EQ(next.second(11), plane_box(0, 0, 0.5, 1));
    EXPECT_EQ(next.first(12), plane_box(0, 0, 0.5, 1));
}

TEST_F(Refinement, ABoxInSeveralOpenPairsIsHalvedOnce)
{
    pair_pass pass;
    for (double x : {0.0, 2.0, 4.0}) pass.add(*p, plane_box(x, x + 1, 0, 1));
    pass.pairs = {{0, 1}, {2, 0}, {1, 2}};
    const pair_pass next = refine(*p, pass, {0, 1}).value();
    EXPECT_EQ(next.size(), 32);
    EXPECT_EQ(next.boxes.size(), 12u);
    EXPECT_EQ(next.first(16), plane_box(4, 4.5, 0, 0.5));
    EXPECT_EQ(next.second(16), plane_box(0, 0.5, 0, 0.5));
}

TEST_F(Refinement, ANextPassBeyondTheLimitIsNotFormed)
{
    pair_pass pass;
    for (double x : {0.0, 2.0}) pass.add(*p, plane_box(x, x + 1, 0, 1));
    pass.pairs = {{0, 1}, {1, 1}};
    // 16 pairs of halves of distinct boxes, then 10 of a box with itself.
    EXPECT_EQ(refine(*p, pass, {0, 1}, 26).value().size(), 26);
    EXPECT_FALSE(refine(*p, pass, {0, 1}, 25));
    EXPECT_FALSE(refine(*p, pass, {0}, 15));
}

TEST_F(Refinement, GivingUpRecordsTheNextPassOrElseTheOpenPairsWithCodeEight)
{
    pair_pass pass;
    for (double x : {0.0, 2.0, 4.0}) pass.add(*p, plane_box(x, x + 1, 0, 1));
    pass.pairs = {{0, 1}, {2, 0}, {1, 2}};
    const std::vector<int> open{0, 2};

    std::vector<coded_pair> coded{{{pass.first(1), pass.second(1)}, 2}};
    EXPECT_EQ(give_up(pass, open, std::nullopt, coded), 2);
    const std::vector<coded_pair> open_pairs{{{pass.first(1), pass.second(1)}, 2},
                                             {{pass.first(0), pass.second(0)}, 8},
                                             {{pass.first(2), pass.second(2)}, 8}};
    EXPECT_EQ(coded, open_pairs);

    const std::optional<pair_pass> next = refine(*p, pass, open);
    coded.clear();
    EXPECT_EQ(give_up(pass, open, next, coded), 32);
    ASSERT_EQ(coded.size(), 32u);
    for (int k = 0; k < next->size(); ++k) {
        EXPECT_EQ(coded[k], (coded_pair{{next->first(k), next->second(k)}, 8})) << k;
    }
}

TEST_F(Refinement, DroppingApartImagesLeavesOutExactlyThosePairsInOrder)
{
    // Two cells across the fold x = 3y^2 + 0.2y of the built-in map, and a
    // third far from both: many pairs of halves have images apart, some not.
    pair_pass pass;
    pass.add(*p, plane_box(-0.02, 0.02, -0.06, -0.02));
    pass.add(*p, plane_box(0.0, 0.04, -0.04, 0.0));
    pass.add(*p, plane_box(0.2, 0.3, 0.5, 0.6));
    pass.pairs = {{0, 1}, {1, 1}, {2, 0}};
    const pair_pass all = refine(*p, pass, {0, 1, 2}).value();
    const pair_pass kept = refine(*p, pass, {0, 1, 2}, pass_pair_limit, true).value();
    std::vector<std::pair<domain, domain>> expected, found;
    for (int k = 0; k < all.size(); ++k) {
        const candidate_box& A = all.boxes[all.pairs[k].first];
        const candidate_box& B = all.boxes[all.pairs[k].second];
        if (!images_apart(A.image, B.image)) expected.emplace_back(A.box, B.box);
    }
    for (int k = 0; k < kept.size(); ++k) found.emplace_back(kept.first(k), kept.second(k));
    EXPECT_EQ(found, expected);
    EXPECT_LT(kept.size(), all.size());
    EXPECT_FALSE(kept.pairs.empty());
}

TEST(ImagesApart, OnlyBoundedNonEmptyImagesAreProvedApart)
{
    const domain a{{"y0", interval(0, 1)}, {"y1", interval(0, 1)}};
    const domain b{{"y0", interval(2, 3)}, {"y1", interval(0, 1)}};
    const domain empty{{"y0", interval::EMPTY()}, {"y1", interval(0, 1)}};
    const domain unbounded{{"y0", interval(2, 3)}, {"y1", interval(5, INFINITY)}};
    EXPECT_TRUE(images_apart(a, b));
    EXPECT_FALSE(images_apart(a, a));
    EXPECT_FALSE(images_apart(a, empty));
    EXPECT_FALSE(images_apart(unbounded, a));
}

}  // namespace

TEST(ApartAcross, SeparatesImagesSideBySideAndNeverACommonImage)
{
    // f = (x − y², x + y²) folds along y = 0 onto the diagonal f1 = f2; the
    // edge y = 0.1 goes to the parallel line f2 − f1 = 2·0.1² = 0.02. Along
    // the diagonal the image boxes of the two overlap, but across it the fold
    // image has f2 − f1 = 0 and the edge image 0.02.
    const auto p = quiet_plisse("x-y^2", "x+y^2", plane_box(-1, 1, -1, 0.1));
    candidate_box fold = candidate(*p, plane_box(0, 0.1, -0.01, 0.01), points_of::fold);
    candidate_box edge = candidate(*p, plane_box(0, 0.1, 0.1, 0.1));
    ASSERT_TRUE(fold.arc.has_value());
    EXPECT_FALSE(images_apart(fold.image, edge.image));
    EXPECT_TRUE(apart_across(*p, fold, edge));
    EXPECT_TRUE(apart_across(*p, edge, fold));
    // The segment x = 0.05 across the fold holds the fold point (0.05, 0):
    // one image in both, which no projection may separate.
    candidate_box across_fold = candidate(*p, plane_box(0.05, 0.05, -0.05, 0.05));
    EXPECT_FALSE(apart_across(*p, fold, across_fold));
    EXPECT_FALSE(apart_across(*p, across_fold, fold));
}
