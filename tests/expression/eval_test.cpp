// Interval evaluation of trees, their textual forms and their drawings.

#include "tree_testing.hpp"

#include <cfloat>
#include <fstream>
#include <iterator>

namespace {

interval evaluate(const std::string& text, const domain& box)
{
    return expression(text).Evalue(box);
}

/// Whether x is [lo, hi] up to a few units of rounding, and encloses it.
void expect_tight(const interval& x, double lo, double hi)
{
    EXPECT_LE(x.inf(), lo);
    EXPECT_GE(x.sup(), hi);
    EXPECT_NEAR(x.inf(), lo, 1e-12);
    EXPECT_NEAR(x.sup(), hi, 1e-12);
}

TEST(Eval, MapComponentsOverBoxes)
{
    expect_tight(evaluate("x+0.2*y", {{"x", interval(0, 1)}, {"y", interval(2, 3)}}), 0.4, 1.6);
    expect_tight(evaluate("y^3-x*y", {{"x", interval(0, 1)}, {"y", interval(-1, 1)}}), -2, 2);
}

TEST(Eval, MissingVariableIsZeroAndBoxIsUntouched)
{
    const domain box = {{"x", interval(1, 2)}};
    expect_tight(evaluate("x+z", box), 1, 2);
    EXPECT_EQ(box.size(), 1u);
}

TEST(Eval, PowerUsesTruncatedUpperBoundOfExponent)
{
    const domain box = {{"x", interval(-2, 3)}, {"y", interval(2.5, 3.7)}};
    expect_tight(evaluate("x^2.9", box), 0, 9);
    expect_tight(evaluate("x^(-1.5)", {{"x", interval(2, 4)}}), 0.25, 0.5);
    expect_tight(evaluate("2^y", box), 8, 8);
    expect_tight(evaluate("x^0", box), 1, 1);
    expect_tight(evaluate("x^-2", {{"x", interval(2, 4)}}), 1.0 / 16, 0.25);
}

TEST(Eval, UnusableExponentGivesTheWholeLine)
{
    const interval entire = interval::ENTIRE();
    const std::vector<interval> exponents = {interval(1, INFINITY), interval(-INFINITY, 2),
                                             interval::EMPTY(), interval(1e10),
                                             interval(-3e9), interval::ENTIRE()};
    for (const interval& e : exponents) {
        const domain box = {{"x", interval(0.5, 0.75)}, {"e", e}};
        EXPECT_EQ(evaluate("x^e", box), entire) << e;
    }
    EXPECT_EQ(evaluate("x^(1e300)", {{"x", interval(2)}}), entire);
}

TEST(Eval, SquareIsAnEvenPowerNotAProduct)
{
    expect_tight(evaluate("sqr(x)", {{"x", interval(-2, 3)}}), 0, 9);
}

TEST(Eval, PartialOperatorAndEmptyTreeGiveTheWholeLine)
{
    const domain box = {{"x", interval(1, 2)}, {"y", interval(0, 1)}};
    EXPECT_EQ(evaluate("partial_x", box), interval::ENTIRE());
    EXPECT_EQ(evaluate("x*partial_y", box), interval::ENTIRE());
    EXPECT_EQ(expression().Evalue(box), interval::ENTIRE());
}

/// Every node kind that evaluates, in formulas defined on x, y in [0.1, 1.2].
const std::vector<std::string> formulas = {
    "x+0.2*y", "y^3-x*y", "x/y-y/x", "-x^2+sqr(y)", "sin(x)*cos(y)", "cosh(x)-sinh(y)",
    "tan(x)+atan(y)", "exp(x)/ln(1+y)", "sqrt(x*y)", "(x-y)^-3", "ln(x)^4", "-(-(x))",
    "1.234567891*x-0.1"};

TEST(Eval, EnclosesHighPrecisionValuesAtSamplePoints)
{
    for (const std::string& text : formulas) {
        const expression e(text);
        for (double x = 0.1; x < 1.2; x += 0.137) {
            for (double y = 0.15; y < 1.2; y += 0.161) {
                const point p = {{"x", x}, {"y", y}};
                const mpfr_real reference = reference_value(e, p);
                if (reference.is_nan()) continue;
                EXPECT_TRUE(inside(reference, e.Evalue(point_box(p))))
                    << text << " at " << x << ", " << y << ": " << reference;
                const domain around = {{"x", interval(x - 0.01, x + 0.005)},
                                       {"y", interval(y - 0.003, y + 0.02)}};
                EXPECT_TRUE(inside(reference, e.Evalue(around))) << text;
            }
        }
    }
}

TEST(TextualForm, ForEveryNodeKind)
{
    const std::vector<std::pair<std::string, std::string>> forms = {
        {"x+0.2*y", "x+(0.2)*(y)"},
        {"-x", "(-(x))"},
        {"x/y", "(x)/(y)"},
        {"x-y", "(x)-(y)"},
        {"x^2", "(x)^(2)"},
        {"ln(x)", "ln(x)"},
        {"a+(b+c)", "a+b+c"},
        {"SIN(x)+Cos(x)+cosh(x)+sinh(x)", "sin(x)+cos(x)+cosh(x)+sinh(x)"},
        {"exp(x)*sqrt(x)", "(exp(x))*(sqrt(x))"},
        {"tan(x)-atan(sqr(x))", "(tan(x))-(atan(sqr(x)))"},
        {"1e-7+1.5e8", "1e-07+1.5e+08"},
        {"x*partial_y+(y+1)*partial_x", "(x)*partial_y+(y+1)*partial_x"},
    };
    for (const auto& [text, form] : forms) {
        expression e(text);
        e.ArbreToChaine();
        EXPECT_EQ(e.text, form) << text;
    }
}

TEST(TextualForm, ConstantsReadBackExactly)
{
    const std::vector<std::pair<double, std::string>> constants = {
        {0.2, "0.2"}, {1e-07, "1e-07"}, {1.5e8, "1.5e+08"}, {2, "2"}, {-0.2, "-0.2"},
        {1234567, "1234567"}, {0.1 + 0.2, "0.30000000000000004"}, {1.0 / 3, "0.3333333333333333"},
        {0.1234567891, "0.1234567891"}, {DBL_MAX, "1.7976931348623157e+308"},
        {5e-324, "4.94066e-324"}, {INFINITY, "1e+999"}, {-INFINITY, "-1e+999"}};
    for (const auto& [value, text] : constants)
        EXPECT_EQ(constant_text(value), text) << value;
}

TEST(TextualForm, ParsesBackToTheSameValue)
{
    for (const std::string& text : formulas) {
        const expression original(text);
        const std::string form = Arbre2Chaine(original.tree, original.root());
        const parsed again = parse(form);
        EXPECT_EQ(again.output, "") << form;
        EXPECT_EQ(Arbre2Chaine(again.e.tree, again.e.root()), form);
        const point p = {{"x", 0.7}, {"y", 0.3}};
        EXPECT_TRUE(inside(reference_value(original, p), again.e.Evalue(point_box(p)))) << form;
    }
}

TEST(TextualForm, NegativeAndLongConstantsSurviveReparsing)
{
    const expression e("x*y+z");
    for (double value : {-0.3, -1e-300, 0.1 + 0.2, -1.0 / 3, 123456.7891, -0.0}) {
        const parsed constant = parse(constant_text(value));
        EXPECT_EQ(constant.output, "") << value;
        EXPECT_EQ(constant.e.Evalue(domain()), interval(value)) << constant.e.text;

        const expression fixed = e.substitute(value, "y");
        const parsed again = parse(fixed.text);
        EXPECT_EQ(again.output, "") << fixed.text;
        const domain box = {{"x", interval(0.7)}, {"z", interval(0.25)}};
        EXPECT_EQ(again.e.Evalue(box), fixed.Evalue(box)) << fixed.text;
    }
}

std::string file_contents(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

TEST(TreeOutput, DotFileOfAMapComponent)
{
    const std::string file = testing::TempDir() + "x_plus_0.2y.dot";
    expression("x+0.2*y").ToDot(file.c_str());
    EXPECT_EQ(file_contents(file), file_contents(PLISSE_TEST_DATA "/x_plus_0.2y.dot"));
}

TEST(TreeOutput, DotLinksAPowerToItsBaseOnlyAndSkipsPartialNodes)
{
    EXPECT_EQ(expression("x^2").tree[2].ToDot(), "2 [label=\"power\"] ; \n");
    EXPECT_EQ(expression("partial_x").tree[0].ToDot(), "");
    const std::string file = testing::TempDir() + "operator.dot";
    expression("x^2*partial_y").ToDot(file.c_str());
    EXPECT_EQ(file_contents(file),
              "graph G {\n0 [label=\"x\"] ; \n1 [label=\"2\"] ; \n2 [label=\"power\"] ; \n"
              "4 [label=\"*\"] ; \n4 -- 2;\n4 -- 3;\n2 -- 0;\n}\n");
}

TEST(TreeOutput, LatexDocumentOfAMapComponent)
{
    const std::string file = testing::TempDir() + "x_plus_0.2y.tex";
    expression("x+0.2*y").ToLatex(file.c_str());
    EXPECT_EQ(file_contents(file), file_contents(PLISSE_TEST_DATA "/x_plus_0.2y.tex"));
}

}  // namespace
