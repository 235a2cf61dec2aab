#pragma once
// What every device of the platform input system shares: its data format, its
// cooperative level and its acquisition, which a foreground device loses with the
// window's focus.
#include "input/InputDevices.h"

// Whether the window has the focus. Every loss is counted, so that a device acquired
// before a loss knows its input was lost even when the focus has come back since.
// A window that never reports its focus counts as focused.
class InputFocus {
public:
    void Changed(bool focused) {
        if (focused_ && !focused) ++losses_;
        focused_ = focused;
    }
    bool Focused() const { return focused_; }
    uint32_t Losses() const { return losses_; }

private:
    bool focused_ = true;
    uint32_t losses_ = 0;
};

class TDeviceHandle : public IInputDevice {
public:
    // format: the one data format this device can be read in.
    TDeviceHandle(TDataFormat format, const InputFocus& focus) : format_(format), focus_(focus) {}

    int32_t SetDataFormat(TDataFormat format) override;
    int32_t SetCooperativeLevel(uint32_t flags) override;
    int32_t SetRange(int32_t offset, int32_t min, int32_t max) override;
    int32_t Acquire() override;
    int32_t Unacquire() override;
    int32_t Poll() override;
    int32_t GetDeviceState(uint32_t size, void* data) override;

    bool Acquired() const { return acquired_; }

protected:
    virtual void DoPoll() {}
    // Fills data (the format's size); false when the device is gone.
    virtual bool ReadState(void* data) = 0;

private:
    // False once a foreground device has lost the focus since it was acquired.
    bool StillAcquired();

    TDataFormat format_;
    const InputFocus& focus_;
    bool formatSet_ = false;
    uint32_t cooperative_ = DISCL_NONEXCLUSIVE | DISCL_BACKGROUND;
    bool acquired_ = false;
    uint32_t lossesAtAcquire_ = 0;
};
