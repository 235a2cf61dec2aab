#include "sound/MixerGain.h"

#include <algorithm>

TRampedGain::TRampedGain(uint32_t rate)
    : frames_(std::max<uint32_t>(1, static_cast<uint32_t>(rate * kSeconds))) {}

void TRampedGain::MoveTo(float target) {
    if (target == target_) return;
    target_ = target;
    left_ = frames_;
    step_ = (target_ - value_) / static_cast<float>(frames_);
}
