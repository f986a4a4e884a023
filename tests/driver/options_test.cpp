#include "options.hpp"

#include "process.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

/// What read_command_line made of one command line.
struct reading {
    command_line_outcome outcome;
    run_options options;
    std::string out;
    std::string err;
};

reading read(const std::vector<std::string>& arguments)
{
    std::vector<const char*> argv{"plisse"};
    for (const std::string& a : arguments) argv.push_back(a.c_str());
    reading r;
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    r.outcome = read_command_line(static_cast<int>(argv.size()), argv.data(), r.options);
    r.out = testing::internal::GetCapturedStdout();
    r.err = testing::internal::GetCapturedStderr();
    return r;
}

/// The problem reported for the component text given as --f1 and as --f2.
std::string component_problem(const std::string& text, bool first = true)
{
    run_options o;
    (first ? o.first_component : o.second_component) = text;
    return input_problem(o);
}

bool mentions(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

TEST(CommandLine, NoOptionIsTheBuiltInRun)
{
    const reading r = read({});
    EXPECT_TRUE(r.outcome.run);
    EXPECT_TRUE(r.out.empty() && r.err.empty());
    EXPECT_TRUE(r.options.window);
    EXPECT_FALSE(r.options.verbose);
    EXPECT_TRUE(r.options.json_file.empty());
    EXPECT_EQ(picture_file(r.options, true), "output/source.tex");
    EXPECT_EQ(picture_file(r.options, false), "output/target.tex");

    const analysis_input built_in = built_in_input();
    const analysis_input read_in = analysis_input_of(r.options);
    EXPECT_EQ(read_in.first_component, built_in.first_component);
    EXPECT_EQ(read_in.second_component, built_in.second_component);
    EXPECT_EQ(read_in.box, built_in.box);
    EXPECT_EQ(read_in.resolution, built_in.resolution);
}

TEST(CommandLine, ReadsEveryOptionWithNegativeBoundsInEveryForm)
{
    const reading r = read({"--f1", "x + 0.3*y", "--f2=y^3+x*y", "--x", "-1,-0.5", "--y=-2.5,-1e-3", "-n", "7",
                            "-o", "pictures", "--no-window", "--json", "results.json", "-v"});
    ASSERT_TRUE(r.outcome.run) << r.err;
    EXPECT_EQ(r.options.first_component, "x + 0.3*y");
    EXPECT_EQ(r.options.second_component, "y^3+x*y");
    EXPECT_EQ(r.options.x_range, std::make_pair(-1.0, -0.5));
    EXPECT_EQ(r.options.y_range, std::make_pair(-2.5, -1e-3));
    EXPECT_EQ(r.options.resolution, 7);
    EXPECT_EQ(picture_file(r.options, false), "pictures/target.tex");
    EXPECT_FALSE(r.options.window);
    EXPECT_EQ(r.options.json_file, "results.json");
    EXPECT_TRUE(r.options.verbose);
    EXPECT_EQ(analysis_input_of(r.options).first_component, "x+0.3*y");

    const reading spaced =
        read({"--x", "-1", "-0.5", "--resolution", "3", "--output-dir", "o", "--verbose", "--strict", "-qq"});
    ASSERT_TRUE(spaced.outcome.run) << spaced.err;
    EXPECT_EQ(spaced.options.x_range, std::make_pair(-1.0, -0.5));
    EXPECT_EQ(spaced.options.resolution, 3);
    EXPECT_EQ(spaced.options.output_dir, "o");
    EXPECT_TRUE(spaced.options.verbose);
    EXPECT_TRUE(spaced.options.strict);
    EXPECT_EQ(spaced.options.quiet, 2);
    EXPECT_FALSE(report_shown(spaced.options));
    // "-" is standard output, which takes the place of the report.
    const reading to_standard_output = read({"--json", "-"});
    ASSERT_TRUE(to_standard_output.outcome.run) << to_standard_output.err;
    EXPECT_FALSE(report_shown(to_standard_output.options));
    EXPECT_TRUE(report_shown(read({}).options));
}

TEST(CommandLine, HelpWithAnExampleAndVersionEndTheRunWithStatusZero)
{
    const reading help = read({"--help"});
    EXPECT_FALSE(help.outcome.run);
    EXPECT_EQ(help.outcome.exit_status, 0);
    for (const char* part : {"--f1", "--f2", "--x", "--y", "--resolution", "--output-dir", "--no-window", "--json",
                             "--verbose", "--quiet", "--strict", "--version", "--plot", "Example", "plisse --f1",
                             "plisse flow --help"}) {
        EXPECT_TRUE(mentions(help.out, part)) << part << " missing from\n" << help.out;
    }
    EXPECT_TRUE(help.err.empty());
    // The help ends with the keys of the window, Escape last.
    const std::vector<std::string> lines = lines_of(help.out);
    const auto keys = std::find(lines.begin(), lines.end(), "Keys of the window:");
    ASSERT_NE(keys, lines.end()) << help.out;
    for (const char* key : {"s / t", "wheel, drag", "i ", "c ", "f ", "h ", "? "})
        EXPECT_TRUE(std::any_of(keys, lines.end(), [&](const std::string& l) { return l.rfind(std::string("  ") + key, 0) == 0; }))
            << key;
    EXPECT_EQ(lines.back().rfind("  Escape", 0), 0u) << lines.back();

    const reading version = read({"--version"});
    EXPECT_FALSE(version.outcome.run);
    EXPECT_EQ(version.outcome.exit_status, 0);
    EXPECT_EQ(version.out, "plisse 3.0\n");
}

TEST(CommandLine, EveryBadCommandLineIsOneMessageAndStatusTwo)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--frobnicate"}, "--frobnicate"},
        {{"stray"}, "stray"},
        {{"--x", "1"}, "--x"},
        {{"--x", "1,2,3"}, "--x"},
        {{"--x", "1,2", "--x", "3,4"}, "--x is given 2 times; give it once"},
        {{"-n", "3", "--resolution", "4"}, "--resolution is given 2 times"},
        {{"--json", "a.json", "--json=b.json"}, "--json is given 2 times"},
        {{"--y", "a,b"}, "--y"},
        {{"-n", "many"}, "--resolution"},
        {{"-n", "99999999999"}, "--resolution"},
        {{"--resolution"}, "--resolution"},
        {{"--json", ""}, "--json"},
        {{"--f1", "x+"}, "--f1"},
        {{"--x", "1,0"}, "--x"},
        {{"-n", "0"}, "--resolution"},
        {{"--plot-size", "8"}, "--plot-size"},
        {{"--plot-size", "2,5"}, "--plot-size: 2 cm is not between 3 and 100 cm"},
        {{"--plot-aspect", "square"}, "--plot-aspect: \"square\" is neither equal nor free"},
    };
    for (const auto& [arguments, option] : cases) {
        const reading r = read(arguments);
        EXPECT_FALSE(r.outcome.run) << arguments[0];
        EXPECT_EQ(r.outcome.exit_status, 2) << arguments[0];
        EXPECT_TRUE(r.out.empty()) << r.out;
        const std::vector<std::string> lines = lines_of(r.err);
        ASSERT_EQ(lines.size(), 1u) << r.err;
        EXPECT_EQ(lines[0].rfind("plisse: ", 0), 0u) << lines[0];
        EXPECT_TRUE(mentions(lines[0], option)) << lines[0];
    }
}

