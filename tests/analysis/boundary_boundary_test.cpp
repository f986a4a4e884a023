#include "crossing_maps.hpp"
#include "pair_search.hpp"
#include "pass_sizes.hpp"

#include <gtest/gtest.h>

#include <sstream>

namespace {

/// Whether the box lies on one face of box D: exactly one point variable, at a bound of D.
bool on_a_face(const domain& b, const domain& D)
{
    int points = 0;
    for (const char* v : {"x", "y"}) {
        const interval I = b.get(v);
        if (I.isPoint()) {
            ++points;
            if (I.inf() != D.get(v).inf() && I.inf() != D.get(v).sup()) return false;
        }
    }
    return points == 1;
}

class CubeBoundary : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        p = quiet<cube_map>().release();
        p->boundary_boundary(p->box, false);
    }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
};

plisse* CubeBoundary::p = nullptr;

TEST_F(CubeBoundary, CountsEachTrueCrossingOnceAndNothingElse)
{
    const std::vector<sampled_crossing> truth = true_boundary_boundary_crossings<cube_map>();
    ASSERT_EQ(truth.size(), 6u);
    const std::vector<box_pair>& pairs = p->res.boundary_boundary_pairs;
    ASSERT_EQ(pairs.size(), truth.size());
    EXPECT_EQ(p->undecided.boundary_boundary, 0);
    for (const box_pair& pair : pairs) {
        EXPECT_TRUE(on_a_face(pair.first, p->box) && on_a_face(pair.second, p->box));
        const auto matches = std::count_if(truth.begin(), truth.end(),
                                           [&](const sampled_crossing& c) { return holds(pair, c, 1e-9); });
        EXPECT_EQ(matches, 1);
    }
}

TEST_F(CubeBoundary, EveryProvedPairIsCodedFiveAndEverySettledPairKeepsItsCode)
{
    int fives = 0;
    for (const coded_pair& entry : p->res.boundary_boundary_coded) {
        EXPECT_TRUE(entry.second >= 1 && entry.second <= 5) << entry.second;
        fives += entry.second == 5;
    }
    EXPECT_EQ(fives, static_cast<int>(p->res.boundary_boundary_pairs.size()));
}

TEST_F(CubeBoundary, ContractionKeepsEachCrossingAndNarrowsItsBoxes)
{
    const std::vector<sampled_crossing> truth = true_boundary_boundary_crossings<cube_map>();
    const std::vector<box_pair> before = p->res.boundary_boundary_pairs;
    p->improve_boundary_boundary();
    const std::vector<box_pair>& after = p->res.boundary_boundary_pairs;
    ASSERT_EQ(after.size(), before.size());
    for (std::size_t k = 0; k < after.size(); ++k) {
        EXPECT_TRUE(std::any_of(truth.begin(), truth.end(),
                                [&](const sampled_crossing& c) { return holds(after[k], c, 1e-9); }));
        EXPECT_LT(after[k].first.width(), 1e-9);
        EXPECT_TRUE(on_a_face(after[k].first, p->box) && on_a_face(after[k].second, p->box));
    }
    p->res.boundary_boundary_pairs = before;
}

TEST(BoundaryBoundarySearch, FindsTheCrossingOfTheImagesOfTwoEdgesThatMeet)
{
    // f = (x + 0.3y, y² + 0.4x) over [−1, 1]²: the right edge (1, s) and the top
    // edge (t, 1) have one image where 1 + 0.3s = t + 0.3 and s² + 0.4 = 1 + 0.4t,
    // that is s² − 0.12s − 0.88 = 0: s = 1 (the shared corner) or s = −0.88,
    // t = 0.436. The images of the other edges keep apart: exactly one crossing.
    const auto p = quiet_plisse("x+0.3*y", "y^2+0.4*x", plane_box(-1, 1, -1, 1), 25);
    p->boundary_boundary(p->box, false);
    EXPECT_EQ(p->undecided.boundary_boundary, 0);
    ASSERT_EQ(p->res.boundary_boundary_pairs.size(), 1u);
    EXPECT_TRUE(holds(p->res.boundary_boundary_pairs[0], {{1.0, -0.88}, {0.436, 1.0}}, 1e-12));
}

