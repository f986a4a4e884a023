// The Jacobian determinant of the built-in map f = (x+0.2*y, y^3-x*y) over a
// cell, three ways: through its tree, through its compiled program, and
// written by hand with the same interval operations. Each reads x and y from
// the same box. Then the cost of finding the compiled program of trees met
// before, for the second derivatives of the determinant of a quintic map.

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

// The trees of the second derivatives of the Jacobian determinant of
// (x+0.15*y, y^5-y^3+x*y): large trees that share many subtrees.
void BM_CompiledProgramOfTreesMetBefore(benchmark::State& state)
{
    const auto over_the_plane = [](Map m) {
        m.variables.insert({"x", "y"});
        return m;
    };
    const Map f = over_the_plane(Map(std::vector<expression>{expression("x+0.15*y"), expression("y^5-y^3+x*y")}));
    const expression_matrix gradient = over_the_plane(Map(f.differentielle().determinant())).differentielle();
    const expression_matrix hessian =
        over_the_plane(Map(std::vector<expression>{gradient.entry("y0", "x"), gradient.entry("y0", "y")}))
            .differentielle();
    std::vector<const std::vector<Node>*> trees;
    std::size_t nodes = 0;
    for (const std::string& r : hessian.rows)
        for (const std::string& c : hessian.columns) {
            trees.push_back(&hessian.entry(r, c).tree);
            nodes += trees.back()->size();
        }
    const compiled_cache cache;
    for (auto _ : state) benchmark::DoNotOptimize(cache.program(trees).size());
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["slots"] = cache.program(trees).size();
}
BENCHMARK(BM_CompiledProgramOfTreesMetBefore);

}  // namespace
