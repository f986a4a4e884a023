// Taylor-mode arithmetic over a compiled vector field.
//
// Coefficient k of every node follows from coefficients 0..k of its children
// and 0..k-1 of itself (and of its companion series), so the flow's series is
// built order by order: the states' coefficient k is known, every node gets
// its coefficient k in one pass over the node list, and each state's
// coefficient k + 1 is coefficient k of its component divided by k + 1
// (x' = F(x)).

#include "taylor_flow.hpp"

#include "vector_field.hpp"

#include <cmath>

namespace {

/// Larger exponents are not expanded: a power is expanded by repeated products.
constexpr double largest_exponent = 4096.0;

interval number(int k) { return interval(static_cast<double>(k)); }

/// Whether the subtree at i holds a variable or a partial-derivative operator.
bool varies(const std::vector<Node>& tree, int i)
{
    if (i < 0) return false;
    const Node& n = tree[i];
    return n.kind == 'V' || n.kind == 'p' || varies(tree, n.left) || varies(tree, n.right);
}

} // namespace

/// The coefficient tables of one expansion: one row per node and one per
/// companion series, one column per order.
class taylor_flow::evaluation {
public:
    evaluation(const taylor_flow& flow, int order)
        : flow_(flow), columns_(order + 1), own_(flow.nodes_.size() * columns_),
          companion_(static_cast<std::size_t>(flow.companion_count_) * columns_)
    {
    }

    /// Coefficient k of every node, the states' coefficients 0..k being in x.
    void order(int k, const state_series& x)
    {
        for (std::size_t i = 0; i < flow_.nodes_.size(); ++i)
            own(static_cast<int>(i), k) = coefficient(flow_.nodes_[i], static_cast<int>(i), k, x);
    }

    interval& own(int node, int k) { return own_[node * columns_ + k]; }
    interval& companion(int row, int k) { return companion_[row * columns_ + k]; }

private:
    /// sum over j = from..to of a_j * b_{k-j}, for node rows a and b.
    template <class A, class B> interval convolution(A a, B b, int k, int from, int to)
    {
        interval s;
        for (int j = from; j <= to; ++j) s += a(j) * b(k - j);
        return s;
    }

    interval coefficient(const node& n, int i, int k, const state_series& x)
    {
        const auto u = [&](int j) -> interval& { return own(n.left, j); };
        const auto v = [&](int j) -> interval& { return own(n.right, j); };
        const auto c = [&](int j) -> interval& { return own(i, j); };
        switch (n.kind) {
        case 'r': return k == 0 ? interval(n.value) : interval(0.0);
        case 'V': return x[n.state][k];
        case '+': return u(k) + v(k);
        case '-': return u(k) - v(k);
        case 'N': return -u(k);
        // A constant factor has no coefficient beyond order 0.
        case '*':
            if (flow_.nodes_[n.left].constant) return u(0) * v(k);
            if (flow_.nodes_[n.right].constant) return u(k) * v(0);
            return convolution(u, v, k, 0, k);
        // c v = u solved for c_k.
        case '/':
            if (flow_.nodes_[n.right].constant) return u(k) / v(0);
            return (u(k) - convolution(c, v, k, 0, k - 1)) / v(0);
        case '2': return square(u, k);
        case 'P': return power_coefficient(n, u, c, k);
        case 'E': return exponential(u, c, k);
        case 'S': return circular(n, u, c, k, true, true);
        case 'C': return circular(n, u, c, k, false, true);
        case 'i': return circular(n, u, c, k, true, false);
        case 'h': return circular(n, u, c, k, false, false);
        case 'L': return logarithm(u, c, k);
        case 'R': return square_root(u, c, k);
        case 'A': return arctangent(n, u, c, k);
        case 'T': return tangent(n, u, c, k);
        default: return interval::ENTIRE();
        }
    }

