// Polynomials with interval coefficients and their centred enclosures.

#include "polynomial.hpp"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

/// Most term pairs a product forms before its like terms are merged.
constexpr std::size_t largest_product = std::size_t(1) << 20;

/// Largest dense array of one block of a centred bound.
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

using bounds = centred_bound::bounds;

/// a + c·b for a double c, rounded outward: fma rounds the exact value of
/// each bound to the nearest double, so the next double beyond the result
/// lies beyond the exact bound.
[[gnu::always_inline]] inline bounds plus_scaled(const bounds& a, double c, const bounds& b)
{
    if (c >= 0) return {next_down(std::fma(c, b.lo, a.lo)), next_up(std::fma(c, b.hi, a.hi))};
    return {next_down(std::fma(c, b.hi, a.lo)), next_up(std::fma(c, b.lo, a.hi))};
}

/// Σ a_j x^j rewritten as Σ q_j h^j with x = c + h, in place, for the d + 1
/// coefficients a[0], a[stride], ..., a[d * stride]: d rounds of synthetic
/// division by (x - c).
[[gnu::always_inline]] inline void taylor_shift(bounds* a, int d, std::size_t stride, double c)
{
    for (int k = 0; k < d; ++k) {
        for (int j = d - 1; j >= k; --j) a[j * stride] = plus_scaled(a[j * stride], c, a[(j + 1) * stride]);
    }
}

/// a[0] + a[stride] c + ... + a[d * stride] c^d by Horner's scheme, into a[0].
[[gnu::always_inline]] inline void collapse(bounds* a, int d, std::size_t stride, double c)
{
    bounds value = a[d * stride];
    for (int j = d - 1; j >= 0; --j) value = plus_scaled(a[j * stride], c, value);
    a[0] = value;
}

/// Collapses (to c) or shifts (to c) every line of the dense array q along
/// `axis`: each index with α_axis = 0, α_i < limit[i] and Σ α ≤ degree is the
/// start of a line, whose length is cut at the degree. The lines are counted
/// off like an odometer, the last axis fastest. The loops are plain so that
/// they compile to one function, built twice: with fused multiply-add
/// instructions where the processor has them, and without.
__attribute__((target_clones("fma", "default"))) void move_lines(bounds* q, const int* limit,
                                                                  const std::size_t* stride, std::size_t axes,
                                                                  std::size_t axis, int degree, double c, bool points)
{
    int alpha[polynomial::most_variables] = {};
    while (true) {
        int total = 0;
        std::size_t offset = 0;
        for (std::size_t i = 0; i < axes; ++i) {
            total += alpha[i];
            offset += alpha[i] * stride[i];
        }
        const int d = std::min(limit[axis] - 1, degree - total);
        if (points) {
            collapse(q + offset, d, stride[axis], c);
        } else {
            taylor_shift(q + offset, d, stride[axis], c);
        }
        // The next start: the last axis other than `axis` that can still grow.
        std::size_t i = axes;
        while (i-- > 0) {
            if (i == axis) continue;
            if (alpha[i] + 1 < limit[i] && total + 1 <= degree) {
                ++alpha[i];
                break;
            }
            total -= alpha[i];
            alpha[i] = 0;
        }
        if (i == static_cast<std::size_t>(-1)) return;
    }
}

/// Adds q_α·H^α to sum for every index α of the dense array from axis `at` on
/// (the earlier ones fixed, giving offset, total degree, an upper bound T of
/// the product of their r_i^α_i, and whether each of them is even). With
/// |h_i| ≤ r_i, h^α lies in [0, T] when every α_i is even, in [−T, T]
/// otherwise. Along the axis `along` (none when it is the number of axes),
/// the derivative's coefficients are summed instead: (α + 1)·q at α + 1.
void sum_terms(const std::vector<bounds>& q, const std::vector<int>& limit, const std::vector<std::size_t>& stride,
               const std::vector<double>& reach, int degree, std::size_t along, std::size_t at, std::size_t offset,
               int total, double T, bool even, double factor, bounds& sum)
{
    if (at == limit.size()) {
        bounds c = q[offset];
        // factor is a small integer, exact: the products are rounded outward.
        if (factor != 1.0) c = {next_down(factor * c.lo), next_up(factor * c.hi)};
        if (total == 0) {
            sum = {next_down(sum.lo + c.lo), next_up(sum.hi + c.hi)};
        } else if (even) {
            sum = {next_down(std::fma(std::min(c.lo, 0.0), T, sum.lo)), next_up(std::fma(std::max(c.hi, 0.0), T, sum.hi))};
        } else {
            const double m = std::max(-c.lo, c.hi);
            sum = {next_down(std::fma(-m, T, sum.lo)), next_up(std::fma(m, T, sum.hi))};
        }
        return;
    }
    const bool derived = at == along;
    const int last = derived ? limit[at] - 1 : limit[at];
    double power = T;
    for (int a = 0; a < last && total + a + (derived ? 1 : 0) <= degree; ++a) {
        const std::size_t entry = offset + (derived ? a + 1 : a) * stride[at];
        sum_terms(q, limit, stride, reach, degree, along, at + 1, entry, total + a, power, even && a % 2 == 0,
                  derived ? factor * (a + 1) : factor, sum);
        power = next_up(power * reach[at]);
    }
}

