// Interval arithmetic: + - * / and integer powers with directed rounding
// obtained from error-free transformations (the rounding mode is never
// switched), Boost.Interval for storage and comparisons, and MPFR for the
// elementary functions.
//
// Representation invariant: the lower bound is never +inf and the upper bound
// never -inf (an infinite point is stored as [max double, +inf] or
// [-inf, -max double]). Sums then never meet inf - inf, and products treat
// 0 times infinity as 0, so no bound ever becomes NaN except for the empty set.

#include "interval.hpp"

#include <mpfr.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <ostream>

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double max_double = std::numeric_limits<double>::max();
constexpr double not_a_number = std::numeric_limits<double>::quiet_NaN();

// Precision of the quadrant reduction: a double below 2^1024 times 2/pi known
// to 1280 bits leaves far more than the 2^-62 by which a double is at least
// away from a nonzero multiple of pi/2.
constexpr mpfr_prec_t quadrant_bits = 1280;

// MPFR variables, allocated once per thread instead of once per call.
struct mpfr_workspace {
    mpfr_t arg;                       // 53 bits: a double argument is exact
    mpfr_t value;                     // 53 bits: the result rounded once
    mpfr_t turn_down, turn_up;        // 2/pi rounded down and up
    mpfr_t low, high, q_first, q_last;

    mpfr_workspace()
    {
        mpfr_inits2(53, arg, value, static_cast<mpfr_ptr>(nullptr));
        mpfr_inits2(quadrant_bits, turn_down, turn_up, low, high, q_first, q_last,
                    static_cast<mpfr_ptr>(nullptr));
        mpfr_const_pi(low, MPFR_RNDU);
        mpfr_ui_div(turn_down, 2, low, MPFR_RNDD);
        mpfr_const_pi(high, MPFR_RNDD);
        mpfr_ui_div(turn_up, 2, high, MPFR_RNDU);
    }
    ~mpfr_workspace()
    {
        mpfr_clears(arg, value, turn_down, turn_up, low, high, q_first, q_last,
                    static_cast<mpfr_ptr>(nullptr));
    }
    mpfr_workspace(const mpfr_workspace&) = delete;
    mpfr_workspace& operator=(const mpfr_workspace&) = delete;
};

mpfr_workspace& workspace()
{
    thread_local mpfr_workspace w;
    return w;
}

// Directed rounding without switching the rounding mode: the sum or product is
// rounded to nearest, and an error-free transformation gives the sign of the
// rounding error, which says whether the neighbouring double is the bound.
// Switching the mode costs far more than these few operations.

// a + b - s for s = fl(a + b) by the TwoSum transformation: exact unless one
// of its steps overflows, which then gives NaN.
double two_sum_error(double a, double b, double s)
{
    const double bb = s - a;
    return (a - (s - bb)) + (b - bb);
}

// Sign of a + b - s for s = fl(a + b), finite a, b and s; 0 when s is exact.
// Near the largest double a step of TwoSum may overflow (a and s huge and of
// opposite signs, so b is huge too); halving a, b and s is then exact and
// halves the error without changing its sign, and no step overflows.
double sum_error(double a, double b, double s)
{
    const double e = two_sum_error(a, b, s);
    return std::isnan(e) ? two_sum_error(a * 0.5, b * 0.5, s * 0.5) : e;
}

// a + b rounded downward (upward). An infinite operand gives an exact infinite
// sum; an overflow from finite operands is bounded by the largest double.
double sum_down(double a, double b)
{
    const double s = a + b;
    if (std::isinf(s)) return std::isinf(a) || std::isinf(b) || s < 0 ? s : max_double;
    return sum_error(a, b, s) < 0 ? next_down(s) : s;
}

double sum_up(double a, double b)
{
    const double s = a + b;
    if (std::isinf(s)) return std::isinf(a) || std::isinf(b) || s > 0 ? s : -max_double;
    return sum_error(a, b, s) > 0 ? next_up(s) : s;
}

