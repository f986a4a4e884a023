// Validated integration of the rotation x' = y, y' = -x from a small box.

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

} // namespace
