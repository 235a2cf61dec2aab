// A whole game of 30 boards played by a bot that walks a safe path to the food,
// turning where a cell would not hold it and keeping away from the cats.
#include "GameFixture.h"

#include "game/BoardReach.h"

namespace {

class Bot {
public:
    explicit Bot(TForm1& form, const THamsterSizes& sizes) : form_(form), sizes_(sizes) {}

    // The next actions from where the hamster stands, keeping clear of the cats when it can.
    std::optional<std::vector<TReachAction>> Plan() const {
        for (int caution = 2; caution >= 0; --caution) {
            const auto blocked = Blocked(caution);
            TReachQuery q;
            q.XLines = &form_.XLines;
            q.YLines = &form_.YLines;
            q.Sizes = sizes_;
            q.StartCol = form_.Hamster.Col;
            q.StartRow = form_.Hamster.Row;
            q.StartDir = form_.Hamster.Dir;
            q.TargetCol = form_.Food.Col;
            q.TargetRow = form_.Food.Row;
            q.Blocked = &blocked;
            if (auto path = FindPath(q)) return path;
        }
        return std::nullopt;
    }

private:
    // caution 2: cats' cells and their row and column neighbours; 1: their cells; 0: nothing.
    std::vector<std::vector<bool>> Blocked(int caution) const {
        std::vector<std::vector<bool>> b(form_.CellGrid.size(),
                                         std::vector<bool>(form_.CellGrid[0].size(), false));
        const auto mark = [&](int32_t c, int32_t r) {
            if (c >= 0 && r >= 0 && c < static_cast<int32_t>(b.size()) &&
                r < static_cast<int32_t>(b[0].size()))
                b[static_cast<size_t>(c)][static_cast<size_t>(r)] = true;
        };
        for (const TBoardObject& cat : form_.Cats) {
            if (!cat.Alive || caution == 0) continue;
            mark(cat.Col, cat.Row);
            if (caution < 2) continue;
            mark(cat.Col - 1, cat.Row);
            mark(cat.Col + 1, cat.Row);
            mark(cat.Col, cat.Row - 1);
            mark(cat.Col, cat.Row + 1);
        }
        return b;
    }

    TForm1& form_;
    THamsterSizes sizes_;
};

} // namespace

TEST_F(GameTest, ABotPlaysAWholeGameOfThirtyBoards) {
    Create();
    form.Random.Randomize(2008);
    PassStartup();
    THamsterSizes sizes;
    for (size_t d = 0; d < 4; ++d)
        sizes[d] =
            THamsterSize{static_cast<int32_t>(form.Components.HamsterSize(static_cast<int32_t>(d)).Width),
                         static_cast<int32_t>(form.Components.HamsterSize(static_cast<int32_t>(d)).Height)};
    Bot bot(form, sizes);
    int boardsStarted = 0, cleared = 0, lost = 0, falls = 0;
    for (int tick = 0; tick < 400000 && !form.GameClear; ++tick) {
        clock.Set(std::max(clock.Now(), form.LastFrameTime + 25));
        if (!form.Hamster.Active && !form.Hamster.Falling) {
            lost += form.GameOver;
            cleared += form.BoardClear;
            Enter();
            ++boardsStarted;
        }
        ReleaseAll();
        if (form.Hamster.Active && Elapsed(clock.Now(), form.LastMoveTime, 75)) {
            auto path = bot.Plan();
            while (path && !path->empty() && path->front() == TReachAction::Turn) {
                Key(VK_SPACE);
                path = bot.Plan();
            }
            if (path && !path->empty()) {
                const Arrow arrows[] = {Right, Left, Down, Up};
                Hold({arrows[static_cast<int>(path->front())]});
            }
        }
        const bool wasFalling = form.Hamster.Falling;
        Tick();
        falls += !wasFalling && form.Hamster.Falling;
    }
    ASSERT_TRUE(form.GameClear);
    EXPECT_EQ(form.FoodsCount, 30);
    EXPECT_EQ(form.Stage, 3);
    EXPECT_EQ(falls, 0) << "the bot only walks on cells that hold it";
    // A lost board sends the bot back to its stage's first board, so boards are replayed.
    EXPECT_EQ(boardsStarted, 1 + cleared + lost);
    EXPECT_GE(cleared + 1, 30);
    EXPECT_EQ(form.HighScore, form.Score);
    EXPECT_GT(form.Score, 30 * 100);
    EXPECT_EQ(GetEntry(), "GC.bmp");
    EXPECT_EQ(std::count(music.calls.begin(), music.calls.end(), "PlayJingle 9"), 1);
    EXPECT_EQ(std::count(music.calls.begin(), music.calls.end(), "PlayJingle 29"), 1);
    EXPECT_TRUE(TopMenusEnabled());
    TSaveImage onDisk;
    onDisk.ReadFromFile(form.RecordFilePath());
    EXPECT_TRUE(onDisk.GameClear());
    EXPECT_EQ(onDisk.HighScore(), form.Score);
    for (int32_t record : form.RecordTimes) EXPECT_LT(record, 100000);
    std::printf("bot: %d boards started, %d cleared, %d lost\n", boardsStarted, cleared + 1, lost);
}
