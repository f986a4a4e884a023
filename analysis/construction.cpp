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

/// Whether node, when it is a partial function, has its argument inside its
/// domain over b; total functions always have.
bool node_defined_on(const std::vector<Node>& tree, const Node& node, const domain& b)
{
    switch (node.kind) {
    case 'R': {
        const interval a = Eval(tree, node.left, b);
        return !a.isEmpty() && a.inf() >= 0.0;
    }
    case 'L': {
        const interval a = Eval(tree, node.left, b);
        return !a.isEmpty() && a.inf() > 0.0;
    }
    case '/':
        return excludes_zero(Eval(tree, node.right, b));
    case 'P': {
        // The exponent is read as evaluation reads it: its upper bound, truncated.
        const interval n = Eval(tree, node.right, b);
        if (n.isEmpty() || n.isInfinite()) return false;
        return std::trunc(n.sup()) >= 0.0 || excludes_zero(Eval(tree, node.left, b));
    }
    case 'T':
        return excludes_zero(cos(Eval(tree, node.left, b)));
    default:
        return true;
    }
}

/// Whether nodes of kind k are partial functions (the cases of node_defined_on).
bool partial(char k)
{
    return k == 'R' || k == 'L' || k == '/' || k == 'P' || k == 'T';
}

/// Whether every partial function of e has its argument inside its domain over b.
bool defined_on(const expression& e, const domain& b)
{
    for (const Node& node : e.tree) {
        const bool unary_or_binary = node.left >= 0;
        if (partial(node.kind) && unary_or_binary && !node_defined_on(e.tree, node, b)) return false;
    }
    return true;
}

}  // namespace

plisse::plisse(const expression& e1, const expression& e2, const mesh& m)
{
    res.source_mesh = m;
    res.boundary_mesh = m.boundary();
    box = m.whole_box;

    f = over_the_plane(Map({simplified(e1), simplified(e2)}));
    jacobian = f.differentielle();
    det = jacobian.determinant();

    det_map = over_the_plane(Map(det));
    grad_det = det_map.differentielle();

    tangent = Map({expression("-1") * grad_det.entry("y0", "y"), grad_det.entry("y0", "x")});
    tangent.variables.insert({"x", "y"});

    newton_fold_fold = newton(fold_fold_system(f, det));

    const expression& det_x = grad_det.entry("y0", "x");
    const expression& det_y = grad_det.entry("y0", "y");
    cusp_map = over_the_plane(Map({jacobian.entry("y0", "x") * det_y - jacobian.entry("y0", "y") * det_x,
                                   jacobian.entry("y1", "x") * det_y - jacobian.entry("y1", "y") * det_x}));
    newton_cusp = newton(cusp_map);
    det_hessian = second_derivatives(grad_det, "y0");

    cusp_map.out();
}

domain plisse::evalue(const domain& b) const { return f.evalue(b); }

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

bool defined_on(const Map& m, const domain& b)
{
    for (const auto& entry : m.components) {
        if (!defined_on(entry.second, b)) return false;
    }
    return true;
}

bool defined_on(const expression_matrix& m, const domain& b)
{
    for (const auto& row : m.entries) {
        for (const auto& entry : row.second) {
            if (!defined_on(entry.second, b)) return false;
        }
    }
    return true;
}
