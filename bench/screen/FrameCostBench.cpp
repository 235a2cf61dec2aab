// What a frame of scripted play costs next to the least any frame can cost, one copy of
// the 764 x 500 A8R8G8B8 frame (memcpy), and how many heap allocations the frames of play
// and the new boards make (every operator new of the program is counted), in one run.
#include "ScriptedPlay.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <new>
#include <vector>

namespace {

std::atomic<uint64_t> allocations{0};

void* Allocate(std::size_t n, std::size_t alignment) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (n == 0) n = 1;
    void* p = alignment <= alignof(std::max_align_t)
                  ? std::malloc(n)
                  : std::aligned_alloc(alignment, (n + alignment - 1) / alignment * alignment);
    if (!p) throw std::bad_alloc();
    return p;
}

} // namespace

void* operator new(std::size_t n) {
    return Allocate(n, 0);
}
void* operator new[](std::size_t n) {
    return Allocate(n, 0);
}
void* operator new(std::size_t n, std::align_val_t a) {
    return Allocate(n, static_cast<std::size_t>(a));
}
void* operator new[](std::size_t n, std::align_val_t a) {
    return Allocate(n, static_cast<std::size_t>(a));
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n, 0);
    } catch (...) {
        return nullptr;
    }
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    try {
        return Allocate(n, 0);
    } catch (...) {
        return nullptr;
    }
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept {
    std::free(p);
}

namespace {

using namespace bench;

constexpr size_t FramePixels = 764 * 500;

// CPU time of this thread, which a busy machine disturbs less than the wall clock.
double ThreadSeconds() {
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The copy floor: seconds of CPU for one memcpy of a whole frame, the mean of many.
double CopyFloorSeconds() {
    std::vector<uint32_t> from(FramePixels, 0xFF336699u), to(FramePixels);
    constexpr int Copies = 500;
    const double start = ThreadSeconds();
    for (int i = 0; i < Copies; ++i) {
        std::memcpy(to.data(), from.data(), FramePixels * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    return (ThreadSeconds() - start) / Copies;
}

void BM_CopyFloor(benchmark::State& state) {
    std::vector<uint32_t> from(FramePixels, 0xFF336699u), to(FramePixels);
    for (auto _ : state) {
        std::memcpy(to.data(), from.data(), FramePixels * 4);
        benchmark::DoNotOptimize(to.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * FramePixels * 4));
}
BENCHMARK(BM_CopyFloor)->Unit(benchmark::kMicrosecond);

// A frame of scripted play (as BM_FrameOfPlay: changes_only:1 redraws what changed,
// changes_only:0 draws every frame whole) and its multiple of the copy floor measured in
// the same run: x_floor is the frame's CPU time over one frame copy's.
void BM_FrameToCopyFloor(benchmark::State& state) {
    PlayedGame p(state.range(0) != 0);
    PlayCounters counters(p);
    const double floor = CopyFloorSeconds();
    const double start = ThreadSeconds();
    for (auto _ : state) {
        p.play.Frame();
        counters.Frame();
    }
    const double frame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["floor_us"] = floor * 1e6;
    state.counters["frame_us"] = frame * 1e6;
    state.counters["x_floor"] = frame / floor;
    counters.Report(state);
}
BENCHMARK(BM_FrameToCopyFloor)->ArgName("changes_only")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Heap allocations of scripted play over 20 000 ticks (500 s of play), after 1000 ticks
// that fill the caches: per 1000 frames of play, and per new board (a tick in which a
// board starts, whose lines, food and cats are made anew).
void BM_AllocationsInPlay(benchmark::State& state) {
    PlayedGame p(true);
    for (int i = 0; i < 1000; ++i) p.play.Frame();
    uint64_t inFrames = 0, inBoards = 0, frames = 0, boards = 0;
    for (auto _ : state) {
        for (int i = 0; i < 20000; ++i) {
            const uint64_t before = allocations.load();
            const bool board = p.play.Frame();
            const uint64_t made = allocations.load() - before;
            (board ? inBoards : inFrames) += made;
            (board ? boards : frames) += 1;
        }
    }
    state.counters["per_1000_frames"] = 1000.0 * static_cast<double>(inFrames) / static_cast<double>(frames);
    state.counters["per_new_board"] =
        boards ? static_cast<double>(inBoards) / static_cast<double>(boards) : 0.0;
    state.counters["frames"] = static_cast<double>(frames);
    state.counters["boards"] = static_cast<double>(boards);
}
BENCHMARK(BM_AllocationsInPlay)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
