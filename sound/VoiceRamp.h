#pragma once
// The ramps that keep a voice from stepping the output: a cut voice plays on for a
// moment, faded to silence (its tail), and a voice that starts in the middle of its
// sound fades in. Both belong to the mix's side of a voice (the mixer's lock held).
#include <cstdint>
#include <vector>

class TFadeTail {
public:
    static constexpr double kSeconds = 0.02; // a stop's ramp to silence

    explicit TFadeTail(uint32_t rate);
    // Frames in a fade at the mixer's rate.
    uint32_t Length() const { return length_; }
    // A zeroed stereo buffer of Length() frames for what the voice would play next.
    float* Begin();
    // Fades what was written since Begin to silence over Length() frames (the rest of a
    // tail still sounding plays on with it) and plays it from the next mix on.
    void Finish();
    // Adds what is left of the tail.
    void MixInto(float* mix, uint32_t frames);
    bool Sounding() const { return position_ < length_; }

private:
    uint32_t length_;
    std::vector<float> tail_, next_; // stereo
    uint32_t position_;              // frames of tail_ already played
};

// A fade from silence over 5 ms, for a voice that starts in the middle of its sound.
class TRampIn {
public:
    static constexpr double kSeconds = 0.005;

    explicit TRampIn(uint32_t rate) : length_(static_cast<uint32_t>(rate * kSeconds)) {}
    void Start() { done_ = 0; }
    void Cancel() { done_ = length_; }
    // The gain of the next frame (exactly 1 once the ramp is over).
    float Next() {
        if (done_ >= length_) return 1.0f;
        return static_cast<float>(++done_) / static_cast<float>(length_ + 1);
    }

private:
    uint32_t length_;
    uint32_t done_ = UINT32_MAX;
};
