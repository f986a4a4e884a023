// Drawing a plot with cairo, which writes SVG, PDF and PNG through one
// interface. The texts of an SVG are written as text elements of their own
// (cairo's SVG surface would store them as glyph outlines), so that they stay
// text for an editor and a search.

#include "colour.hpp"
#include "plot.hpp"
#include "plot_layout.hpp"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>

using namespace plot_style;

namespace {

// The colours of the legend; the fold curve and its image share one, so do a
// feature's markers in both planes.
constexpr colour ink{0, 0, 0};
constexpr colour paper{1, 1, 1};
constexpr colour boundary_colour{0.1, 0.3, 0.85};
constexpr colour fold_colour{0.85, 0.05, 0.05};
constexpr colour fold_cell_colour{1, 0.8, 0.8};
constexpr colour singular_cell_colour{0.6, 0.6, 0.6};
constexpr colour undecided_colour{0.55, 0.55, 0.75};
constexpr colour axis_grey{0.3, 0.3, 0.3};
constexpr colour leader_grey{0.45, 0.45, 0.45};
constexpr colour marker_colours[] = {
    {0.8, 0, 0.8},    // cusp
    {0, 0.6, 0},      // fold–fold crossing
    {0, 0.75, 0.8},   // boundary–boundary crossing
    {1, 0.5, 0},      // fold–boundary crossing
    {0.45, 0.2, 0.1}, // fold meets boundary
};

constexpr double curve_width = 1;
/// The undecided regions are shaded at least this many points on a side, so
/// that the flat boxes of the boundary searches and the tiniest ones show.
constexpr double least_shade = 3;
/// Ticks wanted per point of a frame's side, and their bounds.
constexpr double ticks_per_point = 1.0 / 45;
constexpr int fewest_ticks = 3;
constexpr int most_ticks = 6;

/// One text of an SVG, written as a text element once cairo has drawn the rest.
struct svg_text {
    double x, y, size;
    /// 0 to start at x, 0.5 to centre on it, 1 to end at it.
    double align;
    colour c;
    std::string text;
};

/// What the drawing draws on: cairo, and for an SVG the texts kept apart.
struct canvas {
    cairo_t* cr;
    /// Null unless the texts are kept for SVG text elements.
    std::vector<svg_text>* texts;
};

void set(cairo_t* cr, const colour& c, double alpha = 1) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

bool finite(const plot_point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

/// text with its baseline at y, placed along x as align tells.
void text_at(const canvas& cv, double x, double y, const std::string& text, double size, double align = 0,
             const colour& c = ink)
{
    if (cv.texts != nullptr) {
        cv.texts->push_back({x, y, size, align, c, text});
        return;
    }
    cairo_set_font_size(cv.cr, size);
    set(cv.cr, c);
    cairo_move_to(cv.cr, x - align * text_width(text, size), y);
    cairo_show_text(cv.cr, text.c_str());
}

/// The rectangle of box b (over the variables x and y) on the page, each
/// side at least `least` points long around the box's centre.
void box_path(cairo_t* cr, const plot_frame& f, const domain& b, double least = 0, const char* x = "x",
              const char* y = "y")
{
    const double c0 = f.column(inf(b.get(x))), c1 = f.column(sup(b.get(x)));
    const double r0 = f.row(sup(b.get(y))), r1 = f.row(inf(b.get(y)));
    const double width = std::max(c1 - c0, least), height = std::max(r1 - r0, least);
    cairo_rectangle(cr, (c0 + c1 - width) / 2, (r0 + r1 - height) / 2, width, height);
}

/// The boxes filled, each at least `least` points on a side.
void fill_boxes(cairo_t* cr, const plot_frame& f, const std::vector<domain>& boxes, const colour& c, double alpha,
                double least = 0)
{
    if (boxes.empty()) return;
    for (const domain& b : boxes) box_path(cr, f, b, least);
    set(cr, c, alpha);
    cairo_fill(cr);
}

void outline_boxes(cairo_t* cr, const plot_frame& f, const std::vector<domain>& boxes, const colour& c, double width)
{
    if (boxes.empty()) return;
    for (const domain& b : boxes) box_path(cr, f, b);
    set(cr, c);
    cairo_set_line_width(cr, width);
    cairo_stroke(cr);
}

void draw_polyline(cairo_t* cr, const plot_frame& f, const std::vector<plot_point>& points, const colour& c)
{
    bool drawing = false;
    for (const plot_point& p : points) {
        if (!finite(p)) {
            drawing = false;
            continue;
        }
        const plot_point q = f.page(p);
        drawing ? cairo_line_to(cr, q.x, q.y) : cairo_move_to(cr, q.x, q.y);
        drawing = true;
    }
    set(cr, c);
    cairo_set_line_width(cr, curve_width);
    cairo_stroke(cr);
}

void draw_segments(cairo_t* cr, const plot_frame& f, const std::vector<plot_segment>& segments, const colour& c)
{
    for (const auto& [a, b] : segments) {
        if (!finite(a) || !finite(b)) continue;
        const plot_point pa = f.page(a), pb = f.page(b);
        cairo_move_to(cr, pa.x, pa.y);
        cairo_line_to(cr, pb.x, pb.y);
    }
    set(cr, c);
    cairo_set_line_width(cr, curve_width);
    cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
    cairo_stroke(cr);
}

/// One marker of a feature kind centred at page point q: filled in the kind's
/// colour, outlined in black, one path each.
void marker(cairo_t* cr, feature_kind kind, const plot_point& q)
{
    const double r = marker_radius;
    cairo_new_path(cr);
    switch (kind) {
    case feature_kind::cusp: cairo_arc(cr, q.x, q.y, r, 0, 2 * M_PI); break;
    case feature_kind::boundary_boundary:
        cairo_move_to(cr, q.x, q.y - r);
        cairo_line_to(cr, q.x + r, q.y + r);
        cairo_line_to(cr, q.x - r, q.y + r);
        cairo_close_path(cr);
        break;
    case feature_kind::fold_boundary_point:
        cairo_move_to(cr, q.x, q.y - r);
        cairo_line_to(cr, q.x + r, q.y);
        cairo_line_to(cr, q.x, q.y + r);
        cairo_line_to(cr, q.x - r, q.y);
        cairo_close_path(cr);
        break;
    default: cairo_rectangle(cr, q.x - r, q.y - r, 2 * r, 2 * r); break;
    }
    set(cr, marker_colours[static_cast<int>(kind)]);
    cairo_fill_preserve(cr);
    set(cr, ink);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
}

plot_point centre(const domain& b, const char* x, const char* y) { return {mid(b.get(x)), mid(b.get(y))}; }

/// The step of 1, 2 or 5 times a power of ten after step.
double next_step(double step)
{
    const double power = std::pow(10, std::floor(std::log10(step) + 1e-9));
    const double m = step / power;
    return m < 1.5 ? 2 * power : m < 3.5 ? 5 * power : 10 * power;
}

std::string tick_text(double v, double step)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::fabs(v) < step * 1e-6 ? 0.0 : v);
    return text;
}

