// The fold curve as a graph: the arcs the topology check proves in its pieces,
// joined at the zeros of det on the pieces' sides into components, and the
// proved features placed in order along each component.

#include "fold_accounting.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <map>
#include <set>
#include <tuple>
#include <utility>

namespace {

const char* const variables[] = {"x", "y"};

/// A side of a piece cut at every corner of the other pieces on its line, so
/// that two pieces that share part of a side see the same segments there.
struct segment {
    /// The fixed variable (0 for x, 1 for y), its value, and the range of the other one.
    int fixed = 0;
    double at = 0.0;
    interval range;
    /// The zeros of det on the segment, in order, each by a range of the
    /// free variable holding it alone, where det changes sign.
    std::vector<interval> zeros;
    /// The number of the segment's first zero among all the zeros.
    int first_end = 0;

    domain box() const
    {
        domain b;
        b[variables[fixed]] = interval(at);
        b[variables[1 - fixed]] = range;
        return b;
    }
    domain zero_box(std::size_t k) const
    {
        domain b = box();
        b[variables[1 - fixed]] = zeros[k];
        return b;
    }
};

/// An arc of the fold curve in one piece: the graph u = φ(w) over a range of
/// w, from one side zero to another (ends numbered as the zeros are).
struct arc {
    int piece = 0;
    int start = 0;
    int end = 0;
    /// A box of the piece holding the arc: the piece with w in the arc's range.
    domain tube;
};

/// A zero of det on a side of a piece, seen from the piece: the w it sits
/// at (a point for the sides along u) and its number.
struct event {
    interval w;
    int end = 0;
    /// Which side along w it lies on: 0 at the lower u, 1 at the upper.
    int side = 0;
    int segment = 0;
    std::size_t zero = 0;
};

/// The zeros on the sides of the pieces and the arcs they bound.
class arc_builder {
public:
    arc_builder(const plisse& p, const std::vector<fold_piece>& pieces) : p_(p), pieces_(pieces), accounting_{p}
    {
        for (const fold_piece& piece : pieces) {
            const interval X = piece.box.get("x"), Y = piece.box.get("y");
            for (const double x : {X.inf(), X.sup()}) splits_[{0, x}].insert({Y.inf(), Y.sup()});
            for (const double y : {Y.inf(), Y.sup()}) splits_[{1, y}].insert({X.inf(), X.sup()});
        }
    }

    /// The arcs of every piece; false when some zero could not be located
    /// or ordered.
    bool build()
    {
        for (int k = 0; k < static_cast<int>(pieces_.size()); ++k) {
            if (!arcs_of(k)) return false;
        }
        return true;
    }

    const std::vector<arc>& arcs() const { return arcs_; }
    int ends() const { return ends_; }
    /// The segment and position of the zero numbered end.
    std::pair<const segment*, std::size_t> zero_of(int end) const
    {
        const auto found = std::upper_bound(segments_.begin(), segments_.end(), end,
                                            [](int e, const segment& s) { return e < s.first_end; });
        const segment& s = *(found - 1);
        return {&s, static_cast<std::size_t>(end - s.first_end)};
    }
    /// Whether the zero numbered end lies on the boundary of the studied box.
    bool outer(int end) const
    {
        const segment& s = *zero_of(end).first;
        const interval side = p_.box.get(variables[s.fixed]);
        return s.at == side.inf() || s.at == side.sup();
    }

private:
    /// The segments of the side of P where variable fixed is at `at`,
    /// located once for all pieces.
    std::optional<std::vector<int>> segments_of(const domain& P, int fixed, double at)
    {
        const interval range = P.get(variables[1 - fixed]);
        std::vector<double> cuts{range.inf()};
        const std::set<double>& line = splits_[{fixed, at}];
        for (auto c = line.upper_bound(range.inf()); c != line.end() && *c < range.sup(); ++c) cuts.push_back(*c);
        cuts.push_back(range.sup());
        std::vector<int> found;
        for (std::size_t k = 0; k + 1 < cuts.size(); ++k) {
            const auto key = std::make_tuple(fixed, at, cuts[k], cuts[k + 1]);
            auto known = index_.find(key);
            if (known == index_.end()) {
                segment s{fixed, at, interval(cuts[k], cuts[k + 1]), {}, ends_};
                const std::optional<std::vector<interval>> zeros =
                    accounting_.side_zero_pieces(s.box(), variables[1 - fixed], fold_accounting::side_depth);
                if (!zeros) return std::nullopt;
                s.zeros = *zeros;
                ends_ += static_cast<int>(s.zeros.size());
                known = index_.emplace(key, static_cast<int>(segments_.size())).first;
                segments_.push_back(std::move(s));
            }
            found.push_back(known->second);
        }
        return found;
    }

