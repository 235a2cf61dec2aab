#pragma once
// The game of the screen benchmarks: the form and its screen on the software device with
// the game's own Data copied into a temporary program folder.
#include "base/Clock.h"
#include "game/FormScreen.h"
#include "game/Unit1.h"
#include "graphics/device/SoftwareDevice.h"
#include "input/Ddidex.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "sound/ddsd.h"
#include "support/HeadlessPlatform.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <filesystem>
#include <utility>

namespace bench {

inline std::string ProgramFolder(const TempDir& dir) {
    return PreparedProgramFolder(dir);
}

// A clock that moves only when told to; Sleep moves it on at once. Unlike the tests'
// ManualClock it keeps no list of the sleeps, which would allocate while the game plays.
class BenchClock : public IClock {
public:
    uint32_t Now() override { return now_; }
    void Sleep(uint32_t ms) override { now_ += ms; }
    void Advance(uint32_t ms) { now_ += ms; }
    void Set(uint32_t t) { now_ = t; }

private:
    uint32_t now_ = 1000;
};

// The form and its screen drawing for an Owner made from the arguments after exeDir.
template <class Owner> struct GameWith {
    template <class... OwnerArgs>
    explicit GameWith(const std::string& exeDir, OwnerArgs&&... ownerArgs)
        : owner(std::forward<OwnerArgs>(ownerArgs)...), form(clock, host, exeDir, Platform()), screen(form) {
        form.SetFrameDrawer(&screen);
    }
    ~GameWith() { form.SetFrameDrawer(nullptr); }
    GameWith(const GameWith&) = delete;
    GameWith& operator=(const GameWith&) = delete;
    TFormPlatform Platform() { return HeadlessPlatform(owner, input); }
    BenchClock clock;
    ScriptedHost host;
    WindowInput input{std::make_unique<FakeControllers>()};
    Owner owner;
    TForm1 form;
    TFormScreen screen;
};

// On the software device, in a window of the game's size.
struct Game : GameWith<THeadlessOwner> {
    explicit Game(const std::string& exeDir) : GameWith(exeDir, 764, 500) {}
};

// Start-up, then Enter on the third stage: the game is in play.
template <class G> void StartThirdStage(G& g) {
    g.form.FormCreate();
    g.screen.Loaded();
    g.clock.Advance(2000);
    bool done = true;
    g.form.ApplicationEvents1Idle(done);
    g.form.FoodsCount = 25;
    uint16_t enter = VK_RETURN;
    g.form.FormKeyDown(enter);
}

} // namespace bench
