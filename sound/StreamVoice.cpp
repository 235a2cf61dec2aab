#include "sound/StreamVoice.h"

#include <algorithm>

namespace {
constexpr size_t kStartFrames = 2048; // decoded by the starting thread itself
} // namespace

TStreamVoice::TStreamVoice(std::shared_ptr<TMixer> mixer)
    : piece_(2 * kReadFrames), ring_(kAheadFrames), input_(2 * (kReadFrames + 2)), tail_(mixer->Rate()),
      rampIn_(mixer->Rate()), link_(std::move(mixer), this, this) {}

TStreamVoice::~TStreamVoice() = default;

void TStreamVoice::ResetMix() {
    ring_.Reset();
    count_ = 0;
    position_ = 0;
    drained_ = false;
}

std::unique_ptr<IStreamSource> TStreamVoice::SetSource(std::unique_ptr<IStreamSource> source) {
    auto sourceLock = LockSource();
    auto mixLock = Mixer().ControlLock();
    Cut();
    std::swap(source_, source);
    sourceRate_.store(source_ ? source_->Rate() : 0, std::memory_order_relaxed);
    ResetMix();
    playing_ = false;
    ended_ = false;
    cutInMiddle_ = false;
    looping_ = false;
    return source;
}

void TStreamVoice::SetLooping(bool looping) {
    auto sourceLock = LockSource();
    looping_ = looping;
}

void TStreamVoice::Start() {
    {
        auto mixLock = Mixer().ControlLock();
        if (!playing_ && cutInMiddle_) rampIn_.Start();
        cutInMiddle_ = false;
        playing_ = sourceRate_.load(std::memory_order_relaxed) != 0;
        ended_ = false;
    }
    Restart();
}

void TStreamVoice::StartFromBeginning() {
    {
        auto sourceLock = LockSource();
        // Rewinding may read the file again: not while the mix waits for its lock.
        const bool rewound = source_ && source_->Rewind();
        auto mixLock = Mixer().ControlLock();
        Cut(); // from what the mix already has: the source is not read
        ResetMix();
        rampIn_.Cancel();
        cutInMiddle_ = false;
        ended_ = false;
        playing_ = rewound;
    }
    Restart();
}

void TStreamVoice::Cut() {
    if (!playing_) return;
    MixPlaying(tail_.Begin(), tail_.Length(), Mixer().Rate());
    tail_.Finish();
    playing_ = false;
    cutInMiddle_ = true;
}

// The first stretch is decoded here, so that the audio thread has it at its next pass;
// the decoder thread goes on from there.
void TStreamVoice::Restart() {
    if (!playing_) return;
    {
        auto sourceLock = LockSource();
        Fill(kStartFrames);
    }
    Mixer().WakeDecoder();
}

void TStreamVoice::Fill(size_t frames) {
    if (!source_) return;
    while (!ring_.EndWritten() && ring_.Capacity() - ring_.Room() < frames && ring_.Room() >= kReadFrames) {
        const size_t got = ReadPiece();
        ring_.Write(piece_.data(), got, got < kReadFrames);
    }
}

size_t TStreamVoice::ReadPiece() {
    size_t got = std::min(source_->Read(piece_.data(), kReadFrames), kReadFrames);
    while (got < kReadFrames && looping_ && source_->Rewind()) {
        const size_t more =
            std::min(source_->Read(piece_.data() + 2 * got, kReadFrames - got), kReadFrames - got);
        if (more == 0) break; // nothing to loop
        got += more;
    }
    return got;
}

void TStreamVoice::Stop() {
    auto mixLock = Mixer().ControlLock();
    Cut();
}

bool TStreamVoice::Playing() {
    auto mixLock = Mixer().ControlLock();
    return playing_;
}

bool TStreamVoice::Ended() {
    auto mixLock = Mixer().ControlLock();
    return ended_;
}

void TStreamVoice::DiscardAhead() {
    auto mixLock = Mixer().ControlLock();
    ResetMix();
}

void TStreamVoice::Produce() {
    std::lock_guard<std::mutex> sourceLock(sourceMutex_);
    if (playing_.load(std::memory_order_acquire)) Fill(ring_.Capacity());
}

TStreamVoice::TRefill TStreamVoice::Refill() {
    const size_t consumed = std::min(static_cast<size_t>(position_ >> 32), count_);
    const size_t keep = count_ - consumed;
    if (keep > 0 && consumed > 0)
        std::copy(input_.begin() + 2 * consumed, input_.begin() + 2 * count_, input_.begin());
    count_ = keep;
    position_ -= static_cast<uint64_t>(consumed) << 32;
    if (!drained_) {
        const size_t room = input_.size() / 2 - count_;
        const size_t got = ring_.Read(input_.data() + 2 * count_, room);
        count_ += got;
        if (got < room) {
            // Short: the source's end, or the decoder has not caught up.
            if (ring_.Drained())
                drained_ = true;
            else if (got == 0)
                return TRefill::Starved;
        }
    }
    return drained_ && static_cast<size_t>(position_ >> 32) >= count_ ? TRefill::Ended : TRefill::Ready;
}

void TStreamVoice::MixInto(float* mix, uint32_t frames, uint32_t outRate) {
    if (tail_.Sounding()) tail_.MixInto(mix, frames);
    MixPlaying(mix, frames, outRate);
}

void TStreamVoice::MixPlaying(float* mix, uint32_t frames, uint32_t outRate) {
    const uint32_t rate = sourceRate_.load(std::memory_order_relaxed);
    if (!playing_.load(std::memory_order_relaxed) || rate == 0) return;
    const uint64_t step = (static_cast<uint64_t>(rate) << 32) / outRate;
    for (uint32_t i = 0; i < frames; ++i) {
        size_t idx = static_cast<size_t>(position_ >> 32);
        // Interpolation needs the frame after idx unless the source is drained.
        while (idx + 1 >= count_ && !(drained_ && idx < count_)) {
            switch (Refill()) {
            case TRefill::Ended:
                playing_ = false;
                ended_ = true;
                return;
            case TRefill::Starved:
                Mixer().CountUnderrun(); // silent for the rest of this pass
                return;
            case TRefill::Ready:
                break;
            }
            idx = static_cast<size_t>(position_ >> 32);
        }
        const size_t next = idx + 1 < count_ ? idx + 1 : idx;
        const float t = static_cast<float>(position_ & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const float* a = input_.data() + 2 * idx;
        const float* b = input_.data() + 2 * next;
        const float gain = rampIn_.Next();
        mix[2 * i] += gain * (a[0] + (b[0] - a[0]) * t);
        mix[2 * i + 1] += gain * (a[1] + (b[1] - a[1]) * t);
        position_ += step;
    }
}
