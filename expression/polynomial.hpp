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

/// Enclosures of one polynomial p over boxes: with c the centre of the box and
/// h = x - c, p(c + h) = Σ q_α h^α exactly, q being the Taylor coefficients of
/// p at c. Outward-rounded arithmetic on p's coefficients and on c encloses
/// every q_α, and h^α lies in the product of the powers of the box's
/// h-intervals, so Σ q_α H^α holds p over the box. Terms that cancel in p (a
/// polynomial of high degree written in monomials) no longer add up their
/// widths: away from c only the true variation of p, to first order, remains.
class centred_bound {
public:
    /// The bound of p; nothing when its dense blocks would be too large.
    static std::optional<centred_bound> of(const polynomial& p);

    /// The enclosure of p over the box whose variable k has the interval
    /// box[k]; the entire line when a variable of p is empty or unbounded,
    /// or when every one is a point (the direct form is then as good).
    interval over(const interval* box) const;
    /// over(box), and in derivatives[i] the enclosure of ∂p/∂x_v over the box
    /// for v = variables[i], from the same Taylor coefficients: the
    /// coefficient of h^α in ∂p/∂x_v(c + h) is (α_v + 1)·q_(α + e_v).
    interval over(const interval* box, const std::vector<int>& variables, interval* derivatives) const;

    /// A closed interval as its two bounds, for the arithmetic of the bounds.
    struct bounds {
        double lo;
        double hi;
    };

private:
    /// The terms of p in one connected group of variables (variables that
    /// occur together in some term), as a dense array of coefficients: the
    /// exponent of variables[i] runs over 0 .. extents[i] - 1, the last
    /// variable fastest.
    struct block {
        std::vector<int> variables;
        std::vector<int> extents;
        /// The largest total degree of a term of the block: coefficients
        /// beyond it are 0, and stay 0 through the Taylor shifts.
        int degree = 0;
        std::vector<bounds> coefficients;
    };
    interval constant_;
    std::vector<block> blocks_;

    /// Whether the box lets the bound say something: no variable of p empty
    /// or unbounded, and one of them not a point.
    bool applies_to(const interval* box) const;
};
