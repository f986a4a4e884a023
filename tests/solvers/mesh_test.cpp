#include "mesh.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <string>
#include <vector>

namespace {

domain box(const std::vector<std::pair<std::string, interval>>& entries) {
    domain D;
    for (const auto& [name, I] : entries) {
        D[name] = I;
    }
    return D;
}

/// Part j of the n equal parts of I, bounds as j*step + lo and (j+1)*step + lo,
/// except the last upper bound, which is I's own.
interval part(const interval& I, int j, int n) {
    const double step = (I.sup() - I.inf()) / n;
    return interval(j * step + I.inf(), j + 1 == n ? I.sup() : (j + 1) * step + I.inf());
}

void expect_same(const interval& actual, const interval& expected) {
    EXPECT_EQ(actual.inf(), expected.inf());
    EXPECT_EQ(actual.sup(), expected.sup());
}

/// Checks every box of the regular paving of D with n parts: the box with
/// part numbers (i1, ..., id), variables in name order, stands at position
/// i1*n^(d-1) + ... + id and has exactly the computed parts as intervals.
void expect_regular_paving(const domain& D, int n) {
    const mesh M(D, n);
    const int d = D.dimension();
    int count = 1;
    for (int k = 0; k < d; ++k) {
        count *= n;
    }
    ASSERT_EQ(static_cast<int>(M.boxes.size()), count);
    for (int position = 0; position < count; ++position) {
        SCOPED_TRACE("position " + std::to_string(position));
        int rest = position;
        std::vector<int> digits(d);
        for (int k = d - 1; k >= 0; --k) {
            digits[k] = rest % n;
            rest /= n;
        }
        int k = 0;
        for (const auto& [name, I] : D) {
            SCOPED_TRACE(name);
            expect_same(M.boxes[position].get(name), part(I, digits[k++], n));
        }
    }
    EXPECT_EQ(M.subdivisions, n);
}

}  // namespace

TEST(MeshPaving, PositionFormulaOnTwoThreeAndFourVariables) {
    // Names inserted out of order: the paving follows byte-wise name order
    // ("B" before "a", "x" before "y" before "y0").
    expect_regular_paving(box({{"y", interval(-0.7, 0.61)}, {"x", interval(-0.2, 0.33)}}), 3);
    expect_regular_paving(
        box({{"y0", interval(0.1, 0.3)}, {"y", interval(0, 1)}, {"x", interval(0.2, 0.9)}}), 3);
    expect_regular_paving(box({{"b", interval(0, 1)},
                               {"a", interval(-1, 1)},
                               {"B", interval(0.1, 0.3)},
                               {"c", interval(2, 5)}}),
                          2);
}

TEST(MeshPaving, PartsCoverTheBoxUpToItsUpperBounds) {
    // 2*((0.61 - -0.7)/2) + -0.7 is 0.6100000000000001 and 1*(0.9 - 0.2) + 0.2
    // is 0.8999999999999999 in double: computed last bounds would leave out,
    // or add, the points between them and the box's own bound.
    const mesh two(box({{"x", interval(0, 1)}, {"y", interval(-0.7, 0.61)}}), 2);
    EXPECT_EQ(two.boxes.back().get("y").sup(), 0.61);
    const mesh one(box({{"x", interval(0.2, 0.9)}}), 1);
    ASSERT_EQ(one.boxes.size(), 1u);
    EXPECT_EQ(one.boxes[0].get("x").inf(), 0.2);
    EXPECT_EQ(one.boxes[0].get("x").sup(), 0.9);
    // The upper face of a box bisected again and again stays covered.
    domain B = box({{"x", interval(-18.8342, 2.01513)}, {"y", interval(15.9111, 42.8593)}});
    for (int level = 0; level < 30; ++level) B = mesh(B, 2).boxes.back();
    EXPECT_EQ(B.get("x").sup(), 2.01513);
    EXPECT_EQ(B.get("y").sup(), 42.8593);
}

