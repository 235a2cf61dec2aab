#include "GameFixture.h"

class RulesTest : public GameTest {
protected:
    void SetUp() override {
        Create();
        PassStartup();
        Enter();
        SmallBoard();
        TakeSounds();
    }
};

TEST_F(RulesTest, AMoveReversesTheFacingOnlyWithinItsAxis) {
    form.Hamster.Dir = DirUp;
    Step({Right});
    EXPECT_EQ(form.Hamster.Dir, DirUp);
    EXPECT_EQ(form.Hamster.Col, 1);
    form.Hamster.Dir = DirLeft;
    Step({Right});
    EXPECT_EQ(form.Hamster.Dir, DirRight);
    Step({Left});
    EXPECT_EQ(form.Hamster.Dir, DirLeft);
    Step({Down});
    EXPECT_EQ(form.Hamster.Dir, DirLeft);
    form.Hamster.Dir = DirUp;
    Step({Down});
    EXPECT_EQ(form.Hamster.Dir, DirDown);
    Step({Up});
    EXPECT_EQ(form.Hamster.Dir, DirUp);
    // At the edges a held arrow does nothing.
    form.Hamster.Col = 0;
    form.Hamster.Row = 0;
    Step({Left, Up});
    EXPECT_EQ(form.Hamster.Col, 0);
    EXPECT_EQ(form.Hamster.Row, 0);
}

TEST_F(RulesTest, RightAndDownInOneStepWithTheChecksAfterEachMove) {
    FoodAt(1, 1);
    Step({Right, Down});
    EXPECT_EQ(form.Hamster.Col, 1);
    EXPECT_EQ(form.Hamster.Row, 1);
    EXPECT_TRUE(form.BoardClear);

    Enter();
    SmallBoard();
    FoodAt(1, 0); // reached by the right move: the down move is not made
    Step({Right, Down});
    EXPECT_TRUE(form.BoardClear);
    EXPECT_EQ(form.Hamster.Row, 0);
}

TEST_F(RulesTest, AFallStartsOnlyOnAMoveIntoACellLargerBothWays) {
    // Column 1 is 50 wide; row 0 is 30 high; row 1 is 50 high.
    SetBoard({20, 50, 100, 130, 620}, {20, 50, 100, 130, 420});
    form.Hamster.Dir = DirUp; // 24 x 40: column 1 row 0 holds (30 < 40 high)
    Step({Right});
    EXPECT_TRUE(form.Hamster.Active);
    Key(VK_SPACE); // faces right: 40 x 24 in a 50 x 30 cell — no fall until the next move
    EXPECT_EQ(form.Hamster.Dir, DirRight);
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_TRUE(TakeSounds().empty());
    Key(VK_SPACE);
    EXPECT_EQ(form.Hamster.Dir, DirUp);
    Key(VK_SPACE);
    Step({Left});
    Step({Right}); // into 50 x 30 facing right (40 x 24): larger both ways
    EXPECT_TRUE(form.Hamster.Falling);
    EXPECT_FALSE(form.Hamster.Active);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{1});
    EXPECT_FLOAT_EQ(form.Hamster.FallWidth, 40.0f);
    EXPECT_FLOAT_EQ(form.Hamster.FallHeight, 24.0f);
    EXPECT_TRUE(TopMenusEnabled());
}

TEST_F(RulesTest, TheFallShrinksEvery200MsAndEndsTheBoardBelow10Pixels) {
    SetBoard({20, 50, 100, 130, 620}, {20, 50, 100, 130, 420});
    Step({Right});
    ASSERT_TRUE(form.Hamster.Falling);
    Enter(); // refused while falling
    EXPECT_TRUE(form.Hamster.Falling);
    const uint32_t t0 = form.FallStepTime;
    clock.Set(t0 + 200);
    EXPECT_FALSE(form.UpdateFrameState().FallStepped);
    clock.Set(t0 + 201);
    EXPECT_TRUE(form.UpdateFrameState().FallStepped);
    EXPECT_FLOAT_EQ(form.Hamster.FallHeight, 24.0f * 0.9f);
    int steps = 1;
    while (!form.GameOver && steps < 100) {
        clock.Advance(201);
        steps += form.UpdateFrameState().FallStepped;
    }
    EXPECT_EQ(steps, 9); // 24 x 0.9^9 = 9.3
    EXPECT_FALSE(form.Hamster.Falling);
    clock.Advance(1000);
    EXPECT_FALSE(form.UpdateFrameState().FallStepped);
    Enter();
    EXPECT_TRUE(form.Hamster.Active);
}

