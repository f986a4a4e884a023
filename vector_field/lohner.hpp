#pragma once
// High-order validated integration by Lohner's method: Taylor series of the
// flow to order p by Taylor-mode arithmetic, an a priori enclosure by the
// Picard test, the remainder bounded by the order p + 1 coefficient over that
// enclosure, the Jacobian of a step from the variational equation, and the set
// kept in Lohner's representation (lohner_set), re-orthogonalised at every step.

#include "domain.hpp"
#include "taylor_flow.hpp"

#include <optional>
#include <string>
#include <vector>

class vector_field;
struct lohner_set;

/// An enclosure of the flow at a time: t holds the exact time, box every state.
struct timed_box {
    interval t;
    domain box;
};

/// The enclosures of one validated integration, from the start box on.
struct flow_enclosures {
    /// Every box holds the states at its time of every solution started in
    /// the start box; the last is at the horizon when reached is true.
    std::vector<timed_box> boxes;
    bool reached = false;
    /// Why the integration stopped before the horizon ("" when it reached it).
    std::string message;
};

/// Lohner's integrator of one vector field at a fixed Taylor order.
class lohner {
public:
    /// Default order of the Taylor series.
    static constexpr int default_order = 20;
    /// Steps after which an integration gives up on its horizon.
    static constexpr int max_steps = 100000;

    lohner(const vector_field& field, int order = default_order);

    /// Enclosures of the flow from every point of x (a box holding every
    /// state) at the step times from 0 to T, T itself last when reached. A
    /// negative T integrates backward in time.
    flow_enclosures integrate(const domain& x, double T) const;

private:
    struct step;

    /// The step from set toward the signed remaining time, of length at most
    /// |remaining| and a multiple of quantum; nothing when no step of at
    /// least min_step can be validated.
    std::optional<step> advance(const lohner_set& set, double remaining, double quantum, double min_step) const;
    /// Why no step of at least min_step could be validated from set at time t:
    /// the width of the set, when a step validates from its centre alone, or
    /// not even from a point.
    std::string why_no_step(const lohner_set& set, double t, double remaining, double quantum, double min_step) const;
    /// A step length for the Taylor series of the centre, from its last coefficients.
    double suggested_step(const state_series& centre) const;
    /// An enclosure of the flow from X over the times between 0 and h, or an
    /// empty vector when the Picard test fails.
    std::vector<interval> a_priori(const std::vector<interval>& X, double h) const;
    /// The Lagrange remainder h^(p+1) x_(p+1)(E) of every state.
    std::vector<interval> remainder(const std::vector<interval>& E, double h) const;
    /// The Jacobian of the Taylor polynomial of the step with respect to the
    /// start point, over X (row-major).
    std::vector<interval> jacobian(const std::vector<interval>& X, double h) const;
    /// The box of the states with the intervals of x.
    domain box_of(const std::vector<interval>& x) const;

    int order_;
    taylor_flow flow_;
    /// The field with its variational field.
    taylor_flow variational_;
    /// Positions in variational_ of the states and of the entries a_rc (row-major).
    std::vector<int> state_positions_;
    std::vector<int> entry_positions_;
    /// Why the field cannot be integrated ("" when it can).
    std::string problem_;
};
