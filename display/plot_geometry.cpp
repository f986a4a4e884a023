// What the plot draws, in data coordinates: the curves sampled from the map
// evaluated at points, the features, and the framing of both planes.

#include "plot.hpp"

#include "interval_text.hpp"
#include "plot_layout.hpp"
#include "undecided_regions.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

/// Points per side of the box on the boundary curve.
constexpr int boundary_samples = 400;
/// Most sub-cells per side of a singular cell where the fold curve is traced,
/// and the most determinant evaluations over all the singular cells (so that
/// a fine paving where every cell is singular is still plotted at once).
constexpr int fold_samples = 16;
constexpr double fold_evaluations = 250000;
domain point_box(double x, double y) { return domain{{"x", interval(x)}, {"y", interval(y)}}; }

/// The box spanned by the points a and b.
domain box_between(const plot_point& a, const plot_point& b)
{
    return domain{{"x", interval(std::min(a.x, b.x), std::max(a.x, b.x))},
                  {"y", interval(std::min(a.y, b.y), std::max(a.y, b.y))}};
}

/// Whether v is an enclosure that a pole leaves bounded.
bool bounded(const interval& v) { return !v.isEmpty() && !v.isInfinite(); }

/// The map at a point, as the midpoints of its enclosures (not finite where the map is undefined).
plot_point image_at(const Map& f, const plot_point& p)
{
    const domain image = f.evalue(point_box(p.x, p.y));
    return {mid(image.get("y0")), mid(image.get("y1"))};
}

/// The image of the walk: the map at each of its points, the curve broken (by
/// a point that is not finite) between two points where the map is not
/// enclosed in bounded intervals, so that it is not joined across a pole.
std::vector<plot_point> image_of_walk(const Map& f, const std::vector<plot_point>& walk)
{
    std::vector<plot_point> image;
    const double gap = std::numeric_limits<double>::quiet_NaN();
    for (std::size_t k = 0; k < walk.size(); ++k) {
        if (k > 0) {
            const domain between = f.evalue(box_between(walk[k - 1], walk[k]));
            if (!bounded(between.get("y0")) || !bounded(between.get("y1"))) image.push_back({gap, gap});
        }
        image.push_back(image_at(f, walk[k]));
    }
    return image;
}

/// The boundary of box walked round counterclockwise from its lower left corner.
std::vector<plot_point> boundary_walk(const domain& box)
{
    const double x0 = inf(box.get("x")), x1 = sup(box.get("x"));
    const double y0 = inf(box.get("y")), y1 = sup(box.get("y"));
    const plot_point corners[] = {{x0, y0}, {x1, y0}, {x1, y1}, {x0, y1}, {x0, y0}};
    std::vector<plot_point> walk;
    for (int side = 0; side < 4; ++side) {
        const plot_point a = corners[side], b = corners[side + 1];
        for (int i = 0; i < boundary_samples; ++i) {
            const double t = double(i) / boundary_samples;
            walk.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
        }
    }
    walk.push_back(corners[4]);
    return walk;
}

/// Where the determinant vanishes on the edge from a (value va) to b (value vb),
/// by linear interpolation.
plot_point zero_between(const plot_point& a, double va, const plot_point& b, double vb)
{
    const double t = va / (va - vb);
    return {a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)};
}

/// Marching squares on one sub-cell with corners c (lower left, lower right,
/// upper right, upper left) and determinant values v: the pieces of the zero
/// line, joining the edge crossings in edge order. A sub-cell over which det
/// is not enclosed in a bounded interval is left out: its sign may change
/// across a pole (1/x along x = 0) rather than through 0.
void trace_square(const expression& det, const plot_point (&c)[4], const double (&v)[4],
                  std::vector<plot_segment>& segments)
{
    std::vector<plot_point> crossings;
    for (int e = 0; e < 4; ++e) {
        const int f = (e + 1) % 4;
        if (std::isfinite(v[e]) && std::isfinite(v[f]) && (v[e] < 0) != (v[f] < 0))
            crossings.push_back(zero_between(c[e], v[e], c[f], v[f]));
    }
    if (crossings.empty() || !bounded(det.Evalue(box_between(c[0], c[2])))) return;
    for (std::size_t k = 0; k + 1 < crossings.size(); k += 2) segments.emplace_back(crossings[k], crossings[k + 1]);
}

/// Sub-cells per side when count cells are traced.
int samples_per_side(std::size_t count)
{
    const int within_budget = static_cast<int>(std::sqrt(fold_evaluations / std::max<std::size_t>(count, 1))) - 1;
    return std::clamp(within_budget, 2, fold_samples);
}

