#pragma once
// The high-precision value of an expression tree at a point, with the
// program's evaluation rules: the oracle of the evaluation tests and of the
// expression fuzz target.

#include "expression.hpp"
#include "mpfr_reference.hpp"

#include <cmath>
#include <map>
#include <string>

using point = std::map<std::string, double>;

inline domain point_box(const point& p)
{
    domain box;
    for (const auto& [name, value] : p)
        box[name] = interval(value);
    return box;
}

/// Value of the subtree at i at the point, at the thread's MPFR precision,
/// with the program's evaluation rules (missing variable 0, exponent
/// truncated toward zero). NaN where the real expression is undefined: any
/// intermediate that is not finite, or beyond the largest double.
inline mpfr_real value_at_precision(const std::vector<Node>& tree, int i, const point& p)
{
    const Node& n = tree[i];
    auto operand = [&](int child) { return value_at_precision(tree, child, p); };
    mpfr_real r;
    switch (n.kind) {
    case 'r': r = mpfr_real(n.value); break;
    case 'V': {
        const auto found = p.find(n.name);
        r = mpfr_real(found == p.end() ? 0.0 : found->second);
        break;
    }
    case '+': r = operand(n.left) + operand(n.right); break;
    case '-': r = operand(n.left) - operand(n.right); break;
    case '*': r = operand(n.left) * operand(n.right); break;
    case '/': r = operand(n.left) / operand(n.right); break;
    case 'P': {
        const mpfr_real base = operand(n.left);
        const double e = std::trunc(operand(n.right).to_double());
        const bool defined = !base.is_nan() && std::isfinite(e) && std::fabs(e) < 1e9;
        r = defined ? pow(base, static_cast<long>(e)) : mpfr_real(NAN);
        break;
    }
    case 'N': r = -operand(n.left); break;
    case 'C': r = cos(operand(n.left)); break;
    case 'S': r = sin(operand(n.left)); break;
    case 'h': r = cosh(operand(n.left)); break;
    case 'i': r = sinh(operand(n.left)); break;
    case 'T': r = tan(operand(n.left)); break;
    case 'A': r = atan(operand(n.left)); break;
    case 'E': r = exp(operand(n.left)); break;
    case 'L': r = log(operand(n.left)); break;
    case 'R': r = sqrt(operand(n.left)); break;
    case '2': r = pow(operand(n.left), 2); break;
    default: r = mpfr_real(NAN); break;
    }
    // Beyond the largest double the program's value is infinite, so undefined
    // too; and 256-bit sines of such arguments would need as many bits of pi
    // as the argument has before its point.
    if (!mpfr_number_p(r.get()) || !std::isfinite(r.to_double()))
        return mpfr_real(NAN);
    return r;
}

/// Bits of the second computation of a reference value: more than the 2098
/// from the largest double's exponent down to the smallest subnormal's, and
/// 2^-200 to spare, so that a term of double size never vanishes beside a
/// value below the largest double (x + 1e-320 − x is 1e-320, not 0 as at
/// 256 and 1024 bits).
constexpr mpfr_prec_t check_bits = 2400;

/// The error bound of a reference value of v's size: |v|·2^-200, rounded
/// down. The two computations of reference_value agree to within it.
inline mpfr_real reference_error_bound(const mpfr_real& v)
{
    mpfr_real bound = v;
    mpfr_abs(bound.get(), bound.get(), MPFR_RNDD);
    mpfr_mul_2si(bound.get(), bound.get(), -200, MPFR_RNDD);
    return bound;
}

/// value_at_precision at 256 bits, when the same computation at check_bits
/// agrees with it to within reference_error_bound; NaN otherwise, as for an
/// undefined value. A difference of two large terms that nearly cancel
/// (e^378 − 1 − e^378) loses at 256 bits what a double result keeps; a
/// second precision shows where that happened.
inline mpfr_real reference_value(const std::vector<Node>& tree, int i, const point& p)
{
    const mpfr_real coarse = value_at_precision(tree, i, p);
    if (coarse.is_nan()) return coarse;
    const precision_scope fine_bits(check_bits);
    const mpfr_real fine = value_at_precision(tree, i, p);
    if (fine.is_nan()) return fine;
    mpfr_real gap = coarse - fine;
    mpfr_abs(gap.get(), gap.get(), MPFR_RNDU);
    if (mpfr_cmp(gap.get(), reference_error_bound(fine).get()) > 0) return mpfr_real(NAN);
    return coarse;
}

/// Whether the reference value r lies in x up to its error bound: below x's
/// lower end or above its upper end by no more than reference_error_bound(r).
/// A composition cancelled at 256 bits (6 + e^1.5625 − e^1.5625) can land a
/// few units of 2^-256 outside an enclosure that holds the exact value on
/// its end. Never for NaN or an empty x.
inline bool inside_up_to_error(const mpfr_real& r, const interval& x)
{
    if (r.is_nan() || x.isEmpty()) return false;
    const mpfr_real bound = reference_error_bound(r);
    // Rounded toward r, so that the allowance never exceeds the bound.
    mpfr_real raised = r;
    mpfr_add(raised.get(), r.get(), bound.get(), MPFR_RNDD);
    mpfr_real lowered = r;
    mpfr_sub(lowered.get(), r.get(), bound.get(), MPFR_RNDU);
    return mpfr_cmp_d(raised.get(), x.inf()) >= 0 && mpfr_cmp_d(lowered.get(), x.sup()) <= 0;
}

inline mpfr_real reference_value(const expression& e, const point& p)
{
    return reference_value(e.tree, e.root(), p);
}
