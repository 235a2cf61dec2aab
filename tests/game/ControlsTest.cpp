#include "GameFixture.h"
#include "sound/ddsd.h"

class ControlsTest : public GameTest {
protected:
    void SetUp() override {
        Create();
        PassStartup();
    }
    // Plays the current board to its food at once.
    void EatFood(uint32_t elapsed = 10000) {
        SmallBoard();
        FoodAt(1, 0);
        form.BoardStartTime = NextStepTime() - elapsed;
        Step({Right});
        ASSERT_TRUE(form.BoardClear);
    }
    void LoseBoard() {
        SmallBoard();
        form.Hamster.Col = 2;
        form.Hamster.Row = 2;
        AddCat(2, 3);
        clock.Advance(1000);
        form.UpdateFrameState();
        ASSERT_TRUE(form.GameOver);
    }
};

TEST_F(ControlsTest, EnterAtTheTitleStartsStageOneAndClosesTheMenus) {
    const auto titleLines = form.XLines;
    const uint32_t t = clock.Now();
    Enter();
    EXPECT_EQ(form.Stage, 1);
    EXPECT_EQ(form.CatCount, 1);
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_FALSE(form.TitleShown);
    EXPECT_FALSE(form.GameSaved);
    EXPECT_TRUE(form.MainMenu1.Save.Enabled());
    EXPECT_TRUE(TopMenusDisabled());
    EXPECT_EQ(form.BoardStartTime, t);
    EXPECT_EQ(form.FoodMoveTime, t);
    EXPECT_EQ(form.CatMoveTime, t);
    EXPECT_NE(form.XLines, titleLines) << "the board behind the title is replaced";
    // Enter during play is ignored.
    const auto lines = form.XLines;
    Enter();
    EXPECT_EQ(form.XLines, lines);
}

TEST_F(ControlsTest, SpaceTurnsOnlyDuringPlay) {
    form.Hamster.Dir = DirLeft;
    Key(VK_SPACE);
    EXPECT_EQ(form.Hamster.Dir, DirLeft);
    Enter();
    form.Hamster.Dir = DirLeft;
    Key(VK_SPACE);
    EXPECT_EQ(form.Hamster.Dir, DirUp);
    Key(VK_SPACE);
    EXPECT_EQ(form.Hamster.Dir, DirRight);
    form.Hamster.Dir = DirDown;
    Key(VK_SPACE);
    EXPECT_EQ(form.Hamster.Dir, DirRight);
    uint16_t other = 'A';
    form.FormKeyDown(other);
    EXPECT_EQ(other, 'A');
    EXPECT_EQ(form.Hamster.Dir, DirRight);
}

TEST_F(ControlsTest, EnterAfterAClearedBoardPlaysTheNextAndRestartsTheMusicAfterAJingle) {
    Enter();
    EatFood();
    EXPECT_TRUE(TopMenusEnabled());
    Enter();
    EXPECT_FALSE(form.BoardClear);
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_EQ(music.calls.back(), "RestartBgmAfterBoard 1");
    // After the 10th food the next board is stage 2 with three cats.
    form.FoodsCount = 9;
    EatFood();
    Enter();
    EXPECT_EQ(form.Stage, 2);
    EXPECT_EQ(form.CatCount, 3);
    EXPECT_EQ(music.calls.back(), "RestartBgmAfterBoard 10");
}

TEST_F(ControlsTest, ANewRecordRewritesItsLineAtTheNextEnter) {
    Enter();
    EatFood(12345);
    EXPECT_EQ(Text(TStatusText::RecordValue1), "100\"00(1)");
    Enter();
    EXPECT_EQ(Text(TStatusText::RecordValue1), "012\"03(1)");
    EXPECT_FALSE(form.NewRecord);
    // The 10th food's record belongs to line 1, not line 2.
    form.FoodsCount = 9;
    EatFood(4000);
    Enter();
    EXPECT_EQ(form.Stage, 2);
    EXPECT_EQ(Text(TStatusText::RecordValue1), "004\"00(1)");
    EXPECT_EQ(Text(TStatusText::RecordValue2), "100\"00(2)");
}

