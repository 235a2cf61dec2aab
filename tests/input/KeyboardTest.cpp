#include "GameInput.h"
#include "ScriptedInput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace {

class KeyboardTest : public ::testing::Test {
protected:
    void SetUp() override { game.Start(); }
    GameInput game;
};

TEST_F(KeyboardTest, UpArrowOrKeypad8AloneIsButton0AndUp) {
    for (const uint8_t key : {DIK_UP, DIK_NUMPAD8}) {
        game.Keys().KeyCodeDown(key);
        ASSERT_TRUE(game.input.Update(0));
        EXPECT_THAT(game.Down(), ElementsAre(0)) << int(key);
        EXPECT_EQ(game.input.State().lY, -32767);
        EXPECT_EQ(game.input.State().lX, 0);
        game.Keys().KeyCodeUp(key);
    }
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), IsEmpty());
    EXPECT_EQ(game.input.State().lY, 0);
}

TEST_F(KeyboardTest, EachBoundKeyDrivesItsButton) {
    const uint8_t keys[2][4] = {{DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT},
                                {DIK_NUMPAD8, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6}};
    for (const auto& set : keys)
        for (int b = 0; b < 4; ++b) {
            game.Keys().KeyCodeDown(set[b]);
            ASSERT_TRUE(game.input.Update(0));
            EXPECT_THAT(game.Down(), ElementsAre(b));
            game.Keys().KeyCodeUp(set[b]);
        }
}

TEST_F(KeyboardTest, OppositeDirectionsGiveBothButtonsAndCancelOut) {
    game.Keys().KeyCodeDown(DIK_UP);
    game.Keys().KeyCodeDown(DIK_DOWN);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), ElementsAre(0, 1));
    EXPECT_EQ(game.input.State().lY, 0);

    game.Keys().KeyCodeDown(DIK_LEFT);
    game.Keys().KeyCodeDown(DIK_NUMPAD6);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), ElementsAre(0, 1, 2, 3));
    EXPECT_EQ(game.input.State().lX, 0);
}

TEST_F(KeyboardTest, DiagonalKeypadKeysMoveOnBothAxes) {
    game.Keys().KeyCodeDown(DIK_NUMPAD9); // up-right
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_EQ(game.input.State().lX, 32767);
    EXPECT_EQ(game.input.State().lY, -32767);
    EXPECT_THAT(game.Down(), IsEmpty()) << "diagonals are directions, not buttons";

    game.Keys().KeyCodeDown(DIK_NUMPAD1); // down-left as well: both axes cancel out
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_EQ(game.input.State().lX, 0);
    EXPECT_EQ(game.input.State().lY, 0);
}

TEST_F(KeyboardTest, InitializeRestoresTheDefaultAssignment) {
    game.input.Initialize();
    EXPECT_EQ(game.input.KeyAssign(0, 0), DIK_Z);
    EXPECT_EQ(game.input.KeyAssign(0, 5), DIK_D);
    EXPECT_EQ(game.input.KeyAssign(0, 6), DIK_1);
    EXPECT_EQ(game.input.KeyAssign(0, 15), DIK_0);
    EXPECT_EQ(game.input.KeyAssign(0, 16), 0);
    EXPECT_EQ(game.input.KeyAssign(0, 35), DIK_RIGHT);
    EXPECT_EQ(game.input.KeyAssign(0, 36), 0);
    EXPECT_EQ(game.input.KeyAssign(1, 0), DIK_SPACE);
    EXPECT_EQ(game.input.KeyAssign(1, 1), DIK_ESCAPE);
    EXPECT_EQ(game.input.KeyAssign(1, 2), 0);
    EXPECT_EQ(game.input.KeyAssign(1, 32), DIK_NUMPAD8);
    EXPECT_EQ(game.input.KeyAssign(1, 39), DIK_NUMPAD3);

    game.Keys().KeyCodeDown(DIK_SPACE);
    game.Keys().KeyCodeDown(DIK_C);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), ElementsAre(0, 2));
}

TEST_F(KeyboardTest, OutOfRangeAssignmentsAndButtonsAreRefused) {
    const int32_t bad[][3] = {{-1, 0, DIK_A}, {2, 0, DIK_A}, {0, -1, DIK_A},
                              {0, 40, DIK_A}, {0, 0, -1},    {0, 0, 256}};
    for (const auto& b : bad) {
        EXPECT_THROW(game.input.SetKeyAssign(b[0], b[1], b[2]), EDDID) << b[0] << "," << b[1] << "," << b[2];
    }
    EXPECT_EQ(game.input.KeyAssign(0, 0), DIK_UP) << "a refused assignment changes nothing";
    EXPECT_EQ(game.input.KeyAssign(-1, 0), 0);
    EXPECT_EQ(game.input.KeyAssign(2, 0), 0);
    EXPECT_EQ(game.input.KeyAssign(0, 40), 0);

    game.input.SetKeyAssign(1, 39, 255);
    EXPECT_EQ(game.input.KeyAssign(1, 39), 255);

    game.Keys().KeyCodeDown(DIK_UP);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_FALSE(game.input.Button(-1));
    EXPECT_FALSE(game.input.Button(32));
    EXPECT_FALSE(game.input.Button(INT32_MIN));
}

