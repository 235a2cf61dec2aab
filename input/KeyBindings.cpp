#include "input/KeyBindings.h"

#include "base/Translate.h"
#include "input/DikCodes.h"

#include <algorithm>
#include <iterator>

namespace {

struct TNamedKey {
    uint8_t Code;
    const char* Name;
};

// The names follow the X keysyms of a US layout, by the key's place.
constexpr TNamedKey KeyNames[] = {
    {DIK_ESCAPE, "Escape"},
    {DIK_1, "1"},
    {DIK_2, "2"},
    {DIK_3, "3"},
    {DIK_4, "4"},
    {DIK_5, "5"},
    {DIK_6, "6"},
    {DIK_7, "7"},
    {DIK_8, "8"},
    {DIK_9, "9"},
    {DIK_0, "0"},
    {DIK_MINUS, "minus"},
    {DIK_EQUALS, "equal"},
    {DIK_BACK, "BackSpace"},
    {DIK_TAB, "Tab"},
    {DIK_Q, "Q"},
    {DIK_W, "W"},
    {DIK_E, "E"},
    {DIK_R, "R"},
    {DIK_T, "T"},
    {DIK_Y, "Y"},
    {DIK_U, "U"},
    {DIK_I, "I"},
    {DIK_O, "O"},
    {DIK_P, "P"},
    {DIK_LBRACKET, "bracketleft"},
    {DIK_RBRACKET, "bracketright"},
    {DIK_RETURN, "Return"},
    {DIK_LCONTROL, "Control_L"},
    {DIK_A, "A"},
    {DIK_S, "S"},
    {DIK_D, "D"},
    {DIK_F, "F"},
    {DIK_G, "G"},
    {DIK_H, "H"},
    {DIK_J, "J"},
    {DIK_K, "K"},
    {DIK_L, "L"},
    {DIK_SEMICOLON, "semicolon"},
    {DIK_APOSTROPHE, "apostrophe"},
    {DIK_GRAVE, "grave"},
    {DIK_LSHIFT, "Shift_L"},
    {DIK_BACKSLASH, "backslash"},
    {DIK_Z, "Z"},
    {DIK_X, "X"},
    {DIK_C, "C"},
    {DIK_V, "V"},
    {DIK_B, "B"},
    {DIK_N, "N"},
    {DIK_M, "M"},
    {DIK_COMMA, "comma"},
    {DIK_PERIOD, "period"},
    {DIK_SLASH, "slash"},
    {DIK_RSHIFT, "Shift_R"},
    {DIK_MULTIPLY, "KP_Multiply"},
    {DIK_LMENU, "Alt_L"},
    {DIK_SPACE, "Space"},
    {DIK_CAPITAL, "Caps_Lock"},
    {DIK_F1, "F1"},
    {DIK_F2, "F2"},
    {DIK_F3, "F3"},
    {DIK_F4, "F4"},
    {DIK_F5, "F5"},
    {DIK_F6, "F6"},
    {DIK_F7, "F7"},
    {DIK_F8, "F8"},
    {DIK_F9, "F9"},
    {DIK_F10, "F10"},
    {DIK_NUMLOCK, "Num_Lock"},
    {DIK_SCROLL, "Scroll_Lock"},
    {DIK_NUMPAD7, "KP_7"},
    {DIK_NUMPAD8, "KP_8"},
    {DIK_NUMPAD9, "KP_9"},
    {DIK_SUBTRACT, "KP_Subtract"},
    {DIK_NUMPAD4, "KP_4"},
    {DIK_NUMPAD5, "KP_5"},
    {DIK_NUMPAD6, "KP_6"},
    {DIK_ADD, "KP_Add"},
    {DIK_NUMPAD1, "KP_1"},
    {DIK_NUMPAD2, "KP_2"},
    {DIK_NUMPAD3, "KP_3"},
    {DIK_NUMPAD0, "KP_0"},
    {DIK_DECIMAL, "KP_Decimal"},
    {DIK_OEM_102, "less"},
    {DIK_F11, "F11"},
    {DIK_F12, "F12"},
    {DIK_KANA, "Hiragana_Katakana"},
    {DIK_ABNT_C1, "ABNT_C1"},
    {DIK_CONVERT, "Henkan"},
    {DIK_NOCONVERT, "Muhenkan"},
    {DIK_YEN, "yen"},
    {DIK_NUMPADEQUALS, "KP_Equal"},
    {DIK_KANJI, "Zenkaku_Hankaku"},
    {DIK_NUMPADENTER, "KP_Enter"},
    {DIK_RCONTROL, "Control_R"},
    {DIK_NUMPADCOMMA, "KP_Separator"},
    {DIK_DIVIDE, "KP_Divide"},
    {DIK_SYSRQ, "Print"},
    {DIK_RMENU, "Alt_R"},
    {DIK_PAUSE, "Pause"},
    {DIK_HOME, "Home"},
    {DIK_UP, "Up"},
    {DIK_PRIOR, "Prior"},
    {DIK_LEFT, "Left"},
    {DIK_RIGHT, "Right"},
    {DIK_END, "End"},
    {DIK_DOWN, "Down"},
    {DIK_NEXT, "Next"},
    {DIK_INSERT, "Insert"},
    {DIK_DELETE, "Delete"},
    {DIK_LWIN, "Super_L"},
    {DIK_RWIN, "Super_R"},
    {DIK_APPS, "Menu"},
};

constexpr const char* PadNames[] = {"",      "dpup",  "dpdown", "dpleft", "dpright", "south", "east", "west",
                                    "north", "start", "back",   "guide",  "lb",      "rb",    "ls",   "rs"};
static_assert(std::size(PadNames) == static_cast<size_t>(TPadButton::Count));

struct TActionNames {
    const char* Name;
    const char* Caption;
};
constexpr TActionNames ActionNames[ActionCount] = {
    {"Up", TrNoop("上")},
    {"Down", TrNoop("下")},
    {"Left", TrNoop("左")},
    {"Right", TrNoop("右")},
    {"Turn", TrNoop("ハムスター回転")},
    {"Enter", TrNoop("決定")},
    {"Pause", TrNoop("一時停止")},
    {"Mute", TrNoop("消音")},
    {"Fullscreen", TrNoop("全画面表示")},
};

template <class T> bool Holds(const std::array<T, 2>& slots, T value) {
    return value != T{} && (slots[0] == value || slots[1] == value);
}

template <class T> bool Twice(const std::array<T, 2>& slots) {
    return slots[0] != T{} && slots[0] == slots[1];
}

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return "";
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

// Splits "a,b" into at most two names; false for more or for an empty one among several.
template <class T, class FromName>
bool ParseSlots(const std::string& text, std::array<T, 2>& slots, FromName fromName) {
    slots = {};
    const std::string all = Trimmed(text);
    if (all.empty()) return true;
    size_t start = 0;
    for (size_t slot = 0;; ++slot) {
        const size_t comma = all.find(',', start);
        if (slot == 2) return false;
        slots[slot] = fromName(Trimmed(all.substr(start, comma - start)));
        if (slots[slot] == T{}) return false;
        if (comma == std::string::npos) break;
        start = comma + 1;
    }
    return !Twice(slots);
}

} // namespace

