#include "crossing_maps.hpp"
#include "pair_search.hpp"
#include "pass_sizes.hpp"

#include <gtest/gtest.h>

namespace {

/// The recorded entries of a fold–boundary search, split by kind.
struct fold_boundary_entries {
    std::vector<box_pair> crossings;  // (fold box, face box), disjoint
    std::vector<domain> edge_points;  // (B, B): B on a face
};

fold_boundary_entries split(const std::vector<box_pair>& pairs)
{
    fold_boundary_entries e;
    for (const box_pair& pair : pairs) {
        if (pair.first == pair.second) {
            e.edge_points.push_back(pair.first);
        } else {
            e.crossings.push_back(pair);
        }
    }
    return e;
}

/// b widened by e on both sides of each variable that is not a point.
domain widened(const domain& b, double e)
{
    domain w = b;
    for (auto& entry : w) {
        if (!entry.second.isPoint()) entry.second = interval(entry.second.inf() - e, entry.second.sup() + e);
    }
    return w;
}

/// Checks that every entry holds exactly one true point and every true point is held by exactly one entry.
void expect_one_to_one_match(const plisse& p, const std::vector<sampled_crossing>& true_crossings,
                             const std::vector<xy_point>& true_edge_points, double tolerance)
{
    const fold_boundary_entries e = split(p.res.fold_boundary_pairs);
    ASSERT_EQ(e.crossings.size(), true_crossings.size());
    ASSERT_EQ(e.edge_points.size(), true_edge_points.size());
    const auto holds = [tolerance](const box_pair& pair, const sampled_crossing& c) {
        return near(pair.first, c.p, tolerance) && near(pair.second, c.q, tolerance);
    };
    for (const box_pair& pair : e.crossings) {
        EXPECT_TRUE(pair.first.disjoint(pair.second));
        EXPECT_EQ(std::count_if(true_crossings.begin(), true_crossings.end(),
                                [&](const sampled_crossing& c) { return holds(pair, c); }),
                  1);
    }
    for (const sampled_crossing& c : true_crossings) {
        EXPECT_EQ(std::count_if(e.crossings.begin(), e.crossings.end(),
                                [&](const box_pair& pair) { return holds(pair, c); }),
                  1);
    }
    for (const domain& B : e.edge_points) {
        // On a face: a point in its fixed variable, and a point altogether
        // where the enclosure of the fold point has shrunk to one double.
        EXPECT_LE(B.topological_dimension(), 1);
        EXPECT_TRUE(B.get("x").isPoint() || B.get("y").isPoint());
        EXPECT_EQ(std::count_if(true_edge_points.begin(), true_edge_points.end(),
                                [&](xy_point q) { return near(B, q, tolerance); }),
                  1);
    }
    for (const xy_point q : true_edge_points) {
        EXPECT_EQ(std::count_if(e.edge_points.begin(), e.edge_points.end(),
                                [&](const domain& B) { return near(B, q, tolerance); }),
                  1);
    }
}

class SwallowtailFoldBoundary : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        p = quiet<swallowtail_map>().release();
        still_open = p->singular_boundary(p->box, false);
    }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
    static int still_open;
};

plisse* SwallowtailFoldBoundary::p = nullptr;
int SwallowtailFoldBoundary::still_open = 0;

TEST_F(SwallowtailFoldBoundary, CountsEachCrossingAndEachFoldPointOfTheBoundaryOnce)
{
    const std::vector<sampled_crossing> crossings = true_fold_boundary_crossings<swallowtail_map>();
    const std::vector<xy_point> edge_points = true_fold_edge_points<swallowtail_map>();
    EXPECT_EQ(crossings.size(), 6u);
    EXPECT_EQ(edge_points.size(), 6u);
    expect_one_to_one_match(*p, crossings, edge_points, 1e-9);
}

