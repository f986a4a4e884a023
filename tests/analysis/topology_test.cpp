#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

/// The cells, ascending, whose image is not disjoint from target: the overlap lists by their definition.
std::vector<int> meeting(const std::vector<domain>& images, const domain& target)
{
    std::vector<int> L;
    for (int j = 0; j < static_cast<int>(images.size()); ++j) {
        if (!images[j].disjoint(target)) L.push_back(j);
    }
    return L;
}

class BuiltInTopology : public testing::Test {
protected:
    static void SetUpTestSuite()
    {
        p = built_in_plisse().release();
        p->one_to_one();
        p->image();
        testing::internal::CaptureStdout();
        failure = p->relation4();
        printed = testing::internal::GetCapturedStdout();
        p->relation();
        p->relation2();
    }
    static void TearDownTestSuite() { delete p; }
    static plisse* p;
    static bool failure;
    static std::string printed;
};

plisse* BuiltInTopology::p = nullptr;
bool BuiltInTopology::failure = true;
std::string BuiltInTopology::printed;

TEST_F(BuiltInTopology, ImageOverlapsHoldEachCellAndAgreeWithDirectComparison)
{
    const resultat& r = p->res;
    ASSERT_EQ(r.image_overlaps.size(), r.images.size());
    ASSERT_EQ(r.meets_boundary_image.size(), r.images.size());
    for (std::size_t i = 0; i < r.images.size(); ++i) {
        const std::vector<int>& L = r.image_overlaps[i];
        EXPECT_TRUE(std::binary_search(L.begin(), L.end(), static_cast<int>(i))) << i;
        EXPECT_EQ(L, meeting(r.images, r.images[i])) << i;
        const bool meets = std::any_of(r.boundary_images.begin(), r.boundary_images.end(),
                                       [&](const domain& piece) { return !r.images[i].disjoint(piece); });
        EXPECT_EQ(r.meets_boundary_image[i], meets) << i;
    }
}

TEST_F(BuiltInTopology, BoundaryAndSingularOverlapsAgreeWithDirectComparison)
{
    const resultat& r = p->res;
    ASSERT_EQ(r.boundary_overlaps.size(), r.boundary_images.size());
    for (std::size_t k = 0; k < r.boundary_images.size(); ++k) {
        EXPECT_EQ(r.boundary_overlaps[k], meeting(r.images, r.boundary_images[k])) << k;
    }
    ASSERT_EQ(r.singular_overlaps.size(), r.singular_indices.size());
    for (std::size_t k = 0; k < r.singular_indices.size(); ++k) {
        EXPECT_EQ(r.singular_overlaps[k], meeting(r.images, r.images[r.singular_indices[k]])) << k;
    }
}

TEST_F(BuiltInTopology, FoldCellsAreSingularCellsThatTheFoldCurveCrosses)
{
    const resultat& r = p->res;
    EXPECT_FALSE(failure);
    ASSERT_FALSE(r.fold_indices.empty());
    // A subsequence of the singular cells, in their order.
    EXPECT_TRUE(std::includes(r.singular_indices.begin(), r.singular_indices.end(), r.fold_indices.begin(),
                              r.fold_indices.end()));
    for (const int k : r.fold_indices) {
        const domain& cell = r.source_mesh.boxes[k];
        double lowest = INFINITY, highest = -INFINITY;
        for (int c = 0; c < 4; ++c) {
            const domain corner = cell.corner(c);
            const double x = corner.get("x").inf(), y = corner.get("y").inf();
            const double det = 3 * y * y - x + 0.2 * y;
            lowest = std::min(lowest, det);
            highest = std::max(highest, det);
        }
        EXPECT_TRUE(lowest < 0 && highest > 0) << "cell " << k;
    }
}

TEST_F(BuiltInTopology, AnEdgePassedCloselyButNotTouchedIsCleared)
{
    // The fold curve passes 1.5e-5 above the vertex (0.2664, -0.3332): det
    // is at least 2.7e-5 on the edge below it, which set inversion proves.
    EXPECT_EQ(printed, "");
}

