#pragma once
// An input system whose every failure the test chooses: creation of the system or of
// a device, data formats and cooperative levels that are refused, and a keyboard
// whose 256 bytes (code 0 included) and read failures the test sets directly.
#include "input/InputDevices.h"

#include <array>
#include <cstring>
#include <memory>
#include <vector>

struct ScriptedInput : IInputBackend {
    int32_t createSystemResult = DI_OK;
    int32_t createKeyboardResult = DI_OK;
    int32_t createMouseResult = DI_OK;
    int32_t keyboardFormatResult = DI_OK;
    int32_t cooperativeResult = DI_OK;
    std::array<uint8_t, 256> keys{};
    int keyboardReadFailures = 0; // the next reads that fail
    int keyboardReads = 0;
    int keyboardAcquires = 0;
    std::vector<TControllerInstance> controllers;

    struct Keyboard : IInputDevice {
        explicit Keyboard(ScriptedInput& in) : in_(in) {}
        int32_t SetDataFormat(TDataFormat) override { return in_.keyboardFormatResult; }
        int32_t SetCooperativeLevel(uint32_t) override { return in_.cooperativeResult; }
        int32_t SetRange(int32_t, int32_t, int32_t) override { return DIERR_INVALIDPARAM; }
        int32_t Acquire() override {
            ++in_.keyboardAcquires;
            return DI_OK;
        }
        int32_t Unacquire() override { return DI_OK; }
        int32_t Poll() override { return DI_OK; }
        int32_t GetDeviceState(uint32_t size, void* data) override {
            ++in_.keyboardReads;
            if (in_.keyboardReadFailures > 0) {
                --in_.keyboardReadFailures;
                std::memset(data, 0xFF, size); // a failed read may leave anything behind
                return DIERR_INPUTLOST;
            }
            std::memcpy(data, in_.keys.data(), size);
            return DI_OK;
        }
        ScriptedInput& in_;
    };

    struct Mouse : IInputDevice {
        int32_t SetDataFormat(TDataFormat) override { return DI_OK; }
        int32_t SetCooperativeLevel(uint32_t) override { return DI_OK; }
        int32_t SetRange(int32_t, int32_t, int32_t) override { return DIERR_INVALIDPARAM; }
        int32_t Acquire() override { return DI_OK; }
        int32_t Unacquire() override { return DI_OK; }
        int32_t Poll() override { return DI_OK; }
        int32_t GetDeviceState(uint32_t size, void* data) override {
            std::memset(data, 0, size);
            return DI_OK;
        }
    };

    struct System : IInputSystem {
        explicit System(ScriptedInput& in) : in_(in) {}
        int32_t CreateDevice(TDeviceKind kind, uint32_t, std::unique_ptr<IInputDevice>& out) override {
            if (kind == TDeviceKind::SysKeyboard) {
                if (in_.createKeyboardResult != DI_OK) return in_.createKeyboardResult;
                out = std::make_unique<Keyboard>(in_);
                return DI_OK;
            }
            if (kind == TDeviceKind::SysMouse) {
                if (in_.createMouseResult != DI_OK) return in_.createMouseResult;
                out = std::make_unique<Mouse>();
                return DI_OK;
            }
            return DIERR_DEVICENOTREG;
        }
        int32_t EnumGameControllers(bool,
                                    const std::function<void(const TControllerInstance&)>& cb) override {
            for (const auto& c : in_.controllers) cb(c);
            return DI_OK;
        }
        ScriptedInput& in_;
    };

    int32_t CreateInputSystem(std::unique_ptr<IInputSystem>& out) override {
        if (createSystemResult != DI_OK) return createSystemResult;
        out = std::make_unique<System>(*this);
        return DI_OK;
    }
};
