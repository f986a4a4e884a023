#pragma once
// The page of a plot, shared by its layout and its drawing: the sizes of its
// texts and marks in points, the entries of its legend, and the layout step
// that frames the planes and places the title, the legend and the labels.

#include "plot.hpp"

#include <limits>
#include <string>
#include <utility>

namespace plot_style {

constexpr const char* font = "DejaVu Sans";
/// Space kept free along the edges of the page.
constexpr double margin = 10;
constexpr double title_size = 10;
/// The smallest size a long title is shrunk to before it is cut.
constexpr double smallest_title_size = 7;
constexpr double subtitle_size = 8;
constexpr double heading_size = 8;
constexpr double axis_name_size = 8;
constexpr double tick_size = 7;
constexpr double label_size = 7;
constexpr double legend_size = 7;
constexpr double marker_radius = 3;
/// Height of a line of the legend.
constexpr double legend_line = 10;
/// Room a sample takes before the text of its legend entry.
constexpr double legend_sample_width = 20;
/// Around a panel's frame: tick labels and the axis name at its left and
/// below it, its heading above it, and a gap at its right.
constexpr double frame_left_room = 36;
constexpr double frame_bottom_room = 21;
constexpr double frame_top_room = 12;
constexpr double frame_right_room = 10;

/// The samples of the legend, in their order: what each one's text says.
enum legend_sample {
    studied_box,
    fold_lines,
    boundary_line,
    fold_cells,
    singular_cells,
    undecided_boxes,
    cusp_marker,
    fold_fold_marker,
    boundary_boundary_marker,
    fold_boundary_marker,
    fold_meets_boundary_marker,
    enlarged_part,
};

inline const char* const legend_texts[] = {
    "studied box",
    "fold curve and fold image",
    "boundary image",
    "cells the fold curve crosses",
    "cells where det may vanish",
    "left undecided",
    "cusp",
    "fold-fold crossing",
    "boundary-boundary crossing",
    "fold-boundary crossing",
    "fold meets boundary",
    "part enlarged",
};

inline const char* const legend_note =
    "Labels: C cusp, FF fold-fold, BB boundary-boundary, FB fold-boundary crossing, P fold meets boundary; numbers "
    "as in the results file. Crossings are marked at both source points.";

}  // namespace plot_style

/// The width in points of text at size points in the plot's font.
double text_width(const std::string& text, double size);

/// Lowest and highest value seen.
struct plot_range {
    double low = std::numeric_limits<double>::infinity();
    double high = -std::numeric_limits<double>::infinity();

    void add(double v);
    bool empty() const { return !(low <= high); }
    double width() const { return empty() ? 0 : high - low; }
    /// The range widened by 5% of its width on either side (to a unit width
    /// around a single value, to [-1, 1] when empty).
    std::pair<double, double> framed() const;
};

/// The data rectangles a plot frames: the source plane's, the target plane's,
/// and the fold image's (empty ranges when there is no fold image).
struct plot_ranges {
    plot_range source_x, source_y, target_x, target_y, fold_x, fold_y;
};

/// Lays p out on the page: its title (shrunk or cut to the page's width), its
/// legend at the bottom (without its note, or left out, on a page too small
/// for them), its frames, and the labels of its features' markers.
void lay_out(plot_picture& p, const plot_page& page, const plot_ranges& ranges);
