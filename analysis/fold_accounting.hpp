#pragma once
// The proof that the fold curve is known in the singular cells, shared by the
// topology check and by the fold-curve graph built from its pieces.

#include "plisse.hpp"

#include <optional>
#include <string>
#include <vector>

/// The work of establishing the fold curve in the singular cells: boxes and
/// side pieces examined, up to a bound beyond which the curve stays unknown.
struct fold_accounting {
    const plisse& p;
    /// Where cell_known records the pieces it proves to hold graphs, when set.
    std::vector<fold_piece>* pieces = nullptr;
    long work = 0;
    static constexpr long work_bound = 200000;
    /// Halvings of a side at most.
    static constexpr int side_depth = 24;
    /// Quarterings of a cell at most.
    static constexpr int cell_depth = 6;

    bool spent() { return ++work > work_bound; }
    /// A point a little off the centre of I where pieces are cut: maps given
    /// with round numbers often have fold points at the centres of round
    /// intervals, and a fold point at the end of a piece leaves it undecided.
    static double off_centre(const interval& I) { return I.inf() + 0.4876543 * (I.sup() - I.inf()); }
    /// The lower or upper end of the side S along v.
    static domain end_of(const domain& S, const std::string& v, bool upper)
    {
        domain end = S;
        end[v] = interval(upper ? S.get(v).sup() : S.get(v).inf());
        return end;
    }
    interval det(const domain& b) const { return p.programs().det(b); }

    /// The zeros of det on the side S (one free variable v), in order along
    /// v, when they are known: S splits into pieces on each of which det
    /// excludes 0, or is strictly monotone with end values of strict sign (so
    /// it has no zero, or exactly one, where it changes sign transversally).
    /// Each zero is given by the range in v of its piece.
    std::optional<std::vector<interval>> side_zero_pieces(const domain& S, const std::string& v, int depth)
    {
        if (spent()) return std::nullopt;
        if (excludes_zero(det(S))) return std::vector<interval>{};
        // The monotone argument needs det differentiable on the whole side.
        const first_order_values values = p.programs().first_order(S);
        if (values.defined && excludes_zero(values.grad_det[axis_of(v)])) {
            const interval lower = det(end_of(S, v, false)), upper = det(end_of(S, v, true));
            if (!excludes_zero(lower) || !excludes_zero(upper)) return std::nullopt;
            if ((lower.sup() < 0.0) == (upper.sup() < 0.0)) return std::vector<interval>{};
            return std::vector<interval>{S.get(v)};
        }
        if (depth == 0) return std::nullopt;
        const double cut = off_centre(S.get(v));
        domain lower = S, upper = S;
        lower[v] = interval(S.get(v).inf(), cut);
        upper[v] = interval(cut, S.get(v).sup());
        std::optional<std::vector<interval>> zeros = side_zero_pieces(lower, v, depth - 1);
        if (!zeros) return std::nullopt;
        const std::optional<std::vector<interval>> above = side_zero_pieces(upper, v, depth - 1);
        if (!above) return std::nullopt;
        zeros->insert(zeros->end(), above->begin(), above->end());
        return zeros;
    }

    /// The number of zeros of det on the side S, when side_zero_pieces knows them.
    std::optional<int> side_zeros(const domain& S, const std::string& v, int depth)
    {
        const std::optional<std::vector<interval>> zeros = side_zero_pieces(S, v, depth);
        if (!zeros) return std::nullopt;
        return static_cast<int>(zeros->size());
    }

    /// Whether the fold curve in the cell P is known: det excludes 0 on P, or
    /// some partial derivative u of det excludes 0 on P and the zeros of det on
    /// the four sides are known. Then every line along u meets det = 0 at most
    /// once in P, so no closed component lies in P and every arc is a graph
    /// over the other variable with both ends among the known side zeros.
    /// Otherwise P is cut in four and each quarter must be known.
    bool cell_known(const domain& P, int depth)
    {
        // The arcs are those of the map's fold curve only where the map is
        // defined, and the graph argument differentiates det.
        if (spent() || !defined_on(p.f, P) || !defined_on(p.det_map, P) || !defined_on(p.grad_det, P)) return false;
        if (excludes_zero(det(P))) return true;
        const interval_matrix gradient = p.grad_det.evalue(P);
        const bool along_x = excludes_zero(gradient.entry("y0", "x"));
        if (along_x || excludes_zero(gradient.entry("y0", "y"))) {
            for (const std::string v : {"x", "y"}) {
                const std::string across = v == "x" ? "y" : "x";
                for (const bool upper : {false, true}) {
                    domain S = P;
                    S[across] = interval(upper ? P.get(across).sup() : P.get(across).inf());
                    if (!side_zeros(S, v, side_depth)) return false;
                }
            }
            if (pieces) pieces->push_back({P, along_x ? "x" : "y"});
            return true;
        }
        if (depth == 0) return false;
        const double x = off_centre(P.get("x")), y = off_centre(P.get("y"));
        for (const interval& X : {interval(P.get("x").inf(), x), interval(x, P.get("x").sup())}) {
            for (const interval& Y : {interval(P.get("y").inf(), y), interval(y, P.get("y").sup())}) {
                if (!cell_known(domain{{"x", X}, {"y", Y}}, depth - 1)) return false;
            }
        }
        return true;
    }
};
