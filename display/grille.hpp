#pragma once
// Coloured lattices of the source rectangle and of its image.

#include "expression.hpp"
#include "vector_nD.hpp"

#include <string>
#include <vector>

/// Intensity of colour channel canal (1 red, 2 green, 3 blue) at parameter t in [0, 1].
double couleur(int canal, double t);

class grille {
public:
    std::vector<vector_nD<double>> points;
    std::vector<double> values;
    int n = 0;

    grille() = default;
    /// Lattice of [a, c] x [b, d] with n intervals per side.
    grille(double a, double b, double c, double d, int n);
    /// The same lattice mapped by (f, g).
    grille(const expression& f, const expression& g, double a, double b, double c, double d, int n);
    /// h points per side of box (only points filled).
    grille(const domain& box, double h);

    /// Draws every segment into the current OpenGL context.
    void dessine() const;
    /// Writes the grid as a LaTeX picture; false when the file cannot be written.
    bool dessine_latex(const std::string& file) const;
    /// Empties every point, then the list of points.
    void cl();
};
