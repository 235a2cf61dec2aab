// Start-up of the form and its screen up to the first presented frame, and one frame
// of play (composition and drawing), on the software device with the game's own Data.
#include "game/FormScreen.h"
#include "game/Unit1.h"
#include "graphics/device/SoftwareDevice.h"
#include "input/Ddidex.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "sound/ddsd.h"
#include "support/ManualClock.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

std::string ProgramFolder(const TempDir& dir) {
    std::filesystem::create_directories(dir.Path() / "Data");
    for (const char* name :
         {"data.qda", "haikei.jpg", "cat.wav", "Fall.wav", "HitCat.wav", "get.wav", "apple.wav"})
        std::filesystem::copy_file(SourceDir() + "Data/" + name, dir.Path() / "Data" / name);
    TDDSD::SetLogFolder(dir.Dir());
    TDDIDEX::SetDebugLogFolder(dir.Dir());
    return dir.Dir();
}

struct Game {
    explicit Game(const std::string& exeDir) : form(clock, host, exeDir, Platform()), screen(form) {
        form.SetFrameDrawer(&screen);
    }
    ~Game() { form.SetFrameDrawer(nullptr); }
    TFormPlatform Platform() {
        TFormPlatform p;
        p.AudioOutput = [] { return std::make_unique<TPulledAudioOutput>(); };
        p.Input = &input;
        p.Owner = &owner;
        return p;
    }
    ManualClock clock{1000};
    ScriptedHost host;
    WindowInput input{std::make_unique<FakeControllers>()};
    THeadlessOwner owner{764, 500};
    TForm1 form;
    TFormScreen screen;
};

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

// One frame of play in the third stage: the time text rendered anew, every sprite queued
// and drawn into the 764 x 500 frame.
void BM_FrameOfPlay(benchmark::State& state) {
    TempDir dir;
    Game g(ProgramFolder(dir));
    g.form.FormCreate();
    g.screen.Loaded();
    g.clock.Advance(2000);
    bool done = true;
    g.form.ApplicationEvents1Idle(done);
    g.form.FoodsCount = 25;
    uint16_t enter = VK_RETURN;
    g.form.FormKeyDown(enter);
    for (auto _ : state) {
        g.clock.Advance(25);
        g.form.RenderFrame();
    }
}
BENCHMARK(BM_FrameOfPlay)->Unit(benchmark::kMicrosecond);

} // namespace
