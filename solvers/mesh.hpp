#pragma once
// Pavings: a box cut into equal parts per variable, in a fixed order.

#include "domain.hpp"

#include <iostream>
#include <string>
#include <vector>

class mesh {
public:
    std::vector<domain> boxes;
    domain whole_box;
    std::vector<domain> faces;
    int subdivisions = 0;

    mesh() = default;
    /// The paving of one box.
    explicit mesh(const domain& D);
    /// D cut into n equal parts along each variable, variables in name order.
    mesh(const domain& D, int n);

    /// Every box cut into n parts along v (point variables not cut).
    mesh cut(const std::string& v, int n) const;
    /// Position of the box holding the lower corner of P; outside
    /// [0, boxes.size()) when P is outside the paved box, -1 when a part
    /// number is not a finite int (test the result with holds).
    int which_one(const domain& P) const;
    /// Whether k is a position of boxes.
    bool holds(int k) const { return k >= 0 && k < static_cast<int>(boxes.size()); }
    /// Every box with domain::out, in list order.
    void out(std::ostream& os = std::cout) const;
    /// Appends the boxes of M.
    void myinsert(const mesh& M);
    /// The paving of the boundary of whole_box, face by face.
    mesh boundary() const;
    /// 1 when boxes i and j meet (corners included), 0 otherwise or for bad positions.
    int voisin(int i, int j) const;
    /// Hull of the listed boxes (bad positions are skipped).
    domain wrapping(const std::vector<int>& L) const;
};
