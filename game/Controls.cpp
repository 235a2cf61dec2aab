// The controls: Enter starts, continues or restarts play; Space turns the hamster.
// The arrows are polled by the frame loop (MoveStep).
#include "game/Unit1.h"

void TForm1::FormKeyDown(uint16_t& Key) {
    if (InputHeld) return;
    if (Key == VK_RETURN && !ResumeAskPending && !Hamster.Active && !Hamster.Falling) EnterPressed();
    if (Key == VK_SPACE && Hamster.Active)
        Hamster.Dir = (Hamster.Dir == DirRight || Hamster.Dir == DirLeft) ? DirUp : DirRight;
}

void TForm1::EnterPressed() {
    EnableTopMenus(false);
    MainMenu1.Save.SetEnabled(true);
    GameSaved = false;
    TitleShown = false;
    if (ResumeWaiting)
        ContinueRestoredBoard();
    else
        StartNextBoard();
}

void TForm1::ContinueRestoredBoard() {
    const uint32_t now = Now();
    const uint32_t interrupted = SaveImage.InterruptedElapsed();
    Hamster.Active = true;
    BoardStartTime = now - interrupted;
    ShowTimeUnsigned(interrupted);
    CatMoveTime = now;
    FoodMoveTime = now;
    ResumeWaiting = false;
    Scores.BoardStarted();
}

void TForm1::StartNextBoard() {
    if (BoardClear) {
        BoardClear = false;
        if (Music) Music->RestartBgmAfterBoard(FoodsCount);
    }
    if (GameClear) RestartAfterGameClear();
    if (FoodsCount < 10)
        Stage = 1;
    else if (FoodsCount < 20)
        Stage = 2;
    else if (FoodsCount < 30)
        Stage = 3;
    // A game from its first board; one continued after a game over goes on counting.
    if (FoodsCount == 0 && !GameOver) Scores.StartGame();
    if (GameOver) ContinueAfterGameOver();
    Hamster.Falling = false;
    if (NewRecord) {
        // At the 10th and 20th food the record belongs to the stage just completed.
        if ((FoodsCount == 10 || FoodsCount == 20) && Stage >= 2)
            ShowRecordLine(Stage - 1);
        else if (Stage >= 1 && Stage <= 3)
            ShowRecordLine(Stage);
        NewRecord = false;
    }
    NewBoard();
    const uint32_t now = Now();
    Hamster.Active = true;
    FoodMoveTime = now;
    CatMoveTime = now;
    BoardStartTime = now;
    Scores.BoardStarted();
}

void TForm1::RestartAfterGameClear() {
    GameClear = false;
    HighScoreUpdated = false;
    ClearMessage.clear();
    FoodsCount = 0;
    Life = StartLife;
    CheckpointLife = StartLife;
    ShowLife(Life);
    Score = 0;
    CheckpointScore = 0;
    ShowFoods();
    ShowScore();
    ShowHighScore();
    for (int32_t n = 1; n <= 3; ++n) {
        RecordTimes[static_cast<size_t>(n - 1)] = NoRecordTime;
        ShowRecordLine(n);
    }
}

void TForm1::ContinueAfterGameOver() {
    GameOver = false;
    Life = CheckpointLife;
    ShowLife(Life);
    Score = CheckpointScore;
    ShowScore();
    if (Stage >= 1 && Stage <= 3) {
        FoodsCount = (Stage - 1) * 10;
        ShowFoods();
        RecordTimes[static_cast<size_t>(Stage - 1)] = NoRecordTime;
        ShowRecordLine(Stage);
    }
}
