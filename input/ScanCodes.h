#pragma once
// From the native scan codes of the window's key events to the input layer's key
// codes (DikCodes.h). 0 means the key has no code and is ignored.
#include <cstdint>

// X11 key codes as the xcb window reports them: the Linux evdev code plus 8.
uint8_t DikFromX11ScanCode(uint32_t nativeScanCode);
// Windows scan codes as the window reports them: the set-1 code with bit 8 set for
// the extended keys.
uint8_t DikFromWindowsScanCode(uint32_t nativeScanCode);
// The one that fits the platform this program is built for.
uint8_t DikFromNativeScanCode(uint32_t nativeScanCode);
