// Parsing, interval evaluation and differentiation of the Jacobian determinant
// of the built-in map (x+0.2*y, y^3-x*y).

#include "expression.hpp"

#include <benchmark/benchmark.h>

namespace {

const std::string determinant_text = "((3)*((y)^(2)))-(x)+(((-(1)))*((0)-(y)))*(0.2)";

/// The studied box of the built-in map.
domain studied_box()
{
    return {{"x", interval(-0.2, 0.33)}, {"y", interval(-0.7, 0.61)}};
}

void ParseDeterminant(benchmark::State& state)
{
    for (auto _ : state)
        benchmark::DoNotOptimize(expression(determinant_text));
}
BENCHMARK(ParseDeterminant);

void EvaluateDeterminant(benchmark::State& state)
{
    const expression determinant(determinant_text);
    const domain box = studied_box();
    for (auto _ : state)
        benchmark::DoNotOptimize(determinant.Evalue(box));
}
BENCHMARK(EvaluateDeterminant);

void DeriveDeterminant(benchmark::State& state)
{
    const expression determinant(determinant_text);
    for (auto _ : state) {
        benchmark::DoNotOptimize(determinant.derive("x"));
        benchmark::DoNotOptimize(determinant.derive("y"));
    }
}
BENCHMARK(DeriveDeterminant);

void CentredFormOfDeterminant(benchmark::State& state)
{
    const expression determinant(determinant_text);
    const domain box = studied_box();
    for (auto _ : state)
        benchmark::DoNotOptimize(determinant.forme_centre(box));
}
BENCHMARK(CentredFormOfDeterminant);

/// The determinant built from the components by differentiation and combination.
void BuildDeterminantFromComponents(benchmark::State& state)
{
    const expression f1("x+0.2*y"), f2("y^3-x*y");
    for (auto _ : state)
        benchmark::DoNotOptimize(f1.derive("x") * f2.derive("y") - f1.derive("y") * f2.derive("x"));
}
BENCHMARK(BuildDeterminantFromComponents);

}  // namespace
