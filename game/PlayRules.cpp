// The play rules: the hamster's moves and the checks after each, the food's hops, the
// cats' steps, the fall, and the food, life, score and record rules.
#include "base/Translate.h"
#include "game/Unit1.h"

#include <algorithm>

namespace {

// Life, score and counts are 32-bit values that a hand-made saved game can push to
// their limits; sums wrap as 32-bit arithmetic does instead of overflowing.
int32_t Wrap(int64_t v) {
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

const char* const GameClearMessage = TrNoop("おめでとうございます。Enterキーを押すとゲームを再開します。");

} // namespace

// The four directions in a fixed order, each on its own, so that several held arrows
// make several moves in one step. A board ends in exactly one way: once a move has
// ended play (a fall started), no further direction of the step is handled.
bool TForm1::MoveStep() {
    if (Hamster.Col < XLineCount - 2 && Components.ButtonDown(3)) {
        if (Hamster.Dir == DirLeft) Hamster.Dir = DirRight;
        ++Hamster.Col;
        if (AfterMove()) return true;
    }
    if (Hamster.Active && Hamster.Col > 0 && Components.ButtonDown(2)) {
        if (Hamster.Dir == DirRight) Hamster.Dir = DirLeft;
        --Hamster.Col;
        if (AfterMove()) return true;
    }
    if (Hamster.Active && Hamster.Row < YLineCount - 2 && Components.ButtonDown(1)) {
        if (Hamster.Dir == DirUp) Hamster.Dir = DirDown;
        ++Hamster.Row;
        if (AfterMove()) return true;
    }
    if (Hamster.Active && Hamster.Row > 0 && Components.ButtonDown(0)) {
        if (Hamster.Dir == DirDown) Hamster.Dir = DirUp;
        --Hamster.Row;
        if (AfterMove()) return true;
    }
    return false;
}

// The three checks after a move; true when the tick ends at once.
bool TForm1::AfterMove() {
    CheckFood();
    if (BoardClear) return true;
    CheckCatBite();
    if (CatHit) {
        CatHit = false;
        return true;
    }
    if (GameOver) return true;
    CheckFall();
    return false;
}

void TForm1::CheckFood() {
    if (Hamster.Col != Food.Col || Hamster.Row != Food.Row) return;
    BoardClear = true;
    EnableTopMenus(true);
    if (FoodsCount == 9 || FoodsCount == 19 || FoodsCount == 29) {
        if (Music) Music->PlayJingle(FoodsCount);
    } else {
        Components.PlaySound(3);
    }
    Hamster.Active = false;

    const uint32_t now = Now();
    const int64_t t = static_cast<uint32_t>(now - BoardStartTime);
    Scores.BoardEnded(static_cast<uint32_t>(t));
    if (Stage >= 1 && Stage <= 3) {
        int32_t& record = RecordTimes[static_cast<size_t>(Stage - 1)];
        if (record >= 0 && t < record) {
            record = static_cast<int32_t>(t);
            NewRecord = true;
            NewRecordBlinkTime = now;
        }
    }
    Life = static_cast<int32_t>(std::min<int64_t>(int64_t{Life} + (FoodIsApple ? 50 : 10), MaxLife));
    ShowLife(Life);
    Score = Wrap(int64_t{Score} + 100 + std::max<int64_t>(0, 30000 - t) / 10);
    ShowScore();
    FoodsCount = Wrap(int64_t{FoodsCount} + 1);
    ShowFoods();
    ChangeGetPicture();
    if (FoodsCount == 30) StartGameClear();
    if (FoodsCount == 10 || FoodsCount == 20) {
        CheckpointScore = Score;
        CheckpointLife = Life;
    }
}

void TForm1::ChangeGetPicture() {
    switch (FoodsCount) {
    case 1:
    case 11:
    case 21:
        Components.LoadPicture(TPicture::Get, "get.bmp");
        break;
    case 10:
        Components.LoadPicture(TPicture::Get, "10get.bmp");
        break;
    case 20:
        Components.LoadPicture(TPicture::Get, "20get.bmp");
        break;
    case 30:
        Components.LoadPicture(TPicture::Get, "GC.bmp");
        break;
    default:
        break;
    }
}

void TForm1::StartGameClear() {
    const uint32_t now = Now();
    GameClear = true;
    ClearGrowTime = now;
    const TPictureSize get = Components.PictureSize(TPicture::Get);
    ClearImageWidth = static_cast<float>(get.Width) / 5.0f;
    ClearImageHeight = static_cast<float>(get.Height) / 5.0f;
    ClearGrowing = true;
    std::string prefix;
    if (Score > HighScore) {
        HighScore = Score;
        HighScoreUpdated = true;
        HighScoreBlinkTime = now;
        // TRANSLATORS: put before the game-clear message when the score beats the high score.
        prefix = Tr("記録更新");
    }
    ClearMessage = Tr(GameClearMessage);
    Texts.Set(TStatusText::Message, prefix + ClearMessage);
    Scores.GameEnded(Score, FoodsCount);
    WriteGameClear();
}

void TForm1::CheckCatBite() {
    for (TBoardObject& cat : Cats) {
        if (!cat.Alive || cat.Col != Hamster.Col || cat.Row != Hamster.Row) continue;
        Life = Wrap(int64_t{Life} - 30);
        if (Life < 0) {
            Components.PlaySound(0);
            ShowLife(0);
            GameOver = true;
            EndPlay();
            Scores.GameEnded(Score, FoodsCount);
        } else {
            Components.PlaySound(2);
            ShowLife(Life);
            cat.Alive = false; // its cell stays marked for the rest of the board
            CatHit = true;
        }
        return;
    }
}

void TForm1::CheckFall() {
    const TPictureSize s = Components.HamsterSize(Hamster.Dir);
    if (CellHolds(HamsterCellWidth(), HamsterCellHeight(), s.Width, s.Height)) return;
    Components.PlaySound(1);
    Hamster.Falling = true;
    Hamster.FallWidth = static_cast<float>(s.Width);
    Hamster.FallHeight = static_cast<float>(s.Height);
    FallStepTime = Now();
    EndPlay();
}

void TForm1::StepFood() {
    const auto clampCol = [&](int32_t c) { return std::max(0, std::min(c, XLineCount - 2)); };
    const auto clampRow = [&](int32_t r) { return std::max(0, std::min(r, YLineCount - 2)); };
    const auto takeable = [&](int32_t c, int32_t r) {
        return !(c == Hamster.Col && r == Hamster.Row) &&
               CellGrid[static_cast<size_t>(c)][static_cast<size_t>(r)] == 0;
    };
    // When cats and the hamster close every candidate, the food stays where it is rather
    // than drawing for ever.
    bool any = false;
    for (int32_t dc = -1; dc <= 1; ++dc)
        for (int32_t dr = -1; dr <= 1; ++dr)
            any = any || takeable(clampCol(Food.Col + dc), clampRow(Food.Row + dr));
    if (any) {
        int32_t col = 0;
        int32_t row = 0;
        do {
            col = clampCol(Food.Col - 1 + Random.Random(3));
            row = clampRow(Food.Row - 1 + Random.Random(3));
        } while (!takeable(col, row));
        Food.Col = col;
        Food.Row = row;
    }
    FoodMoveTime = Now();
}

void TForm1::StepCats() {
    for (TBoardObject& cat : Cats) {
        if (!cat.Alive) continue;
        const bool sameCol = cat.Col == Hamster.Col;
        const bool sameRow = cat.Row == Hamster.Row;
        if (sameCol && (cat.Row - Hamster.Row == 1 || Hamster.Row - cat.Row == 1)) {
            cat.Dir = cat.Row > Hamster.Row ? DirUp : DirDown;
            cat.Row = Hamster.Row;
        } else if (sameRow && (cat.Col - Hamster.Col == 1 || Hamster.Col - cat.Col == 1)) {
            cat.Dir = cat.Col > Hamster.Col ? DirLeft : DirRight;
            cat.Col = Hamster.Col;
        } else {
            CellGrid[static_cast<size_t>(cat.Col)][static_cast<size_t>(cat.Row)] = 0;
            int32_t col = cat.Col;
            int32_t row = cat.Row;
            int32_t dir = cat.Dir;
            if (Random.Random(2) == 0) {
                if (cat.Col != Hamster.Col) {
                    col += cat.Col > Hamster.Col ? -1 : 1;
                    dir = cat.Col > Hamster.Col ? DirLeft : DirRight;
                }
            } else if (cat.Row != Hamster.Row) {
                row += cat.Row > Hamster.Row ? -1 : 1;
                dir = cat.Row > Hamster.Row ? DirUp : DirDown;
            }
            const bool target = col != cat.Col || row != cat.Row;
            if (target && CellGrid[static_cast<size_t>(col)][static_cast<size_t>(row)] == 0 &&
                !(col == Food.Col && row == Food.Row)) {
                cat.Col = col;
                cat.Row = row;
                cat.Dir = dir;
            }
            CellGrid[static_cast<size_t>(cat.Col)][static_cast<size_t>(cat.Row)] = 1;
            continue;
        }
        // Caught: the cat stands in the hamster's cell; its grid mark is not moved.
        Components.PlaySound(0);
        GameOver = true;
        EndPlay();
        Scores.GameEnded(Score, FoodsCount); // once, however many cats caught it
    }
    CatMoveTime = Now();
}

void TForm1::StepFall() {
    Hamster.FallWidth = static_cast<float>(double{Hamster.FallWidth} * 0.9);
    Hamster.FallHeight = static_cast<float>(double{Hamster.FallHeight} * 0.9);
    if (Hamster.FallWidth < 10.0f || Hamster.FallHeight < 10.0f) {
        GameOver = true;
        Hamster.Falling = false;
        EnableTopMenus(true);
        Scores.GameEnded(Score, FoodsCount);
    }
    FallStepTime = Now();
}

void TForm1::EndPlay() {
    if (Hamster.Active) Scores.BoardEnded(Now() - BoardStartTime);
    Hamster.Active = false;
    EnableTopMenus(true);
}
