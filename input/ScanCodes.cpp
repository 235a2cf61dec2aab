#include "input/ScanCodes.h"

#include "input/DikCodes.h"

#include <array>

namespace {

constexpr uint32_t kX11Offset = 8;

// Linux evdev codes 1 to 83 (Escape to the keypad's decimal point) are the PC's
// set-1 scan codes themselves; the keys past them are listed here.
struct EvdevKey {
    uint16_t evdev;
    uint8_t dik;
};
constexpr std::array<EvdevKey, 35> kEvdevBeyondMainBlock = {{
    {85, DIK_KANJI},       {86, DIK_OEM_102},      {87, DIK_F11},         {88, DIK_F12},
    {89, DIK_ABNT_C1},     {92, DIK_CONVERT},      {93, DIK_KANA},        {94, DIK_NOCONVERT},
    {96, DIK_NUMPADENTER}, {97, DIK_RCONTROL},     {98, DIK_DIVIDE},      {99, DIK_SYSRQ},
    {100, DIK_RMENU},      {102, DIK_HOME},        {103, DIK_UP},         {104, DIK_PRIOR},
    {105, DIK_LEFT},       {106, DIK_RIGHT},       {107, DIK_END},        {108, DIK_DOWN},
    {109, DIK_NEXT},       {110, DIK_INSERT},      {111, DIK_DELETE},     {117, DIK_NUMPADEQUALS},
    {119, DIK_PAUSE},      {121, DIK_NUMPADCOMMA}, {124, DIK_YEN},        {125, DIK_LWIN},
    {126, DIK_RWIN},       {127, DIK_APPS},        {183, 0x64 /* F13 */}, {184, 0x65 /* F14 */},
    {185, 0x66 /* F15 */}, {90, DIK_KANA},         {91, DIK_KANA},
}};

constexpr uint32_t kLastMainBlockEvdev = 83; // KEY_KPDOT

} // namespace

uint8_t DikFromX11ScanCode(uint32_t nativeScanCode) {
    if (nativeScanCode <= kX11Offset) return 0;
    const uint32_t evdev = nativeScanCode - kX11Offset;
    if (evdev <= kLastMainBlockEvdev) return static_cast<uint8_t>(evdev);
    for (const EvdevKey& k : kEvdevBeyondMainBlock)
        if (k.evdev == evdev) return k.dik;
    return 0;
}

uint8_t DikFromWindowsScanCode(uint32_t nativeScanCode) {
    constexpr uint32_t kExtended = 0x100;
    const uint32_t code = nativeScanCode & 0x7F;
    if (code == 0 || (nativeScanCode & ~(kExtended | 0x7Fu)) != 0) return 0;
    // Windows reports Num Lock as extended and Pause as plain 0x45; the key codes
    // have them the other way round.
    if (code == 0x45) return (nativeScanCode & kExtended) ? DIK_NUMLOCK : DIK_PAUSE;
    return static_cast<uint8_t>((nativeScanCode & kExtended) ? (code | 0x80) : code);
}

uint8_t DikFromNativeScanCode(uint32_t nativeScanCode) {
#if defined(_WIN32)
    return DikFromWindowsScanCode(nativeScanCode);
#else
    return DikFromX11ScanCode(nativeScanCode);
#endif
}
