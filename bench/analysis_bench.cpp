// Costs of the analysis of the built-in map f = (x+0.2*y, y^3-x*y): the whole
// pipeline as the program runs it, and each search of the critical-point step
// on its own. The console report is discarded inside the timed loops.

#include "pipeline.hpp"

#include <benchmark/benchmark.h>

#include <iostream>
#include <memory>
#include <sstream>

namespace {

/// Sends standard output to a discarded buffer while it lives.
class silenced_output {
public:
    silenced_output() : saved_(std::cout.rdbuf(sink_.rdbuf())) {}
    ~silenced_output() { std::cout.rdbuf(saved_); }
    silenced_output(const silenced_output&) = delete;
    silenced_output& operator=(const silenced_output&) = delete;

private:
    std::ostringstream sink_;
    std::streambuf* saved_;
};

/// The built-in analysis object after one_to_one() and image(), as
/// critical_points finds it.
std::unique_ptr<plisse> prepared()
{
    const silenced_output quiet;
    const analysis_input input = built_in_input();
    auto p = std::make_unique<plisse>(expression(input.first_component), expression(input.second_component),
                                      mesh(input.box, input.resolution));
    p->one_to_one();
    p->image();
    return p;
}

void BM_WholeBuiltInAnalysis(benchmark::State& state)
{
    const silenced_output quiet;
    for (auto _ : state) {
        analysis_run run = run_analysis(built_in_input());
        benchmark::DoNotOptimize(run.analysis.res.fold_boundary_pairs.data());
    }
}
BENCHMARK(BM_WholeBuiltInAnalysis)->Unit(benchmark::kMillisecond);

/// Times one step on a fresh prepared object per iteration; the lists the
/// step fills start empty every time.
template <class Step>
void time_step(benchmark::State& state, Step step)
{
    const silenced_output quiet;
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<plisse> p = prepared();
        state.ResumeTiming();
        step(*p);
    }
}

void BM_Cusps(benchmark::State& state)
{
    time_step(state, [](plisse& p) {
        p.Cusp(p.box);
        p.improve_cusp();
    });
}
BENCHMARK(BM_Cusps)->Unit(benchmark::kMillisecond);

void BM_FoldFoldCrossings(benchmark::State& state)
{
    time_step(state, [](plisse& p) { p.singular_singular(p.box, false); });
}
BENCHMARK(BM_FoldFoldCrossings)->Unit(benchmark::kMillisecond);

void BM_BoundaryBoundaryCrossings(benchmark::State& state)
{
    time_step(state, [](plisse& p) { p.boundary_boundary(p.box, false); });
}
BENCHMARK(BM_BoundaryBoundaryCrossings)->Unit(benchmark::kMillisecond);

void BM_FoldBoundaryCrossings(benchmark::State& state)
{
    time_step(state, [](plisse& p) {
        p.singular_boundary(p.box, false);
        p.improve_singular_boundary();
    });
}
BENCHMARK(BM_FoldBoundaryCrossings)->Unit(benchmark::kMillisecond);

void BM_FoldCurveTopology(benchmark::State& state)
{
    time_step(state, [](plisse& p) { p.relation4(); });
}
BENCHMARK(BM_FoldCurveTopology)->Unit(benchmark::kMillisecond);

void BM_OverlapLists(benchmark::State& state)
{
    time_step(state, [](plisse& p) {
        p.relation();
        p.relation2();
    });
}
BENCHMARK(BM_OverlapLists)->Unit(benchmark::kMillisecond);

}  // namespace
