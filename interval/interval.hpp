#pragma once
// Closed intervals over double with guaranteed enclosures.
//
// This header is the only place where the interval backend (Boost.Interval for
// the arithmetic, MPFR for the elementary functions, in interval.cpp) is seen:
// the rest of plisse uses `interval` and the free functions below.

#include <boost/numeric/interval.hpp>

#include <cmath>
#include <cstdint>
#include <cstring>
#include <iosfwd>
#include <limits>

class interval {
public:
    using backend = boost::numeric::interval<
        double,
        boost::numeric::interval_lib::policies<
            boost::numeric::interval_lib::save_state<
                boost::numeric::interval_lib::rounded_arith_opp<double>>,
            boost::numeric::interval_lib::checking_base<double>>>;

    /// The point [0, 0].
    interval();
    /// The point [d, d]; an infinite d gives [max double, +inf] or
    /// [-inf, -max double], so that no bound is ever an infinity of the wrong side.
    interval(double d);
    /// [lo, hi]; lo > hi or a NaN bound gives the empty interval; a lower bound
    /// +inf becomes max double and an upper bound -inf becomes -max double.
    interval(double lo, double hi);

    /// The whole real line (-inf, +inf).
    static interval ENTIRE();
    /// The empty set.
    static interval EMPTY();

    double inf() const { return b_.lower(); }
    double sup() const { return b_.upper(); }
    /// 0.5*inf + 0.5*sup; the point itself for a point, 0 for bounds of equal
    /// magnitude. Unbounded: the point of the interval nearest to 0 (0 for the
    /// entire line). NaN for the empty interval, as are diam, width, mag, mig.
    double mid() const;
    /// sup - inf rounded upward (+inf for an unbounded interval).
    double diam() const;
    /// Same as diam().
    double width() const;
    /// Largest absolute value in the interval.
    double mag() const;
    /// Smallest absolute value in the interval (0 when it contains 0).
    double mig() const;

    bool isPoint() const;
    bool isInfinite() const;
    bool isEmpty() const;
    /// Whether the real d lies in the interval.
    bool contains(double d) const;
    /// Whether this interval is a subset of b (the empty set is a subset of everything).
    bool subset(const interval& b) const;
    /// Whether this interval and b have no common point.
    bool disjoint(const interval& b) const;
    /// Smallest interval holding both.
    interval hull(const interval& b) const;
    /// Common part (empty when disjoint).
    interval intersect(const interval& b) const;

    /// Significant digits used by operator<< (3 by default).
    static int& precision();

    const backend& raw() const { return b_; }
    explicit interval(const backend& b) : b_(b) {}

    interval& operator+=(const interval& b);
    interval& operator-=(const interval& b);
    interval& operator*=(const interval& b);
    interval& operator/=(const interval& b);

private:
    backend b_;
};

interval operator-(const interval& a);
interval operator+(const interval& a, const interval& b);
interval operator-(const interval& a, const interval& b);
interval operator*(const interval& a, const interval& b);
/// Extended division: a divisor holding 0 gives the entire line or a half-line,
/// never the empty set (the empty set only for an empty operand).
interval operator/(const interval& a, const interval& b);

/// Same bounds (two empty intervals are equal).
bool operator==(const interval& a, const interval& b);
bool operator!=(const interval& a, const interval& b);

inline double inf(const interval& a) { return a.inf(); }
inline double sup(const interval& a) { return a.sup(); }
inline double mid(const interval& a) { return a.mid(); }
inline double diam(const interval& a) { return a.diam(); }
inline double mag(const interval& a) { return a.mag(); }
inline double mig(const interval& a) { return a.mig(); }
inline interval hull(const interval& a, const interval& b) { return a.hull(b); }
inline interval intersect(const interval& a, const interval& b) { return a.intersect(b); }
inline bool disjoint(const interval& a, const interval& b) { return a.disjoint(b); }
/// a is a subset of b.
inline bool subset(const interval& a, const interval& b) { return a.subset(b); }
inline bool in(double d, const interval& a) { return a.contains(d); }

/// The smallest double above x, by a step of its bit pattern (the magnitude
/// of a double grows with its pattern read as an integer; std::nextafter is a
/// far slower library call). NaN stays NaN, and +inf stays +inf.
inline double next_up(double x)
{
    if (std::isnan(x) || x == std::numeric_limits<double>::infinity()) return x;
    if (x == 0) return std::numeric_limits<double>::denorm_min();
    std::uint64_t bits;
    std::memcpy(&bits, &x, sizeof bits);
    bits = x > 0 ? bits + 1 : bits - 1;
    std::memcpy(&x, &bits, sizeof bits);
    return x;
}

/// The largest double below x (-inf stays -inf).
inline double next_down(double x) { return -next_up(-x); }

/// x^n for an integer n; x^0 = [1, 1]; negative n: 1 / x^-n with the
/// extended division when x holds 0, so power([0, 0], -1) is the entire line.
interval power(const interval& x, int n);
/// sqrt and log enclose the function on the part of x inside their domain;
/// x wholly outside gives the empty interval, except that log of an x whose
/// only point in [0, +inf) is 0 gives (-inf, -max double], the limit at 0.
interval sqrt(const interval& x);
interval exp(const interval& x);
interval log(const interval& x);
interval sin(const interval& x);
interval cos(const interval& x);
/// The entire line when x holds a pole.
interval tan(const interval& x);
interval atan(const interval& x);
interval sinh(const interval& x);
interval cosh(const interval& x);

/// "[lo, hi]" at interval::precision() digits, or "[ EMPTY ]", "[ ENTIRE ]",
/// "[ -INFTY ]", "[ +INFTY ]"; the stream's own precision is restored.
std::ostream& operator<<(std::ostream& os, const interval& a);
