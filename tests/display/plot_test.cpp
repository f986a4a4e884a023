// The plot of hand-made results of the identity map over [0, 1]²: the
// features numbered as the results file lists them, each with its image box;
// the undecided regions shaded; markers and boundary where the frames put them.

#include "boxes.hpp"
#include "features.hpp"
#include "png_pixels.hpp"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

bool white(rgb c) { return c.r > 245 && c.g > 245 && c.b > 245; }
/// The shade of undecided regions, a grey-blue over white.
bool shaded(rgb c) { return c.b > c.r + 15 && c.r > 120 && c.r < 240 && std::abs(c.r - c.g) < 8; }
bool magenta(rgb c) { return c.r > 170 && c.g < 60 && c.b > 170; }
bool blue_line(rgb c) { return c.b > 150 && c.r < 120 && c.g < 150; }

class IdentityPlot : public ::testing::Test {
protected:
    resultat res;
    Map identity{std::vector<expression>{expression("x"), expression("y")}};

    void SetUp() override
    {
        res.source_mesh = mesh(plane_box(0, 1, 0, 1), 2);
        res.cusps = {plane_box(0.2, 0.21, 0.7, 0.71)};
        res.cusp_undecided = {plane_box(0, 0.5, 0.5, 1)};
        res.fold_boundary_pairs = {{plane_box(0.4, 0.5, 0.4, 0.5), plane_box(1, 1, 0.45, 0.6)},
                                   {plane_box(1, 1, 0.1, 0.2), plane_box(1, 1, 0.1, 0.2)}};
        // A pair the fold–boundary search gave up, and one it settled.
        res.fold_boundary_coded = {{{plane_box(0.6, 0.9, 0.6, 0.9), plane_box(0.6, 0.9, 0.1, 0.3)}, 8},
                                   {{plane_box(0.1, 0.2, 0.1, 0.2), plane_box(0, 0, 0.1, 0.2)}, 2}};
        // A pair of edge pieces the boundary–boundary search gave up: boxes without area.
        res.boundary_boundary_coded = {{{plane_box(0, 0, 0.15, 0.25), plane_box(0.7, 0.8, 0, 0)}, 8}};
    }
};

TEST_F(IdentityPlot, FeaturesComeKindAfterKindNumberedWithTheirImageBoxes)
{
    const std::vector<feature> features = proved_features(res, identity);
    ASSERT_EQ(features.size(), 3u);
    EXPECT_EQ(feature_label(features[0]), "C1");
    EXPECT_EQ(feature_label(features[1]), "FB1");
    EXPECT_EQ(feature_label(features[2]), "P1");
    // Under the identity the image of a box is the box; a crossing's is the
    // intersection of its two boxes' images: [0.4, 0.5] × [0.45, 0.5] ∩ {1} in y0 is empty.
    EXPECT_EQ(features[0].image.get("y0"), interval(0.2, 0.21));
    EXPECT_EQ(features[0].image.get("y1"), interval(0.7, 0.71));
    EXPECT_TRUE(features[1].image.get("y0").isEmpty());
    EXPECT_EQ(features[1].image.get("y1"), interval(0.45, 0.5));
    EXPECT_TRUE(features[2].second.empty());
    EXPECT_EQ(features[2].image.get("y0"), interval(1, 1));
}

TEST_F(IdentityPlot, ShadesWhatTheSearchesLeftAndMarksFeaturesInBothPlanes)
{
    const plot_picture picture = picture_of({"x", "y", identity, expression("1"), res, false});
    const std::string file = ::testing::TempDir() + "plisse_identity_plot.png";
    ASSERT_TRUE(write_plot(picture, file));
    const png_pixels png = read_png(file);
    std::filesystem::remove(file);
    // The default page, 24 cm wide, at 2 pixels per point: 24 / 2.54 · 72 · 2 = 1360.6 pixels.
    ASSERT_EQ(png.width, 1361);
    const plot_frame& s = picture.source;
    const plot_frame& t = picture.target;
    auto at = [&](const plot_frame& f, double x, double y) { return png.at(plot_point{f.column(x), f.row(y)}); };

    // Both boxes of the pairs given up are shaded, and so is the box the cusp
    // search left undecided; the rest stays white.
    EXPECT_TRUE(shaded(at(s, 0.75, 0.75)));
    EXPECT_TRUE(shaded(at(s, 0.75, 0.2)));
    EXPECT_TRUE(white(at(s, 0.3, 0.3)));
    EXPECT_TRUE(shaded(at(s, 0.3, 0.9)));
    // The edge pieces show as bands along the edges, outside the box too.
    EXPECT_TRUE(shaded(png.at(plot_point{s.column(0) - 1, s.row(0.2)})));
    EXPECT_TRUE(shaded(png.at(plot_point{s.column(0.75), s.row(0) + 1})));
    EXPECT_TRUE(white(png.at(plot_point{s.column(0) - 1, s.row(0.3)})));
    // The target of the identity is framed like the source, with the boundary image on the box's edges.
    EXPECT_DOUBLE_EQ(t.x_low, s.x_low);
    EXPECT_DOUBLE_EQ(t.y_high, s.y_high);
    EXPECT_DOUBLE_EQ(t.width, s.width);
    EXPECT_NE(picture.title.find("incomplete"), std::string::npos) << picture.title;
    EXPECT_TRUE(png.near(t.page({0.5, 0}), 1, blue_line));
    EXPECT_TRUE(png.near(t.page({0, 0.3}), 1, blue_line));
    // The cusp's marker at its box's centre, in both planes.
    EXPECT_TRUE(magenta(at(s, 0.205, 0.705)));
    EXPECT_TRUE(magenta(at(t, 0.205, 0.705)));
}

TEST(PlotLayout, AFrameAtEqualScalesGetsTheWidthItsDataNeeds)
{
    // (3x, y) maps [0, 1]² onto [0, 3] × [0, 1]: framed with 5% on each side,
    // the source is 1.1 × 1.1 and the target 3.3 × 1.1, three times as wide at
    // the same height, which takes more than half of the page.
    resultat res;
    res.source_mesh = mesh(plane_box(0, 1, 0, 1), 2);
    const Map stretch{std::vector<expression>{expression("3*x"), expression("y")}};
    const plot_picture picture = picture_of({"3*x", "y", stretch, expression("3"), res});
    const plot_frame& s = picture.source;
    const plot_frame& t = picture.target;
    EXPECT_NEAR(t.height, s.height, 1e-9);
    EXPECT_NEAR(t.width, 3 * s.width, 1e-9);
    EXPECT_GT(t.width, picture.width / 2);
}

TEST(PlotFile, UnknownFormatsAndUnwritablePlacesAreRefused)
{
    resultat res;
    res.source_mesh = mesh(plane_box(0, 1, 0, 1), 1);
    const plot_picture picture =
        picture_of({"x", "y", Map(std::vector<expression>{expression("x"), expression("y")}), expression("1"), res});
    EXPECT_FALSE(write_plot(picture, ::testing::TempDir() + "plot.gif"));
    for (const char* extension : {".svg", ".pdf", ".png"})
        EXPECT_FALSE(write_plot(picture, std::string("/nonexistent-folder/plot") + extension)) << extension;
}

}  // namespace
