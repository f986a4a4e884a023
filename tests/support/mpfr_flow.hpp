#pragma once
// Reference trajectories of the Van der Pol field x' = y,
// y' = mu (1 - x^2) y - x, by Taylor series at 256 bits with short fixed
// steps: written here on its own, sharing nothing with the integrators.
//
// At order 40 and steps of at most 1/32 the truncation error of a step is
// below (1/32 / 0.5)^40, about 1e-48, for a radius of convergence above 0.5
// along the orbits tested; the rounding errors are of the order of 1e-70.

#include "mpfr_reference.hpp"

#include <algorithm>
#include <array>
#include <vector>

using reference_point = std::array<mpfr_real, 2>;

class van_der_pol_reference {
public:
    explicit van_der_pol_reference(double mu) : mu_(mu) {}

    /// The state at each of the increasing times (from 0), started at (x0, y0).
    std::vector<reference_point> trajectory(double x0, double y0, const std::vector<mpfr_real>& times) const
    {
        reference_point p = {mpfr_real(x0), mpfr_real(y0)};
        mpfr_real t(0.0);
        std::vector<reference_point> states;
        for (const mpfr_real& target : times) {
            while (mpfr_cmp(t.get(), target.get()) < 0) {
                mpfr_real h = target - t;
                if (mpfr_cmp_d(h.get(), longest_step) > 0) h = mpfr_real(longest_step);
                p = step(p, h);
                t = t + h;
            }
            states.push_back(p);
        }
        return states;
    }

private:
    static constexpr int order = 40;
    static constexpr double longest_step = 1.0 / 32;

    /// The Taylor polynomial of the solution through p, summed at h.
    reference_point step(const reference_point& p, const mpfr_real& h) const
    {
        std::vector<mpfr_real> x(order + 1), y(order + 1), square(order + 1);
        x[0] = p[0];
        y[0] = p[1];
        for (int k = 0; k < order; ++k) {
            // square = x^2, then (x^2 y)_k, to order k.
            mpfr_real s, cubic;
            for (int j = 0; j <= k; ++j) s = s + x[j] * x[k - j];
            square[k] = s;
            for (int j = 0; j <= k; ++j) cubic = cubic + square[j] * y[k - j];
            const mpfr_real next(k + 1.0);
            x[k + 1] = y[k] / next;
            y[k + 1] = (mpfr_real(mu_) * (y[k] - cubic) - x[k]) / next;
        }
        reference_point q = {x[order], y[order]};
        for (int k = order - 1; k >= 0; --k) {
            q[0] = q[0] * h + x[k];
            q[1] = q[1] * h + y[k];
        }
        return q;
    }

    double mu_;
};
