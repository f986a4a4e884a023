// Cost of the overlap lists of the built-in map at 25, 100 and 200 cells per
// side: the lists through the bucket grid, and the quadratic comparison of
// every pair of image boxes that the grid replaces (at 25 and 100 only).

#include "box_index.hpp"
#include "pipeline.hpp"

#include <benchmark/benchmark.h>

#include <iostream>
#include <sstream>

namespace {

/// The image boxes of the cells of the built-in map paved n × n.
std::vector<domain> built_in_images(int n)
{
    std::ostringstream sink;
    std::streambuf* saved = std::cout.rdbuf(sink.rdbuf());
    const analysis_input input = built_in_input();
    plisse p(expression(input.first_component), expression(input.second_component), mesh(input.box, n));
    p.image();
    std::cout.rdbuf(saved);
    return p.res.images;
}

void BM_OverlapListsThroughTheIndex(benchmark::State& state)
{
    const std::vector<rectangle> cells = rectangles(built_in_images(static_cast<int>(state.range(0))), "y0", "y1");
    std::size_t found = 0;
    for (auto _ : state) {
        const box_index index(cells);
        for (const rectangle& cell : cells) found += index.meeting(cell).size();
    }
    state.counters["overlaps per cell"] = double(found) / double(cells.size()) / double(state.iterations());
}
BENCHMARK(BM_OverlapListsThroughTheIndex)->Arg(25)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

void BM_OverlapListsByComparingEveryPair(benchmark::State& state)
{
    const std::vector<rectangle> cells = rectangles(built_in_images(static_cast<int>(state.range(0))), "y0", "y1");
    for (auto _ : state) {
        for (const rectangle& cell : cells) {
            std::vector<int> L;
            for (int j = 0; j < static_cast<int>(cells.size()); ++j)
                if (meet(cells[j], cell)) L.push_back(j);
            benchmark::DoNotOptimize(L.data());
        }
    }
}
BENCHMARK(BM_OverlapListsByComparingEveryPair)->Arg(25)->Arg(100)->Unit(benchmark::kMillisecond);

}  // namespace
