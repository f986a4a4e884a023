// The program in a real window on a virtual X display (Xvfb): what is drawn
// where, and what the keys, the wheel and the mouse do. Events are sent with
// xdotool; screenshots are taken with xwd and read through ImageMagick.

#include "process.hpp"
#include "report_check.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <functional>
#include <poll.h>

namespace {

using namespace std::chrono_literals;

// The built-in map and box, and the grid resolution.
constexpr double x_low = -0.2;
constexpr double x_high = 0.33;
constexpr double y_low = -0.7;
constexpr double y_high = 0.61;
constexpr int cells = 25;
constexpr double cell_width = (x_high - x_low) / cells;
constexpr double cell_height = (y_high - y_low) / cells;

struct point {
    double x, y;
};

point map(point p)
{
    return {p.x + 0.2 * p.y, p.y * p.y * p.y - p.x * p.y};
}

/// Jacobian determinant of the map.
double det(point p)
{
    return 3 * p.y * p.y - p.x + 0.2 * p.y;
}

point cell_centre(int i, int j)
{
    return {x_low + (i + 0.5) * cell_width, y_low + (j + 0.5) * cell_height};
}

const point cusp{0, -1.0 / 15};

/// Where the viewer draws one plane in a window of width × height pixels: a
/// plane point p lands at scale · (p + offset) in units of the window's
/// shorter half side, counted from the window's centre.
struct plane_model {
    double scale = 0.2;
    double ox = 0;
    double oy = 0;
    int width = 1000;
    int height = 1000;

    /// Pixels per unit.
    double unit() const { return std::min(width, height) / 2.0; }
    /// Window position (column, row from the top) of plane point p.
    point pixel(point p) const
    {
        return {width / 2.0 + unit() * scale * (p.x + ox), height / 2.0 - unit() * scale * (p.y + oy)};
    }
    void zoom(int steps) { scale *= std::pow(1.1, steps); }
    /// A left-button drag from one window position to another.
    void drag(point from, point to)
    {
        ox += (to.x - from.x) / unit() / scale;
        oy -= (to.y - from.y) / unit() / scale;
    }
};

/// The plane model that frames the rectangle [x0, x1] × [y0, y1] in a window
/// of width × height pixels as the key h does: its centre at the window's
/// centre, over 90% of the window in its tighter direction.
plane_model framed(double x0, double x1, double y0, double y1, int width = 1000, int height = 1000)
{
    plane_model m;
    m.width = width;
    m.height = height;
    m.scale = std::min(0.9 * width / m.unit() / (x1 - x0), 0.9 * height / m.unit() / (y1 - y0));
    m.ox = -(x0 + x1) / 2;
    m.oy = -(y0 + y1) / 2;
    return m;
}

/// The model framing the images of the (n + 1)² grid points of [x0, x1] × [y0, y1] under f.
plane_model framed_image(point (*f)(point), double x0, double x1, double y0, double y1, int n, int width = 1000,
                         int height = 1000)
{
    double lo[2] = {INFINITY, INFINITY};
    double hi[2] = {-INFINITY, -INFINITY};
    for (int i = 0; i <= n; i++)
        for (int j = 0; j <= n; j++) {
            const point p = f({x0 + (x1 - x0) * i / n, y0 + (y1 - y0) * j / n});
            lo[0] = std::min(lo[0], p.x), hi[0] = std::max(hi[0], p.x);
            lo[1] = std::min(lo[1], p.y), hi[1] = std::max(hi[1], p.y);
        }
    return framed(lo[0], hi[0], lo[1], hi[1], width, height);
}

struct rgb {
    int r, g, b;
};

bool white(rgb c) { return c.r > 200 && c.g > 200 && c.b > 200; }
bool black(rgb c) { return c.r < 40 && c.g < 40 && c.b < 40; }
bool red(rgb c) { return c.r > 200 && c.g < 70 && c.b < 70; }
bool blue(rgb c) { return c.b > 200 && c.r < 70 && c.g < 70; }
bool yellow(rgb c) { return c.r > 200 && c.g > 200 && c.b < 70; }
bool cyan(rgb c) { return c.r < 70 && c.g > 200 && c.b > 200; }
bool orange(rgb c) { return c.r > 200 && c.g > 90 && c.g < 170 && c.b < 70; }
bool magenta(rgb c) { return c.r > 200 && c.g < 70 && c.b > 200; }
/// The help's panel: dark blue over black, lighter over what lies under it.
bool navy(rgb c) { return c.b > 60 && c.b < 150 && c.r < 60 && c.g < 60; }

struct screenshot {
    int width = 0;
    int height = 0;
    std::string raw;
    std::size_t data = 0;