TEST(CommandLine, AUserMapNeedsBothComponentsAndIsToldTheDefaultBoxSidesItGets)
{
    for (const char* given : {"--f1", "--f2"}) {
        const reading r = read({given, "x*y"});
        EXPECT_FALSE(r.outcome.run);
        EXPECT_EQ(r.outcome.exit_status, bad_input_status);
        const std::string other = given == std::string("--f1") ? "--f2" : "--f1";
        EXPECT_EQ(r.err, "plisse: " + std::string(given) + ": a map needs both components; give " + other +
                             " as well\n");
    }
    const reading both = read({"--f1", "x", "--f2", "y*y", "--x", "2,3"});
    EXPECT_TRUE(both.outcome.run);
    EXPECT_EQ(both.err, "plisse: your map is studied over x in [2, 3] and y in [-0.7, 0.61] (the default; choose "
                        "it with --y LO,HI)\n");
    const reading boxed = read({"--f1", "x", "--f2", "y*y", "--x", "2,3", "--y", "5,6"});
    EXPECT_TRUE(boxed.outcome.run);
    EXPECT_EQ(boxed.err, "");
    // Only the box of the built-in map is not a user map's.
    EXPECT_EQ(read({"--x", "2,3"}).err, "");
}

TEST(InputCheck, RefusesComponentTextsThatAreNotCompleteExpressionsOfTheLanguage)
{
    // Each message names the fault's place in the text (counted from 1).
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"", "not a complete expression (syntax error at the end of its 0 characters)"},
        {"x+", "not a complete expression (syntax error at the end of its 2 characters)"},
        {"2x", "not a complete expression (syntax error at character 2 of 2"},
        {"x y", "not a complete expression (syntax error at character 3 of 3"},
        {"2 3", "not a complete expression (syntax error at character 3 of 3"},
        // The parser stops at the token it cannot take: y after the statement
        // "x;", and the terminator the check appends after "x+y;".
        {"x;y", "not a complete expression (syntax error at character 3 of 3)"},
        {"x+y;", "not a complete expression (syntax error at the end of its 4 characters)"},
        {"sIn(x)", "not a complete expression (syntax error at character 4 of 6"},
        {"x+y$", "holds '$' at character 4 of 4, which is not part of the expression language"},
        {"x,y", "holds ',' at character 2 of 3"},
        {"5.", "holds '.' at character 2 of 2"},
        {"x\xc3\x97y", "holds the byte 0xc3 at character 2 of 4"},
    };
    for (const auto& [text, problem] : cases) {
        const std::string found = component_problem(text);
        // The text is quoted with its bytes that do not print shown as '?'.
        std::string shown = text;
        std::replace_if(shown.begin(), shown.end(), [](unsigned char c) { return c >= 0x80; }, '?');
        EXPECT_EQ(found.rfind("--f1: \"" + shown + "\" ", 0), 0u) << found;
        EXPECT_TRUE(mentions(found, problem)) << text << ": " << found;
    }
    // The parse writes nothing while checking.
    testing::internal::CaptureStdout();
    component_problem("x y$");
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST(InputCheck, MessagesQuoteAShortExcerptAroundTheFaultAndHintAtCommonSlips)
{
    const std::vector<std::pair<std::string, std::string>> hints = {
        {"x**2", "at character 3 of 4; write x^2 for a power, not x**2"},
        {"3*y+2x", "at character 6 of 6; write 2*x for a product, not 2x"},
        {"log(x)+y", "at character 4 of 8; \"log\" is not a function of the language, which knows sin, cos"},
        {"log(x)", "write ln for the natural logarithm"},
        {"(x+1)(y-1)", "at character 6 of 10; a product needs its *: write x*y, not x y"},
        {"sin(x)+COs(y)", "\"COs\" is not a function of the language"},
    };
    for (const auto& [text, hint] : hints) {
        const std::string found = component_problem(text);
        EXPECT_TRUE(mentions(found, hint)) << text << ": " << found;
    }
    // A 100 kB nesting: the message quotes 80 characters around the fault
    // (the 200th parenthesis, where the parse stack is full), not the text.
    const std::string deep = std::string(50000, '(') + "x" + std::string(50000, ')');
    const std::string found = component_problem(deep);
    EXPECT_TRUE(mentions(found, "nested too deeply at character 19")) << found.substr(0, 300);
    EXPECT_TRUE(mentions(found, " of 100001)")) << found.substr(0, 300);
    EXPECT_TRUE(mentions(found, "\"…" + std::string(80, '(') + "…\"")) << found.substr(0, 300);
    EXPECT_LT(found.size(), 200u);
    // A megabyte name: quoted shortened as well.
    const std::string long_name(1 << 20, 'z');
    EXPECT_LT(component_problem("x+" + long_name).size(), 300u);
}

