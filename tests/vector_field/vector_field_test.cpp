#include "exact_series.hpp"
#include "map.hpp"
#include "vector_field.hpp"

#include <gtest/gtest.h>

#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

vector_field rotation() {
    vector_field F;
    F.components["x"] = expression("y");
    F.components["y"] = expression("-x");
    return F;
}

std::vector<std::string> component_names(const vector_field& F) {
    std::vector<std::string> names;
    for (const auto& component : F.components) names.push_back(component.first);
    return names;
}

TEST(VectorField, OutWritesEmptyLineThenNameColonText) {
    vector_field F;
    F.components["x"] = expression("y");
    std::ostringstream os;
    F.out(os);
    EXPECT_EQ(os.str(), "\nx:y\n");
}

TEST(VectorField, IdentityOfRotationHasOnesOnDiagonal) {
    EXPECT_EQ(rotation().identite(), (domain{{"axx", interval(1)},
                                             {"axy", interval(0)},
                                             {"ayx", interval(0)},
                                             {"ayy", interval(1)}}));
}

TEST(VectorField, VariationalFieldOfRotationIsJacobianTimesSensitivities) {
    // DF = [[0, 1], [-1, 0]]: (DF A)_xa = A_ya and (DF A)_ya = -A_xa.
    const vector_field V = rotation().d();
    EXPECT_EQ(component_names(V), (std::vector<std::string>{"axx", "axy", "ayx", "ayy"}));
    const domain A{{"axx", interval(2)}, {"axy", interval(3)}, {"ayx", interval(5)}, {"ayy", interval(7)}};
    const domain value = V.f(A);
    EXPECT_EQ(value.get("axx"), interval(5.0));
    EXPECT_EQ(value.get("ayx"), interval(-2.0));
    EXPECT_EQ(value.get("axy"), interval(7.0));
    EXPECT_EQ(value.get("ayy"), interval(-3.0));
}

TEST(VectorField, VariationalFieldUsesDerivativesAtTheState) {
    // x' = x*y, y' = x: DF = [[y, x], [1, 0]].
    vector_field F;
    F.components["x"] = expression("x*y");
    F.components["y"] = expression("x");
    const domain at{{"x", interval(2)}, {"y", interval(3)}, {"axx", interval(1)}, {"axy", interval(0)},
                    {"ayx", interval(0)}, {"ayy", interval(1)}};
    const domain value = F.d().f(at);
    EXPECT_EQ(value.get("axx"), interval(3.0));
    EXPECT_EQ(value.get("axy"), interval(2.0));
    EXPECT_EQ(value.get("ayx"), interval(1.0));
    EXPECT_EQ(value.get("ayy"), interval(0.0));
}

TEST(VectorField, EmptyFieldHasEmptyVariationalFieldAndIdentity) {
    const vector_field F;
    EXPECT_TRUE(F.d().components.empty());
    EXPECT_TRUE(F.identite().empty());
    const domain b{{"x", interval(1, 2)}};
    EXPECT_EQ(F.Taylor(b, 3).coefficients, taylor(b).coefficients);
}

TEST(VectorField, EnclosureHasOnlyComponents) {
    const domain value = rotation().f(domain{{"x", interval(1, 2)}, {"y", interval(-1, 3)}, {"t", interval(9)}});
    EXPECT_EQ(value, (domain{{"x", interval(-1, 3)}, {"y", interval(-2, -1)}}));
}

TEST(VectorField, DirectSumLetsArgumentWinOnSharedName) {
    vector_field g;
    g.components["y"] = expression("7");
    g.components["z"] = expression("x");
    const vector_field sum = rotation().direct_sum(g);
    EXPECT_EQ(component_names(sum), (std::vector<std::string>{"x", "y", "z"}));
    EXPECT_EQ(sum.components.at("x").text, "y");
    EXPECT_EQ(sum.components.at("y").text, "7");
}

