#pragma once
// Set inversion via interval analysis.

#include "iboolean.hpp"
#include "map.hpp"

#include <vector>

class sivia {
public:
    Map mapping;
    domain target;
    std::vector<domain> inside_boxes;
    std::vector<domain> outside_boxes;
    std::vector<domain> undetermined_boxes;
    /// Boxes examined at most; those still queued then are undetermined,
    /// possibly wider than the threshold. The default takes a second or two
    /// for the maps the program is meant for, and follows a curve some ten
    /// thousand thresholds long; it ends the paving of a region where the
    /// test decides nothing (a set that fills it, or a huge X0).
    long box_limit = 200000;

    sivia(const Map& f, const domain& Y);
    /// true: f(X) inside the target; false: disjoint from it; perhaps otherwise.
    iboolean Inside(const domain& X) const;
    /// Paves X0 breadth first down to width eps, within box_limit boxes or
    /// until a stop request; returns the number of undetermined boxes. eps must be positive: otherwise nothing is paved, a message goes to
    /// std::cerr and the result is 0.
    int SIVIAfile(const domain& X0, double eps);
};
