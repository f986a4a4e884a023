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

newton::newton(const Map& f) : system(f), jacobian(f.differentielle()) {
    std::vector<const std::vector<Node>*> components, entries;
    for (const std::string& r : jacobian.rows) {
        components.push_back(&system.component(r).tree);
        for (const std::string& c : jacobian.columns) entries.push_back(&jacobian.entry(r, c).tree);
    }
    values_ = compiled_program(components);
    // Entry (r, c) is the derivative of component r along c: the components,
    // appended after the entries, give their enclosures.
    std::vector<compiled_program::derivative_of> derivatives;
    const int columns = static_cast<int>(jacobian.columns.size());
    for (int r = 0; r < static_cast<int>(jacobian.rows.size()); ++r)
        for (int c = 0; c < columns; ++c)
            derivatives.push_back({r * columns + c, static_cast<int>(entries.size()) + r, jacobian.columns[c]});
    entries.insert(entries.end(), components.begin(), components.end());
    derivatives_ = compiled_program(entries, derivatives);
}

bool newton::defined_on(const domain& X) const {
    thread_local std::vector<interval> slots;
    if (!values_.total()) {
        values_.run(X, slots);
        if (!values_.defined(slots)) return false;
    }
    if (derivatives_.total()) return true;
    derivatives_.run(X, slots);
    return derivatives_.defined(slots);
}

void newton::out(std::ostream& os) const {
    system.out(os);
    jacobian.out(os);
}

domain newton::operator_newton(const domain& X) const {
    const domain c = X.center();
    thread_local std::vector<interval> slots;
    values_.run(c, slots);
    std::vector<interval> right;
    right.reserve(jacobian.rows.size());
    for (const int k : values_.outputs()) right.push_back(slots[k]);
    derivatives_.run(X, slots);
    dense_matrix J(jacobian.rows.size(), jacobian.columns.size());
    for (std::size_t k = 0; k < J.values.size(); ++k) J.values[k] = slots[derivatives_.outputs()[k]];
    const std::vector<interval> d = gaussian(J, std::move(right));
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
