#include "domain.hpp"

#include <gtest/gtest.h>

#include <limits>
#include <sstream>

namespace {

domain plane(interval x, interval y) { return domain{{"x", x}, {"y", y}}; }

TEST(Domain, IndexingMissingNameInsertsZeroPointButGetDoesNot)
{
    domain box{{"x", interval(1, 2)}};
    EXPECT_EQ(box.get("y"), interval(0.0));
    EXPECT_EQ(box.dimension(), 1);
    EXPECT_EQ(box["y"], interval(0.0));
    EXPECT_EQ(box.dimension(), 2);
}

TEST(Domain, FacesComeLowThenHighPerVariableInNameOrder)
{
    const std::vector<domain> faces = plane(interval(0, 1), interval(2, 3)).boundary();
    ASSERT_EQ(faces.size(), 4u);
    EXPECT_EQ(faces[0], plane(interval(0.0), interval(2, 3)));
    EXPECT_EQ(faces[1], plane(interval(1.0), interval(2, 3)));
    EXPECT_EQ(faces[2], plane(interval(0, 1), interval(2.0)));
    EXPECT_EQ(faces[3], plane(interval(0, 1), interval(3.0)));
}

TEST(Domain, CornerBitsFollowNameOrder)
{
    const domain box = plane(interval(0, 1), interval(2, 3));
    EXPECT_EQ(box.corner(0), plane(interval(0.0), interval(2.0)));
    EXPECT_EQ(box.corner(1), plane(interval(1.0), interval(2.0)));
    EXPECT_EQ(box.corner(2), plane(interval(0.0), interval(3.0)));
    EXPECT_EQ(box.corner(3), plane(interval(1.0), interval(3.0)));
    domain three{{"y0", interval(4, 5)}, {"y", interval(2, 3)}, {"x", interval(0, 1)}};
    EXPECT_EQ(three.variables(), (std::vector<std::string>{"x", "y", "y0"}));
    EXPECT_EQ(three.corner(5), (domain{{"x", interval(1.0)}, {"y", interval(2.0)}, {"y0", interval(5.0)}}));
    EXPECT_EQ(box.corner({{"x", true}, {"y", false}}), box.corner(1));
}

TEST(Domain, VisibilityKeepsFacesAwayFromTheCornerInFaceOrder)
{
    const domain box = plane(interval(0, 1), interval(2, 3));
    const std::vector<domain> faces = box.boundary();
    EXPECT_EQ(box.visibility(0), (std::vector<domain>{faces[1], faces[3]}));
    EXPECT_EQ(box.visibility(1), (std::vector<domain>{faces[0], faces[3]}));
    EXPECT_EQ(box.visibility(3), (std::vector<domain>{faces[0], faces[2]}));
}

TEST(Domain, PointVariableHasEqualFacesAndNoTopologicalDimension)
{
    const domain box = plane(interval(0, 1), interval(2.0));
    const std::vector<domain> faces = box.boundary();
    EXPECT_EQ(faces[2], faces[3]);
    for (int i = 0; i < 4; ++i) EXPECT_TRUE(box.corner(i).subset(faces[2]));
    EXPECT_EQ(box.topological_dimension(), 1);
    EXPECT_EQ(box.visibility(0).size(), 1u);
}

TEST(Domain, EmptyBox)
{
    const domain none;
    EXPECT_EQ(none.width(), 0.0);
    EXPECT_EQ(none.dimension(), 0);
    EXPECT_EQ(none.topological_dimension(), 0);
    EXPECT_TRUE(none.boundary().empty());
    EXPECT_TRUE(none.subset(plane(interval(0, 1), interval(0, 1))));
    EXPECT_TRUE(none.corner(3).empty());
    EXPECT_FALSE(plane(interval(0, 1), interval(0, 1)).disjoint(none));
}

TEST(Domain, TwoBoxOperationsRunOverThisBoxVariables)
{
    const domain a = plane(interval(1, 2), interval(3, 4));
    const domain b{{"x", interval(1.0)}, {"z", interval(5.0)}};
    EXPECT_EQ(a + b, plane(interval(2, 3), interval(3, 4)));
    EXPECT_EQ(a - b, plane(interval(0, 1), interval(3, 4)));
    EXPECT_EQ(a.hull(b), plane(interval(1, 2), interval(0, 4)));
    const domain meet = a.intersect(b);
    EXPECT_EQ(meet.variables(), a.variables());
    EXPECT_EQ(meet.get("x"), interval(1.0));
    EXPECT_TRUE(meet.get("y").isEmpty());
    EXPECT_FALSE(a.subset(b));
    EXPECT_TRUE(a.subset(plane(interval(0, 2), interval(3, 5))));
    EXPECT_TRUE((domain{{"x", interval(0.0)}}).subset(domain()));
    EXPECT_FALSE((domain{{"x", interval(-1, 1)}}).subset(domain()));
}

TEST(Domain, DisjointRunsOverTheOtherBoxVariables)
{
    const domain a{{"x", interval(0, 1)}};
    EXPECT_TRUE(a.disjoint(domain{{"x", interval(0.5, 2)}, {"y", interval(1, 2)}}));
    EXPECT_FALSE(a.disjoint(domain{{"x", interval(0.5, 2)}, {"y", interval(-1, 1)}}));
    EXPECT_TRUE(a.disjoint(domain{{"x", interval(2, 3)}}));
    EXPECT_FALSE(plane(interval(0, 1), interval(5, 6)).disjoint(domain{{"x", interval(1, 2)}}));
}

TEST(Domain, DirectSumLetsTheOtherBoxWin)
{
    const domain sum = plane(interval(0, 1), interval(2, 3)).direct_sum(domain{{"y", interval(7.0)}, {"w", interval(1.0)}});
    EXPECT_EQ(sum, (domain{{"w", interval(1.0)}, {"x", interval(0, 1)}, {"y", interval(7.0)}}));
}

TEST(Domain, WidthCenterScaleInflate)
{
    const domain box = plane(interval(0, 1), interval(2, 5));
    EXPECT_EQ(box.width(), 3.0);
    EXPECT_EQ(plane(interval(0, 1), interval::EMPTY()).width(), 1.0);
    EXPECT_EQ(box.center(), plane(interval(0.5), interval(3.5)));
    EXPECT_EQ(box * -2.0, plane(interval(-2, 0), interval(-10, -4)));
    EXPECT_EQ(box * interval(-1, 1), plane(interval(-1, 1), interval(-5, 5)));
    EXPECT_EQ(box.inflate(0.5), plane(interval(-0.5, 1.5), interval(1.5, 5.5)));
}

TEST(Domain, OutWritesNameThenIntervalPerLine)
{
    std::ostringstream os;
    domain{{"x", interval(0, 1)}, {"y", interval(2, 3)}, {"z", interval::EMPTY()},
           {"w", interval::ENTIRE()}}.out(os);
    EXPECT_EQ(os.str(), "w[ ENTIRE ]\nx[0, 1]\ny[2, 3]\nz[ EMPTY ]\n");
}

}  // namespace
