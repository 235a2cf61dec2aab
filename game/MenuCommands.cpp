// The game and help menus, the close question and the resume question.
#include "game/MenuCommands.h"

#include "base/Exception.h"
#include "base/Paths.h"
#include "base/Translate.h"
#include "game/Bgm.h"
#include "game/Unit1.h"

#include <algorithm>
#include <functional>
#include <map>

namespace {

const char* const SaveQuestion = TrNoop("ゲームを保存しますか？\r以前のデータは破棄されます。");
const char* const ResumeQuestion = TrNoop("前回の続きからゲームを始めますか？");

} // namespace

TMenuCommands::TMenuCommands(TForm1& form, TBgm& bgm) : Form(form), Bgm(&bgm) {
    Form.SetResumeHandler([this] { ResumeStep(); });
}

TMenuCommands::TMenuCommands(TForm1& form) : Form(form), Bgm(nullptr) {
    Form.SetResumeHandler([this] { ResumeStep(); });
    Form.MainMenu1.BGMB1.SetEnabled(false);
}

bool TMenuCommands::Click(const std::string& itemName) {
    const std::map<std::string, std::function<void()>> commands = {
        {"Save", [this] { SaveClick(); }},
        {"Settings",
         [this] {
             if (SettingsHandler) SettingsHandler();
         }},
        {"E1", [this] { E1Click(); }},
        {"HS1", [this] { Form.Scores.ShowTable(); }},
        {"Play", [this] { Bgm->PlayClick(); }},
        {"Stop", [this] { Bgm->StopClick(); }},
        {"Yuyake", [this] { Bgm->YuyakeClick(); }},
        {"Select", [this] { Bgm->SelectClick(); }},
        {"R1", [this] { Bgm->R1Click(); }},
        {"H2", [this] { H2Click(); }},
        {"V1", [this] { V1Click(); }},
    };
    const auto command = commands.find(itemName);
    TMenuItem* item = Form.MainMenu1.Find(itemName);
    if (Form.InputHeld || command == commands.end() || !item || !item->Enabled()) return false;
    if (!Bgm && Form.MainMenu1.BGMB1.Items().end() !=
                    std::find(Form.MainMenu1.BGMB1.Items().begin(), Form.MainMenu1.BGMB1.Items().end(), item))
        return false;
    for (TMenuItem* menu : Form.MainMenu1.TopItems()) {
        for (TMenuItem* child : menu->Items())
            if (child == item && !menu->Enabled()) return false;
    }
    command->second();
    return true;
}

bool TMenuCommands::TrySave() {
    try {
        Form.WriteSavedGame();
    } catch (const Exception& e) {
        Form.Host.ShowMessage(e.Message());
        return false;
    }
    return true;
}

void TMenuCommands::SaveClick() {
    if (Form.GameSaved || !Form.Host.AskYesNo(Tr(SaveQuestion))) return;
    if (!TrySave()) return;
    Form.GameSaved = true;
    Form.MainMenu1.Save.SetEnabled(false);
}

void TMenuCommands::E1Click() {
    Form.Host.Close();
}

void TMenuCommands::H2Click() {
    // A missing file or viewer shows nothing.
    Form.Host.ShellOpen(HelpFile(Form.ExeDir));
}

void TMenuCommands::V1Click() {
    Form.Host.ShowVersionDialog();
}

bool TMenuCommands::FormCloseQuery() {
    const bool playing = Form.Hamster.Active;
    if (playing) {
        Form.StoreInterruptedTime();
        Form.Hamster.Active = false;
    }
    if (Form.GameSaved || !Form.Host.AskYesNo(Tr(SaveQuestion))) return true;
    if (!TrySave()) {
        // The window stays open and the board goes on as it was.
        Form.Hamster.Active = playing;
        return false;
    }
    Form.GameSaved = true;
    return true;
}

void TMenuCommands::FormClose() {
    if (Bgm) Bgm->FormClose();
}

void TMenuCommands::ResumeStep() {
    if (Form.CanOfferResume() && Form.Host.AskYesNo(Tr(ResumeQuestion))) Form.RestoreSavedGame();
}
