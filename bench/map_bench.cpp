// Jacobian evaluation and one Gaussian solve on the fold–fold system of the
// built-in map: two points (x1, x2) and (x3, x4) with the same image, both on
// the fold curve; by name and by position.

#include "map.hpp"
#include "matrix.hpp"

#include <benchmark/benchmark.h>

namespace {

/// e over the point (a, b) instead of (x, y).
expression at_point(const expression& e, const std::string& a, const std::string& b) {
    return e.substitute(a, "x").substitute(b, "y");
}

Map fold_fold_system() {
    const expression f1("x+0.2*y");
    const expression f2("y^3-x*y");
    const expression det = Map(std::vector<expression>{f1, f2}).differentielle().determinant();
    return Map(std::vector<expression>{
        at_point(f1, "x1", "x2") - at_point(f1, "x3", "x4"),
        at_point(f2, "x1", "x2") - at_point(f2, "x3", "x4"),
        at_point(det, "x1", "x2"),
        at_point(det, "x3", "x4"),
    });
}

/// A box of the search: one cell on each side of the fold.
const domain pair_box{{"x1", interval(-0.10, -0.08)},
                      {"x2", interval(0.18, 0.20)},
                      {"x3", interval(0.08, 0.10)},
                      {"x4", interval(-0.20, -0.18)}};

void JacobianEvalue(benchmark::State& state) {
    const expression_matrix jacobian = fold_fold_system().differentielle();
    for (auto _ : state) benchmark::DoNotOptimize(jacobian.evalue(pair_box));
}
BENCHMARK(JacobianEvalue);

void GaussianSolve(benchmark::State& state) {
    const Map system = fold_fold_system();
    const interval_matrix J = system.differentielle().evalue(pair_box);
    const domain b = system.evalue(pair_box.center());
    for (auto _ : state) benchmark::DoNotOptimize(J.gaussian(b));
}
BENCHMARK(GaussianSolve);

void JacobianEvalueDense(benchmark::State& state) {
    const expression_matrix jacobian = fold_fold_system().differentielle();
    for (auto _ : state) benchmark::DoNotOptimize(jacobian.evalue_dense(pair_box));
}
BENCHMARK(JacobianEvalueDense);

void GaussianSolveByPosition(benchmark::State& state) {
    const Map system = fold_fold_system();
    const dense_matrix J = system.differentielle().evalue_dense(pair_box);
    const domain image = system.evalue(pair_box.center());
    std::vector<interval> b;
    for (const auto& entry : image) b.push_back(entry.second);
    for (auto _ : state) benchmark::DoNotOptimize(gaussian(J, b));
}
BENCHMARK(GaussianSolveByPosition);

}  // namespace
