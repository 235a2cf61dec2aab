#pragma once
// TBoardObject: one 28-byte record for the hamster, the food and each cat. Its byte
// layout is part of the saved game, so it is fixed here and checked by the compiler.
#include <cstddef>
#include <cstdint>

struct TBoardObject {
    int32_t Col = 0;
    int32_t Row = 0;
    int32_t Dir = 0;         // 0 right, 1 down, 2 left, 3 up; selects the sprite
    uint8_t Alive = 0;       // cats: the cat is on the board
    uint8_t Active = 0;      // hamster: play is in progress on the board
    uint8_t Reserved1[2]{};  // kept as read, written back as they were
    float FallWidth = 0.0f;  // hamster: drawn width while falling
    float FallHeight = 0.0f; // hamster: drawn height while falling
    uint8_t Falling = 0;     // hamster: the fall animation is running
    uint8_t Reserved2[3]{};
};

static_assert(sizeof(TBoardObject) == 28);
static_assert(offsetof(TBoardObject, Col) == 0);
static_assert(offsetof(TBoardObject, Row) == 4);
static_assert(offsetof(TBoardObject, Dir) == 8);
static_assert(offsetof(TBoardObject, Alive) == 12);
static_assert(offsetof(TBoardObject, Active) == 13);
static_assert(offsetof(TBoardObject, FallWidth) == 16);
static_assert(offsetof(TBoardObject, FallHeight) == 20);
static_assert(offsetof(TBoardObject, Falling) == 24);

// Facings.
constexpr int32_t DirRight = 0;
constexpr int32_t DirDown = 1;
constexpr int32_t DirLeft = 2;
constexpr int32_t DirUp = 3;
