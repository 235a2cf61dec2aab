// The game's movement step: a keyboard update and four button reads, every 75 ms
// from the idle loop. It must allocate nothing.
#include "input/Ddidex.h"
#include "input/DikCodes.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"

#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

namespace {
std::atomic<long> allocations{0};
} // namespace

// Counting replacements of the global allocation functions (GCC cannot see that
// these free() calls pair with the malloc() in operator new).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
void* operator new(std::size_t size) {
    ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}

namespace {

void BM_KeyboardUpdateAndButtons(benchmark::State& state) {
    auto list = std::make_unique<FakeControllers>();
    FakeControllers& controllers = *list;
    controllers.Add("Pad", false);
    WindowInput platform(std::move(list));
    TDDIDEX input(platform);
    input.Loaded();
    platform.Keyboard().KeyCodeDown(DIK_RIGHT);
    const long before = allocations.load();
    for (auto _ : state) {
        input.Update(0);
        benchmark::DoNotOptimize(input.Button(3));
        benchmark::DoNotOptimize(input.Button(2));
        benchmark::DoNotOptimize(input.Button(1));
        benchmark::DoNotOptimize(input.Button(0));
    }
    state.counters["allocations"] = static_cast<double>(allocations.load() - before);
}
BENCHMARK(BM_KeyboardUpdateAndButtons);

void BM_ControllerUpdate(benchmark::State& state) {
    auto list = std::make_unique<FakeControllers>();
    list->Add("Pad", false);
    WindowInput platform(std::move(list));
    TDDIDEX input(platform);
    input.Loaded();
    const long before = allocations.load();
    for (auto _ : state) benchmark::DoNotOptimize(input.Update(2));
    state.counters["allocations"] = static_cast<double>(allocations.load() - before);
}
BENCHMARK(BM_ControllerUpdate);

} // namespace
