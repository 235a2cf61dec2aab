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

    // Starts BgmFile as MP3 from its beginning; whether the library could open it.
    bool PlayMp3();
    // Starts BgmFile as MIDI from its beginning; raises EMCIDeviceError when the player
    // cannot open it.
    void PlayMidi();
    // BgmFile := a random not-yet-played entry of the pool (a new cycle begins when every
    // entry has been played).
    void PickRandomTrack();
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
    void SilenceJingle();
    bool StartMp3(const std::string& file, bool loop);
    void StartTrack();
    bool TryStart(std::string& failure);
    bool LeaveFailedTrack(std::string& report);
    void Report(const std::string& report);
    void CheckMidiEnd();
    void CheckMp3End();
    void SwitchRandomTrack();
    bool ScanFolder(const std::string& folder, std::vector<std::string>& list, bool onScreen);
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
    bool Mp3Loops_ = false; // the open track plays over and over by itself
    bool Scanning_ = false; // a folder scan lets window messages through: no BGM command then
    bool Closed_ = false;   // FormClose has run: a scan still going ends, nothing starts
    uint32_t LastScanShown_ = 0;
};
