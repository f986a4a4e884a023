#pragma once
// The plot of one analysis: the source plane and the target plane side by
// side (and the fold image enlarged, when it is small beside the boundary
// image), each framed to its content, with axes, ticks, labelled markers, a
// legend and a title, on a page of a given size in centimetres, written as
// SVG (with its texts as text elements), PDF or PNG.

#include "features.hpp"
#include "map.hpp"
#include "resultat.hpp"

#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

/// The file formats of a plot.
enum class plot_format { svg, pdf, png };

/// The format a file name asks for by its extension (.svg, .pdf, .png, in any
/// letter case); nothing for any other name.
std::optional<plot_format> plot_format_of(const std::string& file);

/// What a plot shows: the map with its texts, its Jacobian determinant, and
/// the results of its analysis.
struct plot_subject {
    std::string first_component;
    std::string second_component;
    /// The map, components y0 and y1 in x and y.
    Map f;
    /// Its Jacobian determinant, in x and y.
    expression det;
    const resultat& res;
    /// Whether every search settled every candidate; otherwise the title says
    /// that the counts are incomplete.
    bool complete = true;
    /// The proved number of preimages of a target point (none where it cannot
    /// be proved), for the sheet numbers of the target plane; unset for none.
    std::function<std::optional<int>(double, double)> preimage_count = {};
    /// The fold curve's components with their features in order, in the
    /// labels' words (for the subtitle); empty when not known.
    std::string fold_curve_text = {};
};

/// The page of a plot and how its planes are scaled.
struct plot_page {
    /// Width and height in centimetres.
    double width_cm = 24;
    double height_cm = 13.5;
    /// Whether a unit is as long along both axes of a plane.
    bool equal_scales = true;
};

/// Points (1/72 inch) per centimetre.
constexpr double points_per_cm = 72 / 2.54;
/// Pixels of a PNG per point of the page (144 pixels per inch).
constexpr double png_pixels_per_point = 2;

struct plot_point {
    double x = 0;
    double y = 0;
};

using plot_segment = std::pair<plot_point, plot_point>;

/// A rectangle of the page, in points, rows counted from the top.
struct plot_rect {
    double left = 0;
    double top = 0;
    double width = 0;
    double height = 0;

    double right() const { return left + width; }
    double bottom() const { return top + height; }
    bool overlaps(const plot_rect& r) const
    {
        return left < r.right() && r.left < right() && top < r.bottom() && r.top < bottom();
    }
    bool inside(const plot_rect& r) const
    {
        return left >= r.left && right() <= r.right() && top >= r.top && bottom() <= r.bottom();
    }
};

/// Where one plane goes on the page: a rectangle of the page showing the data
/// rectangle [x_low, x_high] × [y_low, y_high].
struct plot_frame {
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;
    double x_low = 0;
    double x_high = 1;
    double y_low = 0;
    double y_high = 1;
    /// Whether each axis got a scale of its own although the page asks for
    /// equal scales: the data rectangle is too long for them.
    bool scaled_apart = false;

    /// Page column of abscissa x.
    double column(double x) const { return left + (x - x_low) / (x_high - x_low) * width; }
    /// Page row of ordinate y.
    double row(double y) const { return top + (y_high - y) / (y_high - y_low) * height; }
    plot_point page(const plot_point& p) const { return {column(p.x), row(p.y)}; }
    plot_rect rect() const { return {left, top, width, height}; }
};

/// The label of a feature's marker, placed where it overlaps no other label
/// and no marker: beside the marker, or further off with a leader line.
struct plot_label {
    std::string text;
    /// The marker's centre on the page.
    plot_point marker;
    /// What the text takes on the page.
    plot_rect box;
    bool leader = false;
};

/// A legend entry placed on the page: its sample at the left, then its text.
struct plot_legend_entry {
    /// Position in the legend's list of samples (plot.cpp).
    int sample = 0;
    std::string text;
    plot_point at;
};

/// Everything drawn, in data coordinates, and where it goes on the page.
struct plot_picture {
    /// Page size in points.
    double width = 1;
    double height = 1;
    std::string title;
    std::string subtitle;
    double title_size = 10;
    domain box;
    plot_frame source;
    plot_frame target;
    /// The fold image enlarged, when it is small beside the boundary image.
    std::optional<plot_frame> enlarged;
    /// The fold curve sampled inside the cells where the determinant may vanish, and its image.
    std::vector<plot_segment> fold_curve;
    std::vector<plot_segment> fold_image;
    /// The boundary of the box, walked round, and its image (broken by points
    /// that are not finite where the map is undefined or across a pole).
    std::vector<plot_point> boundary;
    std::vector<plot_point> boundary_image;
    std::vector<feature> features;
    /// Boxes of the source plane where the searches left candidates undecided.
    std::vector<domain> undecided;
    /// Cells of the source plane: those the fold curve crosses, and those where the determinant may vanish.
    std::vector<domain> fold_cells;
    std::vector<domain> singular_cells;
    /// Sheet numbers: proved preimage counts at the centres of a grid of
    /// sheet_columns × sheet_rows cells over sheet_area (y0, y1), row after
    /// row from the lower left; empty when not asked for.
    domain sheet_area;
    int sheet_columns = 0;
    int sheet_rows = 0;
    std::vector<std::optional<int>> sheets;
    std::vector<plot_label> labels;
    std::vector<plot_legend_entry> legend;
    /// The legend's note on the labels, line by line (none on a page too small for it).
    std::vector<std::string> legend_note;
    double legend_note_top = 0;
};

/// The curves of a plot, in data coordinates.
struct plot_curves {
    /// The fold curve sampled inside the cells where the determinant may vanish, and its image.
    std::vector<plot_segment> fold_curve;
    std::vector<plot_segment> fold_image;
    /// The boundary of the box, walked round, and its image.
    std::vector<plot_point> boundary;
    std::vector<plot_point> boundary_image;
};

/// Samples the curves of the map f (components y0, y1 in x and y) with
/// Jacobian determinant det over box: its boundary, and its fold curve inside
/// singular_cells, the cells where det may vanish.
plot_curves curves_of(const Map& f, const expression& det, const domain& box, const std::vector<domain>& singular_cells);

/// Samples the curves of subject, collects its features, frames the planes
/// on a page as `page` asks and places the labels and the legend.
plot_picture picture_of(const plot_subject& subject, const plot_page& page = {});

/// Writes picture to file in the format its extension names; false when the
/// format is unknown or the file cannot be written.
bool write_plot(const plot_picture& picture, const std::string& file);
