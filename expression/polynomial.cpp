// Polynomials with interval coefficients and their centred enclosures.

#include "polynomial.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace {

/// Most term pairs a product forms before its like terms are merged.
constexpr std::size_t largest_product = std::size_t(1) << 20;

/// Most exponent vectors of one block of a centred bound: its expansion may
/// visit each of them over a wide box.
constexpr std::size_t largest_block = std::size_t(1) << 16;

bool by_exponents(const polynomial::term& a, const polynomial::term& b) { return a.powers < b.powers; }

/// The roots of the groups of variables that occur together in some term.
class variable_groups {
public:
    explicit variable_groups(int n) : parent_(n) { std::iota(parent_.begin(), parent_.end(), 0); }
    int root(int v) { return parent_[v] == v ? v : parent_[v] = root(parent_[v]); }
    void join(int a, int b) { parent_[root(a)] = root(b); }

private:
    std::vector<int> parent_;
};

}  // namespace

std::optional<polynomial> polynomial::constant(int n, const interval& c)
{
    if (n > most_variables) return std::nullopt;
    return normalised(n, {{0, c}}, 0);
}

std::optional<polynomial> polynomial::variable(int n, int v)
{
    if (n > most_variables) return std::nullopt;
    return polynomial(n, {{exponents(1) << (8 * v), interval(1.0)}}, 1);
}

polynomial polynomial::negated() const { return scaled(interval(-1.0)); }

polynomial polynomial::scaled(const interval& c) const
{
    std::vector<term> terms = terms_;
    for (term& t : terms) t.coefficient = c * t.coefficient;
    return normalised(n_, std::move(terms), degree_);
}

polynomial polynomial::normalised(int n, std::vector<term> terms, int degree)
{
    std::sort(terms.begin(), terms.end(), by_exponents);
    std::vector<term> merged;
    for (term& t : terms) {
        if (!merged.empty() && merged.back().powers == t.powers) {
            merged.back().coefficient += t.coefficient;
        } else {
            merged.push_back(t);
        }
    }
    // A coefficient that is exactly 0 is no term.
    merged.erase(std::remove_if(merged.begin(), merged.end(),
                                [](const term& t) { return t.coefficient == interval(0.0); }),
                 merged.end());
    return polynomial(n, std::move(merged), degree);
}

std::optional<polynomial> sum(const polynomial& a, const polynomial& b)
{
    std::vector<polynomial::term> terms = a.terms_;
    terms.insert(terms.end(), b.terms_.begin(), b.terms_.end());
    polynomial s = polynomial::normalised(a.n_, std::move(terms), std::max(a.degree_, b.degree_));
    if (s.terms_.size() > polynomial::largest) return std::nullopt;
    return s;
}

std::optional<polynomial> product(const polynomial& a, const polynomial& b)
{
    // Exponents stay below a byte each: the degree bound is far below 255.
    const int degree = a.degree_ + b.degree_;
    if (degree > polynomial::highest_degree || a.terms_.size() * b.terms_.size() > largest_product) return std::nullopt;
    std::vector<polynomial::term> terms;
    terms.reserve(a.terms_.size() * b.terms_.size());
    for (const polynomial::term& s : a.terms_) {
        for (const polynomial::term& t : b.terms_) terms.push_back({s.powers + t.powers, s.coefficient * t.coefficient});
    }
    polynomial p = polynomial::normalised(a.n_, std::move(terms), degree);
    if (p.terms_.size() > polynomial::largest) return std::nullopt;
    return p;
}

std::optional<polynomial> power(const polynomial& a, int k)
{
    if (static_cast<long>(a.degree()) * k > polynomial::highest_degree) return std::nullopt;
    std::optional<polynomial> result = polynomial::constant(a.variables(), interval(1.0));
    std::optional<polynomial> square = a;
    for (; k > 0 && result && square; k /= 2) {
        if (k % 2 == 1) result = product(*result, *square);
        if (k > 1) square = product(*square, *square);
    }
    if (!square) return std::nullopt;
    return result;
}


