// Lohner's method: step control, a priori enclosures, remainders and the
// Jacobian of a step, and the integration loop.

#include "lohner.hpp"

#include "lohner_set.hpp"
#include "time_grid.hpp"
#include "vector_field.hpp"

#include <algorithm>
#include <cmath>
#include <limits>
#include <sstream>

namespace {

/// Truncation error aimed at by the step length, relative to the size of the state.
constexpr double step_tolerance = 1e-16;
/// Largest remainder a step accepts, relative to the size of the state.
constexpr double remainder_tolerance = 1e-12;
/// Widening of a trial a priori enclosure between Picard tests, relative to its width.
constexpr double inflation = 0.1;
/// Picard tests made for one step length before it is halved.
constexpr int picard_tests = 8;
/// Shortest step, relative to the horizon (at least 1): a solution that needs
/// shorter steps is taken to be blowing up.
constexpr double shortest_step = 1e-12;

bool bounded(const std::vector<interval>& v)
{
    return std::all_of(v.begin(), v.end(), [](const interval& i) {
        return !i.isEmpty() && std::isfinite(i.inf()) && std::isfinite(i.sup());
    });
}

bool subset(const std::vector<interval>& a, const std::vector<interval>& b)
{
    for (std::size_t i = 0; i < a.size(); ++i)
        if (!a[i].subset(b[i])) return false;
    return true;
}

/// Largest magnitude over the components.
double magnitude(const std::vector<interval>& v)
{
    double m = 0.0;
    for (const interval& i : v) m = std::max(m, i.mag());
    return m;
}

/// sum of c_k h^k, by Horner's scheme.
interval polynomial_at(const std::vector<interval>& c, const interval& h)
{
    interval s = c.back();
    for (std::size_t k = c.size() - 1; k-- > 0;) s = s * h + c[k];
    return s;
}

/// x + times * v, per component.
std::vector<interval> moved(const std::vector<interval>& x, const interval& times, const std::vector<interval>& v)
{
    std::vector<interval> y(x.size());
    for (std::size_t i = 0; i < x.size(); ++i) y[i] = x[i] + times * v[i];
    return y;
}

/// Each interval widened by a part of its width, and by a little more so that a point widens too.
std::vector<interval> inflated(std::vector<interval> E)
{
    for (interval& e : E) {
        const double w = (interval(inflation) * interval(e.diam()) + interval(1e-15) * interval(1.0 + e.mag())).sup();
        e += interval(-w, w);
    }
    return E;
}

std::string number_text(double d)
{
    std::ostringstream os;
    os.precision(15);
    os << d;
    return os.str();
}

/// d to three significant digits, for a size.
std::string short_number_text(double d)
{
    std::ostringstream os;
    os.precision(3);
    os << d;
    return os.str();
}

} // namespace

/// One validated step: its signed length, the set after it, and a box holding that set.
struct lohner::step {
    double h;
    lohner_set set;
    std::vector<interval> box;
};

// The variational field is derived only from a field that has an expansion.
lohner::lohner(const vector_field& field, int order)
    : order_(order), flow_(field),
      variational_(flow_.problem().empty() ? field.d().direct_sum(field) : vector_field())
{
    const int n = flow_.dimension();
    for (const std::string& name : flow_.states()) state_positions_.push_back(variational_.position(name));
    for (const std::string& row : flow_.states())
        for (const std::string& column : flow_.states())
            entry_positions_.push_back(variational_.position("a" + row + column));
    const auto all_found = [](const std::vector<int>& p) { return std::find(p.begin(), p.end(), -1) == p.end(); };
    const bool named_apart =
        variational_.dimension() == n + n * n && all_found(state_positions_) && all_found(entry_positions_);
    if (n == 0) problem_ = "the field has no components";
    else if (order < 1) problem_ = "the Taylor order " + std::to_string(order) + " is below 1";
    else if (!flow_.problem().empty()) problem_ = flow_.problem();
    else if (!named_apart)
        problem_ = "a state is named like an entry of the variational matrix (a and two state names)";
    else problem_ = variational_.problem();
}

