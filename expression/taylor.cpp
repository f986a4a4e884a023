// Taylor coefficient records, and Taylor coefficients of expression trees
// along a flow (intervals) or along the diagonal of a box (doubles).

#include "taylor.hpp"

#include "expression.hpp"

#include <cmath>
#include <limits>
#include <optional>

namespace {

// The same recurrences of Taylor arithmetic serve the interval and the point
// expansions. What differs is the value standing for an unknown coefficient,
// what "may vanish" means, and how an exponent is read.
template <class T> struct coefficient;

template <> struct coefficient<interval> {
    static interval unknown() { return interval::ENTIRE(); }
    static bool may_vanish(const interval& a) { return a.contains(0.0); }
    /// The upper bound, or NaN for an empty or unbounded-below exponent.
    static double exponent_bound(const interval& a) {
        return a.isEmpty() || !std::isfinite(a.inf()) ? std::numeric_limits<double>::quiet_NaN() : a.sup();
    }
};

template <> struct coefficient<double> {
    static double unknown() { return std::numeric_limits<double>::quiet_NaN(); }
    static bool may_vanish(double a) { return a == 0.0; }
    static double exponent_bound(double a) { return a; }
};

double power(double x, int n) { return std::pow(x, n); }

/// Coefficients of orders 0..N.
template <class T> using series = std::vector<T>;

/// Larger exponents are not expanded: the repeated products of the branch for
/// a base that may vanish would take too long.
constexpr double largest_exponent = 4096.0;

template <class T> T number(int k) { return T(static_cast<double>(k)); }

template <class T> series<T> unknown_series(std::size_t size) {
    return series<T>(size, coefficient<T>::unknown());
}

/// The constant c as a series.
template <class T> series<T> constant_series(std::size_t size, double c) {
    series<T> s(size, T(0.0));
    s[0] = T(c);
    return s;
}

template <class T> series<T> sum(const series<T>& a, const series<T>& b) {
    series<T> c(a.size());
    for (std::size_t k = 0; k < a.size(); ++k) c[k] = a[k] + b[k];
    return c;
}

template <class T> series<T> difference(const series<T>& a, const series<T>& b) {
    series<T> c(a.size());
    for (std::size_t k = 0; k < a.size(); ++k) c[k] = a[k] - b[k];
    return c;
}

template <class T> series<T> negation(const series<T>& a) {
    series<T> c(a.size());
    for (std::size_t k = 0; k < a.size(); ++k) c[k] = -a[k];
    return c;
}

/// sum over j = from..to of a_j * b_{k-j}
template <class T> T convolution(const series<T>& a, const series<T>& b, int k, int from, int to) {
    T s(0.0);
    for (int j = from; j <= to; ++j) s = s + a[j] * b[k - j];
    return s;
}

/// Truncated Cauchy product.
template <class T> series<T> product(const series<T>& a, const series<T>& b) {
    series<T> c(a.size());
    for (int k = 0; k < static_cast<int>(a.size()); ++k) c[k] = convolution(a, b, k, 0, k);
    return c;
}

/// a / b, from b q = a solved order by order.
template <class T> series<T> quotient(const series<T>& a, const series<T>& b) {
    series<T> q(a.size());
    for (int k = 0; k < static_cast<int>(a.size()); ++k) q[k] = (a[k] - convolution(q, b, k, 0, k - 1)) / b[0];
    return q;
}

/// a^2; the order 0 squares the interval, which is tighter than a_0 * a_0.
template <class T> series<T> square(const series<T>& a) {
    series<T> c = product(a, a);
    c[0] = power(a[0], 2);
    return c;
}

/// exp(a), from e' = e a'.
template <class T> series<T> exponential(const series<T>& a) {
    using std::exp;
    series<T> e(a.size());
    e[0] = exp(a[0]);
    for (int k = 1; k < static_cast<int>(a.size()); ++k) {
        T s(0.0);
        for (int j = 0; j < k; ++j) s = s + (number<T>(k - j) * e[j]) * a[k - j];
        e[k] = s / number<T>(k);
    }
    return e;
}

/// cos(a) and sin(a) (circular) or cosh(a) and sinh(a), built together from
/// c' = -+ s a' and s' = c a'; c0 and s0 are the values at order 0.
template <class T>
std::pair<series<T>, series<T>> cosine_sine(const series<T>& a, const T& c0, const T& s0, bool circular) {
    series<T> c(a.size()), s(a.size());
    c[0] = c0;
    s[0] = s0;
    for (int k = 1; k < static_cast<int>(a.size()); ++k) {
        T from_sine(0.0), from_cosine(0.0);
        for (int j = 0; j < k; ++j) {
            from_sine = from_sine + (s[j] * number<T>(k - j)) * a[k - j];
            from_cosine = from_cosine + (c[j] * number<T>(k - j)) * a[k - j];
        }
        c[k] = (circular ? T(0.0) - from_sine : from_sine) / number<T>(k);
        s[k] = from_cosine / number<T>(k);
    }
    return {c, s};
}

template <class T> series<T> cosine(const series<T>& a) {
    using std::cos;
    using std::sin;
    return cosine_sine(a, T(cos(a[0])), T(sin(a[0])), true).first;
}

template <class T> series<T> sine(const series<T>& a) {
    using std::cos;
    using std::sin;
    return cosine_sine(a, T(cos(a[0])), T(sin(a[0])), true).second;
}

template <class T> series<T> hyperbolic_cosine(const series<T>& a) {
    using std::cosh;
    using std::sinh;
    return cosine_sine(a, T(cosh(a[0])), T(sinh(a[0])), false).first;
}

template <class T> series<T> hyperbolic_sine(const series<T>& a) {
    using std::cosh;
    using std::sinh;
    return cosine_sine(a, T(cosh(a[0])), T(sinh(a[0])), false).second;
}

/// The series l with l_0 = l0 and l' = u' / w (ln: w = u; atan: w = 1 + u^2),
/// from l' w = u' solved order by order.
template <class T> series<T> primitive_of_ratio(const series<T>& u, const series<T>& w, const T& l0) {
    series<T> l(u.size());
    l[0] = l0;
    for (int k = 1; k < static_cast<int>(u.size()); ++k) {
        T s(0.0);
        for (int j = 1; j < k; ++j) s = s + (number<T>(j) * l[j]) * w[k - j];
        l[k] = (u[k] - s / number<T>(k)) / w[0];
    }
    return l;
}

template <class T> series<T> logarithm(const series<T>& u) {
    using std::log;
    return primitive_of_ratio(u, u, T(log(u[0])));
}

template <class T> series<T> arctangent(const series<T>& u) {
    using std::atan;
    series<T> w = square(u);
    w[0] = T(1.0) + w[0];
    return primitive_of_ratio(u, w, T(atan(u[0])));
}

/// sqrt(u), from r r = u.
template <class T> series<T> square_root(const series<T>& u) {
    using std::sqrt;
    series<T> r(u.size());
    r[0] = sqrt(u[0]);
    for (int k = 1; k < static_cast<int>(u.size()); ++k)
        r[k] = (u[k] - convolution(r, r, k, 1, k - 1)) / (T(2.0) * r[0]);
    return r;
}

/// tan(u), from t' = (1 + t^2) u'; the order k - 1 of 1 + t^2 only needs t
/// up to order k - 1.
template <class T> series<T> tangent(const series<T>& u) {
    using std::tan;
    series<T> t(u.size()), secant2(u.size());
    t[0] = tan(u[0]);
    for (int k = 1; k < static_cast<int>(u.size()); ++k) {
        secant2[k - 1] = k == 1 ? T(1.0) + power(t[0], 2) : convolution(t, t, k - 1, 0, k - 1);
        T s(0.0);
        for (int j = 0; j < k; ++j) s = s + (secant2[j] * number<T>(k - j)) * u[k - j];
        t[k] = s / number<T>(k);
    }
    return t;
}

/// u^m with m the exponent's order-0 coefficient truncated toward zero.
///
/// Where u^m may not vanish, the recurrence of u p' = m p u' is used; it
/// divides by u_0. Otherwise the power is the product of m copies of u. A
/// negative power of a base that may vanish has no usable expansion beyond
/// its value, and an exponent that is unknown or too large gives nothing.
template <class T> series<T> power_series(const series<T>& u, const series<T>& exponent) {
    const double top = std::trunc(coefficient<T>::exponent_bound(exponent[0]));
    if (!(std::fabs(top) <= largest_exponent)) return unknown_series<T>(u.size());
    const int m = static_cast<int>(top);
    // u^0 is 1 for every u, 0 included: a constant, whatever u's series.
    if (m == 0) return constant_series<T>(u.size(), 1.0);
    const T p0 = power(u[0], m);
    if (!coefficient<T>::may_vanish(p0)) {
        series<T> p(u.size());
        p[0] = p0;
        for (int k = 1; k < static_cast<int>(u.size()); ++k) {
            T rising(0.0), falling(0.0);
            for (int j = 0; j < k; ++j) rising = rising + number<T>(m * (k - j)) * (p[j] * u[k - j]);
            for (int j = 1; j < k; ++j) falling = falling + (number<T>(k - j) * p[k - j]) * u[j];
            p[k] = (rising - falling) / (number<T>(k) * u[0]);
        }
        return p;
    }
    if (m < 1) {
        series<T> p = unknown_series<T>(u.size());
        p[0] = p0;
        return p;
    }
    series<T> p = u;
    for (int factor = 2; factor <= m; ++factor) p = product(p, u);
    return p;
}

/// Coefficient series of every node of a tree, each computed once (trees
/// built by differentiation share subtrees). A child position that does not
/// stand before its parent, and any node kind without an expansion, give
/// unknown coefficients, so a malformed tree never loops or reads outside.
template <class T, class VariableRule> class tree_expansion {
public:
    tree_expansion(const std::vector<Node>& tree, int order, VariableRule variable)
        : tree_(tree), size_(static_cast<std::size_t>(order) + 1), variable_(variable), known_(tree.size()),
          unknown_(unknown_series<T>(size_)) {}

    /// The series of node i, computed on first use. The reference stays
    /// valid as long as the expansion: known_ never grows.
    const series<T>& at(int i) {
        if (i < 0 || i >= static_cast<int>(tree_.size())) return unknown_;
        if (!known_[i]) known_[i] = node_series(tree_[i], i);
        return *known_[i];
    }

private:
    const series<T>& child(int parent, int position) {
        return position >= 0 && position < parent ? at(position) : unknown_;
    }

    series<T> node_series(const Node& node, int i) {
        switch (node.kind) {
        case 'r': return constant_series<T>(size_, node.value);
        case 'V': return variable_(node, size_);
        case '+': return sum(child(i, node.left), child(i, node.right));
        case '-': return difference(child(i, node.left), child(i, node.right));
        case '*': return product(child(i, node.left), child(i, node.right));
        case '/': return quotient(child(i, node.left), child(i, node.right));
        case 'P': return power_series(child(i, node.left), child(i, node.right));
        case 'N': return negation(child(i, node.left));
        case '2': return square(child(i, node.left));
        case 'E': return exponential(child(i, node.left));
        case 'C': return cosine(child(i, node.left));
        case 'S': return sine(child(i, node.left));
        case 'h': return hyperbolic_cosine(child(i, node.left));
        case 'i': return hyperbolic_sine(child(i, node.left));
        case 'L': return logarithm(child(i, node.left));
        case 'A': return arctangent(child(i, node.left));
        case 'R': return square_root(child(i, node.left));
        case 'T': return tangent(child(i, node.left));
        default:
            // A partial-derivative operator has no value to expand.
            return unknown_series<T>(size_);
        }
    }

    const std::vector<Node>& tree_;
    std::size_t size_;
    VariableRule variable_;
    std::vector<std::optional<series<T>>> known_;
    const series<T> unknown_;
};

template <class T, class VariableRule>
std::vector<T> expand(const std::vector<Node>& tree, int i, int n, VariableRule variable) {
    if (n < 0) return {};
    return tree_expansion<T, VariableRule>(tree, n, variable).at(i);
}

}  // namespace

