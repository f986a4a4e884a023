// The program run from end to end on a machine without a usable display.

#include "process.hpp"
#include "report_check.hpp"

#include "grille.hpp"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

/// Longest run of the whole analysis accepted before the test gives up.
constexpr auto analysis_limit = 120s;

/// The pictures the program must write, made here from the built-in grid constants.
std::string expected_picture(const scratch_folder& folder, bool image)
{
    const std::string file = folder.file(image ? "expected_target.tex" : "expected_source.tex");
    const grille g = image ? grille(expression("x+0.2*y"), expression("y^3-x*y"), -0.2, -0.7, 0.33, 0.61, 25)
                           : grille(-0.2, -0.7, 0.33, 0.61, 25);
    EXPECT_TRUE(g.dessine_latex(file));
    return file_contents(file);
}

/// Runs the program without options in folder with the given display settings.
program_run run_program(const scratch_folder& folder, const process_options& display)
{
    return run_program(folder.path(), {}, display, analysis_limit);
}

TEST(Program, WithoutADisplayRunsTheWholeAnalysisAndWritesBothPictures)
{
    scratch_folder folder;
    process_options no_display;
    no_display.unset_environment = {"DISPLAY", "SDL_VIDEODRIVER"};
    const program_run r = run_program(folder, no_display);

    ASSERT_TRUE(r.status.has_value()) << "the program did not end";
    EXPECT_EQ(*r.status, 0);
    expect_complete_report(r.out);
    // Byte for byte the report of the built-in run.
    const std::string golden = PLISSE_BUILT_IN_REPORT;
    if (r.out != file_contents(golden))
        ADD_FAILURE() << "the report differs from " << golden << ":\n"
                      << command_output("diff " + golden + " " + folder.file("stdout.txt"));
    const std::vector<std::string> notes = split_summary(r.err).notes;
    ASSERT_EQ(notes.size(), 1u) << r.err;
    EXPECT_NE(notes[0].find("no window can be opened"), std::string::npos) << notes[0];
    EXPECT_NE(notes[0].find("DISPLAY"), std::string::npos) << notes[0];

    // The folder "output" did not exist: the program made it.
    EXPECT_EQ(file_contents(folder.path() / "output/source.tex"), expected_picture(folder, false));
    EXPECT_EQ(file_contents(folder.path() / "output/target.tex"), expected_picture(folder, true));
}

TEST(Program, GoesOnWithAnUnreachableDisplayAndEndsWithStatusOneWhenAPictureCannotBeWritten)
{
    scratch_folder folder;
    // The output folder can be written in, but a folder stands where the
    // source picture goes: the check before the run cannot see that, the
    // writing fails, and the run goes on to the end.
    std::filesystem::create_directories(folder.path() / "output/source.tex");
    process_options unreachable;
    unreachable.set_environment = {{"DISPLAY", ":31999"}};
    const program_run r = run_program(folder, unreachable);

    ASSERT_TRUE(r.status.has_value()) << "the program did not end";
    EXPECT_EQ(*r.status, 1);
    expect_complete_report(r.out);
    EXPECT_NE(r.err.find("no window can be opened"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("cannot write the picture output/source.tex"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("cannot write the picture output/target.tex"), std::string::npos) << r.err;
    EXPECT_EQ(file_contents(folder.path() / "output/target.tex"), expected_picture(folder, true));
}

}  // namespace
