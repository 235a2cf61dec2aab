#pragma once
// TBgm: the background music — its settings, the choice of track (built-in, a chosen
// file or random from a folder), the BGM menu commands and the playback of MP3 and MIDI
// tracks and of the stage jingles. The window makes one beside its TForm1 and hands it
// in with SetMusic; the menu clicks of the BGM menu come here.
#include "game/GameMusic.h"
#include "music/MidiPlayer.h"
#include "music/Mp3Library.h"
#include "music/TrackPool.h"

#include <cstdint>
#include <string>
#include <vector>

class TForm1;

class TBgm : public IGameMusic {
public:
    TBgm(TForm1& form, IMp3Library& mp3, IMidiPlayer& midi);

    // IGameMusic
    bool BgmInitDone() const override { return BgmInitDone_; }
    void StartBgm() override;
    void CheckBgmEnd(bool boardClear) override;
    void PlayJingle(int32_t foodsCountBefore) override;
    void RestartBgmAfterBoard(int32_t foodsCount) override;

    // The BGM menu.
    void PlayClick();
    void StopClick();
    void YuyakeClick();
    void SelectClick();
    void R1Click();

    // The music's part of closing the window: the settings are written (a file that
    // cannot be written is reported once through the host and closing goes on), the
    // music is stopped and the MP3 library released.
    void FormClose();
    // Writes Music, Random, MusicName and MusicFolda; raises "<path> に書き込めません".
    void SaveBgmSettings();

    void PlayMp3();
    void PlayMidi();
    // The scanned list becomes the pool; random play needs two tracks or more.
    void BuildRandomPool(const std::vector<std::string>& list);

    std::string SettingsPath() const;
    std::string BuiltInTrack() const;

    bool BgmOn = false;
    bool RandomMode = false;
    std::string BgmFile;
    std::string MusicFolder;
    std::string JingleFile;
    TTrackPool Pool;
    Mp3Info Mp3Info_{};
    uint32_t Mp3StartTime = 0;
    int32_t MidiPollCount = 0;

private:
    void ReadSettings();
    void StartRandomFromSettings();
    void FallBackToBuiltIn();
    void StopCurrentTrack();
    void PlayByType();
    void CheckMidiEnd();
    void CheckMp3End();
    void NextRandomTrack();
    void SetSourceChecks(bool yuyake, bool select, bool random);
    void SetPlayChecks(bool on);
    void SetCaptionsBuiltIn();
    void SetCaptionsChosen();
    void SetCaptionsRandom();
    void TakeRandomFolder(const std::string& folder);
    void ShowScreenMessage(const std::string& text);

    TForm1& Form;
    IMp3Library& Mp3;
    IMidiPlayer& Midi;
    bool BgmInitDone_ = false;
};
