// Merging boxes whose union is a box.

#include "box_union.hpp"

#include <algorithm>
#include <string>
#include <utility>

namespace {

/// A box as the bounds of its intervals, variables in name order: the
/// sweeps compare boxes many times over, and flat bounds compare fast.
using bounds = std::vector<std::pair<double, double>>;

bounds bounds_of(const domain& b)
{
    bounds flat;
    for (const auto& entry : b) flat.emplace_back(entry.second.inf(), entry.second.sup());
    return flat;
}

/// Boxes ordered by their bounds in every variable but v, then by their
/// bounds in v: boxes that may merge along v come side by side.
struct order_along {
    std::size_t v;

    bool operator()(const bounds& a, const bounds& b) const
    {
        for (std::size_t k = 0; k < a.size(); ++k)
            if (k != v && a[k] != b[k]) return a[k] < b[k];
        return a[v] < b[v];
    }
};

/// Whether a and b have the same bounds in every variable but v.
bool same_but(const bounds& a, const bounds& b, std::size_t v)
{
    for (std::size_t k = 0; k < a.size(); ++k)
        if (k != v && a[k] != b[k]) return false;
    return true;
}

/// One sweep along v: each run of boxes that agree elsewhere and whose
/// intervals in v chain without a gap becomes one box. Whether any merged.
bool merge_along(std::vector<bounds>& boxes, std::size_t v)
{
    std::sort(boxes.begin(), boxes.end(), order_along{v});
    std::vector<bounds> kept;
    for (bounds& b : boxes) {
        if (!kept.empty() && same_but(kept.back(), b, v) && b[v].first <= kept.back()[v].second) {
            kept.back()[v].second = std::max(kept.back()[v].second, b[v].second);
            continue;
        }
        kept.push_back(std::move(b));
    }
    const bool merged = kept.size() < boxes.size();
    boxes = std::move(kept);
    return merged;
}

}  // namespace

std::vector<domain> merged_boxes(std::vector<domain> boxes)
{
    if (boxes.empty()) return boxes;
    const std::vector<std::string> variables = boxes.front().variables();
    std::vector<bounds> flat;
    for (const domain& b : boxes) flat.push_back(bounds_of(b));
    // A merge along one variable can make boxes equal elsewhere and let them
    // merge along another; the sweeps go round until a round merges nothing.
    for (bool merged = true; merged;) {
        merged = false;
        for (std::size_t v = 0; v < variables.size(); ++v) merged = merge_along(flat, v) || merged;
    }
    std::vector<domain> result;
    for (const bounds& b : flat) {
        domain box;
        for (std::size_t k = 0; k < variables.size(); ++k) box[variables[k]] = interval(b[k].first, b[k].second);
        result.push_back(std::move(box));
    }
    return result;
}

std::vector<domain> at_most(std::vector<domain> boxes, std::size_t limit)
{
    if (boxes.size() <= limit) return boxes;
    domain rest = boxes[limit - 1];
    for (std::size_t k = limit; k < boxes.size(); ++k) rest = rest.hull(boxes[k]);
    boxes.resize(limit - 1);
    boxes.push_back(std::move(rest));
    return boxes;
}
