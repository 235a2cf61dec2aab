#pragma once
// Game controllers as the game's keys, through SDL's game-controller API: the buttons
// of each action in the bindings (by default the d-pad is the arrows, the south button
// and Start are Enter, the west and east buttons are Space, Back pauses) and the left
// stick beyond the dead zone as the arrows. A key is held while any controller holds
// it. Controllers plugged in later are taken in (SDL's controller-added events), and an
// unplugged one lets go of its keys. With no controller support, none is ever found.
#include "input/KeyBindings.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

struct _SDL_GameController;

enum class TPadKey { Up, Down, Left, Right, Enter, Space, Pause, Mute, Fullscreen };
inline constexpr int PadKeyCount = 9;

// The action a pad key plays, and the other way round.
TAction ActionOfPadKey(TPadKey key);
TPadKey PadKeyOfAction(TAction action);

class TGamepadKeys {
public:
    // Starts SDL's game-controller subsystem and opens the controllers attached now.
    TGamepadKeys();
    ~TGamepadKeys();
    TGamepadKeys(const TGamepadKeys&) = delete;
    TGamepadKeys& operator=(const TGamepadKeys&) = delete;

    bool Available() const { return up_; }
    // Percent of full deflection that a stick stays neutral within, as the input
    // component's DeadZone (0: any deflection counts; 100 or more: the stick never does).
    void SetDeadZone(int32_t percent) { deadZone_ = percent; }
    // The buttons of every action (the defaults until set); taken at the next poll.
    void SetBindings(const TKeyBindings& bindings);
    // Takes in plugged and unplugged controllers, reads them and calls `changed` for
    // every key that went down or up since the last poll. Out of the foreground every
    // key is let go (the window has lost the focus).
    using Changed = std::function<void(TPadKey key, bool down)>;
    void Poll(bool foreground, const Changed& changed);
    // The same for the buttons themselves, bindings aside (a dialog's navigation and the
    // capture of a binding): calls `pressed` for every button that went down since the
    // last PollButtons, the left stick counting as the d-pad.
    void PollButtons(bool foreground, const std::function<void(TPadButton)>& pressed);
    size_t Count() const { return pads_.size(); }

private:
    struct Pad {
        _SDL_GameController* controller;
        int32_t instance;
    };
    void Open(int deviceIndex);
    void TakeDeviceEvents();
    void Update();
    uint32_t Stick(const Pad& pad) const;   // one bit per TPadKey, the four movements
    uint32_t Buttons(const Pad& pad) const; // one bit per TPadButton
    uint32_t Held(const Pad& pad) const;

    std::vector<Pad> pads_;
    std::array<std::array<TPadButton, 2>, PadKeyCount> buttons_{};
    uint32_t held_ = 0;        // one bit per TPadKey
    uint32_t buttonsHeld_ = 0; // one bit per TPadButton, for PollButtons
    int32_t deadZone_ = 30;
    bool up_ = false;
};
