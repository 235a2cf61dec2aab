#include "input/Ddidex.h"

#include "base/DebugLog.h"
#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Translate.h"
#include "input/DikCodes.h"

#include <algorithm>
#include <cstring>

namespace {

// Shared by every component of the layer: the flags of the last DebugOption set and
// the debug log with its line count for this run.
struct LayerLog {
    bool haltOnError = false;
    bool debugMessage = false;
    bool exceptOnError = false;
    int32_t lines = 0;
    TDebugLogFile file{""};
    bool folderSet = false;
};
LayerLog& Log() {
    static LayerLog log;
    return log;
}

constexpr const char* kLogName = "ddid.debug";
constexpr int32_t kAxisMin = -32768;
constexpr int32_t kAxisMax = 32767;
constexpr int32_t kDirectionValue = 32767;

bool IsDown(uint8_t b) {
    return b >= 0x80;
}

// One controller axis through the dead zone: values inside it read 0, the rest is
// stretched so that full deflection stays full deflection. Worked in 64 bits so that
// no dead zone setting can overflow, and kept within the axis range.
int32_t ApplyDeadZone(int32_t v, int32_t deadZone) {
    if (deadZone == 0) return v;
    const int64_t lower = static_cast<int64_t>(deadZone) * kAxisMin / 100;
    const int64_t upper = static_cast<int64_t>(deadZone) * kAxisMax / 100;
    if ((lower <= v && v <= upper) || deadZone >= 100) return 0;
    const int64_t edge = v < 0 ? lower : upper;
    const int64_t out = (v - edge) * 100 / (100 - static_cast<int64_t>(deadZone));
    return static_cast<int32_t>(std::clamp<int64_t>(out, kAxisMin, kAxisMax));
}

} // namespace

TDDIDEX::TDDIDEX(IInputBackend& backend) : backend_(backend) {
    SetDebugOption(dioHaltOnError);
}

TDDIDEX::~TDDIDEX() {
    ReleaseDevices();
}

void TDDIDEX::SetDebugOption(TDDIDDebugOptions options) {
    debugOption_ = options;
    Log().haltOnError = options.Contains(dioHaltOnError);
    Log().debugMessage = options.Contains(dioDebugMessage);
    Log().exceptOnError = options.Contains(dioExceptOnError);
}

void TDDIDEX::Loaded() {
    SetDebugOption(debugOption_);
    if (autoInitialize_) Initialize();
}

void TDDIDEX::ReleaseDevices() {
    if (keyboard_) keyboard_->Unacquire();
    keyboard_.reset();
    if (mouse_) mouse_->Unacquire();
    mouse_.reset();
    for (int32_t j = 0; j < joystickCount_; ++j) {
        if (joysticks_[j]) joysticks_[j]->Unacquire();
        joysticks_[j].reset();
    }
    system_.reset();
}

void TDDIDEX::SetDefaultKeyAssign() {
    std::memset(keyAssign_, 0, sizeof keyAssign_);
    const uint8_t set0[] = {DIK_Z, DIK_X, DIK_C, DIK_A, DIK_S, DIK_D, DIK_1, DIK_2,
                            DIK_3, DIK_4, DIK_5, DIK_6, DIK_7, DIK_8, DIK_9, DIK_0};
    for (size_t i = 0; i < sizeof set0; ++i) keyAssign_[0][i] = set0[i];
    const uint8_t set0Directions[] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
    for (size_t i = 0; i < sizeof set0Directions; ++i) keyAssign_[0][kDirectionUp + i] = set0Directions[i];
    keyAssign_[1][0] = DIK_SPACE;
    keyAssign_[1][1] = DIK_ESCAPE;
    const uint8_t set1Directions[] = {DIK_NUMPAD8, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6,
                                      DIK_NUMPAD7, DIK_NUMPAD9, DIK_NUMPAD1, DIK_NUMPAD3};
    for (size_t i = 0; i < sizeof set1Directions; ++i) keyAssign_[1][kDirectionUp + i] = set1Directions[i];
}

void TDDIDEX::CreateSystemDevice(TDeviceKind kind, std::unique_ptr<IInputDevice>& device,
                                 const char* createMessage, const char* formatMessage) {
    int32_t rc = system_->CreateDevice(kind, 0, device);
    if (rc == DI_OK && !device) rc = DIERR_DEVICENOTREG;
    if (CheckResult(rc, createMessage) != DI_OK) {
        device.reset();
        return;
    }
    const TDataFormat format = kind == TDeviceKind::SysKeyboard ? TDataFormat::Keyboard : TDataFormat::Mouse;
    CheckResult(device->SetDataFormat(format), formatMessage);
    CheckResult(device->SetCooperativeLevel(DISCL_NONEXCLUSIVE | CooperativeWhen()),
                TrNoop("DirectInputDeviceの協調レベルの設定に失敗しました"));
}

