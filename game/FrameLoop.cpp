// The idle tick: at most one per 25 ms, the deferred start-up steps, the music upkeep,
// the movement step every 75 ms and one frame.
#include "game/Unit1.h"

namespace {

constexpr uint32_t kTickMs = 25; // at most one tick per 25 ms

// Sleeps until about 3 ms before reading + d: the rest is left to repeated idle calls.
void SleepUntil(IClock& clock, uint32_t reading, uint32_t d) {
    const auto left = static_cast<int32_t>(reading + d - clock.Now());
    if (left > 3) clock.Sleep(static_cast<uint32_t>(left - 3));
}

} // namespace

void TForm1::ApplicationEvents1Idle(bool& Done) {
    if (!Elapsed(Now(), LastFrameTime, kTickMs)) {
        Done = false;
        return;
    }
    LastFrameTime = Now();
    if (Music && !Music->BgmInitDone() && Elapsed(Now(), StartTime, 100)) Music->StartBgm();
    if (ResumeAskPending && Elapsed(Now(), StartTime, 2000)) {
        // Cleared first: the question is asked once even if ticks arrive while it is open.
        ResumeAskPending = false;
        if (ResumeHandler) ResumeHandler();
    }
    if (Music) Music->CheckBgmEnd(BoardClear);
    if (Elapsed(Now(), LastMoveTime, 75)) {
        LastMoveTime = Now();
        Components.PollKeyboard();
        // A move that ends the tick leaves Done true: no frame until the next message.
        if (Hamster.Active && MoveStep()) return;
        SleepUntil(Clock, LastMoveTime, 15);
    }
    // A game that made the table asks for the name once its end picture is on screen
    // (the game-clear picture when it has grown to its size), never over a board in play
    // (Enter restarts a cleared game while its picture grows).
    if (RenderFrame() && Scores.EntryPending() && !(GameClear && ClearGrowing) && !Hamster.Active &&
        !Hamster.Falling)
        Scores.OfferEntry();
    SleepUntil(Clock, LastFrameTime, kTickMs);
    Done = false;
}

uint32_t TForm1::MsUntilNextTick() {
    const uint32_t since = Now() - LastFrameTime; // wrap-around safe
    return since >= kTickMs ? 0 : kTickMs - since;
}

bool TForm1::RenderFrame() {
    switch (Components.TestCooperativeLevel()) {
    case TDeviceState::NotReset:
        Components.ResetDevice();
        return false;
    case TDeviceState::Lost:
        return false;
    case TDeviceState::Ok:
        break;
    }
    Components.BeginScene();
    ComposeFrame();
    if (Drawer) Drawer->RenderScene();
    Components.EndScene();
    Components.Present();
    return true;
}

void TForm1::ComposeFrame() {
    Host.ProcessMessages();
    const TFrameState frame = UpdateFrameState();
    if (Drawer) Drawer->DrawFrame(frame);
}

TFrameState TForm1::UpdateFrameState() {
    TFrameState frame;
    if (Hamster.Active && Elapsed(Now(), FoodMoveTime, 1000)) StepFood();
    if (Hamster.Active && Elapsed(Now(), CatMoveTime, 1000)) StepCats();
    if (!GameOver && Hamster.Falling && Elapsed(Now(), FallStepTime, 201)) {
        StepFall();
        frame.FallStepped = true;
    }
    if (Hamster.Active)
        ShowTimeUnsigned(Now() - BoardStartTime);
    else if (NewRecord && Stage >= 1 && Stage <= 3)
        Texts.Set(TStatusText::TimeValue, FormatTimeSigned(RecordTimes[static_cast<size_t>(Stage - 1)]));
    StepBlinks(Now());
    StepNotice();
    frame.MessageBoxShown = !ClearGrowing && !ClearMessage.empty();
    if (BoardClear && GameClear) StepClearGrowth(Now());
    return frame;
}

void TForm1::StepBlinks(uint32_t now) {
    if (NewRecord && Elapsed(now, NewRecordBlinkTime, 300)) {
        NewRecordBlinkOn = !NewRecordBlinkOn;
        NewRecordBlinkTime = now;
    }
    if (HighScoreUpdated && Elapsed(now, HighScoreBlinkTime, 300)) {
        HighScoreBlinkOn = !HighScoreBlinkOn;
        HighScoreBlinkTime = now;
    }
}

// The game-clear picture grows from a fifth of its size by a tenth every 200 ms.
void TForm1::StepClearGrowth(uint32_t now) {
    const TPictureSize get = Components.PictureSize(TPicture::Get);
    if (ClearGrowing && Elapsed(now, ClearGrowTime, 200)) {
        ClearImageWidth = static_cast<float>(double{ClearImageWidth} * 1.1);
        ClearImageHeight = static_cast<float>(double{ClearImageHeight} * 1.1);
        if (get.Width <= ClearImageWidth || get.Height <= ClearImageHeight) ClearGrowing = false;
        ClearGrowTime = now;
    }
    if (!ClearGrowing) {
        ClearImageWidth = static_cast<float>(get.Width);
        ClearImageHeight = static_cast<float>(get.Height);
    }
}
