// Cost of the integer power of an interval, by exponent, over an interval of
// positive numbers and over one holding 0; the product of two intervals as
// the unit to compare with.

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

}  // namespace
