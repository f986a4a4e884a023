// Expression values: combination through text, substitutions, centred form,
// and the expression without a tree.

#include "tree_testing.hpp"

#include <fstream>

namespace {

using names = std::set<std::string>;

TEST(Expression, BuiltFromTextKeepsItVerbatim)
{
    const parsed p = parse("x + 0.2 * y");
    EXPECT_EQ(p.e.text, "x + 0.2 * y");
    EXPECT_EQ(p.output, "    ");
    EXPECT_EQ(p.e.variables, (names{"x", "y"}));
    EXPECT_EQ(shape(p.e.tree), "0:Vx 1:r0.2 2:Vy 3:*(1,2) 4:+(0,3)");
}

TEST(Expression, CombinationsGoThroughTextAndSimplify)
{
    const expression x("x"), y("y");
    const expression sum = x + y;
    EXPECT_EQ(sum.text, "x+y");
    EXPECT_EQ(sum.variables, (names{"x", "y"}));

    const expression product = x * expression("1");
    EXPECT_EQ(product.text, "x");
    EXPECT_EQ(product.tree.back().kind, 'V');

    EXPECT_EQ((x - y).text, "(x)-(y)");
    EXPECT_EQ(x.pow(2).text, "(x)^(2)");
}

TEST(Expression, NegativePowerKeepsItsExponent)
{
    const expression inverse_square = expression("x").pow(-2);
    EXPECT_EQ(inverse_square.text, "(x)^((-(2)))");
    const interval value = inverse_square.Evalue({{"x", interval(2, 4)}});
    EXPECT_TRUE(value.contains(1.0 / 16));
    EXPECT_TRUE(value.contains(0.25));
    EXPECT_LT(value.sup(), 0.26);
}

TEST(Expression, CombinationKeepsEveryDigitOfItsConstants)
{
    const expression a("0.1234567891*x"), b("y-1e-13");
    const expression product = a * b;
    const point p = {{"x", 0.9}, {"y", 1.3}};
    const mpfr_real exact = reference_value(a, p) * reference_value(b, p);
    const interval value = product.Evalue(point_box(p));
    EXPECT_TRUE(inside(exact, value)) << product.text;
    EXPECT_LT(value.diam(), 1e-15);
    EXPECT_NE(product.text.find("0.1234567891"), std::string::npos);
    EXPECT_NE(product.text.find("1e-13"), std::string::npos);
}

TEST(Expression, FixingAVariable)
{
    const expression fixed = expression("x+0.2*y").substitute(2.0, "y");
    EXPECT_EQ(fixed.text, "x+(0.2)*(2)");
    EXPECT_EQ(fixed.variables, names{"x"});
    EXPECT_EQ(expression("x*y+z").substitute(0.0, "y").text, "z");
    EXPECT_EQ(expression("x*y").substitute(1.0, "y").text, "x");
}

TEST(Expression, RenamingAVariable)
{
    const expression renamed = expression("x+0.2*y").substitute("x1", "x");
    EXPECT_EQ(renamed.text, "x1+(0.2)*(y)");
    EXPECT_EQ(renamed.variables, (names{"x1", "y"}));
    EXPECT_EQ(renamed.Evalue({{"x1", interval(1)}, {"x", interval(5)}, {"y", interval(0)}}),
              interval(1));
}

TEST(Expression, PartialOperatorsBecomeConstants)
{
    const expression field("x*partial_y+y*partial_x");
    const expression along_y = field.substitue_partial("y");
    EXPECT_EQ(along_y.text, "x");
    EXPECT_EQ(along_y.variables, (names{"x", "y"}));
    EXPECT_EQ(field.substitue_partial("x").text, "y");
    EXPECT_EQ(field.substitue_partial("z").text, "0");
}

TEST(Expression, DerivativeOfACombination)
{
    const expression f1("x+0.2*y"), f2("y^3-x*y");
    const expression determinant = f1.derive("x") * f2.derive("y") - f1.derive("y") * f2.derive("x");
    EXPECT_EQ(determinant.text, "(((3)*((y)^(2)))-(x))-((0.2)*((0)-(y)))");
    EXPECT_EQ(determinant.variables, (names{"x", "y"}));
    EXPECT_EQ(determinant.derive("y").text, "((3)*((2)*(y)))-((0.2)*((0)-(1)))");
}

TEST(Expression, CentredForm)
{
    const interval square = expression("x^2").forme_centre({{"x", interval(1, 3)}});
    EXPECT_NEAR(square.inf(), -2, 1e-12);
    EXPECT_NEAR(square.sup(), 10, 1e-12);
    EXPECT_TRUE(square.contains(-2) && square.contains(10));

    const interval product =
        expression("x*y").forme_centre({{"x", interval(0, 2)}, {"y", interval(1, 3)}});
    EXPECT_TRUE(product.contains(-3) && product.contains(7));
    EXPECT_NEAR(product.inf(), -3, 1e-12);
    EXPECT_NEAR(product.sup(), 7, 1e-12);
}

TEST(Expression, CentredFormEnclosesTheRange)
{
    const expression f("sin(3*x)*y-x^3/(1+y^2)");
    const domain box = {{"x", interval(-0.4, 0.9)}, {"y", interval(0.2, 1.1)}};
    const interval range = f.forme_centre(box);
    for (double x = -0.4; x <= 0.9; x += 0.1)
        for (double y = 0.2; y <= 1.1; y += 0.1)
            EXPECT_TRUE(inside(reference_value(f, {{"x", x}, {"y", y}}), range)) << x << ", " << y;
}

TEST(Expression, CentredFormOfADerivativeSpansTheBox)
{
    const expression slope = expression("x^3-x*y").derive("x");
    ASSERT_TRUE(slope.variables.empty());
    const interval range = slope.forme_centre({{"x", interval(0, 1)}, {"y", interval(0, 1)}});
    EXPECT_TRUE(range.contains(-1) && range.contains(3)) << range;
}

TEST(Expression, WithoutATreeEveryOperationIsSafe)
{
    const parsed empty_text = parse("");
    EXPECT_EQ(empty_text.output, "ERREUR: syntax error\n");
    for (expression e : {expression(), empty_text.e, parse("+").e}) {
        const domain box = {{"x", interval(0, 1)}};
        const std::string output = standard_output_of([&] {
            EXPECT_EQ(e.Evalue(box), interval::ENTIRE());
            EXPECT_EQ(e.forme_centre(box), interval::ENTIRE());
            EXPECT_FALSE((e + expression("x")).has_tree());
            EXPECT_FALSE((expression("x") * e).has_tree());
            EXPECT_FALSE((e - e).has_tree());
            EXPECT_FALSE(e.pow(3).has_tree());
            EXPECT_FALSE(e.derive("x").has_tree());
            EXPECT_FALSE(e.substitute(1.0, "x").has_tree());
            EXPECT_FALSE(e.substitute("y", "x").has_tree());
            EXPECT_FALSE(e.substitue_partial("x").has_tree());
            EXPECT_TRUE(e.simplify());
            e.variables_eq();
            EXPECT_TRUE(e.variables.empty());
            e.Simplify();
            EXPECT_EQ(e.text, "");
        });
        EXPECT_EQ(output, "");
        const std::string file = testing::TempDir() + "empty.dot";
        e.ToDot(file.c_str());
        std::ifstream in(file);
        const std::string dot((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        EXPECT_EQ(dot, "graph G {\n}\n");
    }
}

TEST(Expression, CombinationWhoseTextDoesNotParseWholeHasNoFormula)
{
    // b's text nests past the stack of the program's own texts; the nodes
    // of "(y)-(" parsed before the failure are y alone, and taking them for
    // the difference would drop b silently.
    expression b("x");
    const std::size_t deep = program_text_stack_entries + 10;
    b.text = std::string(deep, '(') + "x" + std::string(deep, ')');
    const expression y("y");
    const std::string output = standard_output_of([&] {
        EXPECT_FALSE((y - b).has_tree());
        EXPECT_FALSE((y * b).has_tree());
        EXPECT_FALSE(b.pow(2).has_tree());
    });
    EXPECT_NE(output.find("memory exhausted"), std::string::npos);
    // A difference of 300 terms, written back with both operands of each
    // difference in parentheses, nests 300 deep: past a statement's stack,
    // well inside the program's.
    std::string chain = "x";
    for (int k = 0; k < 300; ++k) chain += "-y";
    expression long_difference(chain);
    long_difference.ArbreToChaine();
    const expression doubled = long_difference * expression("2");
    ASSERT_TRUE(doubled.has_tree());
    // At (x, y) = (1, 1): 2·(1 − 300) = −598.
    EXPECT_EQ(doubled.Evalue({{"x", interval(1)}, {"y", interval(1)}}), interval(-598));
}

}  // namespace
