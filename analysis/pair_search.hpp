#pragma once
// What the three crossing searches share: the box and the equations of a pair
// of points, the enclosure of the fold curve that seeds the fold searches, and
// the candidate list of a pass with its refinement.

#include "newton_proof.hpp"
#include "plisse.hpp"
#include "stop_request.hpp"

#include <iostream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

/// X(A, B) = {x1 ↦ A[x], x2 ↦ A[y], x3 ↦ B[x], x4 ↦ B[y]}.
domain pair_box(const domain& A, const domain& B);

/// The two plane boxes of a pair box: ({x ↦ X[x1], y ↦ X[x2]}, {x ↦ X[x3], y ↦ X[x4]}).
std::pair<domain, domain> split_pair_box(const domain& X);

/// The two plane boxes of the narrow enclosure of a proved zero, its frozen values included.
std::pair<domain, domain> proved_pair(const proved_zero& z);

/// The two plane boxes of a recorded zero of the two-point system of
/// `systems`, narrowed around it (contract_around_zero on their pair box).
std::pair<domain, domain> contract_pair(frozen_systems& systems, const std::pair<domain, domain>& pair);

/// X with its two points exchanged: x1 and x3 swap intervals, and so do x2 and x4
/// (variables X lacks stay absent).
domain swap_points(const domain& X);

/// e over other variables: x renamed x_name, then y renamed y_name.
expression in_variables(const expression& e, const std::string& x_name, const std::string& y_name);

/// The equations of two points (x1, x2) and (x3, x4) with the same image under f:
/// y0 = f1(x1, x2) − f1(x3, x4), y1 = f2(x1, x2) − f2(x3, x4). All four unknowns are
/// declared, so the system keeps its columns whatever variables f lacks.
Map same_image_system(const Map& f);

/// Width below which the fold boxes that seed the fold searches over D are
/// final: 0.1 for a box as wide as the program's built-in one (1.31), in
/// proportion for others, so that the searches see the same picture at
/// every scale.
double fold_cover_width(const domain& D);

/// The boxes narrower than eps on which the Jacobian determinant may vanish,
/// then the boxes on which it is proved to vanish throughout: set inversion of
/// det over D with the target 0.
std::vector<domain> fold_cover(const plisse& p, const domain& D, double eps);

/// Whether the image boxes a and b are proved apart: both bounded and non-empty, and disjoint.
bool images_apart(const domain& a, const domain& b);

/// The verdict code on a pair, with the crossing or fold point it proves, if any.
struct pair_verdict {
    int code;
    proved_zero found;
};

/// The points of a candidate box a search asks about: all of them (a boundary
/// piece), or its fold points only (a fold box).
enum class points_of { all, fold };

/// One box of a pass, with what the verdicts ask of it more than once.
struct candidate_box {
    domain box;
    /// An enclosure of the images of the points of box the search asks about.
    domain image;
    /// Whether det may vanish on box (its enclosure is not proved free of 0).
    bool may_fold;
    /// The search's injectivity test on box, once asked.
    std::optional<bool> injective;
    points_of points = points_of::all;
    /// For a fold box, the arc of its fold points (plisse::arc_of), if proved.
    std::optional<fold_arc> arc;
    /// f at the centre of box and the Jacobian matrix over box, once asked
    /// (nothing where the Jacobian is not defined on the whole box).
    std::optional<std::optional<std::pair<domain, interval_matrix>>> centred;

    /// Whether box holds none of the points the search asks about: a fold box
    /// on which det is proved not to vanish. Its image is then not computed.
    bool asks_nothing() const { return points == points_of::fold && !may_fold; }
};

/// b as a candidate: the image of its points under p's map (p.fold_image for
/// its fold points) and the sign test of det over it.
candidate_box candidate(const plisse& p, const domain& b, points_of points = points_of::all);

/// The fold boxes of a cover, each quartered (at most twice) until the fold
/// points in it are proved to form one arc on which f is one-to-one, as the
/// fold–fold search pairs them; quarters without fold points are left out.
std::vector<candidate_box> simple_fold_boxes(const plisse& p, const std::vector<domain>& cover);

/// Whether no point of A and point of B the search asks about share an image,
/// proved across a normal n of a fold image (the arc's of A, then B's):
/// f(p) = f(q) gives n·f(p) = n·f(q), so disjoint enclosures of n·f over
/// the two sets of points leave no pair. Where two images run side by side,
/// their image boxes overlap although the curves are apart across them.
bool apart_across(const plisse& p, candidate_box& A, candidate_box& B);

/// The search's injectivity test on c, run at most once per box of a pass.
template <class Test>
bool injective(candidate_box& c, Test test)
{
    if (!c.injective) c.injective = test(c.box);
    return *c.injective;
}