TEST_F(SwallowtailFoldBoundary, EveryPairIsSettled)
{
    for (const coded_pair& entry : p->res.fold_boundary_coded) {
        const int c = entry.second;
        EXPECT_TRUE(c == 2 || c == 5 || c == 7) << c;
    }
    EXPECT_EQ(still_open, 0);
    EXPECT_EQ(p->undecided.fold_boundary, 0);
}

TEST(FoldBoundarySearch, PairsLeftAtThePassLimitAreCodedEightAndCounted)
{
    // f = (x, y²) folds along y = 0, which meets the side x = −1 where the
    // kernel of Df is the side's own direction: f is not one-to-one along the
    // side there, and no pair around that point is ever settled.
    const auto p = quiet_plisse("x", "y^2", plane_box(-1, 1, -1, 1));
    const int still_open = p->singular_boundary(p->box, false);
    int abandoned = 0;
    for (const coded_pair& entry : p->res.fold_boundary_coded) abandoned += entry.second == 8;
    EXPECT_GT(still_open, 0);
    EXPECT_GT(abandoned, 0);
    EXPECT_EQ(abandoned, p->undecided.fold_boundary);
}

TEST_F(SwallowtailFoldBoundary, ContractionKeepsEachPointAndNarrowsItsBox)
{
    // The search records narrow boxes; widened by 1e-4 across their free
    // variables, the contraction must narrow them again around the same points.
    const std::vector<box_pair> recorded = p->res.fold_boundary_pairs;
    std::vector<box_pair> before;
    for (const box_pair& pair : recorded) before.emplace_back(widened(pair.first, 1e-4), widened(pair.second, 1e-4));
    p->res.fold_boundary_pairs = before;
    p->improve_singular_boundary();
    expect_one_to_one_match(*p, true_fold_boundary_crossings<swallowtail_map>(),
                            true_fold_edge_points<swallowtail_map>(), 1e-9);
    for (std::size_t k = 0; k < before.size(); ++k) {
        EXPECT_LT(p->res.fold_boundary_pairs[k].first.width(), before[k].first.width());
    }
    p->res.fold_boundary_pairs = recorded;
}

TEST(FoldBoundaryDuplicates, PointsOnFacesSharedByTwoPairsAreCountedOnce)
{
    const auto p = quiet<grid_fold_map>();
    p->singular_boundary(p->box, false);
    int fives = 0, sevens = 0;
    for (const coded_pair& entry : p->res.fold_boundary_coded) {
        fives += entry.second == 5;
        sevens += entry.second == 7;
    }
    // Each point is proved in the two pairs whose boxes share it.
    EXPECT_EQ(fives, 4);
    EXPECT_EQ(sevens, 4);
    expect_one_to_one_match(*p, true_fold_boundary_crossings<grid_fold_map>(), true_fold_edge_points<grid_fold_map>(),
                            1e-12);
    EXPECT_EQ(p->undecided.fold_boundary, 0);
}

TEST(FoldBoundaryVerdict, EachTestGivesItsCode)
{
    const auto p = quiet<built_in_map>();
    const domain right_face = plane_box(0.33, 0.33, -0.7, 0.61);
    const domain off_the_fold = plane_box(0.0, 0.05, 0.4, 0.45);
    const domain fold_far_left = plane_box(-0.01, 0.01, -0.04, -0.02);
    const domain around_crossing = plane_box(0.16, 0.18, 0.2, 0.21);
    const domain face_around_crossing = plane_box(0.33, 0.33, -0.65, -0.55);
    const domain around_edge_point = plane_box(0.31, 0.33, 0.29, 0.31);
    const domain face_around_edge_point = plane_box(0.33, 0.33, 0.25, 0.35);
    const domain touching_without_fold_point = plane_box(0.30, 0.33, 0.27, 0.29);
    const domain face_without_fold_point = plane_box(0.33, 0.33, 0.27, 0.29);

    EXPECT_EQ(p->singular_boundary(off_the_fold, right_face, false), 2);
    EXPECT_EQ(p->singular_boundary(fold_far_left, face_around_edge_point, false), 2);
    EXPECT_EQ(p->singular_boundary(around_crossing, face_around_crossing, false), 5);
    EXPECT_EQ(p->singular_boundary(around_edge_point, face_around_edge_point, false), 7);
    // The fold x = 3y² + 0.2y leaves the face x = 0.33 alone for y in
    // [0.27, 0.29] (it meets it at y = 0.3) and has x ≤ 0.3103 there; a fold
    // point p and a face point q with f1(p) = f1(q) have
    // 0.2·(q_y − p_y) = p_x − 0.33 ≤ −0.02, so q_y ≤ 0.19: nothing there.
    EXPECT_EQ(p->singular_boundary(touching_without_fold_point, face_without_fold_point, false), 2);
}

