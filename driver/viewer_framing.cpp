// Framing the planes on their content, and the markers of the proved features.

#include "viewer.hpp"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

/// Share of the window the larger side of a framed content covers.
constexpr double framed_share = 0.9;
/// Half the side of a feature's marker, in window pixels.
constexpr double marker_pixels = 7;
constexpr double half_window = 500;

void widen(plane_extent& e, double x, double y)
{
    if (!std::isfinite(x) || !std::isfinite(y)) return;
    e.x_low = std::min(e.x_low, x);
    e.x_high = std::max(e.x_high, x);
    e.y_low = std::min(e.y_low, y);
    e.y_high = std::max(e.y_high, y);
}

plane_extent empty_extent() { return {INFINITY, -INFINITY, INFINITY, -INFINITY}; }

/// A square outline of half side h around (x, y).
void square(double x, double y, double h)
{
    glBegin(GL_LINE_LOOP);
    glVertex3d(x - h, y - h, 0.02);
    glVertex3d(x + h, y - h, 0.02);
    glVertex3d(x + h, y + h, 0.02);
    glVertex3d(x - h, y + h, 0.02);
    glEnd();
}

}  // namespace

plane_extent extent_of(const domain& box, const char* x, const char* y)
{
    return {inf(box.get(x)), sup(box.get(x)), inf(box.get(y)), sup(box.get(y))};
}

plane_extent extent_of(const grille& g, const std::vector<feature>& features)
{
    plane_extent e = empty_extent();
    for (const vector_nD<double>& p : g.points) widen(e, p[0], p[1]);
    for (const feature& ft : features) widen(e, mid(ft.image.get("y0")), mid(ft.image.get("y1")));
    if (!(e.x_low <= e.x_high)) return plane_extent();
    return e;
}

void frame_plane(plane_view& plane, const plane_extent& extent)
{
    const double side = std::max(extent.x_high - extent.x_low, extent.y_high - extent.y_low);
    // A point p is drawn at scale · (p + offset): the centre goes to 0 and
    // half the larger side to the framed share of the half window.
    plane.scale = side > 0 ? 2 * framed_share / side : 1;
    plane.offset[0] = static_cast<float>(-(extent.x_low + extent.x_high) / 2);
    plane.offset[1] = static_cast<float>(-(extent.y_low + extent.y_high) / 2);
}

void viewer::home()
{
    frame_plane(source, source_extent);
    frame_plane(target, target_extent);
}

void viewer::draw_features(double scale, bool images) const
{
    const double h = marker_pixels / (half_window * scale);
    glColor3d(1, 0, 1);
    for (const feature& ft : features) {
        if (images) {
            square(mid(ft.image.get("y0")), mid(ft.image.get("y1")), h);
            continue;
        }
        for (const domain* b : {&ft.first, &ft.second})
            if (!b->empty()) square(mid(b->get("x")), mid(b->get("y")), h);
    }
}
