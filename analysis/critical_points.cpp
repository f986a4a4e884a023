// The critical-point procedure and its console report, and two operations on
// the fold curve: its set-inversion enclosure and the removal of cusp cells.

#include "pair_search.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <chrono>
#include <iostream>

namespace {

/// Seconds since `since`, which then moves to now.
double lap(std::chrono::steady_clock::time_point& since)
{
    const auto now = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(now - since).count();
    since = now;
    return seconds;
}

/// "exactly : " before a count its search settled, "at least : " before one
/// that left candidates undecided (the proved features are then a lower bound).
const char* how_many(int undecided) { return undecided == 0 ? "exactly : " : "at least : "; }

}  // namespace

void plisse::critical_points(const domain& b)
{
    std::cout << "Beginning of the procedure which find the critical points" << std::endl;
    auto clock = std::chrono::steady_clock::now();
    const int undecided_cusps = Cusp(b);
    improve_cusp();
    times.cusps = lap(clock);
    if (undecided_cusps == 0) {
        std::cout << "     The number of cusp points is exactly : " << res.cusps.size() << std::endl;
    } else {
        std::cout << "     The algorithm cusp was not able to determine how many cusp it exists" << std::endl;
    }

    singular_singular(b, verbose);
    times.fold_fold = lap(clock);
    std::cout << "     The number of transversal intersection of fold curves in the target is "
              << how_many(undecided.fold_fold) << res.fold_fold_pairs.size() << std::endl;
    boundary_boundary(b, verbose);
    times.boundary_boundary = lap(clock);
    std::cout << "     The number of transversal intersection of boundary curves in the target is "
              << how_many(undecided.boundary_boundary) << res.boundary_boundary_pairs.size() << std::endl;
    singular_boundary(b, verbose);
    std::cout << "     The number of intersection fold curves with boundary is " << how_many(undecided.fold_boundary)
              << res.fold_boundary_pairs.size() << std::endl;
    improve_singular_boundary();
    times.fold_boundary = lap(clock);
    std::cout << "End of the procedure which find the critical points" << std::endl;

    std::cout << "Beginning of the procedure that check the topology of the singular curve" << std::endl;
    fold_curve_known = !relation4();
    fold_curve_failure.clear();
    fold_curve = fold_curve_known ? fold_graph(fold_curve_failure) : std::nullopt;
    times.topology = lap(clock);
    std::cout << (fold_curve_known ? " The singular curve is known. " : " Failure  ") << std::endl;
    std::cout << "End the procedure that check the topology of the singular curve" << std::endl;
}

void plisse::courbe_singuliere(double eps)
{
    // A threshold that is not positive would never end an undecided bisection.
    if (!(eps > 0.0)) return;
    res.fold_boxes = fold_cover(*this, box, eps);
}

void plisse::remove_critical_points()
{
    const mesh& cells = res.source_mesh;
    const auto holds_a_cusp = [&](int k) {
        return cells.holds(k) && std::any_of(res.cusps.begin(), res.cusps.end(),
                                             [&](const domain& cusp) { return cusp.subset(cells.boxes[k]); });
    };
    res.fold_indices.erase(std::remove_if(res.fold_indices.begin(), res.fold_indices.end(), holds_a_cusp),
                           res.fold_indices.end());
}
