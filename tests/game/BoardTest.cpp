#include "game/Board.h"
#include "game/BoardReach.h"

#include <gtest/gtest.h>

#include <set>

namespace {

void ExpectLines(const std::vector<int32_t>& lines, int32_t origin, int32_t size, int32_t minCount,
                 int32_t maxCount, int64_t W) {
    ASSERT_GE(static_cast<int32_t>(lines.size()), minCount);
    ASSERT_LE(static_cast<int32_t>(lines.size()), maxCount);
    EXPECT_EQ(lines.front(), origin);
    EXPECT_EQ(lines.back(), origin + size);
    for (size_t i = 1; i + 1 < lines.size(); ++i) {
        const int32_t gap = lines[i] - lines[i - 1];
        EXPECT_GE(gap, 20);
        EXPECT_LE(gap, 69);
    }
    const int32_t last = lines.back() - lines[lines.size() - 2];
    EXPECT_GE(last, 31);
    EXPECT_LE(last, 99);
    // One of the second, third and fourth gaps is no wider than the picture.
    bool narrow = false;
    for (size_t i = 2; i <= 4; ++i) narrow = narrow || lines[i] - lines[i - 1] <= W;
    EXPECT_TRUE(narrow);
}

// A second generation, written step by step from the rules of a new board and sharing
// nothing with the game's: the lines, the cats, the food kind, in that order of draws.
struct ReferenceBoard {
    std::vector<int32_t> X, Y;
    std::vector<std::pair<int32_t, int32_t>> Cats;
    bool Apple = false;
};

ReferenceBoard ReferenceGeneration(int64_t W, int64_t H, int32_t stage, TRandom& R) {
    const int32_t left = 20, top = 20;
    ReferenceBoard b;
    b.X.push_back(left);
    b.Y.push_back(top);
    int32_t x = 0, y = 0;
    const bool columnFirst = R.Random(2) == 0;
    for (;;) {
        x = left + 20 + R.Random(50);
        y = top + 20 + R.Random(50);
        if (columnFirst ? x - left <= W : y - top <= H) break;
    }
    // The same walk for both directions, each with its own narrow flag; both compare
    // the gaps with the width of the right-facing picture.
    const auto walk = [&](std::vector<int32_t>& lines, int32_t v, int32_t bound, int32_t closing) {
        bool narrow = false;
        while (v < bound) {
            lines.push_back(v);
            if (lines.size() == 4 && !narrow) {
                int32_t g = 20 + R.Random(50);
                while (g > W) g = 20 + R.Random(50);
                v = lines[3] + g;
                narrow = true;
            } else if (lines.size() == 4) {
                v += 20 + R.Random(50);
            } else {
                const int32_t g = 20 + R.Random(50);
                v += g;
                narrow = narrow || g <= W;
            }
        }
        lines.push_back(closing);
    };
    walk(b.X, x, left + 570, left + 600);
    walk(b.Y, y, top + 370, top + 400);
    const int32_t cats = stage == 3 ? 5 : stage == 2 ? 3 : 1;
    const int32_t cols = static_cast<int32_t>(b.X.size()) - 1, rows = static_cast<int32_t>(b.Y.size()) - 1;
    std::set<std::pair<int32_t, int32_t>> taken;
    for (int32_t i = 0; i < cats; ++i) {
        std::pair<int32_t, int32_t> cell;
        do {
            cell.first = R.Random(cols);
            cell.second = cell.first < 3 ? 3 + R.Random(rows - 3) : R.Random(rows);
        } while (taken.count(cell));
        taken.insert(cell);
        b.Cats.push_back(cell);
    }
    b.Apple = stage > 0 && R.Random(5) == 0;
    return b;
}

} // namespace

