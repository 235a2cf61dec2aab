#include "game/GameState.h"

void TGameState::TakeBoard(const TBoard& board) {
    Hamster.Dir = board.Hamster.Dir;
    XLines = board.XLines;
    YLines = board.YLines;
    XLineCount = board.XLineCount();
    YLineCount = board.YLineCount();
    Hamster.Col = board.Hamster.Col;
    Hamster.Row = board.Hamster.Row;
    CatCount = board.CatCount;
    // The cat records keep their other bytes, as a resized array would.
    Cats.resize(board.Cats.size());
    for (size_t i = 0; i < Cats.size(); ++i) {
        Cats[i].Col = board.Cats[i].Col;
        Cats[i].Row = board.Cats[i].Row;
        Cats[i].Dir = board.Cats[i].Dir;
        Cats[i].Alive = board.Cats[i].Alive;
    }
    CellGrid = board.CellGrid;
    FoodIsApple = board.FoodIsApple;
    Food.Col = board.Food.Col;
    Food.Row = board.Food.Row;
}
