// Cost of the integer power of an interval, by exponent, over an interval of
// positive numbers and over one holding 0; of the sine; the product of two
// intervals as the unit to compare with.

#include "interval.hpp"

#include <benchmark/benchmark.h>

#include <cmath>

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

// The sine of a point met before (its values kept), of a new point each time,
// of a new small interval each time, and of new points beyond 2^50.
void BM_Sine(benchmark::State& state)
{
    const int kind = static_cast<int>(state.range(0));
    double a = kind == 3 ? 0x1p52 : 0.7312;
    for (auto _ : state) {
        if (kind != 0) a = std::nextafter(a, 10 * a);
        benchmark::DoNotOptimize(sin(kind == 2 ? interval(a - 0.1453, a) : interval(a)));
    }
    const char* labels[] = {"point met before", "new point", "new small interval", "new point beyond 2^50"};
    state.SetLabel(labels[kind]);
}
BENCHMARK(BM_Sine)->DenseRange(0, 3);

}  // namespace
