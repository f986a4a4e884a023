// Cost of the integer power of an interval, by exponent, over an interval of
// positive numbers and over one holding 0; of the sine of a point, of a small
// interval and of one beyond 2^50; the product of two intervals as the unit
// to compare with.

#include "interval.hpp"

#include <benchmark/benchmark.h>

namespace {

void BM_IntegerPower(benchmark::State& state)
{
    const int n = static_cast<int>(state.range(0));
    const interval positive(0.3, 0.7);
    const interval around_zero(-0.5, 0.7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(power(positive, n));
        benchmark::DoNotOptimize(power(around_zero, n));
    }
}
BENCHMARK(BM_IntegerPower)->Arg(3)->Arg(5)->Arg(-3)->Arg(31)->Arg(1000);

void BM_ProductOfIntervals(benchmark::State& state)
{
    const interval a(0.3, 0.7);
    const interval b(-0.5, 0.7);
    for (auto _ : state) {
        benchmark::DoNotOptimize(a * b);
        benchmark::DoNotOptimize(b * b);
    }
}
BENCHMARK(BM_ProductOfIntervals);

void BM_Sine(benchmark::State& state)
{
    const interval point(0.7312);
    const interval small(-0.0727, 0.0731);
    const interval far(0x1p52, 0x1p52 + 2.0);
    for (auto _ : state) {
        switch (state.range(0)) {
        case 0: benchmark::DoNotOptimize(sin(point)); break;
        case 1: benchmark::DoNotOptimize(sin(small)); break;
        default: benchmark::DoNotOptimize(sin(far)); break;
        }
    }
    state.SetLabel(state.range(0) == 0 ? "point" : state.range(0) == 1 ? "small interval" : "beyond 2^50");
}
BENCHMARK(BM_Sine)->Arg(0)->Arg(1)->Arg(2);

}  // namespace
