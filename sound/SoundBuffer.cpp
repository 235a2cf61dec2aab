#include "sound/SoundBuffer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {
bool FiniteVector(const TSoundVector& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// One sample of a frame as a float in [-1, 1).
inline float SampleValue(const uint8_t* p) {
    return (static_cast<float>(*p) - 128.0f) * (1.0f / 128.0f);
}
inline float SampleValue(const int16_t* p) {
    int16_t v;
    std::memcpy(&v, p, sizeof v);
    return static_cast<float>(v) * (1.0f / 32768.0f);
}
} // namespace

int32_t TSoundListener3D::SetAllParameters(const TListenerRecord& r) {
    if (r.dwSize != sizeof(TListenerRecord)) return SoundResult::InvalidParam;
    if (!FiniteVector(r.vPosition) || !FiniteVector(r.vVelocity) || !FiniteVector(r.vOrientFront) ||
        !FiniteVector(r.vOrientTop))
        return SoundResult::InvalidParam;
    if (!(r.flDistanceFactor > 0.0f) || !std::isfinite(r.flDistanceFactor)) return SoundResult::InvalidParam;
    if (!(r.flRolloffFactor >= 0.0f && r.flRolloffFactor <= 10.0f)) return SoundResult::InvalidParam;
    if (!(r.flDopplerFactor >= 0.0f && r.flDopplerFactor <= 10.0f)) return SoundResult::InvalidParam;
    params_ = r;
    return SoundResult::Ok;
}

TSoundBuffer::TSoundBuffer(std::shared_ptr<TMixer> mixer, uint32_t flags, uint32_t bytes,
                           const TWaveFormat* format)
    : flags_(flags), tail_(mixer->Rate()), rampIn_(mixer->Rate()), link_(std::move(mixer), this) {
    if (IsPrimary()) {
        if (flags_ & SoundBufferFlags::Ctrl3D) listener_ = std::make_unique<TSoundListener3D>();
        return;
    }
    format_ = *format;
    samples_ = std::make_shared<std::vector<uint8_t>>(bytes, format_.wBitsPerSample == 8 ? 0x80 : 0x00);
    frameCount_ = bytes / format_.nBlockAlign;
    frequency_ = format_.nSamplesPerSec;
}

TSoundBuffer::TSoundBuffer(DuplicateTag, TSoundBuffer& source)
    : flags_(source.flags_), format_(source.format_), samples_(source.samples_),
      frameCount_(source.frameCount_), frequency_(source.format_.nSamplesPerSec),
      tail_(source.link_.Mixer().Rate()), rampIn_(source.link_.Mixer().Rate()),
      link_(source.link_.SharedMixer(), this) {}

std::shared_ptr<TSoundBuffer> TSoundBuffer::Duplicate() {
    if (IsPrimary()) return nullptr;
    return std::make_shared<TSoundBuffer>(DuplicateTag{}, *this);
}

int32_t TSoundBuffer::Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* length1, void** region2,
                           uint32_t* length2) {
    if (!region1 || !length1) return SoundResult::InvalidParam;
    const uint32_t size = Size();
    if (size == 0 || offset >= size || bytes == 0 || bytes > size) return SoundResult::InvalidParam;
    uint8_t* base = samples_->data();
    const uint32_t first = std::min(bytes, size - offset);
    *region1 = base + offset;
    *length1 = first;
    const uint32_t rest = bytes - first;
    if (rest > 0 && (!region2 || !length2)) return SoundResult::InvalidParam;
    if (region2) *region2 = rest > 0 ? base : nullptr;
    if (length2) *length2 = rest;
    return SoundResult::Ok;
}

int32_t TSoundBuffer::Unlock(void* region1, uint32_t length1, void* region2, uint32_t length2) {
    const uint32_t size = Size();
    if (size == 0) return SoundResult::InvalidParam;
    const uint8_t* base = samples_->data();
    const auto inside = [&](void* p, uint32_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        return b >= base && b <= base + size && n <= static_cast<uint32_t>(base + size - b);
    };
    if (!region1 || !inside(region1, length1)) return SoundResult::InvalidParam;
    if (length2 > 0 && (!region2 || !inside(region2, length2))) return SoundResult::InvalidParam;
    return SoundResult::Ok;
}

