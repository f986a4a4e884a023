#pragma once
// Boxes: products of closed intervals keyed by variable name.

#include "interval.hpp"

#include <iostream>
#include <map>
#include <string>
#include <vector>

class out_latex;

/// A box: an ordered map from variable name to interval. Indexing a missing
/// name inserts the point [0, 0]; two-box operations run over this box's
/// variables, reading a variable the other box lacks as [0, 0].
class domain : public std::map<std::string, interval> {
public:
    using std::map<std::string, interval>::map;

    /// The interval of name, or [0, 0] when the box lacks it (nothing inserted).
    interval get(const std::string& name) const;

    /// Faces of the box: for each variable, the lower face then the upper face.
    std::vector<domain> boundary() const;
    /// Faces that do not contain corner i, in face order.
    std::vector<domain> visibility(int i) const;
    /// Largest interval width over the variables (0.0 for an empty box).
    double width() const;
    /// Corner number i: bit j of i picks the upper bound of the j-th variable.
    domain corner(int i) const;
    /// Point box with one variable per flag: upper bound where true.
    domain corner(const std::map<std::string, bool>& choice) const;
    /// One line per variable: the name followed by the interval.
    void out(std::ostream& os = std::cout) const;
    /// Every interval widened by [-e, e].
    domain inflate(double e) const;
    int dimension() const { return static_cast<int>(size()); }
    /// Number of variables whose interval is not a single point.
    int topological_dimension() const;

    domain operator+(const domain& b) const;
    domain operator-(const domain& b) const;
    domain intersect(const domain& b) const;
    domain hull(const domain& b) const;
    /// Point box of the midpoints.
    domain center() const;
    /// This box, then every variable of b set to b's interval.
    domain direct_sum(const domain& b) const;
    /// True when some variable of b has an interval disjoint from this box's.
    bool disjoint(const domain& b) const;
    domain operator*(const interval& k) const;
    domain operator*(double d) const;
    /// Every interval of this box inside b's interval of the same name.
    bool subset(const domain& b) const;
    /// Variable names in box order.
    std::vector<std::string> variables() const;
    /// Appends the outline of the box to o's LaTeX picture (defined with out_latex).
    void latex(const out_latex& o, const std::string& colour) const;
};
