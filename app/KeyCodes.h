#pragma once
// Key codes from Qt's key events: the window key code the game's key-down handler
// takes, and the input layer's key code when the native scan code says nothing (the
// offscreen and other platforms without X11 scan codes).
#include <cstdint>

class QKeyEvent;

// Qt::Key (and keypad flag) -> the Windows virtual key code; 0 for keys without one.
uint16_t VirtualKeyFromQt(int key, bool keypad);
// Qt::Key (and keypad flag) -> the DIK code of the movement keys; 0 for other keys.
uint8_t DikFromQtKey(int key, bool keypad);
// The input layer's key code of a key event: from its native scan code (the key's
// place), else from its Qt key; 0 for a key without one.
uint8_t DikOfKeyEvent(const QKeyEvent& event);
