// Validated integration of x' = F(x): a priori enclosures, second-order Taylor
// steps, fixed-horizon and multi-step drivers, corner following with the
// variational equation, and Euler polygons.

#include "vector_field.hpp"

#include "time_grid.hpp"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <string>
#include <utility>

namespace {

/// Failed inclusion tests after which an a priori enclosure is given up.
constexpr int max_validation_failures = 10;

/// Steps after which a fixed-horizon integration gives up on reaching its horizon.
constexpr int max_steps = 10000;

/// The state variables of the plane fields that monotone_integrate follows.
const std::array<std::string, 2> plane_states = {"x", "y"};

/// Whether every component of the field holds a non-empty, bounded interval in b:
/// an empty interval would claim that no solution exists, and an unbounded a
/// priori enclosure proves nothing about existence over the step.
bool bounded_components(const vector_field& field, const domain& b)
{
    for (const auto& component : field.components) {
        const interval i = b.get(component.first);
        if (i.isEmpty() || !std::isfinite(i.inf()) || !std::isfinite(i.sup()))
            return false;
    }
    return true;
}

/// The box that holds every state: each component over the whole line. It is
/// what an integration returns when it cannot reach its horizon; it encloses
/// the flow at the horizon wherever that flow exists.
domain every_state(const vector_field& field)
{
    domain b;
    for (const auto& component : field.components)
        b[component.first] = interval::ENTIRE();
    return b;
}

/// First step tried toward the remaining time: half the norm bound M of F over
/// the current box, limited to the remaining time. When that half is below the
/// quantum or not a number (F vanishing or tiny over the box), the whole
/// remaining time is tried instead, so that the time still advances.
double trial_step(double M, double remaining, double quantum)
{
    const double length = std::fabs(remaining);
    double h = std::fmin(0.5 * M, length);
    if (!(h >= quantum))
        h = length;
    return std::copysign(quantized(h, quantum), remaining);
}

/// Enclosure of the exact time after i steps of h.
interval elapsed(int i, double h) { return interval(static_cast<double>(i)) * interval(h); }

/// The corners of the box in the plane as point boxes in "x" and "y", in the
/// order (x low, y low), (x high, y low), (x high, y high), (x low, y high).
std::array<domain, 4> plane_corners(const domain& b)
{
    const interval x = b.get("x"), y = b.get("y");
    const auto point = [](double u, double v) {
        return domain{{"x", interval(u)}, {"y", interval(v)}};
    };
    return {point(x.inf(), y.inf()), point(x.sup(), y.inf()), point(x.sup(), y.sup()),
            point(x.inf(), y.sup())};
}

/// The variational entries of Q.P0 (entry "a"+r+c is row r, column c of the
/// sensitivity matrix): the chain rule for a step Q that follows the
/// sensitivity P0 accumulated so far.
domain chained_sensitivity(const domain& Q, const domain& P0)
{
    domain product;
    for (const std::string& r : plane_states)
        for (const std::string& c : plane_states) {
            interval sum;
            for (const std::string& m : plane_states)
                sum += Q.get("a" + r + m) * P0.get("a" + m + c);
            product["a" + r + c] = sum;
        }
    return product;
}

} // namespace

double vector_field::max_norme_f(const domain& b) const
{
    if (components.empty())
        return 0.0;
    auto component = components.begin();
    expression S = component->second.pow(2);
    for (++component; component != components.end(); ++component)
        S = S + component->second.pow(2);
    return std::sqrt(S.Evalue(b).sup());
}

domain vector_field::f0_1(const domain& b, double h) const
{
    // constant_text reads back to h itself: the step inside the expression is
    // exactly the step the caller integrates over.
    const expression H(constant_text(h));
    domain result;
    for (const auto& [v, e] : components)
        result[v] = (expression(v) + H * e).forme_centre(b);
    return result;
}

domain vector_field::f2(const domain& b) const
{
    domain result;
    for (const auto& [a, e_a] : components) {
        expression S("0");
        for (const auto& [c, e_c] : components)
            S = S + e_a.derive(c) * e_c;
        result[a] = S.Evalue(b);
    }
    return result;
}