    /// The zeros on the side of P where variable fixed is at `at`, as events.
    std::optional<std::vector<event>> events_on(const domain& P, int fixed, double at, int side)
    {
        const std::optional<std::vector<int>> on = segments_of(P, fixed, at);
        if (!on) return std::nullopt;
        std::vector<event> events;
        for (const int k : *on) {
            const segment& s = segments_[k];
            for (std::size_t z = 0; z < s.zeros.size(); ++z) {
                events.push_back({s.zeros[z], s.first_end + static_cast<int>(z), side, k, z});
            }
        }
        return events;
    }

    /// Halves the range of the zero of an event towards the zero: det has
    /// strict opposite signs at the ends of its range, so the zero lies in
    /// the half whose ends still differ in sign. False when det at the
    /// midpoint does not exclude 0.
    bool narrow(event& e)
    {
        segment& s = segments_[e.segment];
        const interval range = s.zeros[e.zero];
        const double mid = range.inf() + 0.5 * (range.sup() - range.inf());
        if (!(mid > range.inf() && mid < range.sup())) return false;
        domain at_lower = s.box(), at_mid = s.box();
        at_lower[variables[1 - s.fixed]] = interval(range.inf());
        at_mid[variables[1 - s.fixed]] = interval(mid);
        const interval lower = accounting_.det(at_lower), middle = accounting_.det(at_mid);
        if (!excludes_zero(lower) || !excludes_zero(middle)) return false;
        s.zeros[e.zero] = (lower.sup() < 0.0) == (middle.sup() < 0.0) ? interval(mid, range.sup())
                                                                       : interval(range.inf(), mid);
        e.w = s.zeros[e.zero];
        return true;
    }

    /// The zeros on the two sides along w in the order of w. On the closed
    /// piece a line along u meets det = 0 at most once, so two zeros on
    /// opposite sides never share their w and their ranges can be narrowed
    /// until they are apart; zeros of one side are apart already.
    bool order(std::vector<event>& events)
    {
        for (int round = 0; round < 64; ++round) {
            std::sort(events.begin(), events.end(), [](const event& a, const event& b) { return a.w.inf() < b.w.inf(); });
            bool ordered = true;
            for (std::size_t k = 0; k + 1 < events.size(); ++k) {
                if (events[k].w.sup() <= events[k + 1].w.inf()) continue;
                ordered = false;
                if (events[k].side == events[k + 1].side) return false;
                if (!narrow(events[k]) || !narrow(events[k + 1])) return false;
            }
            if (ordered) return true;
        }
        return false;
    }

    /// The arcs of piece k. Over the line at w, det is strictly monotone in u,
    /// so the line meets the curve exactly when det has opposite signs at
    /// its two ends: the w where it does form intervals whose ends are the
    /// zeros on the sides along w (where one end's sign changes) or the ends
    /// of the piece's range of w, where the side along u then holds one zero.
    /// Each such interval carries one arc, the graph of a continuous φ.
    bool arcs_of(int k)
    {
        const domain& P = pieces_[k].box;
        const int u = pieces_[k].along == "x" ? 0 : 1;
        const int w = 1 - u;
        const interval U = P.get(variables[u]), W = P.get(variables[w]);
        std::optional<std::vector<event>> along_w = events_on(P, u, U.inf(), 0);
        const std::optional<std::vector<event>> upper = events_on(P, u, U.sup(), 1);
        const std::optional<std::vector<event>> first = events_on(P, w, W.inf(), 0);
        const std::optional<std::vector<event>> last = events_on(P, w, W.sup(), 0);
        if (!along_w || !upper || !first || !last || first->size() > 1 || last->size() > 1) return false;
        along_w->insert(along_w->end(), upper->begin(), upper->end());
        if (!order(*along_w)) return false;
        std::optional<std::pair<int, double>> open;
        if (!first->empty()) open = std::make_pair(first->front().end, W.inf());
        const auto close = [&](int end, double to) {
            domain tube = P;
            tube[variables[w]] = interval(open->second, to);
            arcs_.push_back({k, open->first, end, std::move(tube)});
            open.reset();
        };
        for (const event& e : *along_w) {
            if (open) {
                close(e.end, e.w.sup());
            } else {
                open = std::make_pair(e.end, e.w.inf());
            }
        }
        if (open.has_value() != !last->empty()) return false;
        if (open) close(last->front().end, W.sup());
        return true;
    }

