// The game's work that does not draw: generating a board (every Enter), the
// reachability search the asset tools run over thousands of boards, and the saved
// game's copy in and out.
#include "game/Board.h"
#include "game/BoardReach.h"
#include "game/SaveImage.h"

#include <benchmark/benchmark.h>

namespace {

const THamsterSizes Sizes{THamsterSize{45, 28}, THamsterSize{28, 45}, THamsterSize{45, 28},
                          THamsterSize{28, 45}};

void BM_GenerateBoard(benchmark::State& state) {
    TRandom random(1);
    const auto stage = static_cast<int32_t>(state.range(0));
    for (auto _ : state) benchmark::DoNotOptimize(GenerateBoard(45, 28, stage, 20, 20, random));
}
BENCHMARK(BM_GenerateBoard)->Arg(1)->Arg(3);

void BM_FoodReachable(benchmark::State& state) {
    TRandom random(2);
    std::vector<TBoard> boards;
    for (int i = 0; i < 64; ++i) boards.push_back(GenerateBoard(45, 28, 3, 20, 20, random));
    size_t i = 0;
    for (auto _ : state) benchmark::DoNotOptimize(FoodReachable(boards[i++ % boards.size()], Sizes));
}
BENCHMARK(BM_FoodReachable);

void BM_SaveImageRoundTrip(benchmark::State& state) {
    TRandom random(3);
    TGameState live;
    live.TakeBoard(GenerateBoard(45, 28, 3, 20, 20, random));
    live.Stage = 3;
    TSaveImage image;
    TGameState restored;
    for (auto _ : state) {
        image.StoreFrom(live);
        benchmark::DoNotOptimize(image.RestoreTo(restored));
    }
}
BENCHMARK(BM_SaveImageRoundTrip);

} // namespace
