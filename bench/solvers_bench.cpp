// Costs of the interval solvers on the built-in map f = (x+0.2*y, y^3-x*y).

#include "newton.hpp"
#include "sivia.hpp"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

/// Jacobian determinant of the built-in map, as the analysis derives it.
const char* const determinant_text = "((3)*((y)^(2)))-(x)+(((-(1)))*((0)-(y)))*(0.2)";

domain studied_box() {
    domain D;
    D["x"] = interval(-0.2, 0.33);
    D["y"] = interval(-0.7, 0.61);
    return D;
}

/// e over the point (xa, xb) instead of (x, y).
expression at(const expression& e, const std::string& xa, const std::string& xb) {
    return e.substitute(xa, "x").substitute(xb, "y");
}

/// Two points with the same image, both on the fold curve.
Map fold_fold_system() {
    const expression f1("x+0.2*y"), f2("y^3-x*y"), det(determinant_text);
    return Map(std::vector<expression>{at(f1, "x1", "x2") - at(f1, "x3", "x4"),
                                       at(f2, "x1", "x2") - at(f2, "x3", "x4"),
                                       at(det, "x1", "x2"), at(det, "x3", "x4")});
}

void BM_SiviaDeterminant(benchmark::State& state) {
    const double eps = state.range(0) == 0 ? 0.1 : 0.001;
    domain zero;
    zero["y0"] = interval(0.0);
    sivia fold(Map(expression(determinant_text)), zero);
    const domain X0 = studied_box();
    std::size_t boxes = 0;
    int undetermined = 0;
    for (auto _ : state) {
        undetermined = fold.SIVIAfile(X0, eps);
        boxes += fold.inside_boxes.size() + fold.outside_boxes.size() + fold.undetermined_boxes.size();
    }
    state.SetLabel(state.range(0) == 0 ? "eps 0.1" : "eps 0.001");
    state.counters["final_boxes_per_second"] =
        benchmark::Counter(static_cast<double>(boxes), benchmark::Counter::kIsRate);
    state.counters["undetermined"] = undetermined;
}
BENCHMARK(BM_SiviaDeterminant)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);

void BM_NewtonStepFoldFold(benchmark::State& state) {
    const newton op(fold_fold_system());
    domain X;
    X["x1"] = interval(0.0, 0.02);
    X["x2"] = interval(0.1, 0.12);
    X["x3"] = interval(0.0, 0.02);
    X["x4"] = interval(-0.2, -0.18);
    for (auto _ : state) {
        benchmark::DoNotOptimize(op.operator_newton(X));
    }
}
BENCHMARK(BM_NewtonStepFoldFold)->Unit(benchmark::kMicrosecond);

}  // namespace
