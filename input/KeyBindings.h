#pragma once
// Which keys and pad buttons play which action. Keys are the input layer's key codes
// (DikCodes.h), that is physical positions: a French or German layout plays the same
// places. Every action holds up to two keys and up to two pad buttons; no key and no
// button belongs to two actions. The left stick always moves as the four arrows do.
//
// The defaults are the game's fixed keys: the arrows and the keypad's 8 2 4 6 move,
// Space turns the hamster, Enter (and the keypad's Enter) confirms; P and Pause pause,
// M mutes, F11 toggles fullscreen (the window's own Alt+Enter is not in the table). On a
// pad the d-pad moves, west and east turn, south and Start confirm, Back pauses and
// nothing mutes or toggles fullscreen.
#include <array>
#include <cstdint>
#include <optional>
#include <string>

enum class TAction { Up, Down, Left, Right, Turn, Confirm, Pause, Mute, Fullscreen };
inline constexpr int ActionCount = 9;

// The pad's buttons by their place (SDL's game-controller layout).
enum class TPadButton : uint8_t {
    None,
    DpadUp,
    DpadDown,
    DpadLeft,
    DpadRight,
    South,
    East,
    West,
    North,
    Start,
    Back,
    Guide,
    LeftShoulder,
    RightShoulder,
    LeftStick,
    RightStick,
    Count
};

struct TBinding {
    std::array<uint8_t, 2> Keys{};    // 0: none
    std::array<TPadButton, 2> Pads{}; // None: none
    bool operator==(const TBinding&) const = default;
};

class TKeyBindings {
public:
    static TKeyBindings Defaults();

    const TBinding& Of(TAction action) const { return bindings_[static_cast<size_t>(action)]; }
    // The action a key or a button plays; none for a free one (and for 0 or None).
    std::optional<TAction> ActionOfKey(uint8_t key) const;
    std::optional<TAction> ActionOfPad(TPadButton button) const;

    // Puts a key (0 clears the slot) or a button in slot 0 or 1 of an action. A key or a
    // button that another action holds is refused: nothing changes and that action is
    // returned. Taking one the action already holds in its other slot moves it.
    std::optional<TAction> SetKey(TAction action, int slot, uint8_t key);
    std::optional<TAction> SetPad(TAction action, int slot, TPadButton button);
    // Sets a whole binding; refused (returning the holder) when one of its keys or
    // buttons belongs to another action or it names one twice.
    std::optional<TAction> Set(TAction action, const TBinding& binding);

    bool operator==(const TKeyBindings&) const = default;

private:
    std::array<TBinding, ActionCount> bindings_{};
};

// The action's name in the settings file ("Up", "Turn", "Enter", ...) and on screen ("上").
const char* ActionName(TAction action);
const char* ActionCaption(TAction action);
std::optional<TAction> ActionFromName(const std::string& name);

// A key's name in the settings file and the dialog ("Up", "KP_8", "A", "Space"); empty
// for a code without a name. KeyFromName gives 0 for a name it does not know.
std::string KeyName(uint8_t key);
uint8_t KeyFromName(const std::string& name);

// A pad button's name ("dpup", "south", "start"); PadButtonFromName gives None for an
// unknown name.
const char* PadButtonName(TPadButton button);
TPadButton PadButtonFromName(const std::string& name);

// One binding as a line of the settings file, "Up,KP_8;pad=dpup", and back. Parsing
// fails (none) for an unknown name, more than two keys or buttons, or one named twice;
// an empty text is a binding with nothing.
std::string FormatBinding(const TBinding& binding);
std::optional<TBinding> ParseBinding(const std::string& text);