// The order of draws is part of the game: boards and everything drawn after them match a
// second generation over thousands of seeds, every stage and several picture sizes.
TEST(Board, DrawsMatchASecondGenerationDrawForDraw) {
    const int32_t sizes[][2] = {{20, 20}, {40, 24}, {24, 40}, {33, 57}, {69, 69}, {120, 20}};
    for (uint64_t seed = 0; seed < 3000; ++seed) {
        const int32_t W = sizes[seed % 6][0], H = sizes[seed % 6][1];
        const int32_t stage = static_cast<int32_t>(seed / 6 % 4);
        TRandom game(seed), reference(seed);
        const TBoard b = GenerateBoard(W, H, stage, 20, 20, game);
        const ReferenceBoard r = ReferenceGeneration(W, H, stage, reference);
        ASSERT_EQ(b.XLines, r.X) << "seed " << seed;
        ASSERT_EQ(b.YLines, r.Y) << "seed " << seed;
        std::vector<std::pair<int32_t, int32_t>> cats;
        for (const TBoardObject& c : b.Cats) cats.emplace_back(c.Col, c.Row);
        ASSERT_EQ(cats, r.Cats) << "seed " << seed;
        ASSERT_EQ(b.FoodIsApple, r.Apple) << "seed " << seed;
        ASSERT_EQ(game.Next32(), reference.Next32()) << "seed " << seed << ": the next draw";
    }
}

TEST(Board, InvariantsHoldOverThousandsOfBoards) {
    TRandom random(20080101);
    const int32_t sizes[][2] = {{20, 20}, {32, 24}, {45, 28}, {24, 60}, {69, 69}};
    int firstColumnNarrow = 0, firstRowNarrow = 0;
    for (int n = 0; n < 4000; ++n) {
        const int32_t W = sizes[n % 5][0], H = sizes[n % 5][1];
        const int32_t stage = n % 4;
        const TBoard b = GenerateBoard(W, H, stage, 20, 20, random, 7);
        ExpectLines(b.XLines, 20, 600, 10, 30, W);
        ExpectLines(b.YLines, 20, 400, 7, 20, W);
        const bool colOk = b.XLines[1] - b.XLines[0] <= W;
        const bool rowOk = b.YLines[1] - b.YLines[0] <= H;
        EXPECT_TRUE(colOk || rowOk) << "the start cell must hold the right-facing hamster";
        firstColumnNarrow += colOk;
        firstRowNarrow += rowOk;

        const int32_t cats[] = {1, 1, 3, 5};
        ASSERT_EQ(b.CatCount, cats[stage]);
        ASSERT_EQ(b.Cats.size(), static_cast<size_t>(cats[stage]));
        ASSERT_EQ(b.CellGrid.size(), b.XLines.size() - 1);
        std::set<std::pair<int32_t, int32_t>> cells;
        int marks = 0;
        for (const auto& column : b.CellGrid) {
            ASSERT_EQ(column.size(), b.YLines.size() - 1);
            for (uint8_t c : column) marks += c;
        }
        EXPECT_EQ(marks, b.CatCount);
        for (const TBoardObject& cat : b.Cats) {
            EXPECT_FALSE(cat.Col < 3 && cat.Row < 3) << "no cat in the 3 x 3 corner";
            EXPECT_TRUE(cells.insert({cat.Col, cat.Row}).second) << "two cats in one cell";
            EXPECT_EQ(b.CellGrid[cat.Col][cat.Row], 1);
            EXPECT_EQ(cat.Dir, DirRight);
            EXPECT_EQ(cat.Alive, 1);
        }
        EXPECT_EQ(b.Food.Col, b.XLineCount() - 2);
        EXPECT_EQ(b.Food.Row, b.YLineCount() - 2);
        EXPECT_EQ(b.Hamster.Col, 0);
        EXPECT_EQ(b.Hamster.Row, 0);
        EXPECT_EQ(b.Hamster.Dir, DirRight);
        if (stage == 0) {
            EXPECT_FALSE(b.FoodIsApple);
        }
    }
    // Both kinds of start cell occur.
    EXPECT_GT(firstColumnNarrow, 100);
    EXPECT_GT(firstRowNarrow, 100);
}