    bool valid() const { return width > 0 && height > 0 && raw.size() >= data + 3u * width * height; }
    rgb at(int column, int row) const
    {
        if (column < 0 || row < 0 || column >= width || row >= height)
            return {0, 0, 0};
        const std::size_t k = data + 3u * (static_cast<std::size_t>(row) * width + column);
        return {static_cast<unsigned char>(raw[k]), static_cast<unsigned char>(raw[k + 1]),
                static_cast<unsigned char>(raw[k + 2])};
    }
    rgb at(point p) const { return at(static_cast<int>(std::floor(p.x)), static_cast<int>(std::floor(p.y))); }
    /// Whether some pixel within radius of p satisfies colour.
    bool near(point p, int radius, bool (*colour)(rgb)) const
    {
        for (int dx = -radius; dx <= radius; dx++)
            for (int dy = -radius; dy <= radius; dy++)
                if (colour(at(static_cast<int>(std::floor(p.x)) + dx, static_cast<int>(std::floor(p.y)) + dy)))
                    return true;
        return false;
    }
    /// Number of pixels of the 3 x 3 block around p that satisfy colour.
    int count(point p, bool (*colour)(rgb)) const
    {
        int n = 0;
        for (int dx = -1; dx <= 1; dx++)
            for (int dy = -1; dy <= 1; dy++)
                n += colour(at(static_cast<int>(std::floor(p.x)) + dx, static_cast<int>(std::floor(p.y)) + dy));
        return n;
    }
};

/// Reads a binary PPM (P6, 8 bits per channel); its header may hold comment lines.
screenshot parse_ppm(const std::string& ppm)
{
    std::size_t at = 0;
    // The next header field, skipping blanks and comments.
    auto field = [&]() {
        for (;;) {
            while (at < ppm.size() && std::isspace(static_cast<unsigned char>(ppm[at])))
                at++;
            if (at >= ppm.size() || ppm[at] != '#')
                break;
            at = std::min(ppm.find('\n', at), ppm.size());
        }
        const std::size_t start = at;
        while (at < ppm.size() && !std::isspace(static_cast<unsigned char>(ppm[at])))
            at++;
        return ppm.substr(start, at - start);
    };
    if (field() != "P6")
        return {};
    screenshot s;
    s.width = std::atoi(field().c_str());
    s.height = std::atoi(field().c_str());
    if (field() != "255")
        return {};
    s.data = at + 1;
    s.raw = ppm;
    return s;
}

bool tool_missing(const std::string& tool)
{
    return command_output("command -v " + tool + " 2>/dev/null").empty();
}

class Window : public ::testing::Test {
protected:
    scratch_folder folder;
    std::unique_ptr<child_process> server;
    std::unique_ptr<child_process> program;
    std::string window_id;
    plane_model source;
    plane_model target;

    void SetUp() override
    {
        for (const char* tool : {"Xvfb", "xdotool", "xwd", "convert"})
            ASSERT_FALSE(tool_missing(tool)) << tool << " is missing: run scripts/install-deps.sh";
        start_server();
    }

    /// A virtual display of its own: Xvfb picks a free display number and
    /// writes it to the pipe once it accepts connections. Without -noreset
    /// the server resets whenever its last client leaves (each xdotool call),
    /// and a program connecting during a reset is refused.
    void start_server()
    {
        int pipe_ends[2];
        ASSERT_EQ(pipe(pipe_ends), 0);
        process_options options;
        options.command = {"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp", "-noreset"};
        options.descriptor_3 = pipe_ends[1];
        server = std::make_unique<child_process>(options);
        close(pipe_ends[1]);
        std::string number;
        pollfd ready{pipe_ends[0], POLLIN, 0};
        char c = 0;
        while (poll(&ready, 1, 20000) > 0 && read(pipe_ends[0], &c, 1) == 1 && c != '\n')
            number += c;
        close(pipe_ends[0]);
        ASSERT_FALSE(number.empty()) << "Xvfb did not start";
        setenv("DISPLAY", (":" + number).c_str(), 1);
    }

