// The plot of the built-in map read back: pixels of the PNG against the fold
// image in closed form, markers counted in the SVG, the PDF checked by poppler.

#include "plot_file.hpp"
#include "png_pixels.hpp"
#include "process.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <memory>
#include <sstream>

namespace {

/// The fold curve and its image are the only strong red of the plot.
bool fold_red(rgb c) { return c.r > 180 && c.g < 80 && c.b < 80; }
/// The cusp marker's magenta.
bool cusp_magenta(rgb c) { return c.r > 170 && c.g < 60 && c.b > 170; }
bool blue_line(rgb c) { return c.b > 150 && c.r < 120 && c.g < 150; }

/// The built-in map f = (x + 0.2y, y³ − xy) has determinant 3y² − x + 0.2y,
/// so its fold curve is x = 3y² + 0.2y and the fold image is
/// y ↦ (3y² + 0.2y + 0.2y, y³ − (3y² + 0.2y)y) = (3y² + 0.4y, −2y³ − 0.2y²).
plot_point fold_point(double y) { return {3 * y * y + 0.2 * y, y}; }
plot_point fold_image_point(double y) { return {3 * y * y + 0.4 * y, -2 * y * y * y - 0.2 * y * y}; }

/// The cusp: the fold tangent (1 along x = 3y² + 0.2y, i.e. (6y + 0.2, 1)) is
/// in the kernel of the Jacobian [[1, 0.2], [−y, 3y² − x]] = [[1, 0.2], [−y, 0.2y]]
/// on the fold, when 6y + 0.2 + 0.2 = 0, y = −1/15, x = 3/225 − 0.2/15 = 0. Its image
/// is (0 + 0.2·(−1/15), (−1/15)³ − 0) = (−1/75, −1/3375).
const plot_point cusp{0, -1.0 / 15};
const plot_point cusp_image{-1.0 / 75, -1.0 / 3375};

double distance(const plot_point& a, const plot_point& b) { return std::hypot(a.x - b.x, a.y - b.y); }

/// Whether page point q may be hidden by a feature's marker or a label.
bool under_a_marker(const plot_picture& p, const plot_point& q)
{
    for (const plot_label& l : p.labels) {
        const plot_rect around{l.box.left - 1, l.box.top - 1, l.box.width + 2, l.box.height + 2};
        if (distance(l.marker, q) < 5 || plot_rect{q.x, q.y, 0, 0}.inside(around)) return true;
    }
    return false;
}

/// A run of input's analysis, its report discarded.
analysis_run quiet_run(const analysis_input& input)
{
    ::testing::internal::CaptureStdout();
    analysis_run run = run_analysis(input);
    ::testing::internal::GetCapturedStdout();
    return run;
}

class BuiltInPlot : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        run = std::make_unique<analysis_run>(quiet_run(input));
    }
    static void TearDownTestSuite() { run.reset(); }

    static inline const analysis_input input = built_in_input();
    static inline std::unique_ptr<analysis_run> run;
    scratch_folder folder;
};

/// A fold curve in closed form: its point and its image at parameter t, over [t_low, t_high].
struct closed_form_fold {
    plot_point (*point)(double t);
    plot_point (*image)(double t);
    double t_low, t_high;
};

