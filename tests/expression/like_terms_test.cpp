// Collection of like terms by the simplifier: the collected texts, the shared
// nodes, exact coefficients only, and the same values as the sums collected.

#include "tree_testing.hpp"

#include <random>

namespace {

std::string simplified(const std::string& text)
{
    expression e(text);
    e.Simplify();
    return e.text;
}

/// Term texts with, in a comment, how their collection reads by hand.
TEST(LikeTerms, EqualProductsBecomeOneTermWithTheSummedFactor)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        // 1 + 1 = 2 times the product x*y, printed "(x)*(y)".
        {"x*y+x*y", "(2)*((x)*(y))"},
        // (3*x)*y has the factor 3 and the product x*y; 3 - 1 = 2.
        {"3*x*y-x*y", "(2)*((x)*(y))"},
        {"x+x", "(2)*(x)"},
        // Factors in another order are the same product; the first order stays.
        {"y*x+x*y", "(2)*((y)*(x))"},
        // -1 - 1 = -2: a leading negative term is a negation.
        {"-x-x", "(-((2)*(x)))"},
        // 2 - 3 = -1: the factor 1 is not written.
        {"2*x-3*x", "(-(x))"},
        // x*(-y) is -1 times x*y: the terms cancel.
        {"x*(-y)+x*y", "0"},
        {"x-x+y", "y"},
        // The like terms gather at the place of the first one.
        {"x+y+x-y+y", "(2)*(x)+y"},
        // The inner sum first: sin(2*x) twice.
        {"sin(x+x)+sin(2*x)", "(2)*(sin((2)*(x)))"},
        {"(x+x)*y", "((2)*(x))*(y)"},
        // A collected exponent 1+y-y is 1, and x^1 is x: then x + x.
        {"x^(1+y-y)+x", "(2)*(x)"},
    };
    for (const auto& [text, result] : cases)
        EXPECT_EQ(simplified(text), result) << text;
}

TEST(LikeTerms, TermsWithoutAVariableAndUnlikeTermsStay)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"1+1", "1+1"},
        {"2*3+x", "(2)*(3)+x"},
        {"(0)-(1)", "(0)-(1)"},
        // Only x is collected; the constants keep their places after it.
        {"x+1+x+1", "(2)*(x)+1+1"},
        {"x*y+x*x", "(x)*(y)+(x)*(x)"},
        {"x^2+x^3", "(x)^(2)+(x)^(3)"},
    };
    for (const auto& [text, result] : cases)
        EXPECT_EQ(simplified(text), result) << text;
}

TEST(LikeTerms, CoefficientsAreSummedOnlyWhenTheSumIsExact)
{
    // 0.1 = 3602879701896397/2^55 and 0.2 = 3602879701896397/2^54: their
    // sum 10808639105689191/2^55 has an odd numerator above 2^53, so it is
    // not a double and the terms stay apart. 0.2 + 0.3 = (3602879701896397 +
    // 5404319552844595)/2^54 = 2^53/2^54 = 0.5 exactly, and 0.5 + 0.25 = 0.75.
    EXPECT_EQ(simplified("0.1*x+0.2*x"), "(0.1)*(x)+(0.2)*(x)");
    EXPECT_EQ(simplified("0.1*x+0.2*x+0.3*x"), "(0.1)*(x)+(0.5)*(x)");
    EXPECT_EQ(simplified("0.5*x+0.25*x"), "(0.75)*(x)");
    // 0.1 * 0.3 is not a double: 0.3 stays a factor of the first term, whose
    // product 0.3·x is then unlike the x of the second term.
    EXPECT_EQ(simplified("0.1*0.3*x+0.3*x"), "((0.1)*(0.3))*(x)+(0.3)*(x)");
    // 1e308 + 1e308 is beyond the largest double: no sum.
    EXPECT_EQ(simplified("1e308*x+1e308*x"), "(1e+308)*(x)+(1e+308)*(x)");
}

TEST(LikeTerms, CancelledTermsKeepTheirDomain)
{
    // ln(x) - ln(x) is not defined for x <= 0: the terms stay.
    EXPECT_EQ(simplified("ln(x)-ln(x)+y+y"), "(ln(x))-(ln(x))+(2)*(y)");
    EXPECT_EQ(simplified("x/y-x/y"), "((x)/(y))-((x)/(y))");
    EXPECT_EQ(simplified("x^2-x^2"), "0");
}

