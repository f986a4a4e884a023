#pragma once
// What the searches evaluate in their loops, compiled once when the analysis
// is built: evaluating reads no tree and no name but the box's x and y.

#include "compiled.hpp"
#include "map.hpp"
#include "matrix.hpp"

#include <array>
#include <string>

/// Positions of the plane's variables in the values below.
enum axis : int { along_x = 0, along_y = 1 };

/// The axis of the plane's variable v ("x" or "y").
inline axis axis_of(const std::string& v) { return v == "x" ? along_x : along_y; }

/// Enclosures over one box of f, its Jacobian matrix, det and det's gradient,
/// from one run of one program (their common subexpressions computed once).
struct first_order_values {
    /// f1, f2.
    std::array<interval, 2> f;
    /// jacobian[k][c] = ∂f_k/∂c.
    std::array<std::array<interval, 2>, 2> jacobian;
    interval det;
    /// ∂det/∂x, ∂det/∂y.
    std::array<interval, 2> grad_det;
    /// Whether every partial function of these expressions has its argument
    /// inside its domain over the whole box.
    bool defined = false;
};

/// Enclosures over one box of det and of its derivative along one axis.
struct det_along_values {
    interval det;
    interval slope;
};

/// Enclosures over one box of det's second derivatives: hessian[a][c] = ∂²det/∂a∂c.
struct second_order_values {
    std::array<std::array<interval, 2>, 2> hessian;
    bool defined = false;
};

/// Enclosures over one box of the second derivatives of f:
/// hessian[k][a][c] = ∂²f_k/∂a∂c.
struct f_second_order_values {
    std::array<std::array<std::array<interval, 2>, 2>, 2> hessian;
    bool defined = false;
};

/// The programs of an analysis: f, det, each derivative of det alone and
/// with det (the searches often need one of them only), each ∂²det/∂u²;
/// f, its Jacobian, det and det's gradient together; det's second
/// derivatives together; f's second derivatives together. They are compiled from the analysis's
/// expressions, which do not change after its construction.
class analysis_programs {
public:
    analysis_programs() = default;
    /// f_hessian holds the second derivatives of f_1, then of f_2, as
    /// second_derivatives gives them.
    analysis_programs(const Map& f, const expression_matrix& jacobian, const Map& det_map,
                      const expression_matrix& grad_det, const expression_matrix& det_hessian,
                      const std::array<expression_matrix, 2>& f_hessian);

    /// f1, f2 over b.
    std::array<interval, 2> f(const domain& b) const;
    /// det over b.
    interval det(const domain& b) const;
    /// ∂det/∂u over b.
    interval det_derivative(const domain& b, axis u) const;
    /// det and ∂det/∂u over b.
    det_along_values det_along(const domain& b, axis u) const;
    /// ∂²det/∂u² over b; the entire line unless every second derivative of
    /// det is defined over the whole of b.
    interval det_curvature(const domain& b, axis u) const;
    first_order_values first_order(const domain& b) const;
    second_order_values second_order(const domain& b) const;
    f_second_order_values f_second_order(const domain& b) const;

private:
    compiled_program f_;
    compiled_program det_;
    std::array<compiled_program, 2> slope_;
    std::array<compiled_program, 2> det_along_;
    std::array<compiled_program, 2> curvature_;
    compiled_program first_order_;
    compiled_program second_order_;
    compiled_program f_second_order_;
};