namespace {

/// A closed interval as its two bounds, for the arithmetic of the expansion.
struct bounds {
    double lo;
    double hi;
};

bounds plus(const bounds& a, const bounds& b) { return {next_down(a.lo + b.lo), next_up(a.hi + b.hi)}; }

/// c·q for a small integer c ≥ 1 (exact), rounded outward.
bounds times(double c, const bounds& q) { return c == 1.0 ? q : bounds{next_down(c * q.lo), next_up(c * q.hi)}; }

/// What q·h^α adds, with |h_i| ≤ r_i and T ≥ Π r_i^α_i: h^α lies in [0, T]
/// when every α_i is even, in [−T, T] otherwise, and is 1 when α = 0.
bounds term_over(const bounds& q, double T, bool even, bool constant)
{
    if (constant) return q;
    if (even) return {next_down(std::min(q.lo, 0.0) * T), next_up(std::max(q.hi, 0.0) * T)};
    const double m = std::max(-q.lo, q.hi);
    return {next_down(-m * T), next_up(m * T)};
}

/// Binomial coefficients C(n, k) for n ≤ polynomial::highest_degree, by
/// Pascal's rule: sums of integers below 2^53 (C(40, 20) ≈ 1.4e11), exact.
const std::vector<std::vector<double>>& binomials()
{
    static const std::vector<std::vector<double>> table = [] {
        std::vector<std::vector<double>> C(polynomial::highest_degree + 1);
        for (int n = 0; n <= polynomial::highest_degree; ++n) {
            C[n].assign(n + 1, 1.0);
            for (int k = 1; k < n; ++k) C[n][k] = C[n - 1][k - 1] + C[n - 1][k];
        }
        return C;
    }();
    return table;
}

/// The remainder of an output is small enough when it is at most this share
/// of the width of the terms before it.
constexpr double remainder_share = 1.0 / 8;

/// Calls visit(α) for every α with Σ α_i = m and α_i ≤ limit[i], from index i on.
template <class Visit>
void for_each_order_index(int m, std::size_t i, const std::vector<int>& limit, std::vector<int>& alpha, Visit& visit)
{
    if (i + 1 == limit.size()) {
        if (m > limit[i]) return;
        alpha[i] = m;
        visit(alpha);
        return;
    }
    for (int a = 0; a <= std::min(m, limit[i]); ++a) {
        alpha[i] = a;
        for_each_order_index(m - a, i + 1, limit, alpha, visit);
    }
}

}  // namespace

