#pragma once
// A game with the real music logic on the fake MP3 library and MIDI player, and the
// menu commands; a second run on the same program folder stands for the next start.
#include "GameFixture.h"
#include "base/Paths.h"
#include "game/Bgm.h"
#include "game/MenuCommands.h"
#include "support/FakeMidiPlayer.h"
#include "support/FakeMp3Library.h"

#include <algorithm>
#include <memory>

struct NextRun {
    explicit NextRun(const std::string& exeDir) : form(clock, host, exeDir, platform.Make()) {
        form.SetMusic(&bgm);
    }
    bool Tick() {
        bool done = true;
        form.ApplicationEvents1Idle(done);
        return done;
    }
    // Start-up and both deferred steps (music, resume question) in one tick.
    void StartUp() {
        form.FormCreate();
        clock.Set(form.StartTime + 2000);
        Tick();
    }
    void Enter() {
        uint16_t key = VK_RETURN;
        form.FormKeyDown(key);
    }

    ManualClock clock{50000};
    ScriptedHost host;
    TestPlatform platform;
    TForm1 form;
    FakeMp3Library mp3;
    FakeMidiPlayer midi;
    TBgm bgm{form, mp3, midi};
    TMenuCommands commands{form, bgm};
};

class MusicTest : public GameTest {
protected:
    MusicTest() { form.SetMusic(&bgm); }

    std::string Data(const std::string& name) { return DataPath(dir.Dir(), "Data\\" + name); }
    std::string BuiltIn() { return Data("tamsp15.mp3"); }
    void Settings(const std::string& text) { dir.Write("Data/Settei.ini", text); }
    // Start-up and the deferred music set-up (100 ms later).
    void StartMusic() {
        Create();
        clock.Set(form.StartTime + 100);
        Tick();
        ASSERT_TRUE(bgm.BgmInitDone());
    }
    // Plays a board through to its food (the hamster one step to the left of it).
    void EatFood(int32_t foodsBefore) {
        Enter();
        SmallBoard();
        form.FoodsCount = foodsBefore;
        form.Stage = 1 + foodsBefore / 10;
        FoodAt(1, 0);
        Step({Right});
        ASSERT_TRUE(form.BoardClear);
    }
    std::vector<std::string> Opened() {
        std::vector<std::string> files;
        for (const std::string& c : mp3.calls)
            if (c.starts_with("open ")) files.push_back(c.substr(5));
        return files;
    }
    std::vector<std::string> TakeCalls() { return std::exchange(mp3.calls, {}); }
    std::vector<std::string> TakeMidiCalls() { return std::exchange(midi.calls, {}); }

    FakeMp3Library mp3;
    FakeMidiPlayer midi;
    TBgm bgm{form, mp3, midi};
    TMenuCommands commands{form, bgm};
};
