#pragma once
// A spatial index over boxes of two variables: which boxes of a list meet a
// given box, without comparing it with every box of the list.

#include "domain.hpp"

#include <string>
#include <vector>

/// A box of the plane of two variables, read once from a `domain`.
struct rectangle {
    interval u;
    interval v;
};

/// Whether two closed rectangles meet: no side disjoint (touching counts; an
/// empty side meets nothing), as `domain::disjoint` decides it.
inline bool meet(const rectangle& a, const rectangle& b)
{
    return !a.u.disjoint(b.u) && !a.v.disjoint(b.v);
}

/// The rectangles {u ↦ box[u_name], v ↦ box[v_name]} of boxes, in order
/// (a missing name reads as [0, 0]).
std::vector<rectangle> rectangles(const std::vector<domain>& boxes, const std::string& u_name,
                                  const std::string& v_name);

/// A bucket grid over a list of rectangles. Each rectangle is filed in every
/// bucket it covers; one that would cover many buckets (unbounded, or far
/// wider than the typical one) is kept aside and compared with every query.
/// Memory O(N) for N rectangles of comparable size; a query costs the buckets
/// it covers plus the rectangles it meets.
class box_index {
public:
    explicit box_index(std::vector<rectangle> items);

    /// The positions, ascending, of the rectangles that meet r.
    std::vector<int> meeting(const rectangle& r) const;
    /// Whether some rectangle meets r.
    bool meets_any(const rectangle& r) const;
    int size() const { return static_cast<int>(items_.size()); }

private:
    /// The bucket numbers covered along one axis: [first, last].
    struct span {
        int first;
        int last;
    };
    /// Bucket of coordinate t along an axis of origin o, bucket width w and
    /// count n: monotone in t and clamped, so intervals that share a point
    /// share a bucket (infinite t go to the end buckets).
    static int bucket(double t, double o, double w, int n);
    span u_span(const interval& u) const { return {bucket(u.inf(), u0_, du_, nu_), bucket(u.sup(), u0_, du_, nu_)}; }
    span v_span(const interval& v) const { return {bucket(v.inf(), v0_, dv_, nv_), bucket(v.sup(), v0_, dv_, nv_)}; }
    /// Calls visit(position) once for each rectangle that meets r, in no order.
    template <class Visit>
    void visit_meeting(const rectangle& r, Visit visit) const;

    /// The bounds of a rectangle that is not empty, for the inner loop.
    struct bounds {
        double u_low, u_high, v_low, v_high;
    };
    /// Whether two non-empty rectangles meet: the definition's comparisons
    /// once emptiness is ruled out.
    static bool overlap(const bounds& a, const bounds& b)
    {
        return a.u_low <= b.u_high && b.u_low <= a.u_high && a.v_low <= b.v_high && b.v_low <= a.v_high;
    }

    std::vector<rectangle> items_;
    /// bounds_[k] for every rectangle k filed or kept aside (none is empty).
    std::vector<bounds> bounds_;
    double u0_ = 0, du_ = 1, v0_ = 0, dv_ = 1;
    int nu_ = 1, nv_ = 1;
    /// Bucket b (= iu * nv + iv) holds filed_[start_[b] .. start_[b + 1]).
    std::vector<int> start_;
    std::vector<int> filed_;
    /// Rectangles compared with every query.
    std::vector<int> aside_;
};
