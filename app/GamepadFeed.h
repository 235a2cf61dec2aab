#pragma once
// The game controllers for the window: their arrows are held in the keyboard device the
// game polls, their Enter and Space reach the form as key presses of the window, and only
// while the window is in the foreground (as the keyboard). Polled every 20 ms while a
// controller is attached and every 250 ms otherwise, to find one plugged in.
#include "input/EventDevices.h"
#include "input/GamepadKeys.h"

#include <QTimer>

#include <functional>

class GamepadFeed {
public:
    // foreground: whether the window is active; keyDown: a key press of the window (a
    // virtual key code), after which the window wakes its idle driver.
    GamepadFeed(KeyboardDevice& keyboard, std::function<bool()> foreground,
                std::function<void(uint16_t virtualKey)> keyDown, std::function<void()> wake);

    void SetDeadZone(int32_t percent) { pads_.SetDeadZone(percent); }
    void Start();
    void Stop() { timer_.stop(); }
    // One poll now (the timer's work).
    void Poll();

private:
    KeyboardDevice& keyboard_;
    std::function<bool()> foreground_;
    std::function<void(uint16_t)> keyDown_;
    std::function<void()> wake_;
    TGamepadKeys pads_;
    QTimer timer_;
};
