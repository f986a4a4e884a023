// Random texts: arbitrary bytes parse into well-formed trees without crashing,
// and random formulas evaluate to enclosures of their high-precision values.

#include "tree_testing.hpp"

#include <cmath>
#include <cstdio>
#include <random>

namespace {

constexpr unsigned seed = 20240611;

/// Children before parents, index fields equal to positions, known kinds.
bool well_formed(const std::vector<Node>& tree)
{
    const std::string kinds = "+-*/PNCShiTAELR2rVp";
    for (int i = 0; i < static_cast<int>(tree.size()); ++i) {
        const Node& n = tree[i];
        if (n.index != i || kinds.find(n.kind) == std::string::npos) return false;
        if (n.left < -1 || n.left >= i || n.right < -1 || n.right >= i) return false;
    }
    return true;
}

/// Whether the textual form parses back silently to a tree of the same form.
bool text_round_trips(const expression& e)
{
    expression again;
    const std::string form = Arbre2Chaine(e.tree, e.root());
    const std::string output = standard_output_of([&] { again = expression(form); });
    return output.empty() && again.has_tree() && Arbre2Chaine(again.tree, again.root()) == form;
}

std::string random_bytes(std::mt19937& rng)
{
    static const std::string tokenish = "xyz0123456789.eE+-*/^()_;; \tsincoshtaexplqrSINpartial_";
    std::uniform_int_distribution<int> length(0, 30), byte(0, 255);
    std::string text;
    for (int n = length(rng); n > 0; --n) {
        const int b = byte(rng);
        text += b < 160 ? tokenish[b % tokenish.size()] : static_cast<char>(b);
    }
    return text;
}

TEST(Fuzz, RandomBytesGiveWellFormedTreesThatPrintAndDerive)
{
    std::mt19937 rng(seed);
    int with_tree = 0;
    for (int k = 0; k < 4000; ++k) {
        const std::string text = random_bytes(rng);
        const std::string context = "seed " + std::to_string(seed) + " case " + std::to_string(k);
        expression e;
        standard_output_of([&] { e = expression(text); });
        ASSERT_TRUE(well_formed(e.tree)) << context;
        if (!e.has_tree()) continue;
        ++with_tree;
        ASSERT_TRUE(text_round_trips(e)) << context;
        const expression d = e.derive("x");
        ASSERT_TRUE(d.has_tree() && well_formed(d.tree)) << context;
        e.Evalue({{"x", interval(-1, 2)}, {"y", interval(0.5)}});
    }
    EXPECT_GT(with_tree, 1000);
}

/// Random formulas in x and y with every evaluable node kind. Exponents are
/// integer literals: the exponent of a power is taken as a constant.
class formula_generator {
public:
    explicit formula_generator(unsigned s) : rng_(s) {}

