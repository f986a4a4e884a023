#pragma once
// Newton verdicts that claim only what they prove, the Newton operators of
// systems restricted to faces, and proved zeros counted once each.

#include "newton.hpp"

#include <iosfwd>
#include <map>
#include <string>
#include <utility>
#include <vector>

/// What a run of Newton iterates proves about the zeros of a system in its starting box.
enum class zero_count { none, one, unknown };

/// Whether the operator may be applied to Y with the mean value argument
/// behind it: Y has unknowns, each bounded and non-empty, and the system and
/// its Jacobian are defined on all of Y.
bool newton_applies(const newton& op, const domain& Y);

/// What the Newton iterates of a box X prove about the zeros of the system in
/// X: N1 = N(X), N2 = N(N1), ..., each applied to the previous result, never
/// intersected with X, and only to boxes on which the system and its Jacobian
/// are defined.
class newton_chain {
public:
    explicit newton_chain(const domain& X) : start_(X), last_(X) {}
    /// Takes the next iterate, the operator's image of last(). Returns whether
    /// the chain may go on: not after an empty or unbounded iterate, from which
    /// nothing more can be proved.
    bool extend(domain N);
    zero_count verdict() const { return verdict_; }
    /// The last iterate (X before any); once the verdict is one, it holds that zero.
    const domain& last() const { return last_; }

private:
    domain start_;
    domain last_;
    zero_count verdict_ = zero_count::unknown;
    bool unique_ = false;   // an iterate was proved to hold exactly one zero
    bool located_ = false;  // and that zero lies in X
};

/// The outcome of newton_iterates.
struct newton_run {
    zero_count verdict = zero_count::unknown;
    /// The last iterate; when the verdict is one, it holds that zero.
    domain last;
};

/// Applies op to X, then to its own last result (never intersected with X), at
/// most `applications` times; stops at the first verdict when stop_at_verdict.
/// Each iterate is written to trace, when given, with domain::out.
newton_run newton_iterates(const newton& op, const domain& X, int applications, bool stop_at_verdict,
                           std::ostream* trace = nullptr);

/// X widened by a quarter of each width on both sides, within limits (in
/// the variables limits has).
domain widened(const domain& X, const domain& limits);

/// A narrow box around the one zero that X is proved to hold: Newton steps
/// intersected with X until they stop shrinking it.
domain tighten(const newton& op, const domain& X);

/// A zero of a system proved to be the only one in `box`, with a narrow
/// enclosure `tight`; both over the unknowns of `op`, the operator of the
/// system restricted to the point values `frozen`.
struct proved_zero {
    domain box;
    domain tight;
    domain frozen;
    const newton* op = nullptr;
};

/// What Newton proves about the zeros of a pair box: none, one (`zero`, proved
/// unique in a box that holds the pair box), or nothing.
struct pair_proof {
    zero_count verdict = zero_count::unknown;
    proved_zero zero;
};

/// The verdict of Newton on the pair box X (its point variables frozen at
/// `frozen`, op the operator of that restriction). A zero on or near a face of
/// X keeps every iterate from nesting inside X; then Newton runs on W, X
/// widened by a quarter of each width within `limits` and with its two points'
/// boxes kept apart (so W holds no pair of one point with itself). X ⊆ W, so
/// no zero in W is none in X, and one zero z in W leaves X at most z: z is the
/// zero of the pair, none when its enclosure misses X.
pair_proof prove_pair(const newton& op, const domain& X, const domain& frozen, const domain& limits,
                      int applications, std::ostream* trace = nullptr);

/// The Newton operators of one system restricted to the faces of boxes: the
/// point variables of a box are frozen at their values, as `equation` does, and
/// the operator of what remains is built once per set of frozen values.
class frozen_systems {
public:
    explicit frozen_systems(Map system);
    /// The unrestricted system.
    const Map& system() const { return system_; }
    /// The operator of the system with the point variables of X frozen; X loses them.
    const newton& restrict_to(domain& X);

private:
    Map system_;
    std::map<std::vector<std::pair<std::string, double>>, newton> operators_;
};

/// The point variables of X (the values a face restriction freezes).
domain frozen_part(const domain& X);

/// X, known to hold a zero of the system of `systems`, narrowed around it:
/// the point variables of X frozen at their values (the zero has those
/// coordinates), tighten on the others, the frozen values put back. X itself
/// where the restriction leaves more equations than unknowns.
domain contract_around_zero(frozen_systems& systems, const domain& X);


/// The proved zeros of one search, each held once.
class distinct_zeros {
public:
    /// symmetric: the system is unchanged when its two points (x1, x2) and
    /// (x3, x4) are exchanged, and a zero and its exchange are one crossing.
    explicit distinct_zeros(bool symmetric) : symmetric_(symmetric) {}
    /// Adds z and returns true when z is proved distinct from every zero held.
    /// Returns false when z is proved to be one of them, and also when neither
    /// is proved: such a z is counted in unresolved() instead of being held.
    bool insert(const proved_zero& z);
    /// How many zeros could be told neither apart from nor equal to one held.
    int unresolved() const { return static_cast<int>(unresolved_.size()); }
    /// Those zeros, in the order they came.
    const std::vector<proved_zero>& unresolved_zeros() const { return unresolved_; }

private:
    /// The held zeros whose boxes may meet the interval I in the first
    /// point's x (x1, or x for a zero of one point).
    std::vector<int> near(const interval& I) const;

    bool symmetric_;
    std::vector<proved_zero> zeros_;
    /// The held zeros by the lower end of their boxes in the first point's x,
    /// and the widest of those boxes there: a box that meets I starts within
    /// that width below I.
    std::multimap<double, int> by_lower_;
    double widest_ = 0.0;
    std::vector<proved_zero> unresolved_;
};
