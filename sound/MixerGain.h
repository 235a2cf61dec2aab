#pragma once
// A gain of the mix that moves to a new value over a fixed time, frame by frame, so
// that turning the sound up or down never steps the output. At its end it lands on the
// value exactly (0 is digital silence).
#include <cstdint>

class TRampedGain {
public:
    static constexpr double kSeconds = 0.02; // every change takes this long

    explicit TRampedGain(uint32_t rate);
    // A new value to move to (from where the gain is now).
    void MoveTo(float target);
    // The gain for the next frame.
    float Next() {
        if (left_ == 0) return value_;
        return --left_ == 0 ? (value_ = target_) : (value_ += step_);
    }
    float Value() const { return value_; }
    float Target() const { return target_; }
    bool Steady() const { return left_ == 0; }

private:
    uint32_t frames_; // a change's length
    float value_ = 1.0f;
    float target_ = 1.0f;
    float step_ = 0.0f;
    uint32_t left_ = 0;
};
