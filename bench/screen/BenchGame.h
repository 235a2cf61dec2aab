#pragma once
// The game of the screen benchmarks: the form and its screen on the software device with
// the game's own Data copied into a temporary program folder.
#include "game/FormScreen.h"
#include "game/Unit1.h"
#include "graphics/device/SoftwareDevice.h"
#include "input/Ddidex.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "sound/ddsd.h"
#include "support/ManualClock.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <filesystem>

namespace bench {

inline std::string ProgramFolder(const TempDir& dir) {
    return PreparedProgramFolder(dir);
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

// Start-up, then Enter on the third stage: the game is in play.
inline void StartThirdStage(Game& g) {
    g.form.FormCreate();
    g.screen.Loaded();
    g.clock.Advance(2000);
    bool done = true;
    g.form.ApplicationEvents1Idle(done);
    g.form.FoodsCount = 25;
    uint16_t enter = VK_RETURN;
    g.form.FormKeyDown(enter);
}

// One frame of play 25 ms on; a game lost is started again first (Enter), so that the
// frames stay frames of play.
inline void PlayFrame(Game& g) {
    if (g.form.GameOver) {
        uint16_t enter = VK_RETURN;
        g.form.FormKeyDown(enter);
    }
    g.clock.Advance(25);
    g.form.RenderFrame();
}

} // namespace bench
