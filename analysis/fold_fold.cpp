// Fold–fold crossings: pairs of distinct fold points with one image, each
// proved by the Newton operator of the fold–fold system and counted once.

#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <climits>
#include <iostream>

namespace {

/// Passes of the search, numbered 0 to this one.
constexpr int last_pass = 10;
/// Newton applications on a pair box: the first one and at most ten more.
constexpr int newton_applications = 11;

bool settled(int code) { return code >= 1 && code <= 5; }

pair_verdict fold_fold_verdict(const plisse& p, candidate_box& A, candidate_box& B)
{
    if (A.box == B.box) {
        return {injective(A, [&p](const domain& b) { return p.one_to_one_singular(b); }) ? 1 : 0, {}};
    }
    if (images_apart(A.image, B.image)) return {2, {}};
    if (A.box.disjoint(B.box)) {
        // A crossing needs fold points in both boxes: the range of det over
        // either box settles most pairs before any Newton step.
        if (!A.may_fold || !B.may_fold) return {4, {}};
        const newton& op = p.newton_fold_fold;
        const domain X = pair_box(A.box, B.box);
        const newton_run run = newton_iterates(op, X, newton_applications, true);
        switch (run.verdict) {
        case zero_count::none: return {4, {}};
        case zero_count::one: return {5, {X, tighten(op, run.last), domain(), &op}};
        default: return {6, {}};
        }
    }
    return {p.one_to_one_singular(A.box.hull(B.box)) ? 3 : 7, {}};
}

/// The diagnostic block of an undecided pair.
void write_undecided(int k, const candidate_box& A, const candidate_box& B, int code)
{
    std::cout << "couple :" << k << " egaux ?" << (A.box == B.box ? 1 : 0) << std::endl;
    std::cout << "image disjointe :" << (A.image.disjoint(B.image) ? 1 : 0) << std::endl;
    std::cout << "pavé i :" << std::endl;
    A.box.out();
    std::cout << "pavé j :" << std::endl;
    B.box.out();
    std::cout << " resultat : " << code << std::endl;
    std::cout << "---------------------------------" << std::endl;
}

/// The pairs n fold boxes form, each with each one before it and with itself.
long long pairs_of(std::size_t n) { return static_cast<long long>(n) * (static_cast<long long>(n) + 1) / 2; }

/// The first pass: every fold box paired with each one before it and with
/// itself; nothing when these are more pairs than a pass may hold (a map whose
/// determinant is not proved non-zero anywhere, or a box much larger than the
/// fold boxes).
std::optional<pair_pass> first_pass(const plisse& p, const std::vector<domain>& folds)
{
    if (pairs_of(folds.size()) > pass_pair_limit) return std::nullopt;
    pair_pass pass;
    for (const domain& b : folds) pass.add(p, b);
    for (int i = 0; i < static_cast<int>(pass.boxes.size()); ++i) {
        for (int j = 0; j <= i; ++j) pass.pairs.emplace_back(i, j);
    }
    return pass;
}

}  // namespace

void plisse::singular_singular(const domain& D, bool verbose)
{
    const std::vector<domain> folds = fold_cover(*this, D, fold_cover_width);
    std::optional<pair_pass> pass = first_pass(*this, folds);
    // Without a first pass every pair of fold boxes is dropped undecided.
    undecided.fold_fold = static_cast<int>(std::min<long long>(pairs_of(folds.size()), INT_MAX));
    // A crossing on a face shared by two pairs is proved in both, and (p, q)
    // and (q, p) are one crossing: each is recorded once.
    distinct_zeros crossings(true);
    for (int number = 0; pass; ++number) {
        pair_pass& current = *pass;
        report_pass("fold–fold crossings", number, current.size());
        if (verbose) {
            std::cout << "_____________ passe :" << number << " __________taille :" << current.size()
                      << "______________________" << std::endl;
        }
        std::vector<int> open;
        for (int k = 0; k < current.size(); ++k) {
            // On a stop request the pairs not examined yet stay open.
            if (stopped_at(k, current.size(), open)) break;
            candidate_box& A = current.boxes[current.pairs[k].first];
            candidate_box& B = current.boxes[current.pairs[k].second];
            const pair_verdict v = fold_fold_verdict(*this, A, B);
            if (!settled(v.code)) {
                open.push_back(k);
                if (verbose) write_undecided(k, A, B, v.code);
            }
            if (v.code == 5 && crossings.insert(v.found)) res.fold_fold_pairs.emplace_back(A.box, B.box);
        }
        if (verbose) {
            std::cout << "Fin de la passe " << number << ", cardinal des couples encore à traiter : "
                      << open.size() << std::endl;
        }
        // The pairs still open when the search stops are dropped.
        undecided.fold_fold = static_cast<int>(open.size()) + crossings.unresolved();
        pass = !open.empty() && number < last_pass && !stop_requested() ? refine(*this, current, open) : std::nullopt;
    }
    if (verbose) std::cout << "cardinal des solutions :" << res.fold_fold_pairs.size() << std::flush;
}

int plisse::singular_singular(const domain& A, const domain& B) const
{
    candidate_box a = candidate(*this, A);
    candidate_box b = candidate(*this, B);
    return fold_fold_verdict(*this, a, b).code;
}

void plisse::improve_singular_singular()
{
    for (box_pair& pair : res.fold_fold_pairs) {
        const domain X = pair_box(pair.first, pair.second);
        if (!newton_applies(newton_fold_fold, X)) continue;
        const domain N = newton_fold_fold.operator_newton(X);
        // An unbounded step proves nothing and would only lose the pair.
        if (bounded_over(N, X)) pair = split_pair_box(N);
    }
}