    std::string formula(int depth)
    {
        if (depth == 0 || pick(5) == 0) return leaf();
        switch (pick(5)) {
        case 0: return "-" + operand(depth - 1);
        case 1: return function() + "(" + formula(depth - 1) + ")";
        case 2: return operand(depth - 1) + "^" + exponent();
        default: return formula(depth - 1) + binary() + formula(depth - 1);
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string leaf()
    {
        switch (pick(4)) {
        case 0: return "x";
        case 1: return "y";
        case 2: return constant();
        default: return pick(2) ? "x" : "y";
        }
    }

    std::string constant()
    {
        static const char* const fixed[] = {"0.2", "3", "1e-3", "2.5e+2", "0.1234567891", "0"};
        if (pick(2)) return fixed[pick(6)];
        char text[40];
        std::snprintf(text, sizeof text, "%.17g",
                      std::uniform_real_distribution<double>(0, 10)(rng_));
        return text;
    }

    /// A leaf, or a parenthesised formula: a power's base or a negated term.
    std::string operand(int depth)
    {
        return pick(2) ? leaf() : "(" + formula(depth) + ")";
    }

    std::string exponent()
    {
        const std::string n = std::to_string(pick(5));
        switch (pick(3)) {
        case 0: return "-" + n;
        case 1: return "(-" + n + ")";
        default: return n;
        }
    }

    std::string function()
    {
        static const char* const names[] = {"sin", "COS", "cosh", "Sinh", "tan", "atan",
                                            "exp", "ln", "sqrt", "sqr"};
        return names[pick(10)];
    }

    std::string binary() { return std::string(1, "+-*/"[pick(4)]); }

    std::mt19937 rng_;
};

void expect_encloses(const expression& e, const point& p, const std::string& context)
{
    const mpfr_real reference = reference_value(e, p);
    if (reference.is_nan()) return;
    EXPECT_TRUE(inside(reference, e.Evalue(point_box(p))))
        << context << " " << e.text << " -> " << reference;
    const domain around = {{"x", interval(p.at("x") - 1e-3, p.at("x") + 2e-3)},
                           {"y", interval(p.at("y") - 3e-3, p.at("y") + 1e-3)}};
    EXPECT_TRUE(inside(reference, e.Evalue(around))) << context << " box " << e.text;
}

TEST(Fuzz, RandomFormulasEncloseTheirValuesAtSamplePoints)
{
    formula_generator generator(seed);
    std::mt19937 rng(seed + 1);
    std::uniform_real_distribution<double> coordinate(-1.5, 1.5);
    int checked = 0;
    for (int k = 0; k < 2000; ++k) {
        const std::string context = "seed " + std::to_string(seed) + " case " + std::to_string(k);
        const std::string text = generator.formula(4);
        expression e, printed;
        const std::string output = standard_output_of([&] {
            e = expression(text);
            printed = expression(Arbre2Chaine(e.tree, e.root()));
        });
        ASSERT_EQ(output, "") << context << " " << text;
        const expression d = e.derive("x");
        for (int s = 0; s < 3; ++s) {
            const point p = {{"x", coordinate(rng)}, {"y", coordinate(rng)}};
            const mpfr_real reference = reference_value(e, p);
            if (reference.is_nan()) continue;
            ++checked;
            expect_encloses(e, p, context);
            EXPECT_TRUE(inside(reference, printed.Evalue(point_box(p))))
                << context << " reparsed " << printed.text;
            expect_encloses(d, p, context + " derivative");
        }
    }
    EXPECT_GT(checked, 3000);
}

// 6 + e^1.5625 − e^1.5625 − y is exactly 7.5 at (1.25, −1.5); at 256 bits the
// cancelled exponentials leave it a few units of 2^-256 below. The error
// bound lets it sit on the end of [7.5, 7.500005], and no further: one ulp of
// 7.5 above it is refused.
TEST(Fuzz, ReferenceValuesAreInsideUpToTheirErrorBoundOnly)
{
    const expression e("6-(-exp(x*x))-(-(-exp(x*x)))-(-(-y))");
    const mpfr_real reference = reference_value(e, {{"x", 1.25}, {"y", -1.5}});
    EXPECT_FALSE(inside(reference, interval(7.5, 7.500005))) << reference;
    EXPECT_TRUE(inside_up_to_error(reference, interval(7.5, 7.500005))) << reference;
    EXPECT_FALSE(inside_up_to_error(reference, interval(std::nextafter(7.5, 8.0), 7.500005))) << reference;
}

TEST(Fuzz, OnePassSimplificationEndsWhereRepeatedStepsEnd)
{
    // The raw derivatives are full of the constants 0 and 1 the rules remove;
    // like terms are collected after either way of applying the rules.
    formula_generator generator(seed + 2);
    for (int k = 0; k < 1000; ++k) {
        const std::string text = generator.formula(4);
        expression e;
        standard_output_of([&] { e = expression(text); });
        for (const char* v : {"x", "y"}) {
            arbre_derive.clear();
            Derive_de_Arbre(e.tree, e.root(), v);
            expression stepwise;
            stepwise.tree = arbre_derive;
            expression one_pass = stepwise;
            while (!stepwise.simplify()) {
            }
            collect_like_terms(stepwise.tree);
            stepwise.ArbreToChaine();
            one_pass.Simplify();
            ASSERT_EQ(one_pass.text, stepwise.text) << "case " << k << " " << text << " d/d" << v;
            ASSERT_TRUE(one_pass.simplify()) << "case " << k << ": a rule still applies " << text << " " << one_pass.text;
        }
    }
}

}  // namespace