TEST(FoldBoundaryVerdict, AFoldBoxBesideAFoldPointOnTheEdgeHoldsNoCrossing)
{
    // f = (x, y²/2 − (x − 0.5)y) has det = y − x + 0.5: the fold y = x − 0.5
    // meets the bottom edge y = −0.5 at (0, −0.5). The fold point (t, t − 0.5)
    // goes to (t, −(t − 0.5)²/2) and the edge point (s, −0.5) to (s, s/2 − 0.125):
    // one image needs s = t and t² = 0, so the two images touch only at the
    // image of the fold point on the edge, tangentially. The fold box below,
    // with t in [0.03, 0.07], lies apart from the face piece: no crossing.
    const auto p = quiet_plisse("x", "y^2/2-(x-0.5)*y", plane_box(-0.5, 0.5, -0.5, 0.5));
    const domain beside_edge_point = plane_box(0.03, 0.07, -0.48, -0.42);
    const domain face_around_edge_point = plane_box(-0.1, 0.1, -0.5, -0.5);
    EXPECT_EQ(p->singular_boundary(beside_edge_point, face_around_edge_point, false), 2);
}

TEST(FoldBoundaryVerdict, AFoldPointOnTheFaceDoesNotSettleAPairThatAlsoHoldsACrossing)
{
    // f = (x, y³ + xy) folds along x = −3y². On the edge y = −h (h = 0.03) the
    // fold image (−3s², −2s³) meets the edge image (t, −h³ − t·h) where
    // (s + h)²(2s − h) = 0: at the fold point (−3h², −h) on the edge, and at
    // the crossing of the fold point (−3h²/4, h/2) with the edge point
    // (−3h²/4, −h). The fold box below holds both.
    const auto p = quiet_plisse("x", "y^3+x*y", plane_box(-0.06, 0.03, -0.03, 0.05));
    const domain fold_box = plane_box(-0.003, 0.0, -0.03, 0.02);
    const domain edge = plane_box(-0.003, 0.0, -0.03, -0.03);
    EXPECT_EQ(p->singular_boundary(fold_box, edge, false), 8);
}

TEST(FoldBoundarySearch, CountsTheCrossingsBesideTheFoldPointsOnTheEdges)
{
    // The map above over [−0.06, 0.03] × [−0.03, 0.05]: on the bottom edge
    // (h = 0.03) the fold point (−3h², −h) and the crossing of (−3h²/4, h/2)
    // with (−3h²/4, −h); on the top edge y = k = 0.05, likewise (−3k², k) and
    // (−3k²/4, −k/2) with (−3k²/4, k).
    const auto p = quiet_plisse("x", "y^3+x*y", plane_box(-0.06, 0.03, -0.03, 0.05), 25);
    p->singular_boundary(p->box, false);
    p->improve_singular_boundary();
    const double h = 0.03, k = 0.05;
    const std::vector<sampled_crossing> crossings{{{-0.75 * h * h, h / 2}, {-0.75 * h * h, -h}},
                                                  {{-0.75 * k * k, -k / 2}, {-0.75 * k * k, k}}};
    const std::vector<xy_point> points{{-3 * h * h, -h}, {-3 * k * k, k}};
    ASSERT_EQ(p->res.fold_boundary_pairs.size(), 4u);
    for (const box_pair& pair : p->res.fold_boundary_pairs) {
        const bool is_point = !pair.first.disjoint(pair.second);
        const bool held = is_point ? std::any_of(points.begin(), points.end(),
                                                 [&](xy_point q) { return near(pair.first, q, 1e-12); })
                                   : std::any_of(crossings.begin(), crossings.end(),
                                                 [&](const sampled_crossing& c) { return holds(pair, c, 1e-12); });
        EXPECT_TRUE(held);
    }
}

