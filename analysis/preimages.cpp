// The preimages of a point of the target: every point of the studied box
// that f sends to it, each proved alone in its box, or the reason the count
// cannot be made.

#include "newton_proof.hpp"
#include "plisse.hpp"
#include "stop_request.hpp"

#include <algorithm>
#include <vector>

namespace {

/// Newton applications on a box at most.
constexpr int applications = 8;

/// The system f(p) − t of the point t = (a, b), over x and y.
Map shifted_map(const plisse& p, double a, double b)
{
    Map system(std::vector<expression>{p.f.component("y0") - expression(constant_text(a)),
                                       p.f.component("y1") - expression(constant_text(b))});
    system.variables.insert({"x", "y"});
    return system;
}

/// Whether the box b touches a face of D.
bool touches_boundary(const domain& b, const domain& D)
{
    return std::any_of(b.begin(), b.end(), [&](const auto& entry) {
        const interval side = D.get(entry.first);
        return entry.second.inf() <= side.inf() || entry.second.sup() >= side.sup();
    });
}

}  // namespace

// Boxes are halved down to the narrowest width: at a preimage where det
// vanishes (a point of the fold image) or on an edge of the box (a point of
// the boundary image) no width settles them.
preimage_count plisse::preimages(double a, double b, double narrowest_relative) const
{
    preimage_count result;
    result.target = domain{{"y0", interval(a)}, {"y1", interval(b)}};
    const newton op(shifted_map(*this, a, b));
    const domain& D = box;
    double scale = D.width();
    for (const auto& entry : D) scale = std::max(scale, entry.second.mag());
    const double narrowest = narrowest_relative * scale;
    // A preimage on a face shared by two boxes is proved in both: each counts once.
    distinct_zeros found(false);
    std::vector<domain> undecided;
    // The cells of the paving cover the box: once their images are enclosed,
    // only those whose image box holds the point can hold a preimage.
    std::vector<domain> pending;
    if (!res.images.empty() && res.images.size() == res.source_mesh.boxes.size() && res.source_mesh.whole_box == D) {
        for (std::size_t k = 0; k < res.images.size(); ++k) {
            if (!res.images[k].disjoint(result.target)) pending.push_back(res.source_mesh.boxes[k]);
        }
    } else {
        pending.push_back(D);
    }
    while (!pending.empty()) {
        if (stop_requested()) {
            undecided.insert(undecided.end(), pending.begin(), pending.end());
            break;
        }
        const domain B = std::move(pending.back());
        pending.pop_back();
        // No point of B whose image is t: the image box misses t.
        if (evalue(B).disjoint(result.target)) continue;
        // Newton on B, and where that decides nothing, on B widened within D:
        // a preimage on a face of B keeps the iterates from nesting in B. A
        // box holding no preimage, or exactly one, holds at most that many of
        // B; the one it holds lies in D either way.
        domain proof_box = B;
        newton_run run = newton_iterates(op, B, applications, true);
        if (run.verdict == zero_count::unknown) {
            proof_box = widened(B, D);
            run = newton_iterates(op, proof_box, applications, true);
        }
        if (run.verdict == zero_count::none) continue;
        if (run.verdict == zero_count::one) {
            const domain tight = tighten(op, run.last);
            if (found.insert({proof_box, tight, domain(), &op})) result.boxes.push_back(tight);
            continue;
        }
        if (B.width() > narrowest) {
            for (domain& piece : mesh(B, 2).boxes) pending.push_back(std::move(piece));
        } else {
            undecided.push_back(B);
        }
    }
    if (undecided.empty() && found.unresolved() == 0) {
        result.count = static_cast<int>(result.boxes.size());
    } else {
        const bool near_fold = std::any_of(undecided.begin(), undecided.end(),
                                           [&](const domain& u) { return !excludes_zero(programs_.det(u)); });
        const bool near_edge = std::any_of(undecided.begin(), undecided.end(),
                                           [&](const domain& u) { return touches_boundary(u, D); });
        result.reason = near_fold ? "the point lies too close to the fold image"
                        : near_edge ? "the point lies too close to the boundary image"
                                    : "the search was stopped";
    }
    return result;
}

std::optional<int> plisse::sheet_number(double a, double b) const { return preimages(a, b, 1e-5).count; }