/// The ticks' values over [low, high] on a side `length` points long: a step
/// of 1, 2 or 5 times a power of ten giving about one tick each 45 points
/// (three at least), widened until neighbouring labels keep `room` points
/// apart, as long as room(label) says each label takes.
struct tick_marks {
    double step;
    std::vector<double> values;
};

template <class Room>
tick_marks ticks(double low, double high, double length, Room room)
{
    const int wanted = std::clamp(static_cast<int>(length * ticks_per_point), fewest_ticks, most_ticks);
    tick_marks t{std::pow(10, std::floor(std::log10((high - low) / wanted))), {}};
    while (next_step(t.step) <= (high - low) / wanted * 1.5) t.step = next_step(t.step);
    for (;;) {
        t.values.clear();
        double widest = 0;
        for (double v = std::ceil(low / t.step) * t.step; v <= high; v += t.step) {
            t.values.push_back(v);
            widest = std::max(widest, room(tick_text(v, t.step)));
        }
        if (t.values.size() < 2 || t.step * length / (high - low) >= widest + 4) return t;
        t.step = next_step(t.step);
    }
}

/// The frame of a plane with its ticks, tick labels, axis names and heading.
void draw_axes(const canvas& cv, const plot_frame& f, const char* x_name, const char* y_name,
               const std::string& heading)
{
    cairo_t* cr = cv.cr;
    set(cr, ink);
    cairo_set_line_width(cr, 0.6);
    cairo_rectangle(cr, f.left, f.top, f.width, f.height);
    cairo_stroke(cr);
    const double bottom = f.top + f.height;
    const auto label_width = [](const std::string& t) { return text_width(t, tick_size); };
    const tick_marks xs = ticks(f.x_low, f.x_high, f.width, label_width);
    for (const double v : xs.values) {
        const double c = f.column(v);
        cairo_move_to(cr, c, bottom);
        cairo_line_to(cr, c, bottom + 3);
        text_at(cv, c, bottom + 3 + tick_size, tick_text(v, xs.step), tick_size, 0.5);
    }
    const tick_marks ys = ticks(f.y_low, f.y_high, f.height, [](const std::string&) { return tick_size; });
    for (const double v : ys.values) {
        const double r = f.row(v);
        cairo_move_to(cr, f.left, r);
        cairo_line_to(cr, f.left - 3, r);
        text_at(cv, f.left - 4, r + tick_size / 3, tick_text(v, ys.step), tick_size, 1);
    }
    set(cr, axis_grey);
    cairo_set_line_width(cr, 0.5);
    cairo_stroke(cr);
    text_at(cv, f.left + f.width / 2, bottom + frame_bottom_room - 2, x_name, axis_name_size, 0.5);
    text_at(cv, f.left - frame_left_room + 2, f.top + f.height / 2, y_name, axis_name_size, 0);
    text_at(cv, f.left + f.width / 2, f.top - 4, heading + (f.scaled_apart ? ", axes scaled apart" : ""),
            heading_size, 0.5);
}

