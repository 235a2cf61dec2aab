#pragma once
// The seam below the input component: an input system that creates devices and lists
// the attached game controllers, and the devices it creates. Every operation returns
// a result code, 0 for success; the component checks them. A device has to be
// acquired before it can be read, and a foreground device loses its acquisition
// whenever the window loses the focus.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

// Result codes (the values the component writes into its log).
constexpr int32_t DI_OK = 0;
constexpr int32_t DIERR_OTHERAPPHASPRIO = static_cast<int32_t>(0x80070005u);
constexpr int32_t DIERR_NOTACQUIRED = static_cast<int32_t>(0x8007000Cu);
constexpr int32_t DIERR_INPUTLOST = static_cast<int32_t>(0x8007001Eu);
constexpr int32_t DIERR_INVALIDPARAM = static_cast<int32_t>(0x80070057u);
constexpr int32_t DIERR_DEVICENOTREG = static_cast<int32_t>(0x80040154u);
constexpr int32_t DIERR_NOTINITIALIZED = static_cast<int32_t>(0x80070015u);

// Cooperative level flags.
constexpr uint32_t DISCL_EXCLUSIVE = 0x01;
constexpr uint32_t DISCL_NONEXCLUSIVE = 0x02;
constexpr uint32_t DISCL_FOREGROUND = 0x04;
constexpr uint32_t DISCL_BACKGROUND = 0x08;

// The mouse's state: three relative axes (the wheel is the third) and 8 buttons.
struct TDIMouseState {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    uint8_t rgbButtons[8] = {};
};
static_assert(sizeof(TDIMouseState) == 20, "the mouse state is 20 bytes");

// A game controller's state, and the component's unified state: six axes, two
// sliders, four point-of-view values (hundredths of a degree clockwise from up,
// 0xFFFFFFFF when centred) and 32 button bytes (down at 0x80 or more).
struct TDIJoyState {
    int32_t lX = 0;
    int32_t lY = 0;
    int32_t lZ = 0;
    int32_t lRx = 0;
    int32_t lRy = 0;
    int32_t lRz = 0;
    int32_t rglSlider[2] = {};
    uint32_t rgdwPOV[4] = {};
    uint8_t rgbButtons[32] = {};
};
static_assert(sizeof(TDIJoyState) == 80, "the controller state is 80 bytes");
static_assert(offsetof(TDIJoyState, rglSlider) == 24 && offsetof(TDIJoyState, rgdwPOV) == 32 &&
                  offsetof(TDIJoyState, rgbButtons) == 48,
              "the controller state keeps its field offsets");

constexpr uint32_t POV_CENTERED = 0xFFFFFFFFu;

// The eight int32 values at the start of the state by number: lX, lY, lZ, lRx, lRy,
// lRz, slider 0, slider 1.
constexpr int kJoyAxes = 8;
inline int32_t& JoyAxis(TDIJoyState& s, int i) {
    switch (i) {
    case 0:
        return s.lX;
    case 1:
        return s.lY;
    case 2:
        return s.lZ;
    case 3:
        return s.lRx;
    case 4:
        return s.lRy;
    case 5:
        return s.lRz;
    case 6:
        return s.rglSlider[0];
    default:
        return s.rglSlider[1];
    }
}

// Axis offsets inside TDIJoyState, for SetRange.
constexpr int32_t DIJOFS_X = 0;
constexpr int32_t DIJOFS_Y = 4;
constexpr int32_t DIJOFS_Z = 8;
constexpr int32_t DIJOFS_RX = 12;
constexpr int32_t DIJOFS_RY = 16;
constexpr int32_t DIJOFS_RZ = 20;
constexpr int32_t DIJOFS_SLIDER0 = 24;
constexpr int32_t DIJOFS_SLIDER1 = 28;

// The data format a device is read in: 256 key bytes, TDIMouseState or TDIJoyState.
enum class TDataFormat { Keyboard, Mouse, Joystick };
constexpr uint32_t DataFormatSize(TDataFormat f) {
    return f == TDataFormat::Keyboard ? 256u : f == TDataFormat::Mouse ? 20u : 80u;
}

class IInputDevice {
public:
    virtual ~IInputDevice() = default;
    // Only the format that matches the device's kind is accepted.
    virtual int32_t SetDataFormat(TDataFormat format) = 0;
    // DISCL_EXCLUSIVE or DISCL_NONEXCLUSIVE, plus DISCL_FOREGROUND or DISCL_BACKGROUND.
    virtual int32_t SetCooperativeLevel(uint32_t flags) = 0;
    // The range of the controller axis at offset (DIJOFS_*); other devices refuse it.
    virtual int32_t SetRange(int32_t offset, int32_t min, int32_t max) = 0;
    // Fails while a foreground device's window has no focus.
    virtual int32_t Acquire() = 0;
    virtual int32_t Unacquire() = 0;
    // Refreshes a controller's state; keyboard and mouse need no polling.
    virtual int32_t Poll() = 0;
    // Copies the current state (size must be the data format's size). Fails with
    // DIERR_NOTACQUIRED or DIERR_INPUTLOST while the device is not acquired.
    virtual int32_t GetDeviceState(uint32_t size, void* data) = 0;
};

enum class TDeviceKind { SysKeyboard, SysMouse, GameController };

// One attached game controller as the enumeration reports it.
struct TControllerInstance {
    uint32_t instance = 0; // identifies the controller for CreateDevice
    std::string productName;
};

// Stands in for the system's input object; created once per initialisation.
class IInputSystem {
public:
    virtual ~IInputSystem() = default;
    // instance is only used for game controllers.
    virtual int32_t CreateDevice(TDeviceKind kind, uint32_t instance, std::unique_ptr<IInputDevice>& out) = 0;
    // Calls back once per attached controller, only those with force feedback when asked.
    virtual int32_t EnumGameControllers(bool forceFeedbackOnly,
                                        const std::function<void(const TControllerInstance&)>& callback) = 0;
};

// Makes the input system: the platform's one or the tests' one.
class IInputBackend {
public:
    virtual ~IInputBackend() = default;
    virtual int32_t CreateInputSystem(std::unique_ptr<IInputSystem>& out) = 0;
};
