#pragma once
// Polynomials with interval coefficients in the variables of a compiled
// program, and their enclosures over boxes by the Taylor expansion at the
// box's centre.

#include "interval.hpp"

#include <cstdint>
#include <optional>
#include <vector>

/// A polynomial in the variables 0 .. n-1 (n at most `most_variables`)
/// whose interval coefficients hold the exact real ones. Terms are kept in
/// ascending order of their packed exponents, each exponent vector once.
class polynomial {
public:
    /// Exponents packed a byte per variable, variable v in byte v.
    using exponents = std::uint64_t;
    struct term {
        exponents powers;
        interval coefficient;
    };

    static constexpr int most_variables = 8;
    /// Most terms a polynomial may have, and its largest total degree:
    /// operations that would exceed them give nothing.
    static constexpr std::size_t largest = 4096;
    static constexpr int highest_degree = 40;

    /// The constant c in n variables (nothing when n exceeds most_variables).
    static std::optional<polynomial> constant(int n, const interval& c);
    /// Variable v of n (nothing when n exceeds most_variables).
    static std::optional<polynomial> variable(int n, int v);
    /// The exponent of variable v in powers.
    static int exponent(exponents powers, int v) { return static_cast<int>((powers >> (8 * v)) & 0xff); }

    int variables() const { return n_; }
    const std::vector<term>& terms() const { return terms_; }
    /// The largest total degree of a term (0 for a constant).
    int degree() const { return degree_; }

    /// -p.
    polynomial negated() const;
    /// c·p.
    polynomial scaled(const interval& c) const;

private:
    polynomial(int n, std::vector<term> terms, int degree) : n_(n), terms_(std::move(terms)), degree_(degree) {}
    /// The terms, like exponents merged, in order.
    static polynomial normalised(int n, std::vector<term> terms, int degree);

    friend std::optional<polynomial> sum(const polynomial& a, const polynomial& b);
    friend std::optional<polynomial> product(const polynomial& a, const polynomial& b);

    int n_ = 0;
    std::vector<term> terms_;
    int degree_ = 0;
};

/// a + b, or nothing beyond polynomial::largest terms.
std::optional<polynomial> sum(const polynomial& a, const polynomial& b);
/// a · b, or nothing beyond polynomial::largest terms or polynomial::highest_degree.
std::optional<polynomial> product(const polynomial& a, const polynomial& b);
/// a^k for k >= 0, or nothing beyond polynomial::largest terms or
/// polynomial::highest_degree.
std::optional<polynomial> power(const polynomial& a, int k);

/// Enclosures of one polynomial p over boxes by its Taylor expansion at the
/// box's centre c, truncated where the rest no longer matters. With h = x − c
/// and q_α the Taylor coefficients of p at c, Taylor's theorem on the segment
/// from c to x (inside the convex box) gives, for each order m,
///   p(c + h) = Σ_{|α|<m} q_α h^α + Σ_{|α|=m} (∂^α p(ξ)/α!) h^α,  ξ in the box,
/// and ∂^α p(ξ)/α! = Σ_t a_t·C(e_t, α)·ξ^(e_t−α) over the terms a_t x^(e_t) of
/// p, bounded in magnitude over the box. The order m is the first one whose
/// remainder is at most an eighth of the width of the terms before it (or
/// the degree + 1, where it vanishes): the enclosure is then at most 9/8 as
/// wide as the whole expansion's, Σ q_α H^α, whose terms of order m and above
/// only add width. Terms that cancel in p (a polynomial of high degree written
/// in monomials) thus no longer add up their widths, and a sparse polynomial
/// costs its terms times the few orders the box needs, not its dense size.
class centred_bound {
public:
    /// The bound of p; nothing when p's degree exceeds polynomial::highest_degree
    /// or a block has too many exponent vectors.
    static std::optional<centred_bound> of(const polynomial& p);

    /// The enclosure of p over the box whose variable k has the interval
    /// box[k]; the entire line when a variable of p is empty or unbounded,
    /// or when every one is a point (the direct form is then as good).
    interval over(const interval* box) const;
    /// over(box), and in derivatives[i] the enclosure of ∂p/∂x_v over the box
    /// for v = variables[i], from the same expansion: the coefficient of h^α
    /// in ∂p/∂x_v(c + h) is (α_v + 1)·q_(α + e_v), and its remainder at order
    /// m − 1 reads the same derivatives of order m.
    interval over(const interval* box, const std::vector<int>& variables, interval* derivatives) const;

private:
    /// The terms of p in one connected group of variables (variables that
    /// occur together in some term): a group's terms never mix with
    /// another's, so the orders of the expansion are counted per group.
    struct block {
        std::vector<int> variables;
        /// The largest exponent of each variable in a term, plus one.
        std::vector<int> extents;
        int degree = 0;
        /// Exponents of term t: exponents[t * variables.size() + i] for variables[i].
        std::vector<int> exponents;
        /// Coefficient a_t lies in middle[t] ± radius, |a_t| ≤ magnitude[t],
        /// and slack[t] ≥ radius + γ·|middle[t]| carries the rounding of the
        /// floating-point sums (γ = gamma below).
        std::vector<double> middle;
        std::vector<double> magnitude;
        std::vector<double> slack;
        /// γ_K = K·u/(1 − K·u) for K roundings at most in one term's product
        /// and the sum of all terms: relative error bound of the sums.
        double gamma = 0.0;
        /// The base-2 exponent below which no coefficient's magnitude or slack falls (0 if none).
        int smallest_exponent = 0;
    };
    interval constant_;
    std::vector<block> blocks_;

    /// Whether the box lets the bound say something: no variable of p empty
    /// or unbounded, and one of them not a point.
    bool applies_to(const interval* box) const;
};