std::optional<centred_bound> centred_bound::of(const polynomial& p)
{
    if (p.degree() > polynomial::highest_degree) return std::nullopt;
    const int n = p.variables();
    variable_groups groups(n);
    std::vector<bool> used(n, false);
    for (const polynomial::term& t : p.terms()) {
        int first = -1;
        for (int v = 0; v < n; ++v) {
            if (polynomial::exponent(t.powers, v) == 0) continue;
            used[v] = true;
            if (first < 0) first = v;
            groups.join(v, first);
        }
    }
    centred_bound bound;
    std::vector<int> block_of(n, -1);
    for (int v = 0; v < n; ++v) {
        if (!used[v]) continue;
        const int r = groups.root(v);
        if (block_of[r] < 0) {
            block_of[r] = static_cast<int>(bound.blocks_.size());
            bound.blocks_.emplace_back();
        }
        block& b = bound.blocks_[block_of[r]];
        b.variables.push_back(v);
        b.extents.push_back(1);
    }
    for (const polynomial::term& t : p.terms()) {
        if (t.powers == 0) {
            bound.constant_ += t.coefficient;
            continue;
        }
        int owner = 0;
        while (polynomial::exponent(t.powers, owner) == 0) ++owner;
        block& b = bound.blocks_[block_of[groups.root(owner)]];
        int degree = 0;
        for (std::size_t i = 0; i < b.variables.size(); ++i) {
            const int e = polynomial::exponent(t.powers, b.variables[i]);
            b.exponents.push_back(e);
            b.extents[i] = std::max(b.extents[i], e + 1);
            degree += e;
        }
        b.degree = std::max(b.degree, degree);
        const double middle = t.coefficient.mid();
        b.middle.push_back(middle);
        b.magnitude.push_back(t.coefficient.mag());
        // The radius around the middle, rounded up; the slack is completed below.
        b.slack.push_back(next_up(std::max(t.coefficient.sup() - middle, middle - t.coefficient.inf())));
    }
    for (block& b : bound.blocks_) {
        std::size_t indices = 1;
        for (const int e : b.extents) {
            indices *= static_cast<std::size_t>(e);
            if (indices > largest_block) return std::nullopt;
        }
        // Per term: the binomials and the powers of the centre, two products
        // per variable, the powers built by at most degree products, the
        // coefficient, and one addition per term.
        const double K = b.degree + 2.0 * b.variables.size() + b.middle.size() + 4.0;
        const double u = 0x1p-53;
        b.gamma = next_up(next_up(K * u) / next_down(1.0 - K * u));
        int lowest = 0;
        for (std::size_t t = 0; t < b.middle.size(); ++t) {
            b.slack[t] = next_up(b.slack[t] + next_up(b.gamma * std::fabs(b.middle[t])));
            for (const double v : {b.middle[t], b.slack[t], b.magnitude[t]}) {
                if (v != 0.0 && std::fabs(v) < 1.0) lowest = std::min(lowest, std::ilogb(v));
            }
        }
        b.smallest_exponent = lowest;
    }
    return bound;
}

bool centred_bound::applies_to(const interval* box) const
{
    bool wide = false;
    for (const block& b : blocks_) {
        for (const int v : b.variables) {
            if (box[v].isEmpty() || box[v].isInfinite()) return false;
            wide = wide || !box[v].isPoint();
        }
    }
    return wide;
}

