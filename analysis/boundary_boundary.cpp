// Boundary–boundary crossings: two boundary points with one image, each pair
// proved by Newton on the system of the two edges and counted once.

#include "newton_proof.hpp"
#include "pair_search.hpp"
#include "plisse.hpp"

#include <iostream>
#include <optional>

namespace {

/// Passes of the search, numbered 0 to this one.
constexpr int last_pass = 25;
/// Newton applications on the box of a pair at most.
constexpr int newton_applications = 6;

bool settled(int code) { return code >= 1 && code <= 5; }

/// The point where the faces of the pieces A and B meet, when they lie on two
/// faces across each other (one fixes x, the other y).
std::optional<domain> common_corner(const domain& A, const domain& B)
{
    const bool a_fixes_x = A.get("x").isPoint(), b_fixes_x = B.get("x").isPoint();
    if (a_fixes_x == b_fixes_x) return std::nullopt;
    const domain& fixing_x = a_fixes_x ? A : B;
    const domain& fixing_y = a_fixes_x ? B : A;
    return domain{{"x", fixing_x.get("x")}, {"y", fixing_y.get("y")}};
}

pair_verdict boundary_boundary_verdict(const plisse& p, candidate_box& A, candidate_box& B,
                                       frozen_systems& systems, const domain& D, bool verbose)
{
    if (verbose) {
        A.box.out();
        B.box.out();
    }
    const auto one_to_one = [&p](const domain& e) { return p.one_to_one_boundary(e); };
    if (A.box == B.box && injective(B, one_to_one)) return {1, {}};
    if (!injective(B, one_to_one) || !injective(A, one_to_one)) return {8, {}};
    if (images_apart(A.image, B.image)) return {2, {}};
    if (!A.box.disjoint(B.box)) return {p.one_to_one_boundary(A.box, B.box) ? 3 : 7, {}};
    // Pieces of two faces that meet at a corner c, near it: the meeting of
    // their images at f(c) keeps Newton from deciding. Each piece stretched to
    // c still meets the other only at c, and the two-piece test on them rules
    // out every pair of distinct points with one image.
    if (const std::optional<domain> c = common_corner(A.box, B.box)) {
        if (p.one_to_one_boundary(A.box.hull(*c), B.box.hull(*c))) return {3, {}};
    }

    domain X = pair_box(A.box, B.box);
    const domain frozen = frozen_part(X);
    if (verbose) systems.system().out();
    const newton& op = systems.restrict_to(X);
    if (verbose) {
        X.out();
        op.system.out();
    }
    const pair_proof proof =
        prove_pair(op, X, frozen, pair_box(D, D), newton_applications, verbose ? &std::cout : nullptr);
    switch (proof.verdict) {
    case zero_count::none: return {4, {}};
    case zero_count::one: return {5, proof.zero};
    default: return {6, {}};
    }
}

/// The first pass: every face of D with each face before it and with itself.
pair_pass first_pass(const plisse& p, const domain& D, bool verbose)
{
    pair_pass pass;
    const std::vector<domain> faces = D.boundary();
    for (const domain& face : faces) pass.add(p, face);
    for (int i = 0; i < static_cast<int>(faces.size()); ++i) {
        for (int j = 0; j <= i; ++j) {
            pass.pairs.emplace_back(j, i);
            if (verbose) {
                std::cout << j << "," << i << std::endl;
                faces[j].out();
                faces[i].out();
            }
        }
    }
    return pass;
}

}  // namespace

void plisse::boundary_boundary(const domain& D, bool verbose)
{
    if (verbose) {
        std::cout << std::endl;
        std::cout << "----------------------------------------------" << std::endl;
        std::cout << "création de la liste initiale à partir du bord" << std::endl;
        std::cout << "----------------------------------------------" << std::endl;
    }
    frozen_systems systems(same_image_system(f));
    // A crossing at a point shared by two pairs is proved in both, and (p, q)
    // and (q, p) are one crossing: each is recorded once.
    distinct_zeros crossings(true);
    const coded_search_outcome outcome = run_coded_passes(
        *this, first_pass(*this, D, verbose), last_pass, "boundary–boundary crossings", verbose,
        res.boundary_boundary_coded,
        [&](candidate_box& A, candidate_box& B) { return boundary_boundary_verdict(*this, A, B, systems, D, verbose); },
        settled,
        [&](const domain&, const domain&, const pair_verdict& v) {
            if (v.code == 5 && crossings.insert(v.found)) res.boundary_boundary_pairs.push_back(proved_pair(v.found));
        });
    undecided.boundary_boundary = outcome.abandoned + crossings.unresolved();
    for (const proved_zero& z : crossings.unresolved_zeros()) res.boundary_boundary_coded.push_back({proved_pair(z), 8});
    if (verbose) std::cout << "cardinal des solutions :" << res.boundary_boundary_coded.size() << std::flush;
}

int plisse::boundary_boundary(const domain& A, const domain& B, bool verbose) const
{
    frozen_systems systems(same_image_system(f));
    candidate_box a = candidate(*this, A);
    candidate_box b = candidate(*this, B);
    return boundary_boundary_verdict(*this, a, b, systems, box, verbose).code;
}

std::pair<domain, domain> plisse::improve_boundary_boundary(const std::pair<domain, domain>& p) const
{
    frozen_systems systems(same_image_system(f));
    return contract_pair(systems, p);
}

void plisse::improve_boundary_boundary()
{
    frozen_systems systems(same_image_system(f));
    for (box_pair& pair : res.boundary_boundary_pairs) pair = contract_pair(systems, pair);
}
