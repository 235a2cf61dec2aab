#pragma once
// The keyboard and the mouse as the window sees them: their states are fed from the
// window's key, mouse and focus events, and the input system's devices read them.
#include "input/DeviceHandle.h"

#include <array>
#include <cstdint>
#include <memory>

// Which keys are held, by key code (bit 7 of a byte set = down).
class KeyboardDevice {
public:
    // Key press and release events with the window's native scan code (Qt's
    // QKeyEvent::nativeScanCode()); keys without a key code are ignored. The window
    // passes on no auto-repeated events: a held key stays down until its release.
    void KeyDown(uint32_t nativeScanCode);
    void KeyUp(uint32_t nativeScanCode);
    // The same by key code (DikCodes.h). Code 0 is never down.
    void KeyCodeDown(uint8_t code);
    void KeyCodeUp(uint8_t code);
    // A key pressed and let go by the game controllers (all of them together). A key is
    // down while the keyboard or a controller holds it: letting go of one leaves the
    // other's hold.
    void PadKeyDown(uint8_t code);
    void PadKeyUp(uint8_t code);
    // Losing the focus releases every held key: their release events go to another
    // window, and no key may stay down for ever.
    void FocusChanged(bool focused);

    bool IsDown(uint8_t code) const { return keys_[code] >= 0x80; }
    const std::array<uint8_t, 256>& Keys() const { return keys_; }
    const InputFocus& Focus() const { return focus_; }
    // A keyboard device of the input system that reads this state.
    std::unique_ptr<IInputDevice> CreateDevice() const;

private:
    void Update(uint8_t code);

    std::array<uint8_t, 256> keys_{};
    std::array<bool, 256> keyboardHolds_{};
    std::array<bool, 256> padHolds_{};
    InputFocus focus_;
};

// The mouse's motion since the last read (wheel as the third axis) and its buttons.
class MouseDevice {
public:
    static constexpr int kButtons = 8;
    // Relative motion in pixels.
    void Moved(int32_t dx, int32_t dy);
    // Absolute position in the window; the first position after a focus change
    // only sets the reference point.
    void MovedTo(int32_t x, int32_t y);
    // Wheel rotation, 120 per notch, positive away from the user.
    void Wheel(int32_t delta);
    // Buttons 0 to 7 (left, right, middle, then the extra ones); others are ignored.
    void ButtonDown(int button);
    void ButtonUp(int button);
    // Losing the focus releases the buttons and forgets the motion not yet read.
    void FocusChanged(bool focused);

    // The state for a read: motion since the last read, then the motion restarts at 0.
    TDIMouseState TakeState();
    const InputFocus& Focus() const { return focus_; }
    std::unique_ptr<IInputDevice> CreateDevice();

private:
    TDIMouseState pending_;
    bool havePosition_ = false;
    int32_t lastX_ = 0;
    int32_t lastY_ = 0;
    InputFocus focus_;
};
