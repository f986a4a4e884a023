// The analysis's compiled programs against its expressions evaluated as trees.

#include "analysis_maps.hpp"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

/// Within the enclosure of the tree walked node by node (polynomial parts
/// are narrowed by their centred bounds), or both empty.
void expect_within(const interval& compiled, const expression& e, const domain& b, const std::string& what)
{
    const interval tree = e.Evalue(b);
    if (tree.isEmpty()) {
        EXPECT_TRUE(compiled.isEmpty()) << what;
        return;
    }
    EXPECT_TRUE(compiled.subset(tree)) << compiled << " not in " << tree << " " << what;
}

// Every value a search reads from the programs lies in the enclosure of the
// tree it was compiled from, and `defined` is the definedness of those trees.
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
            const expression& det = p->det;
            for (int k = 0; k < 2; ++k) {
                const std::string component = k == 0 ? "y0" : "y1";
                expect_within(first.f[k], p->f.component(component), b, at);
                expect_within(programs.f(b)[k], p->f.component(component), b, at);
                for (const axis c : {along_x, along_y}) {
                    const std::string column = c == along_x ? "x" : "y";
                    expect_within(first.jacobian[k][c], p->jacobian.entry(component, column), b, at);
                }
            }
            expect_within(first.det, det, b, at);
            expect_within(programs.det(b), det, b, at);
            const bool hessian_defined = defined_on(p->det_hessian, b);
            EXPECT_EQ(programs.second_order(b).defined, hessian_defined) << at;
            for (const axis u : {along_x, along_y}) {
                const std::string name = u == along_x ? "x" : "y";
                const expression& slope = p->grad_det.entry("y0", name);
                expect_within(first.grad_det[u], slope, b, at);
                expect_within(programs.det_derivative(b, u), slope, b, at);
                expect_within(programs.det_along(b, u).det, det, b, at);
                expect_within(programs.det_along(b, u).slope, slope, b, at);
                const interval curvature = programs.det_curvature(b, u);
                if (hessian_defined) {
                    expect_within(curvature, p->det_hessian.entry(u == along_x ? "y0" : "y1", name), b, at);
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
