#include "sound/VoiceRamp.h"

#include <algorithm>

TFadeTail::TFadeTail(uint32_t rate)
    : length_(std::max<uint32_t>(1, static_cast<uint32_t>(rate * kSeconds))), tail_(2 * length_),
      next_(2 * length_), position_(length_) {}

float* TFadeTail::Begin() {
    std::fill(next_.begin(), next_.end(), 0.0f);
    return next_.data();
}

void TFadeTail::Finish() {
    // A linear ramp that reaches zero one frame after the tail: a full-scale sound steps
    // by no more than 1/Length() a frame.
    for (uint32_t i = 0; i < length_; ++i) {
        const float gain = static_cast<float>(length_ - i) / static_cast<float>(length_ + 1);
        next_[2 * i] *= gain;
        next_[2 * i + 1] *= gain;
    }
    for (uint32_t i = position_, j = 0; i < length_; ++i, ++j) {
        next_[2 * j] += tail_[2 * i];
        next_[2 * j + 1] += tail_[2 * i + 1];
    }
    std::swap(tail_, next_);
    position_ = 0;
}

void TFadeTail::MixInto(float* mix, uint32_t frames) {
    const uint32_t n = std::min(frames, length_ - position_);
    const float* from = tail_.data() + 2 * position_;
    for (uint32_t i = 0; i < 2 * n; ++i) mix[i] += from[i];
    position_ += n;
}
