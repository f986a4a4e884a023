// Framing the planes on their content, and the markers of the proved features.

#include "viewer.hpp"

#include <GL/gl.h>

#include <algorithm>
#include <cmath>

namespace {

/// Share of the window a framed content covers along its tighter direction.
constexpr double framed_share = 0.9;
/// Half the side of a feature's marker, in window pixels.
constexpr double marker_pixels = 7;

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

void frame_plane(plane_view& plane, const plane_extent& extent, int width, int height)
{
    // A point p is drawn at scale · (p + offset), in units of the shorter
    // half side of the window, which spans width / shorter and height /
    // shorter of them on either side of its centre: the centre of the extent
    // goes to 0, and each half of it to at most the framed share of the
    // window's half in its direction.
    const double shorter = std::min(width, height);
    const double sides[2] = {extent.x_high - extent.x_low, extent.y_high - extent.y_low};
    const double halves[2] = {width / shorter, height / shorter};
    double scale = INFINITY;
    for (int k = 0; k < 2; ++k)
        if (sides[k] > 0) scale = std::min(scale, 2 * framed_share * halves[k] / sides[k]);
    plane.scale = std::isfinite(scale) ? scale : 1;
    plane.offset[0] = static_cast<float>(-(extent.x_low + extent.x_high) / 2);
    plane.offset[1] = static_cast<float>(-(extent.y_low + extent.y_high) / 2);
}

void viewer::home()
{
    frame_plane(source, source_extent, width, height);
    frame_plane(target, target_extent, width, height);
}

double viewer::pixel(double scale) const { return 2 / (std::min(width, height) * scale); }

void viewer::draw_features(double scale, bool images) const
{
    const double h = marker_pixels * pixel(scale);
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
