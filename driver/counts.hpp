#pragma once
// The counts of the report, each with whether its search settled every
// candidate: a count is exact only then, a lower bound otherwise (every
// feature it counts is proved; some may be missing).

#include "plisse.hpp"

#include <algorithm>
#include <cstddef>
#include <vector>

/// One count of the report.
struct result_count {
    /// Its name in the results file's counts.
    const char* name;
    /// What the summary calls it.
    const char* shown;
    std::size_t count;
    /// Candidates its search left undecided.
    int undecided;

    bool complete() const { return undecided == 0; }
};

/// The four counts of the report, in its order.
inline std::vector<result_count> result_counts(const plisse& p)
{
    const resultat& res = p.res;
    const undecided_counts& u = p.undecided;
    return {{"cusps", "cusps", res.cusps.size(), u.cusps},
            {"fold_fold", "fold-fold crossings", res.fold_fold_pairs.size(), u.fold_fold},
            {"boundary_boundary", "boundary-boundary crossings", res.boundary_boundary_pairs.size(), u.boundary_boundary},
            {"fold_boundary", "fold-boundary intersections", res.fold_boundary_pairs.size(), u.fold_boundary}};
}

/// Whether every count of the report is exact: every search settled every candidate.
inline bool all_complete(const plisse& p)
{
    const std::vector<result_count> counts = result_counts(p);
    return std::all_of(counts.begin(), counts.end(), [](const result_count& c) { return c.complete(); });
}