/// The candidates of one pass of a crossing search: each box held once with its
/// image, and the pairs as the positions of their two boxes.
struct pair_pass {
    std::vector<candidate_box> boxes;
    std::vector<std::pair<int, int>> pairs;

    /// Appends candidate(p, b, points); returns its position.
    int add(const plisse& p, const domain& b, points_of points = points_of::all);
    const domain& first(int k) const { return boxes[pairs[k].first].box; }
    const domain& second(int k) const { return boxes[pairs[k].second].box; }
    int size() const { return static_cast<int>(pairs.size()); }
};

/// On a stop request, appends the positions k to size − 1 (the pairs of the
/// pass not examined yet) to open and returns true.
inline bool stopped_at(int k, int size, std::vector<int>& open)
{
    if (!stop_requested()) return false;
    for (; k < size; ++k) open.push_back(k);
    return true;
}

/// Candidate pairs a pass of a crossing search may hold. Each undecided pair
/// becomes up to 16 pairs, so on a map where no pass settles anything (a
/// constant map, a determinant that vanishes everywhere, boundary images that
/// overlap) a search would fill memory within a few passes. The maps the
/// searches settle stay below 30000 pairs a pass; a pass of this many pairs
/// takes from a fraction of a second (polynomial maps) to a few seconds.
constexpr int pass_pair_limit = 150000;

/// The next pass: each pair at the positions `open`, in order, replaced by the
/// pairs of the halves of its boxes (each half asked about the same points as its box) (mesh(A, 2) × mesh(B, 2), first box outer);
/// when A equals B only the pairs (a, b) with a ≤ b, each half also with itself.
/// With drop_apart, the pairs whose images are proved apart (images_apart) or
/// one of whose boxes asks about nothing are left out, for a search that
/// records nothing of them. Nothing when the next
/// pass would hold more than `limit` pairs, or on a stop request: the search
/// then stops as at its last pass.
std::optional<pair_pass> refine(const plisse& p, const pair_pass& pass, const std::vector<int>& open,
                                int limit = pass_pair_limit, bool drop_apart = false);

/// Appends to coded, with code 8, the pairs a search gives up when it stops
/// after `pass` with the pairs at `open` undecided: every pair of `next`, the
/// pass it would have examined, or the open pairs themselves when that pass
/// would have been too large to form. Returns their number.
int give_up(const pair_pass& pass, const std::vector<int>& open, const std::optional<pair_pass>& next,
            std::vector<coded_pair>& coded);

/// What a search that codes every pair left: the pairs still open after the
/// last pass it made, and the pairs it gave up with code 8.
struct coded_search_outcome {
    int still_open = 0;
    int abandoned = 0;
};

/// The passes of a search that codes every pair (boundary–boundary,
/// fold–boundary), from the pairs of `pass`: each pair gets verdict(A, B),
/// handed to record(A, B, verdict) (a verdict may prove a feature without
/// settling its pair); a code that `settled` accepts is appended to coded
/// with the pair; the open pairs are refined into the next pass
/// until pass number last_pass or the pair limit, where they are given up.
/// A stop request gives up the pairs not examined yet with the open ones.
/// Writes the searches' verbose lines and tells p's progress hook of each pass.
template <class Verdict, class Settled, class Record>
coded_search_outcome run_coded_passes(const plisse& p, pair_pass pass, int last_pass, const char* name,
                                      bool verbose, std::vector<coded_pair>& coded, Verdict verdict,
                                      Settled settled, Record record)
{
    coded_search_outcome outcome;
    for (int number = 0;; ++number) {
        p.report_pass(name, number, pass.size());
        if (verbose) {
            std::cout << "-------------------------------------" << std::endl;
            std::cout << "Passe n° : " << number << ", taille de la liste à traiter  : " << pass.size() << std::endl;
        }
        std::vector<int> open;
        for (int k = 0; k < pass.size(); ++k) {
            if (stopped_at(k, pass.size(), open)) break;
            candidate_box& A = pass.boxes[pass.pairs[k].first];
            candidate_box& B = pass.boxes[pass.pairs[k].second];
            const pair_verdict v = verdict(A, B);
            if (verbose) std::cout << "couple n° : " << k << ", état : " << v.code << std::endl;
            record(A.box, B.box, v);
            if (!settled(v.code)) {
                open.push_back(k);
                continue;
            }
            coded.push_back({{A.box, B.box}, v.code});
        }
        if (verbose) {
            std::cout << "Fin de la passe " << number << ", cardinal des couples encore à traiter : "
                      << open.size() << std::endl;
        }
        outcome.still_open = static_cast<int>(open.size());
        if (open.empty()) break;
        std::optional<pair_pass> next = stop_requested() ? std::nullopt : refine(p, pass, open);
        if (!next || number == last_pass) {
            outcome.abandoned = give_up(pass, open, next, coded);
            break;
        }
        pass = std::move(*next);
    }
    return outcome;
}