TEST(MeshPaving, PointVariablesAreNotCut) {
    const domain D = box({{"x", interval(0, 1)}, {"y", interval(2, 2)}, {"z", interval(0, 3)}});
    const mesh M(D, 3);
    ASSERT_EQ(M.boxes.size(), 9u);
    for (int ix = 0; ix < 3; ++ix) {
        for (int iz = 0; iz < 3; ++iz) {
            const domain& B = M.boxes[3 * ix + iz];
            expect_same(B.get("x"), part(D.get("x"), ix, 3));
            expect_same(B.get("y"), interval(2, 2));
            expect_same(B.get("z"), part(D.get("z"), iz, 3));
        }
    }
}

TEST(MeshCut, EmptyPavingStaysEmptyWithItsBoxAndCount) {
    mesh M(box({{"x", interval(0, 1)}}), 3);
    M.boxes.clear();
    const mesh C = M.cut("x", 2);
    EXPECT_TRUE(C.boxes.empty());
    EXPECT_EQ(C.whole_box, M.whole_box);
    EXPECT_EQ(C.faces, M.faces);
    EXPECT_EQ(C.subdivisions, 3);
}

TEST(MeshBoundary, UnitSquareWithTwoPartsFaceByFace) {
    const mesh B = mesh(box({{"x", interval(0, 1)}, {"y", interval(0, 1)}}), 2).boundary();
    const interval low(0, 0.5), high(0.5, 1);
    const std::vector<std::pair<interval, interval>> expected = {
        {interval(0), low},  {interval(0), high},  // x = 0
        {interval(1), low},  {interval(1), high},  // x = 1
        {low, interval(0)},  {high, interval(0)},  // y = 0
        {low, interval(1)},  {high, interval(1)},  // y = 1
    };
    ASSERT_EQ(B.boxes.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        SCOPED_TRACE(k);
        expect_same(B.boxes[k].get("x"), expected[k].first);
        expect_same(B.boxes[k].get("y"), expected[k].second);
    }
    EXPECT_TRUE(B.whole_box.empty());
    EXPECT_TRUE(B.faces.empty());
}

TEST(MeshInsert, AppendsInOrderAndMayAppendItself) {
    mesh M(box({{"x", interval(0, 1)}}), 2);
    const mesh other(box({{"x", interval(5, 6)}}), 3);
    M.myinsert(other);
    ASSERT_EQ(M.boxes.size(), 5u);
    EXPECT_EQ(M.boxes[2], other.boxes[0]);
    EXPECT_EQ(M.boxes[4], other.boxes[2]);
    EXPECT_EQ(M.subdivisions, 2);
    M.myinsert(M);
    ASSERT_EQ(M.boxes.size(), 10u);
    for (std::size_t k = 0; k < 5; ++k) {
        EXPECT_EQ(M.boxes[k + 5], M.boxes[k]) << k;
    }
}

TEST(MeshWhichOne, InteriorPointsFallInTheBoxThatHoldsThem) {
    const mesh M(box({{"x", interval(0, 1)}, {"y", interval(0, 1)}}), 5);
    EXPECT_EQ(M.which_one(box({{"x", interval(0.5)}, {"y", interval(0.1)}})), 10);
    const mesh S(box({{"x", interval(-0.2, 0.33)}, {"y", interval(-0.7, 0.61)}, {"z", interval(1, 2)}}), 4);
    for (double x : {-0.19, -0.05, 0.1, 0.32}) {
        for (double y : {-0.69, 0.0, 0.3, 0.6}) {
            for (double z : {1.01, 1.5, 1.99}) {
                const domain P = box({{"x", interval(x)}, {"y", interval(y)}, {"z", interval(z)}});
                const int k = S.which_one(P);
                ASSERT_TRUE(S.holds(k)) << x << " " << y << " " << z;
                EXPECT_TRUE(P.subset(S.boxes[k])) << x << " " << y << " " << z;
            }
        }
    }
}

