// The shared steps of the crossing searches.

#include "pair_search.hpp"

#include <cmath>

#include "sivia.hpp"

namespace {

/// The plane box {x ↦ X[x_name], y ↦ X[y_name]}.
domain plane_part(const domain& X, const std::string& x_name, const std::string& y_name)
{
    return domain{{"x", X.get(x_name)}, {"y", X.get(y_name)}};
}

/// X with the intervals of a and b exchanged, when X holds them.
void exchange(domain& X, const std::string& a, const std::string& b)
{
    const auto found_a = X.find(a);
    const auto found_b = X.find(b);
    if (found_a != X.end() && found_b != X.end()) {
        std::swap(found_a->second, found_b->second);
    } else if (found_a != X.end()) {
        X[b] = found_a->second;
        X.erase(a);
    } else if (found_b != X.end()) {
        X[a] = found_b->second;
        X.erase(b);
    }
}

}  // namespace

domain pair_box(const domain& A, const domain& B)
{
    return domain{{"x1", A.get("x")}, {"x2", A.get("y")}, {"x3", B.get("x")}, {"x4", B.get("y")}};
}

std::pair<domain, domain> split_pair_box(const domain& X)
{
    return {plane_part(X, "x1", "x2"), plane_part(X, "x3", "x4")};
}

std::pair<domain, domain> proved_pair(const proved_zero& z) { return split_pair_box(z.tight.direct_sum(z.frozen)); }

std::pair<domain, domain> contract_pair(frozen_systems& systems, const std::pair<domain, domain>& pair)
{
    return split_pair_box(contract_around_zero(systems, pair_box(pair.first, pair.second)));
}

domain swap_points(const domain& X)
{
    domain swapped = X;
    exchange(swapped, "x1", "x3");
    exchange(swapped, "x2", "x4");
    return swapped;
}

expression in_variables(const expression& e, const std::string& x_name, const std::string& y_name)
{
    return e.substitute(x_name, "x").substitute(y_name, "y");
}

Map same_image_system(const Map& f)
{
    Map system;
    for (const char* name : {"y0", "y1"}) {
        const expression& component = f.component(name);
        system.add(in_variables(component, "x1", "x2") - in_variables(component, "x3", "x4"));
    }
    system.variables.insert({"x1", "x2", "x3", "x4"});
    return system;
}

double fold_cover_width(const domain& D)
{
    constexpr double built_in_width = 1.31;
    const double width = D.width();
    return std::isfinite(width) && width > 0.0 ? 0.1 * width / built_in_width : 0.1;
}

std::vector<domain> fold_cover(const plisse& p, const domain& D, double eps)
{
    sivia inversion(p.det_map, domain{{"y0", interval(0.0)}});
    inversion.SIVIAfile(D, eps);
    // A box whose determinant is proved to be 0 throughout (a degenerate map),
    // or undefined throughout, is all fold as far as anything is proved: it
    // stays a fold box, so the searches leave it undecided instead of dropping it.
    std::vector<domain> cover = std::move(inversion.undetermined_boxes);
    for (domain& b : inversion.inside_boxes) cover.push_back(std::move(b));
    return cover;
}

bool images_apart(const domain& a, const domain& b)
{
    return bounded_over(a, a) && bounded_over(b, b) && a.disjoint(b);
}

candidate_box candidate(const plisse& p, const domain& b, points_of points)
{
    candidate_box c{b, domain(), !excludes_zero(p.programs().det(b)), std::nullopt, points, std::nullopt, std::nullopt};
    // A fold box without fold points takes part in no pair: no image is needed.
    if (c.asks_nothing()) return c;
    if (points == points_of::fold) c.arc = p.arc_of(b);
    c.image = c.arc ? c.arc->image : p.evalue(b);
    return c;
}