TEST(InputCheck, RefusesWhatTheAnalysisCannotEvaluateSoundly)
{
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x+z", "uses the variable z; the components are functions of x and y only"},
        {"sin2", "uses the variable sin2"},
        {"X*y", "uses the variable X"},
        {"partial_x", "partial-derivative operator"},
        {"x*partial_y+y*partial_x", "partial-derivative operator"},
        {"x^y", "raises to a power that is not constant"},
        {"2^(x+1)", "raises to a power that is not constant"},
        {"x^2.5", "raises to the power 2.5, which is not an integer"},
        {"x^(1/3)", "not an integer"},
        {"x^(2^0.5)", "raises to the power 0.5"},
        {"x^ln(0-1)", "not an integer"},
        {"x^1001", "raises to the power 1001; exponents are limited to ±1000"},
        {"y^-5000", "raises to the power -5000"},
    };
    for (const auto& [text, problem] : cases) {
        const std::string found = component_problem(text, false);
        EXPECT_EQ(found.rfind("--f2: \"" + text + "\" ", 0), 0u) << found;
        EXPECT_TRUE(mentions(found, problem)) << text << ": " << found;
    }
}

TEST(InputCheck, AcceptsSoundComponentsWithBlanksBetweenTokens)
{
    for (const char* text : {"x + 0.2 * y", " x\t+\ny ", "x^-2", "x^(1+1)", "y^1000", "(x*y)^0", "sin(x)*exp(y)",
                             "sqrt(x) - ln(y)", "tan(x)+atan(y)+sqr(x)+cosh(y)-sinh(x)", "-x^2", "1e-3*x",
                             "SIN(x)+Cos(y)", "3"}) {
        EXPECT_EQ(component_problem(text), "") << text;
    }
    EXPECT_EQ(without_blanks(" x\t+ 0.2 *\ny "), "x+0.2*y");
}

