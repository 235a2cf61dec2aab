#pragma once
// The board: irregular vertical and horizontal lines, the cell grid that marks the
// cells held by cats, and the generation of a new board. The generation needs only
// the size of the right-facing hamster picture, so tools can use it without pictures.
#include "base/Exception.h"
#include "base/Random.h"
#include "game/BoardObject.h"

#include <cstdint>
#include <vector>

// CellGrid[col][row]: 1 where a cat holds the cell.
using TCellGrid = std::vector<std::vector<uint8_t>>;

constexpr int32_t BoardWidth = 600;  // first to last vertical line
constexpr int32_t BoardHeight = 400; // first to last horizontal line
constexpr int32_t MaxCats = 10;      // the saved game keeps 10 cat slots

// A freshly generated board. Cats carry Col, Row, Dir 0 and Alive; Food only Col and Row.
struct TBoard {
    std::vector<int32_t> XLines;
    std::vector<int32_t> YLines;
    TCellGrid CellGrid;
    int32_t CatCount = 1;
    std::vector<TBoardObject> Cats;
    bool FoodIsApple = false;
    TBoardObject Food;
    TBoardObject Hamster; // Col 0, Row 0, Dir right

    int32_t XLineCount() const { return static_cast<int32_t>(XLines.size()); }
    int32_t YLineCount() const { return static_cast<int32_t>(YLines.size()); }
};

class EBoardError : public Exception {
public:
    using Exception::Exception;
};

// Cats per board: 1 at stage 0 or 1, 3 at stage 2, 5 at stage 3; any other stage keeps
// the previous count.
int32_t CatCountForStage(int32_t Stage, int32_t PreviousCatCount);

// Generates a board with the game's exact order of draws. W and H are the width and
// height of the right-facing hamster picture; both must be at least 20 pixels (the
// narrow gaps are drawn until one fits, which a smaller picture never allows), else
// EBoardError. PreviousCatCount is the count kept for a stage outside 0..3.
TBoard GenerateBoard(int32_t W, int32_t H, int32_t Stage, int32_t BoardLeft, int32_t BoardTop,
                     TRandom& Random, int32_t PreviousCatCount = 1);

// Cell sizes (signed: a picture larger than its cell gives a negative centring offset).
inline int32_t CellWidth(const std::vector<int32_t>& XLines, int32_t col) {
    return XLines[col + 1] - XLines[col];
}
inline int32_t CellHeight(const std::vector<int32_t>& YLines, int32_t row) {
    return YLines[row + 1] - YLines[row];
}

// The lines hold the hamster while its picture (w x h) is at least as wide or at least
// as high as the cell; it falls through a cell larger in both directions.
inline bool CellHolds(int64_t cellWidth, int64_t cellHeight, int64_t w, int64_t h) {
    return !(cellWidth > w && cellHeight > h);
}
