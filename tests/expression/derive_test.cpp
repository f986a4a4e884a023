// Symbolic differentiation, subtree copies, simplification, variable sets.

#include "compiled.hpp"
#include "tree_testing.hpp"

namespace {

std::string derivative_text(const std::string& text, const std::string& v)
{
    return expression(text).derive(v).text;
}

/// The raw derivative of the whole tree, as appended to arbre_derive.
std::string raw_derivative(const std::string& text, const std::string& v)
{
    const expression e(text);
    arbre_derive.clear();
    const int root = Derive_de_Arbre(e.tree, e.root(), v);
    EXPECT_EQ(root, static_cast<int>(arbre_derive.size()) - 1);
    return shape(arbre_derive);
}

TEST(Derive, MapComponents)
{
    const expression d = expression("x+0.2*y").derive("x");
    EXPECT_EQ(d.text, "1");
    EXPECT_EQ(d.tree.back().kind, 'r');
    EXPECT_EQ(d.tree.back().value, 1);
    EXPECT_TRUE(d.variables.empty());
    EXPECT_EQ(derivative_text("x+0.2*y", "y"), "0.2");
    EXPECT_EQ(derivative_text("y^3-x*y", "y"), "((3)*((y)^(2)))-(x)");
    EXPECT_EQ(derivative_text("y^3-x*y", "x"), "(0)-(y)");
    EXPECT_EQ(derivative_text("x^2+sin(y)", "z"), "0");
}

TEST(Derive, NodesAreAppendedInRuleOrder)
{
    EXPECT_EQ(raw_derivative("x*y", "x"), "0:r1 1:Vy 2:*(0,1) 3:Vx 4:r0 5:*(3,4) 6:+(2,5)");
    EXPECT_EQ(raw_derivative("x/y", "x"),
              "0:r1 1:Vy 2:*(0,1) 3:Vx 4:r0 5:*(3,4) 6:-(2,5) 7:r2 8:P(1,7) 9:/(6,8)");
    EXPECT_EQ(raw_derivative("x^3", "x"), "0:r2 1:Vx 2:P(1,0) 3:r1 4:*(3,2) 5:r3 6:*(5,4)");
    EXPECT_EQ(raw_derivative("x^y", "x"),
              "0:r1 1:Vy 2:-(1,0) 3:Vx 4:P(3,2) 5:r1 6:*(5,4) 7:Vy 8:*(7,6)");
    EXPECT_EQ(raw_derivative("cos(x)", "x"), "0:r1 1:Vx 2:S(1) 3:N(2) 4:*(0,3)");
    EXPECT_EQ(raw_derivative("sqrt(x)", "x"), "0:r1 1:Vx 2:R(1) 3:r2 4:*(3,2) 5:/(0,4)");
    EXPECT_EQ(raw_derivative("ln(x)", "x"), "0:r1 1:Vx 2:/(0,1)");
    EXPECT_EQ(raw_derivative("-exp(y)", "x"), "0:r0 1:Vy 2:E(1) 3:*(0,2) 4:N(3)");
    EXPECT_EQ(raw_derivative("sinh(x)-cosh(x)", "x"), "0:r1 1:Vx 2:h(1) 3:*(0,2) 4:r1 5:Vx 6:i(5) 7:*(4,6) 8:-(3,7)");
}

TEST(Derive, ExponentIsTreatedAsAConstant)
{
    EXPECT_EQ(derivative_text("x^y", "x"), "(y)*((x)^((y)-(1)))");
    EXPECT_EQ(derivative_text("2^x", "x"), "0");
}

TEST(Derive, TanAtanAndSquare)
{
    EXPECT_EQ(derivative_text("tan(x)", "x"), "(1)/((cos(x))^(2))");
    EXPECT_EQ(derivative_text("atan(x)", "x"), "(1)/(1+(x)^(2))");
    EXPECT_EQ(derivative_text("sqr(x)", "x"), "(2)*(x)");
}

TEST(Derive, PartialOperatorsAreConstantsOfDifferentiation)
{
    EXPECT_EQ(derivative_text("x^2*partial_y", "x"), "((2)*(x))*partial_y");
    EXPECT_EQ(derivative_text("partial_x", "x"), "0");
}

/// Derivative and its closed form, checked against each other at points.
const std::vector<std::pair<std::string, std::string>> derivatives = {
    {"sin(x)*y", "cos(x)*y"},          {"x/y", "1/y"},
    {"y/x", "-y/x^2"},                 {"ln(x*y)", "1/x"},
    {"sqrt(x)", "0.5/sqrt(x)"},        {"exp(2*x)", "2*exp(2*x)"},
    {"tan(x)", "1+tan(x)^2"},          {"atan(x^2)", "2*x/(1+x^4)"},
    {"sqr(sin(x))", "2*sin(x)*cos(x)"}, {"cosh(x)", "sinh(x)"},
    {"sinh(x*y)", "y*cosh(x*y)"},      {"cos(x)", "-sin(x)"},
    {"x^3-x*y", "3*x^2-y"},            {"x^-2", "-2*x^-3"},
    {"-x+y", "-1"},                    {"(x+y)^2/x", "2*(x+y)/x-(x+y)^2/x^2"}};

TEST(Derive, DerivativesEncloseTheirClosedFormsAtSamplePoints)
{
    for (const auto& [text, closed_form] : derivatives) {
        const expression d = expression(text).derive("x");
        const expression reference(closed_form);
        for (double x = 0.2; x < 1.4; x += 0.19) {
            const point p = {{"x", x}, {"y", 0.7}};
            EXPECT_TRUE(inside(reference_value(reference, p), d.Evalue(point_box(p))))
                << text << " -> " << d.text << " at " << x;
        }
    }
}

TEST(Copy, AppendsThePostOrderCopyOfASubtree)
{
    const expression e("sin(x)+2*y");
    arbre_derive.clear();
    arbre_derive.resize(2);
    const int root = Copie_de_Arbre(e.tree, e.root());
    EXPECT_EQ(root, 7);
    const std::vector<Node> copy(arbre_derive.begin() + 2, arbre_derive.end());
    EXPECT_EQ(shape(copy), "0:Vx! 1:S(2)! 2:r2! 3:Vy! 4:*(4,5)! 5:+(3,6)!");
    EXPECT_EQ(arbre_derive[7].index, 7);
}

std::string simplified(const std::string& text)
{
    expression e(text);
    e.Simplify();
    return e.text;
}

TEST(Simplify, EachRuleAndWhatStays)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1*x", "x"},  {"x*1", "x"},  {"x+0", "x"},     {"x-0", "x"},
        {"0+x", "x"},  {"0*x", "0"},  {"x*0", "0"},     {"x^1", "x"},
        {"-0", "0"},   {"-(0*x)", "0"}, {"2*3", "(2)*(3)"}, {"0-x", "(0)-(x)"},
        {"x/1", "(x)/(1)"}, {"1^x", "(1)^(x)"}, {"-(1)*x", "((-(1)))*(x)"}};
    for (const auto& [text, result] : cases)
        EXPECT_EQ(simplified(text), result) << text;
}