TKeyBindings TKeyBindings::Defaults() {
    using P = TPadButton;
    TKeyBindings b;
    b.bindings_ = {{
        {{DIK_UP, DIK_NUMPAD8}, {P::DpadUp, P::None}},
        {{DIK_DOWN, DIK_NUMPAD2}, {P::DpadDown, P::None}},
        {{DIK_LEFT, DIK_NUMPAD4}, {P::DpadLeft, P::None}},
        {{DIK_RIGHT, DIK_NUMPAD6}, {P::DpadRight, P::None}},
        {{DIK_SPACE, 0}, {P::West, P::East}},
        {{DIK_RETURN, DIK_NUMPADENTER}, {P::South, P::Start}},
        {{DIK_P, DIK_PAUSE}, {P::Back, P::None}},
        {{DIK_M, 0}, {P::None, P::None}},
        {{DIK_F11, 0}, {P::None, P::None}},
    }};
    return b;
}

std::optional<TAction> TKeyBindings::ActionOfKey(uint8_t key) const {
    for (int a = 0; a < ActionCount; ++a)
        if (Holds(bindings_[static_cast<size_t>(a)].Keys, key)) return static_cast<TAction>(a);
    return std::nullopt;
}

std::optional<TAction> TKeyBindings::ActionOfPad(TPadButton button) const {
    for (int a = 0; a < ActionCount; ++a)
        if (Holds(bindings_[static_cast<size_t>(a)].Pads, button)) return static_cast<TAction>(a);
    return std::nullopt;
}