/// Checks that along the closed form, in both planes, the curve is drawn
/// (where no marker hides it), and that every red pixel of the target panel
/// lies on the closed form.
void expect_fold_drawn(const plot_picture& picture, const png_pixels& png, const closed_form_fold& fold)
{
    const domain& box = picture.box;
    const auto inside = [&](double t) {
        const plot_point p = fold.point(t);
        return p.x > inf(box.get("x")) && p.x < sup(box.get("x")) && p.y > inf(box.get("y")) && p.y < sup(box.get("y"));
    };
    const double step = (fold.t_high - fold.t_low) / 300;
    int checked = 0;
    for (double t = fold.t_low; t < fold.t_high; t += step) {
        if (!inside(t)) continue;
        const plot_point s = picture.source.page(fold.point(t));
        const plot_point i = picture.target.page(fold.image(t));
        if (!under_a_marker(picture, s)) {
            EXPECT_TRUE(png.near(s, 2, fold_red)) << "no fold curve at t = " << t;
            ++checked;
        }
        if (!under_a_marker(picture, i)) {
            EXPECT_TRUE(png.near(i, 2, fold_red)) << "no fold image at t = " << t;
            ++checked;
        }
    }
    EXPECT_GT(checked, 100);

    std::vector<plot_point> curve;
    for (double t = fold.t_low; t < fold.t_high; t += step / 10)
        if (inside(t)) curve.push_back(picture.target.page(fold.image(t)));
    const plot_frame& f = picture.target;
    const double k = png_pixels_per_point;
    int red = 0;
    for (int row = static_cast<int>(k * f.top) + 2; row < k * (f.top + f.height) - 2; ++row)
        for (int column = static_cast<int>(k * f.left) + 2; column < k * (f.left + f.width) - 2; ++column) {
            if (!fold_red(png.at(column, row))) continue;
            ++red;
            const plot_point q{(column + 0.5) / k, (row + 0.5) / k};
            double nearest = INFINITY;
            for (const plot_point& c : curve) nearest = std::min(nearest, distance(c, q));
            EXPECT_LT(nearest, 1.5) << "red pixel off the fold image at column " << column << ", row " << row;
        }
    EXPECT_GT(red, 200);
}

TEST_F(BuiltInPlot, FoldCurveFoldImageAndCuspSitWhereTheClosedFormPutsThem)
{
    const plot_picture picture = picture_of(plot_subject_of(input, *run));
    const std::string file = folder.file("plot.png");
    ASSERT_TRUE(write_plot(picture, file));
    const png_pixels png = read_png(file);
    ASSERT_EQ(png.width, static_cast<int>(std::ceil(picture.width * png_pixels_per_point)));
    expect_fold_drawn(picture, png, {fold_point, fold_image_point, -0.7, 0.61});

    // The cusp marker at the cusp and at its image; the boundary image is drawn.
    EXPECT_TRUE(png.near(picture.source.page(cusp), 1, cusp_magenta));
    EXPECT_TRUE(png.near(picture.target.page(cusp_image), 1, cusp_magenta));
    // The image of the corner (0.33, 0.61) is (0.452, 0.025981 ... = 0.61³ − 0.33·0.61 = 0.226981 − 0.2013).
    EXPECT_TRUE(png.near(picture.target.page({0.452, 0.025681}), 2, blue_line));
    // The fold x = 3y² + 0.2y runs from its meeting point with x = 0.33 at
    // y = −11/30 (P1, the lower) through the cusp to the one at y = 0.3.
    EXPECT_NE(picture.subtitle.find("fold curve P1 – C1 – "), std::string::npos) << picture.subtitle;
    EXPECT_NE(picture.subtitle.find(" – P2"), std::string::npos) << picture.subtitle;
}

TEST_F(BuiltInPlot, BothAxesOfAPlaneShareTheirScaleUnlessAskedOtherwise)
{
    const auto per_unit = [](const plot_frame& f) {
        return std::make_pair(f.width / (f.x_high - f.x_low), f.height / (f.y_high - f.y_low));
    };
    const plot_picture equal = picture_of(plot_subject_of(input, *run));
    for (const plot_frame& f : {equal.source, equal.target}) {
        const auto [x, y] = per_unit(f);
        EXPECT_NEAR(x, y, 1e-9 * x);
    }
    // The box is 0.53 × 1.31: drawn free, its frame is as wide as the target's, which is not as tall.
    const plot_picture free = picture_of(plot_subject_of(input, *run), {24, 13.5, false});
    const auto [x, y] = per_unit(free.source);
    EXPECT_GT(x / y, 2);
    EXPECT_DOUBLE_EQ(free.source.width, free.target.width);
}

