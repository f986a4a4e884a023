// Newton verdicts, face restrictions and distinct zeros.
//
// The operator N(Y) = c − J(Y)⁻¹·f(c) holds every zero of the system in Y, and
// N(Y) ⊆ Y proves that Y holds exactly one zero. The searches apply N to a box
// X and then to its own result: N1 = N(X), N2 = N(N1), ... Every zero of X lies
// in every Nk, so
// - some Nk disjoint from X proves that X holds no zero;
// - some Nj ⊆ Nj−1 (with N0 = X) proves that Nj−1 holds exactly one zero z,
//   which lies in every later iterate; X holds at most that one, and holds it
//   when some Nm ⊆ X with m ≥ j − 1.
// An iterate Nk ⊆ X alone proves nothing once k ≥ 2: Nk need not be nested in
// the box the operator was applied to. Verdicts are drawn only from bounded,
// non-empty iterates of boxes on which the system and its Jacobian are
// defined; after any other box the run concludes nothing more.

#include "newton_proof.hpp"

#include "pair_search.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <limits>

namespace {

/// Newton steps of tighten at most; the steps converge quadratically, so a
/// regular zero is enclosed to the last bits long before.
constexpr int tightening_steps = 40;

/// Newton applications when proving that one zero lies in two enclosures.
constexpr int common_zero_applications = 6;

/// Least margin around two enclosures given to the common-zero test.
constexpr double common_zero_margin = 1e-9;

/// Units in the last place of a box's largest bound below which a Newton
/// step's moves are rounding noise.
constexpr double noise_ulps = 4.0;

/// Whether next moves no bound of T by more than rounding noise at the scale
/// of T's largest bound. Near a zero whose coordinates differ widely in
/// magnitude, the small coordinate's bounds keep creeping by amounts far
/// below that noise for dozens of steps, changing nothing that matters.
bool only_noise(const domain& T, const domain& next)
{
    double largest = 0.0;
    for (const auto& entry : T) largest = std::max(largest, entry.second.mag());
    const double noise = noise_ulps * std::numeric_limits<double>::epsilon() * largest;
    return std::all_of(T.begin(), T.end(), [&](const auto& entry) {
        const interval& before = entry.second;
        const interval after = next.get(entry.first);
        return after.inf() - before.inf() <= noise && before.sup() - after.sup() <= noise;
    });
}

enum class sameness { same, distinct, unknown };

/// Whether Newton proves a box around both tight enclosures to hold a single
/// zero: then the two zeros are one. Only for zeros of one restricted system.
bool one_zero_in_both(const proved_zero& a, const proved_zero& b)
{
    if (a.op == nullptr || a.op != b.op || !(a.frozen == b.frozen)) return false;
    const domain both = a.tight.hull(b.tight);
    const domain around = both.inflate(std::max(both.width(), common_zero_margin));
    return newton_iterates(*a.op, around, common_zero_applications, true).verdict == zero_count::one;
}

/// Whether a and b are one zero. Each is the only zero of its box, so a tight
/// enclosure of one inside the box of the other makes them one; disjoint tight
/// enclosures make them two. Boxes are compared with their frozen values, so
/// zeros of different face restrictions are compared too.
sameness compare(const proved_zero& a, const proved_zero& b)
{
    const domain a_tight = a.tight.direct_sum(a.frozen);
    const domain b_tight = b.tight.direct_sum(b.frozen);
    if (a_tight.subset(b.box.direct_sum(b.frozen)) || b_tight.subset(a.box.direct_sum(a.frozen))) {
        return sameness::same;
    }
    if (a_tight.disjoint(b_tight)) return sameness::distinct;
    return one_zero_in_both(a, b) ? sameness::same : sameness::unknown;
}

/// z with its two points exchanged.
proved_zero exchanged(const proved_zero& z)
{
    return {swap_points(z.box), swap_points(z.tight), swap_points(z.frozen), z.op};
}

}  // namespace

bool newton_applies(const newton& op, const domain& Y)
{
    return !Y.empty() && bounded_over(Y, Y) && op.defined_on(Y);
}

bool newton_chain::extend(domain N)
{
    if (!bounded_over(N, start_)) {
        last_ = std::move(N);
        return false;
    }
    if (verdict_ == zero_count::unknown) {
        if (N.disjoint(start_)) {
            verdict_ = zero_count::none;
        } else {
            if (!unique_ && N.subset(last_)) {
                unique_ = true;
                located_ = last_.subset(start_);
            }
            located_ = located_ || (unique_ && N.subset(start_));
            if (unique_ && located_) verdict_ = zero_count::one;
        }
    }
    last_ = std::move(N);
    return true;
}

newton_run newton_iterates(const newton& op, const domain& X, int applications, bool stop_at_verdict,
                           std::ostream* trace)
{
    newton_chain chain(X);
    // The operator is applied only to boxes where its mean value argument holds.
    for (int step = 0; step < applications && newton_applies(op, chain.last()); ++step) {
        domain N = op.operator_newton(chain.last());
        if (trace != nullptr) N.out(*trace);
        if (!chain.extend(std::move(N))) break;
        if (stop_at_verdict && chain.verdict() != zero_count::unknown) break;
    }
    return {chain.verdict(), chain.last()};
}

domain tighten(const newton& op, const domain& X)
{
    domain T = X;
    for (int step = 0; step < tightening_steps && newton_applies(op, T); ++step) {
        const domain N = op.operator_newton(T);
        if (!bounded_over(N, T)) break;
        domain next = T.intersect(N);
        if (!bounded_over(next, T) || only_noise(T, next)) break;
        T = std::move(next);
    }
    return T;
}

