#pragma once
// The game state: plain values owned by the main window and shared by the frame loop,
// the rules, the controls, the frame composition and the saved game. Start values are
// those of window creation.
#include "game/Board.h"
#include "game/BoardObject.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

constexpr int32_t NoRecordTime = 100000; // a stage record of 100 s means "none yet"
constexpr int32_t StartLife = 30;
constexpr int32_t MaxLife = 200;

struct TGameState {
    // Board geometry.
    int32_t BoardLeft = 20;
    int32_t BoardTop = 20;
    std::vector<int32_t> XLines;
    std::vector<int32_t> YLines;
    int32_t XLineCount = 0;
    int32_t YLineCount = 0;
    TCellGrid CellGrid; // [col][row], 1 where a cat holds the cell

    // The objects on the board.
    TBoardObject Hamster;
    TBoardObject Food;
    std::vector<TBoardObject> Cats;
    int32_t CatCount = 0;
    bool FoodIsApple = false;

    // Life, score and records.
    int32_t Life = StartLife;
    int32_t Score = 0;
    int32_t HighScore = 0;
    int32_t FoodsCount = 0;
    int32_t Stage = 0;
    std::array<int32_t, 3> RecordTimes{NoRecordTime, NoRecordTime, NoRecordTime};
    int32_t CheckpointScore = 0;
    int32_t CheckpointLife = StartLife;

    // Phase flags.
    bool GameOver = false;
    bool BoardClear = false;
    bool GameClear = false;
    bool CatHit = false;
    bool NewRecord = false;
    bool NewRecordBlinkOn = false;
    uint32_t NewRecordBlinkTime = 0;
    bool HighScoreUpdated = false;
    bool HighScoreBlinkOn = false;
    uint32_t HighScoreBlinkTime = 0;

    // Timers (readings of the millisecond clock).
    uint32_t BoardStartTime = 0;
    uint32_t FoodMoveTime = 0;
    uint32_t CatMoveTime = 0;
    uint32_t FallStepTime = 0;

    // The game-clear picture and message.
    float ClearImageWidth = 0.0f;
    float ClearImageHeight = 0.0f;
    uint32_t ClearGrowTime = 0;
    bool ClearGrowing = false;
    std::string ClearMessage;

    // Start-up, saving and resuming.
    bool TitleShown = true;
    bool GameSaved = true;
    bool ResumeAskPending = true;
    bool ResumeWaiting = false;
    uint32_t StartTime = 0;
    uint32_t LastFrameTime = 0;
    uint32_t LastMoveTime = 0;

    // Size of the hamster's current cell.
    int32_t HamsterCellWidth() const { return CellWidth(XLines, Hamster.Col); }
    int32_t HamsterCellHeight() const { return CellHeight(YLines, Hamster.Row); }
    // Takes over the lines, grid, cats, food and hamster start of a generated board.
    void TakeBoard(const TBoard& board);
};
