#pragma once
// Exact references for Taylor-coefficient tests: random polynomial
// expressions in x and y with dyadic constants, printed in the expression
// language and evaluated over truncated series of 256-bit MPFR numbers.
//
// Sums, differences and products of dyadic numbers of modest size are exact
// at 256 bits; `exact_scope` checks MPFR's inexact flag so that a reference
// that did round fails the test instead of passing silently.

#include "mpfr_reference.hpp"

#include <gtest/gtest.h>
#include <mpfr.h>

#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

/// Tells whether any MPFR operation rounded since construction.
class exact_scope {
public:
    exact_scope() { mpfr_clear_inexflag(); }
    bool exact() const { return mpfr_inexflag_p() == 0; }
};

/// Truncated series, stored either as Taylor coefficients (Cauchy product) or
/// as derivatives (Leibniz product: no division, so flows stay dyadic).
struct exact_series {
    enum class basis { taylor, derivatives };
    basis kind = basis::taylor;
    std::vector<mpfr_real> c;

    static exact_series constant(basis kind, int order, double value) {
        exact_series s{kind, std::vector<mpfr_real>(order + 1)};
        s.c[0] = mpfr_real(value);
        return s;
    }
};

inline exact_series operator+(const exact_series& a, const exact_series& b) {
    exact_series s = a;
    for (std::size_t k = 0; k < s.c.size(); ++k) s.c[k] = a.c[k] + b.c[k];
    return s;
}

inline exact_series operator-(const exact_series& a, const exact_series& b) {
    exact_series s = a;
    for (std::size_t k = 0; k < s.c.size(); ++k) s.c[k] = a.c[k] - b.c[k];
    return s;
}

inline double binomial(int n, int k) {
    double b = 1;
    for (int i = 1; i <= k; ++i) b = b * (n - k + i) / i;
    return b;
}

inline exact_series operator*(const exact_series& a, const exact_series& b) {
    exact_series s = a;
    const bool leibniz = a.kind == exact_series::basis::derivatives;
    for (int k = 0; k < static_cast<int>(s.c.size()); ++k) {
        mpfr_real sum;
        for (int j = 0; j <= k; ++j) {
            const mpfr_real term = a.c[j] * b.c[k - j];
            sum = sum + (leibniz ? mpfr_real(binomial(k, j)) * term : term);
        }
        s.c[k] = sum;
    }
    return s;
}

/// A random polynomial expression tree over x and y, kept in post-order.
class random_polynomial {
public:
    random_polynomial(std::mt19937& rng, int depth) { grow(rng, depth); }

    /// Fully parenthesised text in the expression language.
    std::string text() const { return text_of(root()); }

    /// The polynomial over series: variables from the map, constants exact.
    exact_series evaluate(const std::map<std::string, exact_series>& variables) const {
        return value_of(root(), variables);
    }

private:
    struct term {
        explicit term(char k, int l = -1, int r = -1) : kind(k), left(l), right(r) {}
        char kind;  // 'V', 'r', '+', '-', '*', 'P'
        int left, right;
        double value = 0;
        std::string name;
    };

    int root() const { return static_cast<int>(terms_.size()) - 1; }

    int grow(std::mt19937& rng, int depth) {
        const int choice = std::uniform_int_distribution<int>(0, 5)(rng);
        if (depth == 0 || choice == 0) {
            term leaf('V');
            if (std::uniform_int_distribution<int>(0, 2)(rng) == 0) {
                leaf.kind = 'r';
                leaf.value = std::uniform_int_distribution<int>(-12, 12)(rng) / 4.0;
            } else {
                leaf.name = std::uniform_int_distribution<int>(0, 1)(rng) ? "x" : "y";
            }
            return push(leaf);
        }
        if (choice == 1) {
            const int base = grow(rng, std::min(depth - 1, 1));
            term power('P', base);
            power.value = std::uniform_int_distribution<int>(2, 3)(rng);
            return push(power);
        }
        const int left = grow(rng, depth - 1);
        const int right = grow(rng, depth - 1);
        return push(term("+-**"[choice - 2], left, right));
    }

    int push(const term& t) {
        terms_.push_back(t);
        return root();
    }

    std::string text_of(int i) const {
        const term& t = terms_[i];
        std::ostringstream os;
        switch (t.kind) {
        case 'V': return t.name;
        case 'r':
            os << "(" << t.value << ")";
            return os.str();
        case 'P':
            os << "(" << text_of(t.left) << ")^" << t.value;
            return os.str();
        default: return "(" + text_of(t.left) + ")" + t.kind + "(" + text_of(t.right) + ")";
        }
    }

    exact_series value_of(int i, const std::map<std::string, exact_series>& variables) const {
        const term& t = terms_[i];
        const exact_series& any = variables.begin()->second;
        switch (t.kind) {
        case 'V': return variables.at(t.name);
        case 'r': return exact_series::constant(any.kind, static_cast<int>(any.c.size()) - 1, t.value);
        case '+': return value_of(t.left, variables) + value_of(t.right, variables);
        case '-': return value_of(t.left, variables) - value_of(t.right, variables);
        case '*': return value_of(t.left, variables) * value_of(t.right, variables);
        default: {
            const exact_series base = value_of(t.left, variables);
            exact_series p = base;
            for (int k = 1; k < static_cast<int>(t.value); ++k) p = p * base;
            return p;
        }
        }
    }

    std::vector<term> terms_;
};

/// Whether c lies in x, for c = d / scale with scale > 0 (exact comparisons).
inline bool scaled_inside(const mpfr_real& d, double scale, const interval& x) {
    if (x.isEmpty()) return false;
    const mpfr_real lo = mpfr_real(x.inf()) * mpfr_real(scale);
    const mpfr_real hi = mpfr_real(x.sup()) * mpfr_real(scale);
    return mpfr_cmp(lo.get(), d.get()) <= 0 && mpfr_cmp(d.get(), hi.get()) <= 0;
}
