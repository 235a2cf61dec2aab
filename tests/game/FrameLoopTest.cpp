#include "GameFixture.h"

#include "base/Stream.h"

TEST_F(GameTest, StartValuesAndTheBoardBehindTheTitle) {
    Create();
    EXPECT_EQ(form.Stage, 0);
    EXPECT_EQ(form.CatCount, 1);
    EXPECT_FALSE(form.FoodIsApple);
    EXPECT_EQ(FoodEntry(), "himawari_tane0.bmp");
    EXPECT_EQ(GetEntry(), "get.bmp");
    EXPECT_EQ(form.Components.HamsterSize(DirUp).Height, 40u);
    EXPECT_EQ(form.ClientWidth, 764);
    EXPECT_TRUE(TakeSounds().empty());
    EXPECT_EQ(Text(TStatusText::HighScoreValue), "000000");
    EXPECT_EQ(Text(TStatusText::LifeValue), "030");
    EXPECT_EQ(Text(TStatusText::ScoreValue), "000000");
    EXPECT_EQ(Text(TStatusText::FoodsValue), "00");
    EXPECT_EQ(Text(TStatusText::RecordValue1), "100\"00(1)");
    EXPECT_EQ(Text(TStatusText::RecordValue3), "100\"00(3)");
    EXPECT_EQ(form.PBLife.Position(), 30);
    EXPECT_TRUE(form.TitleShown && form.GameSaved && form.ResumeAskPending);
    EXPECT_FALSE(form.MainMenu1.Save.Enabled());
    EXPECT_TRUE(TopMenusEnabled());
    EXPECT_EQ(form.StartTime, 1000u);
}

TEST_F(GameTest, TicksAreGatedTo25MsAndSleepAwayMostOfTheWait) {
    Create();
    EXPECT_FALSE(Tick()); // first tick at 1000: movement step, frame
    EXPECT_EQ(Frames(), 1);
    // Movement padded to 15 ms less 3, then the frame to 25 ms less 3.
    EXPECT_EQ(clock.sleeps, (std::vector<uint32_t>{12, 10}));
    EXPECT_EQ(clock.Now(), 1022u);
    EXPECT_FALSE(Tick()); // 22 ms after the last tick: nothing
    EXPECT_EQ(Frames(), 1);
    EXPECT_EQ(form.MsUntilNextTick(), 3u) << "the idle driver waits that long";
    clock.Set(1025);
    EXPECT_EQ(form.MsUntilNextTick(), 0u);
    EXPECT_FALSE(Tick()); // a frame, no movement step (75 ms gate)
    EXPECT_EQ(Frames(), 2);
    EXPECT_EQ(clock.sleeps.back(), 22u);
    clock.Set(1075);
    EXPECT_EQ(form.MsUntilNextTick(), 0u) << "overdue is due now, not 49 days away";
    Tick();
    EXPECT_EQ(clock.sleeps.back(), 10u) << "a movement step again";
}

TEST_F(GameTest, AnArrowReleasedBetweenTwoKeyboardReadsIsNotSeen) {
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    clock.Set(form.LastMoveTime + 50);
    Hold({Right});
    Tick(); // a frame only
    ReleaseAll();
    clock.Set(form.LastMoveTime + 75);
    Tick();
    EXPECT_EQ(form.Hamster.Col, 0);
}

TEST_F(GameTest, MusicStartsOnceAfter100MsAndTheResumeStepRunsOnceAfter2s) {
    Create();
    int resumeCalls = 0;
    form.SetResumeHandler([&] {
        ++resumeCalls;
        EXPECT_FALSE(form.ResumeAskPending);
    });
    Tick();
    EXPECT_TRUE(music.calls.empty());
    clock.Set(1100);
    Tick();
    EXPECT_EQ(music.calls, std::vector<std::string>{"StartBgm"});
    for (uint32_t t = 1200; t < 3000; t += 100) {
        clock.Set(t);
        Tick();
    }
    EXPECT_EQ(resumeCalls, 0);
    Enter(); // refused during the first 2 s
    EXPECT_TRUE(form.TitleShown);
    EXPECT_FALSE(form.Hamster.Active);
    clock.Set(3000);
    Tick();
    clock.Set(3100);
    Tick();
    EXPECT_EQ(resumeCalls, 1);
    EXPECT_EQ(music.calls.size(), 1u);
    EXPECT_EQ(music.checks.size(), 22u);
    Enter();
    EXPECT_TRUE(form.Hamster.Active);
}