TEST(VectorField, TaylorOfExponentialFlowHasInverseFactorials) {
    vector_field F;
    F.components["x"] = expression("x");
    const taylor T = F.Taylor(domain{{"x", interval(1)}, {"p", interval(4)}}, 3);
    const std::vector<interval>& x = T.coefficients.at("x");
    ASSERT_EQ(x.size(), 4u);
    const std::vector<double> expected{1, 1, 0.5, 1.0 / 6};
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(x[k].contains(expected[k]) && x[k].diam() < 1e-15) << k << " " << x[k];
    EXPECT_EQ(T.coefficients.at("p").size(), 1u);
    EXPECT_EQ(F.Taylor(domain{{"x", interval(1)}}, 0).coefficients.at("x").size(), 1u);
}

TEST(VectorField, TaylorStartsComponentMissingFromBoxAtZero) {
    // x' = 1 from the box's missing x, read as 0: x = t.
    vector_field F;
    F.components["x"] = expression("1");
    const taylor T = F.Taylor(domain{{"y", interval(5)}}, 2);
    EXPECT_EQ(T.coefficients.at("x"), (std::vector<interval>{0, 1, 0}));
}

/// A random planar polynomial field, kept small so that flows stay moderate.
struct random_field {
    random_polynomial fx, fy;
    explicit random_field(std::mt19937& rng) : fx(rng, 2), fy(rng, 2) {}

    vector_field field() const {
        vector_field F;
        F.components["x"] = expression(fx.text());
        F.components["y"] = expression(fy.text());
        return F;
    }

    /// Derivatives 0..order in time of the flow from (x0, y0), exactly: the
    /// derivative k + 1 of the state is the derivative k of F along the
    /// state known up to order k (Leibniz products, no division).
    std::map<std::string, exact_series> flow(double x0, double y0, int order) const {
        using basis = exact_series::basis;
        std::map<std::string, exact_series> state{{"x", exact_series::constant(basis::derivatives, order, x0)},
                                                  {"y", exact_series::constant(basis::derivatives, order, y0)}};
        for (int k = 0; k < order; ++k) {
            const exact_series vx = fx.evaluate(state), vy = fy.evaluate(state);
            state["x"].c[k + 1] = vx.c[k];
            state["y"].c[k + 1] = vy.c[k];
        }
        return state;
    }
};

double factorial(int k) { return k <= 1 ? 1 : k * factorial(k - 1); }

TEST(VectorField, FlowExpansionOfRandomPolynomialsEnclosesExactDerivatives) {
    const unsigned seed = 90211;
    std::mt19937 rng(seed);
    std::uniform_int_distribution<int> quarters(-4, 4);
    const int order = 4;
    for (int trial = 0; trial < 60; ++trial) {
        const random_field F(rng);
        const random_polynomial g(rng, 2);
        const double x0 = quarters(rng) / 4.0, y0 = quarters(rng) / 4.0;
        const bool wide = trial % 2 == 1;
        const double w = wide ? 0.125 : 0;
        const domain box{{"x", interval(x0, x0 + w)}, {"y", interval(y0, y0 + w)}};
        SCOPED_TRACE("seed " + std::to_string(seed) + " trial " + std::to_string(trial) + ": x'=" + F.fx.text() +
                     ", y'=" + F.fy.text() + ", g=" + g.text());
        const taylor got = Map(expression(g.text())).derive(F.field(), order, box);
        const std::vector<interval>& c = got.coefficients.at("y0");
        ASSERT_EQ(c.size(), static_cast<std::size_t>(order + 1));
        for (const double sx : {x0, x0 + w / 2, x0 + w})
            for (const double sy : {y0, y0 + w}) {
                const exact_scope scope;
                const exact_series exact = g.evaluate(F.flow(sx, sy, order));
                ASSERT_TRUE(scope.exact());
                for (int k = 0; k <= order; ++k)
                    EXPECT_TRUE(scaled_inside(exact.c[k], factorial(k), c[k]))
                        << "order " << k << " at (" << sx << ", " << sy << "): " << exact.c[k] << "/" << k
                        << "! not in " << c[k];
            }
        if (!wide) {
            for (const interval& k : c) EXPECT_LT(k.diam(), 1e-9 * (1 + k.mag())) << k;
        }
    }
}

}  // namespace
