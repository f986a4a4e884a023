#include "sivia.hpp"

#include "mesh.hpp"
#include "stop_request.hpp"

#include <deque>
#include <iostream>
#include <utility>

sivia::sivia(const Map& f, const domain& Y) : mapping(f), target(Y) {}

iboolean sivia::Inside(const domain& X) const {
    const domain image = mapping.evalue(X);
    if (image.subset(target)) {
        return iboolean(true);
    }
    if (image.disjoint(target)) {
        return iboolean(false);
    }
    return iboolean();
}

int sivia::SIVIAfile(const domain& X0, double eps) {
    inside_boxes.clear();
    outside_boxes.clear();
    undetermined_boxes.clear();
    // A box whose intervals are all points bisects into itself: without a
    // positive threshold an undecided one would be bisected forever.
    if (!(eps > 0.0)) {
        std::cerr << "SIVIAfile: the threshold must be a positive number, not " << eps
                  << "; nothing paved" << std::endl;
        return 0;
    }
    // First in, first out: boxes are decided level by level, and within one
    // bisection in paving order.
    std::deque<domain> queue{X0};
    int undetermined = 0;
    for (long examined = 0; !queue.empty(); ++examined) {
        // At the work bound, or when the analysis is stopped, the boxes still
        // queued are left undetermined: each may hold points of the set.
        if (examined >= box_limit || stop_requested()) {
            for (domain& X : queue) undetermined_boxes.push_back(std::move(X));
            return undetermined + static_cast<int>(queue.size());
        }
        domain X = std::move(queue.front());
        queue.pop_front();
        const iboolean t = Inside(X);
        if (t == iboolean(true)) {
            inside_boxes.push_back(std::move(X));
        } else if (t == iboolean(false)) {
            outside_boxes.push_back(std::move(X));
        } else if (eps > X.width()) {
            undetermined_boxes.push_back(std::move(X));
            ++undetermined;
        } else {
            mesh halves(X, 2);
            for (domain& part : halves.boxes) {
                queue.push_back(std::move(part));
            }
        }
    }
    return undetermined;
}
