#pragma once
// The analysis object: one planar map over one box, everything derived from
// it once, and the searches that prove how it folds the plane.

#include "iboolean.hpp"
#include "map.hpp"
#include "matrix.hpp"
#include "mesh.hpp"
#include "newton.hpp"
#include "resultat.hpp"

#include <string>
#include <utility>
#include <vector>

/// What each search had to leave undecided (0 everywhere when every candidate was settled).
struct undecided_counts {
    /// Cusp candidates set aside as too narrow or beyond the work bound.
    int cusps = 0;
    /// Fold–fold pairs still open after the last pass (dropped).
    int fold_fold = 0;
    /// Boundary–boundary pairs recorded with code 8 at the pass limit.
    int boundary_boundary = 0;
    /// Fold–boundary pairs recorded with code 8 at the pass limit.
    int fold_boundary = 0;
};

class plisse {
public:
    Map f;
    expression_matrix jacobian;
    expression_matrix grad_det;
    newton newton_fold_fold;
    domain box;
    Map det_map;
    expression det;
    resultat res;
    Map tangent;
    Map cusp_map;
    newton newton_cusp;
    undecided_counts undecided;

    plisse(const expression& e1, const expression& e2, const mesh& m);

    /// Image box of b under f (variables y0, y1).
    domain evalue(const domain& b) const;

    // Critical points and the report.
    void critical_points(const domain& b);
    void courbe_singuliere(double eps);
    void remove_critical_points();

    // Cusps.
    int Cusp(const domain& b);
    bool one_to_one_cusp(const domain& n, bool verbose) const;
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
    iboolean one_to_one(const domain& b) const;
    void one_to_one();
    bool one_to_one_boundary(const domain& e) const;
    bool one_to_one_boundary(const domain& e1, const domain& e2) const;
    bool one_to_one_singular(const domain& b) const;
    void image();

    // Fold-curve topology and overlap lists.
    void relation();
    void relation2();
    bool relation4();
    std::vector<std::vector<int>> graphe(const std::vector<int>& L) const;
    components composantes_connexes(const std::vector<int>& L) const;
    components fr_composantes_connexes(int k) const;
};

/// Freezes the point-valued variables of b inside m and removes them from b.
void equation(Map& m, domain& b);