TEST_F(BuiltInPlot, SvgParsesAndHoldsOneMarkerPerFeatureInEachPlaneAndItsTextsAsTextElements)
{
    const std::string file = folder.file("plot.svg");
    ASSERT_TRUE(write_plot(picture_of(plot_subject_of(input, *run)), file));
    // Counts the paths filled in each marker colour.
    const std::string script = "import sys, xml.etree.ElementTree as E\n"
                               "colours = ['80%,0%,80%', '0%,60%,0%', '0%,75%,80%', '100%,50%,0%', '45%,20%,10%']\n"
                               "paths = [p.get('style', '') for p in E.parse(sys.argv[1]).iter('{http://www.w3.org/2000/svg}path')]\n"
                               "print(' '.join(str(sum('fill:rgb(' + c + ')' in s for s in paths)) for c in colours))\n";
    std::ofstream(folder.file("count.py")) << script;
    std::istringstream counts(command_output("/usr/bin/python3 " + folder.file("count.py") + " " + file));
    // Each kind has its legend sample; a cusp and a point where the fold meets
    // the boundary show once in each plane, a crossing at its two source points and its image.
    const resultat& res = run->analysis.res;
    const int points = 2;  // the fold curve x = 3y² + 0.2y meets x = 0.33 at y = 0.3 and y = −11/30
    const int fold_boundary_crossings = static_cast<int>(res.fold_boundary_pairs.size()) - points;
    const int expected[] = {1 + 2 * 1, 1 + 3 * static_cast<int>(res.fold_fold_pairs.size()),
                            1 + 3 * static_cast<int>(res.boundary_boundary_pairs.size()),
                            1 + 3 * fold_boundary_crossings, 1 + 2 * points};
    for (const int e : expected) {
        int seen = -1;
        counts >> seen;
        EXPECT_EQ(seen, e);
    }
    // The texts are text elements, not glyph outlines.
    const std::string svg = file_contents(file);
    EXPECT_NE(svg.find(">source plane</text>"), std::string::npos);
    EXPECT_NE(svg.find(">C1</text>"), std::string::npos);
    EXPECT_EQ(svg.find("<symbol"), std::string::npos);
}

TEST_F(BuiltInPlot, PdfIsReadByPopplerAtThePageSizeAsked)
{
    const std::string file = folder.file("plot.pdf");
    ASSERT_TRUE(write_plot(picture_of(plot_subject_of(input, *run), {8, 5}), file));
    // pdfinfo fails on a file that is not a valid PDF; it prints "Field: value" lines.
    const std::string info = command_output("pdfinfo " + file + " 2>&1 && echo valid");
    std::map<std::string, std::string> fields;
    for (const std::string& line : lines_of(info)) {
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            fields[line.substr(0, colon)] = line.substr(line.find_first_not_of(' ', colon + 1));
    }
    EXPECT_EQ(lines_of(info).back(), "valid") << info;
    EXPECT_EQ(fields["Pages"], "1") << info;
    // 8 cm and 5 cm are 8 / 2.54 · 72 = 226.772 and 5 / 2.54 · 72 = 141.732 points.
    EXPECT_EQ(fields["Page size"], "226.772 x 141.732 pts") << info;
}

/// The map (x + 0.3y, u³ + (x − 2.5)u) with u = y − 5.5 and v = x − 2.5 has
/// determinant 3u² + v − 0.3u: its fold curve is v = 0.3u − 3u², with the image
/// (v + 2.5 + 0.3(u + 5.5), u³ + vu) = (4.15 + 0.6u − 3u², −2u³ + 0.3u²).
plot_point shifted_fold_point(double u) { return {2.5 + 0.3 * u - 3 * u * u, 5.5 + u}; }
plot_point shifted_fold_image(double u) { return {4.15 + 0.6 * u - 3 * u * u, -2 * u * u * u + 0.3 * u * u}; }