    void start_program(const std::vector<std::string>& arguments = {})
    {
        process_options options;
        options.command = {PLISSE_EXECUTABLE};
        options.command.insert(options.command.end(), arguments.begin(), arguments.end());
        options.directory = folder.path().string();
        options.output = folder.file("stdout.txt");
        options.error = folder.file("stderr.txt");
        program = std::make_unique<child_process>(options);
    }

    /// The program's window: SDL may replace its first window while it sets
    /// the video mode, so the window is looked up again until it shows a frame.
    bool find_window()
    {
        const std::vector<std::string> ids = lines_of(xdotool("search --name '^Plisse - Version 3$'"));
        window_id = ids.empty() ? "" : ids.back();
        return !window_id.empty();
    }

    std::string xdotool(const std::string& arguments) { return command_output("xdotool " + arguments + " 2>/dev/null"); }

    screenshot shot()
    {
        return parse_ppm(command_output("xwd -silent -id " + window_id + " 2>/dev/null | convert xwd:- ppm:- 2>/dev/null"));
    }

    /// Whether a screenshot satisfies check within the time limit (looking the
    /// window up before each one when asked); the last screenshot is kept for
    /// inspection when none does.
    bool eventually(const std::string& what, const std::function<bool(const screenshot&)>& check,
                    std::chrono::milliseconds limit = 10s, bool look_up_window = false)
    {
        const auto end = std::chrono::steady_clock::now() + limit;
        screenshot last;
        do {
            if (!look_up_window || find_window()) {
                last = shot();
                if (last.valid() && check(last))
                    return true;
            }
            std::this_thread::sleep_for(100ms);
        } while (std::chrono::steady_clock::now() < end);
        const std::string kept = ::testing::TempDir() + "plisse_window_" + what + ".ppm";
        std::ofstream(kept, std::ios::binary) << last.raw;
        ADD_FAILURE() << what << ": not seen on screen within the time limit (last screenshot: " << kept << ")";
        return false;
    }

    /// Moves the cursor to p in one jump; a few frames then read the cursor in both planes.
    void move_to(point p)
    {
        xdotool("mousemove --window " + window_id + " " + std::to_string(static_cast<int>(p.x)) + " " +
                std::to_string(static_cast<int>(p.y)));
        std::this_thread::sleep_for(250ms);
    }

    void key(const std::string& name)
    {
        xdotool("key " + name);
        std::this_thread::sleep_for(100ms);
    }

    void wheel(bool up, int steps)
    {
        xdotool("click --repeat " + std::to_string(steps) + " --delay 10 " + (up ? "4" : "5"));
    }

    /// Drags the active plane with the left button; model follows it.
    void drag(point from, point to, plane_model& model)
    {
        move_to(from);
        xdotool("mousedown 1");
        std::this_thread::sleep_for(100ms);
        move_to(to);
        xdotool("mouseup 1");
        model.drag({std::floor(from.x), std::floor(from.y)}, {std::floor(to.x), std::floor(to.y)});
    }

    /// The grid corners: blue at the image of (x_low, y_low), red at that of (x_high, y_high).
    bool corners_in_place(const screenshot& s, const plane_model& plane, bool image) const
    {
        const point low{x_low, y_low};
        const point high{x_high, y_high};
        return s.near(plane.pixel(image ? map(low) : low), 3, blue) &&
               s.near(plane.pixel(image ? map(high) : high), 3, red);
    }

    bool source_in_place(const screenshot& s) const { return corners_in_place(s, source, false); }
    bool target_in_place(const screenshot& s) const { return corners_in_place(s, target, true); }