    /// u^2; the middle term squared (tighter than a product of equal intervals).
    template <class U> interval square(U u, int k)
    {
        interval s;
        for (int j = 0; 2 * j < k; ++j) s += u(j) * u(k - j);
        s = number(2) * s;
        if (k % 2 == 0) s += power(u(k / 2), 2);
        return s;
    }

    /// u^m for the integer m: 1 for m = 0; for m > 0 products of m copies of
    /// u (the companions hold u^2 .. u^(m-1)), which need no division; for
    /// m < 0 the recurrence of u p' = m p u', which divides by u_0.
    template <class U, class C> interval power_coefficient(const node& n, U u, C c, int k)
    {
        const int m = static_cast<int>(n.value);
        if (m == 0) return k == 0 ? interval(1.0) : interval(0.0);
        if (m == 1) return u(k);
        if (m == 2) return square(u, k);
        if (k == 0) {
            for (int e = 2; e < m; ++e) companion(n.companion + e - 2, 0) = power(u(0), e);
            return power(u(0), m);
        }
        if (m < 0) {
            interval s;
            for (int j = 0; j < k; ++j) s += number(m * (k - j) - j) * (c(j) * u(k - j));
            return s / (number(k) * u(0));
        }
        const auto lower = [&](int e) {
            return [this, &n, &u, e](int j) -> interval& {
                return e == 1 ? u(j) : companion(n.companion + e - 2, j);
            };
        };
        for (int e = 2; e < m; ++e) companion(n.companion + e - 2, k) = convolution(lower(e - 1), u, k, 0, k);
        return convolution(lower(m - 1), u, k, 0, k);
    }

    /// exp(u), from e' = e u'.
    template <class U, class C> interval exponential(U u, C c, int k)
    {
        if (k == 0) return exp(u(0));
        interval s;
        for (int j = 1; j <= k; ++j) s += number(j) * (u(j) * c(k - j));
        return s / number(k);
    }

    /// sin or cos (circular), sinh or cosh, with the other one as companion:
    /// s' = c u' and c' = -+ s u'.
    template <class U, class C> interval circular(const node& n, U u, C c, int k, bool sine, bool circular)
    {
        if (k == 0) {
            const interval a = u(0);
            companion(n.companion, 0) = circular ? (sine ? cos(a) : sin(a)) : (sine ? cosh(a) : sinh(a));
            return circular ? (sine ? sin(a) : cos(a)) : (sine ? sinh(a) : cosh(a));
        }
        interval from_partner, from_own;
        for (int j = 1; j <= k; ++j) {
            from_partner += number(j) * (u(j) * companion(n.companion, k - j));
            from_own += number(j) * (u(j) * c(k - j));
        }
        // d sin = cos du, d cos = -sin du, d sinh = cosh du, d cosh = sinh du.
        const bool own_negated = circular && sine;
        const bool partner_negated = circular && !sine;
        companion(n.companion, k) = (own_negated ? -from_own : from_own) / number(k);
        return (partner_negated ? -from_partner : from_partner) / number(k);
    }

    /// ln u, from u l' = u'.
    template <class U, class C> interval logarithm(U u, C c, int k)
    {
        if (k == 0) return log(u(0));
        interval s;
        for (int j = 1; j < k; ++j) s += number(j) * (c(j) * u(k - j));
        return (u(k) - s / number(k)) / u(0);
    }

    /// sqrt u, from r r = u.
    template <class U, class C> interval square_root(U u, C c, int k)
    {
        if (k == 0) return sqrt(u(0));
        return (u(k) - convolution(c, c, k, 1, k - 1)) / (number(2) * c(0));
    }

    /// atan u, from (1 + u^2) a' = u'; the companion is 1 + u^2.
    template <class U, class C> interval arctangent(const node& n, U u, C c, int k)
    {
        companion(n.companion, k) = (k == 0 ? interval(1.0) : interval(0.0)) + square(u, k);
        if (k == 0) return atan(u(0));
        interval s;
        for (int j = 1; j < k; ++j) s += number(j) * (c(j) * companion(n.companion, k - j));
        return (u(k) - s / number(k)) / companion(n.companion, 0);
    }

