// Fold–fold crossings: pairs of distinct fold points with one image, each
// proved by the Newton operator of the fold–fold system and counted once.

#include "box_index.hpp"
#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <climits>
#include <iostream>
#include <iterator>

namespace {

/// Passes of the search, numbered 0 to this one.
constexpr int last_pass = 20;
/// Newton applications on a pair box: the first one and at most ten more.
constexpr int newton_applications = 11;

bool settled(int code) { return code >= 1 && code <= 5; }

/// Whether f is proved one-to-one on the fold points of their hull, a box
/// holding A and B. (A wider box, to take in an arc that leaves the hull
/// between them, settled almost nothing that the next pass does not, at the
/// cost of a second test on every pair left open.)
bool one_to_one_around(const plisse& p, const domain& A, const domain& B)
{
    return p.one_to_one_singular(A.hull(B));
}

/// Boxes centred on the proved cusps on whose fold points f is proved
/// one-to-one: for each cusp the widest of the boxes of half-width w, w/2,
/// ..., w/64 around it (w the width of the fold cover) that passes the test.
/// Near a cusp the two branches' images meet tangentially, Newton decides
/// nothing on pairs across them, and each such pair would otherwise be
/// tested on its own hull, pass after pass.
std::vector<domain> injective_around_cusps(const plisse& p, const domain& D)
{
    std::vector<domain> regions;
    const double w = fold_cover_width(D);
    for (const domain& cusp : p.res.cusps) {
        for (double half = w; half >= w / 64; half /= 2) {
            const domain around = cusp.inflate(half).intersect(D);
            if (p.one_to_one_singular(around)) {
                regions.push_back(around);
                break;
            }
        }
    }
    return regions;
}

/// Whether the hull of a and b lies in one of the regions.
bool inside_one(const std::vector<domain>& regions, const domain& a, const domain& b)
{
    return std::any_of(regions.begin(), regions.end(),
                       [&](const domain& r) { return a.subset(r) && b.subset(r); });
}

pair_verdict fold_fold_verdict(const plisse& p, candidate_box& A, candidate_box& B, const domain& D,
                               const std::vector<domain>& injective_regions = {})
{
    // A crossing needs fold points in both boxes: the range of det over
    // either box settles most pairs before anything else.
    if (A.asks_nothing() || B.asks_nothing()) return {4, {}};
    if (A.box == B.box) {
        return {injective(A, [&p](const domain& b) { return p.one_to_one_singular(b); }) ? 1 : 0, {}};
    }
    // f one-to-one on the fold points of a box holding both: no pair in A × B.
    if (inside_one(injective_regions, A.box, B.box)) return {3, {}};
    if (images_apart(A.image, B.image)) return {2, {}};
    if (A.box.disjoint(B.box)) {
        if (apart_across(p, A, B)) return {2, {}};
        const pair_proof proof =
            prove_pair(p.newton_fold_fold, pair_box(A.box, B.box), domain(), pair_box(D, D), newton_applications);
        if (proof.verdict == zero_count::none) return {4, {}};
        if (proof.verdict == zero_count::one) return {5, proof.zero};
        // Near a cusp the two fold branches have images that meet tangentially
        // and Newton decides nothing; f one-to-one on the fold points of the
        // hull leaves no pair of distinct fold points with one image in A × B.
        return {one_to_one_around(p, A.box, B.box) ? 3 : 6, {}};
    }
    return {one_to_one_around(p, A.box, B.box) ? 3 : 7, {}};
}

/// The diagnostic block of an undecided pair.
void write_undecided(int k, const candidate_box& A, const candidate_box& B, int code)
{
    std::cout << "couple :" << k << " egaux ?" << (A.box == B.box ? 1 : 0) << std::endl;
    std::cout << "image disjointe :" << (A.image.disjoint(B.image) ? 1 : 0) << std::endl;
    std::cout << "pavé i :" << std::endl;
    A.box.out();
    std::cout << "pavé j :" << std::endl;
    B.box.out();
    std::cout << " resultat : " << code << std::endl;
    std::cout << "---------------------------------" << std::endl;
}

/// The pairs n fold boxes form, each with each one before it and with itself.
long long pairs_of(std::size_t n) { return static_cast<long long>(n) * (static_cast<long long>(n) + 1) / 2; }

/// Whether an image box can be proved apart from another: bounded and non-empty.
bool proper_image(const domain& image) { return bounded_over(image, image); }

/// Each pair (i, j), j <= i ascending, of boxes whose images are not proved
/// apart (images_apart): through a bucket grid over the proper images, every
/// box paired with each box whose image is not proper. Nothing when they are
/// more than `limit`.
std::optional<std::vector<std::pair<int, int>>> partners(const std::vector<candidate_box>& boxes, long long limit)
{
    std::vector<rectangle> images;
    std::vector<int> improper;
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
        const domain& image = boxes[i].image;
        const bool proper = proper_image(image);
        // An improper image is left out of the grid (read as empty, it meets nothing).
        images.push_back(proper ? rectangle{image.get("y0"), image.get("y1")}
                                : rectangle{interval::EMPTY(), interval::EMPTY()});
        if (!proper) improper.push_back(i);
    }
    const box_index index(images);
    std::vector<std::pair<int, int>> pairs;
    std::vector<int> all;
    for (int i = 0; i < static_cast<int>(boxes.size()); ++i) {
        all.clear();
        if (!proper_image(boxes[i].image)) {
            for (int j = 0; j <= i; ++j) all.push_back(j);
        } else {
            const std::vector<int> meeting = index.meeting(images[i]);
            std::merge(meeting.begin(), meeting.end(), improper.begin(), improper.end(), std::back_inserter(all));
        }
        for (const int j : all) {
            if (j > i) break;
            pairs.emplace_back(i, j);
        }
        if (static_cast<long long>(pairs.size()) > limit) return std::nullopt;
    }
    return pairs;
}

}  // namespace

