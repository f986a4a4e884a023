#include "grille.hpp"

#include "gl_recorder.hpp"

#include <gtest/gtest.h>

namespace {

::testing::AssertionResult at(const vector_nD<double>& p, double x, double y)
{
    if (p.size() == 2 && std::abs(p[0] - x) < 1e-12 && std::abs(p[1] - y) < 1e-12)
        return ::testing::AssertionSuccess();
    auto failure = ::testing::AssertionFailure() << "point of size " << p.size();
    if (p.size() == 2)
        failure << " at (" << p[0] << ", " << p[1] << ")";
    return failure << ", expected (" << x << ", " << y << ")";
}

TEST(VectorND, NormIsEuclideanAndZeroWhenEmpty)
{
    EXPECT_DOUBLE_EQ(vector_nD<double>({3.0, 4.0}).norme(), 5.0);
    EXPECT_EQ(vector_nD<double>().norme(), 0.0);
}

TEST(Couleur, RunsFromRedThroughYellowAndGreyToBlue)
{
    const double scale[][4] = {
        {0.0, 1.0, 0.0, 0.0}, {0.25, 1.0, 0.5, 0.0}, {0.5, 1.0, 1.0, 0.0}, {0.75, 0.5, 0.5, 0.5}, {1.0, 0.0, 0.0, 1.0}};
    for (const auto& row : scale) {
        SCOPED_TRACE(row[0]);
        EXPECT_DOUBLE_EQ(couleur(1, row[0]), row[1]);
        EXPECT_DOUBLE_EQ(couleur(2, row[0]), row[2]);
        EXPECT_DOUBLE_EQ(couleur(3, row[0]), row[3]);
    }
    EXPECT_DOUBLE_EQ(couleur(2, 0.49), 0.98);
    // One half belongs to the upper branch: green is -2t + 2 there, not 2t.
    EXPECT_DOUBLE_EQ(couleur(2, 0.5), 1.0);
    EXPECT_DOUBLE_EQ(couleur(3, 0.5), 0.0);
}

TEST(Grille, LatticeRunsUpEachColumnThenAcross)
{
    const grille g(0, 0, 1, 1, 2);
    ASSERT_EQ(g.n, 2);
    ASSERT_EQ(g.points.size(), 9u);
    ASSERT_EQ(g.values.size(), 9u);
    const double expected[9][2] = {{0, 0}, {0, 0.5}, {0, 1}, {0.5, 0}, {0.5, 0.5}, {0.5, 1}, {1, 0}, {1, 0.5}, {1, 1}};
    for (int k = 0; k < 9; k++)
        EXPECT_TRUE(at(g.points[k], expected[k][0], expected[k][1])) << "k = " << k;
    EXPECT_EQ(g.values[0], 0.0);
    EXPECT_DOUBLE_EQ(g.values[4], 0.5);
    EXPECT_DOUBLE_EQ(g.values[8], 1.0);
    EXPECT_DOUBLE_EQ(g.values[2], std::sqrt(0.5));
}

TEST(Grille, LatticeOfARectangleTakesLowerXLowerYUpperXUpperY)
{
    const grille g(-0.2, -0.7, 0.33, 0.61, 25);
    ASSERT_EQ(g.points.size(), 676u);
    EXPECT_TRUE(at(g.points[0], -0.2, -0.7));
    EXPECT_TRUE(at(g.points[25], -0.2, 0.61));
    EXPECT_TRUE(at(g.points[26], -0.2 + 0.53 / 25, -0.7));
    EXPECT_NEAR(g.points[675][0], 0.33, 1e-15);
    EXPECT_NEAR(g.points[675][1], 0.61, 1e-15);
}

TEST(Grille, ImageLatticeOfTheIdentityIsTheLattice)
{
    const grille source(-0.2, -0.7, 0.33, 0.61, 5);
    const grille image(expression("x"), expression("y"), -0.2, -0.7, 0.33, 0.61, 5);
    ASSERT_EQ(image.n, 5);
    ASSERT_EQ(image.points.size(), source.points.size());
    for (std::size_t k = 0; k < source.points.size(); k++)
        EXPECT_TRUE(at(image.points[k], source.points[k][0], source.points[k][1])) << "k = " << k;
    EXPECT_EQ(image.values, source.values);
}

TEST(Grille, ImageLatticeKeepsTheSourceColoursAndMapsThePoints)
{
    const grille image(expression("x+y"), expression("x*y"), 0, 0, 1, 1, 2);
    const grille source(0, 0, 1, 1, 2);
    EXPECT_EQ(image.values, source.values);
    EXPECT_TRUE(at(image.points[5], 1.5, 0.5));  // (0.5, 1)
    EXPECT_TRUE(at(image.points[8], 2.0, 1.0));  // (1, 1)
}

TEST(Grille, BoxPointsStopOneStepShortOfTheUpperBounds)
{
    domain box;
    box["x"] = interval(0, 1);
    box["y"] = interval(0, 1);
    const grille g(box, 2.5);
    ASSERT_EQ(g.points.size(), 9u);
    const double steps[3] = {0, 0.4, 0.8};
    for (int i = 0; i < 3; i++)
        for (int j = 0; j < 3; j++)
            EXPECT_TRUE(at(g.points[i * 3 + j], steps[i], steps[j]));
    EXPECT_TRUE(g.values.empty());
}

TEST(Grille, ClEmptiesThePointsAndKeepsValuesAndCount)
{
    grille g(0, 0, 1, 1, 2);
    g.cl();
    EXPECT_TRUE(g.points.empty());
    EXPECT_EQ(g.values.size(), 9u);
    EXPECT_EQ(g.n, 2);
    gl_record_clear();
    g.dessine();
    EXPECT_TRUE(gl_record().empty());
}

TEST(Grille, DrawsColumnSegmentsThenRowSegmentsColouredByTheirFirstEnd)
{
    const grille g(0, 0, 1, 1, 2);
    gl_record_clear();
    g.dessine();
    const std::vector<gl_primitive>& drawn = gl_record();
    EXPECT_EQ(gl_misuse_count(), 0);
    ASSERT_EQ(drawn.size(), 12u);
    // (from point, to point) in drawing order: columns up, then rows across.
    const int segments[12][2] = {{0, 1}, {1, 2}, {3, 4}, {4, 5}, {6, 7}, {7, 8},
                                 {0, 3}, {1, 4}, {2, 5}, {3, 6}, {4, 7}, {5, 8}};
    for (int s = 0; s < 12; s++) {
        SCOPED_TRACE(s);
        const gl_primitive& p = drawn[s];
        EXPECT_EQ(p.mode, static_cast<GLenum>(GL_LINE_STRIP));
        EXPECT_TRUE(p.colour_set_before);
        EXPECT_TRUE(p.single_precision);
        ASSERT_EQ(p.vertices.size(), 2u);
        for (int e = 0; e < 2; e++) {
            const vector_nD<double>& q = g.points[segments[s][e]];
            EXPECT_EQ(p.vertices[e], (gl_triple{q[0], q[1], 0}));
        }
        const double t = 1 - g.values[segments[s][0]];
        EXPECT_EQ(p.colour, (gl_triple{static_cast<float>(couleur(1, t)), static_cast<float>(couleur(2, t)),
                                       static_cast<float>(couleur(3, t))}));
    }
    // The corner (0, 0) is blue, the far corner's last segment starts near red.
    EXPECT_EQ(drawn[0].colour, (gl_triple{0, 0, 1}));
}

TEST(Grille, GridsWithoutSegmentsDrawNothing)
{
    gl_record_clear();
    grille().dessine();
    domain box;
    box["x"] = interval(0, 1);
    box["y"] = interval(0, 1);
    grille(box, 3).dessine();
    EXPECT_TRUE(gl_record().empty());
}

}  // namespace