TEST(LikeTerms, EqualSubtreesBecomeOneNode)
{
    expression e("sin(x)*y+sin(x)*y+sin(x)");
    e.Simplify();
    // (2)*(sin(x)*y) + sin(x), the node sin(x) written once.
    EXPECT_EQ(shape(e.tree), "0:r2 1:Vx 2:S(1) 3:Vy 4:*(2,3) 5:*(0,4) 6:+(5,2)");
    EXPECT_EQ(e.text, "(2)*((sin(x))*(y))+sin(x)");
}

TEST(LikeTerms, TreesWithoutLikeTermsOrWithOperatorsAreLeftAsTheyAre)
{
    // The simplification rules leave the unreachable node x of x*1 in place.
    expression e("x*1+y");
    e.Simplify();
    EXPECT_EQ(shape(e.tree), "0:Vx 1:r1 2:Vx 3:Vy 4:+(2,3)");
    expression op("x*partial_y+x*partial_y");
    op.Simplify();
    EXPECT_EQ(op.text, "(x)*partial_y+(x)*partial_y");
}

TEST(LikeTerms, CollectedTextsParseBackToThemselves)
{
    for (const char* text : {"x*y+x*y", "-x-x", "sin(x)*y+sin(x)*y+sin(x)", "ln(x)-ln(x)+y+y", "x+1+x+1"}) {
        const std::string once = simplified(text);
        EXPECT_EQ(simplified(once), once) << text;
    }
}

TEST(LikeTerms, DerivativesOfLongSumsAreCollected)
{
    std::string sum = "x*y";
    for (int k = 1; k < 500; ++k) sum += "+x*y";
    const expression f(sum);
    // d(x*y)/dx = 1*y + x*0 = y, 500 times; d/dy gives x likewise.
    EXPECT_EQ(f.derive("x").text, "(500)*(y)");
    EXPECT_EQ(f.derive("y").text, "(500)*(x)");
    EXPECT_EQ((f - f).text, "0");
    EXPECT_EQ((f * expression("2")).text, "((500)*((x)*(y)))*(2)");
}

/// Random sums of a few products with random signs and factors.
class like_sum_generator {
public:
    explicit like_sum_generator(unsigned s) : rng_(s) {}

    std::string sum(int terms)
    {
        std::string text = term();
        for (int k = 1; k < terms; ++k) text += (pick(2) ? "+" : "-") + term();
        return text;
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }

    std::string term()
    {
        static const char* const products[] = {"x*y", "y*x", "sin(x)", "(x+y)*exp(y)", "x", "sqrt(x)*y", "x^2"};
        static const char* const factors[] = {"2", "0.1", "0.3", "0.5", "3", "1e-3", "0.1234567891", "(-1)"};
        const std::string product = products[pick(7)];
        switch (pick(4)) {
        case 0: return product;
        case 1: return factors[pick(8)] + std::string("*") + product;
        case 2: return product + "*" + factors[pick(8)];
        default: return "-" + product;
        }
    }

    std::mt19937 rng_;
};

TEST(LikeTerms, CollectedSumsEncloseTheValuesOfTheSumsAsWritten)
{
    const unsigned seed = 20261209;
    like_sum_generator generator(seed);
    std::mt19937 rng(seed + 1);
    std::uniform_real_distribution<double> coordinate(0.05, 1.5);
    int shorter = 0;
    for (int k = 0; k < 300; ++k) {
        const std::string text = generator.sum(2 + k % 12);
        const expression written(text);
        expression collected = written;
        collected.Simplify();
        const expression reparsed(collected.text);
        shorter += collected.text.size() < Arbre2Chaine(written.tree, written.root()).size();
        for (int j = 0; j < 4; ++j) {
            const point p = {{"x", coordinate(rng)}, {"y", coordinate(rng) - 0.7}};
            // The reference is the sum as written, evaluated in high precision.
            const mpfr_real reference = reference_value(written, p);
            const std::string context = "seed " + std::to_string(seed) + " case " + std::to_string(k) + " " + text;
            EXPECT_TRUE(inside(reference, collected.Evalue(point_box(p)))) << context << " -> " << collected.text;
            EXPECT_TRUE(inside(reference, reparsed.Evalue(point_box(p)))) << context << " reparsed";
        }
    }
    EXPECT_GT(shorter, 150);
}

}  // namespace
