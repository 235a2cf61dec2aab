#include "game/Unit1.h"

#include "base/Paths.h"
#include "base/SafeFile.h"
#include "base/Stream.h"

TForm1::TForm1(IClock& clock, THost& host, std::string exeDir, TFormPlatform platform)
    : Clock(clock), Host(host), ExeDir(std::move(exeDir)), UserDir(DataPath(ExeDir, "Data/")),
      Components(ExeDir, std::move(platform)) {
    ClientWidth = Components.ClientWidth();
    ClientHeight = Components.ClientHeight();
    PBLife.SetPosition(Life);
}

TForm1::~TForm1() = default;

void TForm1::FormCreate() {
    ApplySettings(ReadGameSettings(UserFileToRead("Settei.ini")));
    Components.Loaded();
    ShowScore();
    ShowFoods();
    // A save cut short by a kill leaves its temporary file; only the next start removes
    // it. The settings file is written to the same folder.
    if (!UserDir.empty()) {
        RemoveStaleTemporaries(UserDir, {"record.dat", "Settei.ini", "scores.ini", "scores.ini.bak"});
        Scores.Load(UserDir + "scores.ini");
    }
    if (FileExists(UserFileToRead("record.dat"))) ReadRecordFile();
    ShowHighScore();
    BoardLeft = 20;
    BoardTop = 20;
    Life = StartLife;
    CheckpointLife = StartLife;
    ShowLife(Life);
    for (int32_t n = 1; n <= 3; ++n) {
        RecordTimes[static_cast<size_t>(n - 1)] = NoRecordTime;
        ShowRecordLine(n);
    }
    StartTime = Now();
    ResumeAskPending = true;
    TitleShown = true;
    GameSaved = true;
    MainMenu1.Save.SetEnabled(false);
    Random.Randomize(Now());
    NewBoard();
}

void TForm1::NewBoard() {
    const TPictureSize right = Components.HamsterSize(DirRight);
    TakeBoard(GenerateBoard(static_cast<int32_t>(right.Width), static_cast<int32_t>(right.Height), Stage,
                            BoardLeft, BoardTop, Random, CatCount));
    if (FoodIsApple) Components.PlaySound(4);
    Components.LoadPicture(TPicture::Food, FoodIsApple ? "apple.bmp" : "himawari_tane0.bmp");
}

void TForm1::EnableTopMenus(bool enabled) {
    MainMenu1.G1.SetEnabled(enabled);
    MainMenu1.BGMB1.SetEnabled(enabled);
    MainMenu1.H1.SetEnabled(enabled);
}

void TForm1::ShowLife(int32_t barValue) {
    Texts.Set(TStatusText::LifeValue, FormatNumber(Life, 3));
    PBLife.SetPosition(barValue);
}

void TForm1::ShowScore() {
    Texts.Set(TStatusText::ScoreValue, FormatNumber(Score, 6));
}

void TForm1::ShowHighScore() {
    Texts.Set(TStatusText::HighScoreValue, FormatNumber(HighScore, 6));
}

void TForm1::ShowFoods() {
    Texts.Set(TStatusText::FoodsValue, FormatNumber(FoodsCount, 2));
}

void TForm1::ShowRecordLine(int32_t n) {
    Texts.Set(TStatusTexts::RecordLine(n), FormatRecordLine(RecordTimes[static_cast<size_t>(n - 1)], n));
}

void TForm1::ShowTimeUnsigned(uint32_t t) {
    Texts.Set(TStatusText::TimeValue, FormatTimeUnsigned(t));
}
