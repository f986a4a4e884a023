// The analysis's compiled programs against its expressions evaluated as trees.

#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

/// Same bounds, or both empty.
void expect_same(const interval& compiled, const interval& tree, const std::string& what)
{
    if (tree.isEmpty()) {
        EXPECT_TRUE(compiled.isEmpty()) << what;
        return;
    }
    EXPECT_EQ(compiled.inf(), tree.inf()) << what;
    EXPECT_EQ(compiled.sup(), tree.sup()) << what;
}

// Every value a search reads from the programs is the enclosure of the tree
// it was compiled from, and `defined` is the definedness of those trees: the
// programs change the cost of the searches, never their verdicts.
TEST(AnalysisPrograms, GiveTheEnclosuresAndDomainsOfTheTrees)
{
    std::mt19937 g(20261209u);
    for (const auto& [f1, f2] : {std::pair<const char*, const char*>{"x+0.15*y", "y^5-y^3+x*y"},
                                 {"x*exp(0.3*y)+sqrt(x+1)", "y^3+x*y/(y-1.5)"}}) {
        const std::unique_ptr<plisse> p = quiet_plisse(f1, f2, plane_box(-1, 1, -1, 1), 4);
        const analysis_programs& programs = p->programs();
        for (int round = 0; round < 200; ++round) {
            const domain b = random_plane_box(g);
            const std::string at = std::string(f1) + ", " + f2 + " over x " + std::to_string(b.get("x").inf())
                                   + ", y " + std::to_string(b.get("y").inf());
            const first_order_values first = programs.first_order(b);
            const interval_matrix J = p->jacobian.evalue(b);
            const interval_matrix gradient = p->grad_det.evalue(b);
            const interval_matrix hessian = p->det_hessian.evalue(b);
            const domain image = p->f.evalue(b);
            const interval det = p->det_map.evalue(b).get("y0");
            for (int k = 0; k < 2; ++k) {
                const std::string component = k == 0 ? "y0" : "y1";
                expect_same(first.f[k], image.get(component), at);
                expect_same(programs.f(b)[k], image.get(component), at);
                for (const axis c : {along_x, along_y}) {
                    const std::string column = c == along_x ? "x" : "y";
                    expect_same(first.jacobian[k][c], J.entry(component, column), at);
                }
            }
            expect_same(first.det, det, at);
            expect_same(programs.det(b), det, at);
            const bool hessian_defined = defined_on(p->det_hessian, b);
            EXPECT_EQ(programs.second_order(b).defined, hessian_defined) << at;
            for (const axis u : {along_x, along_y}) {
                const std::string name = u == along_x ? "x" : "y";
                expect_same(first.grad_det[u], gradient.entry("y0", name), at);
                expect_same(programs.det_derivative(b, u), gradient.entry("y0", name), at);
                expect_same(programs.det_along(b, u).det, det, at);
                expect_same(programs.det_along(b, u).slope, gradient.entry("y0", name), at);
                const interval curvature = programs.det_curvature(b, u);
                if (hessian_defined) {
                    expect_same(curvature, hessian.entry(u == along_x ? "y0" : "y1", name), at);
                } else {
                    EXPECT_EQ(curvature, interval::ENTIRE()) << at;
                }
            }
            EXPECT_EQ(first.defined, defined_on(p->f, b) && defined_on(p->jacobian, b)
                                         && defined_on(p->det_map, b) && defined_on(p->grad_det, b))
                << at;
        }
    }
}

}  // namespace