TEST(UserMapPlot, ShowsBothPlanesOfAMapFarFromTheOrigin)
{
    const analysis_input input{"x+0.3*y", "(y-5.5)^3+(x-2.5)*(y-5.5)",
                               domain{{"x", interval(2, 3)}, {"y", interval(5, 6)}}, 10};
    const analysis_run run = quiet_run(input);
    const plot_picture picture = picture_of(plot_subject_of(input, run));
    scratch_folder folder;
    ASSERT_TRUE(write_plot(picture, folder.file("plot.png")));
    const png_pixels png = read_png(folder.file("plot.png"));
    expect_fold_drawn(picture, png, {shifted_fold_point, shifted_fold_image, -0.5, 0.5});
    // The boundary image: the corner (3, 6) maps to (3 + 1.8, 0.125 + 0.25) = (4.8, 0.375).
    EXPECT_TRUE(png.near(picture.target.page({4.8, 0.375}), 2, blue_line));
    // The source plane is framed on the box with 5% of its width on either side: 0.05 / 1.1 of the panel.
    EXPECT_NEAR(picture.source.column(2) - picture.source.left, picture.source.width / 22, 1e-6);
}

TEST(FoldPlot, ShadesTheTargetBySheetNumbersWithALegend)
{
    // (x, y²) over y in [−1.5, 1.3]: a point (a, b) of the target, a in the
    // box's x, has no preimage for b < 0, two, (a, ±√b), for 0 < b < 1.3²,
    // and one, (a, −√b), for 1.3² < b < 1.5².
    const analysis_input input{"x", "y^2", domain{{"x", interval(-1, 1.1)}, {"y", interval(-1.5, 1.3)}}, 10};
    const plot_picture picture = picture_of(plot_subject_of(input, quiet_run(input)));
    ASSERT_EQ(picture.sheets.size(), static_cast<std::size_t>(picture.sheet_columns * picture.sheet_rows));
    const interval A = picture.sheet_area.get("y0"), B = picture.sheet_area.get("y1");
    for (int row = 0; row < picture.sheet_rows; ++row) {
        for (int column = 0; column < picture.sheet_columns; ++column) {
            const double a = A.inf() + (column + 0.5) * A.width() / picture.sheet_columns;
            const double b = B.inf() + (row + 0.5) * B.width() / picture.sheet_rows;
            const std::optional<int>& n = picture.sheets[row * picture.sheet_columns + column];
            if (b < -0.01 || a < -0.99 || a > 1.09) {
                EXPECT_TRUE(!n || *n == 0) << a << ", " << b;
            }
            if (b > 0.01 && b < 1.68 && a > -0.99 && a < 1.09) {
                EXPECT_TRUE(!n || *n == 2) << a << ", " << b;
            }
            if (b > 1.7 && b < 2.24 && a > -0.99 && a < 1.09) {
                EXPECT_TRUE(!n || *n == 1) << a << ", " << b;
            }
        }
    }
    const auto listed = [&](const std::string& text) {
        return std::any_of(picture.legend.begin(), picture.legend.end(),
                           [&](const plot_legend_entry& e) { return e.text == text; });
    };
    EXPECT_TRUE(listed("0 preimages") && listed("1 preimage") && listed("2 preimages"));
    EXPECT_FALSE(listed("3 preimages"));
}

/// The distance from page point q to the nearest point of rectangle r.
double distance(const plot_rect& r, const plot_point& q)
{
    return distance(q, {std::clamp(q.x, r.left, r.right()), std::clamp(q.y, r.top, r.bottom())});
}

TEST(SwallowtailPlot, LabelsOverlapNeitherEachOtherNorMarkersStayInTheirFramesAndWithoutLeaderAreNearestTheirOwn)
{
    const analysis_input input{"x+0.2*y", "y^4/4-0.375*y^2+(x+0.2*y)*y",
                               domain{{"x", interval(-1, 1)}, {"y", interval(-1, 1.1)}}, 10};
    const analysis_run run = quiet_run(input);
    const plot_picture picture = picture_of(plot_subject_of(input, run));
    // Every feature labelled at each of its markers: 2 cusps, 1 fold–fold, 1
    // boundary–boundary and 4 fold–boundary crossings at two source points and an
    // image each, 2 points where the fold meets the boundary at one and an image.
    ASSERT_EQ(picture.labels.size(), 2 * 2 + 3 * (1 + 1 + 4) + 2 * 2);
    std::vector<plot_rect> markers;
    for (const plot_label& l : picture.labels) markers.push_back({l.marker.x - 3, l.marker.y - 3, 6, 6});
    for (std::size_t i = 0; i < picture.labels.size(); ++i) {
        const plot_label& a = picture.labels[i];
        const bool framed = a.box.inside(picture.source.rect()) || a.box.inside(picture.target.rect());
        EXPECT_TRUE(framed) << a.text;
        for (std::size_t j = i + 1; j < picture.labels.size(); ++j)
            EXPECT_FALSE(a.box.overlaps(picture.labels[j].box)) << a.text << " and " << picture.labels[j].text;
        for (const plot_rect& m : markers) EXPECT_FALSE(a.box.overlaps(m)) << a.text;
        if (!a.leader) {
            for (const plot_label& b : picture.labels)
                EXPECT_GE(distance(a.box, b.marker), distance(a.box, a.marker)) << a.text << " beside " << b.text;
        }
    }
}

