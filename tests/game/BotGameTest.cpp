// A whole game of 30 boards played by a bot that walks a safe path to the food,
// turning where a cell would not hold it and keeping away from the cats; and a soak of
// many boards, game after game, in which the bot now and then walks through the cats.
// HIMAWARI_SOAK_BOARDS sets the soak's length (scripts/soak.sh runs 1000 boards).
#include "GameFixture.h"

#include "game/BoardReach.h"
#include "game/ScoreFile.h"

#include <cstdlib>

namespace {

class Bot {
public:
    explicit Bot(TForm1& form, const THamsterSizes& sizes) : form_(form), sizes_(sizes) {}

    // A reckless bot walks straight through the cats, biting them.
    bool Reckless = false;

    // The next actions from where the hamster stands, keeping clear of the cats when it can.
    std::optional<std::vector<TReachAction>> Plan() const {
        for (int caution = Reckless ? 0 : 2; caution >= 0; --caution) {
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

struct BotStats {
    int boardsStarted = 0, cleared = 0, lost = 0, falls = 0, bites = 0, apples = 0, gamesCleared = 0,
        maxStage = 0, aboveBound = 0;
    uint64_t boardTimes = 0; // from each board's start to the instant its play ended
};

class BotTest : public GameTest {
protected:
    THamsterSizes Sizes() {
        THamsterSizes sizes;
        for (size_t d = 0; d < 4; ++d)
            sizes[d] = THamsterSize{
                static_cast<int32_t>(form.Components.HamsterSize(static_cast<int32_t>(d)).Width),
                static_cast<int32_t>(form.Components.HamsterSize(static_cast<int32_t>(d)).Height)};
        return sizes;
    }

    // Plays until `boards` boards have started and ended, or (oneGame) until the game is
    // cleared. Every recklessEvery-th board (0: never) the bot walks through the cats.
    BotStats Play(int boards, bool oneGame, int recklessEvery) {
        Bot bot(form, Sizes());
        BotStats st;
        const long ticks = 20000L * boards;
        for (long tick = 0; tick < ticks && !(oneGame && form.GameClear); ++tick) {
            clock.Set(std::max(clock.Now(), form.LastFrameTime + 25));
            if (!form.Hamster.Active && !form.Hamster.Falling) {
                if (st.boardsStarted == boards) break;
                const bool clear = form.BoardClear, over = form.GameOver, apple = form.FoodIsApple,
                           game = form.GameClear;
                Enter();                            // after a cleared game it starts the game again
                if (!form.Hamster.Active) continue; // not taken yet
                if (st.boardsStarted > 0) {
                    st.cleared += clear;
                    st.lost += over;
                    st.apples += clear && apple;
                    st.gamesCleared += game;
                }
                ++st.boardsStarted;
                st.maxStage = std::max(st.maxStage, form.Stage);
                bot.Reckless = recklessEvery > 0 && st.boardsStarted % recklessEvery == 0;
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
            const auto alive =
                std::count_if(form.Cats.begin(), form.Cats.end(), [](auto& c) { return c.Alive; });
            // A board ends in the movement step (at the tick's start: food, bite) or in the
            // frame's state pass (a catch), which follows the frame's message handling.
            const bool wasActive = form.Hamster.Active;
            const uint32_t tickStart = clock.Now();
            std::optional<uint32_t> composed;
            host.onProcessMessages = [&] { composed = clock.Now(); };
            Tick();
            host.onProcessMessages = nullptr;
            if (wasActive && !form.Hamster.Active)
                st.boardTimes += composed.value_or(tickStart) - form.BoardStartTime;
            // No play, however lucky, beats what the rules can give.
            if (form.Score > ScoreBound(form.FoodsCount)) ++st.aboveBound;
            st.falls += !wasFalling && form.Hamster.Falling;
            st.bites += static_cast<int>(
                alive - std::count_if(form.Cats.begin(), form.Cats.end(), [](auto& c) { return c.Alive; }));
        }
        // The last board, ended.
        st.lost += form.GameOver;
        st.cleared += form.BoardClear;
        st.apples += form.BoardClear && form.FoodIsApple;
        st.gamesCleared += form.GameClear;
        return st;
    }
};

} // namespace

TEST_F(BotTest, ABotPlaysAWholeGameOfThirtyBoards) {
    Create();
    form.Random.Randomize(2008);
    PassStartup();
    const BotStats st = Play(1000, true, 0);
    ASSERT_TRUE(form.GameClear);
    EXPECT_EQ(form.FoodsCount, 30);
    EXPECT_EQ(form.Stage, 3);
    EXPECT_EQ(st.falls, 0) << "the bot only walks on cells that hold it";
    // A lost board sends the bot back to its stage's first board, so boards are replayed.
    EXPECT_EQ(st.boardsStarted, st.cleared + st.lost);
    EXPECT_GE(st.cleared, 30);
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
    EXPECT_EQ(st.aboveBound, 0);

    // The cleared game enters the table once its picture has grown: first, "3-10", the
    // sum of its board times (each lost one included), under the name left pre-filled.
    const size_t asked = host.namePrompts.size();
    for (int tick = 0; tick < 200 && host.namePrompts.size() == asked; ++tick) {
        clock.Advance(50);
        Tick();
    }
    ASSERT_EQ(host.namePrompts.size(), asked + 1);
    TScoreTable table;
    ASSERT_EQ(LoadScoreTable(form.UserDir + "scores.ini", table), TScoreLoad::Read);
    ASSERT_FALSE(table.Entries().empty());
    const TScoreEntry& best = table.Entries()[0];
    EXPECT_EQ(best.Score, form.Score);
    EXPECT_EQ(StageText(best.Foods), "3-10");
    EXPECT_EQ(best.Name, host.namePrompts.back());
    EXPECT_EQ(best.TimeMs, st.boardTimes);
    EXPECT_GE(best.TimeMs, 30u * 525u);
    EXPECT_EQ(host.scoreTables.back().Marked, 0);
    // Every lost board with a score made its own entry, each within its bound.
    for (const TScoreEntry& e : table.Entries()) EXPECT_LE(e.Score, ScoreBound(e.Foods));
    std::printf("bot: %d boards started, %d cleared, %d lost\n", st.boardsStarted, st.cleared, st.lost);
}

// Game after game through all three stages, apples and bites included; the sanitizer
// build checks every step for errors and leaks.
TEST_F(BotTest, ABotKeepsPlayingBoardAfterBoard) {
    const char* env = std::getenv("HIMAWARI_SOAK_BOARDS");
    const int boards = env ? std::atoi(env) : 100;
    Create();
    form.Random.Randomize(15);
    PassStartup();
    const BotStats st = Play(boards, false, 5);
    EXPECT_EQ(st.boardsStarted, boards);
    EXPECT_EQ(st.boardsStarted, st.cleared + st.lost);
    EXPECT_EQ(st.falls, 0);
    EXPECT_GT(st.bites, 0);
    EXPECT_GT(st.apples, 0);
    EXPECT_EQ(st.maxStage, 3);
    std::printf("soak: %d boards, %d cleared, %d lost, %d bites, %d apples, %d games cleared\n",
                st.boardsStarted, st.cleared, st.lost, st.bites, st.apples, st.gamesCleared);
}
