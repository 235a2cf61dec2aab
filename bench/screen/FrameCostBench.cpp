// What a frame of play costs next to the least any frame can cost, one copy of the
// 764 x 500 A8R8G8B8 frame (memcpy), and how many heap allocations the frames make once
// the game runs (every operator new of the program is counted).
#include "BenchGame.h"

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

// One frame of play (as BM_FrameOfPlay, or drawn whole with changes_only:0) and its
// multiple of the copy floor measured in the same run: x_floor is the frame's CPU time over
// one frame copy's.
void BM_FrameToCopyFloor(benchmark::State& state) {
    TempDir dir;
    Game g(ProgramFolder(dir));
    StartThirdStage(g);
    g.screen.Scene->SetReuseLastFrame(state.range(0) != 0);
    const double floor = CopyFloorSeconds();
    const double start = ThreadSeconds();
    for (auto _ : state) PlayFrame(g);
    const double frame = (ThreadSeconds() - start) / static_cast<double>(state.iterations());
    state.counters["floor_us"] = floor * 1e6;
    state.counters["frame_us"] = frame * 1e6;
    state.counters["x_floor"] = frame / floor;
}
BENCHMARK(BM_FrameToCopyFloor)->ArgName("changes_only")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

// Heap allocations in 1000 frames of play, after 100 frames that fill the caches. The
// game is kept from ending (no cats: the time runs, the food hops), so that every frame
// redraws what changed rather than showing a lost game unchanged.
void BM_AllocationsIn1000Frames(benchmark::State& state) {
    TempDir dir;
    Game g(ProgramFolder(dir));
    StartThirdStage(g);
    g.form.Cats.clear();
    int32_t redrawn = 0;
    auto frame = [&g, &redrawn] {
        g.clock.Advance(25);
        g.form.RenderFrame();
        redrawn += g.screen.Scene->LastRenderKind() == 1;
    };
    for (int i = 0; i < 100; ++i) frame();
    uint64_t counted = 0;
    for (auto _ : state) {
        const uint64_t before = allocations.load();
        for (int i = 0; i < 1000; ++i) frame();
        counted += allocations.load() - before;
    }
    state.counters["allocations"] = static_cast<double>(counted) / static_cast<double>(state.iterations());
    state.counters["game_over"] = g.form.GameOver ? 1 : 0;
    state.counters["redrawn_in_part"] = redrawn;
}
BENCHMARK(BM_AllocationsIn1000Frames)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace
