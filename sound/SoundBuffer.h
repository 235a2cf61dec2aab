#pragma once
// A sound buffer: samples in a wave format, played once from a cursor into the mixer.
// Duplicates share the samples (reference counted) and keep their own cursor, play
// state and frequency. A primary buffer holds no samples and only stands for the
// output; with 3D control it carries the listener.
#include "sound/Mixer.h"
#include "sound/VoiceRamp.h"
#include "sound/WaveFormat.h"

#include <cstdint>
#include <memory>
#include <vector>

// Results of the sound device's calls: 0 is success, failures are negative codes.
struct SoundResult {
    static constexpr int32_t Ok = 0;
    static constexpr int32_t InvalidParam = static_cast<int32_t>(0x80070057);
    static constexpr int32_t OutOfMemory = static_cast<int32_t>(0x8007000E);
    static constexpr int32_t NoInterface = static_cast<int32_t>(0x80004002);
    static constexpr int32_t InvalidCall = static_cast<int32_t>(0x88780032);
    static constexpr int32_t BadFormat = static_cast<int32_t>(0x88780064);
    static constexpr int32_t NoDriver = static_cast<int32_t>(0x88780078);
    static constexpr int32_t Uninitialized = static_cast<int32_t>(0x887800AA);
};

// Buffer description flags (the capabilities a buffer is asked for).
struct SoundBufferFlags {
    static constexpr uint32_t Primary = 0x00000001;
    static constexpr uint32_t Ctrl3D = 0x00000010;
    static constexpr uint32_t CtrlFrequency = 0x00000020;
    static constexpr uint32_t CtrlPan = 0x00000040;
    static constexpr uint32_t CtrlVolume = 0x00000080;
    static constexpr uint32_t CtrlFX = 0x00000200;
    static constexpr uint32_t StickyFocus = 0x00004000;
};

// The 36-byte buffer description: size, flags, buffer bytes, format.
struct TSoundBufferDesc {
    uint32_t dwSize = 36;
    uint32_t dwFlags = 0;
    uint32_t dwBufferBytes = 0;
    const TWaveFormat* lpwfxFormat = nullptr;
};

// Largest buffer the device makes (a WAV effect is far smaller).
constexpr uint32_t kMaxSoundBufferBytes = 256u * 1024u * 1024u;

// A 3D vector and the listener record, 64 bytes in the DS3DLISTENER layout.
struct TSoundVector {
    float x = 0, y = 0, z = 0;
};
struct TListenerRecord {
    uint32_t dwSize = 64;
    TSoundVector vPosition;
    TSoundVector vVelocity;
    TSoundVector vOrientFront{0, 0, 1.0f};
    TSoundVector vOrientTop{0, 1.0f, 0};
    float flDistanceFactor = 1.0f;
    float flRolloffFactor = 1.0f;
    float flDopplerFactor = 1.0f;
};
static_assert(sizeof(TListenerRecord) == 64, "listener record layout");

// The listener of a primary buffer made with 3D control.
class TSoundListener3D {
public:
    // Checks and keeps the record (the sound effects are not placed in space, so the
    // mix does not change). InvalidParam for a wrong size or factors out of range.
    int32_t SetAllParameters(const TListenerRecord& record);
    const TListenerRecord& Parameters() const { return params_; }

private:
    TListenerRecord params_;
};

class TSoundBuffer : public IVoice {
public:
    // A secondary buffer of `bytes` zero bytes in `format`, or (format null) a primary buffer.
    TSoundBuffer(std::shared_ptr<TMixer> mixer, uint32_t flags, uint32_t bytes, const TWaveFormat* format);
    ~TSoundBuffer() override = default;
    TSoundBuffer(const TSoundBuffer&) = delete;
    TSoundBuffer& operator=(const TSoundBuffer&) = delete;

    // A duplicate: the same samples, its own cursor, stopped, at the format's rate.
    std::shared_ptr<TSoundBuffer> Duplicate();

    bool IsPrimary() const { return (flags_ & SoundBufferFlags::Primary) != 0; }
    uint32_t Flags() const { return flags_; }
    const TWaveFormat& Format() const { return format_; }
    uint32_t Size() const { return samples_ ? static_cast<uint32_t>(samples_->size()) : 0; }
    // How many buffers (this one and its duplicates) hold the samples.
    long SampleOwners() const { return samples_.use_count(); }

    // Write access to `bytes` from `offset`, wrapping to the start in a second region.
    // The regions are the shared samples themselves (no copy): fill them before this
    // buffer or a duplicate of it plays.
    int32_t Lock(uint32_t offset, uint32_t bytes, void** region1, uint32_t* length1, void** region2,
                 uint32_t* length2);
    int32_t Unlock(void* region1, uint32_t length1, void* region2, uint32_t length2);
    // Moving the cursor of a playing buffer cuts what it played: that fades out over
    // 20 ms while it plays on from the new place (fading in unless that is the start).
    int32_t SetCurrentPosition(uint32_t byteOffset);
    int32_t GetCurrentPosition(uint32_t* byteOffset);
    // Plays once from the cursor (looping is not supported: flags must be 0), fading in
    // over 5 ms when the cursor is not at the start.
    int32_t Play(uint32_t reserved, uint32_t priority, uint32_t flags);
    // Fades out over 20 ms and stops.
    int32_t Stop();
    int32_t SetFrequency(uint32_t hz);
    bool Playing();
    // The primary buffer's listener (Ctrl3D primary buffers only), else NoInterface.
    int32_t QueryListener3D(TSoundListener3D** listener);

    void MixInto(float* mix, uint32_t frames, uint32_t outRate) override;

private:
    struct DuplicateTag {};

public:
    TSoundBuffer(DuplicateTag, TSoundBuffer& source); // use Duplicate()

private:
    template <typename Sample, int Channels> void MixFrames(float* mix, uint32_t frames, uint64_t step);
    void MixPlaying(float* mix, uint32_t frames, uint32_t outRate);
    void Cut(); // mixer's lock held: what plays now fades out in the tail

    uint32_t flags_ = 0;
    TWaveFormat format_;
    std::shared_ptr<std::vector<uint8_t>> samples_;
    uint32_t frameCount_ = 0;
    uint32_t frequency_ = 0;
    uint64_t cursor_ = 0; // in frames, 32.32 fixed point
    bool playing_ = false;
    std::unique_ptr<TSoundListener3D> listener_;
    TFadeTail tail_;
    TRampIn rampIn_;
    TVoiceLink link_; // last: leaves the mix first
};
