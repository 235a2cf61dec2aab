#pragma once
// The input component: the keyboard, the mouse and the game controllers folded into
// one controller-shaped state whose 32 buttons and 8 directions the keyboard reaches
// through a two-set key assignment table.
//
//   TDDIDEX input(backend);         // properties at their defaults
//   input.SetDebugOption(dioHaltOnError);
//   input.Loaded();                 // opens the devices (AutoInitialize)
//   input.SetKeyAssign(0, 0, DIK_UP);
//   input.Update(0);                // read the keyboard
//   if (input.Button(0)) ...
#include "base/Exception.h"
#include "input/InputDevices.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class EDDID : public Exception {
public:
    using Exception::Exception;
};

// Bit numbers of the debug options.
enum TDDIDDebugOption : uint8_t { dioHaltOnError = 0, dioDebugMessage = 1, dioExceptOnError = 2 };

// A set of debug options, one bit per option.
class TDDIDDebugOptions {
public:
    constexpr TDDIDDebugOptions() = default;
    constexpr TDDIDDebugOptions(TDDIDDebugOption o) : bits_(static_cast<uint8_t>(1u << o)) {}
    static constexpr TDDIDDebugOptions FromBits(uint8_t bits) {
        TDDIDDebugOptions s;
        s.bits_ = bits;
        return s;
    }
    constexpr bool Contains(TDDIDDebugOption o) const { return (bits_ >> o) & 1u; }
    constexpr uint8_t Bits() const { return bits_; }
    constexpr TDDIDDebugOptions operator|(TDDIDDebugOptions o) const { return FromBits(bits_ | o.bits_); }
    constexpr bool operator==(const TDDIDDebugOptions&) const = default;

private:
    uint8_t bits_ = 0;
};
constexpr TDDIDDebugOptions operator|(TDDIDDebugOption a, TDDIDDebugOption b) {
    return TDDIDDebugOptions(a) | TDDIDDebugOptions(b);
}

class TDDIDEX {
public:
    static constexpr int32_t kMaxJoysticks = 16;
    static constexpr int32_t kKeySets = 2;
    static constexpr int32_t kKeyEntries = 40; // 32 buttons, then 8 directions
    static constexpr int32_t kButtons = 32;
    // Direction entries: up, down, left, right, up-left, up-right, down-left, down-right.
    static constexpr int32_t kDirectionUp = 32;
    // Device indices for Update: 0 keyboard, 1 mouse, 2 + j game controller j.
    static constexpr int32_t kKeyboard = 0;
    static constexpr int32_t kMouse = 1;
    static constexpr int32_t kFirstJoystick = 2;

    // backend makes the input system on every Initialize and must outlive the component.
    explicit TDDIDEX(IInputBackend& backend);
    ~TDDIDEX();
    TDDIDEX(const TDDIDEX&) = delete;
    TDDIDEX& operator=(const TDDIDEX&) = delete;

    TDDIDDebugOptions DebugOption() const { return debugOption_; }
    void SetDebugOption(TDDIDDebugOptions options);
    int32_t DeadZone() const { return deadZone_; } // percent
    void SetDeadZone(int32_t percent) { deadZone_ = percent; }
    bool AutoInitialize() const { return autoInitialize_; }
    void SetAutoInitialize(bool v) { autoInitialize_ = v; }
    bool BackGround() const { return backGround_; }
    void SetBackGround(bool v) { backGround_ = v; }

    // The stored properties are in place: re-applies DebugOption, then initialises
    // when AutoInitialize is set.
    void Loaded();
    // (Re)opens every device and restores the default key assignment.
    void Initialize();

    // Reads one device into State (cleared first); true when the read succeeded.
    bool Update(int32_t deviceIndex) { return UpdateEx(false, deviceIndex); }
    // With accumulate the device's values are combined with State instead.
    bool UpdateEx(bool accumulate, int32_t deviceIndex);

    // Button byte index of State is 0x80 or more; false for an index outside 0..31.
    bool Button(int32_t index) const;
    // Key code of entry index (0..39) of set (0 or 1); 0 outside the table.
    int32_t KeyAssign(int32_t set, int32_t index) const;
    // Raises EDDID, changing nothing, for a set, index or key code (0..255) out of range.
    void SetKeyAssign(int32_t set, int32_t index, int32_t key);

    const TDIJoyState& State() const { return state_; }
    int32_t JoystickCount() const { return joystickCount_; }
    const std::vector<std::string>& JoystickNames() const { return joystickNames_; }
    // True for a controller found among the force-feedback controllers (device index).
    bool ForceFeedback(int32_t deviceIndex) const;
    const std::array<uint8_t, 256>& KeyboardState() const { return keyboardState_; }

    // The layer's error reporting, shared by every component of the layer.
    static void WriteDebugLog(const std::string& message);
    // A failed call's message (marked with TrNoop where it is written) is logged and shown
    // in the player's language.
    static int32_t CheckResult(int32_t code, const std::string& message);
    // The folder of "ddid.debug" (the program's folder unless set); setting it starts
    // the log afresh with line 1.
    static void SetDebugLogFolder(const std::string& folder);

private:
    void ReleaseDevices();
    void SetDefaultKeyAssign();
    void CreateSystemDevice(TDeviceKind kind, std::unique_ptr<IInputDevice>& device,
                            const char* createMessage, const char* formatMessage);
    void AddJoystick(const TControllerInstance& controller, bool forceFeedbackPass);
    uint32_t CooperativeWhen() const { return backGround_ ? DISCL_BACKGROUND : DISCL_FOREGROUND; }
    bool ReadKeyboard(bool accumulate);
    bool ReadMouse();
    bool ReadJoystick(bool accumulate, int32_t joystick);

    IInputBackend& backend_;
    TDDIDDebugOptions debugOption_;
    int32_t deadZone_ = 30;
    bool autoInitialize_ = true;
    bool backGround_ = false;

    std::unique_ptr<IInputSystem> system_;
    std::unique_ptr<IInputDevice> keyboard_;
    std::unique_ptr<IInputDevice> mouse_;
    std::array<std::unique_ptr<IInputDevice>, kMaxJoysticks> joysticks_;
    int32_t joystickCount_ = 0;
    std::vector<std::string> joystickNames_;
    int32_t keyAssign_[kKeySets][kKeyEntries] = {};
    TDIJoyState state_;
    std::array<uint8_t, kFirstJoystick + kMaxJoysticks> forceFeedback_{};
    std::array<uint8_t, 256> keyboardState_{};
};
