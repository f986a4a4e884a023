// Bucket grid over rectangles.

#include "box_index.hpp"

#include <algorithm>
#include <cmath>

namespace {

/// A rectangle filed in more buckets than this is compared with every query
/// instead: a few such rectangles cost less than their rows of buckets.
constexpr long most_buckets_filed = 64;

bool is_empty(const rectangle& r) { return r.u.isEmpty() || r.v.isEmpty(); }

bool is_bounded(const rectangle& r)
{
    return std::isfinite(r.u.inf()) && std::isfinite(r.u.sup()) && std::isfinite(r.v.inf())
           && std::isfinite(r.v.sup());
}

/// The extent of the bounded rectangles along one axis and their mean width.
struct axis_extent {
    double low = INFINITY;
    double high = -INFINITY;
    double width_sum = 0;
    void add(const interval& I)
    {
        low = std::min(low, I.inf());
        high = std::max(high, I.sup());
        width_sum += I.sup() - I.inf();
    }
};

/// Buckets along an axis: about one typical width each, and at least one
/// (exactly one when the extent or the widths overflow).
double bucket_count(const axis_extent& e, long bounded)
{
    const double range = e.high - e.low;
    const double mean = e.width_sum / static_cast<double>(bounded);
    if (!(range > 0) || !std::isfinite(range)) return 1;
    // Points (mean width 0) spread over a square-root grid.
    const double width = mean > 0 ? mean : range / std::sqrt(static_cast<double>(bounded));
    const double count = std::ceil(range / width);
    return count >= 1 ? std::min(count, 1e9) : 1;
}

}  // namespace

std::vector<rectangle> rectangles(const std::vector<domain>& boxes, const std::string& u_name,
                                  const std::string& v_name)
{
    std::vector<rectangle> r;
    r.reserve(boxes.size());
    for (const domain& b : boxes) r.push_back({b.get(u_name), b.get(v_name)});
    return r;
}

int box_index::bucket(double t, double o, double w, int n)
{
    const double x = (t - o) / w;
    if (!(x >= 0)) return 0;
    if (x >= n) return n - 1;
    return static_cast<int>(x);
}

box_index::box_index(std::vector<rectangle> items) : items_(std::move(items))
{
    axis_extent eu, ev;
    long bounded = 0;
    for (const rectangle& r : items_) {
        if (is_empty(r) || !is_bounded(r)) continue;
        eu.add(r.u);
        ev.add(r.v);
        ++bounded;
    }
    if (bounded > 0) {
        double nu = bucket_count(eu, bounded), nv = bucket_count(ev, bounded);
        // At most about two buckets per rectangle.
        const double most = 2.0 * static_cast<double>(bounded) + 16;
        if (nu * nv > most) {
            const double shrink = std::sqrt(nu * nv / most);
            nu = std::max(1.0, std::floor(nu / shrink));
            nv = std::max(1.0, std::floor(nv / shrink));
        }
        nu_ = static_cast<int>(nu);
        nv_ = static_cast<int>(nv);
        u0_ = eu.low;
        v0_ = ev.low;
        du_ = eu.high > eu.low ? (eu.high - eu.low) / nu_ : 1;
        dv_ = ev.high > ev.low ? (ev.high - ev.low) / nv_ : 1;
        // A width that underflows to 0 would make bucket() divide by 0.
        if (!(du_ > 0)) {
            nu_ = 1;
            du_ = 1;
        }
        if (!(dv_ > 0)) {
            nv_ = 1;
            dv_ = 1;
        }
    }
    bounds_.reserve(items_.size());
    for (const rectangle& r : items_) bounds_.push_back({r.u.inf(), r.u.sup(), r.v.inf(), r.v.sup()});
    // Counting sort of the (bucket, rectangle) entries into filed_.
    start_.assign(static_cast<std::size_t>(nu_) * nv_ + 1, 0);
    std::vector<char> filed(items_.size(), 0);
    for (int k = 0; k < size(); ++k) {
        const rectangle& r = items_[k];
        if (is_empty(r)) continue;
        const span su = u_span(r.u), sv = v_span(r.v);
        const long covered = long(su.last - su.first + 1) * (sv.last - sv.first + 1);
        if (covered > most_buckets_filed) {
            aside_.push_back(k);
            continue;
        }
        filed[k] = 1;
        for (int iu = su.first; iu <= su.last; ++iu)
            for (int iv = sv.first; iv <= sv.last; ++iv) ++start_[iu * nv_ + iv + 1];
    }
    for (std::size_t b = 1; b < start_.size(); ++b) start_[b] += start_[b - 1];
    filed_.resize(start_.back());
    std::vector<int> next(start_.begin(), start_.end() - 1);
    for (int k = 0; k < size(); ++k) {
        if (!filed[k]) continue;
        const span su = u_span(items_[k].u), sv = v_span(items_[k].v);
        for (int iu = su.first; iu <= su.last; ++iu)
            for (int iv = sv.first; iv <= sv.last; ++iv) filed_[next[iu * nv_ + iv]++] = k;
    }
}

// Two rectangles that meet share the point p = (largest lower u, largest lower
// v), and since bucket() is monotone both are filed in (or cover) p's bucket;
// a pair is reported only from that bucket, hence exactly once.
template <class Visit>
void box_index::visit_meeting(const rectangle& r, Visit visit) const
{
    if (is_empty(r)) return;
    const bounds q{r.u.inf(), r.u.sup(), r.v.inf(), r.v.sup()};
    const span su = u_span(r.u), sv = v_span(r.v);
    for (int iu = su.first; iu <= su.last; ++iu) {
        for (int iv = sv.first; iv <= sv.last; ++iv) {
            const int b = iu * nv_ + iv;
            for (int f = start_[b]; f < start_[b + 1]; ++f) {
                const bounds& item = bounds_[filed_[f]];
                if (!overlap(item, q)) continue;
                const int pu = bucket(std::max(item.u_low, q.u_low), u0_, du_, nu_);
                const int pv = bucket(std::max(item.v_low, q.v_low), v0_, dv_, nv_);
                if (pu == iu && pv == iv && !visit(filed_[f])) return;
            }
        }
    }
    for (const int k : aside_)
        if (overlap(bounds_[k], q) && !visit(k)) return;
}

std::vector<int> box_index::meeting(const rectangle& r) const
{
    std::vector<int> found;
    visit_meeting(r, [&found](int k) {
        found.push_back(k);
        return true;
    });
    std::sort(found.begin(), found.end());
    return found;
}

bool box_index::meets_any(const rectangle& r) const
{
    bool any = false;
    visit_meeting(r, [&any](int) {
        any = true;
        return false;
    });
    return any;
}
