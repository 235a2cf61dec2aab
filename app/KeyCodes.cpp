#include "app/KeyCodes.h"

#include "input/DikCodes.h"
#include "input/ScanCodes.h"

#include <QKeyEvent>
#include <Qt>

uint16_t VirtualKeyFromQt(int key, bool keypad) {
    if (key >= Qt::Key_A && key <= Qt::Key_Z) return static_cast<uint16_t>(key); // 'A'..'Z'
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return static_cast<uint16_t>(keypad ? 0x60 + (key - Qt::Key_0) : key); // VK_NUMPAD0.. or '0'..
    if (key >= Qt::Key_F1 && key <= Qt::Key_F12) return static_cast<uint16_t>(0x70 + (key - Qt::Key_F1));
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return 13;
    case Qt::Key_Space:
        return 32;
    case Qt::Key_Escape:
        return 27;
    case Qt::Key_Tab:
        return 9;
    case Qt::Key_Backspace:
        return 8;
    case Qt::Key_Left:
        return keypad ? 0x64 : 0x25;
    case Qt::Key_Up:
        return keypad ? 0x68 : 0x26;
    case Qt::Key_Right:
        return keypad ? 0x66 : 0x27;
    case Qt::Key_Down:
        return keypad ? 0x62 : 0x28;
    case Qt::Key_Shift:
        return 0x10;
    case Qt::Key_Control:
        return 0x11;
    case Qt::Key_Alt:
        return 0x12;
    default:
        return 0;
    }
}

uint8_t DikFromQtKey(int key, bool keypad) {
    switch (key) {
    case Qt::Key_Up:
        return keypad ? DIK_NUMPAD8 : DIK_UP;
    case Qt::Key_Down:
        return keypad ? DIK_NUMPAD2 : DIK_DOWN;
    case Qt::Key_Left:
        return keypad ? DIK_NUMPAD4 : DIK_LEFT;
    case Qt::Key_Right:
        return keypad ? DIK_NUMPAD6 : DIK_RIGHT;
    case Qt::Key_8:
        return keypad ? DIK_NUMPAD8 : 0;
    case Qt::Key_2:
        return keypad ? DIK_NUMPAD2 : 0;
    case Qt::Key_4:
        return keypad ? DIK_NUMPAD4 : 0;
    case Qt::Key_6:
        return keypad ? DIK_NUMPAD6 : 0;
    default:
        return 0;
    }
}

uint8_t DikOfKeyEvent(const QKeyEvent& event) {
    const uint8_t fromScan = DikFromNativeScanCode(event.nativeScanCode());
    return fromScan ? fromScan : DikFromQtKey(event.key(), (event.modifiers() & Qt::KeypadModifier) != 0);
}
