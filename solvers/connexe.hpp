#pragma once
// Star-shapedness of {g <= 0} in a box with respect to one of its corners.

#include "expression.hpp"

#include <map>
#include <string>

class connexe {
public:
    expression function;
    std::map<std::string, expression> gradient;
    /// sum over v of dg/dv * (v - sv)
    expression radial_derivative;

    explicit connexe(const expression& g);
    /// 1 when the curve g = 0 in X is crossed once by every ray from some corner.
    int star_shaped(const domain& X) const;
    /// Enclosure of the derivative of g over X in the direction V.
    interval gradient_evalue(const domain& X, const domain& V) const;

private:
    /// Whether every partial derivative of g may vanish over X.
    bool gradient_may_vanish(const domain& X) const;
    /// Whether g <= 0 at the corner c and, proved by set inversion at
    /// threshold eps, the radial derivative from c is positive on g = 0 in X.
    bool star_shaped_from(const domain& X, const domain& c, double eps) const;
};