TEST(InputCheck, RefusesBoxesWhoseSidesAreNotFiniteIncreasingAndWideEnoughToCut)
{
    const double inf = std::numeric_limits<double>::infinity();
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const std::vector<std::pair<std::pair<double, double>, std::string>> cases = {
        {{1, 0}, "the lower bound 1 is not below the upper bound 0"},
        {{0.5, 0.5}, "the lower bound 0.5 is not below the upper bound 0.5"},
        {{nan, 1}, "must be finite numbers"},
        {{-inf, 1}, "must be finite numbers"},
        {{0, inf}, "must be finite numbers"},
        {{-1e308, 1e308}, "too large to be a number"},
        {{1, 1.0000000000000002}, "[1, 1.0000000000000002] is too narrow to be cut into 25 cells"},
    };
    for (const auto& [range, problem] : cases) {
        run_options o;
        o.y_range = range;
        const std::string found = input_problem(o);
        EXPECT_EQ(found.rfind("--y: ", 0), 0u) << found;
        EXPECT_TRUE(mentions(found, problem)) << found;
    }
    run_options tiny;
    tiny.x_range = {1, 1 + 1e-12};
    EXPECT_EQ(input_problem(tiny), "");
}

TEST(InputCheck, RefusesResolutionsBelowOneOrBeyondTheMachinesMemory)
{
    run_options o;
    for (const int n : {0, -3}) {
        o.resolution = n;
        EXPECT_EQ(input_problem(o), "--resolution: " + std::to_string(n) + " is below 1");
    }
    // 10^5 cells per side are 10^10 cells: at a kilobyte each, some 10^13 bytes.
    o.resolution = 100000;
    const std::string found = input_problem(o);
    EXPECT_EQ(found.rfind("--resolution: 100000 cells per side need about ", 0), 0u) << found;
    EXPECT_TRUE(mentions(found, "this machine has")) << found;
    // 1000 cells per side, 10^6 cells, fit in a few gigabytes.
    for (const int n : {1, 2, 60, 1000}) {
        o.resolution = n;
        EXPECT_EQ(input_problem(o), "") << n;
    }
    // Beyond 1000 the pictures and lists take longer than any time limit covers.
    o.resolution = 1001;
    EXPECT_EQ(input_problem(o).rfind("--resolution: 1001 is above 1000", 0), 0u) << input_problem(o);
}

TEST(InputCheck, RefusesAResultsFileThatCannotBeWritten)
{
    scratch_folder folder;
    std::ofstream(folder.file("plain")) << "a file";
    run_options o;
    o.json_file = folder.path().string();
    EXPECT_EQ(input_problem(o), "--json: \"" + o.json_file + "\" is a folder");
    o.json_file = folder.file("plain") + "/results.json";
    EXPECT_EQ(input_problem(o), "--json: \"" + folder.file("plain") + "\" is not a folder");
    // Missing folders are made when the file is written.
    o.json_file = folder.file("new/deeper/results.json");
    EXPECT_EQ(input_problem(o), "");
    o.json_file = folder.file("plain");
    EXPECT_EQ(input_problem(o), "");
    // Checking writes nothing.
    EXPECT_FALSE(std::filesystem::exists(folder.file("new")));
    EXPECT_EQ(file_contents(folder.file("plain")), "a file");
}

}  // namespace