namespace {

/// The expansion of one block at the centre of a box: per block variable i,
/// the centre's powers c_i^p (rounded to nearest), the powers of the
/// magnitude of the box's interval, upper bounds of the powers of the reach
/// r_i ≥ |h_i|, and the largest α_i that matters (0 along a point, whose h is
/// 0, unless the derivative along it is wanted, then 1).
struct expansion_tables {
    std::vector<std::size_t> offset;
    std::vector<double> centre_powers;
    std::vector<double> magnitude_powers;
    std::vector<double> reach_powers;
    std::vector<int> limit;
};

/// Fills the tables of a block over box (variables, their extents, and
/// whether the derivative along each is wanted); false when a product of
/// the powers and coefficients could fall below the normal doubles, where
/// the relative error bounds of the sums no longer hold. Every partial
/// product of a term's factors (binomials ≥ 1, powers, a coefficient) is at
/// least 2^(smallest_exponent + Σ_i (extent_i − 1)·ilogb(m_i)), m_i the
/// smallest non-zero of |c_i| and the magnitude when below 1: true when that
/// is above 2^−1000.
bool fill(expansion_tables& e, const interval* box, const std::vector<int>& variables, const std::vector<int>& extents,
          const std::array<bool, polynomial::most_variables>& kept, int smallest_exponent)
{
    const std::size_t axes = variables.size();
    e.offset.assign(axes + 1, 0);
    for (std::size_t i = 0; i < axes; ++i) e.offset[i + 1] = e.offset[i] + extents[i];
    e.centre_powers.resize(e.offset[axes]);
    e.magnitude_powers.resize(e.offset[axes]);
    e.reach_powers.resize(e.offset[axes]);
    e.limit.resize(axes);
    long lowest = smallest_exponent;
    for (std::size_t i = 0; i < axes; ++i) {
        const interval& X = box[variables[i]];
        // Along a point, c is the point itself, so that h is 0.
        double c = X.isPoint() ? X.inf() : X.mid();
        double r = 0.0;
        if (!X.isPoint()) {
            r = next_up(std::max(X.sup() - c, c - X.inf()));
            // A centre next to 0 is moved onto it: its powers would fall
            // towards the subnormal doubles for a reach barely larger.
            if (std::fabs(c) <= r * 0x1p-30) {
                c = 0.0;
                r = next_up(X.mag());
            }
        }
        const double magnitude = X.mag();
        e.limit[i] = X.isPoint() ? (kept[i] ? std::min(1, extents[i] - 1) : 0) : extents[i] - 1;
        double* cp = &e.centre_powers[e.offset[i]];
        double* mp = &e.magnitude_powers[e.offset[i]];
        double* rp = &e.reach_powers[e.offset[i]];
        cp[0] = mp[0] = rp[0] = 1.0;
        for (int p = 1; p < extents[i]; ++p) {
            cp[p] = cp[p - 1] * c;
            mp[p] = mp[p - 1] * magnitude;
            rp[p] = next_up(rp[p - 1] * r);
        }
        // Each product reads the powers of c_i or those of the magnitude.
        int smallest = 0;
        for (const double v : {std::fabs(c), magnitude}) {
            if (v != 0.0 && v < 1.0) smallest = std::min(smallest, std::ilogb(v));
        }
        lowest += static_cast<long>(extents[i] - 1) * smallest;
    }
    return lowest >= -1000;
}

/// For one exponent vector α of a block (its terms' exponents, coefficient
/// middles, slacks and magnitudes): in q the Taylor coefficient q_α at the
/// tables' centre, in M a bound of |∂^α p(ξ)/α!| over their box. False when
/// no term reaches α (both are then 0).
/// q_α = Σ_t a_t·C(e_t, α)·c^(e_t − α) lies in S ± E: S sums the middles in
/// floating point, within γ·Σ|middle_t·C·c^(e_t−α)| of their exact sum, the
/// radii add Σ radius_t·C·|c|^(e_t−α), and E bounds both through the slacks,
/// a computed sum of non-negative terms being at least (1 − γ) times the
/// exact one (widen ≥ 1/(1 − γ)). M bounds Σ_t |a_t|·C·|ξ|^(e_t−α) the same way.
bool coefficient_at(const std::vector<int>& exponents, const std::vector<double>& middle,
                    const std::vector<double>& slack, const std::vector<double>& magnitude, double widen,
                    const expansion_tables& tables, const std::vector<int>& a, bounds& q, double& M)
{
    const std::vector<std::vector<double>>& binomial = binomials();
    const std::size_t axes = a.size();
    double S = 0.0, E = 0.0;
    M = 0.0;
    bool any = false;
    for (std::size_t t = 0; t < middle.size(); ++t) {
        const int* e = &exponents[t * axes];
        double f = 1.0, g = 1.0;
        std::size_t i = 0;
        for (; i < axes && e[i] >= a[i]; ++i) {
            const double C = binomial[e[i]][a[i]];
            f *= C * tables.centre_powers[tables.offset[i] + e[i] - a[i]];
            g *= C * tables.magnitude_powers[tables.offset[i] + e[i] - a[i]];
        }
        if (i < axes) continue;
        any = true;
        S += middle[t] * f;
        E += slack[t] * std::fabs(f);
        M += magnitude[t] * g;
    }
    E = next_up(E * widen);
    M = next_up(M * widen);
    q = {next_down(S - E), next_up(S + E)};
    return any;
}

}  // namespace

interval centred_bound::over(const interval* box) const { return over(box, {}, nullptr); }

