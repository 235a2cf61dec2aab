#include "GameFixture.h"

#include "base/Stream.h"

namespace {

TGameState SmallState() {
    TGameState s;
    s.XLines = {20, 50, 80, 110, 620};
    s.YLines = {20, 60, 100, 420};
    s.XLineCount = 5;
    s.YLineCount = 4;
    s.CellGrid.assign(4, std::vector<uint8_t>(3, 0));
    s.CatCount = 2;
    s.Cats.resize(2);
    s.Cats[0] = TBoardObject{3, 2, DirLeft, 1, 0, {}, 0, 0, 0, {}};
    s.Cats[1] = TBoardObject{1, 1, DirUp, 0, 0, {}, 0, 0, 0, {}};
    s.CellGrid[3][2] = 1;
    s.CellGrid[1][1] = 1;
    s.Hamster = TBoardObject{2, 1, DirUp, 0, 0, {}, 0, 0, 0, {}};
    s.Food.Col = 3;
    s.Food.Row = 1;
    s.FoodIsApple = true;
    s.Life = 70;
    s.Score = 12345;
    s.HighScore = 99999;
    s.FoodsCount = 14;
    s.Stage = 2;
    s.RecordTimes = {4000, 5000, 100000};
    s.CheckpointScore = 9000;
    s.CheckpointLife = 60;
    s.BoardClear = true;
    return s;
}

} // namespace

TEST(SaveImage, LayoutOfASmallBoard) {
    TSaveImage image;
    image.Bytes().fill(0xEE); // slots past the counts keep what they held
    image.StoreFrom(SmallState());
    const auto& b = image.Bytes();
    EXPECT_EQ(image.Int32(0), 5);
    EXPECT_EQ(image.Int32(4), 4);
    EXPECT_EQ(image.Int32(8), 2);
    EXPECT_EQ(b[12], 0);
    EXPECT_EQ(b[13], 1);
    EXPECT_EQ(b[14], 0xEE) << "padding is left alone";
    EXPECT_EQ(image.Int32(16), 70);
    EXPECT_EQ(image.Int32(20), 4000);
    EXPECT_EQ(image.Int32(28), 100000);
    EXPECT_EQ(image.Int32(32 + 4 * 4), 620);
    EXPECT_EQ(image.UInt32(32 + 4 * 5), 0xEEEEEEEEu);
    EXPECT_EQ(image.Int32(236 + 4 * 3), 420);
    EXPECT_EQ(image.UInt32(236 + 4 * 4), 0xEEEEEEEEu);
    EXPECT_EQ(image.Int32(440), 2);
    EXPECT_EQ(image.Int32(448), DirUp);
    EXPECT_EQ(image.Int32(468 + 28), 1);
    EXPECT_EQ(b[468 + 28 + 12], 0);
    EXPECT_EQ(image.UInt32(468 + 28 * 2), 0xEEEEEEEEu);
    // A 4 x 3 grid at 748-750, 799-801, 850-852, 901-903.
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 3; ++j) EXPECT_EQ(b[748 + 51 * i + j], (i == 3 && j == 2) || (i == 1 && j == 1));
        EXPECT_EQ(b[748 + 51 * i + 3], 0xEE);
    }
    EXPECT_EQ(b[748 + 51 * 4], 0xEE);
    EXPECT_EQ(b[3349], 1);
    EXPECT_EQ(image.Int32(3352), 3);
    EXPECT_EQ(image.UInt32(3380), 0xEEEEEEEEu) << "the interrupted time is not touched";
    EXPECT_EQ(b[3384], 0);
    EXPECT_EQ(image.Int32(3388), 12345);
    EXPECT_EQ(image.Int32(3392), 99999);
    EXPECT_EQ(image.Int32(3396), 14);
    EXPECT_EQ(image.Int32(3400), 2);
    EXPECT_EQ(b[3404], 0);
    EXPECT_EQ(image.Int32(3408), 9000);
    EXPECT_EQ(image.Int32(3412), 60);
}

TEST(SaveImage, RoundTripThroughTheFile) {
    TempDir dir;
    TSaveImage image;
    TGameState s = SmallState();
    s.Hamster.FallWidth = 12.5f;
    image.StoreFrom(s);
    image.SetInterruptedElapsed(4321);
    image.WriteToFile(dir.File("record.dat"));
    EXPECT_EQ(ReadWholeFile(dir.File("record.dat")).size(), 3416u);

    TSaveImage read;
    read.ReadFromFile(dir.File("record.dat"));
    EXPECT_EQ(read.Bytes(), image.Bytes());
    ASSERT_TRUE(read.CanRestore());
    TGameState r;
    r.HighScore = 7;
    ASSERT_TRUE(read.RestoreTo(r));
    EXPECT_EQ(r.XLines, s.XLines);
    EXPECT_EQ(r.YLines, s.YLines);
    EXPECT_EQ(r.CellGrid, s.CellGrid);
    ASSERT_EQ(r.Cats.size(), 2u);
    EXPECT_EQ(r.Cats[0].Dir, DirLeft);
    EXPECT_EQ(r.Cats[1].Alive, 0);
    EXPECT_EQ(r.Hamster.Col, 2);
    EXPECT_FLOAT_EQ(r.Hamster.FallWidth, 12.5f);
    EXPECT_EQ(r.Food.Col, 3);
    EXPECT_TRUE(r.FoodIsApple);
    EXPECT_TRUE(r.BoardClear);
    EXPECT_EQ(r.Life, 70);
    EXPECT_EQ(r.Score, 12345);
    EXPECT_EQ(r.FoodsCount, 14);
    EXPECT_EQ(r.Stage, 2);
    EXPECT_EQ(r.RecordTimes, s.RecordTimes);
    EXPECT_EQ(r.CheckpointScore, 9000);
    EXPECT_EQ(r.CheckpointLife, 60);
    EXPECT_EQ(r.HighScore, 7) << "the high score is taken at start-up, not here";
    EXPECT_EQ(read.InterruptedElapsed(), 4321u);
}

