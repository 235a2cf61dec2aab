// The saved game and the high score in "Data\record.dat".
#include "game/Unit1.h"

#include "base/Paths.h"
#include "base/Stream.h"

std::string TForm1::RecordFilePath() const {
    return UserDir + "record.dat";
}

std::string TForm1::UserFileToRead(const std::string& name) const {
    const std::string kept = UserDir + name;
    return FileExists(kept) ? kept : DataPath(ExeDir, "Data/" + name);
}

void TForm1::ReadRecordFile() {
    SaveImage.ReadFromFile(UserFileToRead("record.dat"));
    HighScore = SaveImage.HighScore();
}

void TForm1::WriteSavedGame() {
    SaveImage.StoreFrom(*this);
    SaveImage.WriteToFile(RecordFilePath());
    Scores.GameSaved();
}

void TForm1::WriteGameClear() {
    SaveImage.SetGameClear(true);
    SaveImage.SetHighScore(HighScore);
    SaveImage.WriteToFile(RecordFilePath());
    GameSaved = true;
    MainMenu1.Save.SetEnabled(false);
}

void TForm1::StoreInterruptedTime() {
    if (Hamster.Active) SaveImage.SetInterruptedElapsed(Now() - BoardStartTime);
}

bool TForm1::CanOfferResume() const {
    return !SaveImage.GameClear() && FileExists(UserFileToRead("record.dat")) && SaveImage.CanRestore();
}

void TForm1::RestoreSavedGame() {
    if (!SaveImage.RestoreTo(*this)) return;
    Scores.GameRestored();
    // The game never saves a board in play (closing stops it first); a hand-made file that
    // says so still waits for Enter like every interrupted board.
    Hamster.Active = false;
    Components.LoadPicture(TPicture::Food, FoodIsApple ? "apple.bmp" : "himawari_tane0.bmp");
    ShowLife(Life);
    for (int32_t n = 1; n <= 3; ++n) ShowRecordLine(n);
    ShowScore();
    ShowFoods();
    if (!GameOver && !BoardClear) ResumeWaiting = true;
}
