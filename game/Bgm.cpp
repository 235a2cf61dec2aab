// The background music: settings, the choice of track, the BGM menu and playback.
#include "game/Bgm.h"

#include "base/Paths.h"
#include "base/Stream.h"
#include "game/Unit1.h"
#include "music/BgmSettings.h"

#include <filesystem>

namespace {

bool IsMp3Name(const std::string& path) {
    return IsMusicFile(path) && !IsMidiFile(path);
}

bool IsFolder(const std::string& path) {
    std::error_code ec;
    return !path.empty() && std::filesystem::is_directory(path, ec);
}

} // namespace

TBgm::TBgm(TForm1& form, IMp3Library& mp3, IMidiPlayer& midi) : Form(form), Mp3(mp3), Midi(midi) {}

std::string TBgm::SettingsPath() const {
    return Form.UserDir + "Settei.ini";
}

std::string TBgm::BuiltInTrack() const {
    return DataPath(Form.ExeDir, "Data\\tamsp15.mp3");
}

void TBgm::StartBgm() {
    Form.Host.ProcessMessages();
    BgmOn = true;
    SetPlayChecks(true);
    BgmFile = BuiltInTrack();
    if (FileExists(Form.UserFileToRead("Settei.ini"))) ReadSettings();
    if (!RandomMode) {
        Form.MainMenu1.R1.SetChecked(false);
        if (!FileExists(BgmFile)) BgmFile = BuiltInTrack();
        if (BgmFile == BuiltInTrack()) {
            Form.MainMenu1.Select.SetChecked(false);
            Form.MainMenu1.Yuyake.SetChecked(true);
        } else {
            Form.MainMenu1.Select.SetChecked(true);
            Form.MainMenu1.Yuyake.SetChecked(false);
            SetCaptionsChosen();
        }
    } else {
        StartRandomFromSettings();
    }
    Form.Host.ProcessMessages();
    // Marked done before any track is opened: a track that cannot be opened is reported
    // once instead of on every tick.
    BgmInitDone_ = true;
    Midi.Close();
    if (IsMidiFile(BgmFile)) {
        Midi.SetFileName(BgmFile);
        try {
            Midi.Open();
        } catch (...) {
            Mp3.vbmp3_init();
            throw;
        }
    }
    Mp3.vbmp3_init();
    if (!BgmOn)
        SetPlayChecks(false);
    else if (IsMidiFile(BgmFile))
        PlayMidi();
    else if (IsMp3Name(BgmFile))
        PlayMp3();
}

void TBgm::ReadSettings() {
    TBgmSettings defaults;
    defaults.MusicName = BuiltInTrack();
    const TBgmSettings s = ReadBgmSettings(Form.UserFileToRead("Settei.ini"), defaults);
    BgmOn = s.Music;
    RandomMode = s.Random;
    BgmFile = s.MusicName;
    MusicFolder = s.MusicFolda;
}

void TBgm::StartRandomFromSettings() {
    if (!IsFolder(MusicFolder)) {
        FallBackToBuiltIn();
        return;
    }
    Form.Host.ProcessMessages();
    std::vector<std::string> list;
    ScanMusicFolder(MusicFolder, list);
    if (list.empty()) {
        FallBackToBuiltIn();
        return;
    }
    BuildRandomPool(list);
    BgmFile = Pool.PickFirst(Form.Random);
    SetCaptionsRandom();
}

void TBgm::FallBackToBuiltIn() {
    RandomMode = false;
    BgmFile = BuiltInTrack();
    SetSourceChecks(true, false, false);
}

void TBgm::PlayMp3() {
    Mp3.vbmp3_close();
    Mp3.vbmp3_open(Form.BoardClear ? JingleFile : BgmFile, &Mp3Info_);
    Mp3.vbmp3_play();
    Mp3StartTime = Form.MusicClock().Now();
}

void TBgm::PlayMidi() {
    Midi.Close();
    Midi.SetFileName(BgmFile);
    Midi.Open();
    Midi.Play();
    MidiPollCount = 0;
}

void TBgm::PlayByType() {
    if (IsMidiFile(BgmFile))
        PlayMidi();
    else
        PlayMp3();
}

void TBgm::CheckBgmEnd(bool boardClear) {
    if (!BgmOn || boardClear) return;
    if (IsMidiFile(BgmFile))
        CheckMidiEnd();
    else
        CheckMp3End();
}

void TBgm::CheckMidiEnd() {
    if (++MidiPollCount < 40) return;
    MidiPollCount = 0;
    const TMPModes mode = Midi.Mode();
    if (mode == TMPModes::mpPlaying) return;
    if (mode == TMPModes::mpNotReady) {
        // The track could not be opened (already reported): random play goes on with
        // another track; a single track is not tried again on every poll.
        if (RandomMode) NextRandomTrack();
        return;
    }
    if (!RandomMode) {
        Midi.Stop();
        Midi.SetPosition(0);
        Midi.Play();
        return;
    }
    Midi.Stop();
    Midi.Close();
    NextRandomTrack();
}

void TBgm::CheckMp3End() {
    // One second after the nominal length, without 32-bit overflow.
    const int64_t elapsed = static_cast<uint32_t>(Form.MusicClock().Now() - Mp3StartTime);
    if (elapsed <= int64_t{Mp3Info_.PlayTime} * 1000 + 1000) return;
    if (!RandomMode) {
        PlayMp3();
        return;
    }
    Mp3.vbmp3_close();
    NextRandomTrack();
}

void TBgm::NextRandomTrack() {
    BgmFile = Pool.PickNext(Form.Random);
    PlayByType();
    SetCaptionsRandom();
}

void TBgm::PlayJingle(int32_t foodsCountBefore) {
    if (BgmOn) {
        // The track sounding is MIDI only for ".mid"; everything else is in the MP3 library.
        if (IsMidiFile(BgmFile))
            Midi.Stop();
        else
            Mp3.vbmp3_stop();
    }
    JingleFile = DataPath(Form.ExeDir, foodsCountBefore >= 29 ? "Data\\GameClear.mp3" : "Data\\Clear.mp3");
    PlayMp3();
}

void TBgm::RestartBgmAfterBoard(int32_t foodsCount) {
    if (foodsCount % 10 != 0) return;
    Mp3.vbmp3_stop();
    if (!BgmOn) return;
    if (IsMp3Name(BgmFile))
        PlayMp3();
    else
        PlayMidi();
}
