#include "GameInput.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;

namespace {

TDIJoyState AxisState(int32_t v) {
    TDIJoyState s;
    for (int i = 0; i < kJoyAxes; ++i) JoyAxis(s, i) = v;
    for (uint32_t& pov : s.rgdwPOV) pov = POV_CENTERED;
    return s;
}

class ControllerTest : public ::testing::Test {
protected:
    // Reads controller 0 with every axis and slider at v; returns lX and checks that
    // the other seven values came out the same.
    int32_t ReadAxis(int32_t v) {
        game.controllers->SetState(0, AxisState(v));
        EXPECT_TRUE(game.input.Update(2));
        TDIJoyState s = game.input.State();
        for (int i = 1; i < kJoyAxes; ++i) EXPECT_EQ(JoyAxis(s, i), s.lX) << "value " << i;
        return s.lX;
    }
    GameInput game;
};

TEST_F(ControllerTest, DeadZoneAtThirtyPercent) {
    game.controllers->Add("Pad", false);
    game.Start();
    EXPECT_EQ(ReadAxis(0), 0);
    EXPECT_EQ(ReadAxis(9830), 0);
    EXPECT_EQ(ReadAxis(9831), 1);
    EXPECT_EQ(ReadAxis(-9830), 0);
    EXPECT_EQ(ReadAxis(-9831), -1);
    EXPECT_EQ(ReadAxis(20000), (20000 - 9830) * 100 / 70);
    EXPECT_EQ(ReadAxis(32767), 32767);
    EXPECT_EQ(ReadAxis(-32768), -32768);
}

TEST_F(ControllerTest, DeadZoneOffAndFull) {
    game.controllers->Add("Pad", false);
    game.Start();
    game.input.SetDeadZone(0);
    for (const int32_t v : {-32768, -1, 0, 1, 9000, 32767}) EXPECT_EQ(ReadAxis(v), v);
    game.input.SetDeadZone(100);
    for (const int32_t v : {-32768, -1, 1, 32767}) EXPECT_EQ(ReadAxis(v), 0);
    game.input.SetDeadZone(250);
    EXPECT_EQ(ReadAxis(32767), 0);
}

TEST_F(ControllerTest, DeadZoneResultsStayWithinTheAxisRange) {
    game.controllers->Add("Pad", false);
    game.Start();
    game.input.SetDeadZone(99); // stretching by 100 would overshoot full deflection
    EXPECT_EQ(ReadAxis(32767), 32767);
    EXPECT_EQ(ReadAxis(-32768), -32768);
    EXPECT_EQ(ReadAxis(32439), 0);
    EXPECT_EQ(ReadAxis(32440), 100);
    for (const int32_t dz : {INT32_MIN, -1000000, INT32_MAX}) {
        game.input.SetDeadZone(dz);
        for (const int32_t v : {-32768, -1, 1, 32767}) {
            const int32_t r = ReadAxis(v);
            EXPECT_GE(r, -32768);
            EXPECT_LE(r, 32767);
        }
    }
}

TEST_F(ControllerTest, ButtonsAndPointOfViewReachTheState) {
    game.controllers->Add("Pad", false);
    game.Start();
    TDIJoyState s = AxisState(0);
    s.rgbButtons[4] = 0x80;
    s.rgbButtons[31] = 0x80;
    s.rgdwPOV[0] = 9000;
    game.controllers->SetState(0, s);
    ASSERT_TRUE(game.input.Update(2));
    EXPECT_THAT(game.Down(), ElementsAre(4, 31));
    EXPECT_EQ(game.input.State().rgdwPOV[0], 9000u);
    EXPECT_EQ(game.input.State().rgdwPOV[1], POV_CENTERED);
    EXPECT_EQ(game.controllers->Polls(0), 1) << "polled before the read";
}

TEST_F(ControllerTest, AccumulatingCombinesControllerAndKeyboard) {
    game.controllers->Add("Pad", false);
    game.Start();
    TDIJoyState s = AxisState(0);
    s.lX = 32767;
    s.rgbButtons[5] = 0x80;
    game.controllers->SetState(0, s);
    game.Keys().KeyCodeDown(DIK_UP);
    ASSERT_TRUE(game.input.Update(0));
    ASSERT_TRUE(game.input.UpdateEx(true, 2));
    EXPECT_THAT(game.Down(), ElementsAre(0, 5));
    EXPECT_EQ(game.input.State().lX, 32767);
    EXPECT_EQ(game.input.State().lY, -32767);
}

TEST_F(ControllerTest, IndicesPastTheControllersFail) {
    game.controllers->Add("Pad", false);
    game.Start();
    ASSERT_EQ(game.input.JoystickCount(), 1);
    EXPECT_TRUE(game.input.Update(2));
    EXPECT_FALSE(game.input.Update(3));
    EXPECT_FALSE(game.input.Update(2 + TDDIDEX::kMaxJoysticks));
    EXPECT_FALSE(game.input.Update(-1));
    EXPECT_FALSE(game.input.Update(INT32_MAX));
}

TEST_F(ControllerTest, ForceFeedbackControllerIsListedOnce) {
    game.controllers->Add("Pad", false);
    game.controllers->Add("Wheel", true);
    game.controllers->Add("wheel", false); // names compare case-sensitively
    game.Start();
    EXPECT_EQ(game.input.JoystickCount(), 3);
    EXPECT_THAT(game.input.JoystickNames(), ElementsAre("Wheel", "Pad", "wheel"));
    EXPECT_TRUE(game.input.ForceFeedback(2));
    EXPECT_FALSE(game.input.ForceFeedback(3));
    EXPECT_FALSE(game.input.ForceFeedback(4));
    EXPECT_FALSE(game.input.ForceFeedback(0));
    EXPECT_FALSE(game.input.ForceFeedback(18));
}

TEST_F(ControllerTest, TwoIdenticalForceFeedbackControllersAreBothKept) {
    game.controllers->Add("Wheel", true);
    game.controllers->Add("Wheel", true);
    game.Start();
    EXPECT_THAT(game.input.JoystickNames(), ElementsAre("Wheel", "Wheel"));
}

TEST_F(ControllerTest, ControllersThatCannotOpenAreSkippedAndTheTableHoldsSixteen) {
    for (int i = 0; i < 18; ++i) game.controllers->Add("Pad " + std::to_string(i), false);
    game.controllers->FailOpen(0);
    game.Start();
    EXPECT_EQ(game.input.JoystickCount(), 16);
    EXPECT_EQ(game.input.JoystickNames().front(), "Pad 1");
    EXPECT_EQ(game.input.JoystickNames().back(), "Pad 16");
    EXPECT_TRUE(game.input.Update(2 + 15));
}

TEST_F(ControllerTest, EnumerationOnlyOnInitialize) {
    game.controllers->Add("Pad", false);
    game.Start();
    const int listings = game.controllers->Listings();
    for (int i = 0; i < 50; ++i) {
        game.input.Update(0);
        game.input.Update(2);
    }
    EXPECT_EQ(game.controllers->Listings(), listings);
    game.controllers->Add("Late pad", false);
    game.input.Initialize();
    EXPECT_EQ(game.input.JoystickCount(), 2);
}

TEST_F(ControllerTest, UnpluggedControllerReadsFail) {
    game.controllers->Add("Pad", false);
    game.Start();
    TDIJoyState s = AxisState(0);
    s.rgbButtons[0] = 0x80;
    game.controllers->SetState(0, s);
    ASSERT_TRUE(game.input.Update(2));
    game.controllers->Unplug(0);
    EXPECT_FALSE(game.input.Update(2));
    EXPECT_FALSE(game.input.Update(2));
    EXPECT_FALSE(game.input.Button(0));
}

TEST_F(ControllerTest, ForegroundControllerIsNotReadWithoutFocus) {
    game.controllers->Add("Pad", false);
    game.Start();
    game.platform.FocusChanged(false);
    EXPECT_FALSE(game.input.Update(2));
    game.platform.FocusChanged(true);
    EXPECT_FALSE(game.input.Update(2)) << "a failed controller read acquires again but does not read twice";
    EXPECT_TRUE(game.input.Update(2));
}

} // namespace
