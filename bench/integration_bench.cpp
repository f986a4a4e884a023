// Validated integration of the rotation x' = y, y' = -x from a small box:
// the second-order integrator and Lohner's method, their times and widths.

#include "vector_field.hpp"

#include <benchmark/benchmark.h>

namespace {

vector_field rotation()
{
    vector_field R;
    R.components["x"] = expression("y");
    R.components["y"] = expression("-x");
    return R;
}

/// integrate(x, T) over the horizon given as the benchmark's argument.
void BM_IntegrateRotation(benchmark::State& state)
{
    vector_field R = rotation();
    const domain start{{"x", interval(1.0, 1.1)}, {"y", interval(0.0, 0.1)}};
    const double T = static_cast<double>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(R.integrate(start, T));
}
BENCHMARK(BM_IntegrateRotation)->Arg(1)->Arg(4)->Unit(benchmark::kMicrosecond);

/// The start box of width 1e-3 around (1, 0) on which both integrators are compared.
const domain small_box{{"x", interval(1 - 5e-4, 1 + 5e-4)}, {"y", interval(-5e-4, 5e-4)}};

/// The second-order integrate(x, 1): its time, and the width of its box at t = 1.
void BM_RotationSecondOrder(benchmark::State& state)
{
    vector_field R = rotation();
    domain end;
    for (auto _ : state)
        benchmark::DoNotOptimize(end = R.integrate(small_box, 1.0));
    state.counters["width"] = end.width();
}
BENCHMARK(BM_RotationSecondOrder)->Unit(benchmark::kMicrosecond);

/// Lohner's method at order 20 to t = 1: its time, the width of its box and its steps.
void BM_RotationLohner(benchmark::State& state)
{
    const vector_field R = rotation();
    flow_enclosures f;
    for (auto _ : state)
        benchmark::DoNotOptimize(f = R.validated_flow(small_box, 1.0));
    state.counters["width"] = f.boxes.back().box.width();
    state.counters["steps"] = static_cast<double>(f.boxes.size() - 1);
}
BENCHMARK(BM_RotationLohner)->Unit(benchmark::kMicrosecond);

} // namespace