    const plisse& p_;
    const std::vector<fold_piece>& pieces_;
    fold_accounting accounting_;
    /// Per line (fixed variable, value), the corners of pieces on it.
    std::map<std::pair<int, double>, std::set<double>> splits_;
    std::map<std::tuple<int, double, double, double>, int> index_;
    std::vector<segment> segments_;
    std::vector<arc> arcs_;
    int ends_ = 0;
};

/// A component as the arcs it runs through, in order, each with the
/// direction it is run in (true from its start to its end).
struct walk {
    bool closed = false;
    std::vector<std::pair<int, bool>> arcs;
    /// The ends of an open walk, numbered as the zeros are.
    int first_end = -1;
    int last_end = -1;
};

/// The components of the curve: walks from each end on the boundary, then
/// the cycles left. Every zero inside the box ends exactly two arcs (one in
/// each piece beside it) and every zero on the boundary one; anything else
/// means the arcs do not fit together, and nothing is claimed.
std::optional<std::vector<walk>> walks(const arc_builder& built)
{
    const std::vector<arc>& arcs = built.arcs();
    std::vector<std::vector<int>> at(built.ends());
    for (int k = 0; k < static_cast<int>(arcs.size()); ++k) {
        at[arcs[k].start].push_back(k);
        at[arcs[k].end].push_back(k);
    }
    for (int e = 0; e < built.ends(); ++e) {
        if (at[e].size() != (built.outer(e) ? 1u : 2u)) return std::nullopt;
    }
    std::vector<bool> used(arcs.size(), false);
    const auto run_from = [&](int end, int k, walk& w) {
        while (!used[k]) {
            used[k] = true;
            const bool forward = arcs[k].start == end;
            w.arcs.emplace_back(k, forward);
            end = forward ? arcs[k].end : arcs[k].start;
            const std::vector<int>& next = at[end];
            if (next.size() < 2) break;
            k = next[0] == k ? next[1] : next[0];
        }
        return end;
    };
    std::vector<walk> found;
    for (int e = 0; e < built.ends(); ++e) {
        if (!built.outer(e) || used[at[e][0]]) continue;
        walk w;
        w.first_end = e;
        w.last_end = run_from(e, at[e][0], w);
        found.push_back(std::move(w));
    }
    for (int k = 0; k < static_cast<int>(arcs.size()); ++k) {
        if (used[k]) continue;
        walk w;
        w.closed = true;
        run_from(arcs[k].start, k, w);
        found.push_back(std::move(w));
    }
    return found;
}

/// A proved feature of the fold curve with the box holding its fold point.
struct placed_feature {
    fold_curve_feature feature;
    domain box;
    /// The positions in its walk of the arcs whose boxes meet the feature's box.
    int walk = -1;
    int from = 0;
    int to = 0;
};

std::vector<placed_feature> fold_features(const std::vector<feature>& proved)
{
    std::vector<placed_feature> found;
    for (const feature& ft : proved) {
        const int index = ft.number - 1;
        switch (ft.kind) {
        case feature_kind::cusp: found.push_back({{ft.kind, index, 0}, ft.first}); break;
        case feature_kind::fold_fold:
            found.push_back({{ft.kind, index, 0}, ft.first});
            found.push_back({{ft.kind, index, 1}, ft.second});
            break;
        case feature_kind::fold_boundary_crossing: found.push_back({{ft.kind, index, 0}, ft.first}); break;
        default: break;
        }
    }
    return found;
}

/// Places f on the walks: the fold point of f lies on the curve, so on some
/// arc whose box meets f's box. The arcs that do must be consecutive on one
/// walk for f's place to be known (a closed walk starts after an arc that
/// meets no feature's box, so no run of arcs goes round its start).
bool place(placed_feature& f, const std::vector<walk>& ws, const std::vector<arc>& arcs)
{
    for (int w = 0; w < static_cast<int>(ws.size()); ++w) {
        const int n = static_cast<int>(ws[w].arcs.size());
        std::vector<bool> meets(n);
        for (int i = 0; i < n; ++i) meets[i] = !arcs[ws[w].arcs[i].first].tube.disjoint(f.box);
        const int count = static_cast<int>(std::count(meets.begin(), meets.end(), true));
        if (count == 0) continue;
        if (f.walk >= 0) return false;
        // The run starts where an arc meets the box and the one before does not.
        int from = -1;
        for (int i = 0; i < n && from < 0; ++i) {
            const bool before = i > 0 ? meets[i - 1] : ws[w].closed && meets[n - 1];
            if (meets[i] && !before) from = i;
        }
        if (from < 0) return false;
        int length = 0;
        while (length < n && meets[(from + length) % n]) ++length;
        if (length != count) return false;
        f.walk = w;
        f.from = from;
        f.to = from + length - 1;
    }
    return f.walk >= 0;
}

/// Turns the closed walk w so that it ends with an arc whose box meets no
/// feature's box; false when there is none.
bool start_after_free_arc(walk& w, const std::vector<arc>& arcs, const std::vector<placed_feature>& features)
{
    const auto free = std::find_if(w.arcs.begin(), w.arcs.end(), [&](const std::pair<int, bool>& a) {
        return std::all_of(features.begin(), features.end(),
                           [&](const placed_feature& f) { return arcs[a.first].tube.disjoint(f.box); });
    });
    if (free == w.arcs.end()) return false;
    std::rotate(w.arcs.begin(), free + 1, w.arcs.end());
    return true;
}

/// The position of a feature's point along its arc when it lies on one arc
/// only: w, read in the direction the walk runs the arc.
interval along_arc(const placed_feature& f, const walk& w, const std::vector<arc>& arcs,
                   const std::vector<fold_piece>& pieces)
{
    const auto [k, forward] = w.arcs[f.from];
    const std::string& across = pieces[arcs[k].piece].along == "x" ? "y" : "x";
    const interval at = f.box.get(across);
    return forward ? at : interval(-at.sup(), -at.inf());
}

/// Orders the features of one walk along it; false when two of them cannot
/// be told apart in order: their runs of arcs overlap, and they are not on
/// one arc at w apart.
bool order_features(std::vector<placed_feature*>& on, const walk& w, const std::vector<arc>& arcs,
                    const std::vector<fold_piece>& pieces)
{
    const auto before = [&](const placed_feature* a, const placed_feature* b) {
        if (a->to < b->from) return true;
        if (b->to < a->from) return false;
        return a->from == a->to && b->from == b->to &&
               along_arc(*a, w, arcs, pieces).sup() < along_arc(*b, w, arcs, pieces).inf();
    };
    std::sort(on.begin(), on.end(), [&](const placed_feature* a, const placed_feature* b) {
        if (a->from != b->from) return a->from < b->from;
        return along_arc(*a, w, arcs, pieces).inf() < along_arc(*b, w, arcs, pieces).inf();
    });
    for (std::size_t i = 0; i + 1 < on.size(); ++i) {
        if (!before(on[i], on[i + 1])) return false;
    }
    return true;
}

/// The boxes of arcs from position `from` to position `to` of the walk.
std::vector<domain> chain(const walk& w, const std::vector<arc>& arcs, int from, int to)
{
    std::vector<domain> boxes;
    const int n = static_cast<int>(w.arcs.size());
    for (int i = from; i <= to; ++i) boxes.push_back(arcs[w.arcs[i % n].first].tube);
    return boxes;
}

/// The index of the point where the fold meets the boundary that is the end
/// e: its box and the end's range meet, and neither meets another end or
/// point on the boundary. Every fold point of the boundary is among the ends
/// and each box holds one, so two boxes that meet only each other hold one
/// point.
std::optional<int> point_index(const std::vector<domain>& points, const arc_builder& built, int e)
{
    const auto box_of = [&](int end) {
        const auto [s, k] = built.zero_of(end);
        return s->zero_box(k);
    };
    const domain mine = box_of(e);
    std::optional<int> match;
    for (int i = 0; i < static_cast<int>(points.size()); ++i) {
        if (points[i].disjoint(mine)) continue;
        if (match) return std::nullopt;
        match = i;
    }
    if (!match) return std::nullopt;
    for (int other = 0; other < built.ends(); ++other) {
        if (other != e && built.outer(other) && !box_of(other).disjoint(points[*match])) return std::nullopt;
    }
    return match;
}

fold_curve_component component_of(const std::vector<domain>& points, const arc_builder& built, const walk& w,
                                  std::vector<placed_feature*> on)
{
    const std::vector<arc>& arcs = built.arcs();
    fold_curve_component c;
    c.closed = w.closed;
    const int n = static_cast<int>(w.arcs.size());
    for (const placed_feature* f : on) c.features.push_back(f->feature);
    if (w.closed) {
        if (on.empty()) {
            c.arcs.push_back(chain(w, arcs, 0, n - 1));
        }
        // From each feature to the next, and from the last round to the first.
        for (std::size_t i = 0; i < on.size(); ++i) {
            const bool last = i + 1 == on.size();
            const int to = on[last ? 0 : i + 1]->to + (last ? n : 0);
            c.arcs.push_back(chain(w, arcs, on[i]->from, to));
        }
        return c;
    }
    for (int side = 0; side < 2; ++side) {
        const int e = side == 0 ? w.first_end : w.last_end;
        c.ends[side] = point_index(points, built, e);
        const auto [s, k] = built.zero_of(e);
        c.end_boxes[side] = s->zero_box(k);
    }
    int from = 0;
    for (const placed_feature* f : on) {
        c.arcs.push_back(chain(w, arcs, from, f->to));
        from = f->from;
    }
    c.arcs.push_back(chain(w, arcs, from, n - 1));
    return c;
}

}  // namespace

