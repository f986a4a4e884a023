#include "connexe.hpp"

#include "map.hpp"
#include "sivia.hpp"

#include <climits>
#include <cmath>

namespace {

/// The lower bound of the targets: a radial derivative however negative still
/// breaks star-shapedness.
constexpr double minus_infinity = -HUGE_VAL;
/// Corners are numbered by int: at most this many variables.
constexpr int max_dimension = static_cast<int>(sizeof(int) * CHAR_BIT) - 2;

/// The targets g = 0 and radial derivative <= 0: the points that would break
/// star-shapedness.
domain bad_points_target() {
    domain target;
    target["y0"] = interval(0.0);
    target["y1"] = interval(minus_infinity, 0.0);
    return target;
}

}  // namespace

connexe::connexe(const expression& g) : function(g), radial_derivative("0") {
    for (const std::string& v : g.variables) {
        const expression& dg = gradient[v] = g.derive(v);
        radial_derivative = radial_derivative + dg * (expression(v) - expression("s" + v));
    }
}

int connexe::star_shaped(const domain& X) const {
    // A box without width gives the set inversion no threshold.
    const double width = X.width();
    if (gradient_may_vanish(X) || !(width > 0.0) || X.dimension() > max_dimension) {
        return 0;
    }
    const int corners = 1 << X.dimension();
    for (int i = 0; i < corners; ++i) {
        if (star_shaped_from(X, X.corner(i), width / 1024)) {
            return 1;
        }
    }
    return 0;
}

bool connexe::gradient_may_vanish(const domain& X) const {
    for (const auto& entry : gradient) {
        if (!entry.second.Evalue(X).contains(0.0)) {
            return false;
        }
    }
    return true;
}

bool connexe::star_shaped_from(const domain& X, const domain& c, double eps) const {
    const interval at_corner = function.Evalue(c);
    if (at_corner.isEmpty() || !at_corner.subset(interval(minus_infinity, 0.0))) {
        return false;
    }
    expression radial = radial_derivative;
    for (const auto& entry : gradient) {
        radial = radial.substitute(c.get(entry.first).inf(), "s" + entry.first);
    }
    sivia inversion(Map(std::vector<expression>{function, radial}), bad_points_target());
    // No box left undecided and none proved bad: on g = 0 the radial
    // derivative from c is positive everywhere in X.
    return inversion.SIVIAfile(X, eps) == 0 && inversion.inside_boxes.empty();
}

interval connexe::gradient_evalue(const domain& X, const domain& V) const {
    interval sum(0.0);
    for (const auto& entry : gradient) {
        sum = sum + entry.second.Evalue(X) * V.get(entry.first);
    }
    return sum;
}
