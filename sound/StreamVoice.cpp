#include "sound/StreamVoice.h"

#include <algorithm>

TStreamVoice::TStreamVoice(std::shared_ptr<TMixer> mixer)
    : input_(2 * (kReadFrames + 2)), link_(std::move(mixer), this) {}

TStreamVoice::~TStreamVoice() = default;

std::unique_ptr<IStreamSource> TStreamVoice::SetSource(std::unique_ptr<IStreamSource> source) {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    std::swap(source_, source);
    count_ = 0;
    position_ = 0;
    playing_ = false;
    ended_ = false;
    drained_ = false;
    return source;
}

void TStreamVoice::Start() {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    playing_ = source_ != nullptr;
    ended_ = false;
}

void TStreamVoice::StartFromBeginning() {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    count_ = 0;
    position_ = 0;
    drained_ = false;
    ended_ = false;
    playing_ = source_ != nullptr && source_->Rewind();
}

void TStreamVoice::Stop() {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    playing_ = false;
}

bool TStreamVoice::Playing() {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    return playing_;
}

bool TStreamVoice::Ended() {
    std::lock_guard<std::mutex> lock(link_.Mixer().Mutex());
    return ended_;
}

bool TStreamVoice::Refill() {
    const size_t consumed = std::min(static_cast<size_t>(position_ >> 32), count_);
    const size_t keep = count_ - consumed;
    if (keep > 0 && consumed > 0)
        std::copy(input_.begin() + 2 * consumed, input_.begin() + 2 * count_, input_.begin());
    count_ = keep;
    position_ -= static_cast<uint64_t>(consumed) << 32;
    if (!drained_) {
        const size_t room = input_.size() / 2 - count_;
        const size_t got = source_->Read(input_.data() + 2 * count_, room);
        count_ += std::min(got, room);
        if (got < room) drained_ = true;
    }
    return !(drained_ && static_cast<size_t>(position_ >> 32) >= count_);
}

void TStreamVoice::MixInto(float* mix, uint32_t frames, uint32_t outRate) {
    if (!playing_ || !source_) return;
    const uint64_t step = (static_cast<uint64_t>(source_->Rate()) << 32) / outRate;
    for (uint32_t i = 0; i < frames; ++i) {
        size_t idx = static_cast<size_t>(position_ >> 32);
        // Interpolation needs the frame after idx unless the source is drained.
        while (idx + 1 >= count_ && !(drained_ && idx < count_)) {
            if (!Refill()) {
                playing_ = false;
                ended_ = true;
                return;
            }
            idx = static_cast<size_t>(position_ >> 32);
        }
        const size_t next = idx + 1 < count_ ? idx + 1 : idx;
        const float t = static_cast<float>(position_ & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const float* a = input_.data() + 2 * idx;
        const float* b = input_.data() + 2 * next;
        mix[2 * i] += a[0] + (b[0] - a[0]) * t;
        mix[2 * i + 1] += a[1] + (b[1] - a[1]) * t;
        position_ += step;
    }
}