interval centred_bound::over(const interval* box, const std::vector<int>& variables, interval* derivatives) const
{
    for (std::size_t i = 0; i < variables.size(); ++i) derivatives[i] = interval(0.0);
    const auto nothing = [&] {
        for (std::size_t i = 0; i < variables.size(); ++i) derivatives[i] = interval::ENTIRE();
        return interval::ENTIRE();
    };
    if (!applies_to(box)) return nothing();
    interval total = constant_;
    thread_local expansion_tables tables;
    thread_local std::vector<int> alpha;
    // Output 0 is p; output o ≥ 1 the derivative along block axis along[o − 1],
    // whose position among the wanted derivatives is wanted[o − 1].
    thread_local std::vector<std::size_t> along, wanted;
    thread_local std::vector<bounds> exact, order;
    thread_local std::vector<double> remainder;
    for (const block& b : blocks_) {
        const std::size_t axes = b.variables.size();
        along.clear();
        wanted.clear();
        std::array<bool, polynomial::most_variables> kept{};
        for (std::size_t i = 0; i < variables.size(); ++i) {
            const std::size_t a = std::find(b.variables.begin(), b.variables.end(), variables[i]) - b.variables.begin();
            if (a == axes) continue;
            along.push_back(a);
            wanted.push_back(i);
            kept[a] = true;
        }
        if (!fill(tables, box, b.variables, b.extents, kept, b.smallest_exponent)) return nothing();
        const std::size_t outputs = along.size() + 1;
        exact.assign(outputs, bounds{0.0, 0.0});
        order.resize(outputs);
        remainder.resize(outputs);
        const double widen = next_up(1.0 + 2.0 * b.gamma);
        // The reach product Π r_i^α_i (upper bound) and whether every α_i is even.
        const auto reach_of = [&](const std::vector<int>& a, double& T, bool& even, bool& constant) {
            T = 1.0;
            even = true;
            constant = true;
            for (std::size_t i = 0; i < axes; ++i) {
                if (a[i] == 0) continue;
                T = next_up(T * tables.reach_powers[tables.offset[i] + a[i]]);
                even = even && a[i] % 2 == 0;
                constant = false;
            }
        };
        const auto add_order_index = [&](std::vector<int>& a) {
            bounds q;
            double M;
            if (!coefficient_at(b.exponents, b.middle, b.slack, b.magnitude, widen, tables, a, q, M)) return;
            double T;
            bool even, constant;
            reach_of(a, T, even, constant);
            order[0] = plus(order[0], term_over(q, T, even, constant));
            remainder[0] = next_up(remainder[0] + next_up(M * T));
            for (std::size_t o = 1; o < outputs; ++o) {
                const std::size_t i = along[o - 1];
                if (a[i] == 0) continue;
                const double factor = a[i];
                --a[i];
                reach_of(a, T, even, constant);
                ++a[i];
                order[o] = plus(order[o], term_over(times(factor, q), T, even, constant));
                remainder[o] = next_up(remainder[o] + next_up(factor * next_up(M * T)));
            }
        };
        alpha.assign(axes, 0);
        bool stopped = false;
        for (int m = 0; m <= b.degree && !stopped; ++m) {
            std::fill(order.begin(), order.end(), bounds{0.0, 0.0});
            std::fill(remainder.begin(), remainder.end(), 0.0);
            for_each_order_index(m, 0, tables.limit, alpha, add_order_index);
            // Stopping at order m: the terms before it exactly, the rest of
            // the expansion inside [−R, R].
            stopped = m > 0;
            for (std::size_t o = 0; o < outputs && stopped; ++o)
                stopped = remainder[o] <= remainder_share / 2 * (exact[o].hi - exact[o].lo);
            for (std::size_t o = 0; o < outputs; ++o)
                exact[o] = stopped ? plus(exact[o], {-remainder[o], remainder[o]}) : plus(exact[o], order[o]);
        }
        const auto as_interval = [](const bounds& s) {
            if (!std::isfinite(s.lo) || !std::isfinite(s.hi)) return interval::ENTIRE();
            return interval(s.lo, s.hi);
        };
        total += as_interval(exact[0]);
        for (std::size_t o = 1; o < outputs; ++o) derivatives[wanted[o - 1]] += as_interval(exact[o]);
    }
    return total;
}
