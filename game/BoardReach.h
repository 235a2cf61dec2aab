#pragma once
// Can the hamster get from its start to the food? The hamster may only move into a
// cell that holds it in its current facing (the picture at least as wide or as high
// as the cell) and may turn in any cell it stands in; a move onto the food's cell ends
// the board before any fall, so that cell need not hold it. Cats are not considered
// unless the caller blocks their cells.
#include "game/Board.h"

#include <array>
#include <cstdint>
#include <optional>
#include <vector>

// The hamster picture's size for each facing (index = Dir: right, down, left, up).
struct THamsterSize {
    int32_t Width = 0;
    int32_t Height = 0;
};
using THamsterSizes = std::array<THamsterSize, 4>;

// One action of a path: a move (by the arrow it needs) or a turn (Space).
enum class TReachAction { Right, Left, Down, Up, Turn };

struct TReachQuery {
    const std::vector<int32_t>* XLines = nullptr;
    const std::vector<int32_t>* YLines = nullptr;
    THamsterSizes Sizes{};
    int32_t StartCol = 0, StartRow = 0, StartDir = DirRight;
    int32_t TargetCol = 0, TargetRow = 0;
    // Optional: Blocked[col][row] true keeps the path out of that cell (the target excepted).
    const std::vector<std::vector<bool>>* Blocked = nullptr;
};

// The shortest list of actions from the start to the target, or nothing when there is
// none. Moves and turns follow the game's rules: a move reverses the facing only within
// its own axis; a turn goes from right or left to up, from down or up to right.
std::optional<std::vector<TReachAction>> FindPath(const TReachQuery& query);

// True when the food's start cell of a generated board can be reached from the
// hamster's start cell (facing right), ignoring cats.
// The shortest way from the hamster's start to the food on a generated board (cats ignored).
std::optional<std::vector<TReachAction>> FoodPath(const TBoard& board, const THamsterSizes& sizes);
bool FoodReachable(const TBoard& board, const THamsterSizes& sizes);