TEST(FoldBoundaryEdgeTest, ProvesASingleFoldPointOnTheFacePieceInsideTheFoldBox)
{
    const auto p = quiet<built_in_map>();
    const domain face_piece = plane_box(0.33, 0.33, 0.25, 0.35);
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p->one_to_one_singular_boundary(plane_box(0.31, 0.33, 0.29, 0.31), face_piece, true));
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("--------------------------------------------------\n"
                        "- one to one singular ----------------------------\n"
                        "--------------------------------------------------\n",
                        0),
              0u);
    EXPECT_EQ(out.substr(out.size() - 14), "trop cool 1 !\n");
    // The fold point (0.33, 0.3) is not in a fold box that stops below it, and
    // the whole face holds two fold points.
    EXPECT_FALSE(p->one_to_one_singular_boundary(plane_box(0.31, 0.33, 0.26, 0.29), face_piece, false));
    EXPECT_FALSE(p->one_to_one_singular_boundary(plane_box(0.31, 0.33, 0.29, 0.31), plane_box(0.33, 0.33, -0.7, 0.61),
                                                 false));
}

TEST(FoldBoundarySearch, InvertibleLinearMapHasNoFoldBoxToPair)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(-1, 1, -1, 1));
    testing::internal::CaptureStdout();
    const int still_open = p->singular_boundary(p->box, true);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out,
              "\n----------------------------------------------------------------------\n"
              "création de la liste initiale à partir de tout l'espace et du bord \n"
              "-------------------------------------------------------------------\n"
              "-------------------------------------\n"
              "Passe n° : 0, taille de la liste à traiter  : 0\n"
              "Fin de la passe 0, cardinal des couples encore à traiter : 0\n"
              "cardinal des solutions :0\n");
    EXPECT_EQ(still_open, 0);
    EXPECT_TRUE(p->res.fold_boundary_coded.empty());
    EXPECT_TRUE(p->res.fold_boundary_pairs.empty());
}

TEST(FoldBoundarySearch, AMapWithoutAProvableFoldGivesUpTheOpenPairsBeforeAPassGrowsTooLarge)
{
    // det of (xy, xy) is 0, but its enclosure over a box never shows it, and
    // no injectivity test holds: each open pair would become 8 pairs.
    const auto p = quiet_plisse("x*y", "x*y", plane_box(-1, 1, -1, 1));
    pass_sizes passes;
    passes.watch(*p);
    const int still_open = p->singular_boundary(p->box, false);

    const std::vector<int>& sizes = passes.of["fold–boundary crossings"];
    EXPECT_LE(passes.largest("fold–boundary crossings"), pass_pair_limit);
    EXPECT_LT(sizes.size(), 11u);
    EXPECT_TRUE(p->res.fold_boundary_pairs.empty());
    const auto given_up = std::count_if(p->res.fold_boundary_coded.begin(), p->res.fold_boundary_coded.end(),
                                        [](const coded_pair& entry) { return entry.second == 8; });
    EXPECT_GT(still_open, 0);
    EXPECT_EQ(given_up, still_open);
    EXPECT_EQ(p->undecided.fold_boundary, given_up);
}

}  // namespace