TEST(FoldCurveTopology, AnEdgeTheFoldCurveTouchesIsReportedFromBothCells)
{
    // f = (x, y²/2 − y/2 − (x − 0.375)²y): det = y − 1/2 − (x − 0.375)², a
    // parabola touching the edge y = 1/2, x in [0.25, 0.5], of the 4 × 4
    // paving of [0, 1]² at (0.375, 0.5) without crossing it; seen from both
    // cells of that edge, set inversion cannot clear it.
    const auto p = quiet_plisse("x", "y^2/2-y/2-(x-0.375)^2*y", plane_box(0, 1, 0, 1), 4);
    p->one_to_one();
    testing::internal::CaptureStdout();
    p->relation4();
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "mince\nmince\n");
}

TEST(FoldCurveTopology, NoSingularCellMeansNoFailureAndNoFoldCell)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(-1, 1, -1, 1));
    p->one_to_one();
    p->image();
    EXPECT_FALSE(p->relation4());
    p->relation2();
    EXPECT_TRUE(p->res.fold_indices.empty());
    EXPECT_TRUE(p->res.singular_overlaps.empty());
}

TEST(FoldCurveTopology, AFoldCurveThroughGridCornersIsAFailure)
{
    // det = x − y: the fold curve runs through the corners of the diagonal cells.
    const auto p = quiet_plisse("x+y", "x*y", plane_box(0, 1, 0, 1), 4);
    p->one_to_one();
    testing::internal::CaptureStdout();
    EXPECT_TRUE(p->relation4());
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_NE(printed.find("mince\n"), std::string::npos);
    EXPECT_TRUE(p->res.fold_indices.empty());
}

/// relation4 of (f1, f2) over box paved n × n, its "mince" lines discarded.
bool topology_failure(const std::string& f1, const std::string& f2, const domain& box, int n)
{
    const auto p = quiet_plisse(f1, f2, box, n);
    p->one_to_one();
    testing::internal::CaptureStdout();
    const bool failure = p->relation4();
    testing::internal::GetCapturedStdout();
    return failure;
}

TEST(FoldCurveTopology, CurvesInsideOneCellAreKnownOnlyWhenSubdivisionAccountsForThem)
{
    // f = (x, g) has det = ∂g/∂y. With g = x²y + y³/3 − r²y, det = x² + y² − r²:
    // the fold curve is the circle of radius r about the centre of the middle
    // cell of [−1, 1]² paved 25 × 25 (cell width 0.08), and no edge between
    // singular cells sees it. For r = 0.02 quartering the cell leaves pieces
    // on which a partial derivative of det keeps its sign: the circle is
    // proved, arc by arc. For r = 1e-9 no piece allowed is that small.
    EXPECT_FALSE(topology_failure("x", "x^2*y+y^3/3-0.0004*y", plane_box(-1, 1, -1, 1), 25));
    EXPECT_TRUE(topology_failure("x", "x^2*y+y^3/3-1e-18*y", plane_box(-1, 1, -1, 1), 25));
    // g = x²y − y³/3: det = x² − y², two fold lines crossing at the centre,
    // where ∇det = 0 on the curve itself.
    EXPECT_TRUE(topology_failure("x", "x^2*y-y^3/3", plane_box(-1, 1, -1, 1), 25));
}

TEST(FoldCurveTopology, AnEdgeCrossedTwiceIsAccountedOnlyWhenItsCrossingsAreSeparated)
{
    // g = y²/2 − ((x − 0.5)² − 0.01)y: det = y − (x − 0.5)² + 0.01, a parabola
    // crossing y = 0 at x = 0.4 and 0.6. Over [0, 1] × [−0.5, 0.5] paved 2 × 2
    // each crossing lies on an edge between a lower and an upper cell, and
    // ∂det/∂y = 1 keeps its sign: the curve is known.
    EXPECT_FALSE(topology_failure("x", "y^2/2-((x-0.5)^2-0.01)*y", plane_box(0, 1, -0.5, 0.5), 2));
    // Paved 1 × 1 the two crossings sit on one side with det < 0 at both of
    // its ends; halving the side separates them, each on a strictly monotone piece.
    EXPECT_FALSE(topology_failure("x", "y^2/2-((x-0.5)^2-0.01)*y", plane_box(0, 1, 0, 0.5), 1));
    // det = y − (x − 0.5)²: the parabola touches the side y = 0 at x = 0.5,
    // where det and its slope along the side both vanish.
    EXPECT_TRUE(topology_failure("x", "y^2/2-(x-0.5)^2*y", plane_box(0, 1, 0, 0.5), 1));
}