TEST(MeshWhichOne, UpperBoundAndOutsidePointsAreNotHeld) {
    const mesh M(box({{"x", interval(0, 1)}, {"y", interval(0, 1)}}), 5);
    // x = 1 gives part number 5: one row beyond the last box of that column.
    EXPECT_EQ(M.which_one(box({{"x", interval(1)}, {"y", interval(0.1)}})), 25);
    EXPECT_FALSE(M.holds(M.which_one(box({{"x", interval(1)}, {"y", interval(0.1)}}))));
    EXPECT_FALSE(M.holds(M.which_one(box({{"x", interval(-0.1)}, {"y", interval(0.1)}}))));
    EXPECT_FALSE(M.holds(M.which_one(box({{"x", interval(0.1)}, {"y", interval(-0.5)}}))));
}

TEST(MeshWhichOne, UnrepresentablePartNumbersGiveMinusOne) {
    const mesh M(box({{"x", interval(0, 1)}, {"y", interval(0, 1)}}), 5);
    const double huge = 1e300;
    EXPECT_EQ(M.which_one(box({{"x", interval(huge)}, {"y", interval(0.1)}})), -1);
    EXPECT_EQ(M.which_one(box({{"x", interval(-huge)}, {"y", interval(0.1)}})), -1);
    EXPECT_EQ(M.which_one(box({{"x", interval::EMPTY()}, {"y", interval(0.1)}})), -1);
    EXPECT_EQ(M.which_one(box({{"x", interval::ENTIRE()}, {"y", interval(0.1)}})), -1);
    // A point variable of the paved box divides by a zero width.
    const mesh flat(box({{"x", interval(0, 1)}, {"y", interval(2, 2)}}), 5);
    EXPECT_EQ(flat.which_one(box({{"x", interval(0.5)}, {"y", interval(2)}})), -1);
}

TEST(MeshVoisin, BoxesMeetingByFaceEdgeOrCornerAreNeighbours) {
    const mesh M(box({{"x", interval(0, 3)}, {"y", interval(0, 3)}}), 3);
    EXPECT_EQ(M.voisin(4, 4), 1);
    EXPECT_EQ(M.voisin(0, 1), 1);  // shared face
    EXPECT_EQ(M.voisin(0, 4), 1);  // corner contact only
    EXPECT_EQ(M.voisin(2, 4), 1);
    EXPECT_EQ(M.voisin(0, 2), 0);  // one box between them
    EXPECT_EQ(M.voisin(0, 8), 0);
    const mesh cube(box({{"x", interval(0, 2)}, {"y", interval(0, 2)}, {"z", interval(0, 2)}}), 2);
    EXPECT_EQ(cube.voisin(0, 7), 1);  // opposite corners of the cube meet at its centre
}

TEST(MeshVoisin, BadPositionsAreNotNeighbours) {
    const mesh M(box({{"x", interval(0, 3)}, {"y", interval(0, 3)}}), 3);
    EXPECT_EQ(M.voisin(-1, 0), 0);
    EXPECT_EQ(M.voisin(0, 9), 0);
    EXPECT_EQ(M.voisin(std::numeric_limits<int>::max(), std::numeric_limits<int>::min()), 0);
}

TEST(MeshWrapping, HullOfTheListedBoxes) {
    const mesh M(box({{"x", interval(0, 3)}, {"y", interval(0, 3)}}), 3);
    EXPECT_EQ(M.wrapping({4}), M.boxes[4]);
    const domain W = M.wrapping({1, 5});
    expect_same(W.get("x"), interval(0, 2));
    expect_same(W.get("y"), interval(1, 3));
}

TEST(MeshWrapping, BadPositionsAreSkipped) {
    const mesh M(box({{"x", interval(0, 3)}, {"y", interval(0, 3)}}), 3);
    EXPECT_EQ(M.wrapping({-1, 4, 9}), M.boxes[4]);
    EXPECT_TRUE(M.wrapping({}).empty());
    EXPECT_TRUE(M.wrapping({-3, 100}).empty());
}
