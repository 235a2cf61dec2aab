#include "game/Board.h"

namespace {

// One direction's lines: the first line at origin, then x (already drawn), then gaps
// until bound; one of the second to fourth gaps is at most W wide; the closing line.
std::vector<int32_t> DrawLines(int32_t origin, int32_t first, int32_t bound, int32_t closing, int64_t W,
                               TRandom& Random) {
    std::vector<int32_t> lines{origin};
    int32_t x = first;
    bool narrow = false;
    while (x < bound) {
        lines.push_back(x);
        if (lines.size() == 4) {
            if (!narrow) {
                int32_t g = 0;
                do g = 20 + Random.Random(50);
                while (!(g <= W));
                x = lines[3] + g;
                narrow = true;
            } else {
                x = x + 20 + Random.Random(50);
            }
        } else {
            const int32_t g = 20 + Random.Random(50);
            x = x + g;
            if (g <= W) narrow = true;
        }
    }
    lines.push_back(closing);
    return lines;
}

void PlaceCats(TBoard& board, TRandom& Random) {
    const int32_t cols = board.XLineCount() - 1;
    const int32_t rows = board.YLineCount() - 1;
    for (TBoardObject& cat : board.Cats) {
        int32_t col = 0;
        int32_t row = 0;
        do {
            col = Random.Random(cols);
            if (col < 3)
                row = 3 + Random.Random(rows - 3);
            else
                row = Random.Random(rows);
        } while (board.CellGrid[col][row] != 0);
        board.CellGrid[col][row] = 1;
        cat.Col = col;
        cat.Row = row;
        cat.Dir = DirRight;
        cat.Alive = 1;
    }
}

} // namespace

int32_t CatCountForStage(int32_t Stage, int32_t PreviousCatCount) {
    switch (Stage) {
    case 0:
    case 1:
        return 1;
    case 2:
        return 3;
    case 3:
        return 5;
    default:
        return PreviousCatCount;
    }
}

TBoard GenerateBoard(int32_t W, int32_t H, int32_t Stage, int32_t BoardLeft, int32_t BoardTop,
                     TRandom& Random, int32_t PreviousCatCount) {
    if (W < 20 || H < 20)
        throw EBoardError("the right-facing hamster picture must be at least 20 x 20 pixels");
    TBoard board;
    const int64_t w = W;
    const int64_t h = H;
    int32_t x = 0;
    int32_t y = 0;
    if (Random.Random(2) == 0) {
        do {
            x = BoardLeft + 20 + Random.Random(50);
            y = BoardTop + 20 + Random.Random(50);
        } while (!(int64_t{x} - BoardLeft <= w));
    } else {
        do {
            x = BoardLeft + 20 + Random.Random(50);
            y = BoardTop + 20 + Random.Random(50);
        } while (!(int64_t{y} - BoardTop <= h));
    }
    board.XLines = DrawLines(BoardLeft, x, BoardLeft + 570, BoardLeft + BoardWidth, w, Random);
    // The row gaps are compared with the width of the right-facing picture as well.
    board.YLines = DrawLines(BoardTop, y, BoardTop + 370, BoardTop + BoardHeight, w, Random);

    board.CatCount = CatCountForStage(Stage, PreviousCatCount);
    if (board.CatCount < 0 || board.CatCount > MaxCats) throw EBoardError("a board holds 0 to 10 cats");
    board.Cats.assign(static_cast<size_t>(board.CatCount), TBoardObject{});
    board.CellGrid.assign(static_cast<size_t>(board.XLineCount() - 1),
                          std::vector<uint8_t>(static_cast<size_t>(board.YLineCount() - 1), 0));
    PlaceCats(board, Random);

    board.FoodIsApple = Stage > 0 && Random.Random(5) == 0;
    board.Food.Col = board.XLineCount() - 2;
    board.Food.Row = board.YLineCount() - 2;
    return board;
}