/// Starts drawing inside frame f only.
void clip_to(cairo_t* cr, const plot_frame& f)
{
    cairo_save(cr);
    cairo_rectangle(cr, f.left, f.top, f.width, f.height);
    cairo_clip(cr);
}

void draw_source(const canvas& cv, const plot_picture& p)
{
    cairo_t* cr = cv.cr;
    const plot_frame& f = p.source;
    clip_to(cr, f);
    fill_boxes(cr, f, p.fold_cells, fold_cell_colour, 1);
    fill_boxes(cr, f, p.undecided, undecided_colour, 0.5, least_shade);
    outline_boxes(cr, f, p.singular_cells, singular_cell_colour, 0.3);
    outline_boxes(cr, f, {p.box}, ink, 0.8);
    draw_segments(cr, f, p.fold_curve, fold_colour);
    cairo_restore(cr);
    for (const feature& ft : p.features) {
        marker(cr, ft.kind, f.page(centre(ft.first, "x", "y")));
        if (!ft.second.empty()) marker(cr, ft.kind, f.page(centre(ft.second, "x", "y")));
    }
    draw_axes(cv, f, "x", "y", "source plane");
}

/// The image curves and the features' image points in frame f.
void draw_images(cairo_t* cr, const plot_picture& p, const plot_frame& f)
{
    clip_to(cr, f);
    draw_polyline(cr, f, p.boundary_image, boundary_colour);
    draw_segments(cr, f, p.fold_image, fold_colour);
    for (const feature& ft : p.features) marker(cr, ft.kind, f.page(centre(ft.image, "y0", "y1")));
    cairo_restore(cr);
}

