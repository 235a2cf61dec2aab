#pragma once
// The virtual key codes of the keys the game takes as key presses (Enter starts or goes
// on, Space turns the hamster), as the window and the game controllers hand them to the
// form. The arrows are read as held keys instead (DikCodes.h).
#include <cstdint>

constexpr uint16_t VK_RETURN = 13;
constexpr uint16_t VK_SPACE = 32;
