// Hostile inputs, run through the whole program: each is refused at once
// with one short message naming the option (status 2, nothing written), or
// analysed soundly within its time limit (status 0, or 3 when the limit
// stopped it), or, when an output fails only as it is written, reported
// after the run with status 1.

#include "options.hpp"
#include "process.hpp"
#include "stop_request.hpp"
#include "stopping.hpp"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <map>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

/// Longest message a refusal may print: a line, whatever the size of the input.
constexpr std::size_t longest_message = 400;

std::string repeated(const std::string& piece, std::size_t times)
{
    std::string s;
    s.reserve(piece.size() * times);
    for (std::size_t k = 0; k < times; ++k) s += piece;
    return s;
}

/// The sum of n terms x*y.
std::string products(std::size_t n) { return repeated("x*y+", n - 1) + "x*y"; }

/// The largest resolution the input check accepts on this machine: its
/// memory bound makes the largest one a property of the machine.
int largest_resolution()
{
    int accepted = 1;
    int refused = 1 << 16;
    while (refused - accepted > 1) {
        run_options o;
        o.resolution = (accepted + refused) / 2;
        (input_problem(o).empty() ? accepted : refused) = o.resolution;
    }
    return accepted;
}

struct refusal {
    const char* name;
    std::vector<std::string> arguments;
    /// The option the message names, and a part of what it says.
    std::string option;
    std::string problem;
};

std::vector<refusal> refusals()
{
    // Linux passes no single argument longer than 128 kB (MAX_ARG_STRLEN):
    // the longest texts a command line can carry.
    const std::string long_sum = repeated("x+", 60000) + "y";
    return {
        {"deep nesting", {"--f1", repeated("(", 50000) + "x" + repeated(")", 50000)}, "--f1", "nested too deeply"},
        // Found by the expression fuzz target: 120 nested negations parse, but
        // the derived expressions printed from them did not parse back.
        {"nesting the parser takes but the derived expressions would not", {"--f1", repeated("-", 120) + "x"}, "--f1",
         "nested 121 levels deep; the analysis handles at most 40"},
        {"120 kB text", {"--f2", long_sum}, "--f2", "120001 characters besides blanks"},
        {"120 kB text with a stray byte", {"--f2", long_sum + "#"}, "--f2", "holds '#' at character 120002"},
        {"infinite constant", {"--f1", "1e999*x"}, "--f1", "beyond the largest double"},
        {"NaN as a name", {"--f1", "nan*x"}, "--f1", "the variable nan"},
        {"exponent beyond the limit", {"--f2", "y^1001"}, "--f2", "limited to ±1000"},
        {"negative exponent beyond the limit", {"--f2", "y^-1001"}, "--f2", "limited to ±1000"},
        {"bounds whose width overflows", {"--x", "-1e308,1e308"}, "--x", "too large to be a number"},
        {"infinite bound", {"--y=-inf,0"}, "--y", "finite"},
        {"NaN bound", {"--x", "nan,1"}, "--x", "finite"},
        {"denormal box too narrow to cut", {"--x", "0,1e-322"}, "--x", "too narrow to be cut into 25 cells"},
        {"resolution 0", {"-n", "0"}, "--resolution", "below 1"},
        {"resolution beyond memory", {"-n", std::to_string(largest_resolution() + 1)}, "--resolution", "memory"},
        {"output folder under /proc", {"-o", "/proc/nope"}, "--output-dir", "no file can be created in \"/proc\""},
        {"results file under /proc", {"--json", "/proc/a.json"}, "--json", "no file can be created in \"/proc\""},
        {"output folder that is a file", {"-o", "plain"}, "--output-dir", "\"plain\" is not a folder"},
        {"results file that is a folder", {"--json", "."}, "--json", "is a folder"},
        {"option taken as a value", {"--json", "--no-window"}, "--json", "took the next option --no-window"},
        {"box side taking the next option", {"--x", "-1:1", "--no-window"}, "--x", "took the next option"},
        {"time limit 0", {"--time-limit", "0"}, "--time-limit", "above 0"},
        // Found by the command-line fuzz target: the parser threw, and the program aborted.
        {"flag with a value it cannot read", {"--no-window=-ww"}, "--no-window", "cannot read the value -ww"},
    };
}

/// Every file under folder with its contents.
std::map<std::string, std::string> contents_under(const fs::path& folder)
{
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(folder)) {
        files[entry.path().string()] = entry.is_regular_file() ? file_contents(entry.path()) : "<folder>";
    }
    return files;
}

