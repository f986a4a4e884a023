// The Jacobian determinant of the built-in map f = (x+0.2*y, y^3-x*y) over a
// cell, three ways: through its tree, through its compiled program, and
// written by hand with the same interval operations. Each reads x and y from
// the same box.

#include "compiled.hpp"
#include "map.hpp"

#include <benchmark/benchmark.h>

namespace {

expression built_in_determinant()
{
    return Map(std::vector<expression>{expression("x+0.2*y"), expression("y^3-x*y")}).differentielle().determinant();
}

const domain cell{{"x", interval(-0.10, -0.0788)}, {"y", interval(0.18, 0.2324)}};

void BM_DeterminantThroughTheTree(benchmark::State& state)
{
    const expression det = built_in_determinant();
    for (auto _ : state) benchmark::DoNotOptimize(det.Evalue(cell));
}
BENCHMARK(BM_DeterminantThroughTheTree);

void BM_DeterminantThroughTheCompiledProgram(benchmark::State& state)
{
    const expression det = built_in_determinant();
    const compiled_program program({&det.tree});
    std::vector<interval> slots;
    for (auto _ : state) {
        program.load(cell, slots);
        program.run(slots);
        benchmark::DoNotOptimize(slots[program.outputs()[0]]);
    }
}
BENCHMARK(BM_DeterminantThroughTheCompiledProgram);

// The determinant's text is ((3)*((y)^(2)))-(x)+(((-(1)))*((0)-(y)))*(0.2):
// the same operations in the same order.
void BM_DeterminantWrittenByHand(benchmark::State& state)
{
    for (auto _ : state) {
        const interval x = cell.get("x"), y = cell.get("y");
        benchmark::DoNotOptimize(interval(3.0) * power(y, 2) - x + (-interval(1.0) * (interval(0.0) - y)) * interval(0.2));
    }
}
BENCHMARK(BM_DeterminantWrittenByHand);

}  // namespace
