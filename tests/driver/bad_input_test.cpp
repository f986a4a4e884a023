// The program run from end to end on bad inputs: each ends it before anything
// runs, with one message naming the option, status 2, and no file touched.

#include "process.hpp"

#include <gtest/gtest.h>

#include <map>

namespace {

namespace fs = std::filesystem;

/// Every file under folder with its contents.
std::map<std::string, std::string> contents_under(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] = entry.is_regular_file() ? file_contents(entry.path()) : "<folder>";
    }
    return files;
}

struct bad_input {
    std::vector<std::string> arguments;
    /// The option the message names.
    std::string option;
    /// A part of the message saying what is wrong.
    std::string problem;
};

const std::vector<bad_input> bad_inputs = {
    {{"--f1", "x+"}, "--f1", "not a complete expression"},
    {{"--f2", "y^3 - x*z"}, "--f2", "the variable z"},
    {{"--f1", "x+y$"}, "--f1", "'$'"},
    {{"--f1", "2^x"}, "--f1", "not constant"},
    {{"--f2", "y^2.5"}, "--f2", "not an integer"},
    {{"--f1", "x^100000"}, "--f1", "limited"},
    {{"--f2", "partial_x"}, "--f2", "partial-derivative operator"},
    {{"--x", "1,-1"}, "--x", "not below the upper bound"},
    {{"--y", "-1,-1"}, "--y", "not below the upper bound"},
    {{"--y=0,inf"}, "--y", "finite"},
    {{"--x", "nan,1"}, "--x", "finite"},
    {{"--x", "1"}, "--x", "required"},
    {{"-n", "0"}, "--resolution", "below 1"},
    {{"--resolution", "100000"}, "--resolution", "memory"},
    {{"-n", "ten"}, "--resolution", "convert"},
    {{"--json", "output"}, "--json", "is a folder"},
    {{"--window"}, "--window", "not expected"},
    {{"--plot", "plot.txt"}, "--plot", ".svg, .pdf or .png"},
    {{"--plot", "output"}, "--plot", "names no plot format"},
    {{"--plot", "output/plot.png/"}, "--plot", "names no plot format"},
};

TEST(BadInput, EndsWithStatusTwoAndOneMessageBeforeWritingAnything)
{
    scratch_folder folder;
    fs::create_directories(folder.path() / "output");
    std::ofstream(folder.file("output/source.tex")) << "an earlier picture";
    std::ofstream(folder.file("results.json")) << "earlier results";
    // The streams go elsewhere, so that the folder holds only what the program could touch.
    scratch_folder streams;

    for (const bad_input& input : bad_inputs) {
        const std::map<std::string, std::string> before = contents_under(folder.path());
        // (An option is given once: a case about --json names its own file.)
        std::vector<std::string> arguments = {"--no-window"};
        if (input.option != std::string("--json")) arguments.insert(arguments.end(), {"--json", "results.json"});
        arguments.insert(arguments.end(), input.arguments.begin(), input.arguments.end());
        process_options settings;
        settings.output = streams.file("stdout.txt");
        settings.error = streams.file("stderr.txt");
        const program_run r = run_program(folder.path(), arguments, settings, std::chrono::seconds(20));

        const std::string shown = input.arguments[0];
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        const std::vector<std::string> lines = lines_of(r.err);
        ASSERT_EQ(lines.size(), 1u) << shown << ": " << r.err;
        EXPECT_EQ(lines[0].rfind("plisse: ", 0), 0u) << lines[0];
        EXPECT_NE(lines[0].find(input.option), std::string::npos) << lines[0];
        EXPECT_NE(lines[0].find(input.problem), std::string::npos) << lines[0];
        EXPECT_EQ(contents_under(folder.path()), before) << shown;
    }
}

TEST(BadInput, HelpAndVersionEndWithStatusZero)
{
    scratch_folder folder;
    for (const char* option : {"--help", "--version"}) {
        const program_run r = run_program(folder.path(), {option}, {}, std::chrono::seconds(20));
        EXPECT_EQ(r.status, 0) << option;
        EXPECT_NE(r.out.find("plisse"), std::string::npos) << r.out;
        EXPECT_EQ(r.err, "");
        EXPECT_FALSE(fs::exists(folder.file("output")));
    }
}

}  // namespace
