// The analysis's compiled programs and their runs.

#include "programs.hpp"

#include <vector>

namespace {

using tree_list = std::vector<const std::vector<Node>*>;

/// The trees of the entries of row r of m, columns x then y.
void add_row(tree_list& trees, const expression_matrix& m, const char* r)
{
    trees.push_back(&m.entry(r, "x").tree);
    trees.push_back(&m.entry(r, "y").tree);
}

/// The slots of program after a run over b (a per-thread buffer, valid until
/// the next run on this thread).
const std::vector<interval>& run(const compiled_program& program, const domain& b)
{
    thread_local std::vector<interval> slots;
    program.run(b, slots);
    return slots;
}

/// The value of tree k once the program has run.
const interval& value(const compiled_program& program, const std::vector<interval>& slots, int k)
{
    return slots[program.outputs()[k]];
}

}  // namespace

analysis_programs::analysis_programs(const Map& f, const expression_matrix& jacobian, const Map& det_map,
                                     const expression_matrix& grad_det, const expression_matrix& det_hessian,
                                     const std::array<expression_matrix, 2>& f_hessian)
{
    const std::vector<Node>& f1 = f.component("y0").tree;
    const std::vector<Node>& f2 = f.component("y1").tree;
    const std::vector<Node>& det = det_map.component("y0").tree;
    // Each matrix holds the derivatives of the functions it was derived
    // from (differentielle, second_derivatives): the programs are told so,
    // and those derivatives' enclosures come from their primitives' Taylor
    // coefficients. A primitive that is not itself an output is appended
    // after the outputs.
    f_ = compiled_program({&f1, &f2});
    det_ = compiled_program({&det});
    const std::vector<Node>* slopes[2] = {&grad_det.entry("y0", "x").tree, &grad_det.entry("y0", "y").tree};
    for (const axis u : {along_x, along_y}) {
        const char* name = u == along_x ? "x" : "y";
        slope_[u] = compiled_program({slopes[u]});
        det_along_[u] = compiled_program({&det, slopes[u]}, {{1, 0, name}});
        curvature_[u] = compiled_program({&det_hessian.entry(u == along_x ? "y0" : "y1", name).tree, slopes[u]},
                                         {{0, 1, name}});
    }
    tree_list first{&f1, &f2};
    add_row(first, jacobian, "y0");
    add_row(first, jacobian, "y1");
    first.push_back(&det);
    add_row(first, grad_det, "y0");
    first_order_ = compiled_program(first, {{2, 0, "x"}, {3, 0, "y"}, {4, 1, "x"}, {5, 1, "y"}, {7, 6, "x"}, {8, 6, "y"}});
    tree_list second;
    add_row(second, det_hessian, "y0");
    add_row(second, det_hessian, "y1");
    second.insert(second.end(), {slopes[0], slopes[1]});
    second_order_ = compiled_program(second, {{0, 4, "x"}, {1, 4, "y"}, {2, 5, "x"}, {3, 5, "y"}});
    tree_list f_second;
    for (const expression_matrix& hessian : f_hessian) {
        add_row(f_second, hessian, "y0");
        add_row(f_second, hessian, "y1");
    }
    // Entry (a, c) of the second derivatives of f_k is ∂/∂c of ∂f_k/∂a.
    std::vector<compiled_program::derivative_of> from_jacobian;
    for (int k = 0; k < 2; ++k) {
        add_row(f_second, jacobian, k == 0 ? "y0" : "y1");
        for (int a = 0; a < 2; ++a)
            for (int c = 0; c < 2; ++c) from_jacobian.push_back({4 * k + 2 * a + c, 8 + 2 * k + a, c == 0 ? "x" : "y"});
    }
    f_second_order_ = compiled_program(f_second, from_jacobian);
}

std::array<interval, 2> analysis_programs::f(const domain& b) const
{
    const std::vector<interval>& slots = run(f_, b);
    return {value(f_, slots, 0), value(f_, slots, 1)};
}

interval analysis_programs::det(const domain& b) const { return value(det_, run(det_, b), 0); }

interval analysis_programs::det_derivative(const domain& b, axis u) const
{
    return value(slope_[u], run(slope_[u], b), 0);
}

det_along_values analysis_programs::det_along(const domain& b, axis u) const
{
    const std::vector<interval>& slots = run(det_along_[u], b);
    return {value(det_along_[u], slots, 0), value(det_along_[u], slots, 1)};
}

interval analysis_programs::det_curvature(const domain& b, axis u) const
{
    if (!second_order_.total() && !second_order(b).defined) return interval::ENTIRE();
    return value(curvature_[u], run(curvature_[u], b), 0);
}

first_order_values analysis_programs::first_order(const domain& b) const
{
    const std::vector<interval>& slots = run(first_order_, b);
    const auto at = [&](int k) { return value(first_order_, slots, k); };
    first_order_values v;
    v.f = {at(0), at(1)};
    v.jacobian = {{{at(2), at(3)}, {at(4), at(5)}}};
    v.det = at(6);
    v.grad_det = {at(7), at(8)};
    v.defined = first_order_.defined(slots);
    return v;
}

second_order_values analysis_programs::second_order(const domain& b) const
{
    const std::vector<interval>& slots = run(second_order_, b);
    const auto at = [&](int k) { return value(second_order_, slots, k); };
    second_order_values v;
    v.hessian = {{{at(0), at(1)}, {at(2), at(3)}}};
    v.defined = second_order_.defined(slots);
    return v;
}

f_second_order_values analysis_programs::f_second_order(const domain& b) const
{
    const std::vector<interval>& slots = run(f_second_order_, b);
    f_second_order_values v;
    for (int k = 0; k < 2; ++k)
        for (int a = 0; a < 2; ++a)
            for (int c = 0; c < 2; ++c) v.hessian[k][a][c] = value(f_second_order_, slots, 4 * k + 2 * a + c);
    v.defined = f_second_order_.defined(slots);
    return v;
}