// Below this magnitude a product's rounding error may itself underflow, so
// its sign cannot be read from fma; the product is then widened by one ulp.
constexpr double tiny_product = 0x1p-960;

// a * b rounded downward (upward); 0 times anything, infinity included, is 0.
// fma(a, b, -p) is the exact error a*b - p; for an overflow it is infinite with
// the right sign, and for an exact infinite product it is NaN (no correction).
double product_down(double a, double b)
{
    if (a == 0 || b == 0) return 0.0;
    const double p = a * b;
    if (std::fabs(p) < tiny_product) return next_down(p);
    return std::fma(a, b, -p) < 0 ? next_down(p) : p;
}

double product_up(double a, double b)
{
    if (a == 0 || b == 0) return 0.0;
    const double p = a * b;
    if (std::fabs(p) < tiny_product) return next_up(p);
    return std::fma(a, b, -p) > 0 ? next_up(p) : p;
}

// Whether the remainder of a / b may not be exact: an operand or the quotient
// near underflow.
bool near_underflow(double a, double b, double q)
{
    return std::min({std::fabs(a), std::fabs(b), std::fabs(q)}) < tiny_product;
}

// a / b rounded downward (upward), for a non-zero b and not both infinite.
// fma(-q, b, a) = a - q*b is the exact remainder of q = fl(a / b) away from
// underflow, and a/b - q has the sign of remainder / b. An infinite dividend
// or divisor, or a zero dividend, gives an exact quotient; an overflow is
// bounded by the largest double; near underflow the quotient is widened by one
// ulp (q is within half an ulp of a / b).
double quotient_down(double a, double b)
{
    const double q = a / b;
    if (a == 0 || std::isinf(a) || std::isinf(b)) return q;
    if (std::isinf(q)) return q > 0 ? max_double : q;
    if (near_underflow(a, b, q)) return next_down(q);
    const double remainder = std::fma(-q, b, a);
    return (remainder < 0) != (b < 0) && remainder != 0 ? next_down(q) : q;
}

double quotient_up(double a, double b)
{
    const double q = a / b;
    if (a == 0 || std::isinf(a) || std::isinf(b)) return q;
    if (std::isinf(q)) return q < 0 ? -max_double : q;
    if (near_underflow(a, b, q)) return next_up(q);
    const double remainder = std::fma(-q, b, a);
    return (remainder > 0) != (b < 0) && remainder != 0 ? next_up(q) : q;
}

// A number as (high + low) 2^exponent, with high in [0.5, 1] and |low| at most
// half an ulp of high; `exact` when it is exactly the value it stands for.
// The scale keeps high + low clear of overflow and underflow whatever the
// power, so the fma error terms below are always exact.
struct scaled_double_double {
    double high;
    double low;
    long exponent;
    bool exact;
};

// The bits of a double's exponent field.
constexpr std::uint64_t exponent_field = 0x7ffULL << 52;

// t > 0 finite as a scaled double-double, high in [0.5, 1). A normal t gets
// the exponent of 0.5 in its bits, as frexp would give (frexp is a call).
scaled_double_double scaled(double t)
{
    std::uint64_t bits;
    std::memcpy(&bits, &t, sizeof bits);
    const long field = static_cast<long>((bits & exponent_field) >> 52);
    if (field == 0) {
        int shift = 0;
        const double high = std::frexp(t, &shift);
        return {high, 0.0, shift, true};
    }
    bits = (bits & ~exponent_field) | (1022ULL << 52);
    double high;
    std::memcpy(&high, &bits, sizeof high);
    return {high, 0.0, field - 1022, true};
}

// 2^e, exactly, for e in [-1022, 1023].
double two_to(long e)
{
    const std::uint64_t bits = static_cast<std::uint64_t>(e + 1023) << 52;
    double p;
    std::memcpy(&p, &bits, sizeof p);
    return p;
}

