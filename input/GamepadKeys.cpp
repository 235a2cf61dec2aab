#include "input/GamepadKeys.h"

#include "base/Fatal.h"

#include <SDL.h>

#include <algorithm>
#include <string>

namespace {

constexpr uint32_t Bit(TPadKey key) {
    return 1u << static_cast<int>(key);
}

constexpr TAction PadKeyActions[PadKeyCount] = {TAction::Up,    TAction::Down,    TAction::Left,
                                                TAction::Right, TAction::Confirm, TAction::Turn,
                                                TAction::Pause, TAction::Mute,    TAction::Fullscreen};

SDL_GameControllerButton SdlButton(TPadButton b) {
    switch (b) {
    case TPadButton::DpadUp:
        return SDL_CONTROLLER_BUTTON_DPAD_UP;
    case TPadButton::DpadDown:
        return SDL_CONTROLLER_BUTTON_DPAD_DOWN;
    case TPadButton::DpadLeft:
        return SDL_CONTROLLER_BUTTON_DPAD_LEFT;
    case TPadButton::DpadRight:
        return SDL_CONTROLLER_BUTTON_DPAD_RIGHT;
    case TPadButton::South:
        return SDL_CONTROLLER_BUTTON_A;
    case TPadButton::East:
        return SDL_CONTROLLER_BUTTON_B;
    case TPadButton::West:
        return SDL_CONTROLLER_BUTTON_X;
    case TPadButton::North:
        return SDL_CONTROLLER_BUTTON_Y;
    case TPadButton::Start:
        return SDL_CONTROLLER_BUTTON_START;
    case TPadButton::Back:
        return SDL_CONTROLLER_BUTTON_BACK;
    case TPadButton::Guide:
        return SDL_CONTROLLER_BUTTON_GUIDE;
    case TPadButton::LeftShoulder:
        return SDL_CONTROLLER_BUTTON_LEFTSHOULDER;
    case TPadButton::RightShoulder:
        return SDL_CONTROLLER_BUTTON_RIGHTSHOULDER;
    case TPadButton::LeftStick:
        return SDL_CONTROLLER_BUTTON_LEFTSTICK;
    case TPadButton::RightStick:
        return SDL_CONTROLLER_BUTTON_RIGHTSTICK;
    default:
        return SDL_CONTROLLER_BUTTON_INVALID;
    }
}

} // namespace

TAction ActionOfPadKey(TPadKey key) {
    return PadKeyActions[static_cast<size_t>(key)];
}

TPadKey PadKeyOfAction(TAction action) {
    for (int k = 0; k < PadKeyCount; ++k)
        if (PadKeyActions[k] == action) return static_cast<TPadKey>(k);
    return TPadKey::Up;
}

void TGamepadKeys::SetBindings(const TKeyBindings& bindings) {
    for (int k = 0; k < PadKeyCount; ++k)
        buttons_[static_cast<size_t>(k)] = bindings.Of(PadKeyActions[k]).Pads;
}

TGamepadKeys::TGamepadKeys() {
    SetBindings(TKeyBindings::Defaults());
    up_ = SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0;
    if (!up_) {
        ReportDiagnostic(std::string("gamepads unavailable: ") + SDL_GetError());
        return;
    }
    // Only the plug-in and unplug events are queued (taken at each poll); the states
    // themselves are read directly.
    for (Uint32 type :
         {SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED, SDL_CONTROLLERDEVICEADDED, SDL_CONTROLLERDEVICEREMOVED})
        SDL_EventState(type, SDL_ENABLE);
    SDL_FlushEvents(SDL_JOYDEVICEADDED, SDL_CONTROLLERDEVICEREMAPPED);
    for (int i = 0; i < SDL_NumJoysticks(); ++i)
        if (SDL_IsGameController(i)) Open(i);
}

