#include "boxes.hpp"
#include "resultat.hpp"

#include "gl_recorder.hpp"

#include <gtest/gtest.h>

#include <climits>
#include <sstream>

namespace {


domain image_box(double xl, double xu, double yl, double yu)
{
    domain b;
    b["y0"] = interval(xl, xu);
    b["y1"] = interval(yl, yu);
    return b;
}

/// The five-vertex path (xl, yl), (xl, yu), (xu, yu), (xu, yl), (xl, yl) at depth z.
std::vector<gl_triple> closed_path(double xl, double xu, double yl, double yu, double z)
{
    return {{xl, yl, z}, {xl, yu, z}, {xu, yu, z}, {xu, yl, z}, {xl, yl, z}};
}

const gl_triple white{1, 1, 1};
const gl_triple cyan{0, 1, 1};
const gl_triple red{1, 0, 0};
const gl_triple yellow{1, 1, 0};
const gl_triple orange{1, 0.5, 0};

/// A record over the 2 x 2 paving of [0, 1] x [0, 1]: cell 0 = [0, .5] x [0, .5],
/// 1 = [0, .5] x [.5, 1], 2 = [.5, 1] x [0, .5], 3 = [.5, 1] x [.5, 1].
class Drawing : public ::testing::Test {
protected:
    resultat res;

    void SetUp() override
    {
        res.source_mesh = mesh(plane_box(0, 1, 0, 1), 2);
        res.boundary_mesh = res.source_mesh.boundary();
        gl_record_clear();
    }

    /// The primitives drawn by draw, checked for begin/end pairing and a colour before each.
    template <class Draw>
    std::vector<gl_primitive> drawn(Draw draw)
    {
        gl_record_clear();
        draw();
        EXPECT_EQ(gl_misuse_count(), 0);
        for (const gl_primitive& p : gl_record()) {
            EXPECT_TRUE(p.colour_set_before) << "primitive drawn without its own colour";
            EXPECT_FALSE(p.single_precision) << "result colours are set with glColor3d";
        }
        return gl_record();
    }

    void expect_fill(const gl_primitive& p, const gl_triple& colour, const std::vector<gl_triple>& path)
    {
        EXPECT_EQ(p.mode, static_cast<GLenum>(GL_POLYGON));
        EXPECT_EQ(p.colour, colour);
        EXPECT_EQ(p.vertices, path);
    }

