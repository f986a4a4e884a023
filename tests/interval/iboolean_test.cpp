#include "iboolean.hpp"

#include <gtest/gtest.h>

namespace {

const IBOOLEAN all[] = {itrue, ifalse, iperhaps, iempty};

// Tables indexed by the codes of the operands: true, false, perhaps, empty.
TEST(Iboolean, AndTable)
{
    const IBOOLEAN table[4][4] = {{itrue, ifalse, iperhaps, iperhaps},
                                  {ifalse, ifalse, ifalse, ifalse},
                                  {iperhaps, ifalse, iperhaps, iperhaps},
                                  {iperhaps, ifalse, iperhaps, iperhaps}};
    for (IBOOLEAN a : all)
        for (IBOOLEAN b : all) EXPECT_EQ((iboolean(a) && iboolean(b)).value, table[a][b]) << a << " " << b;
}

TEST(Iboolean, OrTable)
{
    const IBOOLEAN table[4][4] = {{itrue, itrue, itrue, itrue},
                                  {itrue, ifalse, iperhaps, ifalse},
                                  {itrue, iperhaps, iperhaps, iperhaps},
                                  {itrue, ifalse, iperhaps, ifalse}};
    for (IBOOLEAN a : all)
        for (IBOOLEAN b : all) EXPECT_EQ((iboolean(a) || iboolean(b)).value, table[a][b]) << a << " " << b;
}

TEST(Iboolean, InterTable)
{
    const IBOOLEAN table[4][4] = {{itrue, iempty, itrue, itrue},
                                  {itrue, ifalse, ifalse, ifalse},
                                  {itrue, ifalse, iperhaps, iperhaps},
                                  {itrue, ifalse, iperhaps, iperhaps}};
    for (IBOOLEAN a : all)
        for (IBOOLEAN b : all) EXPECT_EQ(Inter(a, b).value, table[a][b]) << a << " " << b;
}

TEST(Iboolean, NotAndConstruction)
{
    EXPECT_EQ(!iboolean(itrue), iboolean(false));
    EXPECT_EQ(!iboolean(ifalse), iboolean(true));
    EXPECT_EQ(!iboolean(iperhaps), iboolean(iperhaps));
    EXPECT_EQ(!iboolean(iempty), iboolean(iperhaps));
    EXPECT_EQ(iboolean(), iboolean(iperhaps));
    EXPECT_NE(iboolean(true), iboolean(false));
    EXPECT_EQ(iboolean(true).value, itrue);
}

}  // namespace
