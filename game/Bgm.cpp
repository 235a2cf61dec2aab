// The background music: settings, the choice of track, the BGM menu and playback.
#include "game/Bgm.h"

#include "base/Format.h"
#include "base/Paths.h"
#include "base/Stream.h"
#include "base/Translate.h"
#include "game/Unit1.h"
#include "music/BgmSettings.h"

#include <algorithm>
#include <filesystem>

namespace {

const char* const NoPlayableTrack = TrNoop("再生できる曲がないため、「夕焼けの帰り道」に切り替えます。");

// A notice of what could not be played lists its first five tracks, then an ellipsis.
constexpr size_t ReportedTracks = 5;

void AddReportLine(std::string& report, const std::string& line) {
    const size_t lines =
        report.empty() ? 0 : static_cast<size_t>(std::count(report.begin(), report.end(), '\r')) + 1;
    if (lines == ReportedTracks && line != Tr(NoPlayableTrack)) {
        report += "\r…";
        return;
    }
    if (lines > ReportedTracks && line != Tr(NoPlayableTrack)) return;
    if (!report.empty()) report += "\r";
    report += line;
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
    // Marked done before any track is opened: a track that cannot be opened is reported
    // once instead of on every tick.
    BgmInitDone_ = true;
    Form.Host.ProcessMessages();
    if (Closed_) return; // the window closed meanwhile (during the folder scan, say)
    Midi.Close();
    // A MIDI file that cannot be opened is left (reported once) for another pool track
    // or the built-in one, so that the settings do not keep it for the next start.
    std::string report;
    while (IsMidiFile(BgmFile)) {
        Midi.SetFileName(BgmFile);
        try {
            Midi.Open();
            break;
        } catch (const EMCIDeviceError& e) {
            AddReportLine(report, e.Message());
            LeaveFailedTrack(report);
        }
    }
    Mp3.vbmp3_init();
    Report(report);
    if (!BgmOn)
        SetPlayChecks(false);
    else if (IsMusicFile(BgmFile))
        StartTrack();
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
    if (!ScanFolder(MusicFolder, list, false)) return;
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

// A track that is not played at random loops by itself, sample for sample.
bool TBgm::PlayMp3() {
    return StartMp3(BgmFile, !RandomMode);
}

bool TBgm::StartMp3(const std::string& file, bool loop) {
    Mp3.vbmp3_close();
    const bool opened = Mp3.vbmp3_open(file, &Mp3Info_);
    if (loop)
        Mp3.vbmp3_playloop();
    else
        Mp3.vbmp3_play();
    Mp3StartTime = Form.MusicClock().Now();
    Mp3Loops_ = opened && loop;
    return opened;
}

void TBgm::PlayMidi() {
    Midi.SetLooping(!RandomMode);
    Midi.Close();
    Midi.SetFileName(BgmFile);
    Midi.Open();
    Midi.Play();
    MidiPollCount = 0;
}

// Starts BgmFile by its type. A track that cannot be opened is reported once and left:
// random play goes on with another track of the pool, anything else (or a pool with no
// playable track left) with the built-in track.
void TBgm::StartTrack() {
    std::string report;
    std::string failure;
    while (!TryStart(failure)) {
        AddReportLine(report, failure);
        if (!LeaveFailedTrack(report)) {
            PlayMp3();
            break;
        }
    }
    Report(report);
}

// One try; a single MP3 that cannot be opened is tried again once its time is up.
bool TBgm::TryStart(std::string& failure) {
    if (IsMidiFile(BgmFile)) {
        try {
            PlayMidi();
            return true;
        } catch (const EMCIDeviceError& e) {
            failure = e.Message();
            return false;
        }
    }
    if (PlayMp3() || !RandomMode) return true;
    // TRANSLATORS: the music file's path.
    failure = Format(Tr("%s を再生できません"), BgmFile.c_str());
    return false;
}

// True when another track of the pool is to be tried; else the built-in track is taken.
bool TBgm::LeaveFailedTrack(std::string& report) {
    const bool pooled = (RandomMode || Form.MainMenu1.R1.Checked()) && Pool.Remove(BgmFile);
    if (pooled && Pool.PoolCount() > 0) {
        RandomMode = Pool.PoolCount() >= 2;
        PickRandomTrack();
        SetCaptionsRandom();
        return true;
    }
    if (pooled) AddReportLine(report, Tr(NoPlayableTrack));
    FallBackToBuiltIn();
    SetCaptionsBuiltIn();
    return false;
}

void TBgm::Report(const std::string& report) {
    if (!report.empty()) Form.Host.ShowMessage(report);
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
        // Nothing open: start the track (or what takes its place) again.
        StartTrack();
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
    SwitchRandomTrack();
}

void TBgm::CheckMp3End() {
    // One second after the nominal length, without 32-bit overflow.
    const int64_t elapsed = static_cast<uint32_t>(Form.MusicClock().Now() - Mp3StartTime);
    if (elapsed <= int64_t{Mp3Info_.PlayTime} * 1000 + 1000) return;
    if (!RandomMode) {
        if (!Mp3Loops_) PlayMp3(); // a track that could not be opened is tried again
        return;
    }
    Mp3.vbmp3_close();
    SwitchRandomTrack();
}

void TBgm::PickRandomTrack() {
    BgmFile = Pool.PickRandomTrack(Form.Random);
}

void TBgm::SwitchRandomTrack() {
    PickRandomTrack();
    SetCaptionsRandom();
    StartTrack();
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
    StartMp3(JingleFile, false);
}

void TBgm::RestartBgmAfterBoard(int32_t foodsCount) {
    if (foodsCount % 10 != 0) return;
    Mp3.vbmp3_stop();
    // The track comes back the way it played before the jingle: MIDI only for ".mid".
    if (BgmOn) StartTrack();
}