TEST(LipsPlot, EnlargesAFoldImageMuchSmallerThanTheBoundaryImage)
{
    // (x, y³ + (x² − 0.1)y): det = 3y² + x² − 0.1, so the fold curve is the
    // ellipse x² + 3y² = 0.1, whose image (x, y³ − 3y³) = (x, −2y³) has
    // |f1| ≤ √0.1 and |f2| ≤ 2 (0.1/3)^1.5 < 0.0122, while the boundary image
    // reaches f2 = ±(1 + 0.9) at the corners.
    const analysis_input input{"x", "y^3+(x^2-0.1)*y", domain{{"x", interval(-1, 1)}, {"y", interval(-1, 1)}}, 10};
    const analysis_run run = quiet_run(input);
    const plot_picture picture = picture_of(plot_subject_of(input, run));
    ASSERT_TRUE(picture.enlarged.has_value());
    const plot_frame& e = *picture.enlarged;
    EXPECT_LT(e.x_low, -0.3);
    EXPECT_GT(e.x_high, 0.3);
    EXPECT_LT(e.x_high, 0.4);
    EXPECT_LT(e.y_high, 0.014);
    EXPECT_GT(e.y_high, 0.011);
    EXPECT_GT(picture.target.y_high, 1.9);
    // The built-in map's fold image is not small beside its boundary image.
    EXPECT_FALSE(picture_of(plot_subject_of(built_in_input(), quiet_run(built_in_input()))).enlarged.has_value());
}

TEST(PolePlot, DrawsNoFoldAlongAPoleAndDoesNotJoinTheBoundaryImageAcrossIt)
{
    // (x, y/x): det = 1/x changes sign across the pole x = 0 and is never 0,
    // so there is no fold curve. The image of a horizontal edge, (x, ±1/x),
    // changes the sign of f2 only across the pole, and there no line may join
    // it (over [-1, 1.3] no sample of the edge falls on the pole itself).
    const analysis_input input{"x", "y/x", domain{{"x", interval(-1, 1.3)}, {"y", interval(-1, 1)}}, 10};
    const plot_picture picture = picture_of(plot_subject_of(input, quiet_run(input)));
    EXPECT_TRUE(picture.fold_curve.empty());
    const std::vector<plot_point>& image = picture.boundary_image;
    for (std::size_t k = 1; k < image.size(); ++k) {
        const plot_point &a = image[k - 1], &b = image[k];
        const bool across = (a.y < -1 && b.y > 1) || (a.y > 1 && b.y < -1);
        EXPECT_FALSE(across) << "(" << a.x << ", " << a.y << ") joined to (" << b.x << ", " << b.y << ")";
    }
}

TEST(PlotFormat, ComesFromTheExtension)
{
    EXPECT_EQ(plot_format_of("a/b.svg"), plot_format::svg);
    EXPECT_EQ(plot_format_of("b.PDF"), plot_format::pdf);
    EXPECT_EQ(plot_format_of("x.y.png"), plot_format::png);
    for (const char* refused : {"plot", "plot.jpg", "plot.svg/", "dir.png/plot", "plot.svgz"})
        EXPECT_FALSE(plot_format_of(refused)) << refused;
}

}  // namespace
