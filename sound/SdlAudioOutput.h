#pragma once
// The real audio output: an SDL2 audio device (only SDL's audio subsystem is
// started) whose callback pulls the mix on SDL's audio thread.
#include "sound/SoundDevice.h"

#include <cstdint>
#include <string>

class TSdlAudioOutput : public IAudioOutput {
public:
    TSdlAudioOutput() = default;
    ~TSdlAudioOutput() override;
    TSdlAudioOutput(const TSdlAudioOutput&) = delete;
    TSdlAudioOutput& operator=(const TSdlAudioOutput&) = delete;

    // False (and a diagnostic with SDL's reason) when there is no audio device.
    bool Open(std::shared_ptr<TMixer> mixer) override;
    void Close() override;
    const std::string& Error() const { return error_; }

private:
    static void Callback(void* self, uint8_t* stream, int len);

    std::shared_ptr<TMixer> mixer_;
    uint32_t device_ = 0;
    bool subsystem_ = false;
    std::string error_;
};