/// The Taylor coefficients at the centre of the box of one block, with what
/// summing them needs.
struct shifted_block {
    std::vector<bounds> q;
    std::vector<int> limit;
    std::vector<std::size_t> stride;
    /// Upper bounds of |h_i| over the box.
    std::vector<double> reach;
};

/// Σ over the entries of s (of total degree at most `degree`) of q_α H^α, or
/// of the derivative's coefficients along axis `along`.
interval summed(const shifted_block& s, int degree, std::size_t along)
{
    bounds total{0.0, 0.0};
    sum_terms(s.q, s.limit, s.stride, s.reach, degree, along, 0, 0, 0, 1.0, true, 1.0, total);
    if (!std::isfinite(total.lo) || !std::isfinite(total.hi)) return interval::ENTIRE();
    return interval(total.lo, total.hi);
}

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

std::optional<centred_bound> centred_bound::of(const polynomial& p)
{
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
        for (block& b : bound.blocks_) {
            int degree = 0;
            for (std::size_t i = 0; i < b.variables.size(); ++i) {
                const int e = polynomial::exponent(t.powers, b.variables[i]);
                b.extents[i] = std::max(b.extents[i], e + 1);
                degree += e;
            }
            b.degree = std::max(b.degree, degree);
        }
    }
    for (block& b : bound.blocks_) {
        std::size_t size = 1;
        for (const int e : b.extents) {
            size *= static_cast<std::size_t>(e);
            if (size > largest_block) return std::nullopt;
        }
        b.coefficients.assign(size, bounds{0.0, 0.0});
    }
    for (const polynomial::term& t : p.terms()) {
        if (t.powers == 0) {
            bound.constant_ += t.coefficient;
            continue;
        }
        int owner = 0;
        while (polynomial::exponent(t.powers, owner) == 0) ++owner;
        block& b = bound.blocks_[block_of[groups.root(owner)]];
        std::size_t index = 0;
        for (std::size_t i = 0; i < b.variables.size(); ++i)
            index = index * b.extents[i] + polynomial::exponent(t.powers, b.variables[i]);
        // Each exponent vector is one term of p: one coefficient per entry.
        b.coefficients[index] = {t.coefficient.inf(), t.coefficient.sup()};
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

/// The Taylor coefficients of block b at the centre c of the box, axis after
/// axis: along a variable that is a point, h is 0 and the line collapses to
/// its value at c, which is done first as it shortens the other lines,
/// unless the derivative along it is wanted (`kept`); along the others, it
/// is shifted to c.
template <class Block>
shifted_block shifted(const Block& b, const interval* box, const std::vector<bool>& kept)
{
    const std::size_t axes = b.variables.size();
    shifted_block s{b.coefficients, b.extents, std::vector<std::size_t>(axes), std::vector<double>(axes)};
    std::size_t size = 1;
    for (std::size_t i = axes; i-- > 0;) {
        s.stride[i] = size;
        size *= static_cast<std::size_t>(b.extents[i]);
    }
    for (const bool points : {true, false}) {
        for (std::size_t i = 0; i < axes; ++i) {
            const interval& X = box[b.variables[i]];
            if ((X.isPoint() && !kept[i]) != points) continue;
            const double c = X.mid();
            move_lines(s.q.data(), s.limit.data(), s.stride.data(), axes, i, b.degree, c, points);
            if (points) s.limit[i] = 1;
            s.reach[i] = next_up(std::max(X.sup() - c, c - X.inf()));
        }
    }
    return s;
}

}  // namespace

interval centred_bound::over(const interval* box) const { return over(box, {}, nullptr); }

interval centred_bound::over(const interval* box, const std::vector<int>& variables, interval* derivatives) const
{
    for (std::size_t i = 0; i < variables.size(); ++i) derivatives[i] = interval(0.0);
    if (!applies_to(box)) {
        for (std::size_t i = 0; i < variables.size(); ++i) derivatives[i] = interval::ENTIRE();
        return interval::ENTIRE();
    }
    interval total = constant_;
    for (const block& b : blocks_) {
        // The axis of each wanted derivative in the block; a block without
        // its variable does not depend on it, and adds 0 to the derivative.
        std::vector<std::size_t> axes(variables.size(), b.variables.size());
        std::vector<bool> kept(b.variables.size(), false);
        for (std::size_t i = 0; i < variables.size(); ++i) {
            axes[i] = std::find(b.variables.begin(), b.variables.end(), variables[i]) - b.variables.begin();
            if (axes[i] < b.variables.size()) kept[axes[i]] = true;
        }
        const shifted_block s = shifted(b, box, kept);
        total += summed(s, b.degree, b.variables.size());
        for (std::size_t i = 0; i < variables.size(); ++i) {
            if (axes[i] < b.variables.size()) derivatives[i] += summed(s, b.degree, axes[i]);
        }
    }
    return total;
}