TEST_F(ControlsTest, EnterAfterALostBoardGoesBackToTheStagesFirstBoard) {
    Enter();
    form.FoodsCount = 9;
    EatFood();
    Enter();
    const int32_t checkpointScore = form.Score, checkpointLife = form.Life;
    for (int i = 0; i < 5; ++i) {
        EatFood(5000);
        Enter();
    }
    EXPECT_EQ(form.FoodsCount, 15);
    EXPECT_NE(form.RecordTimes[1], 100000);
    LoseBoard();
    Enter();
    EXPECT_FALSE(form.GameOver);
    EXPECT_EQ(form.Stage, 2);
    EXPECT_EQ(form.FoodsCount, 10);
    EXPECT_EQ(form.Score, checkpointScore);
    EXPECT_EQ(form.Life, checkpointLife);
    EXPECT_EQ(form.RecordTimes[1], 100000);
    EXPECT_EQ(Text(TStatusText::RecordValue2), "100\"00(2)");
    EXPECT_EQ(Text(TStatusText::FoodsValue), "10");
    EXPECT_EQ(form.CatCount, 3);
    EXPECT_TRUE(form.Hamster.Active);
}

TEST_F(ControlsTest, EnterAfterGameClearStartsANewGame) {
    Enter();
    form.FoodsCount = 29;
    form.Stage = 3;
    form.Score = 90000;
    EatFood();
    ASSERT_TRUE(form.GameClear);
    EXPECT_EQ(Text(TStatusText::HighScoreValue), "000000");
    Enter();
    EXPECT_FALSE(form.GameClear);
    EXPECT_FALSE(form.HighScoreUpdated);
    EXPECT_TRUE(form.ClearMessage.empty());
    EXPECT_EQ(form.FoodsCount, 0);
    EXPECT_EQ(form.Life, 30);
    EXPECT_EQ(form.CheckpointLife, 30);
    EXPECT_EQ(form.Score, 0);
    EXPECT_EQ(form.CheckpointScore, 0);
    EXPECT_EQ(form.Stage, 1);
    EXPECT_EQ(form.CatCount, 1);
    EXPECT_EQ(Text(TStatusText::HighScoreValue), FormatNumber(form.HighScore, 6));
    EXPECT_EQ(Text(TStatusText::ScoreValue), "000000");
    EXPECT_EQ(Text(TStatusText::LifeValue), "030");
    EXPECT_EQ(form.PBLife.Position(), 30);
    for (int32_t n = 1; n <= 3; ++n) {
        EXPECT_EQ(form.RecordTimes[static_cast<size_t>(n - 1)], 100000);
        EXPECT_EQ(Text(TStatusTexts::RecordLine(n)), FormatRecordLine(100000, n));
    }
    EXPECT_EQ(music.calls.back(), "RestartBgmAfterBoard 30");
}

TEST_F(ControlsTest, EnterContinuesARestoredBoardWhereItStopped) {
    Enter();
    SmallBoard();
    form.Hamster.Col = 2;
    const auto lines = form.XLines;
    clock.Advance(61234);
    form.StoreInterruptedTime();
    form.Hamster.Active = false;
    form.WriteSavedGame();

    // A new run restores it.
    ManualClock clock2(50000);
    ScriptedHost host2;
    TestPlatform platform2;
    TForm1 again(clock2, host2, dir.Dir(), platform2.Make());
    again.FormCreate();
    ASSERT_TRUE(again.CanOfferResume());
    again.RestoreSavedGame();
    EXPECT_TRUE(again.ResumeWaiting);
    EXPECT_EQ(again.XLines, lines);
    again.ResumeAskPending = false;
    uint16_t key = VK_RETURN;
    again.FormKeyDown(key);
    EXPECT_TRUE(again.Hamster.Active);
    EXPECT_FALSE(again.ResumeWaiting);
    EXPECT_EQ(again.XLines, lines) << "the restored board is played on";
    EXPECT_EQ(again.Hamster.Col, 2);
    EXPECT_EQ(again.BoardStartTime, 50000u - 61234u);
    EXPECT_EQ(again.Texts.Text(TStatusText::TimeValue), "061\"02");
    EXPECT_EQ(again.CatMoveTime, 50000u);
    EXPECT_TRUE(again.MainMenu1.Save.Enabled());
}

