// Injectivity tests on boxes and boundary pieces, and the image boxes of the pavings.

#include "plisse.hpp"

namespace {

/// The last variable of e whose interval is not a point, or "" when every one is.
std::string free_variable(const domain& e)
{
    std::string v;
    for (const auto& entry : e) {
        if (!entry.second.isPoint()) v = entry.first;
    }
    return v;
}

/// The derivative of f along the free variable of e, oriented towards I: the
/// Jacobian column of that variable over e, negated unless I lies strictly
/// beyond the centre of e. Empty when e has no free variable.
domain derivative_towards(const plisse& p, const domain& e, const domain& I)
{
    const std::string v = free_variable(e);
    if (v.empty()) return domain();
    const domain D = p.jacobian.evalue(e).row(v);
    const interval s = I.get(v) - e.center().get(v);
    return s.inf() > 0.0 ? D : D * -1.0;
}

}  // namespace

iboolean plisse::one_to_one(const domain& b) const
{
    if (excludes_zero(jacobian.evalue(b).determinant())) return true;
    return iperhaps;
}

void plisse::one_to_one()
{
    const std::vector<domain>& cells = res.source_mesh.boxes;
    for (int i = 0; i < static_cast<int>(cells.size()); ++i) {
        // A cell whose determinant enclosure is empty or unbounded may hold
        // fold points as well: only a proved non-zero determinant leaves it out.
        if (!excludes_zero(det_map.evalue(cells[i]).get("y0"))) res.singular_indices.push_back(i);
    }
}

void plisse::image()
{
    for (const domain& cell : res.source_mesh.boxes) res.images.push_back(evalue(cell));
    for (const domain& piece : res.boundary_mesh.boxes) res.boundary_images.push_back(evalue(piece));
}

bool plisse::one_to_one_boundary(const domain& e) const
{
    const std::string v = free_variable(e);
    return !v.empty() && excludes_zero(jacobian.evalue(e).row(v));
}

bool plisse::one_to_one_boundary(const domain& e1, const domain& e2) const
{
    const domain I = e1.intersect(e2);
    const domain H = derivative_towards(*this, e1, I).hull(derivative_towards(*this, e2, I));
    if (excludes_zero(H)) return true;
    return one_to_one(e1.hull(e2)) == iboolean(true);
}

bool plisse::one_to_one_singular(const domain& b) const
{
    if (one_to_one(b) == iboolean(true)) return true;
    const interval_matrix gradient = grad_det.evalue(b);
    const domain T{{"x", gradient.entry("y0", "y")}, {"y", interval(-1.0) * gradient.entry("y0", "x")}};
    if (excludes_zero(jacobian.evalue(b).image(T))) return true;
    return one_to_one_cusp(b, false);
}
