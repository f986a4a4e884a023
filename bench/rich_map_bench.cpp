// Costs on a map whose terms cancel: f(z) = z^8 + 0.9·z̄ + 0.05·z̄², written
// in x and y, over [−0.93, 0.97] × [−0.91, 0.95]. Its fold curve is close to
// the circle |z| = (0.9/8)^(1/7) ≈ 0.732. The image of one fold box, the
// fold–fold search, and its first pass. The counter "width" is the width of
// the enclosure: the same source built on an earlier version of the program
// gives the figures before.

#include "pipeline.hpp"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <iostream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const char* const f1 = "x^8-28*x^6*y^2+70*x^4*y^4-28*x^2*y^6+x^2/20+9*x/10+y^8-y^2/20";
const char* const f2 = "8*x^7*y-56*x^5*y^3+56*x^3*y^5-8*x*y^7-x*y/10-9*y/10";

/// The analysis of the map, built with its report discarded.
std::unique_ptr<plisse> analysis_of_the_map()
{
    std::ostringstream sink;
    std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
    const domain box{{"x", interval(-0.93, 0.97)}, {"y", interval(-0.91, 0.95)}};
    auto p = std::make_unique<plisse>(expression(f1), expression(f2), mesh(box, 25));
    std::cout.rdbuf(saved);
    return p;
}

/// A box as wide as the fold boxes that seed the searches (0.145), centred
/// on the fold circle at angle 0.3.
domain fold_box()
{
    const double r = std::pow(0.9 / 8, 1.0 / 7), w = 0.145;
    const double cx = r * std::cos(0.3), cy = r * std::sin(0.3);
    return domain{{"x", interval(cx - w / 2, cx + w / 2)}, {"y", interval(cy - w / 2, cy + w / 2)}};
}

void BM_ImageOfOneFoldBox(benchmark::State& state)
{
    const std::unique_ptr<plisse> p = analysis_of_the_map();
    const domain b = fold_box();
    domain image;
    for (auto _ : state) {
        image = p->evalue(b);
        benchmark::DoNotOptimize(image);
    }
    state.counters["width"] = image.width();
}
BENCHMARK(BM_ImageOfOneFoldBox)->Unit(benchmark::kMicrosecond);

void BM_FoldFoldSearch(benchmark::State& state)
{
    for (auto _ : state) {
        state.PauseTiming();
        std::unique_ptr<plisse> p = analysis_of_the_map();
        state.ResumeTiming();
        p->singular_singular(p->box, false);
        benchmark::DoNotOptimize(p->res.fold_fold_pairs.data());
        state.counters["undecided"] = p->undecided.fold_fold;
    }
}
BENCHMARK(BM_FoldFoldSearch)->Unit(benchmark::kMillisecond)->Iterations(1);

/// The first pass of the fold–fold search alone: from its start to the start
/// of the next pass (or the end of the search), as the search's progress
/// hook sees them.
void BM_FirstFoldFoldPass(benchmark::State& state)
{
    using clock = std::chrono::steady_clock;
    for (auto _ : state) {
        std::unique_ptr<plisse> p = analysis_of_the_map();
        std::vector<clock::time_point> starts;
        int first_pass_pairs = 0;
        p->progress = [&](const char* search, int pass, int candidates) {
            if (std::string(search) != "fold–fold crossings") return;
            starts.push_back(clock::now());
            if (pass == 0) first_pass_pairs = candidates;
        };
        p->singular_singular(p->box, false);
        starts.push_back(clock::now());
        state.SetIterationTime(std::chrono::duration<double>(starts[1] - starts[0]).count());
        state.counters["pairs"] = first_pass_pairs;
    }
}
BENCHMARK(BM_FirstFoldFoldPass)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(3);

}  // namespace