TEST(BoundaryBoundarySearch, SettlesThePiecesNearACornerWhereTheEdgeImagesMeet)
{
    // f = (x, y³/3 + ((x² − 0.36)² − 0.04)y): f1 = x keeps the images of the
    // sides x = −1 and x = 1.02 apart from each other, and those of the top and
    // bottom edges meet the side images only at the corners' images. Along the
    // sides f2 is strictly increasing (∂f2/∂y = y² + (x² − 0.36)² − 0.04 > 0
    // there), and along the top and bottom edges f1 = x is: no crossing at all.
    // Near each corner the images of the two edges meet at the corner's image,
    // where Newton on two small pieces near, but not at, the corner decides
    // nothing.
    const auto p = quiet_plisse("x", "y^3/3+(sqr(x^2-0.36)-0.04)*y", plane_box(-1, 1.02, -1, 1.01), 25);
    p->boundary_boundary(p->box, false);
    EXPECT_EQ(p->undecided.boundary_boundary, 0);
    EXPECT_TRUE(p->res.boundary_boundary_pairs.empty());
}

TEST(BoundaryBoundaryVerdict, EachTestGivesItsCode)
{
    const auto p = quiet<cube_map>();
    const std::vector<domain> faces = p->box.boundary();
    const domain& right = faces[1];
    const domain& bottom = faces[2];
    const domain left_low = plane_box(-0.9, -0.9, -0.8, -0.6);
    const domain bottom_left = plane_box(-0.9, -0.7, -0.8, -0.8);
    const domain right_around = plane_box(1.1, 1.1, -0.5, -0.4);
    const domain right_high = plane_box(1.1, 1.1, 1.0, 1.2);

    EXPECT_EQ(p->boundary_boundary(left_low, left_low, false), 1);
    EXPECT_EQ(p->boundary_boundary(left_low, right_high, false), 2);
    EXPECT_EQ(p->boundary_boundary(left_low, bottom_left, false), 3);
    EXPECT_EQ(p->boundary_boundary(left_low, right_around, false), 5);
    // Along the whole bottom and right faces both derivatives of f straddle 0.
    EXPECT_EQ(p->boundary_boundary(bottom, right, false), 8);
}

TEST(BoundaryBoundarySearch, VerboseSearchWritesItsPassesAndCountsEveryCodedPair)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(0, 1, 0, 1));
    testing::internal::CaptureStdout();
    p->boundary_boundary(p->box, true);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(out.rfind("\n----------------------------------------------\n"
                        "création de la liste initiale à partir du bord\n"
                        "----------------------------------------------\n0,0\n",
                        0),
              0u);
    EXPECT_NE(out.find("-------------------------------------\nPasse n° : 0, taille de la liste à traiter  : 10\n"),
              std::string::npos);
    EXPECT_NE(out.find("couple n° : 0, état : 1\n"), std::string::npos);
    EXPECT_NE(out.find("cardinal des couples encore à traiter : 0\n"), std::string::npos);
    EXPECT_EQ(out.substr(out.rfind('\n') + 1),
              "cardinal des solutions :" + std::to_string(p->res.boundary_boundary_coded.size()));
    // The images of an injective map never cross.
    EXPECT_TRUE(p->res.boundary_boundary_pairs.empty());
    EXPECT_EQ(p->undecided.boundary_boundary, 0);
}

TEST(BoundaryBoundarySearch, AConstantMapGivesUpTheOpenPairsOfThePassBeforeTheOneTooLarge)
{
    // Every boundary point of a constant map has one image and no injectivity
    // test holds: no pair is ever settled, and each pass would hold about four
    // times as many pairs as the one before.
    const auto p = quiet_plisse("1", "2", plane_box(-1, 1, -1, 1));
    pass_sizes passes;
    passes.watch(*p);
    p->boundary_boundary(p->box, false);

    const std::vector<int>& sizes = passes.of["boundary–boundary crossings"];
    EXPECT_LE(passes.largest("boundary–boundary crossings"), pass_pair_limit);
    EXPECT_LT(sizes.size(), 16u);
    EXPECT_TRUE(p->res.boundary_boundary_pairs.empty());
    const auto given_up = std::count_if(p->res.boundary_boundary_coded.begin(), p->res.boundary_boundary_coded.end(),
                                        [](const coded_pair& entry) { return entry.second == 8; });
    EXPECT_EQ(given_up, sizes.back());
    EXPECT_EQ(p->undecided.boundary_boundary, given_up);
}

}  // namespace
