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

    sivia(const Map& f, const domain& Y);
    /// true: f(X) inside the target; false: disjoint from it; perhaps otherwise.
    iboolean Inside(const domain& X) const;
    /// Paves X0 breadth first down to width eps; returns the number of undetermined
    /// boxes. eps must be positive: otherwise nothing is paved, a message goes to
    /// std::cerr and the result is 0.
    int SIVIAfile(const domain& X0, double eps);
};
