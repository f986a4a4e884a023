// Fold–boundary crossings: where the fold image crosses the image of the
// boundary, and where the fold curve itself runs into the boundary. Each is
// proved unique in a small pair of boxes, counted once, then contracted.

#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "plisse.hpp"

#include <algorithm>
#include <cmath>
#include <iostream>

namespace {

/// Passes of the search, numbered 0 to this one. A cusp close to an edge
/// leaves pairs of its fold boxes and the edge open for some twenty passes.
constexpr int last_pass = 26;
/// Newton applications on the box of a pair at most.
constexpr int crossing_applications = 6;
/// Newton applications on an edge piece.
constexpr int edge_applications = 4;

/// A fold point (x1, x2) and a boundary point (x3, x4) with one image.
Map fold_boundary_system(const plisse& p)
{
    Map system = same_image_system(p.f);
    system.add(in_variables(p.det, "x1", "x2"));
    return system;
}

/// The restricted systems of the fold–boundary verdicts, built once per search.
struct fold_boundary_systems {
    /// The fold–boundary system.
    frozen_systems crossing;
    /// det along a face.
    frozen_systems edge;

    explicit fold_boundary_systems(const plisse& p) : crossing(fold_boundary_system(p)), edge(Map(p.det)) {}
};

/// Whether a fold point p of A and a point q ≠ p of the face piece F never have
/// one image. With H = A hull F (convex), d = p − q, k a
/// component with ∂f_k/∂v ≠ 0 on H (v along F, w across) and j the other:
/// f_k(p) = f_k(q) gives ∇f_k(r1)·d = 0 at some r1 ∈ H, so d = d_w·(ρ e_v + e_w)
/// with ρ = −∂_w f_k/∂_v f_k (r1) and d_w ≠ 0. At the fold point p, ∇f_j = λ∇f_k
/// with λ = ∂_v f_j/∂_v f_k (p). ψ(s) = (f_j − λ f_k)(q + s·d) has ψ(0) = ψ(1) and
/// ψ'(1) = 0, so by Rolle twice ψ''(s) = dᵀ(∇²f_j − λ∇²f_k)(r)d = 0 at some r ∈ H.
/// An enclosure of (ρ, 1)ᵀ(∇²f_j − λ∇²f_k)(ρ, 1) over H that excludes 0 rules
/// out every such pair.
bool no_pair_but_meeting_point(const plisse& p, const domain& A, const domain& F)
{
    const axis v = F.get("x").isPoint() ? along_y : along_x;
    const axis w = v == along_x ? along_y : along_x;
    const domain H = A.hull(F);
    const first_order_values over = p.programs().first_order(H);
    const f_second_order_values second = p.programs().f_second_order(H);
    if (!over.defined || !second.defined) return false;
    const auto& J = over.jacobian;
    const auto J_at_fold = p.programs().first_order(A).jacobian;
    for (int k = 0; k < 2; ++k) {
        const int j = 1 - k;
        if (!excludes_zero(J[k][v]) || !excludes_zero(J_at_fold[k][v])) continue;
        const interval rho = -J[k][w] / J[k][v];
        const interval lambda = J_at_fold[j][v] / J_at_fold[k][v];
        const auto projected = [&](axis a, axis b) {
            return second.hessian[j][a][b] - lambda * second.hessian[k][a][b];
        };
        const interval curvature = power(rho, 2) * projected(v, v) + interval(2.0) * rho * projected(v, w)
                                   + projected(w, w);
        if (excludes_zero(curvature)) return true;
    }
    return false;
}

bool settled(int code) { return (code >= 1 && code <= 5) || code == 7; }

/// The edge test: whether det has exactly one zero on the face piece F, lying
/// in A, where f is defined on all of F (a fold point is a point of the map);
/// when it has, the zero is stored in point.
bool edge_point(const plisse& p, const domain& A, const domain& F, frozen_systems& edges, bool verbose,
                proved_zero* point)
{
    if (!defined_on(p.f, F)) return false;
    if (verbose) {
        std::cout << "--------------------------------------------------" << std::endl;
        std::cout << "- one to one singular ----------------------------" << std::endl;
        std::cout << "--------------------------------------------------" << std::endl;
        edges.system().out();
    }
    domain G = F;
    const domain frozen = frozen_part(G);
    const newton& op = edges.restrict_to(G);
    if (verbose) op.system.out();
    const newton_run run = newton_iterates(op, G, edge_applications, false);
    if (verbose) run.last.out();
    const bool proved = run.verdict == zero_count::one && run.last.subset(G) && run.last.subset(A);
    if (proved && verbose) std::cout << "trop cool 1 !" << std::endl;
    if (proved && point != nullptr) *point = {G, tighten(op, run.last), frozen, &op};
    return proved;
}

/// Newton on the box of a fold box A and a face box F that do not touch: codes 2, 5 or 6.
pair_verdict crossing_verdict(const domain& A, const domain& F, frozen_systems& crossings, const domain& D,
                              bool verbose)
{
    domain X = pair_box(A, F);
    const domain frozen = frozen_part(X);
    if (verbose) crossings.system().out();
    const newton& op = crossings.restrict_to(X);
    if (verbose) {
        X.out();
        op.system.out();
    }
    const pair_proof proof =
        prove_pair(op, X, frozen, pair_box(D, D), crossing_applications, verbose ? &std::cout : nullptr);
    switch (proof.verdict) {
    case zero_count::none: return {2, {}};
    case zero_count::one: return {5, proof.zero};
    default: return {6, {}};
    }
}

/// The verdict on a fold box A that touches the face piece F: codes 2, 7 or 8.
/// Neither argument asks f to be one-to-one on A or F: the second-order one
/// rules out every pair of distinct points with one image by itself.
pair_verdict touching_verdict(const plisse& p, const domain& A, const domain& F, frozen_systems& edges,
                              bool verbose)
{
    // No fold point on the face piece and no pair of distinct points: nothing there.
    if (excludes_zero(p.programs().det(A.intersect(F))) && no_pair_but_meeting_point(p, A, F)) return {2, {}};
    pair_verdict v{8, {}};
    // The fold point on the face settles the pair only when no other pair of a
    // fold point of A and a point of F shares an image; else A is refined,
    // and the fold point, proved all the same, is recorded.
    if (edge_point(p, A, F, edges, verbose, &v.found) && no_pair_but_meeting_point(p, A, F)) {
        v.code = 7;
    }
    return v;
}

pair_verdict fold_boundary_verdict(const plisse& p, candidate_box& A, candidate_box& F,
                                   fold_boundary_systems& systems, const domain& D, bool verbose)
{
    if (verbose) {
        std::cout << "Singular :" << std::endl;
        A.box.out();
        std::cout << "Boundary :" << std::endl;
        F.box.out();
    }
    if (!A.may_fold) return {2, {}};
    if (images_apart(A.image, F.image) || apart_across(p, A, F)) return {2, {}};
    if (!A.box.disjoint(F.box)) return touching_verdict(p, A.box, F.box, systems.edge, verbose);
    if (!injective(F, [&p](const domain& b) { return p.one_to_one_boundary(b); })
        || !injective(A, [&p](const domain& b) { return p.one_to_one_singular(b); })) {
        return {8, {}};
    }
    const pair_verdict v = crossing_verdict(A.box, F.box, systems.crossing, D, verbose);
    // Near a fold point on the edge the fold image and the edge image are
    // tangent and Newton decides nothing; the second-order argument rules
    // out every pair there, and p ≠ q holds for boxes apart.
    if (v.code == 6 && no_pair_but_meeting_point(p, A.box, F.box)) return {2, {}};
    return v;
}

/// The faces of D cut into pieces about as long as the fold boxes are wide:
/// a whole face has an image so large that every fold box's image meets it,
/// and each pair would be refined pass after pass only to cut the face.
std::vector<domain> face_pieces(const domain& D, double width)
{
    std::vector<domain> pieces;
    for (const domain& face : D.boundary()) {
        const double length = face.width();
        const double parts = std::isfinite(length) && width > 0.0 ? std::ceil(length / width) : 1.0;
        for (domain& piece : mesh(face, static_cast<int>(std::clamp(parts, 1.0, 1024.0))).boxes)
            pieces.push_back(std::move(piece));
    }
    return pieces;
}

/// The first pass: every fold box with each piece of the faces of D, fold boxes outer.
pair_pass first_pass(const plisse& p, const domain& D, bool verbose)
{
    pair_pass pass;
    const double width = fold_cover_width(D);
    const std::vector<domain> folds = fold_cover(p, D, width);
    for (const domain& b : folds) pass.add(p, b, points_of::fold);
    const int first_piece = static_cast<int>(pass.boxes.size());
    const std::vector<domain> pieces = face_pieces(D, width);
    for (const domain& piece : pieces) pass.add(p, piece);
    for (int i = 0; i < first_piece; ++i) {
        for (int j = 0; j < static_cast<int>(pieces.size()); ++j) {
            pass.pairs.emplace_back(i, first_piece + j);
            if (verbose) {
                std::cout << j << "," << i << std::endl;
                folds[i].out();
                pieces[j].out();
            }
        }
    }
    return pass;
}

}  // namespace

