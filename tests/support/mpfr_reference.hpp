#pragma once
// High-precision reference values for interval tests: a 256-bit MPFR number
// with round-to-nearest arithmetic and the elementary functions of `interval`.
//
// One operation rounded to nearest at 256 bits never crosses a double: if the
// exact value lies between two doubles, so does the reference value. So
// `inside(reference, result)` is an exact containment test for a single
// operation at double arguments, and a safe one for short compositions.

#include "interval.hpp"

#include <mpfr.h>

#include <ostream>

class mpfr_real {
public:
    /// Bits of the numbers this thread makes from now on: 256 unless a
    /// precision_scope says otherwise.
    static mpfr_prec_t& bits()
    {
        thread_local mpfr_prec_t b = 256;
        return b;
    }

    mpfr_real() : mpfr_real(0.0) {}
    explicit mpfr_real(double d)
    {
        mpfr_init2(v_, bits());
        mpfr_set_d(v_, d, MPFR_RNDN);
    }
    /// A copy at r's precision.
    mpfr_real(const mpfr_real& r)
    {
        mpfr_init2(v_, mpfr_get_prec(r.v_));
        mpfr_set(v_, r.v_, MPFR_RNDN);
    }
    mpfr_real& operator=(const mpfr_real& r)
    {
        mpfr_set(v_, r.v_, MPFR_RNDN);
        return *this;
    }
    ~mpfr_real() { mpfr_clear(v_); }

    mpfr_ptr get() { return v_; }
    mpfr_srcptr get() const { return v_; }

    /// The nearest double below (rnd = MPFR_RNDD) or above (MPFR_RNDU).
    double to_double(mpfr_rnd_t rnd = MPFR_RNDN) const { return mpfr_get_d(v_, rnd); }
    bool is_nan() const { return mpfr_nan_p(v_) != 0; }

    /// Applies an MPFR function of one or two arguments, rounded to nearest.
    template <class F, class... Args>
    static mpfr_real apply(F f, const Args&... args)
    {
        mpfr_real r;
        f(r.v_, args.v_..., MPFR_RNDN);
        return r;
    }

private:
    mpfr_t v_;
};

/// Sets the bits of the numbers this thread makes while it lives.
class precision_scope {
public:
    explicit precision_scope(mpfr_prec_t bits) : saved_(mpfr_real::bits()) { mpfr_real::bits() = bits; }
    ~precision_scope() { mpfr_real::bits() = saved_; }
    precision_scope(const precision_scope&) = delete;
    precision_scope& operator=(const precision_scope&) = delete;

private:
    mpfr_prec_t saved_;
};

inline mpfr_real operator+(const mpfr_real& a, const mpfr_real& b) { return mpfr_real::apply(mpfr_add, a, b); }
inline mpfr_real operator-(const mpfr_real& a, const mpfr_real& b) { return mpfr_real::apply(mpfr_sub, a, b); }
inline mpfr_real operator*(const mpfr_real& a, const mpfr_real& b) { return mpfr_real::apply(mpfr_mul, a, b); }
inline mpfr_real operator/(const mpfr_real& a, const mpfr_real& b) { return mpfr_real::apply(mpfr_div, a, b); }
inline mpfr_real operator-(const mpfr_real& a) { return mpfr_real::apply(mpfr_neg, a); }

inline mpfr_real pow(const mpfr_real& a, long n)
{
    mpfr_real r;
    mpfr_pow_si(r.get(), a.get(), n, MPFR_RNDN);
    return r;
}
inline mpfr_real sqrt(const mpfr_real& a) { return mpfr_real::apply(mpfr_sqrt, a); }
inline mpfr_real exp(const mpfr_real& a) { return mpfr_real::apply(mpfr_exp, a); }
inline mpfr_real log(const mpfr_real& a) { return mpfr_real::apply(mpfr_log, a); }
inline mpfr_real sin(const mpfr_real& a) { return mpfr_real::apply(mpfr_sin, a); }
inline mpfr_real cos(const mpfr_real& a) { return mpfr_real::apply(mpfr_cos, a); }
inline mpfr_real tan(const mpfr_real& a) { return mpfr_real::apply(mpfr_tan, a); }
inline mpfr_real atan(const mpfr_real& a) { return mpfr_real::apply(mpfr_atan, a); }
inline mpfr_real sinh(const mpfr_real& a) { return mpfr_real::apply(mpfr_sinh, a); }
inline mpfr_real cosh(const mpfr_real& a) { return mpfr_real::apply(mpfr_cosh, a); }

/// Whether the reference value lies in x (never for NaN or an empty x).
inline bool inside(const mpfr_real& r, const interval& x)
{
    if (r.is_nan() || x.isEmpty()) return false;
    return mpfr_cmp_d(r.get(), x.inf()) >= 0 && mpfr_cmp_d(r.get(), x.sup()) <= 0;
}

inline std::ostream& operator<<(std::ostream& os, const mpfr_real& r)
{
    char text[64];
    mpfr_snprintf(text, sizeof text, "%.20Rg", r.get());
    return os << text;
}