void TDDIDEX::Initialize() {
    ReleaseDevices();
    SetDefaultKeyAssign();

    int32_t rc = backend_.CreateInputSystem(system_);
    if (rc == DI_OK && !system_) rc = DIERR_NOTINITIALIZED;
    if (CheckResult(rc, TrNoop("DirectInputの作成に失敗しました")) != DI_OK) system_.reset();

    if (system_) {
        CreateSystemDevice(TDeviceKind::SysKeyboard, keyboard_,
                           TrNoop("DirectInputDevice(キーボード)の作成に失敗しました"),
                           TrNoop("DirectInputDeviceのデータフォーマット(キーボード)の指定に失敗しました"));
        CreateSystemDevice(TDeviceKind::SysMouse, mouse_,
                           TrNoop("DirectInputDevice(マウス)の作成に失敗しました"),
                           TrNoop("DirectInputDeviceのデータフォーマット(マウス)の指定に失敗しました"));
    }

    forceFeedback_.fill(0);
    joystickNames_.clear();
    joystickCount_ = 0;

    if (system_) {
        // Force-feedback controllers first, so that the second pass can recognise them.
        for (const bool forceFeedbackPass : {true, false})
            system_->EnumGameControllers(forceFeedbackPass,
                                         [this, forceFeedbackPass](const TControllerInstance& c) {
                                             AddJoystick(c, forceFeedbackPass);
                                         });
    }

    if (keyboard_) keyboard_->Acquire();
    if (mouse_) mouse_->Acquire();
}

void TDDIDEX::AddJoystick(const TControllerInstance& controller, bool forceFeedbackPass) {
    if (!forceFeedbackPass) {
        for (int32_t j = 0; j < joystickCount_; ++j)
            if (forceFeedback_[kFirstJoystick + j] == 1 && joystickNames_[j] == controller.productName)
                return;
    }
    // The table holds 16 controllers; any further one is left out.
    if (joystickCount_ >= kMaxJoysticks) return;

    std::unique_ptr<IInputDevice> device;
    if (system_->CreateDevice(TDeviceKind::GameController, controller.instance, device) != DI_OK || !device)
        return;
    CheckResult(device->SetDataFormat(TDataFormat::Joystick),
                TrNoop("DirectInputDeviceのデータフォーマット(ジョイスティック)の指定に失敗しました"));
    if (device->SetCooperativeLevel(DISCL_EXCLUSIVE | CooperativeWhen()) != DI_OK)
        CheckResult(device->SetCooperativeLevel(DISCL_NONEXCLUSIVE | CooperativeWhen()),
                    TrNoop("DirectInputDeviceの協調レベルの設定に失敗しました"));
    for (const int32_t offset :
         {DIJOFS_X, DIJOFS_Y, DIJOFS_Z, DIJOFS_RX, DIJOFS_RY, DIJOFS_RZ, DIJOFS_SLIDER0, DIJOFS_SLIDER1})
        device->SetRange(offset, kAxisMin, kAxisMax);

    joystickNames_.push_back(controller.productName);
    device->Acquire();
    forceFeedback_[kFirstJoystick + joystickCount_] = forceFeedbackPass ? 1 : 0;
    joysticks_[joystickCount_] = std::move(device);
    ++joystickCount_;
}

bool TDDIDEX::UpdateEx(bool accumulate, int32_t deviceIndex) {
    // Cleared before the read, so that a failed read leaves no button down.
    if (!accumulate) state_ = TDIJoyState{};
    if (deviceIndex == kKeyboard) return ReadKeyboard(accumulate);
    if (deviceIndex == kMouse) return ReadMouse();
    if (deviceIndex < kFirstJoystick) return false;
    return ReadJoystick(accumulate, deviceIndex - kFirstJoystick);
}