std::optional<TAction> TKeyBindings::Set(TAction action, const TBinding& binding) {
    if (Twice(binding.Keys) || Twice(binding.Pads)) return action;
    for (int a = 0; a < ActionCount; ++a) {
        const auto other = static_cast<TAction>(a);
        if (other == action) continue;
        const TBinding& held = Of(other);
        for (int slot = 0; slot < 2; ++slot)
            if (Holds(held.Keys, binding.Keys[static_cast<size_t>(slot)]) ||
                Holds(held.Pads, binding.Pads[static_cast<size_t>(slot)]))
                return other;
    }
    bindings_[static_cast<size_t>(action)] = binding;
    return std::nullopt;
}

std::optional<TAction> TKeyBindings::SetKey(TAction action, int slot, uint8_t key) {
    TBinding b = Of(action);
    const auto s = static_cast<size_t>(slot & 1);
    if (key != 0 && b.Keys[1 - s] == key) b.Keys[1 - s] = 0;
    b.Keys[s] = key;
    return Set(action, b);
}

std::optional<TAction> TKeyBindings::SetPad(TAction action, int slot, TPadButton button) {
    TBinding b = Of(action);
    const auto s = static_cast<size_t>(slot & 1);
    if (button != TPadButton::None && b.Pads[1 - s] == button) b.Pads[1 - s] = TPadButton::None;
    b.Pads[s] = button;
    return Set(action, b);
}

const char* ActionName(TAction action) {
    return ActionNames[static_cast<size_t>(action)].Name;
}

const char* ActionCaption(TAction action) {
    return ActionNames[static_cast<size_t>(action)].Caption;
}

std::optional<TAction> ActionFromName(const std::string& name) {
    for (int a = 0; a < ActionCount; ++a)
        if (name == ActionNames[a].Name) return static_cast<TAction>(a);
    return std::nullopt;
}

std::string KeyName(uint8_t key) {
    for (const TNamedKey& k : KeyNames)
        if (k.Code == key) return k.Name;
    return "";
}

uint8_t KeyFromName(const std::string& name) {
    for (const TNamedKey& k : KeyNames)
        if (name == k.Name) return k.Code;
    return 0;
}

const char* PadButtonName(TPadButton button) {
    const auto i = static_cast<size_t>(button);
    return i < std::size(PadNames) ? PadNames[i] : "";
}

TPadButton PadButtonFromName(const std::string& name) {
    if (name.empty()) return TPadButton::None;
    for (size_t i = 1; i < std::size(PadNames); ++i)
        if (name == PadNames[i]) return static_cast<TPadButton>(i);
    return TPadButton::None;
}

std::string FormatBinding(const TBinding& binding) {
    std::string text;
    for (uint8_t key : binding.Keys)
        if (key != 0) text += (text.empty() ? "" : ",") + KeyName(key);
    std::string pads;
    for (TPadButton pad : binding.Pads)
        if (pad != TPadButton::None) pads += std::string(pads.empty() ? "" : ",") + PadButtonName(pad);
    return pads.empty() ? text : text + ";pad=" + pads;
}

std::optional<TBinding> ParseBinding(const std::string& text) {
    TBinding b;
    const size_t semicolon = text.find(';');
    if (!ParseSlots(text.substr(0, semicolon), b.Keys, KeyFromName)) return std::nullopt;
    if (semicolon == std::string::npos) return b;
    const std::string rest = Trimmed(text.substr(semicolon + 1));
    if (!rest.starts_with("pad")) return std::nullopt;
    const std::string value = Trimmed(rest.substr(3));
    if (value.empty() || value[0] != '=') return std::nullopt;
    if (!ParseSlots(value.substr(1), b.Pads, PadButtonFromName)) return std::nullopt;
    return b;
}
