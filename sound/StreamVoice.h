#pragma once
// A streaming voice: music decoded or synthesised while it plays. The voice pulls
// stereo float frames from its source at the source's rate and resamples them
// (linear interpolation) to the mixer's rate.
#include "sound/Mixer.h"

#include <cstdint>
#include <memory>
#include <vector>

class IStreamSource {
public:
    virtual ~IStreamSource() = default;
    virtual uint32_t Rate() const = 0;
    // Writes up to `frames` interleaved stereo frames; fewer (0 included) means the
    // source has ended. Called with the mixer's lock held: keep it bounded.
    virtual size_t Read(float* stereo, size_t frames) = 0;
    // Goes back to the first frame; false when the source cannot.
    virtual bool Rewind() = 0;
};

class TStreamVoice : public IVoice {
public:
    static constexpr size_t kReadFrames = 512; // frames asked of the source per read

    explicit TStreamVoice(std::shared_ptr<TMixer> mixer);
    ~TStreamVoice() override;
    TStreamVoice(const TStreamVoice&) = delete;
    TStreamVoice& operator=(const TStreamVoice&) = delete;

    // Every call below takes the mixer's lock.
    // Puts a new source in place (stopped, at its start) and returns the old one, so that
    // the caller destroys it outside the lock.
    std::unique_ptr<IStreamSource> SetSource(std::unique_ptr<IStreamSource> source);
    void Start();
    // Rewinds the source and starts it from its first frame.
    void StartFromBeginning();
    void Stop();
    bool Playing();
    // The source has run out since the last Start.
    bool Ended();
    TMixer& Mixer() const { return link_.Mixer(); }

    void MixInto(float* mix, uint32_t frames, uint32_t outRate) override;

private:
    bool Refill(); // lock held; false when no frame is left

    std::unique_ptr<IStreamSource> source_;
    std::vector<float> input_; // source frames not yet passed, stereo
    size_t count_ = 0;         // frames in input_
    uint64_t position_ = 0;    // 32.32 frames into input_
    bool playing_ = false;
    bool ended_ = false;
    bool drained_ = false; // the source returned fewer frames than asked
    TVoiceLink link_;      // last: leaves the mix first
};
