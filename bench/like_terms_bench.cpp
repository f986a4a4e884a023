// Costs of long sums: simplifying and deriving n copies of one product (like
// terms, collected into one) and n distinct terms (nothing to collect), and
// building the analysis of a map whose first component is such a sum. Each
// should grow about linearly with n.

#include "plisse.hpp"

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>

namespace {

/// x*y written n times, joined by +.
std::string repeated_product(int n)
{
    std::string sum = "x*y";
    for (int k = 1; k < n; ++k) sum += "+x*y";
    return sum;
}

/// sin(1*x)*y + sin(2*x)*y + ... + sin(n*x)*y: no two terms alike.
std::string distinct_terms(int n)
{
    std::string sum;
    for (int k = 1; k <= n; ++k) sum += (k > 1 ? "+sin(" : "sin(") + std::to_string(k) + "*x)*y";
    return sum;
}

void SimplifyRepeatedProduct(benchmark::State& state)
{
    const expression sum(repeated_product(static_cast<int>(state.range(0))));
    for (auto _ : state) {
        expression e = sum;
        e.Simplify();
        benchmark::DoNotOptimize(e.text);
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(SimplifyRepeatedProduct)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

void DeriveRepeatedProduct(benchmark::State& state)
{
    const expression sum(repeated_product(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(sum.derive("x"));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(DeriveRepeatedProduct)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

void DeriveDistinctTerms(benchmark::State& state)
{
    const expression sum(distinct_terms(static_cast<int>(state.range(0))));
    for (auto _ : state) benchmark::DoNotOptimize(sum.derive("x"));
    state.SetComplexityN(state.range(0));
}
BENCHMARK(DeriveDistinctTerms)->RangeMultiplier(4)->Range(64, 4096)->Complexity();

/// The analysis object of (n copies of x*y, y^3 - x*y): the symbolic
/// construction, without any search. Its printed cusp map is discarded.
void BuildAnalysisOfRepeatedProduct(benchmark::State& state)
{
    const expression f1(repeated_product(static_cast<int>(state.range(0))));
    const expression f2("y^3-x*y");
    const mesh m(domain{{"x", interval(-0.2, 0.33)}, {"y", interval(-0.7, 0.61)}}, 25);
    std::ostringstream sink;
    std::streambuf* const saved = std::cout.rdbuf(sink.rdbuf());
    for (auto _ : state) {
        const plisse p(f1, f2, m);
        benchmark::DoNotOptimize(p.det.text);
        sink.str("");
    }
    std::cout.rdbuf(saved);
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BuildAnalysisOfRepeatedProduct)->RangeMultiplier(4)->Range(64, 4096)->Unit(benchmark::kMillisecond)->Complexity();

}  // namespace
