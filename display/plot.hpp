#pragma once
// The plot of one analysis: the source plane and the target plane side by
// side, each framed to its content, with axes, ticks, a legend and a title,
// written as SVG, PDF or PNG.

#include "features.hpp"
#include "map.hpp"
#include "resultat.hpp"

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
    /// Whether the cusp search settled everything; otherwise the part of the
    /// box it left unsettled is shaded.
    bool cusps_complete = true;
};

struct plot_point {
    double x = 0;
    double y = 0;
};

using plot_segment = std::pair<plot_point, plot_point>;

/// Where one plane goes on the page: a rectangle of the page (device units,
/// rows counted from the top) showing the data rectangle [x_low, x_high] × [y_low, y_high].
struct plot_frame {
    double left = 0;
    double top = 0;
    double width = 1;
    double height = 1;
    double x_low = 0;
    double x_high = 1;
    double y_low = 0;
    double y_high = 1;

    /// Page column of abscissa x.
    double column(double x) const { return left + (x - x_low) / (x_high - x_low) * width; }
    /// Page row of ordinate y.
    double row(double y) const { return top + (y_high - y) / (y_high - y_low) * height; }
    plot_point page(const plot_point& p) const { return {column(p.x), row(p.y)}; }
};

/// Everything drawn, in data coordinates, and where each plane goes.
struct plot_picture {
    /// Page size in device units (points for SVG and PDF, pixels for PNG).
    double width = 1400;
    double height = 810;
    std::string title;
    std::string subtitle;
    domain box;
    plot_frame source;
    plot_frame target;
    /// The fold curve sampled inside the cells where the determinant may vanish, and its image.
    std::vector<plot_segment> fold_curve;
    std::vector<plot_segment> fold_image;
    /// The boundary of the box, walked round, and its image.
    std::vector<plot_point> boundary;
    std::vector<plot_point> boundary_image;
    std::vector<feature> features;
    /// Boxes of the source plane whose candidates the searches left undecided.
    std::vector<domain> undecided;
    /// Whether the cusp search left part of the box unsettled (shaded apart from its settled boxes).
    bool cusps_undecided = false;
    /// Cells of the source plane: those the fold curve crosses, and those where the determinant may vanish.
    std::vector<domain> fold_cells;
    std::vector<domain> singular_cells;
    std::vector<domain> settled_cusp_boxes;
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

/// Samples the curves of subject, collects its features and frames both planes.
plot_picture picture_of(const plot_subject& subject);

/// Writes picture to file in the format its extension names; false when the
/// format is unknown or the file cannot be written.
bool write_plot(const plot_picture& picture, const std::string& file);
