// Diagnoses of maps whose faults are worked out by hand.

#include "diagnosis.hpp"

#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <cmath>

namespace {

const domain square = plane_box(-1, 1, -1, 1);

std::vector<diagnosis> diagnoses_of(const std::string& f1, const std::string& f2, const domain& box = square)
{
    return diagnose(*quiet_plisse(f1, f2, box), box);
}

bool holds(const domain& b, double x, double y) { return b.get("x").contains(x) && b.get("y").contains(y); }

TEST(Diagnosis, NamesTheEdgeAndTheFoldPointsWhereTheKernelRunsAlongIt)
{
    // Whitney's cusp (x, y³ + xy): J = [[1, 0], [y, 3y² + x]], det = 3y² + x.
    // The fold curve x = −3y² meets the edge x = −1 at y = ±1/√3 (and no other
    // edge: x = 1 gives 3y² = −1, y = ±1 gives x = −3); there J(−1, y) has
    // the column (0, 3y² − 1) = 0 along y, so its kernel is the edge's direction.
    const std::vector<diagnosis> found = diagnoses_of("x", "y^3+x*y");
    ASSERT_EQ(found.size(), 2u);
    const double y = 1 / std::sqrt(3.0);
    for (const diagnosis& d : found) {
        EXPECT_EQ(d.kind, diagnosis_kind::kernel_along_edge);
        EXPECT_EQ(d.subject, "x = -1");
        EXPECT_NE(d.message.find("x = -1"), std::string::npos) << d.message;
        EXPECT_LT(d.region.width(), 1e-6);
    }
    EXPECT_TRUE(holds(found[0].region, -1, -y) != holds(found[1].region, -1, -y));
    EXPECT_TRUE(holds(found[0].region, -1, y) != holds(found[1].region, -1, y));
    // A tilted map, (x + 0.3y, y³ + xy), has no column that vanishes on an edge.
    EXPECT_TRUE(diagnoses_of("x+0.3*y", "y^3+x*y").empty());
}

TEST(Diagnosis, NamesAFunctionAndABoxWhereItsArgumentLeavesItsDomain)
{
    // ln(x) is undefined exactly where x ≤ 0.
    const std::vector<diagnosis> ln = diagnoses_of("ln(x)", "y");
    ASSERT_EQ(ln.size(), 1u);
    EXPECT_EQ(ln[0].kind, diagnosis_kind::undefined);
    EXPECT_EQ(ln[0].subject, "ln");
    EXPECT_LE(sup(ln[0].region.get("x")), 0);
    EXPECT_TRUE(ln[0].region.subset(square));
    // Over [0, 1]² only on the edge x = 0.
    const std::vector<diagnosis> edge = diagnoses_of("y", "ln(x)", plane_box(0, 1, 0, 1));
    ASSERT_EQ(edge.size(), 1u);
    EXPECT_EQ(edge[0].region.get("x"), interval(0));
    // Poles: 1/x on the line x = 0, tan(x) on x = π/2, y^-2 on y = 0; each box named holds its pole.
    const std::vector<diagnosis> quotient = diagnoses_of("1/x", "y");
    ASSERT_EQ(quotient.size(), 1u);
    EXPECT_EQ(quotient[0].subject, "/");
    EXPECT_TRUE(quotient[0].region.get("x").contains(0));
    const std::vector<diagnosis> tangent = diagnoses_of("tan(x)", "y", plane_box(1, 2, -1, 1));
    ASSERT_EQ(tangent.size(), 1u);
    EXPECT_TRUE(tangent[0].region.get("x").contains(M_PI / 2));
    EXPECT_LT(tangent[0].region.width(), 0.1);
    const std::vector<diagnosis> power = diagnoses_of("x", "y^(-2)");
    ASSERT_EQ(power.size(), 1u);
    EXPECT_EQ(power[0].subject, "^-2");
    EXPECT_TRUE(power[0].region.get("y").contains(0));
    // Defined on the whole box: nothing.
    EXPECT_TRUE(diagnoses_of("ln(x+2)", "sqrt(y+1)+1/(x+3)").empty());
}

TEST(Diagnosis, NamesConstantComponentsAndRegionsWhereTheDeterminantIsZero)
{
    const std::vector<diagnosis> constant = diagnoses_of("x", "2");
    ASSERT_EQ(constant.size(), 1u);
    EXPECT_EQ(constant[0].kind, diagnosis_kind::constant_component);
    EXPECT_EQ(constant[0].subject, "f2");
    // (xy, xy) has two equal rows in its Jacobian matrix: det = 0 everywhere.
    const std::vector<diagnosis> equal_rows = diagnoses_of("x*y", "x*y");
    ASSERT_EQ(equal_rows.size(), 1u);
    EXPECT_EQ(equal_rows[0].kind, diagnosis_kind::zero_determinant);
    EXPECT_EQ(equal_rows[0].region, square);
    // The built-in map is generic over its box.
    EXPECT_TRUE(diagnose(*built_in_plisse(), built_in_box()).empty());
}

}  // namespace
