#include "tools/measure/HamsterMeasure.h"
#include "game/Board.h"

#include <gtest/gtest.h>

namespace {

TEST(HamsterMeasure, ABiggerHamsterNeverReachesFewerBoards) {
    // The generator's draws depend on the size, so the boards differ; over many boards the
    // share still has to grow with the picture.
    const THamsterShare small = MeasureHamster({30, 20}, 1500, 7);
    const THamsterShare big = MeasureHamster({60, 34}, 1500, 7);
    EXPECT_EQ(small.Boards, 1500);
    EXPECT_LT(small.Reachable, big.Reachable);
    EXPECT_LE(small.WithoutTurning, small.Reachable);
    EXPECT_LE(big.WithoutTurning, big.Reachable);
}

TEST(HamsterMeasure, ASquareHamsterNeverNeedsToTurn) {
    const THamsterShare square = MeasureHamster({40, 40}, 800, 3);
    EXPECT_EQ(square.WithoutTurning, square.Reachable);
    EXPECT_EQ(square.TurnsOnShortest, 0);
}

TEST(HamsterMeasure, SameSeedSameCounts) {
    const THamsterShare a = MeasureHamster({54, 28}, 500, 11);
    const THamsterShare b = MeasureHamster({54, 28}, 500, 11);
    EXPECT_EQ(a.Reachable, b.Reachable);
    EXPECT_EQ(a.WithoutTurning, b.WithoutTurning);
    EXPECT_EQ(a.TurnsOnShortest, b.TurnsOnShortest);
}

TEST(HamsterMeasure, RefusesAHamsterTheGeneratorCannotUse) {
    EXPECT_THROW(MeasureHamster({19, 30}, 10, 1), EBoardError);
}

TEST(HamsterMeasure, ParsesCandidatesAndFormatsTheTable) {
    THamsterCandidate c;
    EXPECT_TRUE(ParseCandidate("54x28", c));
    EXPECT_EQ(c.Width, 54);
    EXPECT_EQ(c.Height, 28);
    for (const char* bad : {"54", "54x", "x28", "54*28", "54x28x", "-4x28", "0x28"})
        EXPECT_FALSE(ParseCandidate(bad, c)) << bad;
    THamsterShare row;
    row.Size = {54, 28};
    row.Boards = 200;
    row.Reachable = 150;
    row.WithoutTurning = 100;
    row.TurnsOnShortest = 75;
    const std::string table = FormatShareTable({row});
    EXPECT_NE(table.find("| 54 x 28 | 200 | 75.0 % | 50.0 % | 25.0 % | 0.50 |"), std::string::npos) << table;
}

} // namespace