TEST_F(GameTest, HoldingAnArrowMovesEvery75Ms) {
    Create();
    PassStartup();
    Enter();
    SetBoard({20, 50, 80, 110, 140, 170, 200, 230, 260, 620}, {20, 50, 80, 420});
    Hold({Right});
    const uint32_t start = clock.Now();
    for (uint32_t t = start; t <= start + 300; t += 25) {
        clock.Set(t);
        Tick();
    }
    // The last step was at the start-up tick (3000): steps at 3097, 3172, 3247 and 3322.
    EXPECT_EQ(form.Hamster.Col, 4);
}

TEST_F(GameTest, ReachingTheFoodOrBitingEndsTheTickWithoutAFrame) {
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    const int frames = Frames();
    EXPECT_TRUE(Step({Right})); // Done left true
    EXPECT_EQ(Frames(), frames);
    EXPECT_TRUE(form.BoardClear);

    Enter();
    SmallBoard();
    AddCat(1, 0);
    form.Life = 100;
    EXPECT_TRUE(Step({Right, Down}));
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(form.Hamster.Row, 0) << "the bite ended the step before the down move";
    EXPECT_FALSE(form.CatHit);
    EXPECT_FALSE(Step({}));
    EXPECT_EQ(Frames(), frames + 1);
}

TEST_F(GameTest, ALostDeviceFreezesTheTimedStepsAndANotResetDeviceIsReset) {
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    form.Food.Col = 1;
    form.Food.Row = 4;
    AddCat(4, 4);
    platform.SetDeviceState(TDeviceState::Lost);
    const int frames = Frames();
    clock.Advance(5000);
    Tick();
    EXPECT_EQ(form.Cats[0].Col, 4);
    EXPECT_EQ(form.FoodMoveTime, form.BoardStartTime);
    EXPECT_EQ(Frames(), frames);
    platform.SetDeviceState(TDeviceState::NotReset);
    clock.Advance(25);
    Tick();
    EXPECT_EQ(platform.ResetCount(), 1u);
    EXPECT_EQ(Frames(), frames);
    platform.SetDeviceState(TDeviceState::Ok);
    clock.Advance(25);
    Tick();
    EXPECT_EQ(Frames(), frames + 1);
    // Overdue timers fire once.
    EXPECT_EQ(form.FoodMoveTime, form.CatMoveTime);
    EXPECT_TRUE(form.Cats[0].Col == 3 || form.Cats[0].Row == 3);
}

// Play paused (the window inactive): the form's clock stands still, so neither the food,
// the cats nor the board time move however long the pause lasts, and no frame is drawn;
// resumed, every timer goes on where it stood.
TEST_F(GameTest, APausedClockFreezesPlayAndResumesWhereItStood) {
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    form.Food.Col = 1;
    form.Food.Row = 4;
    AddCat(4, 4);
    clock.Advance(600);
    Tick();
    const uint32_t played = gameClock.Now() - form.BoardStartTime;
    const std::string time = Text(TStatusText::TimeValue);
    EXPECT_EQ(time, FormatTimeUnsigned(played));
    const int frames = Frames();
    gameClock.Pause();
    for (int i = 0; i < 20; ++i) {
        clock.Advance(500);
        Tick();
    }
    EXPECT_EQ(Frames(), frames);
    EXPECT_EQ(Text(TStatusText::TimeValue), time);
    EXPECT_EQ(form.Cats[0].Col, 4);
    EXPECT_EQ(form.Cats[0].Row, 4);
    EXPECT_EQ(form.FoodMoveTime, form.BoardStartTime);
    gameClock.Resume();
    clock.Advance(50);
    Tick();
    EXPECT_GT(Frames(), frames);
    EXPECT_LT(gameClock.Now() - form.BoardStartTime, played + 100) << "the pause did not count";
    EXPECT_EQ(Text(TStatusText::TimeValue), FormatTimeUnsigned(gameClock.Now() - form.BoardStartTime));
    EXPECT_EQ(form.Cats[0].Col, 4) << "not a second of play yet";
    clock.Advance(1000);
    Tick();
    EXPECT_TRUE(form.Cats[0].Col == 3 || form.Cats[0].Row == 3);
}

