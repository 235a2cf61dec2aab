#pragma once
// The MP3 library for tests: files open when the test has scripted their play time,
// every call is recorded, and nothing sounds.
#include "music/Mp3Library.h"

#include <map>
#include <string>
#include <vector>

class FakeMp3Library : public IMp3Library {
public:
    std::map<std::string, int32_t> playTimes; // file name -> play time in seconds
    std::vector<std::string> calls; // "init", "open <file>", "play", "play loop", "stop", "close", "free"
    bool initialized = false;
    bool playing = false;
    std::string openFile; // "" when nothing is open

    void vbmp3_init() override {
        calls.push_back("init");
        initialized = true;
    }
    bool vbmp3_open(const std::string& fileName, Mp3Info* info) override {
        calls.push_back("open " + fileName);
        if (!initialized || !info) return false;
        CloseQuietly();
        const auto it = playTimes.find(fileName);
        if (it == playTimes.end()) return false; // info keeps what it held
        info->PlayTime = it->second;
        openFile = fileName;
        return true;
    }
    void vbmp3_play() override {
        calls.push_back("play");
        playing = initialized && !openFile.empty();
    }
    void vbmp3_playloop() override {
        calls.push_back("play loop");
        playing = initialized && !openFile.empty();
    }
    void vbmp3_stop() override {
        calls.push_back("stop");
        playing = false;
    }
    void vbmp3_close() override {
        calls.push_back("close");
        CloseQuietly();
    }
    void vbmp3_free() override {
        calls.push_back("free");
        CloseQuietly();
        initialized = false;
    }

private:
    void CloseQuietly() {
        openFile.clear();
        playing = false;
    }
};
