// The software view's scaled copy of a whole 764 x 500 frame at whole factors and in fit
// mode, against a memcpy of the same window size (the scaled copy writes every window
// pixel once too).
#include "graphics/device/FrameScaler.h"

#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

namespace {

constexpr uint32_t FW = 764, FH = 500;

void BM_ScaleWhole(benchmark::State& state) {
    const auto n = static_cast<uint32_t>(state.range(0));
    std::vector<uint32_t> frame(size_t{FW} * FH);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u);
    const uint32_t ww = FW * n, wh = FH * n;
    std::vector<uint32_t> window(size_t{ww} * wh);
    const TFramePlacement p = PlaceFrame(FW, FH, ww, wh, TScaleMode::WholeNumber);
    const TSoftwareFrame f{FW, FH, FW, frame.data()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScaleFrameDamage(f, p, TScaleTarget{window.data(), ww, wh, ww}));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(window.size()) * 4);
}
BENCHMARK(BM_ScaleWhole)->Arg(2)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

// Fit mode at a device pixel ratio of 1.5 and in a 1920 x 1080 window in fit mode.
void BM_ScaleFit(benchmark::State& state) {
    const auto ww = static_cast<uint32_t>(state.range(0)), wh = static_cast<uint32_t>(state.range(1));
    std::vector<uint32_t> frame(size_t{FW} * FH, 0xFF336699);
    std::vector<uint32_t> window(size_t{ww} * wh);
    const TFramePlacement p = PlaceFrame(FW, FH, ww, wh, TScaleMode::Fit);
    const TSoftwareFrame f{FW, FH, FW, frame.data()};
    for (auto _ : state) {
        benchmark::DoNotOptimize(ScaleFrameDamage(f, p, TScaleTarget{window.data(), ww, wh, ww}));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(window.size()) * 4);
}
BENCHMARK(BM_ScaleFit)->Args({1146, 750})->Args({1920, 1080})->Unit(benchmark::kMicrosecond);

// The yardstick: a copy of the window's size, 764 n x 500 n pixels.
void BM_CopyWindowSize(benchmark::State& state) {
    const auto n = static_cast<size_t>(state.range(0));
    std::vector<uint32_t> from(FW * n * FH * n, 1), to(from.size());
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), from.size() * 4);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * int64_t(from.size()) * 4);
}
BENCHMARK(BM_CopyWindowSize)->Arg(2)->Arg(3)->Arg(5)->Unit(benchmark::kMicrosecond);

} // namespace