namespace {

/// n·X for a box X over y0, y1.
interval dot(const std::pair<double, double>& n, const domain& X)
{
    return interval(n.first) * X.get("y0") + interval(n.second) * X.get("y1");
}

/// An enclosure of n·f over the points of c the search asks about: along the
/// arc of a fold box, n·f(p0) + (n·G)·(u − u0); else the mean value form
/// n·f(m) + Σ_c (n·∂f/∂c)(box)·(box_c − m_c) over the box, intersected with
/// n·(image box).
interval projection(const plisse& p, candidate_box& c, const std::pair<double, double>& n)
{
    const interval direct = dot(n, c.image);
    if (c.arc) {
        const interval along = dot(n, c.arc->reference_image) + dot(n, c.arc->slope) * c.arc->step;
        return proper(along) ? direct.intersect(along) : direct;
    }
    if (!c.centred) {
        c.centred.emplace();
        if (defined_on(p.jacobian, c.box) && defined_on(p.f, c.box)) {
            c.centred->emplace(p.evalue(c.box.center()), p.jacobian.evalue(c.box));
        }
    }
    if (!*c.centred) return direct;
    const auto& [centre_image, J] = **c.centred;
    const domain m = c.box.center();
    interval centred = dot(n, centre_image);
    for (const auto& [variable, range] : c.box) {
        const interval column = interval(n.first) * J.entry("y0", variable) + interval(n.second) * J.entry("y1", variable);
        centred += column * (range - m.get(variable));
    }
    return proper(centred) ? direct.intersect(centred) : direct;
}

/// Whether the enclosures of n·f over the points of A and of B are proved apart.
bool apart_along(const plisse& p, candidate_box& A, candidate_box& B, const std::pair<double, double>& n)
{
    const interval a = projection(p, A, n);
    const interval b = projection(p, B, n);
    return proper(a) && proper(b) && a.disjoint(b);
}

}  // namespace

bool apart_across(const plisse& p, candidate_box& A, candidate_box& B)
{
    return (A.arc && apart_along(p, A, B, A.arc->normal)) || (B.arc && apart_along(p, A, B, B.arc->normal));
}

int pair_pass::add(const plisse& p, const domain& b, points_of points)
{
    boxes.push_back(candidate(p, b, points));
    return static_cast<int>(boxes.size()) - 1;
}

std::optional<pair_pass> refine(const plisse& p, const pair_pass& pass, const std::vector<int>& open, int limit,
                                bool drop_apart)
{
    pair_pass next;
    // Each box is halved once, however many open pairs hold it: the position
    // of its first half in the next pass, -1 until it is halved.
    std::vector<int> first_half(pass.boxes.size(), -1);
    std::vector<int> halves_of(pass.boxes.size(), 0);
    std::vector<domain> halves;
    std::vector<points_of> points_of_halves;
    const auto halve = [&](int i) {
        if (first_half[i] < 0) {
            std::vector<domain> pieces = mesh(pass.boxes[i].box, 2).boxes;
            first_half[i] = static_cast<int>(halves.size());
            halves_of[i] = static_cast<int>(pieces.size());
            for (domain& half : pieces) {
                // Dropping pairs needs the halves' images now.
                if (drop_apart) next.add(p, half, pass.boxes[i].points);
                halves.push_back(std::move(half));
                points_of_halves.push_back(pass.boxes[i].points);
            }
        }
    };
    for (const int k : open) {
        const auto [a, b] = pass.pairs[k];
        halve(a);
        halve(b);
        const bool same = pass.boxes[a].box == pass.boxes[b].box;
        for (int i = 0; i < halves_of[a]; ++i) {
            for (int j = same ? i : 0; j < halves_of[b]; ++j) {
                const int first = first_half[a] + i;
                const int second = same ? first_half[a] + j : first_half[b] + j;
                if (drop_apart && (next.boxes[first].asks_nothing() || next.boxes[second].asks_nothing()
                                   || images_apart(next.boxes[first].image, next.boxes[second].image)))
                    continue;
                next.pairs.emplace_back(first, second);
            }
        }
        if (next.size() > limit) return std::nullopt;
    }
    // Otherwise the images of the halves, the costly part, only for a pass that will be examined.
    if (!drop_apart) {
        next.boxes.reserve(halves.size());
        for (std::size_t h = 0; h < halves.size(); ++h) {
            if (stop_requested()) return std::nullopt;
            next.add(p, halves[h], points_of_halves[h]);
        }
    }
    return next;
}

int give_up(const pair_pass& pass, const std::vector<int>& open, const std::optional<pair_pass>& next,
            std::vector<coded_pair>& coded)
{
    const auto record = [&coded](const pair_pass& from, int k) {
        coded.push_back({{from.first(k), from.second(k)}, 8});
    };
    if (!next) {
        for (const int k : open) record(pass, k);
        return static_cast<int>(open.size());
    }
    for (int k = 0; k < next->size(); ++k) record(*next, k);
    return next->size();
}
