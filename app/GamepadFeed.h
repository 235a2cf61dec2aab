#pragma once
// The game controllers for the window: their arrows are held in the keyboard device the
// game polls (as the first key of the movement's binding), their other actions (決定, ハムスター回転,
// 一時停止, 消音) reach the window as presses of the action, and only while the window is in the foreground
// (as the keyboard). Polled every 20 ms while a controller is attached and every 250 ms otherwise, to find
// one plugged in.
#include "input/EventDevices.h"
#include "input/GamepadKeys.h"

#include <QTimer>

#include <array>
#include <functional>

class GamepadFeed {
public:
    // foreground: whether the window is active; pressed: an action's button went down,
    // after which the window wakes its idle driver.
    GamepadFeed(KeyboardDevice& keyboard, std::function<bool()> foreground,
                std::function<void(TAction action)> pressed, std::function<void()> wake);

    void SetDeadZone(int32_t percent) { pads_.SetDeadZone(percent); }
    void SetBindings(const TKeyBindings& bindings) {
        bindings_ = bindings;
        pads_.SetBindings(bindings);
    }
    // While a listener is set (a dialog is open) the buttons themselves go to it and the
    // game's keys are let go; empty gives the buttons back to the game.
    void SetButtonListener(std::function<void(TPadButton)> listener);
    void Start();
    void Stop() { timer_.stop(); }
    // One poll now (the timer's work).
    void Poll();

private:
    void PollKeys(bool foreground);

    KeyboardDevice& keyboard_;
    std::function<bool()> foreground_;
    std::function<void(TAction)> pressed_;
    std::function<void()> wake_;
    std::function<void(TPadButton)> listener_;
    TGamepadKeys pads_;
    TKeyBindings bindings_ = TKeyBindings::Defaults();
    std::array<uint8_t, 4> heldKeys_{}; // the key each movement holds down
    QTimer timer_;
};