/// Whether every partial function of e is defined over box.
bool defined_over(const expression& e, const domain& box)
{
    const compiled_program program({&e.tree});
    std::vector<interval> slots;
    program.run(box, slots);
    return program.defined(slots);
}

// 0·F is 0 only where F is defined: where sqrt(x) or ln(x) is not, neither
// is the product, whether the 0 is written, collected (y − y, x·y − y·x) or
// frozen in (x = 0 in x·ln(y + 0.5), with ln undefined at y = −0.9).
TEST(Simplify, AProductByZeroKeepsTheDomainOfItsOtherFactor)
{
    const domain negative_x{{"x", interval(-1, -0.5)}, {"y", interval(0, 1)}};
    for (const char* text : {"0*sqrt(x)", "ln(x)*0", "y^3+(y-y)*sqrt(x)", "(x*y-y*x)*ln(x)"}) {
        expression e(text);
        e.Simplify();
        EXPECT_FALSE(defined_over(e, negative_x)) << text << " became " << e.text;
    }
    const expression frozen = expression("x*ln(y+0.5)").substitute(0.0, "x");
    EXPECT_FALSE(defined_over(frozen, domain{{"y", interval(-0.9)}})) << frozen.text;
    // y^0 is 1 for every y: its derivative is 0, with no domain of its own.
    EXPECT_EQ(derivative_text("x*y^0", "y"), "0");
}

TEST(Simplify, EachStepRewritesTheHighestMatchIncludingUnreachableNodes)
{
    expression e("x*1+0");
    int steps = 0;
    while (!e.simplify())
        ++steps;
    EXPECT_EQ(steps, 3);
    EXPECT_EQ(shape(e.tree), "0:Vx 1:r1 2:Vx 3:r0 4:Vx");
    EXPECT_TRUE(e.simplify());
}

TEST(Simplify, RewrittenNodeTakesTheChildrenOfItsReplacement)
{
    expression e("(x+y)*1");
    EXPECT_FALSE(e.simplify());
    EXPECT_EQ(shape(e.tree), "0:Vx 1:Vy 2:+(0,1) 3:r1 4:+(0,1)");
}

TEST(Variables, ExponentsDoNotCountPartialOperatorsDo)
{
    using names = std::set<std::string>;
    EXPECT_EQ(expression("y^3-x*y").variables, (names{"x", "y"}));
    EXPECT_EQ(expression("2^x").variables, names{});
    EXPECT_EQ(expression("x*partial_y").variables, (names{"x", "y"}));
    EXPECT_EQ(expression("sqrt(z)/w+tan(a)-atan(b)*sqr(c)").variables,
              (names{"a", "b", "c", "w", "z"}));
    const expression e("cos(u)-v");
    EXPECT_EQ(variables2eq(e.tree, 1), names{"u"});
}

}  // namespace