int32_t TSoundBuffer::SetCurrentPosition(uint32_t byteOffset) {
    if (IsPrimary()) return SoundResult::InvalidCall;
    if (byteOffset >= Size() && byteOffset != 0) return SoundResult::InvalidParam;
    auto lock = link_.Mixer().ControlLock();
    const bool playing = playing_;
    Cut();
    cursor_ = static_cast<uint64_t>(byteOffset / format_.nBlockAlign) << 32;
    playing_ = playing;
    if (cursor_ != 0)
        rampIn_.Start();
    else
        rampIn_.Cancel();
    return SoundResult::Ok;
}

int32_t TSoundBuffer::GetCurrentPosition(uint32_t* byteOffset) {
    if (!byteOffset) return SoundResult::InvalidParam;
    auto lock = link_.Mixer().ControlLock();
    const uint64_t frame = std::min<uint64_t>(cursor_ >> 32, frameCount_);
    *byteOffset = IsPrimary() ? 0 : static_cast<uint32_t>(frame * format_.nBlockAlign);
    return SoundResult::Ok;
}

int32_t TSoundBuffer::Play(uint32_t reserved, uint32_t priority, uint32_t flags) {
    if (reserved != 0 || flags != 0) return SoundResult::InvalidParam;
    (void)priority;
    auto lock = link_.Mixer().ControlLock();
    if (!playing_) {
        if (cursor_ != 0)
            rampIn_.Start();
        else
            rampIn_.Cancel();
    }
    playing_ = !IsPrimary() && frameCount_ > 0;
    return SoundResult::Ok;
}

int32_t TSoundBuffer::Stop() {
    auto lock = link_.Mixer().ControlLock();
    Cut();
    return SoundResult::Ok;
}

void TSoundBuffer::Cut() {
    if (!playing_) return;
    MixPlaying(tail_.Begin(), tail_.Length(), link_.Mixer().Rate());
    tail_.Finish();
    playing_ = false;
}

int32_t TSoundBuffer::SetFrequency(uint32_t hz) {
    if (IsPrimary()) return SoundResult::InvalidCall;
    if (hz < kMinFrequency || hz > kMaxFrequency) return SoundResult::InvalidParam;
    auto lock = link_.Mixer().ControlLock();
    frequency_ = hz;
    return SoundResult::Ok;
}

bool TSoundBuffer::Playing() {
    auto lock = link_.Mixer().ControlLock();
    return playing_;
}

int32_t TSoundBuffer::QueryListener3D(TSoundListener3D** listener) {
    if (!listener) return SoundResult::InvalidParam;
    *listener = listener_.get();
    return listener_ ? SoundResult::Ok : SoundResult::NoInterface;
}

template <typename Sample, int Channels>
void TSoundBuffer::MixFrames(float* mix, uint32_t frames, uint64_t step) {
    const auto* data = reinterpret_cast<const Sample*>(samples_->data());
    const uint64_t last = frameCount_ - 1;
    for (uint32_t i = 0; i < frames; ++i) {
        const uint64_t idx = cursor_ >> 32;
        if (idx > last) {
            playing_ = false;
            return;
        }
        const float t = static_cast<float>(cursor_ & 0xFFFFFFFFu) * (1.0f / 4294967296.0f);
        const uint64_t next = idx < last ? idx + 1 : idx;
        const Sample* a = data + idx * Channels;
        const Sample* b = data + next * Channels;
        const float l0 = SampleValue(a), l1 = SampleValue(b);
        const float left = l0 + (l1 - l0) * t;
        float right = left;
        if constexpr (Channels == 2) {
            const float r0 = SampleValue(a + 1), r1 = SampleValue(b + 1);
            right = r0 + (r1 - r0) * t;
        }
        const float gain = rampIn_.Next();
        mix[2 * i] += gain * left;
        mix[2 * i + 1] += gain * right;
        cursor_ += step;
    }
}

void TSoundBuffer::MixInto(float* mix, uint32_t frames, uint32_t outRate) {
    if (tail_.Sounding()) tail_.MixInto(mix, frames);
    MixPlaying(mix, frames, outRate);
}

void TSoundBuffer::MixPlaying(float* mix, uint32_t frames, uint32_t outRate) {
    if (!playing_ || frameCount_ == 0) return;
    const uint64_t step = (static_cast<uint64_t>(frequency_) << 32) / outRate;
    const bool stereo = format_.nChannels == 2;
    if (format_.wBitsPerSample == 8) {
        stereo ? MixFrames<uint8_t, 2>(mix, frames, step) : MixFrames<uint8_t, 1>(mix, frames, step);
    } else {
        stereo ? MixFrames<int16_t, 2>(mix, frames, step) : MixFrames<int16_t, 1>(mix, frames, step);
    }
    if ((cursor_ >> 32) >= frameCount_) playing_ = false;
}
