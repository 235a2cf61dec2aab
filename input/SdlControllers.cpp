#include "input/SdlControllers.h"

#include "base/Fatal.h"

#include <SDL.h>

#include <algorithm>

namespace {

constexpr uint32_t kJoystickSystems = SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER;

// Hat positions as point-of-view angles in hundredths of a degree clockwise from up.
uint32_t PovFromHat(Uint8 hat) {
    switch (hat) {
    case SDL_HAT_UP:
        return 0;
    case SDL_HAT_RIGHTUP:
        return 4500;
    case SDL_HAT_RIGHT:
        return 9000;
    case SDL_HAT_RIGHTDOWN:
        return 13500;
    case SDL_HAT_DOWN:
        return 18000;
    case SDL_HAT_LEFTDOWN:
        return 22500;
    case SDL_HAT_LEFT:
        return 27000;
    case SDL_HAT_LEFTUP:
        return 31500;
    default:
        return POV_CENTERED;
    }
}

class SdlReader : public IControllerReader {
public:
    explicit SdlReader(SDL_Joystick* joystick) : joystick_(joystick) {}
    ~SdlReader() override { SDL_JoystickClose(joystick_); }
    SdlReader(const SdlReader&) = delete;
    SdlReader& operator=(const SdlReader&) = delete;

    void Poll() override { SDL_JoystickUpdate(); }

    bool Read(TDIJoyState& state) override {
        if (!SDL_JoystickGetAttached(joystick_)) return false;
        state = TDIJoyState{};
        const int axes = std::min(SDL_JoystickNumAxes(joystick_), kJoyAxes);
        for (int i = 0; i < axes; ++i) JoyAxis(state, i) = SDL_JoystickGetAxis(joystick_, i);
        const int hats = std::max(SDL_JoystickNumHats(joystick_), 0);
        for (int i = 0; i < 4; ++i)
            state.rgdwPOV[i] = i < hats ? PovFromHat(SDL_JoystickGetHat(joystick_, i)) : POV_CENTERED;
        const int buttons = std::min(SDL_JoystickNumButtons(joystick_), 32);
        for (int i = 0; i < buttons; ++i)
            state.rgbButtons[i] = SDL_JoystickGetButton(joystick_, i) ? 0x80 : 0;
        return true;
    }

private:
    SDL_Joystick* joystick_;
};

bool HasForceFeedback(SDL_Joystick* joystick) {
    return SDL_JoystickIsHaptic(joystick) == SDL_TRUE || SDL_JoystickHasRumble(joystick) == SDL_TRUE;
}

int DeviceIndexOf(uint32_t instance) {
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i)
        if (static_cast<uint32_t>(SDL_JoystickGetDeviceInstanceID(i)) == instance) return i;
    return -1;
}

} // namespace

SdlControllers::SdlControllers() {
    joystickUp_ = SDL_InitSubSystem(kJoystickSystems) == 0;
    if (!joystickUp_) {
        ReportDiagnostic(std::string("game controllers unavailable: ") + SDL_GetError());
        return;
    }
    // The states are polled; nobody drains SDL's event queue, so no events are queued.
    SDL_JoystickEventState(SDL_IGNORE);
    SDL_GameControllerEventState(SDL_IGNORE);
    // Force feedback is a nicety: controllers work without it.
    hapticUp_ = SDL_InitSubSystem(SDL_INIT_HAPTIC) == 0;
}

SdlControllers::~SdlControllers() {
    if (hapticUp_) SDL_QuitSubSystem(SDL_INIT_HAPTIC);
    if (joystickUp_) SDL_QuitSubSystem(kJoystickSystems);
}

std::vector<TControllerInfo> SdlControllers::Attached() {
    std::vector<TControllerInfo> list;
    if (!joystickUp_) return list;
    SDL_JoystickUpdate(); // takes in controllers plugged in since the last look
    const int count = SDL_NumJoysticks();
    for (int i = 0; i < count; ++i) {
        TControllerInfo info;
        info.instance = static_cast<uint32_t>(SDL_JoystickGetDeviceInstanceID(i));
        const char* name = SDL_JoystickNameForIndex(i);
        info.productName = name ? name : "";
        if (SDL_Joystick* j = SDL_JoystickOpen(i)) {
            info.forceFeedback = HasForceFeedback(j);
            SDL_JoystickClose(j);
        }
        list.push_back(std::move(info));
    }
    return list;
}

std::unique_ptr<IControllerReader> SdlControllers::Open(uint32_t instance) {
    if (!joystickUp_) return nullptr;
    const int index = DeviceIndexOf(instance);
    if (index < 0) return nullptr;
    SDL_Joystick* joystick = SDL_JoystickOpen(index);
    if (!joystick) return nullptr;
    return std::make_unique<SdlReader>(joystick);
}