int plisse::singular_boundary(const domain& D, bool verbose)
{
    res.fold_boundary_coded.clear();
    if (verbose) {
        std::cout << std::endl;
        std::cout << "----------------------------------------------------------------------" << std::endl;
        std::cout << "création de la liste initiale à partir de tout l'espace et du bord " << std::endl;
        std::cout << "-------------------------------------------------------------------" << std::endl;
    }
    fold_boundary_systems systems(*this);
    // A crossing or fold point on a face shared by two pairs is proved in
    // both: each is recorded once.
    distinct_zeros crossings(false);
    distinct_zeros edge_points(false);
    const coded_search_outcome outcome = run_coded_passes(
        *this, first_pass(*this, D, verbose), last_pass, "fold–boundary crossings", verbose,
        res.fold_boundary_coded,
        [&](candidate_box& A, candidate_box& F) { return fold_boundary_verdict(*this, A, F, systems, D, verbose); },
        settled,
        [&](const domain&, const domain&, const pair_verdict& v) {
            if (v.found.op == nullptr) return;
            if (v.code == 5) {
                if (crossings.insert(v.found)) res.fold_boundary_pairs.push_back(proved_pair(v.found));
            } else if (edge_points.insert(v.found)) {
                const domain meeting = v.found.tight.direct_sum(v.found.frozen);
                res.fold_boundary_pairs.emplace_back(meeting, meeting);
            }
        });
    undecided.fold_boundary = outcome.abandoned + crossings.unresolved() + edge_points.unresolved();
    for (const proved_zero& z : crossings.unresolved_zeros()) res.fold_boundary_coded.push_back({proved_pair(z), 8});
    for (const proved_zero& z : edge_points.unresolved_zeros()) {
        const domain meeting = z.tight.direct_sum(z.frozen);
        res.fold_boundary_coded.push_back({{meeting, meeting}, 8});
    }
    if (verbose) std::cout << "cardinal des solutions :" << res.fold_boundary_coded.size() << std::endl;
    return outcome.still_open;
}

int plisse::singular_boundary(const domain& A, const domain& F, bool verbose) const
{
    fold_boundary_systems systems(*this);
    candidate_box a = candidate(*this, A, points_of::fold);
    candidate_box face = candidate(*this, F);
    return fold_boundary_verdict(*this, a, face, systems, box, verbose).code;
}

bool plisse::one_to_one_singular_boundary(const domain& A, const domain& F, bool verbose) const
{
    frozen_systems edges{Map(det)};
    return edge_point(*this, A, F, edges, verbose, nullptr);
}

void plisse::improve_singular_boundary()
{
    // A crossing's two boxes are apart; a point where the fold curve meets
    // the boundary is recorded as (B, B).
    fold_boundary_systems systems(*this);
    for (box_pair& pair : res.fold_boundary_pairs) {
        if (pair.first.disjoint(pair.second)) {
            pair = contract_pair(systems.crossing, pair);
        } else {
            const domain point = contract_around_zero(systems.edge, pair.second);
            pair = {point, point};
        }
    }
}