// A fall ends play: the next held direction of the same step is not handled, so neither
// a losing bite nor the food can end the board a second time.
TEST_F(RulesTest, AFallEndsTheStepBeforeABiteOrTheFood) {
    SetBoard({20, 50, 100, 130, 620}, {20, 50, 100, 130, 420});
    form.Life = 10;
    AddCat(1, 1); // below the 50 x 30 cell the right move falls into
    Step({Right, Down});
    EXPECT_TRUE(form.Hamster.Falling);
    EXPECT_FALSE(form.GameOver);
    EXPECT_EQ(form.Hamster.Row, 0);
    EXPECT_EQ(form.Life, 10);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{1});
    while (!form.GameOver) {
        clock.Advance(201);
        ASSERT_TRUE(form.Hamster.Falling || form.GameOver);
        form.UpdateFrameState();
    }
    Enter();
    EXPECT_TRUE(form.Hamster.Active) << "the lost board is continued";

    SetBoard({20, 50, 100, 130, 620}, {20, 50, 100, 130, 420});
    const int32_t foods = form.FoodsCount;
    FoodAt(1, 1);
    Step({Right, Down});
    EXPECT_TRUE(form.Hamster.Falling);
    EXPECT_FALSE(form.BoardClear);
    EXPECT_EQ(form.FoodsCount, foods);
}

TEST_F(RulesTest, TheFoodComesBeforeTheBite) {
    AddCat(1, 0);
    FoodAt(1, 0);
    Step({Right});
    EXPECT_TRUE(form.BoardClear);
    EXPECT_EQ(form.Cats[0].Alive, 1);
    EXPECT_EQ(form.Life, 40);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{3});
}

TEST_F(RulesTest, BitesCost30LifeAndTheSecondLosesTheBoard) {
    AddCat(1, 0);
    AddCat(2, 0);
    Step({Right});
    EXPECT_EQ(form.Life, 0);
    EXPECT_EQ(form.Cats[0].Alive, 0);
    EXPECT_EQ(form.CellGrid[1][0], 1) << "a bitten cat's cell stays closed";
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{2});
    EXPECT_EQ(Text(TStatusText::LifeValue), "000");
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_TRUE(TopMenusDisabled());
    Step({Right});
    EXPECT_EQ(form.Life, -30);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{0});
    EXPECT_EQ(form.PBLife.Position(), 0);
    EXPECT_EQ(Text(TStatusText::LifeValue), "-30");
    EXPECT_TRUE(form.GameOver);
    EXPECT_FALSE(form.Hamster.Active);
    EXPECT_EQ(form.Cats[1].Alive, 1) << "the cat that won stays on the board";
    EXPECT_TRUE(TopMenusEnabled());
}

TEST_F(RulesTest, ABiteInALargeCellStartsNoFall) {
    SetBoard({20, 50, 100, 130, 620}, {20, 50, 100, 130, 420});
    form.Life = 100;
    AddCat(1, 0);
    Step({Right});
    EXPECT_FALSE(form.Hamster.Falling);
    EXPECT_TRUE(form.Hamster.Active);
    Step({Down}); // into 50 x 50 facing right: now it falls
    EXPECT_TRUE(form.Hamster.Falling);
}

TEST_F(RulesTest, CatsCatchAlongAColumnAndARowAndBothPlayTheirSound) {
    form.Hamster.Col = 2;
    form.Hamster.Row = 2;
    AddCat(2, 3); // below: moves up into the hamster's cell
    AddCat(1, 2); // left: moves right
    clock.Advance(1000);
    form.UpdateFrameState();
    EXPECT_TRUE(form.GameOver);
    EXPECT_FALSE(form.Hamster.Active);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{0});
    EXPECT_EQ(form.Cats[0].Row, 2);
    EXPECT_EQ(form.Cats[0].Dir, DirUp);
    EXPECT_EQ(form.Cats[1].Col, 2);
    EXPECT_EQ(form.Cats[1].Dir, DirRight);
    EXPECT_EQ(form.CellGrid[2][3], 1) << "the catching cat's mark is not moved";
    EXPECT_EQ(form.CellGrid[2][2], 0);
    EXPECT_TRUE(TopMenusEnabled());
}