TEST(Board, ApplesComeAboutOnceInFiveBoardsAfterTheTitle) {
    TRandom random(5);
    int apples = 0;
    for (int n = 0; n < 2000; ++n) apples += GenerateBoard(40, 24, 1 + n % 3, 20, 20, random).FoodIsApple;
    EXPECT_GT(apples, 300);
    EXPECT_LT(apples, 500);
}

TEST(Board, SameSeedSameBoardAndStageOutsideRangeKeepsTheCatCount) {
    TRandom a(77), b(77);
    const TBoard x = GenerateBoard(40, 24, 2, 20, 20, a);
    const TBoard y = GenerateBoard(40, 24, 2, 20, 20, b);
    EXPECT_EQ(x.XLines, y.XLines);
    EXPECT_EQ(x.YLines, y.YLines);
    EXPECT_EQ(x.CellGrid, y.CellGrid);
    EXPECT_EQ(GenerateBoard(40, 24, 9, 20, 20, a, 4).CatCount, 4);
    EXPECT_THROW(GenerateBoard(40, 24, 9, 20, 20, a, 11), EBoardError);
}

TEST(Board, TooSmallAHamsterIsRefusedInsteadOfDrawingForEver) {
    TRandom random(1);
    EXPECT_THROW(GenerateBoard(19, 40, 1, 20, 20, random), EBoardError);
    EXPECT_THROW(GenerateBoard(40, 19, 1, 20, 20, random), EBoardError);
}

TEST(BoardReach, FollowsTheHoldingRuleAndTurns) {
    // Three columns 30, 60, 30 wide; one row 60 high.
    const std::vector<int32_t> xs{0, 30, 90, 120}, ys{0, 60};
    TReachQuery q;
    q.XLines = &xs;
    q.YLines = &ys;
    q.TargetCol = 2;
    // Facing right 40 x 20: the middle cell (60 x 60) is too large; facing up 20 x 60 holds.
    q.Sizes = {THamsterSize{40, 20}, THamsterSize{20, 60}, THamsterSize{40, 20}, THamsterSize{20, 60}};
    auto path = FindPath(q);
    ASSERT_TRUE(path);
    EXPECT_EQ(*path,
              (std::vector<TReachAction>{TReachAction::Turn, TReachAction::Right, TReachAction::Right}));
    // Up-facing picture too small as well: no way across.
    q.Sizes[1] = q.Sizes[3] = THamsterSize{20, 50};
    EXPECT_FALSE(FindPath(q));
    // The food's cell itself need not hold the hamster.
    q.TargetCol = 1;
    EXPECT_TRUE(FindPath(q));
    // A blocked cell is avoided unless it is the target.
    std::vector<std::vector<bool>> blocked{{false}, {true}, {false}};
    q.Blocked = &blocked;
    EXPECT_TRUE(FindPath(q));
    q.TargetCol = 2;
    q.Sizes = {THamsterSize{60, 60}, THamsterSize{60, 60}, THamsterSize{60, 60}, THamsterSize{60, 60}};
    EXPECT_FALSE(FindPath(q));
}

TEST(BoardReach, MostGeneratedBoardsAreReachableWithSensibleSizes) {
    TRandom random(3);
    const THamsterSizes sizes{THamsterSize{45, 28}, THamsterSize{28, 45}, THamsterSize{45, 28},
                              THamsterSize{28, 45}};
    int reachable = 0;
    for (int n = 0; n < 300; ++n) reachable += FoodReachable(GenerateBoard(45, 28, 1, 20, 20, random), sizes);
    EXPECT_GT(reachable, 150);
    // A hamster as large as the largest gap is held everywhere.
    const THamsterSizes huge{THamsterSize{99, 99}, THamsterSize{99, 99}, THamsterSize{99, 99},
                             THamsterSize{99, 99}};
    for (int n = 0; n < 50; ++n) EXPECT_TRUE(FoodReachable(GenerateBoard(99, 99, 3, 20, 20, random), huge));
}
