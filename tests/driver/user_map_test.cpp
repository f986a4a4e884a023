// The program run from end to end on maps given on the command line, whose
// answers are worked out here independently of the analysis.

#include "options.hpp"
#include "process.hpp"
#include "results_fields.hpp"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <functional>

namespace {

using nlohmann::json;
using point = std::array<double, 2>;
using polyline = std::vector<point>;

/// Whether the segments [a, b) and [c, d) cross.
bool segments_cross(const point& a, const point& b, const point& c, const point& d)
{
    const double ux = b[0] - a[0], uy = b[1] - a[1], vx = d[0] - c[0], vy = d[1] - c[1];
    const double det = ux * vy - uy * vx;
    if (det == 0) return false;
    const double wx = c[0] - a[0], wy = c[1] - a[1];
    const double s = (wx * vy - wy * vx) / det;
    const double t = (wx * uy - wy * ux) / det;
    return s >= 0 && s < 1 && t >= 0 && t < 1;
}

/// Crossings of p with itself, between segments that do not follow each other
/// (in a closed polyline the last segment also follows the first).
int self_crossings(const polyline& p, bool closed)
{
    const std::size_t n = p.size() - 1;
    int count = 0;
    for (std::size_t i = 0; i < n; ++i) {
        for (std::size_t j = i + 2; j < n; ++j) {
            if (closed && i == 0 && j == n - 1) continue;
            count += segments_cross(p[i], p[i + 1], p[j], p[j + 1]);
        }
    }
    return count;
}

/// Crossings of p with q, leaving out the segments at the ends of p (which
/// end on q when p is the image of a fold arc that runs into the boundary).
int crossings(const polyline& p, const polyline& q)
{
    const std::size_t ends = 5;
    int count = 0;
    for (std::size_t i = ends; i + 1 + ends < p.size(); ++i) {
        for (std::size_t j = 0; j + 1 < q.size(); ++j) count += segments_cross(p[i], p[i + 1], q[j], q[j + 1]);
    }
    return count;
}

/// A map over a box whose fold curve is one arc x = fold_x(y), y in
/// [fold_y_lo, fold_y_hi], with both ends on the boundary.
struct known_map {
    /// The test's name for the map.
    std::string name;
    std::string f1;
    std::string f2;
    /// The box as the options give it, and its corners (x_lo, y_lo), (x_hi, y_hi).
    std::string x_range;
    std::string y_range;
    point low;
    point high;
    std::function<point(double, double)> f;
    std::function<double(double)> fold_x;
    double fold_y_lo;
    double fold_y_hi;
    std::vector<point> cusps;
};

/// The answers a correct run gives, from polylines through the images.
struct expected_counts {
    int fold_fold;
    int boundary_boundary;
    int fold_boundary_crossings;
    /// The two ends of the fold arc.
    int fold_boundary_points = 2;
};

expected_counts work_out(const known_map& m)
{
    const int steps = 400;
    polyline boundary;
    const point& l = m.low;
    const point& h = m.high;
    const std::array<point, 5> corners{{l, {h[0], l[1]}, h, {l[0], h[1]}, l}};
    for (int side = 0; side < 4; ++side) {
        for (int k = 0; k < steps; ++k) {
            const double t = double(k) / steps;
            const point& a = corners[side];
            const point& b = corners[side + 1];
            boundary.push_back(m.f(a[0] + t * (b[0] - a[0]), a[1] + t * (b[1] - a[1])));
        }
    }
    boundary.push_back(boundary.front());
    polyline fold;
    for (int k = 0; k <= 4 * steps; ++k) {
        const double y = m.fold_y_lo + (m.fold_y_hi - m.fold_y_lo) * k / (4 * steps);
        fold.push_back(m.f(m.fold_x(y), y));
    }
    return {self_crossings(fold, false), self_crossings(boundary, true), crossings(fold, boundary)};
}

/// (x + 0.3y, y^3 + xy) over [-0.9, 1.1] x [-1, 1]: fold x = 0.3y - 3y^2,
/// which meets the edge x = -0.9 at y = -0.5 and y = 0.6; one cusp at (0, 0.1).
known_map one_cusp()
{
    return {"OneCusp",
            "x + 0.3*y",
            "y^3+x*y",
            "-0.9,1.1",
            "-1,1",
            {-0.9, -1},
            {1.1, 1},
            [](double x, double y) { return point{x + 0.3 * y, y * y * y + x * y}; },
            [](double y) { return 0.3 * y - 3 * y * y; },
            -0.5,
            0.6,
            {{0, 0.1}}};
}

/// The same map over [-1, 1] x [-1, 1]: its fold meets the edge x = -1 where
/// 3y^2 - 0.3y - 1 = 0, and its cusp lies on x = 0, the line along which the
/// box is first halved.
known_map one_cusp_on_the_middle_line()
{
    known_map m = one_cusp();
    m.name = "OneCuspOnTheMiddleLine";
    m.x_range = "-1,1";
    m.low = {-1, -1};
    m.high = {1, 1};
    m.fold_y_lo = (0.3 - std::sqrt(12.09)) / 6;
    m.fold_y_hi = (0.3 + std::sqrt(12.09)) / 6;
    return m;
}

/// g(x + 0.2y, y) with g(u, v) = (u, v^4/4 - 0.375v^2 + uv), a section of the
/// swallowtail, over [-1, 1] x [-1, 1.1]: fold u = 0.75v - v^3, from the
/// bottom edge to the top edge, with cusps at v = ±0.5 and its image crossing
/// itself once.
known_map swallowtail()
{
    return {"SwallowtailSection",
            "x+0.2*y",
            "y^4/4-0.375*y^2+(x+0.2*y)*y",
            "-1,1",
            "-1,1.1",
            {-1, -1},
            {1, 1.1},
            [](double x, double y) {
                const double u = x + 0.2 * y;
                return point{u, y * y * y * y / 4 - 0.375 * y * y + u * y};
            },
            [](double y) { return 0.55 * y - y * y * y; },
            -1,
            1.1,
            {{0.15, 0.5}, {-0.15, -0.5}}};
}

/// The count printed after message in the report; -1 when the line is missing.
long report_count(const std::string& report, const std::string& message)
{
    for (const std::string& line : lines_of(report)) {
        if (line.rfind(message, 0) == 0) return std::stol(line.substr(message.size()));
    }
    return -1;
}

bool holds(const json& box, const point& p)
{
    const auto inside = [](const json& I, double v) { return I[0].get<double>() <= v && v <= I[1].get<double>(); };
    return inside(box["x"], p[0]) && inside(box["y"], p[1]);
}

/// The report's names of the crossing searches, by their field in the results file's `undecided`.
const std::vector<std::pair<std::string, std::string>> crossing_searches = {
    {"fold_fold", "transversal intersections of fold curves in the target"},
    {"boundary_boundary", "transversal intersections of boundary curves in the target"},
    {"fold_boundary", "intersections of fold curves with the boundary"}};

/// Checks that err holds the diagnoses of the results file, then one note for
/// each crossing search that left pairs undecided, in report order, with the
/// count of the results file, and nothing else.
void expect_notes(const std::string& err, const json& results)
{
    std::vector<std::string> notes;
    for (const json& d : results["diagnosis"]) notes.push_back("plisse: " + d["message"].get<std::string>());
    for (const auto& [field, search] : crossing_searches) {
        const int count = results["undecided"][field];
        if (count > 0) {
            notes.push_back("plisse: the search for " + search + " left " + std::to_string(count)
                            + " candidate pairs undecided: the number the report gives is a lower bound");
        }
    }
    EXPECT_EQ(split_summary(err).notes, notes);
}

/// The summary closing the error stream tells what the results file holds:
/// each count complete or a lower bound, the topology verdict, the files written.
void expect_summary(const std::vector<std::string>& summary, const json& results, const std::string& files)
{
    ASSERT_EQ(summary.size(), 11u);
    EXPECT_NE(summary[1].find("f1 = " + results["inputs"]["f1"].get<std::string>()), std::string::npos) << summary[1];
    EXPECT_NE(summary[3].find("10 x 10 cells"), std::string::npos) << summary[3];
    const std::pair<const char*, const char*> counts[] = {{"cusps", "cusps"},
                                                          {"fold_fold_crossings", "fold_fold"},
                                                          {"boundary_boundary_crossings", "boundary_boundary"},
                                                          {"fold_boundary_intersections", "fold_boundary"}};
    for (int i = 0; i < 4; ++i) {
        const int count = results["counts"][counts[i].first];
        const int undecided = results["undecided"][counts[i].second];
        const std::string expected = undecided == 0 ? std::to_string(count) + ", complete"
                                                    : "at least " + std::to_string(count) + ", "
                                                          + std::to_string(undecided) + " candidates undecided";
        const std::string& line = summary[4 + i];
        EXPECT_EQ(line.substr(line.size() - std::min(line.size(), expected.size())), expected) << line;
    }
    EXPECT_NE(summary[8].find(results["fold_curve_known"] ? "is known" : "not established"), std::string::npos);
    EXPECT_EQ(summary[10].substr(summary[10].size() - std::min(summary[10].size(), files.size())), files);
}

class UserMap : public testing::TestWithParam<known_map (*)()> {};

TEST_P(UserMap, ReportAndResultsFileGiveTheCountsWorkedOutIndependently)
{
    const known_map m = GetParam()();
    const expected_counts expected = work_out(m);
    scratch_folder folder;
    const program_run r = run_program(folder.path(), {"--f1", m.f1, "--f2", m.f2, "--x=" + m.x_range, "--y", m.y_range,
                                                      "-n", "10", "-o", "pictures", "--no-window", "--json",
                                                      "results/run.json"});
    ASSERT_TRUE(r.status.has_value()) << "the program did not end";
    ASSERT_EQ(*r.status, 0) << r.err;

    const int folds = expected.fold_boundary_crossings + expected.fold_boundary_points;
    const std::string crossings_of = "     The number of transversal intersection of ";
    EXPECT_EQ(report_count(r.out, "     The number of cusp points is exactly : "), long(m.cusps.size())) << r.out;
    EXPECT_EQ(report_count(r.out, crossings_of + "fold curves in the target is exactly : "), expected.fold_fold);
    EXPECT_EQ(report_count(r.out, crossings_of + "boundary curves in the target is exactly : "),
              expected.boundary_boundary);
    EXPECT_EQ(report_count(r.out, "     The number of intersection fold curves with boundary is exactly : "), folds);

    const json results = json::parse(file_contents(folder.file("results/run.json")));
    EXPECT_TRUE(field_problems(results, documented_fields(PLISSE_README)).empty());
    EXPECT_EQ(results["inputs"]["f1"], without_blanks(m.f1));
    EXPECT_EQ(results["diagnosis"], json::array());
    expect_notes(r.err, results);
    expect_summary(split_summary(r.err).summary, results,
                   "pictures/source.tex, pictures/target.tex, results/run.json");
    const json& counts = results["counts"];
    EXPECT_EQ(counts["cusps"], m.cusps.size());
    EXPECT_EQ(counts["cusps_exact"], true);
    EXPECT_EQ(counts["fold_fold_crossings"], expected.fold_fold);
    EXPECT_EQ(counts["boundary_boundary_crossings"], expected.boundary_boundary);
    EXPECT_EQ(counts["fold_boundary_intersections"], folds);
    EXPECT_EQ(results["fold_boundary"]["crossings"].size(), std::size_t(expected.fold_boundary_crossings));
    EXPECT_EQ(results["fold_boundary"]["points"].size(), std::size_t(expected.fold_boundary_points));
    EXPECT_EQ(results["fold_curve_known"], r.out.find(" The singular curve is known. ") != std::string::npos);

    // Each cusp box holds its own true cusp.
    ASSERT_EQ(results["cusps"].size(), m.cusps.size());
    for (const point& cusp : m.cusps) {
        const auto found = std::count_if(results["cusps"].begin(), results["cusps"].end(),
                                         [&cusp](const json& box) { return holds(box, cusp); });
        EXPECT_EQ(found, 1) << "cusp (" << cusp[0] << ", " << cusp[1] << ") in " << results["cusps"].dump();
    }
    // Each point where the fold meets the boundary is an end of the fold arc.
    for (const json& box : results["fold_boundary"]["points"]) {
        const auto on_end = [&](double y) {
            const point end{m.fold_x(y), y};
            const json wider = {{"x", {box["x"][0].get<double>() - 1e-12, box["x"][1].get<double>() + 1e-12}},
                                {"y", {box["y"][0].get<double>() - 1e-12, box["y"][1].get<double>() + 1e-12}}};
            return holds(wider, end);
        };
        EXPECT_TRUE(on_end(m.fold_y_lo) || on_end(m.fold_y_hi)) << box.dump();
    }
    EXPECT_TRUE(std::filesystem::exists(folder.file("pictures/source.tex")));
    EXPECT_TRUE(std::filesystem::exists(folder.file("pictures/target.tex")));
    EXPECT_FALSE(std::filesystem::exists(folder.file("output")));
}

INSTANTIATE_TEST_SUITE_P(KnownAnswers, UserMap, testing::Values(&one_cusp, &one_cusp_on_the_middle_line, &swallowtail),
                         [](const testing::TestParamInfo<known_map (*)()>& info) { return info.param().name; });

/// Maps on which no pass of a crossing search settles anything: a constant map
/// (every boundary point has one image), and (xy, xy), whose determinant is 0
/// without its enclosures ever showing it.
class DegenerateMap : public testing::TestWithParam<std::pair<const char*, const char*>> {};

TEST_P(DegenerateMap, EndsWithoutProvedCrossingsAndNamesTheUndecidedSearches)
{
    const auto [f1, f2] = GetParam();
    scratch_folder folder;
    const program_run r = run_program(folder.path(), {"--f1", f1, "--f2", f2, "--x", "-0.2,0.33", "--y",
                                                      "-0.7,0.61", "-n", "4", "--no-window", "--json", "run.json"});
    ASSERT_TRUE(r.status.has_value()) << "the program did not end";
    ASSERT_EQ(*r.status, 0) << r.err;

    // A count whose search left pairs undecided is a lower bound, and says so.
    const json results = json::parse(file_contents(folder.file("run.json")));
    const auto how_many = [&](const char* search) {
        return results["undecided"][search].get<int>() == 0 ? std::string("exactly : ") : std::string("at least : ");
    };
    const std::string crossings_of = "     The number of transversal intersection of ";
    EXPECT_EQ(report_count(r.out, crossings_of + "fold curves in the target is " + how_many("fold_fold")), 0) << r.out;
    EXPECT_EQ(report_count(r.out, crossings_of + "boundary curves in the target is " + how_many("boundary_boundary")),
              0);
    EXPECT_EQ(report_count(r.out, "     The number of intersection fold curves with boundary is "
                                      + how_many("fold_boundary")),
              0);
    EXPECT_EQ(lines_of(r.out).back(), "End the procedure that check the topology of the singular curve");
    EXPECT_GT(results["undecided"]["boundary_boundary"].get<int>(), 0);
    // Both components constant, or two equal components: det is 0 everywhere.
    std::vector<std::string> kinds;
    for (const json& d : results["diagnosis"]) kinds.push_back(d["kind"]);
    const std::vector<std::string> expected = f1 == std::string("1")
                                                  ? std::vector<std::string>{"constant_component", "constant_component"}
                                                  : std::vector<std::string>{"zero_determinant"};
    EXPECT_EQ(kinds, expected);
    expect_notes(r.err, results);
}

INSTANTIATE_TEST_SUITE_P(NothingSettles, DegenerateMap,
                         testing::Values(std::pair{"1", "2"}, std::pair{"x*y", "x*y"}),
                         [](const auto& info) { return info.index == 0 ? "Constant" : "ProductTwice"; });

TEST(UserRun, TheWavyMapsCountsThatSearchesLeftIncompleteAreLowerBoundsInTheReport)
{
    // The wavy map of the README leaves candidates undecided in its crossing
    // searches (stopped at a limit or not); each such count is "at least".
    scratch_folder folder;
    const program_run r = run_program(folder.path(), {"--f1", "sin(3*x)*cos(2*y)+x", "--f2", "cos(3*x*y)+y^3", "--x",
                                                      "-1,1", "--y", "-1,1", "--time-limit", "10", "--no-window",
                                                      "--json", "run.json"});
    ASSERT_TRUE(r.status.has_value()) << "the program did not end";
    ASSERT_TRUE(*r.status == 0 || *r.status == 3) << r.err;
    const json results = json::parse(file_contents(folder.file("run.json")));
    const std::string crossings_of = "     The number of transversal intersection of ";
    struct count_line {
        std::string line;
        const char* search;
        const char* count;
    };
    const count_line lines[] = {
        {crossings_of + "fold curves in the target is ", "fold_fold", "fold_fold_crossings"},
        {crossings_of + "boundary curves in the target is ", "boundary_boundary", "boundary_boundary_crossings"},
        {"     The number of intersection fold curves with boundary is ", "fold_boundary", "fold_boundary_intersections"}};
    int lower_bounds = 0;
    for (const count_line& c : lines) {
        const bool incomplete = results["undecided"][c.search].get<int>() > 0;
        lower_bounds += incomplete;
        const std::string how = incomplete ? "at least : " : "exactly : ";
        EXPECT_EQ(report_count(r.out, c.line + how), results["counts"][c.count].get<long>()) << r.out;
    }
    EXPECT_GT(lower_bounds, 0);
}

/// A map without folds, analysed in no time.
const std::vector<std::string> linear_map = {"--f1", "x+0.3*y", "--f2", "y+0.1*x", "--x", "-1,1", "--y", "-1,1",
                                             "-n", "4", "--no-window"};

/// Whether the lines of part end lines of whole, in the same order (some
/// diagnostic lines end without a line end, so a report line may follow one).
bool in_order(const std::string& part, const std::string& whole)
{
    const std::vector<std::string> wanted = lines_of(part);
    const std::vector<std::string> lines = lines_of(whole);
    auto at = lines.begin();
    for (const std::string& line : wanted) {
        at = std::find_if(at, lines.end(), [&line](const std::string& l) {
            return l.size() >= line.size() && l.compare(l.size() - line.size(), line.size(), line) == 0;
        });
        if (at == lines.end()) return false;
        ++at;
    }
    return true;
}

TEST(UserRun, VerboseAddsTheDiagnosticLinesOfTheCrossingSearchesToTheReport)
{
    scratch_folder folder;
    const program_run quiet = run_program(folder.path(), linear_map);
    std::vector<std::string> arguments = linear_map;
    arguments.push_back("--verbose");
    const program_run verbose = run_program(folder.path(), arguments);
    ASSERT_EQ(quiet.status, 0);
    ASSERT_EQ(verbose.status, 0);
    EXPECT_EQ(quiet.out.find("Passe n° : "), std::string::npos);
    EXPECT_NE(verbose.out.find("création de la liste initiale à partir du bord"), std::string::npos);
    EXPECT_NE(verbose.out.find("Passe n° : 0, taille de la liste à traiter  : "), std::string::npos);
    EXPECT_GT(verbose.out.size(), quiet.out.size());
    EXPECT_TRUE(in_order(quiet.out, verbose.out));
    EXPECT_EQ(split_summary(verbose.err).notes, std::vector<std::string>());
}

/// A pseudo-terminal: its terminal side is a file a child can write to, and
/// what it writes is read from the controlling side.
class pseudo_terminal {
public:
    pseudo_terminal() : control_(posix_openpt(O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
        if (control_ >= 0 && (grantpt(control_) != 0 || unlockpt(control_) != 0)) {
            close(control_);
            control_ = -1;
        }
    }
    ~pseudo_terminal()
    {
        if (control_ >= 0) close(control_);
    }
    pseudo_terminal(const pseudo_terminal&) = delete;
    pseudo_terminal& operator=(const pseudo_terminal&) = delete;

    bool open() const { return control_ >= 0; }
    std::string terminal() const { return ptsname(control_); }
    /// Appends what was written so far to text, without waiting.
    void read_into(std::string& text) const
    {
        char buffer[4096];
        ssize_t n = 0;
        while ((n = read(control_, buffer, sizeof buffer)) > 0) text.append(buffer, std::size_t(n));
    }

private:
    int control_;
};

TEST(UserRun, ShowsProgressOnlyWhenTheErrorStreamIsATerminal)
{
    scratch_folder folder;
    const program_run plain = run_program(folder.path(), linear_map);
    ASSERT_EQ(plain.status, 0);
    EXPECT_EQ(split_summary(plain.err).notes, std::vector<std::string>());

    pseudo_terminal terminal;
    ASSERT_TRUE(terminal.open());
    process_options options;
    options.command = {PLISSE_EXECUTABLE};
    options.command.insert(options.command.end(), linear_map.begin(), linear_map.end());
    options.directory = folder.path().string();
    options.output = folder.file("stdout.txt");
    options.error = terminal.terminal();
    child_process program(options);
    std::string shown;
    // Read while the program runs, so that it never waits on a full terminal.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(120);
    while (program.running() && std::chrono::steady_clock::now() < end) {
        terminal.read_into(shown);
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    terminal.read_into(shown);
    ASSERT_EQ(program.wait_for(std::chrono::seconds(0)), 0);

    EXPECT_EQ(file_contents(options.output), plain.out);
    for (const char* search :
         {"cusps", "fold–fold crossings", "boundary–boundary crossings", "fold–boundary crossings"}) {
        EXPECT_NE(shown.find(std::string("plisse: ") + search + ", pass 0: "), std::string::npos)
            << search << " missing from " << shown;
    }
    // The last progress line is cleared before the summary.
    const std::size_t summary = shown.find("plisse: summary");
    ASSERT_NE(summary, std::string::npos) << shown;
    EXPECT_EQ(shown.substr(summary - 4, 4), "\r\033[K");
}

TEST(UserRun, QuietKeepsTheReportOffStandardOutputWhichTheResultsMayTake)
{
    scratch_folder folder;
    std::vector<std::string> arguments = linear_map;
    arguments.insert(arguments.end(), {"--json", "-"});
    const program_run to_standard_output = run_program(folder.path(), arguments);
    ASSERT_EQ(to_standard_output.status, 0) << to_standard_output.err;
    const json results = json::parse(to_standard_output.out);
    EXPECT_EQ(results["counts"]["cusps"], 0);
    const std::vector<std::string> summary = split_summary(to_standard_output.err).summary;
    ASSERT_FALSE(summary.empty());
    EXPECT_NE(summary.back().find("standard output"), std::string::npos) << summary.back();
    EXPECT_FALSE(std::filesystem::exists(folder.file("-")));

    arguments = linear_map;
    arguments.push_back("--quiet");
    const program_run quiet = run_program(folder.path(), arguments);
    ASSERT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.out, "");
    EXPECT_EQ(split_summary(quiet.err).summary.size(), 11u) << quiet.err;
    arguments.push_back("-q");
    const program_run quieter = run_program(folder.path(), arguments);
    ASSERT_EQ(quieter.status, 0);
    EXPECT_EQ(quieter.out + quieter.err, "");
}

TEST(UserRun, WritesThePlotInTheFormatOfItsExtensionAndListsItInTheSummary)
{
    scratch_folder folder;
    // The magic bytes of each format.
    const std::pair<const char*, std::string> formats[] = {
        {"plots/run.svg", "<?xml"}, {"plots/run.pdf", "%PDF-"}, {"plots/run.PNG", "\x89PNG"}};
    for (const auto& [file, magic] : formats) {
        std::vector<std::string> arguments = linear_map;
        arguments.insert(arguments.end(), {"--plot", file, "--plot-size", "8,5"});
        const program_run r = run_program(folder.path(), arguments);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(file_contents(folder.file(file)).substr(0, magic.size()), magic) << file;
        const std::vector<std::string> summary = split_summary(r.err).summary;
        ASSERT_FALSE(summary.empty()) << r.err;
        EXPECT_EQ(summary.back().substr(summary.back().size() - std::string(file).size()), file);
    }
    // 8 × 5 cm: 8 / 2.54 · 72 = 226.772 by 5 / 2.54 · 72 = 141.732 points.
    EXPECT_NE(command_output("pdfinfo " + folder.file("plots/run.pdf")).find("Page size:       226.772 x 141.732 pts"),
              std::string::npos);
    const std::string svg = file_contents(folder.file("plots/run.svg"));
    EXPECT_NE(svg.find("<svg"), std::string::npos);
    EXPECT_NE(svg.find(">f1 = x+0.3*y,   f2 = y+0.1*x</text>"), std::string::npos);
}

}  // namespace