bool vector_field::validation(const domain& x, double h)
{
    if (!std::isfinite(h))
        return false;
    // [0, h], or [h, 0] for a step backward in time.
    const interval times = hull(interval(0.0), interval(h));
    domain B = x.hull(x + f(x) * interval(h));
    for (int failures = 0; failures < max_validation_failures; ++failures) {
        const domain P = x + f(B) * times;
        if (P.subset(B) && bounded_components(*this, B) && bounded_components(*this, P)) {
            enclosure = B;
            return true;
        }
        B = B.hull(B + f(B) * h);
    }
    return false;
}

domain vector_field::solve_taylor(const domain& x, double h, const domain& B) const
{
    // h^2/2 enclosed, not rounded: the remainder term must cover the exact step.
    const interval c = interval(h) * interval(h) * interval(0.5);
    return f0_1(x, h) + f2(B) * c;
}

// A negative T integrates backward in time. The steps are multiples of the
// time quantum of T, so the time reached is exact and the last step lands on
// T itself. A step is halved (and quantized) while validation fails. Once it
// falls below the quantum (where t + h would equal t; at most about 53
// halvings from the remaining time), or after max_steps steps, T is out of
// reach: the flow is known only up to the time reached, and a box for that
// earlier time would not enclose the flow at T. The box of every state is
// returned instead, the one enclosure that holds at T (it also covers a
// solution that ceases to exist before T).
domain vector_field::integrate(const domain& x, double T)
{
    if (!std::isfinite(T))
        return every_state(*this);
    const double quantum = time_quantum(T);
    double t = 0.0;
    domain X = x;
    for (int step = 0; step == 0 || t != T; ++step) {
        if (step == max_steps)
            return every_state(*this);
        double h = trial_step(max_norme_f(X), T - t, quantum);
        while (!validation(X, h)) {
            h = quantized(h / 2.0, quantum);
            if (h == 0.0)
                return every_state(*this);
        }
        t += h;
        X = solve_taylor(X, h, enclosure);
        if (!bounded_components(*this, X))
            return every_state(*this);
    }
    return X;
}

curve vector_field::integrate(const domain& x, double T, int N)
{
    domain start = x;
    start["t"] = interval(0.0);
    curve result{start};
    const double h = T / N;
    for (int i = 1; i <= N; ++i) {
        domain next = integrate(result.back(), h);
        next["t"] = elapsed(i, h);
        next.out();
        result.push_back(std::move(next));
    }
    return result;
}

// The "x" and "y" intervals are the hull of the corners' trajectories: they
// enclose the flow of the whole box when the flow keeps the image of the box
// within the hull of its corners' images (linear and monotone flows). The
// variational entries enclose the sensitivity matrix over those intervals.
curve vector_field::monotone_integrate(const domain& x, double T, int N)
{
    vector_field G = d().direct_sum(*this);
    G.out();
    domain start = x;
    start["t"] = interval(0.0);
    const domain identity = identite();
    curve result{start.direct_sum(identity)};
    const std::array<domain, 4> corners = plane_corners(start);
    const std::array<curve*, 4> corner_curves = {&corner_curve1, &corner_curve2,
                                                 &corner_curve3, &corner_curve4};
    const double h = T / N;
    for (int k = 0; k < N; ++k) {
        const domain P0 = result.back();
        domain Q = G.integrate(P0.direct_sum(identity), h);
        const double t = (k + 1) * h;
        domain H;
        for (std::size_t i = 0; i < corners.size(); ++i) {
            // At least one sub-step, so that the corners are at time t too.
            const domain corner = integrate(corners[i], t, std::max(k, 1)).back();
            corner_curves[i]->push_back(corner);
            H = i == 0 ? corner : H.hull(corner);
        }
        for (const std::string& v : plane_states)
            Q[v] = H[v];
        Q = Q.direct_sum(chained_sensitivity(Q, P0));
        Q["t"] = elapsed(k + 1, h);
        Q.out();
        result.push_back(std::move(Q));
    }
    return result;
}

domain vector_field::Next_Euler(double h, const domain& x) const { return x + f(x) * h; }

curve vector_field::Phase_Curve_via_Euler(double h, const domain& x, double T) const
{
    curve result{x};
    // A step that does not advance the time would never reach T.
    for (double t = h; h > 0.0 && t <= T; t += h)
        result.push_back(Next_Euler(h, result.back()));
    return result;
}
