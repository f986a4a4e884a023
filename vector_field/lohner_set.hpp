#pragma once
// Sets of states kept as c + C r0 + A r (Lohner's representation, with the
// start box kept apart): a point c; the start box's offsets r0 from its centre
// carried by a point matrix C, the linear part of the flow so far; and the
// errors of the steps in an interval vector r carried by a point matrix A with
// nearly orthonormal columns. A box turned or sheared by a flow stays such a
// set with r small, where a box around it would grow at every step (the
// wrapping effect).

#include "interval.hpp"

#include <vector>

struct lohner_set {
    std::vector<double> centre;
    /// C, row-major.
    std::vector<double> linear;
    std::vector<interval> r0;
    /// A, row-major.
    std::vector<double> basis;
    std::vector<interval> r;

    /// The box x itself: centre its midpoint, C and A the identity, r zero.
    static lohner_set of_box(const std::vector<interval>& x);
    int dimension() const { return static_cast<int>(centre.size()); }
    /// Interval enclosure of the set, component by component.
    std::vector<interval> hull() const;
    /// A set holding y + J (C r0 + A r) for every y in y, every matrix in the
    /// interval matrix J (row-major) and every r0 and r of this set: C becomes
    /// mid(J C), and A the orthogonal factor of mid(J A), its columns taken by
    /// decreasing size.
    lohner_set image(const std::vector<interval>& y, const std::vector<interval>& J) const;
    /// An enclosure of y + J (C r0 + A r), component by component.
    std::vector<interval> image_hull(const std::vector<interval>& y, const std::vector<interval>& J) const;
};

/// The product of the n x n interval matrices A and B (row-major).
std::vector<interval> product(const std::vector<interval>& A, const std::vector<interval>& B, int n);
/// The n x n interval matrix M times the interval vector v.
std::vector<interval> product(const std::vector<interval>& M, const std::vector<interval>& v);
/// The point x as intervals.
std::vector<interval> points(const std::vector<double>& x);
