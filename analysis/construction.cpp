// The analysis object's construction: every expression the searches need is
// derived here once, symbolically; plus the shared services evalue, equation
// and the sound interval tests.

#include "pair_search.hpp"
#include "plisse.hpp"

#include <cmath>
#include <iostream>

namespace {

/// The fold–fold system in x1..x4: equal images of two fold points, (x1, x2)
/// and (x3, x4) both on the fold curve.
Map fold_fold_system(const Map& f, const expression& det)
{
    Map system = same_image_system(f);
    system.add(in_variables(det, "x1", "x2"));
    system.add(in_variables(det, "x3", "x4"));
    return system;
}

/// m with x and y declared as its variables, so that its Jacobian has both
/// columns even when a component does not mention one of them.
Map over_the_plane(Map m)
{
    m.variables.insert({"x", "y"});
    return m;
}

/// e simplified, its like terms collected: the map evaluated in every search
/// is then as small as its distinct terms.
expression simplified(expression e)
{
    e.Simplify();
    return e;
}

/// The fold curve's tangent field (−∂det/∂y, ∂det/∂x), over the plane.
Map fold_tangent(const expression_matrix& grad_det)
{
    return over_the_plane(Map({expression("-1") * grad_det.entry("y0", "y"), grad_det.entry("y0", "x")}));
}

/// The cusp system: the images of the fold tangent under Df, which vanish together at a cusp.
Map cusp_system(const expression_matrix& jacobian, const expression_matrix& grad_det)
{
    const expression& det_x = grad_det.entry("y0", "x");
    const expression& det_y = grad_det.entry("y0", "y");
    return over_the_plane(Map({jacobian.entry("y0", "x") * det_y - jacobian.entry("y0", "y") * det_x,
                               jacobian.entry("y1", "x") * det_y - jacobian.entry("y1", "y") * det_x}));
}

}  // namespace

Map studied_map(const expression& e1, const expression& e2)
{
    return over_the_plane(Map({simplified(e1), simplified(e2)}));
}

plisse::plisse(const expression& e1, const expression& e2, const mesh& m)
    : f(studied_map(e1, e2)),
      jacobian(f.differentielle()),
      det(jacobian.determinant()),
      det_map(over_the_plane(Map(det))),
      grad_det(det_map.differentielle()),
      det_hessian(second_derivatives(grad_det, "y0")),
      tangent(fold_tangent(grad_det)),
      cusp_map(cusp_system(jacobian, grad_det)),
      newton_fold_fold(fold_fold_system(f, det)),
      newton_cusp(cusp_map),
      box(m.whole_box),
      programs_(f, jacobian, det_map, grad_det, det_hessian,
                {second_derivatives(jacobian, "y0"), second_derivatives(jacobian, "y1")})
{
    res.source_mesh = m;
    res.boundary_mesh = m.boundary();
    cusp_map.out();
}

domain plisse::evalue(const domain& b) const
{
    const std::array<interval, 2> image = programs_.f(b);
    return domain{{"y0", image[0]}, {"y1", image[1]}};
}

expression_matrix second_derivatives(const expression_matrix& J, const std::string& r)
{
    return over_the_plane(Map({J.entry(r, "x"), J.entry(r, "y")})).differentielle();
}

void equation(Map& m, domain& b)
{
    const std::set<std::string> names = m.component_names;
    std::vector<std::string> frozen;
    for (const auto& [v, I] : b) {
        if (!I.isPoint()) continue;
        for (const std::string& n : names) {
            m.set_component(n, m.get_component(n).substitute(I.inf(), v));
        }
        frozen.push_back(v);
    }
    for (const std::string& v : frozen) b.erase(v);
}

bool excludes_zero(const interval& I)
{
    return !I.isEmpty() && !I.isInfinite() && !I.contains(0.0);
}

bool excludes_zero(const domain& W)
{
    for (const auto& entry : W) {
        if (excludes_zero(entry.second)) return true;
    }
    return false;
}

bool proper(const interval& I) { return !I.isEmpty() && !I.isInfinite(); }

bool bounded_over(const domain& N, const domain& B)
{
    for (const auto& entry : B) {
        const auto found = N.find(entry.first);
        if (found == N.end() || found->second.isEmpty() || found->second.isInfinite()) return false;
    }
    return true;
}

bool defined_on(const Map& m, const domain& b) { return m.defined_on(b); }

bool defined_on(const expression_matrix& m, const domain& b) { return m.defined_on(b); }
