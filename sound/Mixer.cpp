#include "sound/Mixer.h"

#include <algorithm>
#include <cmath>

TMixer::TMixer(uint32_t rate) : rate_(rate == 0 ? kDefaultRate : rate), scratch_(2 * kChunkFrames) {}

void TMixer::Add(IVoice* voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (std::find(voices_.begin(), voices_.end(), voice) == voices_.end()) voices_.push_back(voice);
}

void TMixer::Remove(IVoice* voice) {
    std::lock_guard<std::mutex> lock(mutex_);
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

size_t TMixer::VoiceCount() {
    std::lock_guard<std::mutex> lock(mutex_);
    return voices_.size();
}

void TMixer::MixChunk(uint32_t frames) {
    std::fill(scratch_.begin(), scratch_.begin() + 2 * frames, 0.0f);
    for (IVoice* v : voices_) v->MixInto(scratch_.data(), frames, rate_);
}

void TMixer::MixFloat(float* out, uint32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (frames > 0) {
        const uint32_t n = std::min(frames, kChunkFrames);
        MixChunk(n);
        for (uint32_t i = 0; i < 2 * n; ++i) out[i] = std::clamp(scratch_[i], -1.0f, 1.0f);
        out += 2 * n;
        frames -= n;
    }
}

void TMixer::MixS16(int16_t* out, uint32_t frames) {
    std::lock_guard<std::mutex> lock(mutex_);
    while (frames > 0) {
        const uint32_t n = std::min(frames, kChunkFrames);
        MixChunk(n);
        for (uint32_t i = 0; i < 2 * n; ++i) {
            const float s = std::clamp(scratch_[i], -1.0f, 1.0f) * 32767.0f;
            out[i] = static_cast<int16_t>(std::lrint(s));
        }
        out += 2 * n;
        frames -= n;
    }
}

TVoiceLink::TVoiceLink(std::shared_ptr<TMixer> mixer, IVoice* voice)
    : mixer_(std::move(mixer)), voice_(voice) {
    mixer_->Add(voice_);
}

TVoiceLink::~TVoiceLink() {
    mixer_->Remove(voice_);
}
