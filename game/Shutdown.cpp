// Closing the main window: the interrupted board's time goes into the saved-game image
// first, then the save question when something changed since the last save.
#include "game/Unit1.h"

namespace {
const char* const SaveQuestion = "ゲームを保存しますか？\r以前のデータは破棄されます。";
} // namespace

void TForm1::FormCloseQuery(bool& CanClose) {
    CanClose = true;
    if (Hamster.Active) {
        StoreInterruptedTime();
        Hamster.Active = false;
    }
    if (GameSaved) return;
    if (!Host.AskYesNo(SaveQuestion)) return;
    // A failed write raises (the file's name and the system's reason): the window stays open.
    CanClose = false;
    WriteSavedGame();
    GameSaved = true;
    CanClose = true;
}
