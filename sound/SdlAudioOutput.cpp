#include "sound/SdlAudioOutput.h"

#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Translate.h"

#include <SDL.h>

#include <chrono>

TSdlAudioOutput::~TSdlAudioOutput() {
    Close();
}

bool TSdlAudioOutput::Open(std::shared_ptr<TMixer> mixer) {
    Close();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        error_ = SDL_GetError();
        ReportDiagnostic(Format(Tr("サウンドデバイスがありません: %s"), error_.c_str()));
        return false;
    }
    subsystem_ = true;
    mixer_ = std::move(mixer);
    SDL_AudioSpec want{};
    want.freq = static_cast<int>(mixer_->Rate());
    want.format = AUDIO_F32SYS;
    want.channels = 2;
    want.samples = 1024;
    want.callback = &TSdlAudioOutput::Callback;
    want.userdata = this;
    SDL_AudioSpec have{};
    // No changes allowed: SDL converts to whatever the hardware wants.
    device_ = SDL_OpenAudioDevice(nullptr, 0, &want, &have, 0);
    if (device_ == 0) {
        error_ = SDL_GetError();
        ReportDiagnostic(Format(Tr("サウンドデバイスを開けません: %s"), error_.c_str()));
        Close();
        return false;
    }
    // Music is decoded on the mixer's own thread from now on, never in the callback.
    mixer_->StartDecoder();
    SDL_PauseAudioDevice(device_, 0);
    return true;
}

void TSdlAudioOutput::Close() {
    if (device_ != 0) {
        SDL_CloseAudioDevice(device_); // waits for a running callback to finish
        device_ = 0;
        mixer_->StopDecoder();
    }
    if (subsystem_) {
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
        subsystem_ = false;
    }
    mixer_.reset();
}

void TSdlAudioOutput::Callback(void* self, uint8_t* stream, int len) {
    auto* out = static_cast<TSdlAudioOutput*>(self);
    const auto frames = static_cast<uint32_t>(len / static_cast<int>(2 * sizeof(float)));
    const auto start = std::chrono::steady_clock::now();
    out->mixer_->MixFloat(reinterpret_cast<float*>(stream), frames);
    out->mixer_->RecordCallback(static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now() - start)
            .count()));
}