TGamepadKeys::~TGamepadKeys() {
    for (const Pad& pad : pads_) SDL_GameControllerClose(pad.controller);
    if (up_) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

void TGamepadKeys::Open(int deviceIndex) {
    const auto instance = static_cast<int32_t>(SDL_JoystickGetDeviceInstanceID(deviceIndex));
    if (std::any_of(pads_.begin(), pads_.end(), [&](const Pad& p) { return p.instance == instance; })) return;
    if (SDL_GameController* c = SDL_GameControllerOpen(deviceIndex)) pads_.push_back({c, instance});
}

void TGamepadKeys::TakeDeviceEvents() {
    SDL_Event events[16];
    int n = 0;
    while ((n = SDL_PeepEvents(events, 16, SDL_GETEVENT, SDL_CONTROLLERDEVICEADDED,
                               SDL_CONTROLLERDEVICEREMOVED)) > 0)
        for (int i = 0; i < n; ++i)
            if (events[i].type == SDL_CONTROLLERDEVICEADDED) Open(events[i].cdevice.which);
    // The joystick events only carry the controller ones; nobody else reads them.
    SDL_FlushEvents(SDL_JOYDEVICEADDED, SDL_JOYDEVICEREMOVED);
    // An unplugged controller (its removal event, or found detached) is closed.
    pads_.erase(std::remove_if(pads_.begin(), pads_.end(),
                               [](const Pad& p) {
                                   if (SDL_GameControllerGetAttached(p.controller)) return false;
                                   SDL_GameControllerClose(p.controller);
                                   return true;
                               }),
                pads_.end());
}

uint32_t TGamepadKeys::Stick(const Pad& pad) const {
    SDL_GameController* c = pad.controller;
    // The input component's dead zone, in its own integer arithmetic.
    const int32_t lower = deadZone_ * -32768 / 100, upper = deadZone_ * 32767 / 100;
    const auto beyond = [&](SDL_GameControllerAxis a, int sign) {
        if (deadZone_ >= 100) return false;
        const int32_t v = SDL_GameControllerGetAxis(c, a);
        return sign < 0 ? v < lower : v > upper;
    };
    uint32_t held = 0;
    if (beyond(SDL_CONTROLLER_AXIS_LEFTY, -1)) held |= Bit(TPadKey::Up);
    if (beyond(SDL_CONTROLLER_AXIS_LEFTY, 1)) held |= Bit(TPadKey::Down);
    if (beyond(SDL_CONTROLLER_AXIS_LEFTX, -1)) held |= Bit(TPadKey::Left);
    if (beyond(SDL_CONTROLLER_AXIS_LEFTX, 1)) held |= Bit(TPadKey::Right);
    return held;
}

uint32_t TGamepadKeys::Buttons(const Pad& pad) const {
    uint32_t held = 0;
    for (int b = 1; b < static_cast<int>(TPadButton::Count); ++b)
        if (SDL_GameControllerGetButton(pad.controller, SdlButton(static_cast<TPadButton>(b))) != 0)
            held |= 1u << b;
    return held;
}

uint32_t TGamepadKeys::Held(const Pad& pad) const {
    const uint32_t buttons = Buttons(pad);
    uint32_t held = Stick(pad);
    for (int k = 0; k < PadKeyCount; ++k)
        for (const TPadButton b : buttons_[static_cast<size_t>(k)])
            if (b != TPadButton::None && (buttons & (1u << static_cast<int>(b)))) held |= 1u << k;
    return held;
}

void TGamepadKeys::Update() {
    if (!up_) return;
    SDL_GameControllerUpdate(); // also finds controllers plugged in since
    TakeDeviceEvents();
}

void TGamepadKeys::PollButtons(bool foreground, const std::function<void(TPadButton)>& pressed) {
    Update();
    uint32_t now = 0;
    if (foreground) {
        for (const Pad& pad : pads_) {
            now |= Buttons(pad);
            // The stick stands for the d-pad.
            const uint32_t stick = Stick(pad);
            const TPadButton dpad[4] = {TPadButton::DpadUp, TPadButton::DpadDown, TPadButton::DpadLeft,
                                        TPadButton::DpadRight};
            for (int k = 0; k < 4; ++k)
                if (stick & (1u << k)) now |= 1u << static_cast<int>(dpad[k]);
        }
    }
    const uint32_t down = now & ~buttonsHeld_;
    buttonsHeld_ = now;
    for (int b = 1; b < static_cast<int>(TPadButton::Count); ++b)
        if (down & (1u << b)) pressed(static_cast<TPadButton>(b));
}

void TGamepadKeys::Poll(bool foreground, const Changed& changed) {
    Update();
    uint32_t now = 0;
    if (foreground)
        for (const Pad& pad : pads_) now |= Held(pad);
    const uint32_t diff = now ^ held_;
    held_ = now;
    for (int k = 0; k < PadKeyCount; ++k)
        if (diff & (1u << k)) changed(static_cast<TPadKey>(k), (now & (1u << k)) != 0);
}
