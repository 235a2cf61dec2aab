// The BGM menu commands, their check marks and captions, and the music's part of closing.
#include "base/Clock.h"
#include "base/Exception.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Translate.h"
#include "game/Bgm.h"
#include "game/Unit1.h"
#include "music/BgmSettings.h"

namespace {

const char* const RandomSettingUp = TrNoop("ランダムＢＧＭの設定中...");
const char* const FolderCaption =
    TrNoop("midiファイル・mp3ファイルが存在するフォルダかドライブを選んでください。");
const char* const EmptyFolder =
    TrNoop("選択したフォルダには音楽ファイルがありません。\r他のフォルダを選んでください。");
const char* const SelectCaption = TrNoop("指定した曲(&M)");
const char* const RandomCaption = TrNoop("ランダムに(&R)");

} // namespace

void TBgm::BuildRandomPool(const std::vector<std::string>& list) {
    Pool.Build(list);
    RandomMode = Pool.PoolCount() >= 2;
    Form.MainMenu1.Select.SetChecked(!RandomMode);
    Form.MainMenu1.R1.SetChecked(RandomMode);
    Form.MainMenu1.Yuyake.SetChecked(false);
}

void TBgm::PlayClick() {
    if (Scanning_ || Form.MainMenu1.Play.Checked()) return;
    SetPlayChecks(true);
    BgmOn = true;
    SilenceJingle();
    if (IsMidiFile(BgmFile) && Midi.Mode() != TMPModes::mpNotReady) {
        Midi.SetPosition(0);
        Midi.Play();
        MidiPollCount = 0;
    } else {
        StartTrack();
    }
}

void TBgm::StopClick() {
    if (Scanning_ || Form.MainMenu1.Stop.Checked()) return;
    SetPlayChecks(false);
    if (IsMidiFile(BgmFile))
        Midi.Stop();
    else
        Mp3.vbmp3_stop();
    BgmOn = false;
}

void TBgm::StopCurrentTrack() {
    SilenceJingle();
    if (IsMidiFile(BgmFile)) {
        if (BgmOn) Midi.Stop();
        Midi.Close();
    } else {
        Mp3.vbmp3_stop();
        Mp3.vbmp3_close();
    }
}

// While a board is clear its jingle may sound in the MP3 library beside a MIDI track: a
// command that starts the music silences it first, so that only the chosen track sounds.
void TBgm::SilenceJingle() {
    if (!Form.BoardClear || !IsMidiFile(BgmFile)) return;
    Mp3.vbmp3_stop();
    Mp3.vbmp3_close();
}

void TBgm::YuyakeClick() {
    if (Scanning_ || Form.MainMenu1.Yuyake.Checked()) return;
    Form.Host.ProcessMessages();
    StopCurrentTrack();
    BgmFile = BuiltInTrack();
    RandomMode = false;
    BgmOn = true;
    SetSourceChecks(true, false, false);
    SetPlayChecks(true);
    SetCaptionsBuiltIn();
    PlayMp3();
}

void TBgm::SelectClick() {
    TOpenDialogOptions options;
    options.Title = Tr("BGMの指定");
    // TRANSLATORS: the file types a player reads, then after "|" the patterns (kept).
    options.Filter = Tr("mp3ファイル; midiファイル|*.mp3; *.mid");
    std::string chosen;
    if (Scanning_ || !Form.Host.OpenFile(options, chosen)) return;
    Form.Host.ProcessMessages();
    StopCurrentTrack();
    BgmFile = chosen;
    RandomMode = false;
    BgmOn = true;
    SetSourceChecks(false, true, false);
    SetPlayChecks(true);
    SetCaptionsChosen();
    StartTrack();
}

void TBgm::R1Click() {
    if (Scanning_) return;
    // Until the new track plays nothing the player presses acts: Enter would start a
    // board in the middle of the command, its track switched under it at the end.
    const TInputHold hold(Form);
    ShowScreenMessage(Tr(RandomSettingUp));
    try {
        std::string folder;
        if (Form.Host.BrowseFolder(Tr(FolderCaption), folder)) TakeRandomFolder(folder);
    } catch (...) {
        ShowScreenMessage("");
        throw;
    }
    ShowScreenMessage("");
}

