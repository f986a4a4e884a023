#pragma once
// Independent answers for the crossing tests: curves of the source plane
// sampled densely and mapped in double arithmetic, the crossings of their
// images found segment by segment and refined by Newton's method on the two
// curve parameters, and the points where a curve leaves a box.

#include "domain.hpp"

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

struct xy_point {
    double x;
    double y;
};

using plane_map = std::function<xy_point(xy_point)>;
/// A parametrised curve t ↦ point.
using plane_curve = std::function<xy_point(double)>;

/// A curve sampled at increasing parameters: the map and the curve, the
/// parameters, the source points and their images.
struct sampled_curve {
    plane_map f;
    plane_curve c;
    std::vector<double> t;
    std::vector<xy_point> source;
    std::vector<xy_point> image;

    void add(double parameter)
    {
        t.push_back(parameter);
        source.push_back(c(parameter));
        image.push_back(f(source.back()));
    }
};

/// Two source points whose images coincide.
struct sampled_crossing {
    xy_point p;
    xy_point q;
};

inline bool inside(const domain& box, xy_point p)
{
    return box.get("x").contains(p.x) && box.get("y").contains(p.y);
}

/// Whether p lies in box widened by tolerance on every side.
inline bool near(const domain& box, xy_point p, double tolerance)
{
    return p.x >= box.get("x").inf() - tolerance && p.x <= box.get("x").sup() + tolerance
           && p.y >= box.get("y").inf() - tolerance && p.y <= box.get("y").sup() + tolerance;
}

inline double distance(xy_point a, xy_point b) { return std::hypot(a.x - b.x, a.y - b.y); }

/// The pieces of the curve on [t0, t1] that lie in box, each sampled at n steps
/// of the whole parameter range.
inline std::vector<sampled_curve> pieces_inside(const plane_map& f, const plane_curve& c, double t0, double t1,
                                                int n, const domain& box)
{
    std::vector<sampled_curve> pieces;
    sampled_curve current{f, c, {}, {}, {}};
    for (int k = 0; k <= n; ++k) {
        const double t = t0 + (t1 - t0) * k / n;
        if (inside(box, c(t))) {
            current.add(t);
        } else if (!current.source.empty()) {
            pieces.push_back(current);
            current = sampled_curve{f, c, {}, {}, {}};
        }
    }
    if (!current.source.empty()) pieces.push_back(current);
    return pieces;
}

/// The four edges of box (x low, x high, y low, y high), each sampled at n steps.
inline std::vector<sampled_curve> boundary_edges(const plane_map& f, const domain& box, int n)
{
    const double x0 = box.get("x").inf(), x1 = box.get("x").sup();
    const double y0 = box.get("y").inf(), y1 = box.get("y").sup();
    const auto segment = [&](xy_point a, xy_point b) {
        sampled_curve s{f, [a, b](double t) { return xy_point{a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t}; }, {}, {}, {}};
        for (int k = 0; k <= n; ++k) s.add(static_cast<double>(k) / n);
        return s;
    };
    return {segment({x0, y0}, {x0, y1}), segment({x1, y0}, {x1, y1}), segment({x0, y0}, {x1, y0}),
            segment({x0, y1}, {x1, y1})};
}

/// The parameter s in [0, 1) along a-b and t along c-d where the segments cross, if they do.
inline bool segments_cross(xy_point a, xy_point b, xy_point c, xy_point d, double& s, double& t)
{
    const double den = (b.x - a.x) * (d.y - c.y) - (b.y - a.y) * (d.x - c.x);
    if (den == 0.0) return false;
    s = ((c.x - a.x) * (d.y - c.y) - (c.y - a.y) * (d.x - c.x)) / den;
    t = ((c.x - a.x) * (b.y - a.y) - (c.y - a.y) * (b.x - a.x)) / den;
    return s >= 0.0 && s < 1.0 && t >= 0.0 && t < 1.0;
}

/// The crossing near the parameters (s, t) of a and b, refined by Newton's
/// method with central differences until the images agree to rounding.
inline sampled_crossing refined(const sampled_curve& a, const sampled_curve& b, double s, double t)
{
    const double h = 1e-7;
    for (int step = 0; step < 30; ++step) {
        const xy_point fa = a.f(a.c(s)), fb = b.f(b.c(t));
        const double gx = fa.x - fb.x, gy = fa.y - fb.y;
        const xy_point sa = a.f(a.c(s + h)), sb = a.f(a.c(s - h));
        const xy_point ta = b.f(b.c(t + h)), tb = b.f(b.c(t - h));
        const double j11 = (sa.x - sb.x) / (2 * h), j21 = (sa.y - sb.y) / (2 * h);
        const double j12 = -(ta.x - tb.x) / (2 * h), j22 = -(ta.y - tb.y) / (2 * h);
        const double det = j11 * j22 - j12 * j21;
        const double ds = (gx * j22 - gy * j12) / det, dt = (j11 * gy - j21 * gx) / det;
        s -= ds;
        t -= dt;
        if (std::fabs(ds) + std::fabs(dt) < 1e-15) break;
    }
    return {a.c(s), b.c(t)};
}

/// The crossings of the images of a and b (of a with itself when b is a),
/// dropping those whose two source points are nearer than apart: there the
/// curves meet in the source plane, which is no crossing of images.
inline std::vector<sampled_crossing> image_crossings(const sampled_curve& a, const sampled_curve& b, double apart)
{
    std::vector<sampled_crossing> found;
    const bool same = &a == &b;
    for (std::size_t i = 0; i + 1 < a.image.size(); ++i) {
        const xy_point a0 = a.image[i], a1 = a.image[i + 1];
        for (std::size_t j = same ? i + 2 : 0; j + 1 < b.image.size(); ++j) {
            const xy_point b0 = b.image[j], b1 = b.image[j + 1];
            if (std::max(b0.x, b1.x) < std::min(a0.x, a1.x) || std::min(b0.x, b1.x) > std::max(a0.x, a1.x)
                || std::max(b0.y, b1.y) < std::min(a0.y, a1.y) || std::min(b0.y, b1.y) > std::max(a0.y, a1.y)) {
                continue;
            }
            double s = 0.0, t = 0.0;
            if (!segments_cross(a0, a1, b0, b1, s, t)) continue;
            const sampled_crossing c = refined(a, b, a.t[i] + (a.t[i + 1] - a.t[i]) * s, b.t[j] + (b.t[j + 1] - b.t[j]) * t);
            if (distance(c.p, c.q) >= apart) found.push_back(c);
        }
    }
    return found;
}

/// The points where the curve on [t0, t1] crosses the boundary of box, each
/// located by bisection of the parameter after sampling at n steps.
inline std::vector<xy_point> boundary_meetings(const plane_curve& c, double t0, double t1, int n, const domain& box)
{
    std::vector<xy_point> found;
    for (int k = 0; k < n; ++k) {
        double lo = t0 + (t1 - t0) * k / n, hi = t0 + (t1 - t0) * (k + 1) / n;
        const bool lo_inside = inside(box, c(lo));
        if (lo_inside == inside(box, c(hi))) continue;
        for (int step = 0; step < 60; ++step) {
            const double mid = 0.5 * (lo + hi);
            (inside(box, c(mid)) == lo_inside ? lo : hi) = mid;
        }
        found.push_back(c(lo_inside ? lo : hi));
    }
    return found;
}