taylor::taylor(const domain& box) {
    for (const auto& [name, value] : box) coefficients[name] = {value};
}

domain taylor::evaluate(const interval& h) const {
    domain value;
    for (const auto& [name, c] : coefficients) {
        interval s;
        for (std::size_t k = 0; k < c.size(); ++k) s = s + c[k] * power(h, static_cast<int>(k));
        value[name] = s;
    }
    return value;
}

void taylor::out(std::ostream& os) const {
    for (const auto& [name, c] : coefficients) {
        os << std::endl << name << ": " << std::endl;
        for (std::size_t k = 0; k < c.size(); ++k) os << k << ":" << c[k] << ",";
    }
    os << std::endl;
}

std::vector<interval> Taylor_ode(const std::vector<Node>& tree, int i, const taylor& t, int n) {
    // A variable follows its coefficients in the record; those the record
    // lacks are unknown.
    const auto along_record = [&t](const Node& node, std::size_t size) {
        series<interval> s = unknown_series<interval>(size);
        const auto found = t.coefficients.find(node.name);
        if (found == t.coefficients.end()) return s;
        for (std::size_t k = 0; k < size && k < found->second.size(); ++k) s[k] = found->second[k];
        return s;
    };
    return expand<interval>(tree, i, n, along_record);
}

std::vector<double> Taylor(const std::vector<Node>& tree, int i, const domain& box, int n) {
    // Every variable starts at the lower bound of its interval and moves with speed 1.
    const auto along_diagonal = [&box](const Node& node, std::size_t size) {
        series<double> s = constant_series<double>(size, box.get(node.name).inf());
        if (size > 1) s[1] = 1.0;
        return s;
    };
    return expand<double>(tree, i, n, along_diagonal);
}

std::vector<double> expression::taylor_f(const domain& box, int n) const {
    return Taylor(tree, root(), box, n);
}

std::vector<interval> expression::taylor_ode(const taylor& t, int n) const {
    return Taylor_ode(tree, root(), t, n);
}
