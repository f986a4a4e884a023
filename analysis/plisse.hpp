#pragma once
// The analysis object: one planar map over one box, everything derived from
// it once, and the searches that prove how it folds the plane.

#include "features.hpp"
#include "iboolean.hpp"
#include "map.hpp"
#include "matrix.hpp"
#include "mesh.hpp"
#include "newton.hpp"
#include "programs.hpp"
#include "resultat.hpp"

#include <array>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

/// What each search had to leave undecided (0 everywhere when every candidate was settled).
struct undecided_counts {
    /// Cusp candidates set aside as too narrow or beyond the work bound.
    int cusps = 0;
    /// Fold–fold pairs still open after the last pass or beyond the pair limit (dropped).
    int fold_fold = 0;
    /// Boundary–boundary pairs recorded with code 8 at the pass or pair limit.
    int boundary_boundary = 0;
    /// Fold–boundary pairs recorded with code 8 at the pass or pair limit.
    int fold_boundary = 0;
};

/// Wall-clock seconds of each search of the last critical_points.
struct search_times {
    double cusps = 0.0;
    double fold_fold = 0.0;
    double boundary_boundary = 0.0;
    double fold_boundary = 0.0;
    double topology = 0.0;
};

/// Told by a search at the start of each pass: the search's name, the pass
/// number (from 0) and the number of candidates of the pass.
using progress_report = std::function<void(const char* search, int pass, int candidates)>;

/// The fold points of a box when they form one arc v = φ(u), and what
/// encloses their images: for a fold point p = (φ(u), u) of the box,
/// f(p) ∈ reference_image + slope·step.
struct fold_arc {
    /// An enclosure of f at one fold point p0 = (φ(u0), u0) of the box.
    domain reference_image;
    /// An enclosure over the box of the derivative of f along the arc, d/du f(φ(u), u).
    domain slope;
    /// An enclosure of u − u0 over the arc's points in the box.
    interval step;
    /// A normal of the fold image at p0: orthogonal to the image of Df(p0), to
    /// the rounding of the enclosures it is read from.
    std::pair<double, double> normal;
    /// reference_image + slope·step, intersected with the image of the box.
    domain image;
};

/// What is proved about the points of the studied box that f sends to one
/// point of the target.
struct preimage_count {
    /// The point, over y0 and y1.
    domain target;
    /// Their number, when every part of the box is accounted for.
    std::optional<int> count;
    /// A narrow box around each preimage proved, each holding exactly one.
    std::vector<domain> boxes;
    /// Why the count could not be made, when it could not.
    std::string reason;
};

/// A piece of a singular cell on which the fold curve is proved to consist
/// of graphs over the other variable: det is strictly monotone along `along`.
struct fold_piece {
    domain box;
    std::string along;
};

/// A feature the fold curve passes through: a cusp, one fold point of a
/// fold–fold crossing (branch 0 for its first box, 1 for its second), or the
/// fold point of a fold–boundary crossing; index counts from 0 in the results'
/// list of its kind.
struct fold_curve_feature {
    feature_kind kind = feature_kind::cusp;
    int index = 0;
    int branch = 0;
};

/// One connected component of the fold curve inside the studied box.
struct fold_curve_component {
    bool closed = false;
    /// The two ends of an open component, where it meets the boundary: the
    /// index (from 0) of the point among the points where the fold meets the
    /// boundary, or none when no such point is proved to be that end.
    std::array<std::optional<int>, 2> ends;
    /// Thin boxes on the boundary holding the two ends of an open component.
    std::array<domain, 2> end_boxes;
    /// The features along the component, in order: from the first end of an
    /// open component; around a closed one.
    std::vector<fold_curve_feature> features;
    /// Chains of boxes enclosing the curve from one feature to the next (from
    /// the first end to the first feature, ..., from the last feature to the
    /// second end; around a closed component, from each feature to the next).
    std::vector<std::vector<domain>> arcs;
};

/// The fold curve as a graph: its components and the features on each.
struct fold_curve_graph {
    std::vector<fold_curve_component> components;
};

/// Whether the map is stable on the studied box (Whitney): stable is true
/// when proved, false when a point is proved where it is not, and empty when
/// neither is shown; reason names the point or the part not shown.
struct stability_verdict {
    std::optional<bool> stable;
    std::string reason;
};

class plisse {
public:
    // The map and what the searches derive from it, fixed at construction
    // (the searches run programs compiled from them then).
    const Map f;
    const expression_matrix jacobian;
    const expression det;
    const Map det_map;
    const expression_matrix grad_det;
    /// Second derivatives of det (see second_derivatives).
    const expression_matrix det_hessian;
    const Map tangent;
    const Map cusp_map;
    const newton newton_fold_fold;
    const newton newton_cusp;
    domain box;
    resultat res;
    undecided_counts undecided;
    search_times times;
    /// Whether critical_points lets the crossing searches write their diagnostic lines.
    bool verbose = false;
    /// Whether the last critical_points proved the topology of the fold curve
    /// (its report then says " The singular curve is known. ").
    bool fold_curve_known = false;
    /// The pieces of the singular cells over which the last critical_points
    /// proved the fold curve to be graphs (empty when the curve is unknown).
    std::vector<fold_piece> fold_pieces;
    /// The fold curve's components with their features, when the curve is
    /// known and the features could be placed along it.
    std::optional<fold_curve_graph> fold_curve;
    /// Why fold_curve is absent when the curve is known.
    std::string fold_curve_failure;
    /// Called, when set, at the start of each pass of each search.
    progress_report progress;

    /// Derives everything the searches need from f = (e1, e2) over the paving m,
    /// then prints cusp_map.
    plisse(const expression& e1, const expression& e2, const mesh& m);