bool TDDIDEX::ReadKeyboard(bool accumulate) {
    (void)accumulate; // the keyboard always combines its buttons with State
    if (!keyboard_) return false;
    if (keyboard_->GetDeviceState(256, keyboardState_.data()) != DI_OK) {
        keyboard_->Acquire();
        if (keyboard_->GetDeviceState(256, keyboardState_.data()) != DI_OK) return false;
    }
    keyboardState_[0] = 0; // code 0 stands for no key
    const auto key = [this](int32_t set, int32_t entry) {
        return keyboardState_[static_cast<uint8_t>(keyAssign_[set][entry])];
    };
    for (int32_t i = 0; i < kButtons; ++i) state_.rgbButtons[i] |= key(0, i) | key(1, i);

    bool pressed[8];
    for (int32_t d = 0; d < 8; ++d) pressed[d] = IsDown(key(0, kDirectionUp + d) | key(1, kDirectionUp + d));
    enum { Up, Down, Left, Right, UpLeft, UpRight, DownLeft, DownRight };
    int32_t vertical = 0;
    if (pressed[Up] || pressed[UpLeft] || pressed[UpRight]) vertical -= kDirectionValue;
    if (pressed[Down] || pressed[DownLeft] || pressed[DownRight]) vertical += kDirectionValue;
    int32_t horizontal = 0;
    if (pressed[Left] || pressed[UpLeft] || pressed[DownLeft]) horizontal -= kDirectionValue;
    if (pressed[Right] || pressed[UpRight] || pressed[DownRight]) horizontal += kDirectionValue;
    state_.lX |= horizontal;
    state_.lY |= vertical;
    return true;
}

bool TDDIDEX::ReadMouse() {
    if (!mouse_) return false;
    TDIMouseState mouse;
    if (mouse_->GetDeviceState(sizeof mouse, &mouse) != DI_OK) {
        mouse_->Acquire();
        return false;
    }
    state_.lX = mouse.lX;
    state_.lY = mouse.lY;
    state_.lZ = mouse.lZ;
    for (int i = 0; i < 8; ++i) state_.rgbButtons[i] |= mouse.rgbButtons[i];
    return true;
}

bool TDDIDEX::ReadJoystick(bool accumulate, int32_t joystick) {
    if (joystick >= joystickCount_ || !joysticks_[joystick]) return false;
    IInputDevice& device = *joysticks_[joystick];
    device.Poll();
    TDIJoyState read;
    if (device.GetDeviceState(sizeof read, &read) != DI_OK) {
        device.Acquire();
        return false;
    }
    for (int i = 0; i < kJoyAxes; ++i) JoyAxis(read, i) = ApplyDeadZone(JoyAxis(read, i), deadZone_);
    if (!accumulate) {
        state_ = read;
        return true;
    }
    for (int i = 0; i < kJoyAxes; ++i) JoyAxis(state_, i) |= JoyAxis(read, i);
    for (int i = 0; i < 4; ++i) state_.rgdwPOV[i] |= read.rgdwPOV[i];
    for (int i = 0; i < kButtons; ++i) state_.rgbButtons[i] |= read.rgbButtons[i];
    return true;
}

bool TDDIDEX::Button(int32_t index) const {
    if (index < 0 || index >= kButtons) return false;
    return IsDown(state_.rgbButtons[index]);
}

int32_t TDDIDEX::KeyAssign(int32_t set, int32_t index) const {
    if (set < 0 || set >= kKeySets || index < 0 || index >= kKeyEntries) return 0;
    return keyAssign_[set][index];
}

void TDDIDEX::SetKeyAssign(int32_t set, int32_t index, int32_t key) {
    if (set < 0 || set >= kKeySets || index < 0 || index >= kKeyEntries || key < 0 || key > 255)
        throw EDDID(Format(Tr("KeyAssignの指定が範囲外です(Set=%d, Index=%d, Key=%d)"), set, index, key));
    keyAssign_[set][index] = key;
}

bool TDDIDEX::ForceFeedback(int32_t deviceIndex) const {
    if (deviceIndex < 0 || deviceIndex >= static_cast<int32_t>(forceFeedback_.size())) return false;
    return forceFeedback_[deviceIndex] == 1;
}

void TDDIDEX::SetDebugLogFolder(const std::string& folder) {
    LayerLog& log = Log();
    log.file.SetPath(folder + kLogName);
    log.file.Restart();
    log.folderSet = true;
    log.lines = 0;
}

void TDDIDEX::WriteDebugLog(const std::string& message) {
    LayerLog& log = Log();
    if (log.debugMessage) {
        if (!log.folderSet) SetDebugLogFolder(ExeDir());
        ++log.lines;
        if (!log.file.WriteLine(Format("debug#%.5d ... %s", log.lines, message.c_str())))
            throw EWriteError(Format(Tr("デバッグログを書き込めません: %s"), log.file.Path().c_str()));
    }
    if (log.exceptOnError) throw EDDID(message);
}

int32_t TDDIDEX::CheckResult(int32_t code, const std::string& message) {
    if (code == DI_OK) return DI_OK;
    const std::string text =
        Format(Tr("%s(Error Code(%X))"), Tr(message).c_str(), static_cast<unsigned>(code));
    WriteDebugLog(text);
    if (Log().haltOnError) HaltProgram(text);
    return code;
}
