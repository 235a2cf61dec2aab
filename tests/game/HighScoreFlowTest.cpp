// The top ten in play: the bound reached by the quickest board, the name asked once the
// end picture is on screen, games that do not enter, a resumed game, the menu's table.
#include "MusicFixture.h"

#include "base/Account.h"
#include "game/ScoreFile.h"

namespace {

const char* const ClearQuestion = "ハイスコアの記録をすべて消去しますか？";
constexpr int64_t Date = 1796000000; // 2026-11-30 UTC

std::string AccountPrefill() {
    const std::string name = CleanScoreName(AccountName());
    return name.empty() ? "ハムスター" : name;
}

} // namespace

class HighScoreFlowTest : public MusicTest {
protected:
    void SetUp() override {
        StartMusic();
        PassStartup();
        form.Scores.WallClock = [] { return Date; };
    }
    // The next tick, with its frame.
    void Frame() {
        clock.Advance(100);
        Tick();
    }
    TScoreTable OnDisk() {
        TScoreTable t;
        EXPECT_EQ(LoadScoreTable(Data("scores.ini"), t), TScoreLoad::Read);
        return t;
    }
    // The smallest board the game makes: 9 columns, 6 rows, the food 8 columns right.
    void SmallestBoard() {
        SetBoard({20, 50, 80, 110, 140, 170, 200, 230, 260, 620}, {20, 50, 80, 110, 140, 170, 420});
    }
    // A new board on which the hamster bites a cat with too little life: a game over,
    // with this score and foods when score is not negative.
    uint32_t LoseByABite(int32_t score = -1, int32_t foods = 0) {
        Enter();
        SmallBoard();
        if (score >= 0) {
            form.Score = score;
            form.FoodsCount = foods;
        }
        form.Life = 0;
        AddCat(1, 0);
        clock.Advance(1234);
        const uint32_t t = NextStepTime() - form.BoardStartTime;
        Step({Right});
        EXPECT_TRUE(form.GameOver);
        return t;
    }
};

// The quickest play the rules allow: the first step at the board's start, right and down
// together, 8 moves to the right 75 ms apart: 525 ms, the most a food can give.
TEST_F(HighScoreFlowTest, TheQuickestBoardGivesTheBoundAndTheGameOverAsksForTheName) {
    clock.Advance(100);
    Enter();
    SmallestBoard();
    ASSERT_EQ(NextStepTime(), form.BoardStartTime) << "the first step falls on the board's start";
    for (int i = 0; i < 8 && !form.BoardClear; ++i) {
        if (i < 5)
            Step({Right, Down});
        else
            Step({Right});
    }
    ASSERT_TRUE(form.BoardClear);
    EXPECT_EQ(form.Score, MaxFoodScore);
    EXPECT_EQ(form.Score, ScoreBound(form.FoodsCount));
    EXPECT_EQ(form.Scores.GameTime, 525u);

    const uint32_t lost = LoseByABite();
    EXPECT_TRUE(host.namePrompts.empty()) << "not before the game-over picture has been shown";
    host.nameAnswers = {"はむ太郎"};
    const int frames = Frames();
    Frame();
    EXPECT_EQ(Frames(), frames + 1);
    ASSERT_EQ(host.namePrompts, std::vector<std::string>{AccountPrefill()});
    ASSERT_EQ(host.scoreTables.size(), 1u);
    EXPECT_EQ(host.scoreTables[0].Marked, 0);
    ASSERT_EQ(host.scoreTables[0].Rows.size(), 1u);
    const TScoreRow& row = host.scoreTables[0].Rows[0];
    EXPECT_EQ(row.Rank, "1");
    EXPECT_EQ(row.Name, "はむ太郎");
    EXPECT_EQ(row.Score, "3,047");
    EXPECT_EQ(row.Stage, "1-1");
    EXPECT_EQ(row.Date, DateText(Date));
    const TScoreTable t = OnDisk();
    ASSERT_EQ(t.Entries().size(), 1u);
    EXPECT_EQ(t.Entries()[0], (TScoreEntry{3047, 1, 525u + lost, Date, "はむ太郎"}));
    EXPECT_EQ(t.LastName, "はむ太郎");
    Frame();
    EXPECT_EQ(host.namePrompts.size(), 1u) << "asked once";

    // Continued after the game over, the next game's entry is asked with the last name.
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    clock.Advance(5000); // a food one move away: no quicker than the rules allow
    Step({Right});
    LoseByABite();
    Frame();
    ASSERT_EQ(host.namePrompts.size(), 2u);
    EXPECT_EQ(host.namePrompts[1], "はむ太郎");
    EXPECT_EQ(OnDisk().Entries().size(), 2u);
    EXPECT_EQ(host.scoreTables.back().Marked, 1) << "a food slower than the quickest";
}

TEST_F(HighScoreFlowTest, AGameThatDoesNotMakeTheTableAsksNothing) {
    // The first game ever, lost with nothing scored.
    LoseByABite();
    Frame();
    EXPECT_TRUE(host.namePrompts.empty());
    EXPECT_FALSE(std::filesystem::exists(Data("scores.ini")));

    // A full table: a score equal to the tenth does not enter.
    for (int i = 0; i < 10; ++i) form.Scores.Table.Insert(TScoreEntry{5000, 2, 1000, Date, "top"});
    LoseByABite(5000, 2);
    Frame();
    EXPECT_TRUE(host.namePrompts.empty());
    EXPECT_TRUE(host.scoreTables.empty());
    EXPECT_FALSE(std::filesystem::exists(Data("scores.ini")));
}