TEST(FoldCurveTopology, ACellTheCurveEntersAndLeavesThroughOneEdgeIsAFoldCell)
{
    // det = y − (x − 0.5)² + 0.01 over [0.32, 0.92] × [−0.5, 0.5] paved 2 × 2:
    // the parabola dips into the lower left cell (0) through its top edge,
    // crossing it at x = 0.4 and 0.6, and leaves the upper left cell (1) for
    // the upper right one (3) across x = 0.62 at y = 0.0044. The lower right
    // cell has det < 0 throughout.
    const auto p = quiet_plisse("x", "y^2/2-((x-0.5)^2-0.01)*y", plane_box(0.32, 0.92, -0.5, 0.5), 2);
    p->one_to_one();
    testing::internal::CaptureStdout();
    EXPECT_FALSE(p->relation4());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(p->res.fold_indices, (std::vector<int>{0, 1, 3}));
}

TEST(FoldCurveTopology, ACornerCellCrossedOnlyThroughTheBoxBoundaryIsAFoldCell)
{
    // f = (x, y²/2 + (x − 0.2)y): det = x + y − 0.2, the line from (0.2, 0)
    // to (0, 0.2) across the corner cell [0, 0.5]² of [0, 1]² paved 2 × 2;
    // det > 0 on the three other cells, so no edge between singular cells exists.
    const auto p = quiet_plisse("x", "y^2/2+(x-0.2)*y", plane_box(0, 1, 0, 1), 2);
    p->one_to_one();
    ASSERT_EQ(p->res.singular_indices, (std::vector<int>{0}));
    testing::internal::CaptureStdout();
    EXPECT_FALSE(p->relation4());
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(p->res.fold_indices, (std::vector<int>{0}));
}

TEST(FoldCurveTopology, EdgesCrossedOnceAreFollowedWhicheverVariableTheyFix)
{
    // The parabola of the test above and its mirror image in the diagonal:
    // f = (y, x²/2 − ((y − 0.5)² − 0.01)x) has det = −(x − (y − 0.5)² + 0.01),
    // crossing the edges x = 0 of [−0.5, 0.5] × [0, 1] at y = 0.4 and 0.6.
    // Paved 2 × 2, each of the four cells has a crossed edge with a neighbour.
    for (const bool mirrored : {false, true}) {
        const auto p = mirrored ? quiet_plisse("y", "x^2/2-((y-0.5)^2-0.01)*x", plane_box(-0.5, 0.5, 0, 1), 2)
                                : quiet_plisse("x", "y^2/2-((x-0.5)^2-0.01)*y", plane_box(0, 1, -0.5, 0.5), 2);
        p->one_to_one();
        testing::internal::CaptureStdout();
        EXPECT_FALSE(p->relation4()) << mirrored;
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(p->res.fold_indices, (std::vector<int>{0, 1, 2, 3})) << mirrored;
    }
}

TEST(CellGraph, NeighboursMeetAtEdgesOrCorners)
{
    const auto p = quiet_plisse("x+0.2*y", "x-y", plane_box(0, 1, 0, 1), 4);
    const std::vector<int> L{0, 1, 5, 15};
    EXPECT_EQ(p->graphe(L), (std::vector<std::vector<int>>{{1, 0}, {5, 0}, {5, 1}}));
    EXPECT_EQ(p->composantes_connexes(L), (components{{5, 1, 0}, {15}}));
    EXPECT_EQ(p->composantes_connexes({0, 0}), (components{{0}, {0}}));
    EXPECT_TRUE(p->composantes_connexes({}).empty());
}

TEST(BoundaryComponents, MissingEntryGivesNoComponent)
{
    const auto p = built_in_plisse();
    EXPECT_TRUE(p->fr_composantes_connexes(0).empty());
    EXPECT_TRUE(p->fr_composantes_connexes(-1).empty());
}

TEST(BoundaryComponents, ComponentAroundAnInjectiveBoundaryPieceIsEmptied)
{
    const auto p = built_in_plisse();
    // Boundary piece 0 lies in cell 0, far from the fold.
    p->res.cc_boundary_overlaps = {{{300}, {0, 1}}};
    EXPECT_EQ(p->fr_composantes_connexes(0), (components{{300}, {}}));
    // Without a component holding the piece, the first one is tested.
    p->res.cc_boundary_overlaps = {{{1}, {300}}};
    EXPECT_EQ(p->fr_composantes_connexes(0), (components{{}, {300}}));
}

}  // namespace
