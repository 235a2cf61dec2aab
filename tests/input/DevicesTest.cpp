#include "input/DikCodes.h"
#include "input/EventDevices.h"
#include "input/FakeControllers.h"
#include "input/ScanCodes.h"
#include "input/WindowInput.h"

#include <gtest/gtest.h>

namespace {

TEST(ScanCodes, X11KeysTheGameAndItsPlayersUse) {
    struct Key {
        uint32_t x11;
        uint8_t dik;
    };
    const Key keys[] = {
        {111, DIK_UP},      {116, DIK_DOWN},     {113, DIK_LEFT},   {114, DIK_RIGHT},  {80, DIK_NUMPAD8},
        {88, DIK_NUMPAD2},  {83, DIK_NUMPAD4},   {85, DIK_NUMPAD6}, {79, DIK_NUMPAD7}, {81, DIK_NUMPAD9},
        {87, DIK_NUMPAD1},  {89, DIK_NUMPAD3},   {90, DIK_NUMPAD0}, {84, DIK_NUMPAD5}, {104, DIK_NUMPADENTER},
        {36, DIK_RETURN},   {65, DIK_SPACE},     {9, DIK_ESCAPE},   {38, DIK_A},       {52, DIK_Z},
        {54, DIK_C},        {10, DIK_1},         {19, DIK_0},       {50, DIK_LSHIFT},  {62, DIK_RSHIFT},
        {37, DIK_LCONTROL}, {105, DIK_RCONTROL}, {64, DIK_LMENU},   {108, DIK_RMENU},  {67, DIK_F1},
        {76, DIK_F10},      {95, DIK_F11},       {96, DIK_F12},     {110, DIK_HOME},   {119, DIK_DELETE},
        {23, DIK_TAB},      {22, DIK_BACK},      {133, DIK_LWIN},   {127, DIK_PAUSE},  {132, DIK_YEN},
    };
    for (const Key& k : keys) EXPECT_EQ(DikFromX11ScanCode(k.x11), k.dik) << "X11 key code " << k.x11;
}

TEST(ScanCodes, UnknownNativeCodesHaveNoKeyCode) {
    for (const uint32_t code : {0u, 1u, 8u, 92u, 200u, 255u, 256u, 0xFFFFFFFFu})
        EXPECT_EQ(DikFromX11ScanCode(code), 0) << code;
    EXPECT_EQ(DikFromWindowsScanCode(0), 0);
    EXPECT_EQ(DikFromWindowsScanCode(0x248), 0);
}

TEST(ScanCodes, WindowsScanCodesWithTheExtendedBit) {
    EXPECT_EQ(DikFromWindowsScanCode(0x48), DIK_NUMPAD8);
    EXPECT_EQ(DikFromWindowsScanCode(0x148), DIK_UP);
    EXPECT_EQ(DikFromWindowsScanCode(0x14D), DIK_RIGHT);
    EXPECT_EQ(DikFromWindowsScanCode(0x11C), DIK_NUMPADENTER);
    EXPECT_EQ(DikFromWindowsScanCode(0x1C), DIK_RETURN);
    EXPECT_EQ(DikFromWindowsScanCode(0x145), DIK_NUMLOCK);
    EXPECT_EQ(DikFromWindowsScanCode(0x45), DIK_PAUSE);
}

TEST(KeyboardDevice, NativeEventsHoldAndReleaseKeys) {
    KeyboardDevice keyboard;
    keyboard.KeyDown(111); // the X11 up arrow
    EXPECT_TRUE(keyboard.IsDown(DIK_UP));
    keyboard.KeyCodeDown(DIK_A);
    keyboard.KeyDown(3); // no key code: ignored
    keyboard.KeyCodeDown(0);
    EXPECT_FALSE(keyboard.IsDown(0));
    keyboard.KeyCodeUp(DIK_A);
    EXPECT_FALSE(keyboard.IsDown(DIK_A));
    keyboard.KeyUp(111);
    EXPECT_FALSE(keyboard.IsDown(DIK_UP));
}

// A game controller's arrows press the same keys as the keyboard: a key stays down
// while either of them holds it, whichever lets go first.
TEST(KeyboardDevice, AKeyIsHeldWhileTheKeyboardOrAPadHoldsIt) {
    KeyboardDevice keyboard;
    keyboard.KeyDown(111); // the X11 up arrow
    keyboard.PadKeyDown(DIK_UP);
    keyboard.PadKeyUp(DIK_UP);
    EXPECT_TRUE(keyboard.IsDown(DIK_UP)) << "the keyboard still holds it";
    keyboard.KeyUp(111);
    EXPECT_FALSE(keyboard.IsDown(DIK_UP));
    keyboard.PadKeyDown(DIK_LEFT);
    keyboard.KeyCodeDown(DIK_LEFT);
    keyboard.KeyCodeUp(DIK_LEFT);
    EXPECT_TRUE(keyboard.IsDown(DIK_LEFT)) << "the pad still holds it";
    EXPECT_EQ(keyboard.Keys()[DIK_LEFT], 0x80);
    keyboard.PadKeyUp(DIK_LEFT);
    EXPECT_FALSE(keyboard.IsDown(DIK_LEFT));
    keyboard.PadKeyDown(0);
    EXPECT_FALSE(keyboard.IsDown(0));
    // Losing the focus lets go of both.
    keyboard.KeyCodeDown(DIK_DOWN);
    keyboard.PadKeyDown(DIK_DOWN);
    keyboard.FocusChanged(false);
    keyboard.FocusChanged(true);
    EXPECT_FALSE(keyboard.IsDown(DIK_DOWN));
    keyboard.KeyCodeDown(DIK_DOWN);
    keyboard.KeyCodeUp(DIK_DOWN);
    EXPECT_FALSE(keyboard.IsDown(DIK_DOWN)) << "no pad hold survived the focus loss";
}

TEST(KeyboardDevice, ReadsNeedTheRightFormatAndAnAcquisition) {
    KeyboardDevice keyboard;
    auto device = keyboard.CreateDevice();
    uint8_t keys[256];
    EXPECT_EQ(device->Acquire(), DIERR_INVALIDPARAM) << "no data format yet";
    EXPECT_EQ(device->SetDataFormat(TDataFormat::Mouse), DIERR_INVALIDPARAM);
    ASSERT_EQ(device->SetDataFormat(TDataFormat::Keyboard), DI_OK);
    EXPECT_EQ(device->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    for (const uint32_t bad : {0u, DISCL_EXCLUSIVE, DISCL_FOREGROUND | DISCL_BACKGROUND | DISCL_EXCLUSIVE,
                               DISCL_NONEXCLUSIVE | DISCL_FOREGROUND | 0x10u})
        EXPECT_EQ(device->SetCooperativeLevel(bad), DIERR_INVALIDPARAM) << bad;
    ASSERT_EQ(device->SetCooperativeLevel(DISCL_NONEXCLUSIVE | DISCL_FOREGROUND), DI_OK);
    ASSERT_EQ(device->Acquire(), DI_OK);
    EXPECT_EQ(device->GetDeviceState(255, keys), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->GetDeviceState(256, nullptr), DIERR_INVALIDPARAM);
    keyboard.KeyCodeDown(DIK_SPACE);
    ASSERT_EQ(device->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_SPACE], 0x80);
    EXPECT_EQ(keys[DIK_UP], 0);

    keyboard.FocusChanged(false);
    EXPECT_EQ(device->GetDeviceState(256, keys), DIERR_INPUTLOST);
    EXPECT_EQ(device->GetDeviceState(256, keys), DIERR_NOTACQUIRED);
    EXPECT_EQ(device->Acquire(), DIERR_OTHERAPPHASPRIO);
    keyboard.FocusChanged(true);
    ASSERT_EQ(device->Acquire(), DI_OK);
    ASSERT_EQ(device->GetDeviceState(256, keys), DI_OK);
    EXPECT_EQ(keys[DIK_SPACE], 0) << "released with the focus";
}

TEST(MouseDevice, MotionIsRelativeAndButtonsAreHeld) {
    MouseDevice mouse;
    mouse.MovedTo(100, 100); // only the reference point
    mouse.MovedTo(110, 95);
    mouse.Wheel(-240);
    mouse.ButtonDown(7);
    mouse.ButtonDown(8); // no such button
    mouse.ButtonDown(-1);
    TDIMouseState s = mouse.TakeState();
    EXPECT_EQ(s.lX, 10);
    EXPECT_EQ(s.lY, -5);
    EXPECT_EQ(s.lZ, -240);
    EXPECT_EQ(s.rgbButtons[7], 0x80);
    s = mouse.TakeState();
    EXPECT_EQ(s.lX, 0);
    EXPECT_EQ(s.rgbButtons[7], 0x80);

    mouse.Moved(INT32_MAX, INT32_MIN); // never read for a long time: saturates
    mouse.Moved(INT32_MAX, INT32_MIN);
    s = mouse.TakeState();
    EXPECT_EQ(s.lX, INT32_MAX);
    EXPECT_EQ(s.lY, INT32_MIN);
    mouse.MovedTo(INT32_MIN, INT32_MAX); // from (110, 95)
    s = mouse.TakeState();
    EXPECT_EQ(s.lX, INT32_MIN);
    EXPECT_EQ(s.lY, INT32_MAX - 95);

    mouse.Moved(3, 3);
    mouse.FocusChanged(false);
    s = mouse.TakeState();
    EXPECT_EQ(s.lX, 0);
    EXPECT_EQ(s.rgbButtons[7], 0) << "released with the focus";
    mouse.MovedTo(5, 5); // a new reference point after the focus change
    EXPECT_EQ(mouse.TakeState().lX, 0);
}

TEST(ControllerDevice, RangeMapsTheAxesLinearly) {
    auto list = std::make_unique<FakeControllers>();
    FakeControllers& fake = *list;
    fake.Add("Pad", false);
    WindowInput platform(std::move(list));
    std::unique_ptr<IInputSystem> system;
    ASSERT_EQ(platform.CreateInputSystem(system), DI_OK);
    std::unique_ptr<IInputDevice> device;
    ASSERT_EQ(system->CreateDevice(TDeviceKind::GameController, 12345, device), DIERR_DEVICENOTREG);
    ASSERT_EQ(system->CreateDevice(TDeviceKind::GameController, fake.Attached()[0].instance, device), DI_OK);
    ASSERT_EQ(device->SetDataFormat(TDataFormat::Joystick), DI_OK);
    EXPECT_EQ(device->SetRange(DIJOFS_X, 0, 1000), DI_OK);
    EXPECT_EQ(device->SetRange(2, 0, 10), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetRange(32, 0, 10), DIERR_INVALIDPARAM);
    EXPECT_EQ(device->SetRange(DIJOFS_Y, 10, 0), DIERR_INVALIDPARAM);
    ASSERT_EQ(device->Acquire(), DI_OK);

    TDIJoyState in;
    in.lX = 32767;
    in.lY = -32768;
    fake.SetState(0, in);
    TDIJoyState out;
    ASSERT_EQ(device->GetDeviceState(sizeof out, &out), DI_OK);
    EXPECT_EQ(out.lX, 1000);
    EXPECT_EQ(out.lY, -32768) << "other axes keep the full range";
    in.lX = -32768;
    fake.SetState(0, in);
    ASSERT_EQ(device->GetDeviceState(sizeof out, &out), DI_OK);
    EXPECT_EQ(out.lX, 0);
    EXPECT_EQ(device->GetDeviceState(20, &out), DIERR_INVALIDPARAM);
}

} // namespace