// Whether d 2^e is a normal double for d in [2^-4, 2^4) and e in [-1000,
// 1000]: then the product by 2^e is exact, in either rounding direction.
bool exact_scaling(double d, long e) { return d >= 0x1p-4 && d < 0x1p4 && e >= -1000 && e <= 1000; }

// (high + low) 2^exponent with high in [0.25, 2) rescaled so that high lies in
// [0.5, 1) again: a product of two such numbers, or a reciprocal, is off by
// one binade at most, and halving or doubling is exact.
scaled_double_double normalized(double high, double low, long exponent, bool exact)
{
    if (high < 0.5) return {2 * high, 2 * low, exponent - 1, exact};
    if (high >= 1) return {0.5 * high, 0.5 * low, exponent + 1, exact};
    return {high, low, exponent, exact};
}

// The product to a relative error below 8 u^2 (u = 2^-53) plus the errors of
// the factors: fma gives the exact error of the leading product, and only the
// small cross terms are rounded. Exact when both factors are exact doubles.
scaled_double_double product(const scaled_double_double& a, const scaled_double_double& b)
{
    const double p = a.high * b.high;
    const double e = std::fma(a.high, b.high, -p);
    const double l = e + (a.high * b.low + a.low * b.high + a.low * b.low);
    const double high = p + l;
    return normalized(high, l - (high - p), a.exponent + b.exponent,
                      a.exact && b.exact && a.low == 0 && b.low == 0);
}

// 1 as a scaled double-double.
constexpr scaled_double_double scaled_one{0.5, 0.0, 1, true};

// The product of 1 and a, as `product` computes it,
// without its arithmetic when high + low rounds to high: its steps then only
// halve high and low exactly and double them back. Exact as `product` says:
// when a is exact and has no low part.
scaled_double_double one_times(const scaled_double_double& a)
{
    if (a.high + a.low != a.high) return product(scaled_one, a);
    return {a.high, a.low, a.exponent, a.exact && a.low == 0};
}

// 1 / a for an exact double a = high 2^exponent: q + r / high with q = fl(1 / high)
// and r = fma(-q, high, 1) the exact remainder; only r / high is rounded, a
// relative error below u^2.
scaled_double_double reciprocal(const scaled_double_double& a)
{
    const double q = 1.0 / a.high;
    const double r = std::fma(-q, a.high, 1.0);
    return normalized(q, r / a.high, -a.exponent, r == 0);
}

// d 2^e rounded downward (upward), for d > 0: ldexp rounds to nearest when
// the result is subnormal, which scaling back detects.
double scale_down(double d, long e)
{
    if (exact_scaling(d, e)) return d * two_to(e);
    const int shift = static_cast<int>(std::clamp(e, -4000L, 4000L));
    const double r = std::ldexp(d, shift);
    if (std::isinf(r)) return max_double;
    return r != 0 && std::ldexp(r, -shift) > d ? next_down(r) : r;
}

double scale_up(double d, long e)
{
    if (exact_scaling(d, e)) return d * two_to(e);
    const int shift = static_cast<int>(std::clamp(e, -4000L, 4000L));
    const double r = std::ldexp(d, shift);
    if (std::isinf(r)) return r;
    return r == 0 || std::ldexp(r, -shift) < d ? next_up(r) : r;
}

struct power_bounds {
    double down;
    double up;
};

// t^n for t >= 0 (t > 0 when n < 0) and n != 0: binary powering in scaled
// double-double of t, or of 1/t for a negative n. A squaring doubles the
// relative error and adds 8 u^2, so the factor t^(2^j) carries less than
// 2^(j+1) 8 u^2; the result, at most 32 products of such factors, less than
// (2 |n| + 32) 8 u^2 < 2^-68 for any int n. So t^n lies within
// E = 2^-66 high (scaled) of high + low (E = 0 when exact), and the bounds
// are high + low ∓ E rounded outward, then scaled outward: within an ulp of
// the tightest.
power_bounds magnitude_power(double t, long n)
{
    if (t == 0) return {0.0, 0.0};
    if (std::isinf(t)) return n > 0 ? power_bounds{infinity, infinity} : power_bounds{0.0, 0.0};
    scaled_double_double result = scaled_one;
    bool result_is_one = true;
    scaled_double_double factor = n > 0 ? scaled(t) : reciprocal(scaled(t));
    for (long k = n > 0 ? n : -n;; factor = product(factor, factor)) {
        if (k & 1) result = result_is_one ? one_times(factor) : product(result, factor);
        result_is_one = result_is_one && !(k & 1);
        k >>= 1;
        if (k == 0) break;
    }
    const double E = result.exact ? 0.0 : result.high * 0x1p-66;
    return {scale_down(sum_down(result.high, sum_down(result.low, -E)), result.exponent),
            scale_up(sum_up(result.high, sum_up(result.low, E)), result.exponent)};
}

