// Drawing a plot with cairo, which writes SVG, PDF and PNG through one interface.

#include "colour.hpp"
#include "plot.hpp"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <cmath>
#include <cstdio>
#include <memory>

namespace {


// The colours of the legend; the fold curve and its image share one, so do a
// feature's markers in both planes.
constexpr colour ink{0, 0, 0};
constexpr colour boundary_colour{0.1, 0.3, 0.85};
constexpr colour fold_colour{0.85, 0.05, 0.05};
constexpr colour fold_cell_colour{1, 0.8, 0.8};
constexpr colour singular_cell_colour{0.6, 0.6, 0.6};
constexpr colour undecided_colour{0.55, 0.55, 0.75};
constexpr colour axis_grey{0.3, 0.3, 0.3};
constexpr colour marker_colours[] = {
    {0.8, 0, 0.8},    // cusp
    {0, 0.6, 0},      // fold–fold crossing
    {0, 0.75, 0.8},   // boundary–boundary crossing
    {1, 0.5, 0},      // fold–boundary crossing
    {0.45, 0.2, 0.1}, // fold meets boundary
};
constexpr const char* marker_names[] = {"cusp", "fold-fold crossing", "boundary-boundary crossing",
                                        "fold-boundary crossing", "fold meets boundary"};

constexpr double marker_radius = 5;
constexpr double font = 12;
constexpr double small_font = 10;
constexpr double legend_top = 712;

void set(cairo_t* cr, const colour& c, double alpha = 1) { cairo_set_source_rgba(cr, c.r, c.g, c.b, alpha); }

bool finite(const plot_point& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

void text_at(cairo_t* cr, double x, double y, const std::string& text, double size, double align = 0)
{
    cairo_set_font_size(cr, size);
    cairo_text_extents_t extents;
    cairo_text_extents(cr, text.c_str(), &extents);
    cairo_move_to(cr, x - align * extents.x_advance, y);
    cairo_show_text(cr, text.c_str());
}

/// The rectangle of box b (variables x, y) on the page.
void box_path(cairo_t* cr, const plot_frame& f, const domain& b)
{
    const double c0 = f.column(inf(b.get("x"))), c1 = f.column(sup(b.get("x")));
    const double r0 = f.row(sup(b.get("y"))), r1 = f.row(inf(b.get("y")));
    cairo_rectangle(cr, c0, r0, c1 - c0, r1 - r0);
}

void fill_boxes(cairo_t* cr, const plot_frame& f, const std::vector<domain>& boxes, const colour& c, double alpha)
{
    if (boxes.empty()) return;
    for (const domain& b : boxes) box_path(cr, f, b);
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
    cairo_set_line_width(cr, 1.5);
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
    cairo_set_line_width(cr, 1.5);
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
    cairo_set_line_width(cr, 0.8);
    cairo_stroke(cr);
}

void labelled_marker(cairo_t* cr, const feature& ft, const plot_point& q)
{
    if (!finite(q)) return;
    marker(cr, ft.kind, q);
    set(cr, ink);
    text_at(cr, q.x + marker_radius + 2, q.y - marker_radius, feature_label(ft), small_font);
}

plot_point centre(const domain& b, const char* x, const char* y) { return {mid(b.get(x)), mid(b.get(y))}; }

/// A step of 1, 2 or 5 times a power of ten giving about five ticks over [low, high].
double tick_step(double low, double high)
{
    const double raw = (high - low) / 5;
    const double power = std::pow(10, std::floor(std::log10(raw)));
    for (const double m : {1.0, 2.0, 5.0})
        if (m * power >= raw) return m * power;
    return 10 * power;
}

std::string tick_text(double v, double step)
{
    char text[32];
    std::snprintf(text, sizeof text, "%g", std::fabs(v) < step * 1e-6 ? 0.0 : v);
    return text;
}

/// The frame of a plane with its ticks, tick labels and axis names.
void draw_axes(cairo_t* cr, const plot_frame& f, const char* x_name, const char* y_name, const std::string& heading)
{
    set(cr, ink);
    cairo_set_line_width(cr, 1);
    cairo_rectangle(cr, f.left, f.top, f.width, f.height);
    cairo_stroke(cr);
    const double xs = tick_step(f.x_low, f.x_high);
    for (double v = std::ceil(f.x_low / xs) * xs; v <= f.x_high; v += xs) {
        const double c = f.column(v);
        cairo_move_to(cr, c, f.top + f.height);
        cairo_line_to(cr, c, f.top + f.height + 5);
        text_at(cr, c, f.top + f.height + 18, tick_text(v, xs), small_font, 0.5);
    }
    const double ys = tick_step(f.y_low, f.y_high);
    for (double v = std::ceil(f.y_low / ys) * ys; v <= f.y_high; v += ys) {
        const double r = f.row(v);
        cairo_move_to(cr, f.left, r);
        cairo_line_to(cr, f.left - 5, r);
        text_at(cr, f.left - 8, r + 4, tick_text(v, ys), small_font, 1);
    }
    set(cr, axis_grey);
    cairo_stroke(cr);
    set(cr, ink);
    text_at(cr, f.left + f.width / 2, f.top + f.height + 36, x_name, font, 0.5);
    text_at(cr, f.left - 60, f.top + f.height / 2, y_name, font, 0.5);
    text_at(cr, f.left + f.width / 2, f.top - 10, heading, font, 0.5);
}

void draw_source(cairo_t* cr, const plot_picture& p)
{
    const plot_frame& f = p.source;
    cairo_save(cr);
    cairo_rectangle(cr, f.left, f.top, f.width, f.height);
    cairo_clip(cr);
    fill_boxes(cr, f, p.fold_cells, fold_cell_colour, 1);
    fill_boxes(cr, f, p.undecided, undecided_colour, 0.5);
    outline_boxes(cr, f, p.singular_cells, singular_cell_colour, 0.5);
    outline_boxes(cr, f, {p.box}, ink, 1.2);
    draw_segments(cr, f, p.fold_curve, fold_colour);
    cairo_restore(cr);
    for (const feature& ft : p.features) {
        labelled_marker(cr, ft, f.page(centre(ft.first, "x", "y")));
        if (!ft.second.empty()) labelled_marker(cr, ft, f.page(centre(ft.second, "x", "y")));
    }
    draw_axes(cr, f, "x", "y", "source plane");
}

void draw_target(cairo_t* cr, const plot_picture& p)
{
    const plot_frame& f = p.target;
    cairo_save(cr);
    cairo_rectangle(cr, f.left, f.top, f.width, f.height);
    cairo_clip(cr);
    draw_polyline(cr, f, p.boundary_image, boundary_colour);
    draw_segments(cr, f, p.fold_image, fold_colour);
    cairo_restore(cr);
    for (const feature& ft : p.features) labelled_marker(cr, ft, f.page(centre(ft.image, "y0", "y1")));
    draw_axes(cr, f, "f1", "f2", "target plane");
}

/// One legend entry: its sample drawn by sample at the entry's left, then its text.
template <class Sample>
void legend_entry(cairo_t* cr, double x, double y, const std::string& text, Sample sample)
{
    sample(x + 10, y - 4);
    set(cr, ink);
    text_at(cr, x + 26, y, text, small_font);
}

void draw_legend(cairo_t* cr, const plot_picture& p)
{
    const double column_width = 230;
    auto line = [cr](const colour& c) {
        return [cr, c](double x, double y) {
            set(cr, c);
            cairo_set_line_width(cr, 2);
            cairo_move_to(cr, x - 9, y);
            cairo_line_to(cr, x + 9, y);
            cairo_stroke(cr);
        };
    };
    auto patch = [cr](const colour& c, double alpha, bool filled) {
        return [cr, c, alpha, filled](double x, double y) {
            cairo_rectangle(cr, x - 8, y - 6, 16, 12);
            set(cr, c, alpha);
            filled ? cairo_fill(cr) : cairo_stroke(cr);
        };
    };
    double x = p.source.left;
    double y = legend_top;
    legend_entry(cr, x, y, "studied box", patch(ink, 1, false));
    legend_entry(cr, x, y + 20, "fold curve and fold image", line(fold_colour));
    legend_entry(cr, x, y + 40, "boundary image", line(boundary_colour));
    x += column_width;
    legend_entry(cr, x, y, "cells the fold curve crosses", patch(fold_cell_colour, 1, true));
    legend_entry(cr, x, y + 20, "cells where det may vanish", patch(singular_cell_colour, 1, false));
    legend_entry(cr, x, y + 40, "left undecided", patch(undecided_colour, 0.5, true));
    x += column_width;
    for (int k = 0; k < 5; ++k) {
        const feature_kind kind = static_cast<feature_kind>(k);
        legend_entry(cr, x + (k / 3) * column_width, y + (k % 3) * 20, marker_names[k],
                     [cr, kind](double mx, double my) { marker(cr, kind, {mx, my}); });
    }
    set(cr, ink);
    text_at(cr, p.source.left, y + 80,
            "Labels: C cusp, FF fold-fold, BB boundary-boundary, FB fold-boundary crossing, P fold meets boundary; "
            "numbers as in the results file. Crossings are marked at both source points.",
            small_font);
}

void draw(cairo_t* cr, const plot_picture& p)
{
    set(cr, {1, 1, 1});
    cairo_paint(cr);
    cairo_select_font_face(cr, "DejaVu Sans", CAIRO_FONT_SLANT_NORMAL, CAIRO_FONT_WEIGHT_NORMAL);
    set(cr, ink);
    text_at(cr, p.width / 2, 28, p.title, 16, 0.5);
    text_at(cr, p.width / 2, 50, p.subtitle, font, 0.5);
    draw_source(cr, p);
    draw_target(cr, p);
    draw_legend(cr, p);
}

cairo_surface_t* surface_for(plot_format format, const std::string& file, double width, double height)
{
    switch (format) {
    case plot_format::svg: return cairo_svg_surface_create(file.c_str(), width, height);
    case plot_format::pdf: return cairo_pdf_surface_create(file.c_str(), width, height);
    case plot_format::png:
        return cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(width), static_cast<int>(height));
    }
    return nullptr;
}

}  // namespace

bool write_plot(const plot_picture& picture, const std::string& file)
{
    const std::optional<plot_format> format = plot_format_of(file);
    if (!format) return false;
    const std::unique_ptr<cairo_surface_t, void (*)(cairo_surface_t*)> surface(
        surface_for(*format, file, picture.width, picture.height), cairo_surface_destroy);
    cairo_t* cr = cairo_create(surface.get());
    draw(cr, picture);
    const bool drawn = cairo_status(cr) == CAIRO_STATUS_SUCCESS;
    cairo_destroy(cr);
    if (*format == plot_format::png && cairo_surface_write_to_png(surface.get(), file.c_str()) != CAIRO_STATUS_SUCCESS)
        return false;
    cairo_surface_finish(surface.get());
    return drawn && cairo_surface_status(surface.get()) == CAIRO_STATUS_SUCCESS;
}