void TBgm::TakeRandomFolder(const std::string& folder) {
    std::vector<std::string> list;
    Form.Host.ProcessMessages();
    if (!ScanFolder(folder, list, true)) return;
    if (list.empty()) {
        Form.Host.ShowMessage(Tr(EmptyFolder));
        return;
    }
    MusicFolder = folder;
    BuildRandomPool(list);
    SilenceJingle();
    if (IsMidiFile(BgmFile)) {
        if (BgmOn) Midi.Stop();
        Midi.Close();
    } else {
        Mp3.vbmp3_close();
    }
    BgmFile = Pool.PickFirst(Form.Random);
    BgmOn = true;
    SetSourceChecks(false, false, true);
    SetPlayChecks(true);
    SetCaptionsRandom();
    StartTrack();
}

// The scan lets window messages through now and then, so that the window stays alive
// over a large tree and can be closed (which stops the scan); keys and menu commands
// are dropped meanwhile. From the menu the message on screen counts the tracks found.
bool TBgm::ScanFolder(const std::string& folder, std::vector<std::string>& list, bool onScreen) {
    const TInputHold hold(Form);
    Scanning_ = true;
    LastScanShown_ = Form.Clock.Now() - 100; // the first progress shows the count at once
    const bool complete = ScanMusicFolder(folder, list, [&](size_t, size_t found) {
        if (onScreen && Elapsed(Form.Clock.Now(), LastScanShown_, 100)) {
            // TRANSLATORS: the bottom line while a folder is searched; %zu counts the tracks found so far.
            ShowScreenMessage(Format(Tr("ランダムＢＧＭの設定中... %zu曲"), found));
            LastScanShown_ = Form.Clock.Now();
        }
        Form.Host.ProcessMessages();
        return !Closed_;
    });
    Scanning_ = false;
    return complete && !Closed_;
}

void TBgm::SaveBgmSettings() {
    // No folder to keep them in (said once at start-up): the settings last this run.
    if (Form.UserDir.empty()) return;
    // The first write to the user's folder starts from the program folder's copy that was
    // read, so that the sections the BGM settings do not own stay.
    WriteBgmSettings(SettingsPath(), TBgmSettings{BgmOn, RandomMode, BgmFile, MusicFolder},
                     Form.UserFileToRead("Settei.ini"));
}

void TBgm::FormClose() {
    Closed_ = true;
    // Before the deferred set-up nothing was read: writing then would wipe the settings.
    if (BgmInitDone_) {
        try {
            SaveBgmSettings();
        } catch (const Exception& e) {
            Form.Host.ShowMessage(e.Message());
        }
    }
    if (IsMidiFile(BgmFile)) {
        if (BgmOn) Midi.Stop();
        Midi.Close();
    }
    Mp3.vbmp3_stop();
    Mp3.vbmp3_free();
}

void TBgm::SetSourceChecks(bool yuyake, bool select, bool random) {
    Form.MainMenu1.Yuyake.SetChecked(yuyake);
    Form.MainMenu1.Select.SetChecked(select);
    Form.MainMenu1.R1.SetChecked(random);
}

void TBgm::SetPlayChecks(bool on) {
    Form.MainMenu1.Play.SetChecked(on);
    Form.MainMenu1.Stop.SetChecked(!on);
}

void TBgm::SetCaptionsBuiltIn() {
    Form.MainMenu1.Select.SetCaption(Tr(SelectCaption));
    Form.MainMenu1.R1.SetCaption(Tr(RandomCaption));
}

void TBgm::SetCaptionsChosen() {
    Form.MainMenu1.Select.SetCaption(std::string(Tr(SelectCaption)) + ": " + ExtractFileName(BgmFile));
    Form.MainMenu1.R1.SetCaption(Tr(RandomCaption));
}

void TBgm::SetCaptionsRandom() {
    Form.MainMenu1.Select.SetCaption(Tr(SelectCaption));
    Form.MainMenu1.R1.SetCaption(std::string(Tr(RandomCaption)) + ": " + ExtractFileName(BgmFile));
}

// The one-line message on the game screen, shown by rendering one frame.
void TBgm::ShowScreenMessage(const std::string& text) {
    Form.ClearMessage = text;
    if (!text.empty()) Form.Texts.Set(TStatusText::Message, text);
    Form.RenderFrame();
}
