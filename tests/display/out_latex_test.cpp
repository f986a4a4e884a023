#include "grille.hpp"
#include "out_latex.hpp"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

std::string read_file(const std::string& name)
{
    std::ifstream is(name, std::ios::binary);
    std::ostringstream contents;
    contents << is.rdbuf();
    return contents.str();
}

/// A scratch file name unique to this process, removed at the end of the test.
class LatexDocument : public ::testing::Test {
protected:
    std::string file = ::testing::TempDir() + "plisse_latex_" + std::to_string(getpid()) + ".tex";
    void TearDown() override { std::remove(file.c_str()); }

    /// Compares the written document with the golden file, line by line with the first difference shown.
    void expect_golden(const std::string& golden)
    {
        const std::string expected = read_file(std::string(PLISSE_TEST_DATA) + "/" + golden);
        ASSERT_FALSE(expected.empty()) << "missing golden file " << golden;
        const std::string actual = read_file(file);
        if (actual == expected)
            return;
        std::istringstream a(actual);
        std::istringstream e(expected);
        std::string la;
        std::string le;
        for (int line = 1;; line++) {
            const bool more_a = static_cast<bool>(std::getline(a, la));
            const bool more_e = static_cast<bool>(std::getline(e, le));
            if (!more_a && !more_e)
                break;
            if (la != le || more_a != more_e) {
                ADD_FAILURE() << golden << " differs at line " << line << ":\n  expected: \"" << le
                              << "\"\n  actual:   \"" << la << "\"";
                return;
            }
        }
        ADD_FAILURE() << golden << " differs only in its final line end";
    }
};

TEST_F(LatexDocument, FrameAloneIsThePreambleAndTheEnd)
{
    out_latex o;
    o.file_name = file;
    ASSERT_TRUE(o.initialise());
    ASSERT_TRUE(o.fin());
    expect_golden("frame.tex");
    const std::string text = read_file(file);
    EXPECT_NE(text.find("  \\begin{pspicture}(-3,3)(-3,3) \\psset{unit=3cm} \n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "\\end{document} ");
}

TEST_F(LatexDocument, InitialiseTruncatesAnEarlierDocument)
{
    out_latex o;
    o.file_name = file;
    ASSERT_TRUE(o.initialise());
    ASSERT_TRUE(o.fin());
    ASSERT_TRUE(o.initialise());
    ASSERT_TRUE(o.fin());
    expect_golden("frame.tex");
}

TEST_F(LatexDocument, GridWithoutSegmentsHoldsOnlyTheFrame)
{
    ASSERT_TRUE(grille().dessine_latex(file));
    expect_golden("frame.tex");
}

TEST_F(LatexDocument, GridSegmentsAreFixedEightDecimalsShiftedDownOneUnit)
{
    ASSERT_TRUE(grille(0, 0, 1, 1, 2).dessine_latex(file));
    expect_golden("unit_grid.tex");
    const std::string text = read_file(file);
    EXPECT_NE(text.find("\\newrgbcolor{la}{0.00000000 0.00000000 1.00000000}\n"
                        "\\psline[linewidth=0.01, linecolor=la]{-}(0.00000000,-1.00000000)(0.00000000,-0.50000000)\n\n"),
              std::string::npos);
}

TEST_F(LatexDocument, NegativeAndUnevenCoordinatesKeepEightDecimals)
{
    ASSERT_TRUE(grille(-0.2, -0.7, 0.33, 0.61, 1).dessine_latex(file));
    expect_golden("driver_box_grid.tex");
}

TEST_F(LatexDocument, BoxOutlineRunsRoundFromTheLowerCornerInDefaultFormat)
{
    out_latex o;
    o.file_name = file;
    ASSERT_TRUE(o.initialise());
    domain box;
    box["x"] = interval(0, 0.5);
    box["y"] = interval(1, 2);
    box.latex(o, "red");
    domain driver_box;
    driver_box["x"] = interval(-0.2, 0.33);
    driver_box["y"] = interval(-0.7, 0.61);
    driver_box.latex(o, "blue");
    ASSERT_TRUE(o.fin());
    expect_golden("box_outline.tex");
}

TEST(LatexFailure, UnwritableFileIsReported)
{
    const std::string file = ::testing::TempDir() + "plisse_no_such_folder/picture.tex";
    out_latex o;
    o.file_name = file;
    EXPECT_FALSE(o.initialise());
    EXPECT_FALSE(o.fin());
    EXPECT_FALSE(grille(0, 0, 1, 1, 2).dessine_latex(file));
    domain box;
    box["x"] = interval(0, 1);
    box["y"] = interval(0, 1);
    box.latex(o, "red");  // Lost silently, as the document was never opened.
    EXPECT_TRUE(read_file(file).empty());
}

}  // namespace
