// The saved game and the high score in "Data\record.dat".
#include "game/Unit1.h"

#include "base/Format.h"
#include "base/Paths.h"
#include "base/Stream.h"
#include "base/Translate.h"

#include <filesystem>

std::string TForm1::RecordFilePath() const {
    return UserFileToWrite("record.dat");
}

std::string TForm1::UserFileToWrite(const std::string& name) const {
    if (UserDir.empty())
        throw EFCreateError(Format(Tr("ファイル %s を保存するフォルダがありません。"), name.c_str()));
    return UserDir + name;
}

std::string TForm1::UserFileToRead(const std::string& name) const {
    namespace fs = std::filesystem;
    std::string newest;
    fs::file_time_type newestTime;
    for (const std::string& dir : {UserDir, DataPath(ExeDir, "Data/"), XdgDir}) {
        if (dir.empty()) continue;
        std::error_code ec;
        const fs::file_time_type time = fs::last_write_time(dir + name, ec);
        if (ec || !fs::is_regular_file(dir + name, ec)) continue;
        if (newest.empty() || time > newestTime) {
            newest = dir + name;
            newestTime = time;
        }
    }
    return newest.empty() ? DataPath(ExeDir, "Data/" + name) : newest;
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