TEST(HostileInput, IsRefusedAtOnceWithOneShortMessageAndNothingWritten)
{
    scratch_folder folder;
    std::ofstream(folder.file("plain")) << "a file";
    scratch_folder streams;
    for (const refusal& r : refusals()) {
        const auto before = contents_under(folder.path());
        std::vector<std::string> arguments = r.arguments;
        if (r.name != std::string("option taken as a value")) arguments.push_back("--no-window");
        process_options settings;
        settings.output = streams.file("stdout.txt");
        settings.error = streams.file("stderr.txt");
        const program_run run = run_program(folder.path(), arguments, settings, 60s);

        EXPECT_EQ(run.status, 2) << r.name;
        EXPECT_EQ(run.out, "") << r.name;
        const std::vector<std::string> lines = lines_of(run.err);
        ASSERT_EQ(lines.size(), 1u) << r.name << ": " << run.err.substr(0, 1000);
        EXPECT_LT(lines[0].size(), longest_message) << r.name << ": " << lines[0].substr(0, 1000);
        EXPECT_EQ(lines[0].rfind("plisse: " + r.option, 0), 0u) << r.name << ": " << lines[0];
        EXPECT_NE(lines[0].find(r.problem), std::string::npos) << r.name << ": " << lines[0];
        EXPECT_EQ(contents_under(folder.path()), before) << r.name;
    }
}

struct sound_run {
    const char* name;
    std::vector<std::string> arguments;
    /// The time limit given to the run.
    int seconds;
};

/// Time a run may take beyond its limit: the steps before the searches
/// (deriving the expressions, the pictures) and after them (the overlap
/// lists, the files), slower under the sanitizers.
constexpr auto margin = 40s;

/// Runs each input with its time limit and checks that it ends in time with
/// status 0 (finished) or 3 (stopped, said on the error stream), a complete
/// report and a results file that counts what was left undecided.
void expect_sound_runs(const std::vector<sound_run>& runs)
{
    for (const sound_run& s : runs) {
        scratch_folder folder;
        std::vector<std::string> arguments = s.arguments;
        for (const std::string& a : {std::string("--no-window"), std::string("--json"), std::string("r.json"),
                                     std::string("--time-limit"), std::to_string(s.seconds)}) {
            arguments.push_back(a);
        }
        const auto limit = std::chrono::seconds(s.seconds) + margin;
        const auto start = std::chrono::steady_clock::now();
        const program_run run = run_program(folder.path(), arguments, {}, limit);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);

        ASSERT_TRUE(run.status.has_value()) << s.name << " did not end within " << limit.count() << " s";
        EXPECT_TRUE(*run.status == 0 || *run.status == 3) << s.name << ": status " << *run.status << "\n" << run.err;
        const bool stopped = run.err.find("the analysis stopped at its time limit") != std::string::npos;
        EXPECT_EQ(stopped, *run.status == 3) << s.name << ": " << run.err;
        EXPECT_NE(run.out.find("End the procedure that check the topology of the singular curve"), std::string::npos)
            << s.name;
        // Every expression derived from the components parsed.
        EXPECT_EQ(run.out.find("ERREUR"), std::string::npos) << s.name;
        const nlohmann::json results = nlohmann::json::parse(file_contents(folder.file("r.json")));
        // A run stopped by its limit claims neither a complete search nor the topology.
        // (A count can be as large as an int holds: the sum is wider.)
        long long undecided = 0;
        for (const auto& count : results.at("undecided").items()) undecided += count.value().get<long long>();
        if (stopped) {
            EXPECT_TRUE(undecided > 0 || !results.at("fold_curve_known").get<bool>()) << s.name;
        }
        std::cout << s.name << ": status " << *run.status << " after " << took.count() << " ms" << std::endl;
    }
}

TEST(HostileInput, BoxesAtTheEdgesOfTheDoublesAreAnalysedSoundlyWithinTheirLimits)
{
    expect_sound_runs({
        {"bounds near 1e308", {"--x", "1e308,1.7e308", "--y", "-1e308,0"}, 4},
        {"a box 1e-300 wide", {"--x", "0,1e-300", "--y", "-1e-300,1e-300"}, 4},
        {"denormal bounds", {"--x", "1e-310,2e-310", "-n", "5"}, 4},
        {"denormal box at resolution 1", {"--x", "0,1e-322", "-n", "1"}, 4},
        {"resolution 1", {"-n", "1"}, 4},
    });
}