/// The data rectangle of `part` outlined, dashed, in frame f.
void outline_part(cairo_t* cr, const plot_frame& f, const plot_frame& part)
{
    const domain shown{{"y0", interval(part.x_low, part.x_high)}, {"y1", interval(part.y_low, part.y_high)}};
    box_path(cr, f, shown, 0, "y0", "y1");
    const double dashes[] = {2, 1.5};
    cairo_set_dash(cr, dashes, 2, 0);
    set(cr, ink);
    cairo_set_line_width(cr, 0.6);
    cairo_stroke(cr);
    cairo_set_dash(cr, nullptr, 0, 0);
}

void draw_target(const canvas& cv, const plot_picture& p)
{
    draw_images(cv.cr, p, p.target);
    if (p.enlarged) {
        outline_part(cv.cr, p.target, *p.enlarged);
        draw_images(cv.cr, p, *p.enlarged);
        draw_axes(cv, *p.enlarged, "f1", "f2", "fold image, enlarged");
    }
    draw_axes(cv, p.target, "f1", "f2", "target plane");
}

/// The point of r nearest to q.
plot_point nearest_in(const plot_rect& r, const plot_point& q)
{
    return {std::clamp(q.x, r.left, r.right()), std::clamp(q.y, r.top, r.bottom())};
}

void draw_labels(const canvas& cv, const plot_picture& p)
{
    for (const plot_label& l : p.labels) {
        if (l.leader) {
            const plot_point end = nearest_in(l.box, l.marker);
            const double d = std::hypot(end.x - l.marker.x, end.y - l.marker.y);
            const double s = marker_radius / d;
            cairo_move_to(cv.cr, l.marker.x + s * (end.x - l.marker.x), l.marker.y + s * (end.y - l.marker.y));
            cairo_line_to(cv.cr, end.x, end.y);
            set(cv.cr, leader_grey);
            cairo_set_line_width(cv.cr, 0.4);
            cairo_stroke(cv.cr);
        }
        text_at(cv, l.box.left, l.box.bottom() - 0.2 * label_size, l.text, label_size);
    }
}

/// The sample of a legend entry centred at (x, y).
void legend_sample(cairo_t* cr, int sample, double x, double y)
{
    const auto line = [&](const colour& c) {
        set(cr, c);
        cairo_set_line_width(cr, 1.2);
        cairo_move_to(cr, x - 6, y);
        cairo_line_to(cr, x + 6, y);
        cairo_stroke(cr);
    };
    const auto patch = [&](const colour& c, double alpha, bool filled) {
        cairo_rectangle(cr, x - 5, y - 3.5, 10, 7);
        set(cr, c, alpha);
        cairo_set_line_width(cr, 0.6);
        filled ? cairo_fill(cr) : cairo_stroke(cr);
    };
    switch (sample) {
    case studied_box: patch(ink, 1, false); break;
    case fold_lines: line(fold_colour); break;
    case boundary_line: line(boundary_colour); break;
    case fold_cells: patch(fold_cell_colour, 1, true); break;
    case singular_cells: patch(singular_cell_colour, 1, false); break;
    case undecided_boxes: patch(undecided_colour, 0.5, true); break;
    case enlarged_part: {
        const double dashes[] = {2, 1.5};
        cairo_set_dash(cr, dashes, 2, 0);
        patch(ink, 1, false);
        cairo_set_dash(cr, nullptr, 0, 0);
        break;
    }
    default: marker(cr, static_cast<feature_kind>(sample - cusp_marker), {x, y}); break;
    }
}

void draw_legend(const canvas& cv, const plot_picture& p)
{
    for (const plot_legend_entry& e : p.legend) {
        legend_sample(cv.cr, e.sample, e.at.x + 8, e.at.y - legend_size / 3);
        text_at(cv, e.at.x + legend_sample_width, e.at.y, e.text, legend_size);
    }
    for (std::size_t k = 0; k < p.legend_note.size(); ++k)
        text_at(cv, margin, p.legend_note_top + (k + 1) * legend_line - 2, p.legend_note[k], legend_size);
}