TEST_F(GameTest, KeyEventsHandledInsideTheFrameTakeEffectBeforeTheStateSteps) {
    Create();
    PassStartup();
    host.onProcessMessages = [&] { Enter(); };
    clock.Advance(25);
    Tick();
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_EQ(Text(TStatusText::TimeValue), "000\"00");
}

// The shipped pictures and sounds: the game starts on them and its boards can be made
// with the real hamster (the picture must be at least 20 x 20 pixels).
TEST(ShippedData, TheGameStartsAndPlaysOnTheRealPicturesAndSounds) {
    const std::string exeDir = SourceDir();
    if (!FileExists(exeDir + "Data/data.qda")) GTEST_SKIP() << "no Data folder in " << exeDir;
    FatalCatcher halts;
    TempDir logs;
    SetLayerLogFolders(logs.Dir());
    ManualClock clock(5000);
    ScriptedHost host;
    TestPlatform platform;
    {
        TForm1 form(clock, host, exeDir, platform.Make());
        form.FormCreate();
        const TPictureSize right = form.Components.HamsterSize(DirRight);
        EXPECT_GE(right.Width, 20u);
        EXPECT_GE(right.Height, 20u);
        EXPECT_EQ(form.Components.PictureEntry(TPicture::Get), "get.bmp");
        EXPECT_GT(form.Components.PictureSize(TPicture::Food).Width, 0u);
        clock.Advance(2000);
        bool done = true;
        form.ApplicationEvents1Idle(done);
        uint16_t enter = VK_RETURN;
        form.FormKeyDown(enter);
        EXPECT_TRUE(form.Hamster.Active);
        for (int i = 0; i < 80; ++i) {
            clock.Advance(25);
            done = true;
            form.ApplicationEvents1Idle(done);
        }
        EXPECT_GE(platform.PresentCount(), 40u);
    }
    SetLayerLogFolders("");
}

// The millisecond clock wraps after about 49 days; a board played across the wrap
// moves, steps its cats, counts its time and scores its food as any other.
TEST_F(GameTest, PlayGoesOnAcrossTheWrapOfTheMillisecondClock) {
    clock.Set(0xFFFFFFFFu - 2200);
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    FoodAt(0, 4);
    AddCat(5, 4);
    const uint32_t start = form.BoardStartTime;
    ASSERT_GT(start, 0xFFFFFF00u);
    Hold({Right});
    for (int32_t col = 1; col <= 4; ++col) {
        clock.Set(form.LastMoveTime + 75);
        Tick();
        EXPECT_EQ(form.Hamster.Col, col) << "one move per step";
    }
    ReleaseAll();
    ASSERT_LT(clock.Now(), 1000u) << "the clock has wrapped";
    EXPECT_LT(static_cast<uint32_t>(clock.Now() - start), 1000u);
    EXPECT_EQ(Text(TStatusText::TimeValue).substr(0, 4), "000\"") << "under a second of play";

    const uint32_t cats = form.CatMoveTime;
    clock.Set(cats + 960); // the tick's frame comes before 1000 ms
    Tick();
    EXPECT_EQ(form.Cats[0].Col + form.Cats[0].Row, 9) << "no cat step before 1000 ms";
    clock.Set(cats + 1000);
    Tick();
    EXPECT_EQ(form.Cats[0].Col + form.Cats[0].Row, 8) << "one cat step towards the hamster";
    EXPECT_EQ(form.CatMoveTime - cats, 1000u);

    FoodAt(4, 1);
    clock.Set(form.LastMoveTime + 75);
    const int32_t t = static_cast<int32_t>(clock.Now() - start);
    Step({Down});
    ASSERT_TRUE(form.BoardClear);
    EXPECT_EQ(form.RecordTimes[0], t);
    EXPECT_EQ(form.Score, 100 + (30000 - t) / 10);
}