double lohner::suggested_step(const state_series& centre) const
{
    double scale = 1.0;
    for (const std::vector<interval>& c : centre) scale = std::max(scale, 1.0 + c[0].mag());
    // The last two terms estimate what the series leaves out; the term of
    // order 1 is no such estimate (it would ask for steps of 1e-16 of the
    // time scale), so at orders below 3 only the terms from order 2 count.
    double h = std::numeric_limits<double>::infinity();
    for (int k = std::max(order_ - 1, 2); k <= order_; ++k)
        for (const std::vector<interval>& c : centre) {
            const double a = c[k].mag();
            if (a > 0.0) h = std::min(h, std::pow(step_tolerance * scale / a, 1.0 / k));
        }
    return h;
}

// Picard's test: when X + [0, h] F(E) lies in E, every solution from X exists
// over [0, h] and stays in E (the Picard operator maps the curves in E into
// themselves), so it also stays in X + [0, h] F(E), which is returned.
std::vector<interval> lohner::a_priori(const std::vector<interval>& X, double h) const
{
    const interval times = hull(interval(0.0), interval(h));
    const auto field_over = [this](const std::vector<interval>& B) {
        const state_series s = flow_.series(B, 1);
        std::vector<interval> F;
        for (const std::vector<interval>& c : s) F.push_back(c[1]);
        return F;
    };
    std::vector<interval> E = moved(X, times, field_over(X));
    for (int test = 0; test < picard_tests && bounded(E); ++test) {
        E = inflated(E);
        const std::vector<interval> P = moved(X, times, field_over(E));
        if (bounded(P) && subset(P, E)) return P;
        for (std::size_t i = 0; i < E.size(); ++i) E[i] = E[i].hull(P[i]);
    }
    return {};
}

// Lagrange's form per component: x(h) - sum_{k <= p} x_k h^k = x_{p+1}(s) h^(p+1)
// for some s in [0, h], and x_{p+1}(s) is coefficient p + 1 of the solution
// through x(s), a point of the a priori enclosure E (the field is autonomous).
std::vector<interval> lohner::remainder(const std::vector<interval>& E, double h) const
{
    const state_series s = flow_.series(E, order_ + 1);
    const interval factor = power(interval(h), order_ + 1);
    std::vector<interval> R;
    for (const std::vector<interval>& c : s) R.push_back(c[order_ + 1] * factor);
    return R;
}

// Coefficient k of the variational solution V (V' = DF V, V(0) = I) is the
// derivative of coefficient k of x with respect to x(0): summed over k with
// h^k it is the derivative of the Taylor polynomial of the step.
std::vector<interval> lohner::jacobian(const std::vector<interval>& X, double h) const
{
    const int n = flow_.dimension();
    std::vector<interval> start(variational_.dimension(), interval(0.0));
    for (int i = 0; i < n; ++i) start[state_positions_[i]] = X[i];
    for (int e = 0; e < n * n; ++e) start[entry_positions_[e]] = interval(e % (n + 1) == 0 ? 1.0 : 0.0);
    const state_series s = variational_.series(start, order_);
    std::vector<interval> J;
    for (int e = 0; e < n * n; ++e) J.push_back(polynomial_at(s[entry_positions_[e]], interval(h)));
    return J;
}

