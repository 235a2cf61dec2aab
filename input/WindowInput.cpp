#include "input/WindowInput.h"

#include <array>
#include <cstring>
#include <stdexcept>

namespace {

constexpr int32_t kAxisMin = -32768;
constexpr int32_t kAxisMax = 32767;

class ControllerHandle : public TDeviceHandle {
public:
    ControllerHandle(std::unique_ptr<IControllerReader> reader, const InputFocus& focus)
        : TDeviceHandle(TDataFormat::Joystick, focus), reader_(std::move(reader)) {
        ranges_.fill({kAxisMin, kAxisMax});
    }

    int32_t SetRange(int32_t offset, int32_t min, int32_t max) override {
        if (offset < 0 || offset % 4 != 0 || offset / 4 >= kJoyAxes || min > max) return DIERR_INVALIDPARAM;
        ranges_[static_cast<size_t>(offset / 4)] = {min, max};
        return DI_OK;
    }

protected:
    void DoPoll() override { reader_->Poll(); }

    bool ReadState(void* data) override {
        TDIJoyState state;
        if (!reader_->Read(state)) return false;
        for (int i = 0; i < kJoyAxes; ++i)
            JoyAxis(state, i) = Scale(JoyAxis(state, i), ranges_[static_cast<size_t>(i)]);
        std::memcpy(data, &state, sizeof state);
        return true;
    }

private:
    struct Range {
        int32_t min;
        int32_t max;
    };
    // The reader's -32768..32767 mapped linearly onto the range asked for.
    static int32_t Scale(int32_t v, Range r) {
        if (r.min == kAxisMin && r.max == kAxisMax) return v;
        const int64_t span = static_cast<int64_t>(r.max) - r.min;
        const int64_t from = static_cast<int64_t>(v) - kAxisMin;
        return static_cast<int32_t>(r.min + from * span / (static_cast<int64_t>(kAxisMax) - kAxisMin));
    }

    std::unique_ptr<IControllerReader> reader_;
    std::array<Range, kJoyAxes> ranges_;
};

class WindowInputSystem : public IInputSystem {
public:
    WindowInputSystem(KeyboardDevice& keyboard, MouseDevice& mouse, IControllerBackend& controllers,
                      const InputFocus& controllerFocus)
        : keyboard_(keyboard), mouse_(mouse), controllers_(controllers), controllerFocus_(controllerFocus) {}

    int32_t CreateDevice(TDeviceKind kind, uint32_t instance, std::unique_ptr<IInputDevice>& out) override {
        out.reset();
        switch (kind) {
        case TDeviceKind::SysKeyboard:
            out = keyboard_.CreateDevice();
            break;
        case TDeviceKind::SysMouse:
            out = mouse_.CreateDevice();
            break;
        case TDeviceKind::GameController:
            if (auto reader = controllers_.Open(instance))
                out = std::make_unique<ControllerHandle>(std::move(reader), controllerFocus_);
            break;
        }
        return out ? DI_OK : DIERR_DEVICENOTREG;
    }

    int32_t EnumGameControllers(bool forceFeedbackOnly,
                                const std::function<void(const TControllerInstance&)>& callback) override {
        for (const TControllerInfo& info : controllers_.Attached())
            if (!forceFeedbackOnly || info.forceFeedback)
                callback(TControllerInstance{info.instance, info.productName});
        return DI_OK;
    }

private:
    KeyboardDevice& keyboard_;
    MouseDevice& mouse_;
    IControllerBackend& controllers_;
    const InputFocus& controllerFocus_;
};

} // namespace

WindowInput::WindowInput(std::unique_ptr<IControllerBackend> controllers)
    : controllers_(std::move(controllers)) {
    if (!controllers_) throw std::invalid_argument("WindowInput needs a controller list");
}

void WindowInput::FocusChanged(bool focused) {
    keyboard_.FocusChanged(focused);
    mouse_.FocusChanged(focused);
    controllerFocus_.Changed(focused);
}

int32_t WindowInput::CreateInputSystem(std::unique_ptr<IInputSystem>& out) {
    out = std::make_unique<WindowInputSystem>(keyboard_, mouse_, *controllers_, controllerFocus_);
    return DI_OK;
}