std::optional<fold_curve_graph> plisse::fold_graph(std::string& failure) const
{
    arc_builder built(*this, fold_pieces);
    if (!built.build()) {
        failure = "a zero of det on a side of a piece of the fold curve could not be located";
        return std::nullopt;
    }
    std::optional<std::vector<walk>> ws = walks(built);
    if (!ws) {
        failure = "the arcs of the fold curve in its pieces do not join";
        return std::nullopt;
    }
    const std::vector<feature> proved = proved_features(res, f);
    std::vector<placed_feature> features = fold_features(proved);
    std::vector<domain> points;
    for (const feature& ft : proved) {
        if (ft.kind == feature_kind::fold_boundary_point) points.push_back(ft.first);
    }
    for (walk& w : *ws) {
        if (w.closed && !start_after_free_arc(w, built.arcs(), features)) {
            failure = "every arc of a closed component of the fold curve meets a feature's box";
            return std::nullopt;
        }
    }
    std::vector<std::vector<placed_feature*>> on(ws->size());
    for (placed_feature& f : features) {
        if (!place(f, *ws, built.arcs())) {
            failure = "a feature could not be placed on one arc of the fold curve";
            return std::nullopt;
        }
        on[f.walk].push_back(&f);
    }
    fold_curve_graph graph;
    for (std::size_t w = 0; w < ws->size(); ++w) {
        if (!order_features(on[w], (*ws)[w], built.arcs(), fold_pieces)) {
            failure = "two features could not be ordered along the fold curve";
            return std::nullopt;
        }
        graph.components.push_back(component_of(points, built, (*ws)[w], on[w]));
    }
    return graph;
}
