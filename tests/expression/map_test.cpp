#include "map.hpp"
#include "vector_field.hpp"

#include <gtest/gtest.h>

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace {

Map built_in_map() {
    return Map(std::vector<expression>{expression("x+0.2*y"), expression("y^3-x*y")});
}

std::vector<std::string> names(const std::set<std::string>& s) { return {s.begin(), s.end()}; }

domain point(double x, double y) { return domain{{"x", interval(x)}, {"y", interval(y)}}; }

TEST(Map, ConstructorsNameComponentsByNumberAndCollectVariables) {
    const Map f = built_in_map();
    EXPECT_EQ(names(f.component_names), (std::vector<std::string>{"y0", "y1"}));
    EXPECT_EQ(names(f.variables), (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(f.component("y1").text, "y^3-x*y");

    Map g(expression("z*2"));
    g.add(expression("w"));
    EXPECT_EQ(names(g.component_names), (std::vector<std::string>{"y0", "y1"}));
    EXPECT_EQ(names(g.variables), (std::vector<std::string>{"w", "z"}));
    EXPECT_EQ(g.component("y1").text, "w");
}

TEST(Map, OutPrintsCardinalsNamesThenComponents) {
    std::ostringstream os;
    built_in_map().out(os);
    EXPECT_EQ(os.str(),
              "cardinal of independent variables : 2\nx\ny\n"
              "cardinal of dependent variables : 2\ny0\ny1\n"
              "y0 : x+0.2*y\ny1 : y^3-x*y\n");
}

TEST(Map, SetComponentDropsVariablesOfReplacedComponentEvenWhenShared) {
    Map f(std::vector<expression>{expression("x+y"), expression("y")});
    f.set_component("y0", expression("z"));
    EXPECT_EQ(names(f.variables), (std::vector<std::string>{"z"}));
    f.set_component("y2", expression("y"));
    EXPECT_EQ(names(f.variables), (std::vector<std::string>{"y", "z"}));
    EXPECT_EQ(names(f.component_names), (std::vector<std::string>{"y0", "y1", "y2"}));
}

TEST(Map, JacobianOfBuiltInMapHasSimplifiedDerivatives) {
    const expression_matrix j = built_in_map().differentielle();
    EXPECT_EQ(j.rows, (std::vector<std::string>{"y0", "y1"}));
    EXPECT_EQ(j.columns, (std::vector<std::string>{"x", "y"}));
    EXPECT_EQ(j.entry("y0", "x").text, "1");
    EXPECT_EQ(j.entry("y0", "y").text, "0.2");
    EXPECT_EQ(j.entry("y1", "x").text, "(0)-(y)");
    EXPECT_EQ(j.entry("y1", "y").text, "((3)*((y)^(2)))-(x)");
}

TEST(Map, EvalueOfBuiltInMapEnclosesRangesTightly) {
    const domain image = built_in_map().evalue(domain{{"x", interval(0, 1)}, {"y", interval(2, 3)}});
    EXPECT_EQ(image.variables(), (std::vector<std::string>{"y0", "y1"}));
    EXPECT_TRUE(interval(0.4, 1.6).subset(image.get("y0")));
    EXPECT_TRUE(image.get("y0").subset(interval(0.4 - 1e-12, 1.6 + 1e-12)));
    // y^3 - x*y with independent factors: [8, 27] - [0, 3].
    EXPECT_TRUE(interval(5, 27).subset(image.get("y1")));
    EXPECT_TRUE(image.get("y1").subset(interval(5 - 1e-12, 27 + 1e-12)));
}

TEST(Map, LieDerivativeAlongRotationTurnsPositionIntoVelocity) {
    // Derivatives are taken over this map's own variables, so the map holds
    // both x and y: (x, y) -> (y, -x) -> (-x, -y) -> ... period 4.
    Map rotation;
    rotation.set_component("x", expression("y"));
    rotation.set_component("y", expression("-x"));
    const Map f(std::vector<expression>{expression("x"), expression("y")});
    for (const auto& [x, y] : {std::pair{1.0, 2.0}, std::pair{-3.0, 0.5}}) {
        EXPECT_EQ(f.derive(rotation).evalue(point(x, y)), (domain{{"y0", interval(y)}, {"y1", interval(-x)}}));
        EXPECT_EQ(f.derive(rotation, 2).evalue(point(x, y)), (domain{{"y0", interval(-x)}, {"y1", interval(-y)}}));
        EXPECT_EQ(f.derive(rotation, 4).evalue(point(x, y)), f.evalue(point(x, y)));
    }
    EXPECT_EQ(f.derive(rotation, 0).component("y0").text, "x");
}

TEST(Map, LieDerivativeOfInvariantVanishesAndKeepsNames) {
    Map rotation;
    rotation.set_component("x", expression("y"));
    rotation.set_component("y", expression("-x"));
    const Map radius(expression("x^2+y^2"));
    const Map lie = radius.derive(rotation);
    EXPECT_EQ(lie.component_names, radius.component_names);
    EXPECT_EQ(lie.variables, radius.variables);
    EXPECT_EQ(lie.evalue(point(0.75, -1.25)).get("y0"), interval(0.0));
}

TEST(Map, TaylorAlongRotationFlowEnclosesCosineAndSine) {
    // From (1, 0) the flow of x' = y, y' = -x is (cos t, -sin t).
    vector_field rotation;
    rotation.components["x"] = expression("y");
    rotation.components["y"] = expression("-x");
    const Map f(std::vector<expression>{expression("x"), expression("x*x+y*y")});
    const taylor t = f.derive(rotation, 4, point(1, 0));
    const std::vector<double> cosine{1, 0, -0.5, 0, 1.0 / 24};
    ASSERT_EQ(t.coefficients.at("y0").size(), 5u);
    ASSERT_EQ(t.coefficients.at("y1").size(), 5u);
    for (int k = 0; k <= 4; ++k) {
        const interval c = t.coefficients.at("y0")[k];
        EXPECT_TRUE(c.contains(cosine[k]) && c.diam() < 1e-15) << k << " " << c;
        EXPECT_TRUE(t.coefficients.at("y1")[k].contains(k == 0 ? 1 : 0)) << k;
    }
}

}  // namespace
