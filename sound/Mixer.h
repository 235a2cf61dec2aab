#pragma once
// The software mixer that stands where the sound card's mixer would: every playing
// voice (a sound buffer, an MP3 or MIDI stream) is summed into interleaved stereo at
// the output rate, then clipped. The audio output pulls from it on its own thread;
// tests pull from it directly.
//
// Music is decoded ahead, outside the mix: each stream voice is a producer that fills
// its own ring from its source. With an audio device the mixer's decoder thread runs
// the producers; without one (tests, capture tools) the pull runs them itself before
// each chunk, so that what a test pulls is the same on every run. The audio thread only
// mixes what is ready: it never waits on a file or a synthesiser.
#include "sound/MixerGain.h"
#include "sound/Volume.h"

#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

// One source of sound in the mix. MixInto is called with the mixer's lock held and
// must stay bounded (no I/O, no decoding): it adds `frames` stereo frames at outRate.
class IVoice {
public:
    virtual ~IVoice() = default;
    virtual void MixInto(float* mix, uint32_t frames, uint32_t outRate) = 0;
    // The group whose gain the voice is mixed with.
    virtual TSoundGroup Group() const { return TSoundGroup::Effects; }
};

// Something that decodes ahead of the mix (never on the audio thread, never with the
// mixer's lock held).
class IProducer {
public:
    virtual ~IProducer() = default;
    virtual void Produce() = 0;
};

// What the mixer measured: the audio callback's time, the decoder's passes (the work
// that is kept out of the callback), the voices' underruns and the longest time the
// game thread waited for a lock the mix or the decoder held.
struct TMixerStats {
    uint64_t Callbacks = 0;
    double MedianCallbackUs = 0;
    double WorstCallbackUs = 0;
    uint64_t DecoderPasses = 0;
    double MedianDecoderPassUs = 0;
    double WorstDecoderPassUs = 0;
    uint64_t Underruns = 0;
    double LongestControlWaitUs = 0;
};

// Durations counted in 1 us steps up to 20 ms (the last step holds everything longer),
// recorded by one thread and read by another.
class TDurationLog {
public:
    TDurationLog() : steps_(kSteps) {}
    void Record(uint64_t ns);
    uint64_t Count() const;
    double MedianUs() const; // the middle of the median's step
    double WorstUs() const { return static_cast<double>(worstNs_.load()) / 1000.0; }

private:
    static constexpr size_t kSteps = 20000;
    std::vector<std::atomic<uint32_t>> steps_;
    std::atomic<uint64_t> worstNs_{0};
};

class TMixer {
public:
    static constexpr uint32_t kDefaultRate = 48000;
    static constexpr uint32_t kChunkFrames = 1024; // frames mixed per pass

    explicit TMixer(uint32_t rate = kDefaultRate);
    ~TMixer();
    TMixer(const TMixer&) = delete;
    TMixer& operator=(const TMixer&) = delete;

    uint32_t Rate() const { return rate_; }
    // The mixer's lock guards the voice list and the mixing state of every voice:
    // whatever the game thread changes on a voice, it changes under this lock. The mix
    // holds it only while mixing, never across decoding. ControlLock(m) takes another
    // lock of the sound (a voice's source lock) the same way. Both count how long the
    // game thread had to wait.
    std::unique_lock<std::mutex> ControlLock() { return ControlLock(mutex_); }
    std::unique_lock<std::mutex> ControlLock(std::mutex& m);

    void Add(IVoice* voice);
    void Remove(IVoice* voice);
    size_t VoiceCount();
    void AddProducer(IProducer* producer);
    void RemoveProducer(IProducer* producer);

    // A decoder thread runs the producers from now on (started by a real audio output,
    // before its device pulls), until StopDecoder or the destructor.
    void StartDecoder();
    void StopDecoder();
    // Asks the decoder for a pass now (a voice started or was cleared).
    void WakeDecoder();
    // Runs every producer once on the calling thread.
    void ProduceAll();

    // Interleaved stereo output, clipped to the format's range.
    void MixFloat(float* out, uint32_t frames);
    void MixS16(int16_t* out, uint32_t frames);

    // The loudness controls, set at any time from any thread: a gain from 0 (digital
    // silence) to 1 (the level the sound was made at, and the default). The mix moves
    // to a new value over 20 ms. Muting takes the master gain to 0 the same way and
    // keeps its value for unmuting.
    void SetGain(TGainControl control, float gain);
    float Gain(TGainControl control) const;
    void SetMuted(bool muted) { muted_.store(muted, std::memory_order_relaxed); }
    bool Muted() const { return muted_.load(std::memory_order_relaxed); }

    // The audio output's callback took `ns` nanoseconds (audio thread only).
    void RecordCallback(uint64_t ns);
    void CountUnderrun() { underruns_.fetch_add(1, std::memory_order_relaxed); }
    TMixerStats Stats() const;

private:
    void MixChunk(uint32_t frames); // into scratch_, lock held
    void ApplyGains(uint32_t frames);
    template <typename Write> void Mix(uint32_t frames, Write write);
    void DecoderLoop();

    uint32_t rate_;
    std::mutex mutex_;
    std::vector<IVoice*> voices_;
    std::vector<float> scratch_; // the mix (the music's part while the groups' gains differ)
    std::vector<float> effects_; // the effects' part then

    std::array<std::atomic<float>, 3> gainTargets_{1.0f, 1.0f, 1.0f}; // by TGainControl
    std::atomic<bool> muted_{false};
    std::array<TRampedGain, 3> gains_; // the mix's side, under its lock

    std::mutex producersMutex_; // held by a pass over the producers
    std::vector<IProducer*> producers_;
    std::thread decoder_;
    std::atomic<bool> decoding_{false};
    std::mutex wakeMutex_;
    std::condition_variable wake_;
    bool woken_ = false;
    bool quit_ = false;

    TDurationLog callbackTimes_;
    TDurationLog decoderTimes_;
    std::atomic<uint64_t> underruns_{0};
    std::atomic<uint64_t> longestWaitNs_{0};
};

// Keeps a voice in a mixer for as long as it lives. Declare it as the last member of
// the voice, so that it leaves the mix before the rest of the voice is torn down.
class TVoiceLink {
public:
    TVoiceLink(std::shared_ptr<TMixer> mixer, IVoice* voice, IProducer* producer = nullptr);
    ~TVoiceLink();
    TVoiceLink(const TVoiceLink&) = delete;
    TVoiceLink& operator=(const TVoiceLink&) = delete;
    TMixer& Mixer() const { return *mixer_; }
    const std::shared_ptr<TMixer>& SharedMixer() const { return mixer_; }

private:
    std::shared_ptr<TMixer> mixer_;
    IVoice* voice_;
    IProducer* producer_;
};