// s^n rounded downward (upward) for n != 0, s != 0 when n < 0: the
// magnitude's power, negated for a negative s (n is then odd).
double signed_power_down(double s, long n)
{
    if (s == 0) return 0.0;
    return s > 0 ? magnitude_power(s, n).down : -magnitude_power(-s, n).up;
}

double signed_power_up(double s, long n)
{
    if (s == 0) return 0.0;
    return s > 0 ? magnitude_power(s, n).up : -magnitude_power(-s, n).down;
}

// x^n for n != 0, where x excludes 0 when n < 0. An even power depends on |x|
// alone and runs from the mignitude's power to the magnitude's (the reverse
// for n < 0); an odd power is increasing for n > 0 and, x lying on one side
// of 0, decreasing for n < 0.
interval nonzero_power(const interval& x, long n)
{
    const double a = x.inf(), b = x.sup();
    if (n % 2 == 0) {
        const double small = x.mig(), large = x.mag();
        if (n > 0) return interval(signed_power_down(small, n), signed_power_up(large, n));
        return interval(signed_power_down(large, n), signed_power_up(small, n));
    }
    if (n > 0) return interval(signed_power_down(a, n), signed_power_up(b, n));
    return interval(signed_power_down(b, n), signed_power_up(a, n));
}

// x^2 by one directed product per bound: squares are frequent in the
// analysed expressions, and this is much cheaper than the general power.
interval square(const interval& x)
{
    const double a = x.inf(), b = x.sup();
    if (a >= 0) return interval(product_down(a, a), product_up(b, b));
    if (b <= 0) return interval(product_down(b, b), product_up(a, a));
    return interval(0.0, std::max(product_up(a, a), product_up(b, b)));
}

using mpfr_function = int (*)(mpfr_ptr, mpfr_srcptr, mpfr_rnd_t);

// f(x) rounded in direction rnd: MPFR rounds once to 53 bits, the conversion
// to double rounds again in the same direction (only subnormals move).
double rounded(mpfr_function f, double x, mpfr_rnd_t rnd)
{
    mpfr_workspace& w = workspace();
    mpfr_set_d(w.arg, x, MPFR_RNDN);
    f(w.value, w.arg, rnd);
    return mpfr_get_d(w.value, rnd);
}

double up(mpfr_function f, double x) { return rounded(f, x, MPFR_RNDU); }

// f(x) rounded downward and upward.
struct rounded_pair {
    double down;
    double up;
};

// The last values computed, by function and argument bits: the analysis
// meets the same bounds many times (one box evaluated by several programs,
// sin and cos of one argument), and a value is a function of these alone.
class rounded_values {
public:
    // The entry for (f, x): `found` when it holds f(x).
    struct entry {
        mpfr_function f = nullptr;
        std::uint64_t bits = 0;
        rounded_pair value{0.0, 0.0};
    };
    entry& slot(mpfr_function f, double x, bool& found)
    {
        std::uint64_t bits;
        std::memcpy(&bits, &x, sizeof bits);
        const std::uint64_t key = bits ^ reinterpret_cast<std::uintptr_t>(f);
        entry& e = entries_[(key * 0x9e3779b97f4a7c15ULL) >> (64 - index_bits)];
        found = e.f == f && e.bits == bits;
        if (!found) {
            e.f = f;
            e.bits = bits;
        }
        return e;
    }

private:
    static constexpr int index_bits = 8;
    entry entries_[1 << index_bits];
};

