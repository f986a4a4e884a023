#pragma once
// Vector fields x' = F(x), their variational field, Taylor series along the
// flow and validated integration.

#include "expression.hpp"
#include "lohner.hpp"
#include "map.hpp"
#include "taylor.hpp"

#include <iostream>
#include <map>
#include <string>
#include <vector>

/// Boxes along a trajectory, one per time step.
using curve = std::vector<domain>;

class vector_field {
public:
    std::vector<expression> expressions;
    curve corner_curve1;
    curve corner_curve2;
    curve corner_curve3;
    curve corner_curve4;
    /// A priori enclosure of the flow over the last validated step.
    domain enclosure;
    /// Component name (a state variable) to its right-hand side.
    std::map<std::string, expression> components;

    /// An empty line, then "name:text" per component.
    void out(std::ostream& os = std::cout) const;
    /// The variational equation: component "a"+b+a = sum_c dF_b/dc * a_ca.
    vector_field d() const;
    /// Identity matrix as a box of the variational variables.
    domain identite() const;
    /// Enclosure of every component over b.
    domain f(const domain& b) const;
    /// This field's components and g's, g winning on a shared name.
    vector_field direct_sum(const vector_field& g) const;
    /// Taylor coefficients up to order of the flow started in b (a component b lacks starts at 0).
    taylor Taylor(const domain& b, int order) const;

    /// Upper bound of the Euclidean norm of F over b.
    double max_norme_f(const domain& b) const;
    /// Per component v, centred-form enclosure of v + h*F_v over b.
    domain f0_1(const domain& b, double h) const;
    /// Per component, enclosure of (DF.F) over b.
    domain f2(const domain& b) const;
    /// A priori enclosure of the flow from x over [0, h], stored in enclosure.
    bool validation(const domain& x, double h);
    /// Enclosure of the flow from x at time h given the a priori enclosure B.
    domain solve_taylor(const domain& x, double h, const domain& B) const;
    /// Enclosure of the flow from x at time T.
    domain integrate(const domain& x, double T);
    /// N + 1 boxes at times 0, T/N, ..., T.
    curve integrate(const domain& x, double T, int N);
    /// N + 1 boxes with the variational entries, following the corners.
    curve monotone_integrate(const domain& x, double T, int N);
    /// x + h*f(x)
    domain Next_Euler(double h, const domain& x) const;
    /// Euler polygon from x with step h up to time T.
    curve Phase_Curve_via_Euler(double h, const domain& x, double T) const;

    /// Enclosures of the flow from every point of x from time 0 to T by
    /// Lohner's method with Taylor series of the given order (see lohner).
    flow_enclosures validated_flow(const domain& x, double T, int order = lohner::default_order) const;
};