    /// Image box of b under f (variables y0, y1).
    domain evalue(const domain& b) const;
    /// The arc of the fold points of b, when they are proved to form one and
    /// one of them is enclosed.
    std::optional<fold_arc> arc_of(const domain& b) const;
    /// An enclosure of the images of the fold points of b: the image of their
    /// arc (arc_of) where they form one, else evalue(b).
    domain fold_image(const domain& b) const;
    /// Tells progress, when set, that search starts a pass.
    void report_pass(const char* search, int pass, int candidates) const
    {
        if (progress) progress(search, pass, candidates);
    }

    // Critical points and the report.
    void critical_points(const domain& b);
    void courbe_singuliere(double eps);
    void remove_critical_points();

    // Cusps.
    /// Proves the cusps in b, one box each; returns the number of boxes left undecided.
    int Cusp(const domain& b);
    /// Whether the cusp in n is proved non-degenerate, hence unique.
    bool one_to_one_cusp(const domain& n, bool verbose) const;
    /// Shrinks every cusp box around its cusp by Newton steps.
    void improve_cusp();

    // Fold–fold crossings.
    void singular_singular(const domain& D, bool verbose);
    int singular_singular(const domain& A, const domain& B) const;
    void improve_singular_singular();

    // Fold–boundary crossings.
    int singular_boundary(const domain& D, bool verbose);
    int singular_boundary(const domain& A, const domain& F, bool verbose) const;
    bool one_to_one_singular_boundary(const domain& A, const domain& F, bool verbose) const;
    void improve_singular_boundary();

    // Boundary–boundary crossings.
    void boundary_boundary(const domain& D, bool verbose);
    int boundary_boundary(const domain& A, const domain& B, bool verbose) const;
    std::pair<domain, domain> improve_boundary_boundary(const std::pair<domain, domain>& p) const;
    void improve_boundary_boundary();

    // Injectivity and images.
    /// true when det is proved non-zero on b, perhaps otherwise (never false).
    iboolean one_to_one(const domain& b) const;
    /// Appends to singular_indices every cell whose det is not proved non-zero.
    void one_to_one();
    /// Whether f is proved one-to-one along the boundary edge e.
    bool one_to_one_boundary(const domain& e) const;
    /// Whether f is proved one-to-one on two boundary edges that meet.
    bool one_to_one_boundary(const domain& e1, const domain& e2) const;
    /// The injectivity test of a box that may hold fold points: det proved
    /// non-zero, the fold tangent proved not sent to 0, or a non-degenerate cusp.
    bool one_to_one_singular(const domain& b) const;
    /// Appends the image box of every cell and of every boundary piece.
    void image();
    /// The preimages of (a, b) in the studied box: every part of the box is
    /// shown to hold no preimage (its image misses the point, or Newton
    /// excludes one) or exactly one (Newton); parts that stay undecided,
    /// near a preimage on the fold curve or on an edge, leave the count open.
    /// Boxes narrower than narrowest_relative times the scale of the box are
    /// left undecided.
    preimage_count preimages(double a, double b, double narrowest_relative = 1e-9) const;
    /// The sheet number of (a, b), its preimage count, for a picture of the
    /// target plane: points within about 1e-5 of the box's scale from the
    /// fold image or the boundary image are given up sooner, as none.
    std::optional<int> sheet_number(double a, double b) const;

    /// The fold curve's components built from fold_pieces and the proved
    /// features; fold_curve_failure says why when they cannot be.
    std::optional<fold_curve_graph> fold_graph(std::string& failure) const;

    /// Stability on the studied box from the last critical_points.
    stability_verdict stability() const;
    /// Why the map is not stable at the point p (a box of two points), when
    /// exact evaluations there prove a singularity that is neither a fold
    /// nor a non-degenerate cusp.
    std::optional<std::string> unstable_point(const domain& p) const;
    /// Three points among points (boxes of points) that are critical and have
    /// one image, by exact evaluation, when there are.
    std::optional<std::string> triple_point(const std::vector<domain>& points) const;

    // Fold-curve topology and overlap lists.
    void relation();
    void relation2();
    bool relation4();
    std::vector<std::vector<int>> graphe(const std::vector<int>& L) const;
    components composantes_connexes(const std::vector<int>& L) const;
    components fr_composantes_connexes(int k) const;

    /// The programs compiled from f and what is derived from it.
    const analysis_programs& programs() const { return programs_; }

private:
    analysis_programs programs_;
};

/// The map (e1, e2) as the analysis studies it: components y0 and y1,
/// simplified, in the variables x and y.
Map studied_map(const expression& e1, const expression& e2);

/// The second derivatives of the function whose first derivatives are the
/// entries of row r of the Jacobian matrix J: row y0 holds ∂²/∂x∂·, row y1
/// holds ∂²/∂y∂·, columns x and y.
expression_matrix second_derivatives(const expression_matrix& J, const std::string& r);

/// Freezes the point-valued variables of b inside m and removes them from b.
void equation(Map& m, domain& b);

// Sound interval tests shared by the searches: an empty or unbounded
// enclosure is never taken as evidence of anything.

/// Whether I is a bounded, non-empty interval without 0.
bool excludes_zero(const interval& I);
/// Whether I is non-empty and bounded.
bool proper(const interval& I);
/// Whether some interval of W excludes 0: the sound form of "the zero box is
/// not a subset of W" (a W without variables excludes nothing).
bool excludes_zero(const domain& W);
/// Whether N holds every variable of B, each with a bounded, non-empty interval.
bool bounded_over(const domain& N, const domain& B);
/// Whether every square root, logarithm, quotient, negative power and tangent
/// in the components of m has its argument inside its domain over the whole of b.
bool defined_on(const Map& m, const domain& b);
/// The same for every entry of m.
bool defined_on(const expression_matrix& m, const domain& b);