// f(x) rounded downward and upward from one evaluation where possible. MPFR
// rounds f(x) down to 53 bits and says whether that is exact. Far from the
// ends of the double range (MPFR's exponent range is far wider) the 53-bit
// numbers are the doubles, so the conversion is exact and an inexact f(x)
// lies strictly between that double and the next one up, which is then f(x)
// rounded upward. Elsewhere f is evaluated again, rounded upward.
rounded_pair evaluated_both(mpfr_function f, double x)
{
    mpfr_workspace& w = workspace();
    mpfr_set_d(w.arg, x, MPFR_RNDN);
    const int ternary = f(w.value, w.arg, MPFR_RNDD);
    const double low = mpfr_get_d(w.value, MPFR_RNDD);
    if (!(std::fabs(low) >= 0x1p-1000 && std::fabs(low) < max_double)) return {low, up(f, x)};
    return {low, ternary == 0 ? low : next_up(low)};
}

// f(x) rounded downward and upward, from the last values when they hold it.
rounded_pair rounded_both(mpfr_function f, double x)
{
    thread_local rounded_values last;
    bool found = false;
    rounded_values::entry& e = last.slot(f, x, found);
    if (!found) e.value = evaluated_both(f, x);
    return e.value;
}

// Image of x under an increasing function.
interval increasing(mpfr_function f, const interval& x)
{
    if (x.isEmpty()) return interval::EMPTY();
    return interval(rounded_both(f, x.inf()).down, rounded_both(f, x.sup()).up);
}

// floor(2x/pi) for a finite x, into q. Bounds of 2/pi on both sides give two
// bounds of 2x/pi; the quadrant is decided when both have the same floor.
bool quadrant(mpfr_ptr q, double x)
{
    mpfr_workspace& w = workspace();
    mpfr_set_d(w.arg, x, MPFR_RNDN);
    const bool negative = x < 0;
    mpfr_mul(w.low, w.arg, negative ? w.turn_up : w.turn_down, MPFR_RNDD);
    mpfr_mul(w.high, w.arg, negative ? w.turn_down : w.turn_up, MPFR_RNDU);
    mpfr_floor(w.low, w.low);
    mpfr_floor(w.high, w.high);
    if (!mpfr_equal_p(w.low, w.high)) return false;
    mpfr_set(q, w.low, MPFR_RNDN);
    return true;
}

// The multiples k*pi/2 inside [a, b] (a, b finite): k runs over `count`
// consecutive integers (capped at 4, a full turn) whose first is `first` mod 4.
struct quarter_turns {
    bool known;
    long count;
    long first;
};

// 2/pi rounded down and up to doubles (2/pi is irrational: they differ).
struct turn_bounds {
    double down;
    double up;
};

const turn_bounds& double_turn()
{
    static const turn_bounds bounds = [] {
        mpfr_workspace& w = workspace();
        return turn_bounds{mpfr_get_d(w.turn_down, MPFR_RNDD), mpfr_get_d(w.turn_up, MPFR_RNDU)};
    }();
    return bounds;
}

// floor(2x/pi) for |x| <= 2^50 by double products, into q. 2x/pi lies between
// x times the two double bounds of 2/pi, each product rounded outward; the
// quadrant is decided when both ends have the same floor (exact below 2^52).
bool quadrant_by_doubles(double x, long& q)
{
    if (!(std::fabs(x) <= 0x1p50)) return false;
    const turn_bounds& t = double_turn();
    const double low = x >= 0 ? product_down(x, t.down) : product_down(x, t.up);
    const double high = x >= 0 ? product_up(x, t.up) : product_up(x, t.down);
    if (std::floor(low) != std::floor(high)) return false;
    q = static_cast<long>(std::floor(low));
    return true;
}