TEST_F(RulesTest, CatsStepTowardsTheHamsterButNotOntoMarksOrTheFood) {
    AddCat(4, 4);
    AddCat(4, 0); // same row as the hamster, far: steps left only
    form.Cats[1].Dir = DirUp;
    for (int i = 0; i < 20 && !form.GameOver; ++i) {
        clock.Advance(1000);
        form.UpdateFrameState();
        int marks = 0;
        for (const auto& column : form.CellGrid)
            for (uint8_t m : column) marks += m;
        EXPECT_EQ(marks, 2);
        EXPECT_EQ(form.Cats[1].Row, 0);
    }
    // The row cat walks left and catches the hamster from (1, 0).
    EXPECT_TRUE(form.GameOver);
    EXPECT_EQ(form.Cats[1].Col, 0);
    EXPECT_EQ(form.Cats[1].Dir, DirLeft);

    // A cat whose targets are the food's cell and a marked cell stays and keeps its facing.
    SmallBoard();
    AddCat(3, 3);
    AddCat(3, 2);
    form.Cats[0].Dir = DirDown;
    form.Cats[1].Alive = 0; // bitten: its mark stays
    FoodAt(2, 3);
    for (int i = 0; i < 10; ++i) form.StepCats();
    EXPECT_EQ(form.Cats[0].Col, 3);
    EXPECT_EQ(form.Cats[0].Row, 3);
    EXPECT_EQ(form.Cats[0].Dir, DirDown);
    EXPECT_EQ(form.CellGrid[3][3], 1);
}

TEST_F(RulesTest, TheFoodHopsToFreeNeighboursAndStaysWhenBoxedIn) {
    form.Food.Col = 2;
    form.Food.Row = 2;
    for (int i = 0; i < 50; ++i) {
        const int32_t c = form.Food.Col, r = form.Food.Row;
        clock.Advance(1000);
        form.StepFood();
        EXPECT_LE(std::abs(form.Food.Col - c), 1);
        EXPECT_LE(std::abs(form.Food.Row - r), 1);
        EXPECT_FALSE(form.Food.Col == 0 && form.Food.Row == 0);
    }
    // Boxed in: a cat on the food's own cell and on every neighbour.
    SmallBoard();
    form.Food.Col = 4;
    form.Food.Row = 4;
    for (int c = 3; c <= 5; ++c)
        for (int r = 3; r <= 4; ++r) AddCat(c, r);
    clock.Advance(1000);
    form.StepFood();
    EXPECT_EQ(form.Food.Col, 4);
    EXPECT_EQ(form.Food.Row, 4);
    EXPECT_EQ(form.FoodMoveTime, clock.Now());
}

TEST_F(RulesTest, ScoreLifeAndRecordsAtTheFood) {
    FoodAt(1, 0);
    form.BoardStartTime = NextStepTime() - 5000;
    Step({Right});
    EXPECT_EQ(form.Score, 2600);
    EXPECT_EQ(Text(TStatusText::ScoreValue), "002600");
    EXPECT_TRUE(form.NewRecord);
    const int32_t first = form.RecordTimes[0];
    EXPECT_EQ(first, 5000);
    EXPECT_EQ(Text(TStatusText::FoodsValue), "01");
    EXPECT_EQ(GetEntry(), "get.bmp");

    // The same time again is no record; 30 s or more scores exactly 100.
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    form.FoodIsApple = true;
    form.BoardStartTime = NextStepTime() - static_cast<uint32_t>(first);
    Step({Right});
    EXPECT_FALSE(form.NewRecord);
    EXPECT_EQ(form.RecordTimes[0], first);
    EXPECT_EQ(form.Life, 90);

    Enter();
    SmallBoard();
    FoodAt(1, 0);
    form.RecordTimes[0] = 100000;
    form.BoardStartTime = NextStepTime() - 100000;
    const int32_t score = form.Score;
    Step({Right});
    EXPECT_EQ(form.Score, score + 100);
    EXPECT_FALSE(form.NewRecord) << "100 s or more is never a record";
    EXPECT_EQ(form.RecordTimes[0], 100000);
}

