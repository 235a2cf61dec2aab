#pragma once
// The MIDI player for tests: files open when the test lists them as playable, the
// test ends a track with FinishTrack(), every call is recorded, and the errors are
// the real player's (stopping or seeking while nothing is open does nothing).
#include "music/MidiPlayer.h"

#include <set>
#include <string>
#include <vector>

class FakeMidiPlayer : public IMidiPlayer {
public:
    std::set<std::string> playable;
    std::vector<std::string> calls; // "open <file>", "close", "play", "stop", "seek <ticks>"
    int32_t position = 0;

    const std::string& FileName() const override { return fileName_; }
    void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
    void Open() override {
        calls.push_back("open " + fileName_);
        mode_ = TMPModes::mpNotReady; // what was open is closed first
        if (!playable.count(fileName_))
            throw EMCIDeviceError(fileName_ + " を開けません: ファイルが見つかりません");
        mode_ = TMPModes::mpStopped;
        position = 0;
    }
    void Close() override {
        calls.push_back("close");
        mode_ = TMPModes::mpNotReady;
    }
    void Play() override {
        Require("play");
        mode_ = TMPModes::mpPlaying;
    }
    void Stop() override {
        calls.push_back("stop");
        if (mode_ != TMPModes::mpNotReady) mode_ = TMPModes::mpStopped;
    }
    void SetPosition(int32_t ticks) override {
        calls.push_back("seek " + std::to_string(ticks));
        if (mode_ == TMPModes::mpNotReady) return;
        position = ticks;
        mode_ = TMPModes::mpStopped;
    }
    TMPModes Mode() override { return mode_; }
    void SetLooping(bool on) override { looping = on; }
    bool looping = false;

    // The track plays to its end (and a looping one on from its start).
    void FinishTrack() {
        if (mode_ == TMPModes::mpPlaying && !looping) mode_ = TMPModes::mpStopped;
    }

private:
    void Require(const std::string& call) {
        calls.push_back(call);
        if (mode_ == TMPModes::mpNotReady) throw EMCIDeviceError(kNoMciDevice);
    }

    std::string fileName_;
    TMPModes mode_ = TMPModes::mpNotReady;
};
