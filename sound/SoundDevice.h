#pragma once
// The sound device: makes primary and secondary buffers over one mixer and hands the
// mixer to an audio output that pulls the mix. It stands where the system's sound
// device would; the component above it (TDDSD) keeps its own checks and messages.
#include "base/SharedRef.h"
#include "sound/Mixer.h"
#include "sound/SoundBuffer.h"

#include <cstdint>
#include <memory>

// Where the mix goes. The real one is an SDL2 audio device pulling on its own thread;
// in tests the mix is pulled directly through the mixer.
class IAudioOutput {
public:
    virtual ~IAudioOutput() = default;
    // Starts pulling from mixer; false when no output can be opened (no sound device).
    virtual bool Open(std::shared_ptr<TMixer> mixer) = 0;
    // Stops pulling. Also done by the destructor.
    virtual void Close() = 0;
};

// An output that opens without a device: nothing pulls the mix but the caller, through
// the mixer (tests, capture tools).
class TPulledAudioOutput : public IAudioOutput {
public:
    bool Open(std::shared_ptr<TMixer> mixer) override {
        mixer_ = std::move(mixer);
        return true;
    }
    void Close() override { mixer_.reset(); }

private:
    std::shared_ptr<TMixer> mixer_;
};

enum class TCooperativeLevel : uint32_t { Normal = 1, Priority = 2, Exclusive = 3, WritePrimary = 4 };

class TSoundDevice {
public:
    TSoundDevice(std::shared_ptr<TMixer> mixer, std::unique_ptr<IAudioOutput> output);
    ~TSoundDevice();
    TSoundDevice(const TSoundDevice&) = delete;
    TSoundDevice& operator=(const TSoundDevice&) = delete;

    // Opens the output. NoDriver when it cannot be opened; InvalidCall the second time.
    int32_t Initialize();
    // The window the device is tied to (an opaque handle) and the level; Uninitialized
    // before Initialize, InvalidParam for an unknown level.
    int32_t SetCooperativeLevel(uintptr_t window, TCooperativeLevel level);
    // A primary buffer (flags with Primary, no format, 0 bytes) or a secondary buffer of
    // dwBufferBytes in a playable format. BadFormat for a format the mixer cannot play,
    // InvalidParam for a wrong description or size.
    int32_t CreateSoundBuffer(const TSoundBufferDesc& desc, std::shared_ptr<TSoundBuffer>* buffer);
    // A buffer sharing source's samples with its own cursor; InvalidParam without a source.
    int32_t DuplicateSoundBuffer(const std::shared_ptr<TSoundBuffer>& source,
                                 std::shared_ptr<TSoundBuffer>* copy);

    TMixer& Mixer() { return *mixer_; }
    TCooperativeLevel CooperativeLevel() const { return level_; }

private:
    std::shared_ptr<TMixer> mixer_;
    std::unique_ptr<IAudioOutput> output_;
    bool initialized_ = false;
    bool hasPrimary_ = false;
    TCooperativeLevel level_ = TCooperativeLevel::Normal;
};