TEST_F(KeyboardTest, FocusLossReleasesHeldKeysAndTheNextReadReacquires) {
    game.Keys().KeyCodeDown(DIK_RIGHT);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), ElementsAre(3));

    game.platform.FocusChanged(false);
    EXPECT_FALSE(game.input.Update(0)) << "a foreground keyboard cannot be read without the focus";
    EXPECT_THAT(game.Down(), IsEmpty());

    game.platform.FocusChanged(true);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), IsEmpty()) << "the right arrow's release went to another window";
}

TEST_F(KeyboardTest, FocusLostAndRegainedBetweenReadsStillReacquires) {
    ASSERT_TRUE(game.input.Update(0));
    game.Keys().FocusChanged(false);
    game.Keys().FocusChanged(true);
    game.Keys().KeyCodeDown(DIK_LEFT);
    ASSERT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), ElementsAre(2));
}

TEST_F(KeyboardTest, BackgroundKeyboardStaysReadableWithoutFocus) {
    game.input.SetBackGround(true);
    game.input.Initialize();
    game.Keys().KeyCodeDown(DIK_Z);
    game.platform.FocusChanged(false);
    EXPECT_TRUE(game.input.Update(0));
    EXPECT_THAT(game.Down(), IsEmpty());
}

TEST_F(KeyboardTest, MouseAxesSurviveAnAccumulatedKeyboardRead) {
    MouseDevice& mouse = game.platform.Mouse();
    mouse.Moved(5, -3);
    mouse.Moved(2, 0);
    mouse.Wheel(120);
    mouse.ButtonDown(1);
    ASSERT_TRUE(game.input.Update(1));
    EXPECT_EQ(game.input.State().lX, 7);
    EXPECT_EQ(game.input.State().lY, -3);
    EXPECT_EQ(game.input.State().lZ, 120);
    EXPECT_THAT(game.Down(), ElementsAre(1));

    game.Keys().KeyCodeDown(DIK_RIGHT);
    game.Keys().KeyCodeDown(DIK_NUMPAD8);
    ASSERT_TRUE(game.input.UpdateEx(true, 0));
    EXPECT_EQ(game.input.State().lX, 7 | 32767);
    EXPECT_EQ(game.input.State().lY, -3 | -32767);
    EXPECT_EQ(game.input.State().lZ, 120);
    EXPECT_THAT(game.Down(), ElementsAre(0, 1, 3));

    ASSERT_TRUE(game.input.Update(1)) << "the motion was taken by the first read";
    EXPECT_EQ(game.input.State().lX, 0);
    EXPECT_EQ(game.input.State().lZ, 0);
    EXPECT_THAT(game.Down(), ElementsAre(1)) << "the button is still held";
}

TEST(KeyboardFaults, KeyCodeZeroIsNeverDown) {
    ScriptedInput platform;
    TDDIDEX input(platform);
    input.Loaded();
    platform.keys.fill(0x80); // even a device that reports byte 0 as down
    platform.keys[DIK_Z] = 0;
    input.SetKeyAssign(0, 0, 0);
    input.SetKeyAssign(1, 0, 0);
    ASSERT_TRUE(input.Update(0));
    EXPECT_FALSE(input.Button(0));
    EXPECT_TRUE(input.Button(1)); // DIK_X
    EXPECT_FALSE(input.Button(20)) << "entries left at 0 stay up";
}

TEST(KeyboardFaults, FailedReadReturnsFalseAndLeavesEveryButtonUp) {
    ScriptedInput platform;
    TDDIDEX input(platform);
    input.Loaded();
    platform.keys[DIK_Z] = 0x80;
    platform.keys[DIK_UP] = 0x80;
    ASSERT_TRUE(input.Update(0));
    ASSERT_TRUE(input.Button(0));

    platform.keyboardReadFailures = 2;
    const int acquires = platform.keyboardAcquires;
    EXPECT_FALSE(input.Update(0));
    EXPECT_EQ(platform.keyboardAcquires, acquires + 1) << "acquired again before the second read";
    for (int i = 0; i < 32; ++i) EXPECT_FALSE(input.Button(i)) << i;
    EXPECT_EQ(input.State().lY, 0);

    platform.keyboardReadFailures = 1; // lost once, then readable again
    EXPECT_TRUE(input.Update(0));
    EXPECT_TRUE(input.Button(0));
}

TEST(KeyboardFaults, WithoutAKeyboardUpdateFails) {
    FatalCatcher halts;
    ScriptedInput platform;
    platform.createKeyboardResult = DIERR_DEVICENOTREG;
    TDDIDEX input(platform);
    input.SetDebugOption(TDDIDDebugOptions{});
    input.Loaded();
    EXPECT_FALSE(input.Update(0));
    EXPECT_TRUE(input.Update(1)) << "the mouse is still there";
}

} // namespace