// The bindings of the settings file: the new key walks and the old one does nothing;
// the keys of 決定 and ハムスター回転 do what Enter and Space do; the mute key toggles the
// sound, shows it for a second in the help line's place and keeps it in the file.
class BindingsTest : public GameTest {
protected:
    void SetUp() override {
        dir.Write("Data/Settei.ini",
                  "[Keys]\nRight=D\nEnter=J\nTurn=T;pad=north\n[Options]\nMusicVolume=50\n");
        Create();
        PassStartup();
    }
    int32_t WalkWith(uint8_t key) {
        const int32_t before = form.Hamster.Col;
        platform.Keyboard().KeyCodeDown(key);
        clock.Set(NextStepTime());
        Tick();
        platform.Keyboard().KeyCodeUp(key);
        return form.Hamster.Col - before;
    }
};

TEST_F(BindingsTest, ARemappedActionPlaysAndItsOldKeyDoesNothing) {
    EXPECT_EQ(form.ActionOfKey(DIK_RETURN), std::nullopt);
    EXPECT_EQ(form.ActionOfKey(DIK_J), TAction::Confirm);
    EXPECT_EQ(form.ActionOfKey(DIK_NUMPAD6), std::nullopt) << "Right is D alone now";
    form.ActionDown(TAction::Confirm);
    ASSERT_TRUE(form.Hamster.Active);
    SmallBoard();
    EXPECT_EQ(WalkWith(DIK_RIGHT), 0);
    EXPECT_EQ(WalkWith(DIK_D), 1);
    EXPECT_EQ(WalkWith(DIK_NUMPAD6), 0);
    form.Hamster.Dir = DirLeft;
    ASSERT_EQ(form.ActionOfKey(DIK_T), TAction::Turn);
    form.ActionDown(TAction::Turn);
    EXPECT_EQ(form.Hamster.Dir, DirUp);
    // The other movements keep their keys: the keypad's 2 walks down.
    EXPECT_EQ(form.ActionOfKey(DIK_NUMPAD2), TAction::Down);

    // Bindings taken at once: Right back on the arrow.
    TGameSettings s = form.Settings;
    ASSERT_EQ(s.Keys.SetKey(TAction::Right, 0, DIK_RIGHT), std::nullopt);
    form.ApplySettings(s);
    EXPECT_EQ(WalkWith(DIK_D), 0);
    EXPECT_EQ(WalkWith(DIK_RIGHT), 1);
}

TEST_F(BindingsTest, TheMuteKeyTogglesTheSoundShowsItForASecondAndKeepsIt) {
    TMixer& mixer = *form.Components.DDSD1->Mixer();
    EXPECT_EQ(mixer.Gain(TGainControl::Music), VolumeGain(50))
        << "the volumes of the file are set at start-up";
    EXPECT_EQ(mixer.Gain(TGainControl::Master), 1.0f);
    EXPECT_FALSE(mixer.Muted());
    EXPECT_FALSE(form.NoticeShown());
    ASSERT_EQ(form.ActionOfKey(DIK_M), TAction::Mute);
    form.ActionDown(TAction::Mute);
    EXPECT_TRUE(form.Settings.Sound.Muted);
    EXPECT_TRUE(mixer.Muted());
    EXPECT_TRUE(form.NoticeShown());
    EXPECT_EQ(Text(TStatusText::Notice), "消音");
    const TGameSettings kept = ReadGameSettings(form.UserDir + "Settei.ini");
    EXPECT_TRUE(kept.Sound.Muted);
    EXPECT_EQ(kept.Keys, form.Settings.Keys) << "the bindings read are written back as they were";
    clock.Advance(500);
    Tick();
    EXPECT_TRUE(form.NoticeShown());
    clock.Advance(500);
    Tick();
    EXPECT_FALSE(form.NoticeShown());
    form.ActionDown(TAction::Mute);
    EXPECT_EQ(Text(TStatusText::Notice), "消音解除");
    EXPECT_FALSE(mixer.Muted());
    EXPECT_FALSE(ReadGameSettings(form.UserDir + "Settei.ini").Sound.Muted);
}