TEST(SaveImage, AFallingHamsterIsSavedAsALostBoard) {
    TGameState s = SmallState();
    s.BoardClear = false;
    s.Hamster.Falling = 1;
    TSaveImage image;
    image.StoreFrom(s);
    EXPECT_EQ(image.Byte(TSaveImage::OffGameOver), 1);
    EXPECT_EQ(image.Byte(TSaveImage::OffHamster + 24), 0);
    EXPECT_EQ(s.Hamster.Falling, 1) << "the live state is not changed";
    TGameState r;
    ASSERT_TRUE(image.RestoreTo(r));
    EXPECT_TRUE(r.GameOver);
    EXPECT_EQ(r.Hamster.Falling, 0);
}

TEST(SaveImage, AShortFileFillsOnlyItsBytesAndLongerFilesAreCut) {
    TempDir dir;
    std::vector<uint8_t> bytes(10, 0);
    bytes[0] = 7;
    TSaveImage image;
    image.SetHighScore(500);
    image.ReadFromFile(dir.Write("short.dat", bytes));
    EXPECT_EQ(image.Int32(0), 7);
    EXPECT_EQ(image.HighScore(), 500);
    std::vector<uint8_t> longer(5000, 0x11);
    image.ReadFromFile(dir.Write("long.dat", longer));
    EXPECT_EQ(image.HighScore(), 0x11111111);
    EXPECT_THROW(image.ReadFromFile(dir.File("missing.dat")), EFOpenError);
}

TEST(SaveImage, HostileCountsAndPositionsAreNotRestored) {
    TSaveImage good;
    good.StoreFrom(SmallState());
    ASSERT_TRUE(good.CanRestore());
    const auto with = [&](size_t offset, int32_t value) {
        TSaveImage bad = good;
        bad.SetInt32(offset, value);
        return bad;
    };
    for (int32_t v : {0, 1, 52, -1, 0x7FFFFFFF}) {
        EXPECT_FALSE(with(TSaveImage::OffXLineCount, v).CanRestore()) << v;
        EXPECT_FALSE(with(TSaveImage::OffYLineCount, v).CanRestore()) << v;
    }
    EXPECT_FALSE(with(TSaveImage::OffCatCount, 11).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffCatCount, -1).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffHamster, 4).CanRestore()) << "column outside the grid";
    EXPECT_FALSE(with(TSaveImage::OffHamster + 8, 4).CanRestore()) << "no such facing";
    EXPECT_FALSE(with(TSaveImage::OffFood + 4, 3).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffCats + 28 + 4, -1).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffStage, 0).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffStage, 4).CanRestore());
    EXPECT_FALSE(with(TSaveImage::OffXLines + 8, 10).CanRestore()) << "lines out of order";
    EXPECT_FALSE(with(TSaveImage::OffYLines, -2000000000).CanRestore());
    TSaveImage falling = good;
    falling.SetByte(TSaveImage::OffHamster + 24, 1);
    EXPECT_FALSE(falling.CanRestore());
    // A cat count of 0 and the full 51 lines are fine.
    EXPECT_TRUE(with(TSaveImage::OffCatCount, 0).CanRestore());
    TGameState before = SmallState();
    TGameState state = before;
    EXPECT_FALSE(with(TSaveImage::OffCatCount, 11).RestoreTo(state));
    EXPECT_EQ(state.XLines, before.XLines);
    EXPECT_EQ(state.Cats.size(), before.Cats.size());
}

TEST_F(GameTest, AHostileRecordFileStillGivesTheHighScoreButNoResume) {
    TSaveImage bad;
    bad.SetInt32(TSaveImage::OffXLineCount, 52);
    bad.SetInt32(TSaveImage::OffCatCount, 11);
    bad.SetHighScore(4242);
    bad.WriteToFile(form.RecordFilePath());
    Create();
    EXPECT_EQ(form.HighScore, 4242);
    EXPECT_EQ(Text(TStatusText::HighScoreValue), "004242");
    EXPECT_FALSE(form.CanOfferResume());
    const auto lines = form.XLines;
    form.RestoreSavedGame();
    EXPECT_EQ(form.XLines, lines);
    EXPECT_FALSE(form.ResumeWaiting);
}

TEST_F(GameTest, SavingBetweenBoardsAndRestoringInANewRun) {
    Create();
    PassStartup();
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    Step({Right});
    ASSERT_TRUE(form.BoardClear);
    form.WriteSavedGame();
    const auto lines = form.XLines;

    ManualClock clock2(9000);
    ScriptedHost host2;
    TestPlatform platform2;
    TForm1 again(clock2, host2, dir.Dir(), platform2.Make());
    again.FormCreate();
    ASSERT_TRUE(again.CanOfferResume());
    again.RestoreSavedGame();
    EXPECT_FALSE(again.ResumeWaiting) << "a cleared board goes on with the next board";
    EXPECT_TRUE(again.BoardClear);
    EXPECT_EQ(again.XLines, lines);
    EXPECT_EQ(again.FoodsCount, 1);
    EXPECT_EQ(again.Texts.Text(TStatusText::FoodsValue), "01");
    EXPECT_EQ(again.Components.PictureEntry(TPicture::Food),
              again.FoodIsApple ? "apple.bmp" : "himawari_tane0.bmp");
    // A finished game is not offered.
    again.SaveImage.SetGameClear(true);
    EXPECT_FALSE(again.CanOfferResume());
}