TEST_F(RulesTest, LifeIsCappedAt200) {
    form.Life = 180;
    form.FoodIsApple = true;
    FoodAt(1, 0);
    Step({Right});
    EXPECT_EQ(form.Life, 200);
    EXPECT_EQ(form.PBLife.Position(), 200);
}

TEST_F(RulesTest, StageFoodsPlayJinglesSetCheckpointsAndChangePictures) {
    const auto eat = [&](int32_t foodsBefore) {
        form.FoodsCount = foodsBefore;
        form.Stage = 1 + foodsBefore / 10;
        FoodAt(1, 0);
        form.Hamster = TBoardObject{};
        form.Hamster.Active = true;
        form.BoardClear = false;
        Step({Right});
    };
    eat(9);
    EXPECT_EQ(music.calls.back(), "PlayJingle 9");
    EXPECT_TRUE(TakeSounds().empty());
    EXPECT_EQ(GetEntry(), "10get.bmp");
    EXPECT_EQ(form.CheckpointScore, form.Score);
    EXPECT_EQ(form.CheckpointLife, form.Life);
    eat(10);
    EXPECT_EQ(TakeSounds(), std::vector<int32_t>{3});
    EXPECT_EQ(GetEntry(), "get.bmp");
    form.Components.LoadPicture(TPicture::Get, "GC.bmp");
    eat(15);
    EXPECT_EQ(GetEntry(), "GC.bmp") << "other counts keep the picture";
    eat(19);
    EXPECT_EQ(music.calls.back(), "PlayJingle 19");
    EXPECT_EQ(GetEntry(), "20get.bmp");
    const int32_t checkpoint = form.Score;
    eat(25);
    EXPECT_EQ(form.CheckpointScore, checkpoint);
    EXPECT_FALSE(form.GameClear);
}

TEST_F(RulesTest, GameClearRaisesTheHighScoreOnlyWhenStrictlyHigherAndWritesTheRecordFile) {
    form.HighScore = 5000;
    form.Score = 4900;
    form.FoodsCount = 29;
    form.Stage = 3;
    FoodAt(1, 0);
    form.BoardStartTime = NextStepTime() - 100000; // scores exactly 100
    Step({Right});
    EXPECT_TRUE(form.GameClear);
    EXPECT_EQ(music.calls.back(), "PlayJingle 29");
    EXPECT_EQ(GetEntry(), "GC.bmp");
    EXPECT_EQ(form.Score, 5000);
    EXPECT_EQ(form.HighScore, 5000);
    EXPECT_FALSE(form.HighScoreUpdated);
    EXPECT_EQ(Text(TStatusText::Message), "おめでとうございます。Enterキーを押すとゲームを再開します。");
    EXPECT_TRUE(form.ClearGrowing);
    EXPECT_FLOAT_EQ(form.ClearImageWidth, 100.0f);
    EXPECT_FLOAT_EQ(form.ClearImageHeight, 40.0f);
    EXPECT_TRUE(form.GameSaved);
    EXPECT_FALSE(form.MainMenu1.Save.Enabled());
    TSaveImage onDisk;
    onDisk.ReadFromFile(form.RecordFilePath());
    EXPECT_TRUE(onDisk.GameClear());
    EXPECT_EQ(onDisk.HighScore(), 5000);

    // Once more, strictly higher this time.
    Enter();
    SmallBoard();
    form.Score = 4901;
    form.FoodsCount = 29;
    form.Stage = 3;
    FoodAt(1, 0);
    form.BoardStartTime = NextStepTime() - 100000;
    const std::string highText = Text(TStatusText::HighScoreValue);
    Step({Right});
    EXPECT_EQ(form.HighScore, 5001);
    EXPECT_TRUE(form.HighScoreUpdated);
    EXPECT_EQ(Text(TStatusText::Message).rfind("記録更新おめでとう", 0), 0u);
    EXPECT_EQ(Text(TStatusText::HighScoreValue), highText) << "rewritten only at the next Enter";
    onDisk.ReadFromFile(form.RecordFilePath());
    EXPECT_EQ(onDisk.HighScore(), 5001);
}

