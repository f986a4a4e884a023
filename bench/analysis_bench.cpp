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

// The per-box work of the fold searches, on the quintic map
// (x + 0.15y, y^5 - y^3 + xy), whose det = 5y^4 - 3y^2 + x - 0.15y vanishes on
// x = -5y^4 + 3y^2 + 0.15y: at y = 0.5, x = 0.5125, inside the box below.

std::unique_ptr<plisse> quintic()
{
    const silenced_output quiet;
    return std::make_unique<plisse>(expression("x+0.15*y"), expression("y^5-y^3+x*y"),
                                    mesh(domain{{"x", interval(-0.8, 0.8)}, {"y", interval(-1.1, 1.1)}}, 25));
}

const domain quintic_fold_box{{"x", interval(0.50, 0.52)}, {"y", interval(0.49, 0.51)}};

/// f, its Jacobian, det and det's gradient over a box, with the checks that
/// every partial function is defined there, through the expression trees.
void BM_FirstOrderValuesThroughTheTrees(benchmark::State& state)
{
    const auto p = quintic();
    for (auto _ : state) {
        benchmark::DoNotOptimize(defined_on(p->f, quintic_fold_box) && defined_on(p->jacobian, quintic_fold_box)
                                 && defined_on(p->det_map, quintic_fold_box)
                                 && defined_on(p->grad_det, quintic_fold_box));
        benchmark::DoNotOptimize(p->f.evalue(quintic_fold_box));
        benchmark::DoNotOptimize(p->jacobian.evalue(quintic_fold_box));
        benchmark::DoNotOptimize(p->det_map.evalue(quintic_fold_box));
        benchmark::DoNotOptimize(p->grad_det.evalue(quintic_fold_box));
    }
}
BENCHMARK(BM_FirstOrderValuesThroughTheTrees);

/// The same values from the analysis's program compiled at construction.
void BM_FirstOrderValuesThroughTheProgram(benchmark::State& state)
{
    const auto p = quintic();
    for (auto _ : state) benchmark::DoNotOptimize(p->programs().first_order(quintic_fold_box));
}
BENCHMARK(BM_FirstOrderValuesThroughTheProgram);

void BM_FoldArcOfABox(benchmark::State& state)
{
    const auto p = quintic();
    for (auto _ : state) benchmark::DoNotOptimize(p->arc_of(quintic_fold_box));
}
BENCHMARK(BM_FoldArcOfABox);

void BM_InjectivityOnTheFoldPointsOfABox(benchmark::State& state)
{
    const auto p = quintic();
    for (auto _ : state) benchmark::DoNotOptimize(p->one_to_one_singular(quintic_fold_box));
}
BENCHMARK(BM_InjectivityOnTheFoldPointsOfABox);

}  // namespace
