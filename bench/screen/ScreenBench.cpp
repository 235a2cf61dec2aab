// Start-up of the form and its screen up to the first presented frame, and one frame
// of play (composition and drawing), on the software device with the game's own Data.
#include "BenchGame.h"

#include <benchmark/benchmark.h>

namespace {

using namespace bench;

// What the window does before its first frame shows: the form's and the screen's start-up
// (device, sounds, keys, every picture and label, the first board), then one frame.
void BM_StartUpToFirstFrame(benchmark::State& state) {
    TempDir dir;
    const std::string exeDir = ProgramFolder(dir);
    for (auto _ : state) {
        Game g(exeDir);
        g.form.FormCreate();
        g.screen.Loaded();
        g.form.RenderFrame();
        benchmark::DoNotOptimize(g.owner.SoftwareConfig()->PresentCount);
    }
}
BENCHMARK(BM_StartUpToFirstFrame)->Unit(benchmark::kMillisecond);

// One frame of play in the third stage: the time text rendered anew, every sprite queued;
// the scene redraws what changed since the frame before (the time text, now and then the
// food and the cats, a whole frame when a lost game starts again).
void BM_FrameOfPlay(benchmark::State& state) {
    TempDir dir;
    Game g(ProgramFolder(dir));
    StartThirdStage(g);
    for (auto _ : state) PlayFrame(g);
}
BENCHMARK(BM_FrameOfPlay)->Unit(benchmark::kMicrosecond);

// The same frames each drawn whole into the 764 x 500 frame, as the first frame is, and
// every frame on a device that keeps nothing.
void BM_WholeFrameOfPlay(benchmark::State& state) {
    TempDir dir;
    Game g(ProgramFolder(dir));
    StartThirdStage(g);
    g.screen.Scene->SetReuseLastFrame(false);
    for (auto _ : state) PlayFrame(g);
}
BENCHMARK(BM_WholeFrameOfPlay)->Unit(benchmark::kMicrosecond);

} // namespace