    /// tan u, from t' = (1 + t^2) u'; the companion is 1 + t^2, whose
    /// coefficient k needs t_k.
    template <class U, class C> interval tangent(const node& n, U u, C c, int k)
    {
        interval t = k == 0 ? tan(u(0)) : interval(0.0);
        if (k > 0) {
            for (int j = 1; j <= k; ++j) t += number(j) * (u(j) * companion(n.companion, k - j));
            t = t / number(k);
        }
        c(k) = t;
        companion(n.companion, k) = (k == 0 ? interval(1.0) : interval(0.0)) + square(c, k);
        return t;
    }

    const taylor_flow& flow_;
    std::size_t columns_;
    std::vector<interval> own_;
    std::vector<interval> companion_;
};

taylor_flow::taylor_flow(const vector_field& field)
{
    for (const auto& component : field.components)
        states_.push_back(component.first);
    for (const auto& component : field.components) {
        if (component.second.has_tree()) {
            compile(component.second.tree);
        } else {
            if (problem_.empty()) problem_ = "the component " + component.first + " has no expression";
            nodes_.push_back(node{'?', -1, -1, 0.0, -1, false, companion_count_});
        }
        roots_.push_back(static_cast<int>(nodes_.size()) - 1);
    }
}

int taylor_flow::position(const std::string& name) const
{
    for (std::size_t i = 0; i < states_.size(); ++i)
        if (states_[i] == name) return static_cast<int>(i);
    return -1;
}

int taylor_flow::companions_of(const node& n) const
{
    switch (n.kind) {
    case 'S': case 'C': case 'i': case 'h': case 'A': case 'T': return 1;
    case 'P': return n.value > 2 ? static_cast<int>(n.value) - 2 : 0;
    default: return 0;
    }
}

// The exponent of a power is read as the expression language reads it: the
// upper bound of its value, truncated toward zero; only a constant exponent
// keeps the field smooth.
void taylor_flow::compile(const std::vector<Node>& tree)
{
    const int offset = static_cast<int>(nodes_.size());
    for (std::size_t i = 0; i < tree.size(); ++i) {
        const Node& source = tree[i];
        const int left = source.left < 0 ? -1 : source.left + offset;
        const int right = source.right < 0 ? -1 : source.right + offset;
        const bool constant = !varies(tree, static_cast<int>(i));
        node n{source.kind, left, right, source.value, -1, constant, companion_count_};
        if (n.kind == 'V') {
            n.state = position(source.name);
            if (n.state < 0 && problem_.empty()) problem_ = "the variable " + source.name + " is not a state";
            if (n.state < 0) n.kind = '?';
        } else if (n.kind == 'P') {
            if (varies(tree, source.right)) {
                if (problem_.empty()) problem_ = "an exponent varies with the state";
                n.kind = '?';
            } else {
                const interval e = Eval(tree, source.right, domain());
                n.value = std::trunc(e.sup());
                if (!(std::fabs(n.value) <= largest_exponent)) {
                    if (problem_.empty()) problem_ = "an exponent is too large";
                    n.kind = '?';
                }
            }
        } else if (n.kind == 'p' && problem_.empty()) {
            problem_ = "a component holds a partial-derivative operator";
        }
        companion_count_ += companions_of(n);
        nodes_.push_back(n);
    }
}

state_series taylor_flow::series(const std::vector<interval>& x, int order) const
{
    state_series s(states_.size());
    for (std::size_t i = 0; i < states_.size(); ++i) {
        s[i].assign(order + 1, interval::ENTIRE());
        s[i][0] = x[i];
    }
    evaluation e(*this, order);
    for (int k = 0; k <= order; ++k) {
        e.order(k, s);
        if (k == order) break;
        for (std::size_t i = 0; i < states_.size(); ++i)
            s[i][k + 1] = e.own(roots_[i], k) / number(k + 1);
    }
    return s;
}
