// The layout of a plot's page: title, legend, frames and labels, measured
// with the font cairo draws them in.

#include "plot_layout.hpp"

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <memory>
#include <vector>

using namespace plot_style;

namespace {

/// The fold image is enlarged in a frame of its own when its rectangle spans
/// at most the first share of the target's data rectangle in each direction
/// and the second share of its area.
constexpr double enlarged_side_share = 0.4;
constexpr double enlarged_area_share = 0.04;
/// A frame keeps equal scales unless its data rectangle is longer than this
/// many times its width, or the reverse: it would be drawn as a sliver (the
/// lips of a map often are one, and the image of a map with a pole).
constexpr double stretched_ratio = 6;
/// The legend takes at most this share of the page's height below the title.
constexpr double largest_legend_share = 0.4;
/// Rings of places tried around a marker for its label, and their spacing.
constexpr int label_rings = 6;
constexpr double ring_spacing = 7;

/// A context on which the texts are measured, the plot's font selected.
struct measuring_context {
    std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface{
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1, 1), cairo_surface_destroy};
    std::unique_ptr<cairo_t, void (*)(cairo_t*)> cr{cairo_create(surface.get()), cairo_destroy};

    measuring_context()
    {
        cairo_select_font_face(cr.get(), font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    }
};

/// text, cut at its end with an ellipsis where needed, to fit width at size.
std::string fitted(const std::string& text, double size, double width)
{
    if (text_width(text, size) <= width) return text;
    std::string cut = text;
    while (!cut.empty() && text_width(cut + "…", size) > width) cut.pop_back();
    // Not in the middle of a character of several bytes.
    while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0xC0) == 0x80) cut.pop_back();
    if (!cut.empty() && static_cast<unsigned char>(cut.back()) >= 0xC0) cut.pop_back();
    return cut + "…";
}