/// The zero line of det inside cell, traced on a grid of n × n sub-cells.
void trace_cell(const expression& det, const domain& cell, int n, std::vector<plot_segment>& segments)
{
    const double x0 = inf(cell.get("x")), dx = diam(cell.get("x")) / n;
    const double y0 = inf(cell.get("y")), dy = diam(cell.get("y")) / n;
    std::vector<double> value((n + 1) * (n + 1));
    auto at = [&](int i, int j) { return plot_point{x0 + i * dx, y0 + j * dy}; };
    for (int i = 0; i <= n; ++i)
        for (int j = 0; j <= n; ++j) value[i * (n + 1) + j] = mid(det.Evalue(point_box(at(i, j).x, at(i, j).y)));
    auto v = [&](int i, int j) { return value[i * (n + 1) + j]; };
    for (int i = 0; i < n; ++i)
        for (int j = 0; j < n; ++j) {
            const plot_point c[4] = {at(i, j), at(i + 1, j), at(i + 1, j + 1), at(i, j + 1)};
            const double w[4] = {v(i, j), v(i + 1, j), v(i + 1, j + 1), v(i, j + 1)};
            trace_square(det, c, w, segments);
        }
}

std::vector<domain> cells_at(const std::vector<int>& indices, const mesh& paving)
{
    std::vector<domain> cells;
    for (const int k : indices)
        if (paving.holds(k)) cells.push_back(paving.boxes[k]);
    return cells;
}

/// Columns of the grid of sheet numbers; its rows follow the target's shape.
constexpr int sheet_columns = 64;

/// The sheet numbers over the target's data rectangle of r.
void count_sheets(plot_picture& p, const std::function<std::optional<int>(double, double)>& count,
                  const plot_ranges& r)
{
    const auto [a0, a1] = r.target_x.framed();
    const auto [b0, b1] = r.target_y.framed();
    if (!(a1 > a0) || !(b1 > b0)) return;
    p.sheet_area = domain{{"y0", interval(a0, a1)}, {"y1", interval(b0, b1)}};
    p.sheet_columns = sheet_columns;
    p.sheet_rows = std::clamp(static_cast<int>(std::lround(sheet_columns * (b1 - b0) / (a1 - a0))), 4, sheet_columns);
    for (int row = 0; row < p.sheet_rows; ++row) {
        const double b = b0 + (row + 0.5) * (b1 - b0) / p.sheet_rows;
        for (int column = 0; column < p.sheet_columns; ++column)
            p.sheets.push_back(count(a0 + (column + 0.5) * (a1 - a0) / p.sheet_columns, b));
    }
}

}  // namespace

plot_curves curves_of(const Map& f, const expression& det, const domain& box, const std::vector<domain>& singular_cells)
{
    plot_curves c;
    c.boundary = boundary_walk(box);
    c.boundary_image = image_of_walk(f, c.boundary);
    const int samples = samples_per_side(singular_cells.size());
    for (const domain& cell : singular_cells) trace_cell(det, cell, samples, c.fold_curve);
    for (const plot_segment& s : c.fold_curve) c.fold_image.emplace_back(image_at(f, s.first), image_at(f, s.second));
    return c;
}

plot_picture picture_of(const plot_subject& subject, const plot_page& page)
{
    const resultat& res = subject.res;
    plot_picture p;
    p.box = res.source_mesh.whole_box;
    p.title = "f1 = " + subject.first_component + ",   f2 = " + subject.second_component +
              (subject.complete ? "" : "   (incomplete: the shaded regions are undecided)");
    p.subtitle = "box " + interval_text(p.box.get("x")) + " × " + interval_text(p.box.get("y")) + ",   " +
                 std::to_string(res.source_mesh.boxes.size()) + " cells" +
                 (subject.fold_curve_text.empty() ? "" : ",   fold curve " + subject.fold_curve_text);
    p.singular_cells = cells_at(res.singular_indices, res.source_mesh);
    p.fold_cells = cells_at(res.fold_indices, res.source_mesh);
    plot_curves curves = curves_of(subject.f, subject.det, p.box, p.singular_cells);
    p.fold_curve = std::move(curves.fold_curve);
    p.fold_image = std::move(curves.fold_image);
    p.boundary = std::move(curves.boundary);
    p.boundary_image = std::move(curves.boundary_image);
    p.features = proved_features(res, subject.f);
    p.undecided = undecided_regions_of(res).all();

    plot_ranges r;
    for (const plot_point& b : p.boundary) r.source_x.add(b.x), r.source_y.add(b.y);
    for (const plot_point& b : p.boundary_image) r.target_x.add(b.x), r.target_y.add(b.y);
    for (const plot_segment& s : p.fold_image)
        for (const plot_point& q : {s.first, s.second}) {
            r.target_x.add(q.x), r.target_y.add(q.y);
            r.fold_x.add(q.x), r.fold_y.add(q.y);
        }
    for (const feature& ft : p.features) r.target_x.add(mid(ft.image.get("y0"))), r.target_y.add(mid(ft.image.get("y1")));
    if (subject.preimage_count) count_sheets(p, subject.preimage_count, r);
    lay_out(p, page, r);
    return p;
}

std::optional<plot_format> plot_format_of(const std::string& file)
{
    const std::size_t dot = file.rfind('.');
    if (dot == std::string::npos || file.find('/', dot) != std::string::npos) return std::nullopt;
    std::string extension = file.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "svg") return plot_format::svg;
    if (extension == "pdf") return plot_format::pdf;
    if (extension == "png") return plot_format::png;
    return std::nullopt;
}