TEST_F(RulesTest, TheGameClearPictureGrowsThenTheMessageBoxShows) {
    form.FoodsCount = 29;
    form.Stage = 3;
    FoodAt(1, 0);
    Step({Right});
    ASSERT_TRUE(form.GameClear);
    int frames = 0;
    TFrameState f = form.UpdateFrameState();
    while (form.ClearGrowing && frames < 100) {
        EXPECT_FALSE(f.MessageBoxShown);
        clock.Advance(200);
        f = form.UpdateFrameState();
        ++frames;
    }
    EXPECT_EQ(frames, 17); // 100 x 1.1^17 = 505 >= 500
    EXPECT_FALSE(f.MessageBoxShown) << "the box comes one frame after the growth stops";
    EXPECT_FLOAT_EQ(form.ClearImageWidth, 500.0f);
    EXPECT_TRUE(form.UpdateFrameState().MessageBoxShown);
}

TEST_F(RulesTest, BlinksToggleEvery300Ms) {
    FoodAt(1, 0);
    Step({Right});
    ASSERT_TRUE(form.NewRecord);
    const uint32_t t = form.NewRecordBlinkTime;
    clock.Set(t + 299);
    form.UpdateFrameState();
    EXPECT_FALSE(form.NewRecordBlinkOn);
    clock.Set(t + 300);
    form.UpdateFrameState();
    EXPECT_TRUE(form.NewRecordBlinkOn);
    EXPECT_EQ(Text(TStatusText::TimeValue), FormatTimeSigned(form.RecordTimes[0]));
    clock.Set(t + 600);
    form.UpdateFrameState();
    EXPECT_FALSE(form.NewRecordBlinkOn);
}

TEST_F(RulesTest, ValuesAtTheirLimitsWrapInsteadOfOverflowing) {
    // Only a hand-made saved game gets here; the sums wrap as 32-bit values do.
    form.Score = INT32_MAX;
    form.Life = INT32_MAX;
    form.FoodsCount = INT32_MAX;
    FoodAt(1, 0);
    Step({Right});
    EXPECT_EQ(form.Life, 200);
    EXPECT_LT(form.Score, 0);
    EXPECT_EQ(form.FoodsCount, INT32_MIN);
    EXPECT_EQ(Text(TStatusText::FoodsValue), "-2147483648");

    Enter();
    SmallBoard();
    form.Life = INT32_MIN;
    AddCat(1, 0);
    Step({Right});
    EXPECT_EQ(form.Life, INT32_MAX - 29);
}

TEST(StatusTexts, NumbersAndTimes) {
    EXPECT_EQ(FormatNumber(7, 3), "007");
    EXPECT_EQ(FormatNumber(0, 2), "00");
    EXPECT_EQ(FormatNumber(1234, 3), "---");
    EXPECT_EQ(FormatNumber(-30, 3), "-30");
    EXPECT_EQ(FormatNumber(999999, 6), "999999");
    EXPECT_EQ(FormatTimeUnsigned(12345), "012\"03");
    EXPECT_EQ(FormatTimeUnsigned(1000000), "---\"00") << "1000 s or more shows dashes";
    EXPECT_EQ(FormatTimeUnsigned(0xFFFFFFFFu), "---\"02");
    EXPECT_EQ(FormatRecordLine(100000, 2), "100\"00(2)");
    EXPECT_EQ(FormatTimeSigned(-1500), "-1\"-5");
    TStatusTexts texts;
    const uint32_t r = texts.Revision(TStatusText::ScoreValue);
    texts.Set(TStatusText::ScoreValue, "000100");
    EXPECT_EQ(texts.Revision(TStatusText::ScoreValue), r + 1);
    EXPECT_EQ(TStatusTexts::RecordLine(3), TStatusText::RecordValue3);
}
