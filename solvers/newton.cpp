#include "newton.hpp"

#include <cmath>

namespace {

/// Whether every interval of N is non-empty with finite bounds.
bool bounded(const domain& N) {
    for (const auto& entry : N) {
        const interval& I = entry.second;
        if (I.isEmpty() || !std::isfinite(I.inf()) || !std::isfinite(I.sup())) {
            return false;
        }
    }
    return true;
}

}  // namespace

newton::newton(const Map& f) : system(f), jacobian(f.differentielle()) {}

void newton::out(std::ostream& os) const {
    system.out(os);
    jacobian.out(os);
}

domain newton::operator_newton(const domain& X) const {
    const domain c = X.center();
    const domain v = system.evalue(c);
    const interval_matrix J = jacobian.evalue(X);
    domain N = c - J.gaussian(v);
    // An unbounded component (singular Jacobian) proves nothing, and neither
    // does an empty one (the system undefined at the centre): an empty
    // component would pass every subset test. Both give the entire box, which
    // is neither a subset of a bounded box nor disjoint from a non-empty one.
    if (!bounded(N)) {
        for (auto& entry : N) {
            entry.second = interval::ENTIRE();
        }
    }
    return N;
}
