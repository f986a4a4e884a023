// "plisse flow" run from end to end: the enclosure it prints, the file of the
// enclosures along the way, and the inputs it refuses.

#include "process.hpp"

#include "interval.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <cstdlib>
#include <regex>

namespace {

using nlohmann::json;
namespace fs = std::filesystem;

/// The rotation x' = y, y' = -x from the box of width 1e-3 around (1, 0) to t = 1.
const std::vector<std::string> rotation_run = {"flow", "--field", "y, -x", "--x", "0.9995,1.0005",
                                               "--y", "-0.0005,0.0005", "--time", "1"};

/// The interval of a printed line "name: [lo, hi]", or nothing when the line is not one.
std::optional<interval> printed_interval(const std::string& line, const std::string& name)
{
    std::smatch m;
    if (!std::regex_match(line, m, std::regex(name + ": \\[([^,]+), ([^\\]]+)\\]"))) return std::nullopt;
    return interval(std::strtod(m[1].str().c_str(), nullptr), std::strtod(m[2].str().c_str(), nullptr));
}

interval json_interval(const json& pair) { return interval(pair[0].get<double>(), pair[1].get<double>()); }

} // namespace

TEST(FlowCommand, PrintsTheEnclosureAtTheHorizon)
{
    scratch_folder folder;
    const program_run r = run_program(folder.path(), rotation_run);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_EQ(lines[0], "t: [1, 1]");
    const std::optional<interval> x = printed_interval(lines[1], "x");
    const std::optional<interval> y = printed_interval(lines[2], "y");
    ASSERT_TRUE(x && y) << r.out;
    // From the centre (1, 0) the rotation reaches (cos 1, -sin 1), inside the
    // turned box; the box of side 1e-3 turned by 1 radian spans
    // 1e-3 (cos 1 + sin 1) = 1.38e-3 in each direction.
    EXPECT_TRUE(subset(cos(interval(1.0)), *x)) << lines[1];
    EXPECT_TRUE(subset(-sin(interval(1.0)), *y)) << lines[2];
    for (const interval& I : {*x, *y}) {
        EXPECT_GE(I.diam(), 1.38e-3);
        EXPECT_LE(I.diam(), 1.4e-3);
    }
}

