#pragma once
// Drives TForm1 headless: a manual clock, a scripted host, a temporary program folder
// and recording components.
#include "TestPlatform.h"
#include "game/Unit1.h"
#include "input/DikCodes.h"
#include "support/FatalCatcher.h"
#include "support/ManualClock.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <map>
#include <string>
#include <vector>

enum Arrow { Up = 0, Down = 1, Left = 2, Right = 3 };

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

class GameTest : public ::testing::Test {
protected:
    GameTest() : form(gameClock, host, Prepared(dir), platform.Make()) { form.SetMusic(&music); }
    ~GameTest() override { SetLayerLogFolders(""); }
    static std::string Prepared(const TempDir& dir) {
        WriteTestData(dir);
        SetLayerLogFolders(dir.Dir());
        return dir.Dir();
    }

    std::vector<int32_t> TakeSounds() { return ::TakeSounds(form); }
    std::string FoodEntry() { return form.Components.PictureEntry(TPicture::Food); }
    std::string GetEntry() { return form.Components.PictureEntry(TPicture::Get); }
    int Frames() { return static_cast<int>(platform.PresentCount()); }
    void Hold(std::initializer_list<Arrow> arrows) {
        const uint8_t codes[4] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
        for (Arrow a : arrows) platform.Keyboard().KeyCodeDown(codes[a]);
    }
    void ReleaseAll() {
        for (uint8_t code : {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT}) platform.Keyboard().KeyCodeUp(code);
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
        Hold(arrows);
        clock.Set(NextStepTime());
        const bool done = Tick();
        ReleaseAll();
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

    FatalCatcher halts;
    ManualClock clock{1000};
    // The clock the form reads, as the window gives it: it stands still while paused.
    PausableClock gameClock{clock};
    ScriptedHost host;
    TempDir dir;
    TestPlatform platform;
    RecordingMusic music;
    TForm1 form;
};
