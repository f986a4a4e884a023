#pragma once
// Sets of states kept as c + A r (Lohner's representation): a point c, a point
// matrix A with nearly orthonormal columns, and an interval vector r. A box
// turned by a flow stays such a set with r of about its width, where a box
// around it would grow at every step (the wrapping effect).

#include "interval.hpp"

#include <vector>

struct lohner_set {
    std::vector<double> centre;
    /// A, row-major.
    std::vector<double> basis;
    std::vector<interval> r;

    /// The box x itself: centre its midpoint, basis the identity.
    static lohner_set of_box(const std::vector<interval>& x);
    int dimension() const { return static_cast<int>(centre.size()); }
    /// Interval enclosure of the set, component by component.
    std::vector<interval> hull() const;
    /// The set y + M r over every y in y and r in this set's r (M an interval
    /// matrix, row-major): it holds that set, with a new basis from the QR
    /// factorisation of mid(M), its columns taken by decreasing size.
    lohner_set image(const std::vector<interval>& y, const std::vector<interval>& M) const;
};

/// The product of the n x n interval matrices A and B (row-major).
std::vector<interval> product(const std::vector<interval>& A, const std::vector<interval>& B, int n);
/// The n x n interval matrix M times the interval vector v.
std::vector<interval> product(const std::vector<interval>& M, const std::vector<interval>& v);
