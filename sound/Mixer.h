#pragma once
// The software mixer that stands where the sound card's mixer would: every playing
// voice (a sound buffer, an MP3 or MIDI stream) is summed into interleaved stereo at
// the output rate, then clipped. The audio output pulls from it on its own thread;
// tests pull from it directly.
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

// One source of sound in the mix. MixInto is called with the mixer's lock held and
// must stay bounded: it adds `frames` stereo frames at outRate to mix.
class IVoice {
public:
    virtual ~IVoice() = default;
    virtual void MixInto(float* mix, uint32_t frames, uint32_t outRate) = 0;
};

class TMixer {
public:
    static constexpr uint32_t kDefaultRate = 48000;
    static constexpr uint32_t kChunkFrames = 1024; // frames mixed per pass

    explicit TMixer(uint32_t rate = kDefaultRate);
    TMixer(const TMixer&) = delete;
    TMixer& operator=(const TMixer&) = delete;

    uint32_t Rate() const { return rate_; }
    // Guards the voice list and the state of every voice: whatever the main thread
    // changes on a voice, it changes under this lock.
    std::mutex& Mutex() { return mutex_; }

    void Add(IVoice* voice);
    void Remove(IVoice* voice);
    size_t VoiceCount();

    // Interleaved stereo output, clipped to the format's range.
    void MixFloat(float* out, uint32_t frames);
    void MixS16(int16_t* out, uint32_t frames);

private:
    void MixChunk(uint32_t frames); // into scratch_, lock held

    uint32_t rate_;
    std::mutex mutex_;
    std::vector<IVoice*> voices_;
    std::vector<float> scratch_;
};

// Keeps a voice in a mixer for as long as it lives. Declare it as the last member of
// the voice, so that it leaves the mix before the rest of the voice is torn down.
class TVoiceLink {
public:
    TVoiceLink(std::shared_ptr<TMixer> mixer, IVoice* voice);
    ~TVoiceLink();
    TVoiceLink(const TVoiceLink&) = delete;
    TVoiceLink& operator=(const TVoiceLink&) = delete;
    TMixer& Mixer() const { return *mixer_; }
    const std::shared_ptr<TMixer>& SharedMixer() const { return mixer_; }

private:
    std::shared_ptr<TMixer> mixer_;
    IVoice* voice_;
};
