#include "mesh.hpp"

#include <climits>
#include <cmath>

namespace {

/// Appends to parts the n equal parts of B along v, from the lower bound up;
/// B itself when v is a point in B.
void cut_box(const domain& B, const std::string& v, int n, std::vector<domain>& parts) {
    const interval I = B.get(v);
    const double lo = I.inf();
    const double w = I.sup() - lo;
    if (w == 0.0) {
        parts.push_back(B);
        return;
    }
    // Both bounds of a part come from the same expression j*step + lo, so
    // neighbouring parts share their common bound exactly. The last upper
    // bound is hi itself: n*step + lo may fall an ulp short of it, and the
    // parts would then miss the points of B at hi, its face among them.
    const double step = w / n;
    for (int j = 0; j < n; ++j) {
        domain part = B;
        part[v] = interval(j * step + lo, j + 1 == n ? I.sup() : (j + 1) * step + lo);
        parts.push_back(std::move(part));
    }
}

/// Every box of boxes cut into n parts along v; boxes outer, parts inner.
std::vector<domain> cut_boxes(const std::vector<domain>& boxes, const std::string& v, int n) {
    std::vector<domain> parts;
    if (n > 0) {
        parts.reserve(boxes.size() * static_cast<std::size_t>(n));
    }
    for (const domain& B : boxes) {
        cut_box(B, v, n, parts);
    }
    return parts;
}

/// Whether d is a number that an int can hold (false for NaN and infinities).
bool fits_int(double d) {
    return d >= static_cast<double>(INT_MIN) && d <= static_cast<double>(INT_MAX);
}

}  // namespace

mesh::mesh(const domain& D) : boxes{D}, whole_box(D), faces(D.boundary()) {}

mesh::mesh(const domain& D, int n) : mesh(D) {
    for (const auto& entry : D) {
        boxes = cut_boxes(boxes, entry.first, n);
    }
    subdivisions = n;
}

mesh mesh::cut(const std::string& v, int n) const {
    mesh result;
    result.boxes = cut_boxes(boxes, v, n);
    result.whole_box = whole_box;
    result.faces = faces;
    result.subdivisions = subdivisions;
    return result;
}

int mesh::which_one(const domain& P) const {
    // The index is accumulated in double, first variable most significant;
    // a part number that no int can hold (a point far outside, a NaN bound,
    // a point variable of the paved box) gives -1 instead of an undefined
    // conversion.
    const double n = subdivisions;
    double index = 0.0;
    for (const auto& [v, W] : whole_box) {
        const double t = (P.get(v).inf() - W.inf()) * n / (W.sup() - W.inf());
        const double part = std::floor(t);
        if (!fits_int(part)) {
            return -1;
        }
        index = index * n + part;
    }
    return fits_int(index) ? static_cast<int>(index) : -1;
}

void mesh::out(std::ostream& os) const {
    for (const domain& B : boxes) {
        B.out(os);
    }
}

void mesh::myinsert(const mesh& M) {
    // By position after reserving, so that a paving may append itself.
    const std::size_t added = M.boxes.size();
    boxes.reserve(boxes.size() + added);
    for (std::size_t k = 0; k < added; ++k) {
        boxes.push_back(M.boxes[k]);
    }
}

mesh mesh::boundary() const {
    mesh result;
    for (const domain& F : faces) {
        result.myinsert(mesh(F, subdivisions));
    }
    return result;
}

int mesh::voisin(int i, int j) const {
    if (!holds(i) || !holds(j)) {
        return 0;
    }
    return boxes[i].disjoint(boxes[j]) ? 0 : 1;
}

domain mesh::wrapping(const std::vector<int>& L) const {
    domain hull;
    bool first = true;
    for (int k : L) {
        if (!holds(k)) {
            continue;
        }
        hull = first ? boxes[k] : hull.hull(boxes[k]);
        first = false;
    }
    return hull;
}