domain widened(const domain& X, const domain& limits)
{
    domain W = X;
    for (auto& [v, I] : W) {
        const double margin = I.width() / 4;
        interval wide(I.inf() - margin, I.sup() + margin);
        if (limits.count(v) != 0) wide = wide.intersect(limits.get(v));
        I = wide;
    }
    return W;
}

pair_proof prove_pair(const newton& op, const domain& X, const domain& frozen, const domain& limits,
                      int applications, std::ostream* trace)
{
    const newton_run run = newton_iterates(op, X, applications, true, trace);
    if (run.verdict == zero_count::none) return {zero_count::none, {}};
    // The zero lies in X and in every later iterate: its enclosure stays in X.
    if (run.verdict == zero_count::one) return {zero_count::one, {X, tighten(op, run.last).intersect(X), frozen, &op}};
    // Only iterates that contract onto a small box across a face of X point
    // at such a zero; others would decide nothing on W either.
    if (!bounded_over(run.last, X) || run.last.disjoint(X) || !(run.last.width() < X.width() / 2)) return {};
    const domain W = widened(X, limits);
    const std::pair<domain, domain> points = split_pair_box(W.direct_sum(frozen));
    if (!bounded_over(W, X) || !points.first.disjoint(points.second)) return {};
    const newton_run wide = newton_iterates(op, W, applications, true);
    if (wide.verdict == zero_count::none) return {zero_count::none, {}};
    if (wide.verdict != zero_count::one) return {};
    domain tight = tighten(op, wide.last).intersect(W);
    if (tight.disjoint(X)) return {zero_count::none, {}};
    return {zero_count::one, {W, std::move(tight), frozen, &op}};
}

frozen_systems::frozen_systems(Map system) : system_(std::move(system)) {}

const newton& frozen_systems::restrict_to(domain& X)
{
    std::vector<std::pair<std::string, double>> values;
    for (const auto& [v, I] : X) {
        if (I.isPoint()) values.emplace_back(v, I.inf());
    }
    auto found = operators_.find(values);
    if (found == operators_.end()) {
        Map restricted = system_;
        domain unknowns = X;
        equation(restricted, unknowns);
        // The unknowns are exactly the box's free variables, so the Jacobian
        // stays square even where a component lacks one of them.
        restricted.variables.clear();
        for (const auto& entry : unknowns) restricted.variables.insert(entry.first);
        found = operators_.emplace(values, newton(restricted)).first;
    }
    for (const auto& entry : values) X.erase(entry.first);
    return found->second;
}

domain frozen_part(const domain& X)
{
    domain points;
    for (const auto& [v, I] : X) {
        if (I.isPoint()) points[v] = I;
    }
    return points;
}

domain contract_around_zero(frozen_systems& systems, const domain& X)
{
    domain unknowns = X;
    const domain frozen = frozen_part(X);
    const newton& op = systems.restrict_to(unknowns);
    // A zero whose coordinates are all points is as narrow as it gets, and a
    // system with fewer unknowns than equations has no Newton operator.
    if (unknowns.empty() || op.jacobian.rows.size() != op.jacobian.columns.size()) return X;
    return tighten(op, unknowns).direct_sum(frozen);
}

namespace {

/// The x interval of one point of z's box, its frozen values included: the
/// first point's (x1, or x for a zero of one point) or the second's (x3).
interval point_x(const proved_zero& z, bool second)
{
    const domain full = z.box.direct_sum(z.frozen);
    if (second) return full.get("x3");
    return full.count("x1") != 0 ? full.get("x1") : full.get("x");
}

}  // namespace

std::vector<int> distinct_zeros::near(const interval& I) const
{
    std::vector<int> found;
    for (auto it = by_lower_.lower_bound(I.inf() - widest_); it != by_lower_.end() && it->first <= I.sup(); ++it)
        found.push_back(it->second);
    return found;
}

bool distinct_zeros::insert(const proved_zero& z)
{
    // A held zero whose box misses z's box in the first point's x has a tight
    // enclosure apart from z's: compare would find them distinct. With the
    // points exchanged, the same holds of the held zero's first point and
    // z's second. Only the zeros near z in either way are compared.
    std::vector<int> candidates = near(point_x(z, false));
    if (symmetric_) {
        const std::vector<int> exchanged_near = near(point_x(z, true));
        candidates.insert(candidates.end(), exchanged_near.begin(), exchanged_near.end());
        std::sort(candidates.begin(), candidates.end());
        candidates.erase(std::unique(candidates.begin(), candidates.end()), candidates.end());
    }
    bool undecided = false;
    for (const int k : candidates) {
        const proved_zero& held = zeros_[k];
        sameness s = compare(z, held);
        if (symmetric_ && s != sameness::same) {
            const sameness t = compare(z, exchanged(held));
            if (t == sameness::same) {
                s = sameness::same;
            } else if (t == sameness::unknown) {
                s = sameness::unknown;
            }
        }
        if (s == sameness::same) return false;
        undecided = undecided || s == sameness::unknown;
    }
    if (undecided) {
        unresolved_.push_back(z);
        return false;
    }
    const interval x = point_x(z, false);
    by_lower_.emplace(x.inf(), static_cast<int>(zeros_.size()));
    widest_ = std::max(widest_, x.width());
    zeros_.push_back(z);
    return true;
}