TEST(FlowCommand, JsonFileHoldsTheEnclosuresAlongTheWay)
{
    scratch_folder folder;
    std::vector<std::string> arguments = rotation_run;
    arguments.insert(arguments.end(), {"--json", "flow/rotation.json", "--order", "12"});
    const program_run r = run_program(folder.path(), arguments);
    ASSERT_EQ(r.status, 0) << r.err;
    const json document = json::parse(file_contents(folder.path() / "flow/rotation.json"));
    EXPECT_EQ(document["reached"], true);
    EXPECT_EQ(document["order"], 12);
    const json& enclosures = document["enclosures"];
    ASSERT_GE(enclosures.size(), 2u);
    EXPECT_EQ(json_interval(enclosures.front()["t"]), interval(0.0));
    EXPECT_EQ(json_interval(enclosures.front()["box"]["x"]), interval(0.9995, 1.0005));
    EXPECT_EQ(json_interval(enclosures.front()["box"]["y"]), interval(-0.0005, 0.0005));
    double previous = -1.0;
    for (const json& e : enclosures) {
        const interval t = json_interval(e["t"]);
        EXPECT_GT(t.inf(), previous);
        previous = t.sup();
        // The centre's trajectory (cos t, -sin t) lies in every box.
        EXPECT_TRUE(subset(cos(t), json_interval(e["box"]["x"])) && subset(-sin(t), json_interval(e["box"]["y"])))
            << e.dump();
    }
    // The last one is the printed one, at T.
    const std::vector<std::string> lines = lines_of(r.out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(json_interval(enclosures.back()["t"]), interval(1.0));
    EXPECT_EQ(printed_interval(lines[1], "x"), json_interval(enclosures.back()["box"]["x"]));
    EXPECT_EQ(printed_interval(lines[2], "y"), json_interval(enclosures.back()["box"]["y"]));
}

TEST(FlowCommand, BlowUpEndsWithStatusOneAndSaysWhere)
{
    // x' = x^2 from x = 1: x = 1/(1 - t), no solution at t = 1.
    scratch_folder folder;
    const program_run r = run_program(
        folder.path(), {"flow", "--field", "x^2,0", "--x", "1,1", "--y", "0,0", "--time", "2", "--json", "b.json"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, "");
    const std::vector<std::string> lines = lines_of(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_NE(lines[0].find("blow up"), std::string::npos) << lines[0];
    const json document = json::parse(file_contents(folder.path() / "b.json"));
    EXPECT_EQ(document["reached"], false);
    EXPECT_EQ(document["message"].get<std::string>().find("stopped at t = "), 0u);
    for (const json& e : document["enclosures"]) {
        const interval t = json_interval(e["t"]);
        ASSERT_LT(t.sup(), 1.0);
        EXPECT_TRUE(subset(interval(1.0) / (interval(1.0) - t), json_interval(e["box"]["x"]))) << e.dump();
    }
}

TEST(FlowCommand, TellsAnEnclosureGrownTooWideFromASuspectedBlowUp)
{
    // Van der Pol from a box 0.1 wide around (2, 0): the flow stretches the
    // box along the limit cycle until no step validates over it, while the
    // solutions themselves stay bounded.
    scratch_folder folder;
    const program_run r = run_program(
        folder.path(), {"flow", "--field", "y,(1-x^2)*y-x", "--x", "1.95,2.05", "--y", "-0.05,0.05", "--time", "10"});
    EXPECT_EQ(r.status, 1);
    const std::vector<std::string> lines = lines_of(r.err);
    ASSERT_EQ(lines.size(), 1u) << r.err;
    EXPECT_NE(lines[0].find("the enclosure became too wide to validate a step (width "), std::string::npos) << lines[0];
    EXPECT_EQ(lines[0].find("blow up"), std::string::npos) << lines[0];
}

TEST(FlowCommand, BadInputEndsWithStatusTwoAndOneMessageNamingTheOption)
{
    struct bad_input {
        std::vector<std::string> arguments;
        std::string option;
        std::string problem;
    };
    const std::vector<bad_input> bad_inputs = {
        {{"--field", "y"}, "--field", "comma"},
        {{"--field", "y,-x,0"}, "--field", "comma"},
        {{"--field", "y,-z"}, "--field", "the variable z"},
        {{"--field", "y,x+"}, "--field", "not a complete expression"},
        {{"--field", "y^x,x"}, "--field", "not constant"},
        {{"--x", "1,0"}, "--x", "above the upper bound"},
        {{"--y", "0,inf"}, "--y", "finite"},
        {{"--time", "nan"}, "--time", "finite"},
        {{"--time", "soon"}, "--time", "convert"},
        {{"--order", "1"}, "--order", "1 is below 2"},
        {{"--order", "61"}, "--order", "above 60"},
        {{"--time", "1", "--time", "2"}, "--time", "is given 2 times"},
        {{"--json", "."}, "--json", "is a folder"},
    };
    scratch_folder folder;
    for (const bad_input& input : bad_inputs) {
        // Sound values for the options the case leaves alone.
        std::vector<std::string> arguments = {"flow"};
        for (const auto& [option, value] : std::vector<std::pair<std::string, std::string>>{
                 {"--field", "y,-x"}, {"--x", "1,1"}, {"--y", "0,0"}, {"--time", "1"}, {"--json", "out.json"}}) {
            if (option != input.option) arguments.insert(arguments.end(), {option, value});
        }
        arguments.insert(arguments.end(), input.arguments.begin(), input.arguments.end());
        const program_run r = run_program(folder.path(), arguments, {}, std::chrono::seconds(20));
        const std::string shown = input.arguments[0] + " " + input.arguments[1];
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        const std::vector<std::string> lines = lines_of(r.err);
        ASSERT_EQ(lines.size(), 1u) << shown << ": " << r.err;
        EXPECT_EQ(lines[0].rfind("plisse flow: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(input.option), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(input.problem), std::string::npos) << lines[0];
        EXPECT_FALSE(fs::exists(folder.path() / "out.json")) << shown;
    }
    // A required option left out.
    const program_run r = run_program(folder.path(), {"flow", "--field", "y,-x", "--x", "1,1", "--y", "0,0"});
    EXPECT_EQ(r.status, 2);
    EXPECT_NE(r.err.find("--time"), std::string::npos) << r.err;
}