    /// Source cell (i, j) shows colour at two of three points down its middle.
    bool cell_shows(const screenshot& s, int i, int j, bool (*colour)(rgb)) const
    {
        int hits = 0;
        for (double dy : {-0.25, 0.0, 0.25}) {
            const point c = cell_centre(i, j);
            hits += colour(s.at(source.pixel({c.x, c.y + dy * cell_height})));
        }
        return hits >= 2;
    }
};

/// Interior cells whose corners have determinants of both signs (the fold
/// curve crosses them), and cells on which the determinant keeps well away from 0.
void classify_cells(std::vector<std::pair<int, int>>& fold, std::vector<std::pair<int, int>>& regular)
{
    for (int i = 1; i < cells - 1; i++)
        for (int j = 1; j < cells - 1; j++) {
            double low = INFINITY;
            double high = -INFINITY;
            double smallest = INFINITY;
            for (int a = 0; a <= 10; a++)
                for (int b = 0; b <= 10; b++) {
                    const double d = det({x_low + (i + a / 10.0) * cell_width, y_low + (j + b / 10.0) * cell_height});
                    low = std::min(low, d);
                    high = std::max(high, d);
                    smallest = std::min(smallest, std::abs(d));
                }
            double corner_low = INFINITY;
            double corner_high = -INFINITY;
            for (int a = 0; a <= 1; a++)
                for (int b = 0; b <= 1; b++) {
                    const double d = det({x_low + (i + a) * cell_width, y_low + (j + b) * cell_height});
                    corner_low = std::min(corner_low, std::abs(d) < 0.002 ? 0 : d);
                    corner_high = std::max(corner_high, std::abs(d) < 0.002 ? 0 : d);
                }
            if (corner_low < 0 && corner_high > 0)
                fold.push_back({i, j});
            else if ((low > 0 || high < 0) && smallest > 0.01)
                regular.push_back({i, j});
        }
}

TEST_F(Window, EveryViewerActionShowsOnScreen)
{
    start_program();
    source = framed(x_low, x_high, y_low, y_high);
    target = framed_image(map, x_low, x_high, y_low, y_high, cells);

    // First frame, after the whole analysis: both grids framed on their content.
    ASSERT_TRUE(eventually(
        "first_frame", [&](const screenshot& s) { return source_in_place(s) && target_in_place(s); }, 120s, true))
        << file_contents(folder.file("stderr.txt"));
    expect_complete_report(file_contents(folder.file("stdout.txt")));
    EXPECT_FALSE(file_contents(folder.path() / "output/source.tex").empty());
    EXPECT_FALSE(file_contents(folder.path() / "output/target.tex").empty());

    // The wheel zooms the source plane, which is active at start; a drag moves it left.
    move_to({500, 500});
    wheel(false, 1);
    source.zoom(-1);
    ASSERT_TRUE(eventually("source_zoom", [&](const screenshot& s) { return source_in_place(s); }));
    drag({500, 500}, {200, 500}, source);
    ASSERT_TRUE(eventually("source_drag", [&](const screenshot& s) { return source_in_place(s); }));

    // After t the wheel and the drag act on the target plane only.
    key("t");
    wheel(false, 5);
    target.zoom(-5);
    drag({500, 500}, {700, 500}, target);
    ASSERT_TRUE(eventually("target_zoom_and_drag",
                           [&](const screenshot& s) { return target_in_place(s) && source_in_place(s); }));

    // s makes the source plane active again (pressed twice, it stays so).
    key("s");
    key("s");
    wheel(false, 1);
    source.zoom(-1);
    EXPECT_TRUE(eventually("source_wheel_down", [&](const screenshot& s) { return source_in_place(s); }));
    wheel(true, 1);
    source.zoom(1);
    EXPECT_TRUE(eventually("source_wheel_up", [&](const screenshot& s) { return source_in_place(s); }));

    // The fold cells are white where the source plane puts them; cells far from the fold stay dark.
    std::vector<std::pair<int, int>> fold;
    std::vector<std::pair<int, int>> regular;
    classify_cells(fold, regular);
    ASSERT_GE(fold.size(), 10u);
    const screenshot folded = shot();
    ASSERT_TRUE(folded.valid());
    for (const auto& [i, j] : fold)
        EXPECT_TRUE(cell_shows(folded, i, j, white)) << "fold cell (" << i << ", " << j << ") not white";
    for (const auto& [i, j] : regular)
        EXPECT_FALSE(cell_shows(folded, i, j, white)) << "cell (" << i << ", " << j << ") white";

    // Pointing at a cell, the cursor jumping there at once, shows its image box in cyan in the target plane.
    const int si = 3;
    const int sj = 20;
    const point image_centre = target.pixel(map(cell_centre(si, sj)));
    EXPECT_LT(folded.count(image_centre, cyan), 5) << "the cursor selects no cell yet";
    move_to(source.pixel(cell_centre(si, sj)));
    EXPECT_TRUE(eventually("selected_image", [&](const screenshot& s) { return s.count(image_centre, cyan) >= 5; }));

    // c shows the cells whose images overlap the pointed one's (the cell itself among them) without the mouse
    // moving, and hides them again.
    key("c");
    EXPECT_TRUE(eventually("image_overlaps_on", [&](const screenshot& s) {
        return cell_shows(s, si, sj, yellow) && !cell_shows(s, 20, 3, yellow);
    }));
    key("c");
    EXPECT_TRUE(eventually("image_overlaps_off", [&](const screenshot& s) { return cell_shows(s, si, sj, black); }));

    // f paints the cells whose images overlap singular images orange, over the white fold cells.
    // (Plain variables: C++17 lambdas cannot capture structured bindings.)
    const int fi = fold[fold.size() / 2].first;
    const int fj = fold[fold.size() / 2].second;
    key("f");
    EXPECT_TRUE(eventually("singular_overlaps_on", [&](const screenshot& s) { return cell_shows(s, fi, fj, orange); }));
    key("f");
    EXPECT_TRUE(eventually("singular_overlaps_off", [&](const screenshot& s) { return cell_shows(s, fi, fj, white); }));

    // i turns the wheel onto the markers: the cusp's red square grows where the cusp is, the plane keeps its scale.
    const point at_cusp = source.pixel(cusp);
    const point beside_cusp{at_cusp.x + 4, at_cusp.y + 4};
    EXPECT_FALSE(red(shot().at(beside_cusp)));
    key("i");
    wheel(true, 25);
    EXPECT_TRUE(eventually("cusp_marker", [&](const screenshot& s) {
        return red(s.at(at_cusp)) && red(s.at(beside_cusp)) && red(s.at({at_cusp.x - 4, at_cusp.y - 4})) &&
               source_in_place(s);
    }));
    wheel(false, 25);
    key("i");
    EXPECT_TRUE(eventually("cusp_marker_back", [&](const screenshot& s) { return !red(s.at(beside_cusp)); }));

    // Leaving the box to its right selects a position outside the paving: nothing is drawn for it.
    key("c");
    move_to(source.pixel({x_high + 0.02, 0}));
    EXPECT_TRUE(eventually("selection_outside", [&](const screenshot& s) {
        return s.count(image_centre, cyan) < 5 && !cell_shows(s, si, sj, yellow);
    }));
    EXPECT_TRUE(program->running());
    key("c");

    // p writes the window as it is to output/window-1.png, then to window-2.png.
    key("p");
    key("p");
    const std::filesystem::path written = folder.path() / "output/window-2.png";
    for (int wait = 0; wait < 50 && !std::filesystem::exists(written); ++wait) std::this_thread::sleep_for(100ms);
    const screenshot png =
        parse_ppm(command_output("convert " + (folder.path() / "output/window-1.png").string() + " ppm:- 2>/dev/null"));
    ASSERT_TRUE(png.valid()) << file_contents(folder.file("stderr.txt"));
    EXPECT_EQ(png.width, 1000);
    EXPECT_EQ(png.height, 1000);
    EXPECT_TRUE(source_in_place(png) && target_in_place(png));
    EXPECT_TRUE(std::filesystem::exists(written));
    EXPECT_NE(file_contents(folder.file("stderr.txt")).find("plisse: the window is written to output/window-1.png"),
              std::string::npos);

    // Escape ends the program when it is released, not when it is pressed.
    xdotool("keydown Escape");
    std::this_thread::sleep_for(500ms);
    EXPECT_TRUE(program->running()) << "Escape acted on press";
    xdotool("keyup Escape");
    const std::optional<int> status = program->wait_for(10s);
    ASSERT_TRUE(status.has_value()) << "Escape released, but the program goes on";
    EXPECT_EQ(*status, 0);
}

/// Share of the points of a 20 x 12 lattice over the help's panel that show colour.
double panel_share(const screenshot& s, bool (*colour)(rgb))
{
    int hits = 0;
    for (int i = 0; i < 20; i++)
        for (int j = 0; j < 12; j++) hits += colour(s.at(40 + 45 * i, 30 + 30 * j));
    return hits / 240.0;
}

TEST_F(Window, OpensFramedWithVisibleMarkersRefitsAfterAResizeAndShowsTheHelp)
{
    start_program();
    source = framed(x_low, x_high, y_low, y_high);
    target = framed_image(map, x_low, x_high, y_low, y_high, cells);
    ASSERT_TRUE(eventually(
        "first_frame", [&](const screenshot& s) { return source_in_place(s) && target_in_place(s); }, 120s, true));
    // The box fills 90% of the window's height.
    EXPECT_NEAR(source.pixel({0, y_low}).y - source.pixel({0, y_high}).y, 900, 1e-9);

    // The proved features are marked at the start: magenta squares 7 pixels from
    // the cusp and from its image (−1/75, −1/3375), and the cusp's red square inside.
    const auto marked = [&](const screenshot& s, point centre) {
        return s.near({centre.x + 7, centre.y}, 1, magenta) && s.near({centre.x - 7, centre.y}, 1, magenta);
    };
    const screenshot start = shot();
    EXPECT_TRUE(marked(start, source.pixel(cusp)));
    EXPECT_TRUE(marked(start, target.pixel(map(cusp))));
    EXPECT_TRUE(start.near(source.pixel(cusp), 1, red));

    // Zoomed out, then resized to 1200 x 800, h frames both planes on their content for the new size.
    move_to({500, 500});
    wheel(false, 5);
    xdotool("windowsize " + window_id + " 1200 800");
    std::this_thread::sleep_for(500ms);
    key("h");
    source = framed(x_low, x_high, y_low, y_high, 1200, 800);
    target = framed_image(map, x_low, x_high, y_low, y_high, cells, 1200, 800);
    EXPECT_TRUE(eventually("home_after_resize", [&](const screenshot& s) {
        return s.width == 1200 && s.height == 800 && source_in_place(s) && target_in_place(s);
    }));
    EXPECT_NEAR(source.pixel({0, y_low}).y - source.pixel({0, y_high}).y, 720, 1e-9);
    EXPECT_TRUE(marked(shot(), source.pixel(cusp)));

    // ? shows the help on a dark blue panel with white text, and hides it again.
    EXPECT_LT(panel_share(shot(), navy), 0.1);
    key("question");
    EXPECT_TRUE(eventually("help_on", [&](const screenshot& s) {
        return panel_share(s, navy) > 0.6 && s.near({60, 42}, 8, white);
    }));
    key("question");
    EXPECT_TRUE(eventually("help_off", [&](const screenshot& s) { return panel_share(s, navy) < 0.1; }));
}

point shifted_fold(point p)
{
    const double u = p.y - 5.5;
    return {p.x + 0.3 * p.y, u * u * u + (p.x - 2.5) * u};
}

TEST_F(Window, AUserMapOpensFramedOnItsContent)
{
    start_program({"--f1", "x+0.3*y", "--f2", "(y-5.5)^3+(x-2.5)*(y-5.5)", "--x", "2,3", "--y", "5,6", "-n", "10"});
    source = framed(2, 3, 5, 6);
    target = framed_image(shifted_fold, 2, 3, 5, 6, 10);
    // The corners of the box at 5% of the window from its edges: (2, 5) at (50, 950), (3, 6) at (950, 50).
    EXPECT_NEAR(source.pixel({2, 5}).x, 50, 1e-9);
    EXPECT_NEAR(source.pixel({3, 6}).y, 50, 1e-9);
    const auto grid_corners = [&](const screenshot& s) {
        return s.near(source.pixel({2, 5}), 3, blue) && s.near(source.pixel({3, 6}), 3, red) &&
               s.near(target.pixel(shifted_fold({2, 5})), 3, blue) && s.near(target.pixel(shifted_fold({3, 6})), 3, red);
    };
    EXPECT_TRUE(eventually("framed_at_start", grid_corners, 120s, true));
}

}  // namespace
