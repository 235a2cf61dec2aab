#pragma once
// A streaming voice: music decoded or synthesised while it plays. The voice's producer
// side reads stereo float frames from its source at the source's rate into a ring,
// ahead of the mix and outside the mixer's lock; the mix takes them from the ring and
// resamples them (linear interpolation) to the mixer's rate. When the ring runs dry
// before the source has ended, the voice is silent for the rest of that pass and the
// mixer counts an underrun.
#include "sound/FrameRing.h"
#include "sound/Mixer.h"
#include "sound/VoiceRamp.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

class IStreamSource {
public:
    virtual ~IStreamSource() = default;
    virtual uint32_t Rate() const = 0;
    // Writes up to `frames` interleaved stereo frames; fewer (0 included) means the
    // source has ended. Called with the voice's source lock held, never on the audio
    // thread.
    virtual size_t Read(float* stereo, size_t frames) = 0;
    // Goes back to the first frame; false when the source cannot.
    virtual bool Rewind() = 0;
};

class TStreamVoice : public IVoice, public IProducer {
public:
    static constexpr size_t kReadFrames = 512;   // frames asked of the source per read
    static constexpr size_t kAheadFrames = 8192; // decoded ahead: about 170 ms at 48 kHz

    explicit TStreamVoice(std::shared_ptr<TMixer> mixer);
    ~TStreamVoice() override;
    TStreamVoice(const TStreamVoice&) = delete;
    TStreamVoice& operator=(const TStreamVoice&) = delete;

    // The calls below are the game thread's.
    // Puts a new source in place (stopped, at its start) and returns the old one, so that
    // the caller destroys it outside the locks.
    std::unique_ptr<IStreamSource> SetSource(std::unique_ptr<IStreamSource> source);
    // Plays on from where it stopped (what was decoded ahead is heard first), fading in
    // over 5 ms.
    void Start();
    // Rewinds the source and starts it from its first frame (what was playing fades out).
    void StartFromBeginning();
    // Fades out over 20 ms (on what was decoded ahead) and stops.
    void Stop();
    // A looping voice goes on from the source's last frame to its first, frame for frame,
    // and never ends (for a source that can rewind). Off for a new source.
    void SetLooping(bool looping);
    bool Playing();
    // The source has run out since the last Start and everything it gave was heard.
    bool Ended();
    // Keeps the decoder away from the source (for a source with controls of its own).
    std::unique_lock<std::mutex> LockSource() { return Mixer().ControlLock(sourceMutex_); }
    // Drops what was decoded ahead, so that what the source makes next is heard next;
    // the source lock (LockSource) must be held.
    void DiscardAhead();
    // Source frames the mix has taken since the last start from the beginning, discard
    // or new source.
    uint64_t FramesTaken() const { return ring_.ReadPosition(); }
    TMixer& Mixer() const { return link_.Mixer(); }

    void MixInto(float* mix, uint32_t frames, uint32_t outRate) override; // audio thread
    TSoundGroup Group() const override { return TSoundGroup::Music; }
    void Produce() override; // decoder

private:
    enum class TRefill { Ready, Starved, Ended };
    TRefill Refill();         // mixer's lock held
    void ResetMix();          // both locks held
    void Restart();           // after a start: decodes the first stretch
    void Fill(size_t frames); // source lock held: decodes until `frames` are ahead
    size_t ReadPiece();       // source lock held: one read, across the loop's join
    void Cut();               // mixer's lock held: what plays now fades out in the tail
    void MixPlaying(float* mix, uint32_t frames, uint32_t outRate);

    std::mutex sourceMutex_; // the source and the ring's producer side
    std::unique_ptr<IStreamSource> source_;
    std::vector<float> piece_; // one read of the source
    bool looping_ = false;
    TFrameRing ring_;
    std::atomic<uint32_t> sourceRate_{0};

    // The mix's side, under the mixer's lock.
    std::vector<float> input_; // frames taken from the ring not yet passed, stereo
    size_t count_ = 0;         // frames in input_
    uint64_t position_ = 0;    // 32.32 frames into input_
    std::atomic<bool> playing_{false};
    bool ended_ = false;
    bool drained_ = false; // every frame of the source is in input_
    TFadeTail tail_;
    TRampIn rampIn_;
    bool cutInMiddle_ = false; // stopped while it played: Start fades in
    TVoiceLink link_;          // last: leaves the mix and the decoder first
};