/// Quarterings of a fold box of the cover at most before it is paired.
constexpr int simplification_depth = 2;

// Pairs of such boxes settle far sooner than pairs of boxes whose images each
// hold a stretch of the fold image that turns, and a box is examined once
// here instead of in every pair that holds it.
std::vector<candidate_box> simple_fold_boxes(const plisse& p, const std::vector<domain>& cover)
{
    std::vector<candidate_box> simple;
    std::vector<std::pair<domain, int>> pending;
    for (const domain& b : cover) pending.emplace_back(b, 0);
    while (!pending.empty()) {
        auto [b, depth] = std::move(pending.back());
        pending.pop_back();
        candidate_box c = candidate(p, b, points_of::fold);
        if (c.asks_nothing()) continue;
        const bool settled = c.arc && injective(c, [&p](const domain& box) { return p.one_to_one_singular(box); });
        if (settled || depth == simplification_depth || stop_requested()) {
            simple.push_back(std::move(c));
            continue;
        }
        for (domain& quarter : mesh(b, 2).boxes) pending.emplace_back(std::move(quarter), depth + 1);
    }
    return simple;
}

namespace {

/// The first pass: every fold box paired with itself and with each one
/// before it whose image is not proved apart from its own (those pairs would
/// be settled at once with code 2, and the search records no such pair);
/// nothing when these are more pairs than a pass may hold (a map whose
/// determinant is not proved non-zero anywhere, or a box much larger than the
/// fold boxes).
std::optional<pair_pass> first_pass(const plisse& p, const std::vector<domain>& folds)
{
    pair_pass pass;
    pass.boxes = simple_fold_boxes(p, folds);
    std::optional<std::vector<std::pair<int, int>>> pairs = partners(pass.boxes, pass_pair_limit);
    if (!pairs) return std::nullopt;
    pass.pairs = std::move(*pairs);
    return pass;
}

}  // namespace

void plisse::singular_singular(const domain& D, bool verbose)
{
    const std::vector<domain> folds = fold_cover(*this, D, fold_cover_width(D));
    std::optional<pair_pass> pass = first_pass(*this, folds);
    const std::vector<domain> injective_regions = injective_around_cusps(*this, D);
    // Without a first pass every pair of fold boxes is dropped undecided.
    undecided.fold_fold = static_cast<int>(std::min<long long>(pairs_of(folds.size()), INT_MAX));
    // (Each fold box, paired with itself, then stands for the pairs it is in.)
    if (!pass) for (const domain& b : folds) res.fold_fold_undecided.emplace_back(b, b);
    // A crossing on a face shared by two pairs is proved in both, and (p, q)
    // and (q, p) are one crossing: each is recorded once.
    distinct_zeros crossings(true);
    for (int number = 0; pass; ++number) {
        pair_pass& current = *pass;
        report_pass("fold–fold crossings", number, current.size());
        if (verbose) {
            std::cout << "_____________ passe :" << number << " __________taille :" << current.size()
                      << "______________________" << std::endl;
        }
        std::vector<int> open;
        for (int k = 0; k < current.size(); ++k) {
            // On a stop request the pairs not examined yet stay open.
            if (stopped_at(k, current.size(), open)) break;
            candidate_box& A = current.boxes[current.pairs[k].first];
            candidate_box& B = current.boxes[current.pairs[k].second];
            const pair_verdict v = fold_fold_verdict(*this, A, B, D, injective_regions);
            if (!settled(v.code)) {
                open.push_back(k);
                if (verbose) write_undecided(k, A, B, v.code);
            }
            if (v.code == 5 && crossings.insert(v.found)) res.fold_fold_pairs.push_back(proved_pair(v.found));
        }
        if (verbose) {
            std::cout << "Fin de la passe " << number << ", cardinal des couples encore à traiter : "
                      << open.size() << std::endl;
        }
        // The pairs still open when the search stops are dropped.
        undecided.fold_fold = static_cast<int>(open.size()) + crossings.unresolved();
        // A pair whose images are apart would only be settled with code 2.
        std::optional<pair_pass> next = !open.empty() && number < last_pass && !stop_requested()
                                            ? refine(*this, current, open, pass_pair_limit, true)
                                            : std::nullopt;
        if (!next) for (const int k : open) res.fold_fold_undecided.emplace_back(current.first(k), current.second(k));
        pass = std::move(next);
    }
    for (const proved_zero& z : crossings.unresolved_zeros()) res.fold_fold_undecided.push_back(proved_pair(z));
    if (verbose) std::cout << "cardinal des solutions :" << res.fold_fold_pairs.size() << std::flush;
}

int plisse::singular_singular(const domain& A, const domain& B) const
{
    candidate_box a = candidate(*this, A, points_of::fold);
    candidate_box b = candidate(*this, B, points_of::fold);
    return fold_fold_verdict(*this, a, b, box).code;
}

void plisse::improve_singular_singular()
{
    // Each record holds its crossing, and so does every Newton image of it
    // intersected with it.
    for (box_pair& pair : res.fold_fold_pairs) {
        pair = split_pair_box(tighten(newton_fold_fold, pair_box(pair.first, pair.second)));
    }
}