// The quarter turns between the quadrants q_first and q_last of the bounds.
quarter_turns turns_between(long q_first, long q_last)
{
    const long count = q_last - q_first >= 4 ? 4 : q_last - q_first;
    return {true, count, ((q_first + 1) % 4 + 4) % 4};
}

quarter_turns quarter_turns_in(double a, double b)
{
    long q_first = 0, q_last = 0;
    if (quadrant_by_doubles(a, q_first) && quadrant_by_doubles(b, q_last)) return turns_between(q_first, q_last);
    mpfr_workspace& w = workspace();
    if (!quadrant(w.q_first, a) || !quadrant(w.q_last, b)) return {false, 0, 0};
    // Integers below 2^1100 at 1280 bits: every step below is exact.
    mpfr_sub(w.low, w.q_last, w.q_first, MPFR_RNDN);
    const long count = mpfr_cmp_ui(w.low, 4) >= 0 ? 4 : mpfr_get_si(w.low, MPFR_RNDN);
    mpfr_add_ui(w.low, w.q_first, 1, MPFR_RNDN);
    mpfr_fmod_ui(w.low, w.low, 4, MPFR_RNDN);
    const long first = (mpfr_get_si(w.low, MPFR_RNDN) + 4) % 4;
    return {true, count, first};
}

// sin or cos over x: the hull of the end values, widened to 1 or -1 where x
// holds a multiple k*pi/2 with k = top (mod 4) or k = top + 2 (mod 4).
interval periodic(mpfr_function f, long top, const interval& x)
{
    if (x.isEmpty()) return interval::EMPTY();
    const interval unit(-1.0, 1.0);
    const double a = x.inf(), b = x.sup();
    // 6.3 > 2*pi: a wider interval holds a full period (a shortcut only).
    if (x.isInfinite() || !(b - a < 6.3)) return unit;
    const quarter_turns turns = quarter_turns_in(a, b);
    if (!turns.known) return unit;
    const rounded_pair at_a = rounded_both(f, a);
    const rounded_pair at_b = a == b ? at_a : rounded_both(f, b);
    double lo = std::min(at_a.down, at_b.down);
    double hi = std::max(at_a.up, at_b.up);
    for (long k = turns.first; k < turns.first + turns.count; ++k) {
        if (k % 4 == top) hi = 1.0;
        if (k % 4 == (top + 2) % 4) lo = -1.0;
    }
    return interval(lo, hi);
}

// Writes a bound, showing a zero of either sign as 0.
void write_bound(std::ostream& os, double d) { os << (d == 0 ? 0.0 : d); }

} // namespace

interval::interval() : b_(0.0, 0.0) {}

interval::interval(double d) : interval(d, d) {}

interval::interval(double lo, double hi)
    : b_(lo == infinity ? max_double : lo, hi == -infinity ? -max_double : hi)
{
}

interval interval::ENTIRE() { return interval(backend::whole()); }

interval interval::EMPTY() { return interval(backend::empty()); }

// For an unbounded interval the point of the interval nearest to 0: finite,
// inside, and 0 for the entire line.
double interval::mid() const
{
    if (isEmpty()) return not_a_number;
    const double a = inf(), b = sup();
    if (a == b) return a;
    if (isInfinite()) return a > 0 ? a : (b < 0 ? b : 0.0);
    const double m = 0.5 * a + 0.5 * b;
    return std::min(std::max(m, a), b);
}

double interval::diam() const
{
    if (isEmpty()) return not_a_number;
    return sum_up(sup(), -inf());
}

double interval::width() const { return diam(); }

double interval::mag() const
{
    if (isEmpty()) return not_a_number;
    return std::max(std::fabs(inf()), std::fabs(sup()));
}

double interval::mig() const
{
    if (isEmpty()) return not_a_number;
    if (contains(0.0)) return 0.0;
    return std::min(std::fabs(inf()), std::fabs(sup()));
}

bool interval::isPoint() const { return inf() == sup(); }

bool interval::isInfinite() const { return std::isinf(inf()) || std::isinf(sup()); }