// The step encloses, for every x = c + C r0 + A r of the set, the flow
// phi(h, x) = P(x) + R(x), with P the Taylor polynomial of the step and R(x)
// in the remainder over the a priori enclosure. By the mean value theorem P(x)
// lies in P(c) + J (x - c) = P(c) + J (C r0 + A r), J enclosing DP over the
// hull of the set (which holds c: r0 and r hold 0).
std::optional<lohner::step> lohner::advance(const lohner_set& set, double remaining, double quantum,
                                            double min_step) const
{
    const int n = set.dimension();
    const std::vector<interval> X = set.hull();
    const state_series centre = flow_.series(points(set.centre), order_);
    const double scale = 1.0 + magnitude(X);
    const double shortest = std::min(min_step, std::fabs(remaining));
    double h = quantized(std::min(suggested_step(centre), std::fabs(remaining)), quantum);
    std::vector<interval> R;
    for (;; h = quantized(h / 2.0, quantum)) {
        if (!(h >= shortest)) return std::nullopt;
        const std::vector<interval> E = a_priori(X, std::copysign(h, remaining));
        if (E.empty()) continue;
        R = remainder(E, std::copysign(h, remaining));
        if (bounded(R) && magnitude(R) <= remainder_tolerance * scale) break;
    }
    h = std::copysign(h, remaining);
    std::vector<interval> y(n);
    for (int i = 0; i < n; ++i) y[i] = polynomial_at(centre[i], interval(h)) + R[i];
    const std::vector<interval> J = jacobian(X, h);
    step s{h, set.image(y, J), {}};
    // Two enclosures of the same states: the new set's hull, and the image before rounding into the new set.
    s.box = s.set.hull();
    const std::vector<interval> direct = set.image_hull(y, J);
    for (int i = 0; i < n; ++i) s.box[i] = s.box[i].intersect(direct[i]);
    if (!bounded(s.box) || !bounded(s.set.r)) return std::nullopt;
    return s;
}

// A step that validates from the centre of the set alone fails from the set
// for its width: the remainder and the a priori enclosure over a wide set
// grow with it. A step that fails from a single point too is what a solution
// leaving every bounded set near this time would cause, though a point may
// fail for other reasons: the blow-up is not proved, only suspected.
std::string lohner::why_no_step(const lohner_set& set, double t, double remaining, double quantum,
                                double min_step) const
{
    if (advance(lohner_set::of_box(points(set.centre)), remaining, quantum, min_step)) {
        double width = 0.0;
        for (const interval& x : set.hull()) width = std::max(width, x.diam());
        return "the enclosure became too wide to validate a step (width " + short_number_text(width) + " at t = "
               + number_text(t) + ")";
    }
    return "no step of at least " + number_text(min_step)
           + " could be validated even from a single point of the enclosure (the solution may blow up near this time)";
}

domain lohner::box_of(const std::vector<interval>& x) const
{
    domain b;
    for (int i = 0; i < flow_.dimension(); ++i) b[flow_.states()[i]] = x[i];
    return b;
}

flow_enclosures lohner::integrate(const domain& x, double T) const
{
    flow_enclosures result;
    std::vector<interval> start;
    for (const std::string& name : flow_.states()) start.push_back(x.get(name));
    if (!problem_.empty()) result.message = problem_;
    else if (!std::isfinite(T)) result.message = "the horizon is not a finite number";
    else if (!bounded(start)) result.message = "the start box is empty or unbounded";
    if (!result.message.empty()) return result;

    lohner_set set = lohner_set::of_box(start);
    result.boxes.push_back({interval(0.0), box_of(start)});
    const double quantum = time_quantum(T);
    const double min_step = std::max(quantum, shortest_step * std::max(1.0, std::fabs(T)));
    // The steps are multiples of the quantum of T: t is exact and lands on T.
    double t = 0.0;
    for (int steps = 0; t != T; ++steps) {
        std::optional<step> s;
        if (steps < max_steps) s = advance(set, T - t, quantum, min_step);
        if (!s) {
            const std::string why = steps < max_steps ? why_no_step(set, t, T - t, quantum, min_step)
                                                      : std::to_string(max_steps) + " steps did not reach it";
            result.message = "stopped at t = " + number_text(t) + " before the horizon " + number_text(T) + ": " + why;
            return result;
        }
        t += s->h;
        set = std::move(s->set);
        result.boxes.push_back({interval(t), box_of(s->box)});
    }
    result.reached = true;
    return result;
}

flow_enclosures vector_field::validated_flow(const domain& x, double T, int order) const
{
    return lohner(*this, order).integrate(x, T);
}
