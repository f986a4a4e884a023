#include "newton.hpp"

#include <algorithm>
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
    std::vector<interval> right;
    right.reserve(jacobian.rows.size());
    for (const std::string& r : jacobian.rows) right.push_back(v.get(r));
    const std::vector<interval> d = gaussian(jacobian.evalue_dense(X), std::move(right));
    // N = c - d, a variable outside the Jacobian's columns reading d as [0, 0].
    domain N = c;
    for (auto& [name, I] : N) {
        const auto column = std::find(jacobian.columns.begin(), jacobian.columns.end(), name);
        I = I - (column == jacobian.columns.end() ? interval() : d[column - jacobian.columns.begin()]);
    }
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
