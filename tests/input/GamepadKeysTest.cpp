// Game controllers as keys, with SDL's virtual controller plugged in while the keys are
// polled: the d-pad and the left stick beyond the dead zone as arrows, south and Start
// as Enter, west and east as Space; unplugging lets go of what it held.
#include "input/GamepadKeys.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <map>

namespace {

class VirtualPad {
public:
    VirtualPad() {
        index_ = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                           SDL_CONTROLLER_BUTTON_MAX, 0);
        if (index_ >= 0) joystick_ = SDL_JoystickOpen(index_);
    }
    ~VirtualPad() { Unplug(); }
    bool Plugged() const { return joystick_ != nullptr; }
    void Button(SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(joystick_, b, down ? 1 : 0);
    }
    void Axis(SDL_GameControllerAxis a, int16_t v) { SDL_JoystickSetVirtualAxis(joystick_, a, v); }
    void Unplug() {
        if (!joystick_) return;
        SDL_JoystickClose(joystick_);
        joystick_ = nullptr;
        SDL_JoystickDetachVirtual(index_);
    }

private:
    int index_ = -1;
    SDL_Joystick* joystick_ = nullptr;
};

struct Keys {
    std::map<TPadKey, bool> held;
    int changes = 0;
    void Poll(TGamepadKeys& pads, bool foreground = true) {
        pads.Poll(foreground, [this](TPadKey k, bool down) {
            held[k] = down;
            ++changes;
        });
    }
    bool Down(TPadKey k) { return held[k]; }
};

TEST(GamepadKeys, AVirtualControllerPressesTheGamesKeysAndLetsGoWhenUnplugged) {
    TGamepadKeys pads;
    ASSERT_TRUE(pads.Available());
    Keys keys;
    keys.Poll(pads);
    EXPECT_EQ(pads.Count(), 0u);
    EXPECT_EQ(keys.changes, 0);

    VirtualPad pad; // plugged in while the game runs
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    keys.Poll(pads);
    EXPECT_EQ(pads.Count(), 1u);
    EXPECT_EQ(keys.changes, 0);

    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    keys.Poll(pads);
    EXPECT_TRUE(keys.Down(TPadKey::Right));
    EXPECT_TRUE(keys.Down(TPadKey::Enter));
    EXPECT_EQ(keys.changes, 2);
    keys.Poll(pads);
    EXPECT_EQ(keys.changes, 2) << "only changes are told";
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);
    pad.Button(SDL_CONTROLLER_BUTTON_A, false);
    pad.Button(SDL_CONTROLLER_BUTTON_START, true);
    pad.Button(SDL_CONTROLLER_BUTTON_X, true);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Right));
    EXPECT_TRUE(keys.Down(TPadKey::Enter));
    EXPECT_TRUE(keys.Down(TPadKey::Space));
    pad.Button(SDL_CONTROLLER_BUTTON_START, false);
    pad.Button(SDL_CONTROLLER_BUTTON_X, false);
    pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Enter));
    EXPECT_TRUE(keys.Down(TPadKey::Space));
    pad.Button(SDL_CONTROLLER_BUTTON_B, false);

    // The left stick with the default dead zone of 30 %: 9830 is still neutral.
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 9830);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -9830);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Right));
    EXPECT_FALSE(keys.Down(TPadKey::Up));
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, -9832);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 9831);
    keys.Poll(pads);
    EXPECT_TRUE(keys.Down(TPadKey::Left));
    EXPECT_TRUE(keys.Down(TPadKey::Down));
    pads.SetDeadZone(100);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Left)) << "a dead zone of 100 % keeps the stick neutral";
    pads.SetDeadZone(0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTX, 0);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -1);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Left));
    EXPECT_TRUE(keys.Down(TPadKey::Up));
    pads.SetDeadZone(30);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, 0);

    // Out of the foreground every key is let go, and taken again after.
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    keys.Poll(pads, false);
    EXPECT_FALSE(keys.Down(TPadKey::Up));
    keys.Poll(pads);
    EXPECT_TRUE(keys.Down(TPadKey::Up));

    // Unplugged while held: the keys go up.
    pad.Button(SDL_CONTROLLER_BUTTON_B, true);
    keys.Poll(pads);
    ASSERT_TRUE(keys.Down(TPadKey::Space));
    pad.Unplug();
    keys.Poll(pads);
    EXPECT_EQ(pads.Count(), 0u);
    EXPECT_FALSE(keys.Down(TPadKey::Up));
    EXPECT_FALSE(keys.Down(TPadKey::Space));
}

} // namespace

// The buttons follow the bindings: 決定 moved to north leaves south free; Back pauses by
// default; the left stick stays the arrows whatever the d-pad is bound to.
TEST(GamepadKeys, TheButtonsFollowTheBindings) {
    TGamepadKeys pads;
    ASSERT_TRUE(pads.Available());
    VirtualPad pad;
    ASSERT_TRUE(pad.Plugged()) << SDL_GetError();
    Keys keys;
    pad.Button(SDL_CONTROLLER_BUTTON_BACK, true);
    keys.Poll(pads);
    EXPECT_TRUE(keys.Down(TPadKey::Pause));
    pad.Button(SDL_CONTROLLER_BUTTON_BACK, false);

    TKeyBindings b = TKeyBindings::Defaults();
    ASSERT_EQ(b.Set(TAction::Confirm, {{}, {TPadButton::North, TPadButton::None}}), std::nullopt);
    ASSERT_EQ(b.Set(TAction::Up, {{}, {TPadButton::None, TPadButton::None}}), std::nullopt);
    ASSERT_EQ(b.SetPad(TAction::Mute, 0, TPadButton::DpadUp), std::nullopt);
    pads.SetBindings(b);
    pad.Button(SDL_CONTROLLER_BUTTON_A, true);
    pad.Button(SDL_CONTROLLER_BUTTON_DPAD_UP, true);
    keys.Poll(pads);
    EXPECT_FALSE(keys.Down(TPadKey::Pause));
    EXPECT_FALSE(keys.Down(TPadKey::Enter)) << "south is free now";
    EXPECT_FALSE(keys.Down(TPadKey::Up));
    EXPECT_TRUE(keys.Down(TPadKey::Mute));
    pad.Button(SDL_CONTROLLER_BUTTON_Y, true);
    pad.Axis(SDL_CONTROLLER_AXIS_LEFTY, -32768);
    keys.Poll(pads);
    EXPECT_TRUE(keys.Down(TPadKey::Enter));
    EXPECT_TRUE(keys.Down(TPadKey::Up)) << "the stick";
    EXPECT_EQ(ActionOfPadKey(TPadKey::Space), TAction::Turn);
    EXPECT_EQ(PadKeyOfAction(TAction::Confirm), TPadKey::Enter);
}
