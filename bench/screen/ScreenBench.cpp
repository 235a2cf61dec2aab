// Start-up of the form and its screen up to the first presented frame, and a frame of
// play (the tick: the movement step, composition and drawing) on the software device with
// the game's own Data, played as the window benchmark plays.
#include "ScriptedPlay.h"

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

// One tick of scripted play: the hamster walks, eats, falls or meets a cat, new boards
// come. changes_only:1 redraws what changed since the frame before (the hamster, the time
// text, the food's hops and the cats' steps, a new board); changes_only:0 draws every frame
// whole, as the first frame is.
void BM_FrameOfPlay(benchmark::State& state) {
    PlayedGame p(state.range(0) != 0);
    PlayCounters counters(p);
    for (auto _ : state) {
        p.play.Frame();
        counters.Frame();
    }
    counters.Report(state);
}
BENCHMARK(BM_FrameOfPlay)->ArgName("changes_only")->Arg(1)->Arg(0)->Unit(benchmark::kMicrosecond);

} // namespace
