#include "input/EventDevices.h"

#include "input/ScanCodes.h"

#include <cstring>
#include <limits>

namespace {

class KeyboardHandle : public TDeviceHandle {
public:
    explicit KeyboardHandle(const KeyboardDevice& keyboard)
        : TDeviceHandle(TDataFormat::Keyboard, keyboard.Focus()), keyboard_(keyboard) {}

protected:
    bool ReadState(void* data) override {
        std::memcpy(data, keyboard_.Keys().data(), keyboard_.Keys().size());
        return true;
    }

private:
    const KeyboardDevice& keyboard_;
};

class MouseHandle : public TDeviceHandle {
public:
    explicit MouseHandle(MouseDevice& mouse)
        : TDeviceHandle(TDataFormat::Mouse, mouse.Focus()), mouse_(mouse) {}

protected:
    bool ReadState(void* data) override {
        const TDIMouseState state = mouse_.TakeState();
        std::memcpy(data, &state, sizeof state);
        return true;
    }

private:
    MouseDevice& mouse_;
};

// Motion is summed without overflowing, however long nobody reads it.
int32_t Saturate(int64_t v) {
    if (v > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (v < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(v);
}
int32_t SaturatingAdd(int32_t a, int32_t b) {
    return Saturate(static_cast<int64_t>(a) + b);
}

} // namespace

void KeyboardDevice::KeyDown(uint32_t nativeScanCode) {
    KeyCodeDown(DikFromNativeScanCode(nativeScanCode));
}
void KeyboardDevice::KeyUp(uint32_t nativeScanCode) {
    KeyCodeUp(DikFromNativeScanCode(nativeScanCode));
}

void KeyboardDevice::KeyCodeDown(uint8_t code) {
    keyboardHolds_[code] = code != 0;
    Update(code);
}
void KeyboardDevice::KeyCodeUp(uint8_t code) {
    keyboardHolds_[code] = false;
    Update(code);
}
void KeyboardDevice::PadKeyDown(uint8_t code) {
    padHolds_[code] = code != 0;
    Update(code);
}
void KeyboardDevice::PadKeyUp(uint8_t code) {
    padHolds_[code] = false;
    Update(code);
}
void KeyboardDevice::Update(uint8_t code) {
    keys_[code] = keyboardHolds_[code] || padHolds_[code] ? 0x80 : 0;
}

void KeyboardDevice::FocusChanged(bool focused) {
    if (!focused) {
        keys_.fill(0);
        keyboardHolds_.fill(false);
        padHolds_.fill(false);
    }
    focus_.Changed(focused);
}

std::unique_ptr<IInputDevice> KeyboardDevice::CreateDevice() const {
    return std::make_unique<KeyboardHandle>(*this);
}

void MouseDevice::Moved(int32_t dx, int32_t dy) {
    pending_.lX = SaturatingAdd(pending_.lX, dx);
    pending_.lY = SaturatingAdd(pending_.lY, dy);
}

void MouseDevice::MovedTo(int32_t x, int32_t y) {
    if (havePosition_)
        Moved(Saturate(static_cast<int64_t>(x) - lastX_), Saturate(static_cast<int64_t>(y) - lastY_));
    havePosition_ = true;
    lastX_ = x;
    lastY_ = y;
}

void MouseDevice::Wheel(int32_t delta) {
    pending_.lZ = SaturatingAdd(pending_.lZ, delta);
}

void MouseDevice::ButtonDown(int button) {
    if (button >= 0 && button < kButtons) pending_.rgbButtons[button] = 0x80;
}
void MouseDevice::ButtonUp(int button) {
    if (button >= 0 && button < kButtons) pending_.rgbButtons[button] = 0;
}

void MouseDevice::FocusChanged(bool focused) {
    pending_ = TDIMouseState{};
    havePosition_ = false;
    focus_.Changed(focused);
}

TDIMouseState MouseDevice::TakeState() {
    TDIMouseState state = pending_;
    pending_.lX = pending_.lY = pending_.lZ = 0;
    return state;
}

std::unique_ptr<IInputDevice> MouseDevice::CreateDevice() {
    return std::make_unique<MouseHandle>(*this);
}