/// The words of text in lines no wider than width at size.
std::vector<std::string> wrapped(const std::string& text, double size, double width)
{
    std::vector<std::string> lines;
    std::string line;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = std::min(text.find(' ', at), text.size());
        const std::string word = text.substr(at, end - at);
        const std::string longer = line.empty() ? word : line + " " + word;
        if (!line.empty() && text_width(longer, size) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = longer;
        }
        at = end + 1;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

/// The title and subtitle fitted to the page; returns where the panels may start.
double place_title(plot_picture& p)
{
    const double width = p.width - 2 * margin;
    p.title_size = title_size;
    while (p.title_size > smallest_title_size && text_width(p.title, p.title_size) > width) p.title_size -= 0.5;
    p.title = fitted(p.title, p.title_size, width);
    p.subtitle = fitted(p.subtitle, subtitle_size, width);
    return margin + p.title_size + subtitle_size + 8;
}

/// The legend's entries flowed into lines from the left, starting at top;
/// returns the number of lines.
int flow_legend(plot_picture& p, const std::vector<int>& samples, double top)
{
    p.legend.clear();
    double x = margin;
    int lines = 1;
    for (const int k : samples) {
        const double w = legend_sample_width + text_width(legend_texts[k], legend_size) + 12;
        if (x > margin && x + w > p.width - margin) {
            x = margin;
            ++lines;
        }
        p.legend.push_back({k, legend_texts[k], {x, top + lines * legend_line - 2}});
        x += w;
    }
    return lines;
}

/// The legend at the bottom of the page, with its note when both fit in the
/// share of the page left to them, without it when only the entries do, and
/// left out otherwise. Returns where the legend starts (the panels end there).
double place_legend(plot_picture& p, bool enlarged, double panels_top)
{
    std::vector<int> samples;
    for (int k = studied_box; k <= fold_meets_boundary_marker; ++k) samples.push_back(k);
    if (enlarged) samples.push_back(enlarged_part);
    const double room = largest_legend_share * (p.height - margin - panels_top);
    const int entry_lines = flow_legend(p, samples, 0);
    const std::vector<std::string> note = wrapped(legend_note, legend_size, p.width - 2 * margin);
    const double entries_height = entry_lines * legend_line + 4;
    const double note_height = note.size() * legend_line;
    if (entries_height > room) {
        p.legend.clear();
        return p.height - margin;
    }
    const bool with_note = entries_height + note_height <= room;
    const double top = p.height - margin - entries_height - (with_note ? note_height : 0);
    flow_legend(p, samples, top);
    if (with_note) {
        p.legend_note = note;
        p.legend_note_top = top + entries_height;
    }
    return top;
}

/// Whether the rectangle of x and y is much longer in one direction than in the other.
bool stretched(const plot_range& x, const plot_range& y)
{
    const auto [x0, x1] = x.framed();
    const auto [y0, y1] = y.framed();
    const double ratio = (y1 - y0) / (x1 - x0);
    return ratio > stretched_ratio || ratio < 1 / stretched_ratio;
}

/// The frame of the data rectangle of x and y in the room of the page:
/// filling it, or at equal scales as large as it fits, centred (unless the
/// rectangle is stretched).
plot_frame frame_in(const plot_rect& room, const plot_range& x, const plot_range& y, bool equal_scales)
{
    plot_frame f{room.left, room.top, std::max(room.width, 1.0), std::max(room.height, 1.0)};
    std::tie(f.x_low, f.x_high) = x.framed();
    std::tie(f.y_low, f.y_high) = y.framed();
    f.scaled_apart = equal_scales && stretched(x, y);
    if (!equal_scales || f.scaled_apart) return f;
    const double per_unit = std::min(f.width / (f.x_high - f.x_low), f.height / (f.y_high - f.y_low));
    const double width = per_unit * (f.x_high - f.x_low);
    const double height = per_unit * (f.y_high - f.y_low);
    f.left += (f.width - width) / 2;
    f.top += (f.height - height) / 2;
    f.width = width;
    f.height = height;
    return f;
}

/// Whether the fold image is small beside the target's data rectangle.
bool fold_image_small(const plot_ranges& r)
{
    if (r.fold_x.empty() || std::max(r.fold_x.width(), r.fold_y.width()) <= 0) return false;
    return r.fold_x.width() <= enlarged_side_share * r.target_x.width() &&
           r.fold_y.width() <= enlarged_side_share * r.target_y.width() &&
           r.fold_x.width() * r.fold_y.width() <= enlarged_area_share * r.target_x.width() * r.target_y.width();
}

/// The data rectangle of one plane.
struct plane_ranges {
    const plot_range& x;
    const plot_range& y;
};

/// The widths of the planes' slots across `total` points, for frames `height`
/// points high: at equal scales each frame gets the width its data rectangle
/// needs (all narrowed alike when they do not fit) and the rest of the page
/// is shared evenly; when any frame fills its room (free scales, or axes
/// scaled apart, or no height at all) the slots are equal.
std::vector<double> slot_widths(double total, double height, const std::vector<plane_ranges>& planes,
                                bool equal_scales)
{
    const double n = static_cast<double>(planes.size());
    const std::vector<double> equal(planes.size(), total / n);
    if (!equal_scales || !(height > 0)) return equal;
    std::vector<double> needed;
    for (const plane_ranges& r : planes) {
        if (stretched(r.x, r.y)) return equal;
        const auto [x0, x1] = r.x.framed();
        const auto [y0, y1] = r.y.framed();
        needed.push_back(height * (x1 - x0) / (y1 - y0));
    }
    const double sides = frame_left_room + frame_right_room;
    double sum = 0;
    for (const double w : needed) sum += w;
    const double narrowed = std::min(1.0, std::max(total - n * sides, 0.0) / sum);
    const double spare = total - n * sides - narrowed * sum;
    std::vector<double> widths;
    for (const double w : needed) widths.push_back(narrowed * w + sides + spare / n);
    return widths;
}

/// The frames of the planes side by side between top and bottom.
void place_frames(plot_picture& p, const plot_page& page, const plot_ranges& r, bool enlarged, double top,
                  double bottom)
{
    std::vector<plane_ranges> planes{{r.source_x, r.source_y}, {r.target_x, r.target_y}};
    if (enlarged) planes.push_back({r.fold_x, r.fold_y});
    const double height = bottom - top - frame_top_room - frame_bottom_room;
    const std::vector<double> widths = slot_widths(p.width - 2 * margin, height, planes, page.equal_scales);
    std::vector<plot_frame> frames;
    double left = margin;
    for (std::size_t k = 0; k < planes.size(); ++k) {
        const plot_rect room{left + frame_left_room, top + frame_top_room,
                             widths[k] - frame_left_room - frame_right_room, height};
        frames.push_back(frame_in(room, planes[k].x, planes[k].y, page.equal_scales));
        left += widths[k];
    }
    p.source = frames[0];
    p.target = frames[1];
    if (enlarged) p.enlarged = frames[2];
}

/// One marker to label: its centre on the page and the frame it is drawn in.
struct marker_place {
    plot_point centre;
    plot_rect frame;
    std::string text;
};

/// The markers of the features in every frame, with their labels' texts.
std::vector<marker_place> markers_of(const plot_picture& p)
{
    std::vector<marker_place> markers;
    const auto add = [&](const plot_frame& f, const domain& b, const char* x, const char* y, const std::string& text) {
        if (b.empty()) return;
        const plot_point c = f.page({mid(b.get(x)), mid(b.get(y))});
        if (std::isfinite(c.x) && std::isfinite(c.y) && plot_rect{c.x, c.y, 0, 0}.inside(f.rect()))
            markers.push_back({c, f.rect(), text});
    };
    for (const feature& ft : p.features) {
        const std::string text = feature_label(ft);
        add(p.source, ft.first, "x", "y", text);
        add(p.source, ft.second, "x", "y", text);
        add(p.target, ft.image, "y0", "y1", text);
        if (p.enlarged) add(*p.enlarged, ft.image, "y0", "y1", text);
    }
    return markers;
}

plot_rect marker_rect(const plot_point& c)
{
    const double r = marker_radius + 0.5;
    return {c.x - r, c.y - r, 2 * r, 2 * r};
}

/// The places tried for a label of width w beside the marker at c, nearest first:
/// the eight directions around it at growing distances.
std::vector<plot_rect> label_places(const plot_point& c, double w)
{
    const double h = label_size;
    static const int directions[][2] = {{1, -1}, {1, 1}, {-1, -1}, {-1, 1}, {1, 0}, {-1, 0}, {0, -1}, {0, 1}};
    std::vector<plot_rect> places;
    for (int ring = 0; ring < label_rings; ++ring) {
        const double d = marker_radius + 1.5 + ring * ring_spacing;
        for (const auto& [dx, dy] : directions) {
            const double left = dx > 0 ? c.x + d : dx < 0 ? c.x - d - w : c.x - w / 2;
            const double top = dy < 0 ? c.y - (dx == 0 ? d : d / 2) - h
                               : dy > 0 ? c.y + (dx == 0 ? d : d / 2)
                                        : c.y - h / 2;
            places.push_back({left, top, w, h});
        }
    }
    return places;
}

/// The distance from page point q to rectangle r.
double distance_to(const plot_rect& r, const plot_point& q)
{
    return std::hypot(q.x - std::clamp(q.x, r.left, r.right()), q.y - std::clamp(q.y, r.top, r.bottom()));
}

/// The labels of the markers, each at the nearest place inside its frame that
/// overlaps no marker and no label placed before it. Beyond the first ring of
/// places a leader line joins a label to its marker; within it no other
/// marker may be nearer to the label than its own, so that it is not read as
/// another's. A label that finds no such place takes the nearest free one,
/// and without a free one the first.
void place_labels(plot_picture& p)
{
    const std::vector<marker_place> markers = markers_of(p);
    std::vector<plot_rect> taken;
    for (const marker_place& m : markers) taken.push_back(marker_rect(m.centre));
    p.labels.clear();
    const std::ptrdiff_t first_ring = 8;
    for (const marker_place& m : markers) {
        const std::vector<plot_rect> places = label_places(m.centre, text_width(m.text, label_size));
        const auto free = [&](const plot_rect& r) {
            return r.inside(m.frame) &&
                   std::none_of(taken.begin(), taken.end(), [&](const plot_rect& t) { return t.overlaps(r); });
        };
        const auto own = [&](const plot_rect& r) {
            const double d = distance_to(r, m.centre);
            return std::none_of(markers.begin(), markers.end(),
                                [&](const marker_place& o) { return distance_to(r, o.centre) < d; });
        };
        // &r - places.data() is the place's position among the places.
        const auto clear = [&](const plot_rect& r) { return free(r) && (&r - places.data() >= first_ring || own(r)); };
        auto chosen = std::find_if(places.begin(), places.end(), clear);
        if (chosen == places.end()) chosen = std::find_if(places.begin(), places.end(), free);
        if (chosen == places.end()) chosen = places.begin();
        p.labels.push_back({m.text, m.centre, *chosen, chosen - places.begin() >= first_ring});
        taken.push_back(*chosen);
    }
}

}  // namespace

double text_width(const std::string& text, double size)
{
    static const measuring_context context;
    cairo_set_font_size(context.cr.get(), size);
    cairo_text_extents_t extents;
    cairo_text_extents(context.cr.get(), text.c_str(), &extents);
    return extents.x_advance;
}

void plot_range::add(double v)
{
    if (!std::isfinite(v)) return;
    low = std::min(low, v);
    high = std::max(high, v);
}

std::pair<double, double> plot_range::framed() const
{
    if (empty()) return {-1, 1};
    const double w = high - low;
    const double margin = w > 0 ? 0.05 * w : std::max(0.5, 0.1 * std::fabs(low));
    return {low - margin, high + margin};
}

void lay_out(plot_picture& p, const plot_page& page, const plot_ranges& ranges)
{
    p.width = page.width_cm * points_per_cm;
    p.height = page.height_cm * points_per_cm;
    const bool enlarged = fold_image_small(ranges);
    const double top = place_title(p);
    const double bottom = place_legend(p, enlarged, top);
    place_frames(p, page, ranges, enlarged, top, bottom);
    place_labels(p);
}