TEST(HostileInput, MapsUndefinedOnPartOfTheBoxAreAnalysedSoundlyWithinTheirLimits)
{
    expect_sound_runs({
        {"square root across 0", {"--f1", "sqrt(x)", "--f2", "y", "--x", "-1,1", "--y", "-1,1"}, 4},
        {"logarithm across 0", {"--f1", "x", "--f2", "ln(y)*x", "--x", "-1,1", "--y", "-1,1"}, 4},
        {"quotient across 0", {"--f1", "1/x", "--f2", "y^2+x", "--x", "-1,1", "--y", "-1,1"}, 4},
        {"tangent across its pole", {"--f1", "tan(2*x)", "--f2", "y+x^2", "--x", "0,1.5", "--y", "-1,1"}, 4},
        {"exponents at the limits", {"--f1", "x^1000+y", "--f2", "y^-1000", "--x", "-1,1", "--y", "-1,1"}, 4},
        {"negations nested to the limit", {"--f1", repeated("-", 39) + "x", "--f2", "y^3-x*y"}, 4},
        {"functions nested to the limit", {"--f1", repeated("sin(", 39) + "x" + repeated(")", 39), "--f2", "y^3-x*y"}, 4},
        {"powers nested to the limit", {"--f1", repeated("(", 19) + "x" + repeated("+y)^2", 19) + "+y", "--f2", "y"}, 4},
    });
}

TEST(HostileInput, SlowMapsStopAtTheirTimeLimitWithWhatIsProved)
{
    expect_sound_runs({
        {"500 terms", {"--f1", products(500), "--f2", "x"}, 10},
        {"a wavy map", {"--f1", "sin(3*x)*cos(2*y)+x", "--f2", "cos(3*x*y)+y^3", "--x", "-1,1", "--y", "-1,1"}, 10},
        {"largest resolution", {"-n", std::to_string(largest_resolution())}, 10},
    });
}

TEST(HostileInput, AFirstInterruptStopsTheAnalysisWithWhatIsProvedAndASecondEndsTheProgram)
{
    // The wavy map runs for minutes without a limit.
    const std::vector<std::string> wavy = {"--f1", "sin(3*x)*cos(2*y)+x", "--f2", "cos(3*x*y)+y^3", "--x", "-1,1",
                                           "--y", "-1,1", "--no-window", "--json", "r.json"};
    scratch_folder folder;
    process_options settings;
    settings.command = {PLISSE_EXECUTABLE};
    settings.command.insert(settings.command.end(), wavy.begin(), wavy.end());
    settings.directory = folder.path().string();
    settings.output = folder.file("stdout.txt");
    settings.error = folder.file("stderr.txt");
    {
        child_process program(settings);
        std::this_thread::sleep_for(3s);
        program.send(SIGINT);
        const std::optional<int> status = program.wait_for(60s);
        ASSERT_TRUE(status.has_value()) << "one interrupt did not end the run";
        EXPECT_EQ(*status, 3);
    }
    EXPECT_NE(file_contents(folder.file("stderr.txt")).find("the analysis stopped on an interrupt"), std::string::npos);
    EXPECT_NE(file_contents(folder.file("stdout.txt")).find("End the procedure that check the topology"),
              std::string::npos);
    EXPECT_NE(file_contents(folder.file("r.json")).find("\"undecided\""), std::string::npos);

}

TEST(HostileInput, ASecondInterruptEndsTheProgramAtOnce)
{
    // In a child: the first interrupt only raises the stop request, the
    // second ends the process by the signal; exit code 1 when it survives.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        stop_analysis_at(std::numeric_limits<double>::infinity());
        raise(SIGINT);
        if (!stop_requested()) _exit(2);
        raise(SIGINT);
        _exit(1);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status)) << "exit code " << WEXITSTATUS(status);
    EXPECT_EQ(WTERMSIG(status), SIGINT);
}

TEST(HostileInput, AResultsFileThatFailsOnlyWhenWrittenEndsWithStatusOneAfterTheReport)
{
    // /dev/full opens for writing, so the check before the run accepts it;
    // the writing then fails with no space left.
    scratch_folder folder;
    const program_run run = run_program(folder.path(), {"--no-window", "--json", "/dev/full"}, {}, 120s);
    ASSERT_TRUE(run.status.has_value());
    EXPECT_EQ(*run.status, 1);
    EXPECT_NE(run.out.find("End the procedure that check the topology of the singular curve"), std::string::npos);
    EXPECT_NE(run.err.find("cannot write the results file /dev/full"), std::string::npos) << run.err;
}

}  // namespace
