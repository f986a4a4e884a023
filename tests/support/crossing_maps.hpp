#pragma once
// Maps with known crossings for the crossing tests: their component texts,
// boxes, double versions and fold curves, from which the tests compute the
// true answers independently of the interval searches.

#include "analysis_maps.hpp"
#include "plane_curves.hpp"

/// A swallowtail section (s, t) ↦ (s, t⁴ − t² + s·t), with s = x + 0.25·y and
/// t = y, followed by the linear map (u, v) ↦ (u + 0.3·v, v − 0.3·u). Its fold
/// curve x = 1.75·y − 4·y³ runs through the box in three arcs whose ends lie on
/// the edges x = ±0.4; the fold image crosses itself once, at (−0.075, −0.25),
/// the image of (0.25/√2, −1/√2) and (−0.25/√2, 1/√2); both cusps lie outside.
struct swallowtail_map {
    static constexpr const char* f1 = "x+0.25*y+0.3*(y^4-0.75*y^2+x*y)";
    static constexpr const char* f2 = "y^4-0.75*y^2+x*y-0.3*(x+0.25*y)";
    static domain box() { return plane_box(-0.4, 0.4, -0.85, 0.85); }
    static xy_point at(xy_point p)
    {
        const double s = p.x + 0.25 * p.y;
        const double c = std::pow(p.y, 4) - 0.75 * p.y * p.y + p.x * p.y;
        return {s + 0.3 * c, c - 0.3 * s};
    }
    static xy_point fold(double y) { return {1.75 * y - 4.0 * y * y * y, y}; }
};

/// A perturbed cube z³ over a box around the origin: the boundary winds three
/// times around the image of the origin and its image crosses itself six times.
struct cube_map {
    static constexpr const char* f1 = "x^3-3*x*y^2+0.2*y";
    static constexpr const char* f2 = "3*x^2*y-y^3+0.1*x";
    static domain box() { return plane_box(-0.9, 1.1, -0.8, 1.2); }
    static xy_point at(xy_point p)
    {
        return {p.x * p.x * p.x - 3.0 * p.x * p.y * p.y + 0.2 * p.y,
                3.0 * p.x * p.x * p.y - p.y * p.y * p.y + 0.1 * p.x};
    }
};

/// The built-in map with 0.25 in place of 0.2, over a box whose bisection grid
/// holds the points where its fold curve x = 3·y² + 0.25·y meets the boundary,
/// (0.625, −0.5) and (0.875, 0.5), and the fold points (0.078125, 0.125) and
/// (0.328125, −0.375) of its two crossings with the boundary image: each of
/// these lies on a face shared by two candidate pairs.
struct grid_fold_map {
    static constexpr const char* f1 = "x+0.25*y";
    static constexpr const char* f2 = "y^3-x*y";
    static domain box() { return plane_box(-0.5, 1.5, -0.5, 0.5); }
    static xy_point at(xy_point p) { return {p.x + 0.25 * p.y, p.y * p.y * p.y - p.x * p.y}; }
    static xy_point fold(double y) { return {3.0 * y * y + 0.25 * y, y}; }
};

/// The program's built-in map; its fold curve is x = 3·y² + 0.2·y.
struct built_in_map {
    static constexpr const char* f1 = "x+0.2*y";
    static constexpr const char* f2 = "y^3-x*y";
    static domain box() { return built_in_box(); }
    static xy_point at(xy_point p) { return {p.x + 0.2 * p.y, p.y * p.y * p.y - p.x * p.y}; }
    static xy_point fold(double y) { return {3.0 * y * y + 0.2 * y, y}; }
};

/// Whether the pair (A, B) holds the crossing c, in either order of its points.
inline bool holds(const box_pair& pair, const sampled_crossing& c, double tolerance)
{
    return (near(pair.first, c.p, tolerance) && near(pair.second, c.q, tolerance))
           || (near(pair.first, c.q, tolerance) && near(pair.second, c.p, tolerance));
}

/// The analysis object of map M, paved n × n, its constructor's report discarded.
template <class M>
std::unique_ptr<plisse> quiet(int n = 4)
{
    return quiet_plisse(M::f1, M::f2, M::box(), n);
}

/// The fold curve of M inside its box, in pieces, sampled over y at n steps.
template <class M>
std::vector<sampled_curve> fold_pieces(int n)
{
    const domain box = M::box();
    return pieces_inside(M::at, M::fold, box.get("y").inf(), box.get("y").sup(), n, box);
}

/// The crossings of the fold image of M with itself, each found once.
template <class M>
std::vector<sampled_crossing> true_fold_fold_crossings()
{
    const std::vector<sampled_curve> pieces = fold_pieces<M>(4000);
    std::vector<sampled_crossing> found;
    for (std::size_t i = 0; i < pieces.size(); ++i) {
        for (std::size_t j = i; j < pieces.size(); ++j) {
            for (const sampled_crossing& c : image_crossings(pieces[i], pieces[j], 1e-3)) found.push_back(c);
        }
    }
    return found;
}

/// The crossings of the boundary image of M with itself, each found once.
template <class M>
std::vector<sampled_crossing> true_boundary_boundary_crossings()
{
    const std::vector<sampled_curve> edges = boundary_edges(M::at, M::box(), 4000);
    std::vector<sampled_crossing> found;
    for (std::size_t i = 0; i < edges.size(); ++i) {
        for (std::size_t j = i; j < edges.size(); ++j) {
            for (const sampled_crossing& c : image_crossings(edges[i], edges[j], 1e-3)) found.push_back(c);
        }
    }
    return found;
}

/// The transversal crossings of the fold image of M with its boundary image,
/// fold point first. Where the fold curve itself meets the boundary both images
/// touch; those contacts are not crossings and are left out.
template <class M>
std::vector<sampled_crossing> true_fold_boundary_crossings()
{
    const std::vector<sampled_curve> pieces = fold_pieces<M>(4000);
    const std::vector<sampled_curve> edges = boundary_edges(M::at, M::box(), 4000);
    std::vector<sampled_crossing> found;
    for (const sampled_curve& piece : pieces) {
        for (const sampled_curve& edge : edges) {
            for (const sampled_crossing& c : image_crossings(piece, edge, 1e-3)) found.push_back(c);
        }
    }
    return found;
}

/// The points where the fold curve of M meets the boundary of its box.
template <class M>
std::vector<xy_point> true_fold_edge_points()
{
    const domain box = M::box();
    return boundary_meetings(M::fold, box.get("y").inf() - 0.5, box.get("y").sup() + 0.5, 20000, box);
}
