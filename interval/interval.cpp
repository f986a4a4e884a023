// Interval arithmetic: + - * with directed rounding obtained from error-free
// transformations, Boost.Interval for storage, comparisons and the division of
// divisors without 0, our own extended division, and MPFR for the elementary
// functions.
//
// Representation invariant: the lower bound is never +inf and the upper bound
// never -inf (an infinite point is stored as [max double, +inf] or
// [-inf, -max double]). Sums then never meet inf - inf, and products treat
// 0 times infinity as 0, so no bound ever becomes NaN except for the empty set.

#include "interval.hpp"

#include <mpfr.h>

#include <algorithm>
#include <cmath>
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

double down(mpfr_function f, double x) { return rounded(f, x, MPFR_RNDD); }
double up(mpfr_function f, double x) { return rounded(f, x, MPFR_RNDU); }

// x^n rounded in direction rnd.
double power_rounded(double x, long n, mpfr_rnd_t rnd)
{
    mpfr_workspace& w = workspace();
    mpfr_set_d(w.arg, x, MPFR_RNDN);
    mpfr_pow_si(w.value, w.arg, n, rnd);
    return mpfr_get_d(w.value, rnd);
}

// Image of x under an increasing function.
interval increasing(mpfr_function f, const interval& x)
{
    if (x.isEmpty()) return interval::EMPTY();
    return interval(down(f, x.inf()), up(f, x.sup()));
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

quarter_turns quarter_turns_in(double a, double b)
{
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
    double lo = std::min(down(f, a), down(f, b));
    double hi = std::max(up(f, a), up(f, b));
    for (long k = turns.first; k < turns.first + turns.count; ++k) {
        if (k % 4 == top) hi = 1.0;
        if (k % 4 == (top + 2) % 4) lo = -1.0;
    }
    return interval(lo, hi);
}

// x^n for n != 0, where x excludes 0 when n < 0: t^n is then monotone on x,
// except for an even positive n over an x holding 0 (minimum 0 at 0).
interval nonzero_power(const interval& x, long n)
{
    const double a = x.inf(), b = x.sup();
    const bool odd = n % 2 != 0;
    if (n > 0 && !odd && a < 0 && b > 0)
        return interval(0.0, power_rounded(std::max(-a, b), n, MPFR_RNDU));
    // Increasing: odd positive n; even positive n on the positives; even
    // negative n on the negatives.
    const bool increasing = n > 0 ? (odd || a >= 0) : (!odd && b < 0);
    if (increasing) return interval(power_rounded(a, n, MPFR_RNDD), power_rounded(b, n, MPFR_RNDU));
    return interval(power_rounded(b, n, MPFR_RNDD), power_rounded(a, n, MPFR_RNDU));
}

// Directed rounding without switching the rounding mode: the sum or product is
// rounded to nearest, and an error-free transformation gives the sign of the
// rounding error, which says whether the neighbouring double is the bound.
// Switching the mode costs far more than these few operations.

double next_up(double x) { return std::nextafter(x, infinity); }
double next_down(double x) { return std::nextafter(x, -infinity); }

// Sign of a + b - s for s = fl(a + b), by the TwoSum transformation (exact for
// finite a, b and s); 0 when s is exact.
double sum_error(double a, double b, double s)
{
    const double bb = s - a;
    return (a - (s - bb)) + (b - bb);
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

// x^2 by one directed product per bound: squares are frequent in the
// analysed expressions, and this is much cheaper than the general power.
interval square(const interval& x)
{
    const double a = x.inf(), b = x.sup();
    if (a >= 0) return interval(product_down(a, a), product_up(b, b));
    if (b <= 0) return interval(product_down(b, b), product_up(a, a));
    return interval(0.0, std::max(product_up(a, a), product_up(b, b)));
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
    return boost::numeric::width(b_);
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

// Boost's division handles divisors without 0 and half-lines for a divisor
// with 0 at one end; it returns the empty set for the divisor [0, 0] and [0, 0]
// for a zero dividend, which the Newton operator must never see as a proof.
interval operator/(const interval& a, const interval& b)
{
    if (a.isEmpty() || b.isEmpty()) return interval::EMPTY();
    if (b.contains(0.0)) {
        const bool zero_interior = b.inf() < 0 && 0 < b.sup();
        if (a.contains(0.0) || zero_interior || b.isPoint()) return interval::ENTIRE();
    }
    return interval(a.raw() / b.raw());
}

bool operator==(const interval& a, const interval& b)
{
    if (a.isEmpty() || b.isEmpty()) return a.isEmpty() && b.isEmpty();
    return a.inf() == b.inf() && a.sup() == b.sup();
}

bool operator!=(const interval& a, const interval& b) { return !(a == b); }

// A negative power of an x holding 0 is 1 / x^-n with the extended division.
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
    const double lo = x.inf() > 0 ? down(mpfr_log, x.inf()) : -infinity;
    return interval(lo, up(mpfr_log, x.sup()));
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
    if (a >= 0) return interval(down(mpfr_cosh, a), up(mpfr_cosh, b));
    if (b <= 0) return interval(down(mpfr_cosh, b), up(mpfr_cosh, a));
    return interval(1.0, up(mpfr_cosh, std::max(-a, b)));
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