TEST_F(HighScoreFlowTest, AScoreAboveTheBoundIsNotEnteredAndSaysWhy) {
    Enter();
    SmallBoard();
    form.FoodsCount = 1;
    form.Score = ScoreBound(1) + 1; // a hand-made saved game's
    form.Life = 0;
    AddCat(1, 0);
    testing::internal::CaptureStderr();
    Step({Right});
    Frame();
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("a score of 3048 is more than 1 foods can give (at most 3047); not entered"),
              std::string::npos)
        << err;
    EXPECT_TRUE(host.namePrompts.empty());
}

TEST_F(HighScoreFlowTest, TheGameClearAsksOnceItsPictureHasGrown) {
    EatFood(29);
    ASSERT_TRUE(form.GameClear);
    int ticks = 0;
    while (host.namePrompts.empty() && ticks++ < 200) {
        EXPECT_TRUE(form.ClearGrowing || ticks > 1) << "asked while the picture grows";
        clock.Advance(50);
        Tick();
        if (host.namePrompts.empty()) continue;
        EXPECT_FALSE(form.ClearGrowing);
    }
    ASSERT_EQ(host.namePrompts.size(), 1u);
    EXPECT_GT(ticks, 2);
    ASSERT_EQ(OnDisk().Entries().size(), 1u);
    EXPECT_EQ(StageText(OnDisk().Entries()[0].Foods), "3-10");
    EXPECT_EQ(OnDisk().Entries()[0].Name, AccountPrefill()) << "no name typed: the pre-filled one";
}

// Enter restarts a cleared game while its picture grows: the name is asked once the new
// game's board has ended, never over the board, and a game over then is asked after it.
TEST_F(HighScoreFlowTest, AGameRestartedBeforeTheAskIsAskedWhenItsBoardEnds) {
    EatFood(29);
    const int32_t cleared = form.Score;
    Frame();
    ASSERT_TRUE(form.ClearGrowing);
    Enter();
    SmallBoard();
    for (int i = 0; i < 40; ++i) Frame();
    ASSERT_TRUE(form.Hamster.Active);
    ASSERT_TRUE(host.namePrompts.empty()) << "asked over the board in play";
    form.Score = 5000;
    form.FoodsCount = 2;
    form.Life = 0;
    AddCat(1, 0);
    Step({Right});
    ASSERT_TRUE(form.GameOver);
    host.nameAnswers = {"first", "second"};
    Frame();
    ASSERT_EQ(host.namePrompts.size(), 1u);
    Frame();
    ASSERT_EQ(host.namePrompts.size(), 2u);
    const TScoreTable t = OnDisk();
    ASSERT_EQ(t.Entries().size(), 2u);
    // The cleared game was asked first; the later game over scored more.
    EXPECT_EQ(t.Entries()[1], (TScoreEntry{cleared, 30, t.Entries()[1].TimeMs, Date, "first"}));
    EXPECT_EQ(t.Entries()[0].Name, "second");
    EXPECT_EQ(t.Entries()[0].Score, 5000);
}

// A resumed game is the same game: its time goes on from the boards before the save.
TEST_F(HighScoreFlowTest, AResumedGameCountsWithItsEarlierBoardTimes) {
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    clock.Advance(4000);
    const uint32_t first = NextStepTime() - form.BoardStartTime;
    Step({Right});
    ASSERT_TRUE(form.BoardClear);
    host.answers = {true};
    ASSERT_TRUE(commands.Click("Save"));
    const int32_t score = form.Score;

    NextRun next(dir.Dir());
    next.host.answers = {true};
    next.StartUp();
    ASSERT_TRUE(next.form.BoardClear);
    next.Enter();
    ASSERT_TRUE(next.form.Hamster.Active);
    next.form.Life = 0;
    TBoardObject cat;
    cat.Col = 1;
    cat.Alive = 1;
    next.form.Cats = {cat};
    next.form.CatCount = 1;
    next.clock.Advance(3000);
    const uint32_t second = next.clock.Now() - next.form.BoardStartTime;
    next.platform.Keyboard().KeyCodeDown(DIK_RIGHT);
    next.Tick();
    ASSERT_TRUE(next.form.GameOver);
    next.clock.Advance(100);
    next.Tick();
    ASSERT_EQ(next.host.namePrompts.size(), 1u);
    TScoreTable t;
    ASSERT_EQ(LoadScoreTable(Data("scores.ini"), t), TScoreLoad::Read);
    ASSERT_EQ(t.Entries().size(), 1u);
    EXPECT_EQ(t.Entries()[0].Score, score);
    EXPECT_EQ(t.Entries()[0].TimeMs, uint64_t{first} + second);
}

TEST_F(HighScoreFlowTest, TheMenuShowsTheTableAndClearsItOnlyWhenConfirmed) {
    form.Scores.Table.Insert(TScoreEntry{9000, 3, 61000, Date, "a"});
    form.Scores.Table.Insert(TScoreEntry{8000, 3, 1000, Date, "b"});
    host.clearAnswers = {true, true};
    host.answers = {false, true};
    ASSERT_TRUE(commands.Click("HS1"));
    EXPECT_EQ(host.questions, (std::vector<std::string>{ClearQuestion, ClearQuestion}));
    ASSERT_EQ(host.scoreTables.size(), 3u);
    EXPECT_EQ(host.scoreTables[0].Marked, -1);
    ASSERT_EQ(host.scoreTables[0].Rows.size(), 2u);
    EXPECT_EQ(host.scoreTables[0].Rows[1].Rank, "2");
    EXPECT_EQ(host.scoreTables[0].Rows[0].Time, "1:01");
    EXPECT_EQ(host.scoreTables[1].Rows.size(), 2u) << "not confirmed: kept";
    EXPECT_TRUE(host.scoreTables[2].Rows.empty());
    EXPECT_TRUE(OnDisk().Entries().empty());
}