bool interval::isEmpty() const { return boost::numeric::empty(b_); }

bool interval::contains(double d) const { return inf() <= d && d <= sup(); }

bool interval::subset(const interval& b) const { return boost::numeric::subset(b_, b.b_); }

bool interval::disjoint(const interval& b) const
{
    return !boost::numeric::overlap(b_, b.b_);
}

interval interval::hull(const interval& b) const
{
    return interval(boost::numeric::hull(b_, b.b_));
}

interval interval::intersect(const interval& b) const
{
    return interval(boost::numeric::intersect(b_, b.b_));
}

int& interval::precision()
{
    static int digits = 3;
    return digits;
}

interval& interval::operator+=(const interval& b) { return *this = *this + b; }
interval& interval::operator-=(const interval& b) { return *this = *this - b; }
interval& interval::operator*=(const interval& b) { return *this = *this * b; }
interval& interval::operator/=(const interval& b) { return *this = *this / b; }

interval operator-(const interval& a) { return interval(-a.raw()); }

interval operator+(const interval& a, const interval& b)
{
    return interval(sum_down(a.inf(), b.inf()), sum_up(a.sup(), b.sup()));
}

interval operator-(const interval& a, const interval& b)
{
    return interval(sum_down(a.inf(), -b.sup()), sum_up(a.sup(), -b.inf()));
}

// The bounds come from the end products that the signs of the operands select
// (both signs mixed: the extreme of two candidates on each side).
interval operator*(const interval& a, const interval& b)
{
    if (a.isEmpty() || b.isEmpty()) return interval::EMPTY();
    const double x0 = a.inf(), x1 = a.sup(), y0 = b.inf(), y1 = b.sup();
    if (x0 >= 0) {
        if (y0 >= 0) return interval(product_down(x0, y0), product_up(x1, y1));
        if (y1 <= 0) return interval(product_down(x1, y0), product_up(x0, y1));
        return interval(product_down(x1, y0), product_up(x1, y1));
    }
    if (x1 <= 0) {
        if (y0 >= 0) return interval(product_down(x0, y1), product_up(x1, y0));
        if (y1 <= 0) return interval(product_down(x1, y1), product_up(x0, y0));
        return interval(product_down(x0, y1), product_up(x0, y0));
    }
    if (y0 >= 0) return interval(product_down(x0, y1), product_up(x1, y1));
    if (y1 <= 0) return interval(product_down(x1, y0), product_up(x0, y0));
    return interval(std::min(product_down(x0, y1), product_down(x1, y0)),
                    std::max(product_up(x0, y0), product_up(x1, y1)));
}

// A divisor holding 0 gives the entire line, except a divisor with 0 at one
// end only and a dividend without 0: a half-line. Boost's own division would
// return the empty set for the divisor [0, 0] and [0, 0] for a zero dividend,
// which the Newton operator must never see as a proof.
interval operator/(const interval& a, const interval& b)
{
    if (a.isEmpty() || b.isEmpty()) return interval::EMPTY();
    const double x0 = a.inf(), x1 = a.sup(), y0 = b.inf(), y1 = b.sup();
    if (b.contains(0.0)) {
        if (a.contains(0.0) || (y0 < 0 && 0 < y1) || b.isPoint()) return interval::ENTIRE();
        // b = [0, y1] or [y0, 0], and a on one side of 0.
        if (y0 == 0) return x0 > 0 ? interval(quotient_down(x0, y1), infinity) : interval(-infinity, quotient_up(x1, y1));
        return x0 > 0 ? interval(-infinity, quotient_up(x0, y0)) : interval(quotient_down(x1, y0), infinity);
    }
    // The bounds come from the end quotients that the signs select.
    if (y0 > 0) {
        if (x0 >= 0) return interval(quotient_down(x0, y1), quotient_up(x1, y0));
        if (x1 <= 0) return interval(quotient_down(x0, y0), quotient_up(x1, y1));
        return interval(quotient_down(x0, y0), quotient_up(x1, y0));
    }
    if (x0 >= 0) return interval(quotient_down(x1, y1), quotient_up(x0, y0));
    if (x1 <= 0) return interval(quotient_down(x1, y0), quotient_up(x0, y1));
    return interval(quotient_down(x1, y1), quotient_up(x0, y1));
}

