#pragma once
// Drives TForm1 headless: a manual clock, a scripted host, a temporary program folder
// and recording components.
#include "game/Unit1.h"
#include "support/ManualClock.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

class RecordingComponents : public IFormComponents {
public:
    void Loaded() override { ++loaded; }
    TPictureSize HamsterSize(int32_t dir) override { return hamster.at(static_cast<size_t>(dir)); }
    TPictureSize PictureSize(TPicture picture) override { return pictures[picture]; }
    void LoadPicture(TPicture picture, const std::string& entry) override {
        loads.push_back(entry);
        pictures[picture] = entrySizes.count(entry) ? entrySizes[entry] : TPictureSize{100, 50};
    }
    void PlaySound(int32_t channel) override { sounds.push_back(channel); }
    void PollKeyboard() override {
        ++polls;
        down = held;
    }
    bool ButtonDown(int32_t button) override { return down.at(static_cast<size_t>(button)); }
    TDeviceState TestCooperativeLevel() override { return state; }
    void ResetDevice() override { ++resets; }
    void BeginScene() override { ++frames; }
    void RenderScene() override {}
    void EndScene() override {}
    void Present() override { ++presents; }

    std::array<TPictureSize, 4> hamster{TPictureSize{40, 24}, TPictureSize{24, 40}, TPictureSize{40, 24},
                                        TPictureSize{24, 40}};
    std::map<TPicture, TPictureSize> pictures;
    std::map<std::string, TPictureSize> entrySizes{{"GC.bmp", TPictureSize{500, 200}}};
    std::array<bool, 4> held{}; // the keys as the player holds them
    std::array<bool, 4> down{}; // the state read at the last poll
    TDeviceState state = TDeviceState::Ok;
    std::vector<std::string> loads;
    std::vector<int32_t> sounds;
    int loaded = 0, polls = 0, resets = 0, frames = 0, presents = 0;
};

class RecordingMusic : public IGameMusic {
public:
    bool BgmInitDone() const override { return initDone; }
    void StartBgm() override {
        calls.push_back("StartBgm");
        initDone = true;
    }
    void CheckBgmEnd(bool boardClear) override { checks.push_back(boardClear); }
    void PlayJingle(int32_t foods) override { calls.push_back("PlayJingle " + std::to_string(foods)); }
    void RestartBgmAfterBoard(int32_t foods) override {
        calls.push_back("RestartBgmAfterBoard " + std::to_string(foods));
    }
    bool initDone = false;
    std::vector<std::string> calls;
    std::vector<bool> checks;
};

enum Arrow { Up = 0, Down = 1, Left = 2, Right = 3 };

class GameTest : public ::testing::Test {
protected:
    GameTest() : form(clock, host, dir.Dir(), comps) {
        std::filesystem::create_directories(dir.Path() / "Data");
        form.SetMusic(&music);
    }

    void Create() { form.FormCreate(); }
    // Past the first 2 s, so that Enter is accepted.
    void PassStartup() {
        clock.Set(form.StartTime + 2000);
        Tick();
    }
    bool Tick() {
        bool done = true;
        form.ApplicationEvents1Idle(done);
        return done;
    }
    void Key(uint16_t key) { form.FormKeyDown(key); }
    void Enter() { Key(VK_RETURN); }
    // One movement step with the given arrows held (the clock moves on 75 ms first).
    bool Step(std::initializer_list<Arrow> arrows) {
        comps.held = {};
        for (Arrow a : arrows) comps.held[static_cast<size_t>(a)] = true;
        clock.Set(NextStepTime());
        const bool done = Tick();
        comps.held = {};
        return done;
    }

    // When the next Step runs its movement step.
    uint32_t NextStepTime() {
        return std::max({clock.Now(), form.LastMoveTime + 75, form.LastFrameTime + 25});
    }
    void FoodAt(int32_t col, int32_t row) {
        form.Food.Col = col;
        form.Food.Row = row;
    }

    // A small board in play: columns and rows 30 px, except the last of each (large).
    void SetBoard(std::vector<int32_t> xs, std::vector<int32_t> ys) {
        form.XLines = xs;
        form.YLines = ys;
        form.XLineCount = static_cast<int32_t>(xs.size());
        form.YLineCount = static_cast<int32_t>(ys.size());
        form.CellGrid.assign(xs.size() - 1, std::vector<uint8_t>(ys.size() - 1, 0));
        form.Cats.clear();
        form.CatCount = 0;
        form.Hamster = TBoardObject{};
        form.Hamster.Active = true;
        form.Food = TBoardObject{};
        form.Food.Col = form.XLineCount - 2;
        form.Food.Row = form.YLineCount - 2;
        form.FoodIsApple = false;
        if (form.Stage == 0) form.Stage = 1;
        form.BoardStartTime = form.FoodMoveTime = form.CatMoveTime = clock.Now();
    }
    void SmallBoard() { SetBoard({20, 50, 80, 110, 140, 170, 620}, {20, 50, 80, 110, 140, 420}); }
    void AddCat(int32_t col, int32_t row) {
        TBoardObject cat;
        cat.Col = col;
        cat.Row = row;
        cat.Alive = 1;
        form.Cats.push_back(cat);
        form.CatCount = static_cast<int32_t>(form.Cats.size());
        form.CellGrid[static_cast<size_t>(col)][static_cast<size_t>(row)] = 1;
    }
    const std::string& Text(TStatusText t) { return form.Texts.Text(t); }
    bool TopMenusEnabled() {
        return form.MainMenu1.G1.Enabled() && form.MainMenu1.BGMB1.Enabled() && form.MainMenu1.H1.Enabled();
    }
    bool TopMenusDisabled() {
        return !form.MainMenu1.G1.Enabled() && !form.MainMenu1.BGMB1.Enabled() &&
               !form.MainMenu1.H1.Enabled();
    }

    ManualClock clock{1000};
    ScriptedHost host;
    TempDir dir;
    RecordingComponents comps;
    RecordingMusic music;
    TForm1 form;
};