void draw(const canvas& cv, const plot_picture& p)
{
    set(cv.cr, paper);
    cairo_paint(cv.cr);
    cairo_select_font_face(cv.cr, font, CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    const double title_baseline = margin + p.title_size;
    text_at(cv, p.width / 2, title_baseline, p.title, p.title_size, 0.5);
    text_at(cv, p.width / 2, title_baseline + subtitle_size + 3, p.subtitle, subtitle_size, 0.5);
    draw_source(cv, p);
    draw_target(cv, p);
    draw_labels(cv, p);
    draw_legend(cv, p);
}

cairo_surface_t* surface_for(plot_format format, const std::string& file, double width, double height)
{
    switch (format) {
    case plot_format::svg: return cairo_svg_surface_create(file.c_str(), width, height);
    case plot_format::pdf: return cairo_pdf_surface_create(file.c_str(), width, height);
    case plot_format::png:
        return cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(std::ceil(width * png_pixels_per_point)),
                                          static_cast<int>(std::ceil(height * png_pixels_per_point)));
    }
    return nullptr;
}

std::string xml_escaped(const std::string& text)
{
    std::string escaped;
    for (const char c : text) {
        switch (c) {
        case '&': escaped += "&amp;"; break;
        case '<': escaped += "&lt;"; break;
        case '>': escaped += "&gt;"; break;
        case '"': escaped += "&quot;"; break;
        default: escaped += c;
        }
    }
    return escaped;
}

/// The texts as SVG text elements, in the page's points (the user units of cairo's SVG).
std::string text_elements(const std::vector<svg_text>& texts)
{
    std::ostringstream os;
    os << "<g font-family=\"" << font << ", sans-serif\">\n";
    for (const svg_text& t : texts) {
        const char* anchor = t.align == 0 ? "start" : t.align == 1 ? "end" : "middle";
        char attributes[256];
        std::snprintf(attributes, sizeof attributes,
                      "x=\"%.2f\" y=\"%.2f\" font-size=\"%.2f\" text-anchor=\"%s\" fill=\"rgb(%d,%d,%d)\"", t.x, t.y,
                      t.size, anchor, static_cast<int>(255 * t.c.r), static_cast<int>(255 * t.c.g),
                      static_cast<int>(255 * t.c.b));
        os << "<text " << attributes << " xml:space=\"preserve\">" << xml_escaped(t.text) << "</text>\n";
    }
    os << "</g>\n";
    return os.str();
}

/// Puts the texts into the SVG file that cairo wrote, before its closing tag.
bool add_text_elements(const std::string& file, const std::vector<svg_text>& texts)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream contents;
    contents << in.rdbuf();
    std::string svg = contents.str();
    const std::size_t end = svg.rfind("</svg>");
    if (!in || end == std::string::npos) return false;
    svg.insert(end, text_elements(texts));
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << svg;
    out.close();
    return static_cast<bool>(out);
}

}  // namespace

bool write_plot(const plot_picture& picture, const std::string& file)
{
    const std::optional<plot_format> format = plot_format_of(file);
    if (!format) return false;
    const std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        surface_for(*format, file, picture.width, picture.height), cairo_surface_destroy);
    cairo_t* cr = cairo_create(surface.get());
    if (*format == plot_format::png) cairo_scale(cr, png_pixels_per_point, png_pixels_per_point);
    std::vector<svg_text> texts;
    draw({cr, *format == plot_format::svg ? &texts : nullptr}, picture);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    if (*format == plot_format::png && cairo_surface_write_to_png(surface.get(), file.c_str()) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_surface_finish(surface.get());
    if (!drawn || cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) return false;
    return *format != plot_format::svg || add_text_elements(file, texts);
}