bool operator==(const interval& a, const interval& b)
{
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
    return a.inf() == b.inf() && a.sup() == b.sup();
}

bool operator!=(const interval& a, const interval& b) { return !(a == b); }

// A negative power of an x holding 0 is 1 / x^-n with the extended division:
// a half-line or the entire line.
interval power(const interval& x, int n)
{
    if (x.isEmpty()) return interval::EMPTY();
    if (n == 0) return interval(1.0);
    if (n == 2) return square(x);
    if (n < 0 && x.contains(0.0)) return interval(1.0) / nonzero_power(x, -static_cast<long>(n));
    return nonzero_power(x, n);
}

interval sqrt(const interval& x)
{
    if (x.isEmpty() || x.sup() < 0) return interval::EMPTY();
    return increasing(mpfr_sqrt, interval(std::max(x.inf(), 0.0), x.sup()));
}

interval exp(const interval& x) { return increasing(mpfr_exp, x); }

// log over the positive part of x; x touching (0, +inf) only at 0 gives the
// limit of log at 0, (-inf, -max double], rather than the empty set.
interval log(const interval& x)
{
    if (x.isEmpty() || x.sup() < 0) return interval::EMPTY();
    const double lo = x.inf() > 0 ? rounded_both(mpfr_log, x.inf()).down : -infinity;
    return interval(lo, rounded_both(mpfr_log, x.sup()).up);
}

interval sin(const interval& x) { return periodic(mpfr_sin, 1, x); }

interval cos(const interval& x) { return periodic(mpfr_cos, 0, x); }

// Increasing between consecutive poles (odd multiples of pi/2): the entire
// line as soon as x holds a pole.
interval tan(const interval& x)
{
    if (x.isEmpty()) return interval::EMPTY();
    if (x.isInfinite()) return interval::ENTIRE();
    const quarter_turns turns = quarter_turns_in(x.inf(), x.sup());
    const bool pole = turns.count >= 2 || (turns.count == 1 && turns.first % 2 == 1);
    if (!turns.known || pole) return interval::ENTIRE();
    return increasing(mpfr_tan, x);
}

interval atan(const interval& x) { return increasing(mpfr_atan, x); }

interval sinh(const interval& x) { return increasing(mpfr_sinh, x); }

// Decreasing on the negatives, increasing on the positives, 1 at 0.
interval cosh(const interval& x)
{
    if (x.isEmpty()) return interval::EMPTY();
    const double a = x.inf(), b = x.sup();
    if (a >= 0) return interval(rounded_both(mpfr_cosh, a).down, rounded_both(mpfr_cosh, b).up);
    if (b <= 0) return interval(rounded_both(mpfr_cosh, b).down, rounded_both(mpfr_cosh, a).up);
    return interval(1.0, rounded_both(mpfr_cosh, std::max(-a, b)).up);
}

std::ostream& operator<<(std::ostream& os, const interval& a)
{
    if (a.isEmpty()) return os << "[ EMPTY ]";
    const double lo = a.inf(), hi = a.sup();
    if (lo == -infinity && hi == infinity) return os << "[ ENTIRE ]";
    if (lo == -infinity && hi == -max_double) return os << "[ -INFTY ]";
    if (lo == max_double && hi == infinity) return os << "[ +INFTY ]";
    const std::ios_base::fmtflags flags = os.flags();
    const std::streamsize digits = os.precision();
    os.unsetf(std::ios_base::floatfield);
    os.precision(interval::precision());
    os << "[";
    write_bound(os, lo);
    os << ", ";
    write_bound(os, hi);
    os << "]";
    os.flags(flags);
    os.precision(digits);
    return os;
}
