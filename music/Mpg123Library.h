#pragma once
// The MP3 library over libmpg123: the opened file is decoded in small pieces by a
// streaming voice of the game's mixer, on the audio thread, as it plays.
#include "music/Mp3Library.h"
#include "sound/Mixer.h"
#include "sound/StreamVoice.h"

#include <memory>

class TMpg123Library : public IMp3Library {
public:
    explicit TMpg123Library(std::shared_ptr<TMixer> mixer);
    ~TMpg123Library() override;
    TMpg123Library(const TMpg123Library&) = delete;
    TMpg123Library& operator=(const TMpg123Library&) = delete;

    void vbmp3_init() override;
    bool vbmp3_open(const std::string& fileName, Mp3Info* info) override;
    void vbmp3_play() override;
    void vbmp3_playloop() override;
    void vbmp3_stop() override;
    void vbmp3_close() override;
    void vbmp3_free() override;

    // Something is sounding (false once the file has played to its end).
    bool Playing() { return voice_.Playing(); }
    bool IsOpen() const { return open_; }

private:
    bool initialized_ = false;
    bool open_ = false;
    TStreamVoice voice_;
};