    void expect_outline(const gl_primitive& p, const gl_triple& colour, const std::vector<gl_triple>& path)
    {
        EXPECT_EQ(p.mode, static_cast<GLenum>(GL_LINE_LOOP));
        EXPECT_EQ(p.colour, colour);
        EXPECT_EQ(p.vertices, path);
    }
};

TEST_F(Drawing, EmptyRecordDrawsNothing)
{
    const resultat empty;
    const auto all = drawn([&] {
        empty.dessine();
        empty.dessine_bord();
        empty.dessine_courbe_singuliere();
        empty.dessine_L_cur();
        empty.dessine_cusp_v(0.1);
        empty.dessine_cusp();
        empty.dessine_singular_boundary_v(0.1);
        empty.dessine_singular_boundary();
        empty.dessine_singular_singular_v();
        empty.dessine_boundary_boundary();
        empty.dessine_boundary_boundary_v(mesh());
        empty.dessine_contre_image_du_bord();
        empty.dessine_contre_image_de_singularite();
        for (int k : {-1, 0, 1})
            empty.dessine_image(k), empty.dessine_contre_image_d_image(k), empty.dessine_cc_contre_image_d_image(k),
                empty.dessine_fr_cc_contre_image_du_bord(k);
    });
    EXPECT_TRUE(all.empty());
}

TEST_F(Drawing, FoldCellsAreWhiteFourVertexPolygonsAboveTheGrid)
{
    res.fold_indices = {3, 0};
    const auto p = drawn([&] { res.dessine(); });
    ASSERT_EQ(p.size(), 2u);
    expect_fill(p[0], white, {{0.5, 0.5, 0.01}, {1, 0.5, 0.01}, {1, 1, 0.01}, {0.5, 1, 0.01}});
    expect_fill(p[1], white, {{0, 0, 0.01}, {0.5, 0, 0.01}, {0.5, 0.5, 0.01}, {0, 0.5, 0.01}});
}

TEST_F(Drawing, SelectedImageIsDrawnCyanInTheTargetPlaneOnlyForACell)
{
    res.images = {image_box(0, 1, 2, 3), image_box(1, 2, 3, 4), image_box(2, 3, 4, 5), image_box(-1, 0, -2, -1)};
    res.image_overlaps = {{0, 1}, {1}, {2, 3}, {3}};
    const auto p = drawn([&] { res.dessine_image(3); });
    ASSERT_EQ(p.size(), 1u);
    expect_fill(p[0], cyan, closed_path(-1, 0, -2, -1, 0.01));
    // The viewer's selection may lie anywhere once the cursor leaves the studied box.
    for (int k : {-1, 4, 625, INT_MIN, INT_MAX}) {
        SCOPED_TRACE(k);
        EXPECT_TRUE(drawn([&] {
                        res.dessine_image(k);
                        res.dessine_contre_image_d_image(k);
                    }).empty());
    }
}

TEST_F(Drawing, SelectionWithoutImagesDrawsNothing)
{
    res.images = {image_box(0, 1, 2, 3)};
    EXPECT_TRUE(drawn([&] { res.dessine_image(2); }).empty());
    EXPECT_TRUE(drawn([&] { res.dessine_contre_image_d_image(2); }).empty());
}

TEST_F(Drawing, ImageOverlapsOfTheSelectedCellAreYellow)
{
    res.image_overlaps = {{0, 1}, {1}, {2, 3}, {3}};
    const auto p = drawn([&] { res.dessine_contre_image_d_image(2); });
    ASSERT_EQ(p.size(), 2u);
    expect_fill(p[0], yellow, closed_path(0.5, 1, 0, 0.5, 0.01));
    expect_fill(p[1], yellow, closed_path(0.5, 1, 0.5, 1, 0.01));
}

TEST_F(Drawing, SingularOverlapsAreOrangeBelowTheGrid)
{
    res.singular_indices = {1, 2};
    res.singular_overlaps = {{1}, {0, 2}};
    const auto p = drawn([&] { res.dessine_contre_image_de_singularite(); });
    ASSERT_EQ(p.size(), 3u);
    expect_fill(p[0], orange, closed_path(0, 0.5, 0.5, 1, -0.01));
    expect_fill(p[1], orange, closed_path(0, 0.5, 0, 0.5, -0.01));
    expect_fill(p[2], orange, closed_path(0.5, 1, 0, 0.5, -0.01));
    EXPECT_TRUE(drawn([&] {
                    res.dessine_contre_image_de_singularite(2);
                    res.dessine_contre_image_de_singularite(-1);
                }).empty());
}

TEST_F(Drawing, CuspMarkersAreInflatedRedSquaresWithAWhiteOutline)
{
    res.cusps = {plane_box(0, 0.1, 0, 0.1)};
    const auto p = drawn([&] { res.dessine_cusp_v(0.02); });
    ASSERT_EQ(p.size(), 2u);
    expect_fill(p[0], red, closed_path(-0.02, 0.1 + 0.02, -0.02, 0.1 + 0.02, 0.01));
    expect_outline(p[1], white, closed_path(-0.02, 0.1 + 0.02, -0.02, 0.1 + 0.02, 0.01));

    res.cusp_boxes = {{plane_box(0, 0.1, 0, 0.1), 3}};
    const auto q = drawn([&] { res.dessine_cusp(); });
    ASSERT_EQ(q.size(), 2u);
    expect_fill(q[0], red, closed_path(-0.005, 0.1 + 0.005, -0.005, 0.1 + 0.005, 0.01));
    expect_outline(q[1], white, closed_path(-0.005, 0.1 + 0.005, -0.005, 0.1 + 0.005, 0.01));
}

TEST_F(Drawing, FoldBoundaryPairsRunFromGreenTowardsMagenta)
{
    for (int i = 0; i < 3; i++)
        res.fold_boundary_pairs.push_back({plane_box(i, i + 0.5, 0, 0.5), plane_box(i, i + 0.5, 1, 1)});
    const auto p = drawn([&] { res.dessine_singular_boundary_v(0.1); });
    ASSERT_EQ(p.size(), 9u);
    const gl_triple colours[3] = {{0, 1, 0}, {1.0 / 3, 1 - 1.0 / 3, 1.0 / 3}, {2.0 / 3, 1 - 2.0 / 3, 2.0 / 3}};
    for (int i = 0; i < 3; i++) {
        SCOPED_TRACE(i);
        expect_fill(p[3 * i], colours[i], closed_path(i - 0.1, i + 0.6, -0.1, 0.6, 0.01));
        expect_outline(p[3 * i + 1], white, closed_path(i - 0.1, i + 0.6, -0.1, 0.6, 0.01));
        expect_outline(p[3 * i + 2], colours[i], closed_path(i - 0.1, i + 0.6, 0.9, 1.1, 0.01));
    }
}

TEST_F(Drawing, CodedFoldBoundaryPairsSkipCodeTwoAndTakeTheCodeColour)
{
    const box_pair pair{plane_box(0, 0.1, 0, 0.1), plane_box(1, 1, 0, 0.1)};
    res.fold_boundary_coded = {{pair, 2}, {pair, 4}, {pair, 5}};
    const auto p = drawn([&] { res.dessine_singular_boundary(); });
    ASSERT_EQ(p.size(), 6u);
    expect_fill(p[0], (gl_triple{0, 0, 1}), closed_path(-0.005, 0.1 + 0.005, -0.005, 0.1 + 0.005, 0.01));
    expect_outline(p[1], white, closed_path(-0.005, 0.1 + 0.005, -0.005, 0.1 + 0.005, 0.01));
    expect_outline(p[2], (gl_triple{0, 0, 1}), closed_path(1 - 0.005, 1.005, -0.005, 0.1 + 0.005, 0.01));
    expect_fill(p[3], (gl_triple{0, 1, 0}), closed_path(-0.005, 0.1 + 0.005, -0.005, 0.1 + 0.005, 0.01));
}

TEST_F(Drawing, FoldBoxesAreWhiteCrossesOfTheirDiagonals)
{
    res.fold_boxes = {plane_box(0, 1, 2, 3)};
    const auto p = drawn([&] { res.dessine_courbe_singuliere(); });
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(p[0].colour, white);
    EXPECT_EQ(p[0].vertices, (std::vector<gl_triple>{{0, 2, 0.01}, {1, 3, 0.01}, {1, 2, 0.01}, {0, 3, 0.01}}));
}

TEST_F(Drawing, LCurOutlinesOnlyTheFirstBoxAsAYellowStrip)
{
    res.L_cur_pairs = {{plane_box(0, 1, 2, 3), plane_box(5, 6, 7, 8)}};
    const auto p = drawn([&] { res.dessine_L_cur(); });
    ASSERT_EQ(p.size(), 1u);
    EXPECT_EQ(p[0].mode, static_cast<GLenum>(GL_LINE_STRIP));
    EXPECT_EQ(p[0].colour, yellow);
    EXPECT_EQ(p[0].vertices, closed_path(0, 1, 2, 3, 0.01));
}

TEST_F(Drawing, SingleCellsAndBoundarySegmentsOnlyInRange)
{
    const auto cell = drawn([&] {
        res.dessine(1);
        res.dessine(4);
        res.dessine(-1);
    });
    ASSERT_EQ(cell.size(), 1u);
    expect_fill(cell[0], white, closed_path(0, 0.5, 0.5, 1, 0.01));

    // Boundary box 2 is the lower half of the face x = 1.
    const auto segment = drawn([&] {
        res.dessine_bord(2);
        res.dessine_bord(8);
    });
    ASSERT_EQ(segment.size(), 1u);
    expect_fill(segment[0], red, closed_path(0.995, 1.005, -0.005, 0.505, 0.01));
    EXPECT_EQ(drawn([&] { res.dessine_bord(); }).size(), 8u);
}

TEST_F(Drawing, BoundaryOverlapsAreYellowPerBoundaryBox)
{
    res.boundary_overlaps = {{0}, {1}, {}, {3}, {}, {}, {}, {2}};
    const auto p = drawn([&] { res.dessine_contre_image_du_bord(7); });
    ASSERT_EQ(p.size(), 1u);
    expect_fill(p[0], yellow, closed_path(0.5, 1, 0, 0.5, 0.01));
    EXPECT_EQ(drawn([&] { res.dessine_contre_image_du_bord(); }).size(), 4u);
    EXPECT_TRUE(drawn([&] { res.dessine_contre_image_du_bord(8); }).empty());
}

TEST_F(Drawing, StoredIndicesOutsideThePavingAreSkipped)
{
    res.fold_indices = {7, -2};
    res.image_overlaps = {{0, 4}};
    res.cc_image_overlaps = {{{9}}};
    const auto p = drawn([&] {
        res.dessine();
        res.dessine_contre_image_d_image(0);
        res.dessine_cc_contre_image_d_image(0);
    });
    ASSERT_EQ(p.size(), 1u);
    expect_fill(p[0], yellow, closed_path(0, 0.5, 0, 0.5, 0.01));
}

TEST_F(Drawing, ComponentsRunFromMagentaTowardsCyanInSinglePrecision)
{
    res.cc_image_overlaps = {{{0}, {1, 2}, {3}}};
    const auto p = drawn([&] { res.dessine_cc_contre_image_d_image(0); });
    ASSERT_EQ(p.size(), 4u);
    const float third = 1.0f / 3.0f;
    const float two_thirds = 2.0f / 3.0f;
    expect_fill(p[0], (gl_triple{1, 0, 1}), closed_path(0, 0.5, 0, 0.5, 0.01));
    expect_fill(p[1], (gl_triple{1.0f - third, third, 1}), closed_path(0, 0.5, 0.5, 1, 0.01));
    expect_fill(p[2], (gl_triple{1.0f - third, third, 1}), closed_path(0.5, 1, 0, 0.5, 0.01));
    expect_fill(p[3], (gl_triple{1.0f - two_thirds, two_thirds, 1}), closed_path(0.5, 1, 0.5, 1, 0.01));
    EXPECT_TRUE(drawn([&] { res.dessine_cc_contre_image_d_image(1); }).empty());
}

TEST_F(Drawing, UnflaggedBoundaryComponentsAreWhiteCrosses)
{
    res.fr_cc_boundary_overlaps = {{{0}, {3}}};
    res.fr_cc_boundary_flags = {{false, true}};
    const auto p = drawn([&] { res.dessine_fr_cc_contre_image_du_bord(0); });
    ASSERT_EQ(p.size(), 2u);
    EXPECT_EQ(p[0].mode, static_cast<GLenum>(GL_LINES));
    EXPECT_EQ(p[0].colour, white);
    expect_fill(p[1], (gl_triple{0.5, 0.5, 1}), closed_path(0.5, 1, 0.5, 1, 0.01));

    res.fr_cc_boundary_flags.clear();
    const auto q = drawn([&] { res.dessine_fr_cc_contre_image_du_bord(0); });
    ASSERT_EQ(q.size(), 2u);
    EXPECT_EQ(q[1].mode, static_cast<GLenum>(GL_LINES));
}

TEST_F(Drawing, FoldFoldBoxesHaveTheirUpperLeftCornerPulledOut)
{
    res.fold_fold_pairs = {{plane_box(0, 1, 0, 1), plane_box(2, 3, 2, 3)}};
    const auto p = drawn([&] { res.dessine_singular_singular_v(); });
    ASSERT_EQ(p.size(), 2u);
    expect_fill(p[0], white, {{-0.05, 0, 0.01}, {0, 1.05, 0.01}, {1, 1, 0.01}, {1, 0, 0.01}, {0, 0, 0.01}});
    expect_fill(p[1], white, {{1.95, 2, 0.01}, {2, 3.05, 0.01}, {3, 3, 0.01}, {3, 2, 0.01}, {2, 2, 0.01}});
}

TEST_F(Drawing, BoundaryPairsThenOnlyCodeEightIsOutlined)
{
    const box_pair pair{plane_box(0, 0, 0, 0.5), plane_box(1, 1, 0.5, 1)};
    res.boundary_boundary_pairs = {pair};
    res.boundary_boundary_coded = {{pair, 1}, {pair, 8}};
    const auto p = drawn([&] { res.dessine_boundary_boundary(); });
    ASSERT_EQ(p.size(), 5u);
    expect_fill(p[0], red, closed_path(-0.005, 0.005, -0.005, 0.505, 0.01));
    expect_outline(p[1], white, closed_path(-0.005, 0.005, -0.005, 0.505, 0.01));
    expect_outline(p[2], yellow, closed_path(0.995, 1.005, 0.495, 1.005, 0.01));
    expect_outline(p[3], white, closed_path(-0.005, 0.005, -0.005, 0.505, 0.01));
    expect_outline(p[4], white, closed_path(0.995, 1.005, 0.495, 1.005, 0.01));
}

TEST_F(Drawing, PerimeterDiagramUnrollsTheBoundaryAroundTheBox)
{
    // Box [0, 1] x [0, 2]: x low runs 0..2, y low 2..3, x high 3..5, y high 5..6.
    const mesh m(plane_box(0, 1, 0, 2), 2);
    res.boundary_boundary_coded = {{{plane_box(0, 0, 0.5, 1), plane_box(0.25, 0.5, 2, 2)}, 5},
                                   {{plane_box(1, 1, 1, 1.5), plane_box(0.5, 0.75, 0, 0)}, 4}};
    const auto p = drawn([&] { res.dessine_boundary_boundary_v(m); });
    ASSERT_EQ(p.size(), 5u);
    EXPECT_EQ(p[0].mode, static_cast<GLenum>(GL_LINE_LOOP));
    EXPECT_EQ(p[0].colour, white);
    EXPECT_EQ(p[0].vertices, (std::vector<gl_triple>{{0, 0, 0.01}, {6, 6, 0.01}, {0, 6, 0.01}}));
    expect_fill(p[1], (gl_triple{0, 1, 0}), closed_path(0.5, 1, 5.25, 5.5, 0));
    expect_outline(p[2], white, closed_path(0.5, 1, 5.25, 5.5, 0));
    expect_fill(p[3], (gl_triple{0, 0, 1}), closed_path(4, 4.5, 2.5, 2.75, 0));
    expect_outline(p[4], white, closed_path(4, 4.5, 2.5, 2.75, 0));
}

TEST_F(Drawing, PerimeterDiagramLiftsPairsOffThePerimeter)
{
    const mesh m(plane_box(0, 1, 0, 2), 2);
    res.boundary_boundary_coded = {{{plane_box(0.2, 0.4, 0.5, 1), plane_box(0.5, 0.6, 0.5, 0.6)}, 1}};
    const auto p = drawn([&] { res.dessine_boundary_boundary_v(m); });
    ASSERT_EQ(p.size(), 3u);
    EXPECT_EQ(p[1].vertices.front()[2], 2.0);
    EXPECT_EQ(p[2].vertices.front()[2], 1.0);
}

TEST_F(Drawing, ListingPrintsEachCellWithTrueOrPerhaps)
{
    res.verdicts = {iboolean(true), iboolean(false), iboolean(), iboolean(iempty)};
    std::ostringstream listing;
    res.out(listing);
    std::ostringstream expected;
    const char* words[4] = {"true", "perhaps", "perhaps", "perhaps"};
    for (int k = 0; k < 4; k++) {
        res.source_mesh.boxes[k].out(expected);
        expected << words[k] << "\n*-------------------*\n";
    }
    EXPECT_EQ(listing.str(), expected.str());

    res.verdicts.resize(1);
    std::ostringstream shorter;
    res.out(shorter);
    EXPECT_NE(shorter.str().find("perhaps"), std::string::npos);
}

}  // namespace
