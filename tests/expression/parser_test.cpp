// The expression language: tokens, precedences, node order, messages.

#include "tree_testing.hpp"

#include <cstring>

namespace {

std::string tree_of(const std::string& text)
{
    return shape(parse(text).e.tree);
}

const std::string syntax_error = "ERREUR: syntax error\n";
const std::string memory_exhausted = "ERREUR: memory exhausted\n";

TEST(Parser, MapComponentsGiveTheirNodeVectors)
{
    EXPECT_EQ(tree_of("x+0.2*y"), "0:Vx 1:r0.2 2:Vy 3:*(1,2) 4:+(0,3)");
    EXPECT_EQ(tree_of("y^3-x*y"), "0:Vy 1:r3 2:P(0,1) 3:Vx 4:Vy 5:*(3,4) 6:-(2,5)");
}

TEST(Parser, LeavesCarryValueAndBothNames)
{
    const expression e("abc+12.5e-1");
    ASSERT_EQ(e.tree.size(), 3u);
    EXPECT_EQ(e.tree[0].name, "abc");
    EXPECT_STREQ(e.tree[0].short_name, "abc");
    EXPECT_EQ(e.tree[1].value, 1.25);
    EXPECT_EQ(e.tree[2].left, 0);
    EXPECT_EQ(e.tree[2].right, 1);
}

TEST(Parser, LongIdentifierKeepsFullNameAndTruncatedShortName)
{
    const std::string name = "abcdefghijklmnopqrstuvwxyz";
    const expression e(name);
    ASSERT_EQ(e.tree.size(), 1u);
    EXPECT_EQ(e.tree[0].name, name);
    EXPECT_EQ(std::string(e.tree[0].short_name), name.substr(0, 19));
}

TEST(Parser, PrecedenceAndAssociativity)
{
    EXPECT_EQ(tree_of("-x^2"), "0:Vx 1:N(0) 2:r2 3:P(1,2)");
    EXPECT_EQ(tree_of("2^3^2"), "0:r2 1:r3 2:P(0,1) 3:r2 4:P(2,3)");
    EXPECT_EQ(tree_of("a-b-c"), "0:Va 1:Vb 2:-(0,1) 3:Vc 4:-(2,3)");
    EXPECT_EQ(tree_of("a/b*c"), "0:Va 1:Vb 2:/(0,1) 3:Vc 4:*(2,3)");
    EXPECT_EQ(tree_of("a-b*c"), "0:Va 1:Vb 2:Vc 3:*(1,2) 4:-(0,3)");
    EXPECT_EQ(tree_of("a*b^c"), "0:Va 1:Vb 2:Vc 3:P(1,2) 4:*(0,3)");
    EXPECT_EQ(tree_of("2*-x"), "0:r2 1:Vx 2:N(1) 3:*(0,2)");
    EXPECT_EQ(tree_of("x^-2"), "0:Vx 1:r2 2:N(1) 3:P(0,2)");
    EXPECT_EQ(tree_of("-x*y"), "0:Vx 1:N(0) 2:Vy 3:*(1,2)");
    EXPECT_EQ(tree_of("(a+b)*c"), "0:Va 1:Vb 2:+(0,1) 3:Vc 4:*(2,3)");
    EXPECT_EQ(tree_of("sin(x)^2"), "0:Vx 1:S(0) 2:r2 3:P(1,2)");
}

TEST(Parser, FunctionNamesInThreeCasings)
{
    const std::vector<std::pair<std::string, char>> functions = {
        {"sin", 'S'}, {"cos", 'C'}, {"cosh", 'h'}, {"sinh", 'i'}, {"tan", 'T'},
        {"atan", 'A'}, {"exp", 'E'}, {"ln", 'L'}, {"sqrt", 'R'}, {"sqr", '2'}};
    for (const auto& [name, kind] : functions) {
        std::string capitalised = name, capitals = name;
        capitalised[0] = static_cast<char>(std::toupper(name[0]));
        for (char& c : capitals) c = static_cast<char>(std::toupper(c));
        const std::string expected = std::string("0:Vx 1:") + kind + "(0)";
        for (const std::string& spelling : {name, capitalised, capitals}) {
            const parsed p = parse(spelling + "(x)");
            EXPECT_EQ(shape(p.e.tree), expected) << spelling;
            EXPECT_EQ(p.output, "") << spelling;
        }
    }
    const parsed mixed = parse("sIn(x)");
    EXPECT_EQ(mixed.output, syntax_error);
    EXPECT_EQ(shape(mixed.e.tree), "0:VsIn");
}

TEST(Parser, ScannerOddCases)
{
    const parsed two_x = parse("2x");
    EXPECT_EQ(shape(two_x.e.tree), "0:r2");
    EXPECT_EQ(two_x.output, syntax_error);

    const parsed trailing_point = parse("5.");
    EXPECT_EQ(shape(trailing_point.e.tree), "0:r5");
    EXPECT_EQ(trailing_point.output, ".");

    const parsed leading_point = parse(".5");
    EXPECT_EQ(shape(leading_point.e.tree), "0:r5");
    EXPECT_EQ(leading_point.output, ".");

    const parsed point_exponent = parse("1.e5");
    EXPECT_EQ(shape(point_exponent.e.tree), "0:r1");
    EXPECT_EQ(point_exponent.output, "." + syntax_error);

    const parsed underscore = parse("p_x");
    EXPECT_EQ(shape(underscore.e.tree), "0:Vp");
    EXPECT_EQ(underscore.output, syntax_error);

    EXPECT_EQ(tree_of("sin2"), "0:Vsin2");
    EXPECT_EQ(tree_of("sqrtx"), "0:Vsqrtx");
    EXPECT_EQ(tree_of("partialx"), "0:Vpartialx");
    EXPECT_EQ(tree_of("2.5E+2*1e-3"), "0:r250 1:r0.001 2:*(0,1)");
}

TEST(Parser, CharactersOutsideTheTokensAreEchoed)
{
    const parsed blanks = parse("x \t+\ny");
    EXPECT_EQ(blanks.output, " \t\n");
    EXPECT_EQ(shape(blanks.e.tree), "0:Vx 1:Vy 2:+(0,1)");

    const parsed blank_between = parse("x y");
    EXPECT_EQ(blank_between.output, " " + syntax_error);
    EXPECT_EQ(shape(blank_between.e.tree), "0:Vx");

    const parsed odd_bytes = parse("x,\xe9$+1");
    EXPECT_EQ(odd_bytes.output, ",\xe9$");
    EXPECT_EQ(shape(odd_bytes.e.tree), "0:Vx 1:r1 2:+(0,1)");

    const std::string with_zero_byte("x\0+1", 4);
    const parsed zero = parse(with_zero_byte);
    EXPECT_EQ(zero.output, std::string(1, '\0'));
    EXPECT_EQ(shape(zero.e.tree), "0:Vx 1:r1 2:+(0,1)");
}

TEST(Parser, SyntaxErrorsKeepTheNodesBuiltSoFar)
{
    const parsed semicolon = parse("x;");
    EXPECT_EQ(semicolon.output, syntax_error);
    EXPECT_EQ(shape(semicolon.e.tree), "0:Vx");

    const parsed empty = parse("");
    EXPECT_EQ(empty.output, syntax_error);
    EXPECT_TRUE(empty.e.tree.empty());

    const parsed unfinished = parse("x*(y+");
    EXPECT_EQ(unfinished.output, syntax_error);
    EXPECT_EQ(shape(unfinished.e.tree), "0:Vx 1:Vy");

    const parsed after_sum = parse("x+y)");
    EXPECT_EQ(after_sum.output, syntax_error);
    EXPECT_EQ(shape(after_sum.e.tree), "0:Vx 1:Vy 2:+(0,1)");
}

std::string nested(const std::string& open, int depth, const std::string& inner)
{
    std::string text;
    for (int i = 0; i < depth; ++i) text += open;
    text += inner;
    return text + std::string(depth, ')');
}

TEST(Parser, DeepNestingExhaustsTheFixedStack)
{
    EXPECT_EQ(parse(nested("(", 190, "x")).output, "");
    const parsed parentheses = parse(nested("(", 210, "x"));
    EXPECT_EQ(parentheses.output, memory_exhausted);
    EXPECT_TRUE(parentheses.e.tree.empty());

    const parsed calls = parse(nested("sin(", 90, "x"));
    EXPECT_EQ(calls.output, "");
    EXPECT_EQ(calls.e.tree.size(), 91u);
    EXPECT_EQ(parse(nested("sin(", 105, "x")).output, memory_exhausted);
}

TEST(Parser, EachParseStartsFromACleanScanner)
{
    EXPECT_EQ(parse("x y+1").output, " " + syntax_error);
    const parsed next = parse("z");
    EXPECT_EQ(next.output, "");
    EXPECT_EQ(shape(next.e.tree), "0:Vz");

    EXPECT_EQ(parse(nested("(", 250, "x")).output, memory_exhausted);
    EXPECT_EQ(tree_of("a-1"), "0:Va 1:r1 2:-(0,1)");
}

TEST(Parser, OperatorForms)
{
    EXPECT_EQ(tree_of("partial_x"), "0:px");
    EXPECT_EQ(tree_of("x*partial_y+y*partial_x"),
              "0:Vx 1:py 2:*(0,1) 3:Vy 4:px 5:*(3,4) 6:+(2,5)");
    EXPECT_EQ(tree_of("(x+y)*partial_x"), "0:Vx 1:Vy 2:+(0,1) 3:px 4:*(2,3)");
    EXPECT_EQ(tree_of("-x^2*partial_y"), "0:Vx 1:N(0) 2:r2 3:P(1,2) 4:py 5:*(3,4)");
    EXPECT_EQ(tree_of("partial_x+partial_y+partial_z"), "0:px 1:py 2:+(0,1) 3:pz 4:+(2,3)");

    for (const char* refused : {"x+y*partial_x", "(partial_x)", "sin(partial_x)", "partial_x+x",
                                "partial_x*x", "x-partial_y", "partial x"})
        EXPECT_NE(parse(refused).output.find(syntax_error), std::string::npos) << refused;
}

}  // namespace

namespace {

TEST(TreeDepth, CountsNestingAsTheTextNestsNotTheLengthOfChains)
{
    // By hand: x+y+z is ((x+y)+z), whose inner sum chains on the left: 2.
    // x+(y+z) and -(-(x)) nest their right operand or argument: 3.
    // (x+y)^2 parenthesises its base sum: base 2 + 1, over the leaf 2: 3.
    const std::vector<std::pair<std::string, int>> cases = {
        {"x", 1}, {"x+y+z", 2}, {"x+(y+z)", 3}, {"--x", 3}, {"(x+y)^2", 3}, {"x*y+x*y+x*y+x*y", 3}};
    for (const auto& [text, depth] : cases) {
        parse_quietly(text + ";");
        EXPECT_EQ(tree_depth(arbre_de_node), depth) << text;
    }
    std::string long_sum = "x*y";
    for (int k = 0; k < 1999; ++k) long_sum += "+x*y";
    parse_quietly(long_sum + ";");
    EXPECT_EQ(tree_depth(arbre_de_node), 3);
    EXPECT_EQ(tree_depth({}), 0);
}

}  // namespace
