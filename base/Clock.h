#pragma once
// The millisecond clock (unsigned 32-bit, wraps after about 49 days) and sleeping.
// The game takes an IClock so that tests drive time by hand and never sleep for real.
#include <cstdint>

class IClock {
public:
    virtual ~IClock() = default;
    virtual uint32_t Now() = 0;          // milliseconds, like timeGetTime
    virtual void Sleep(uint32_t ms) = 0; // block for about ms milliseconds
};

// The system's monotonic clock; Now() counts from an arbitrary start.
class SystemClock : public IClock {
public:
    uint32_t Now() override;
    void Sleep(uint32_t ms) override;
    static SystemClock& Instance();
};

// A clock that can stand still: while paused, Now() keeps the reading of the moment it
// was paused; after Resume it goes on from there, so the paused time never counts for
// anything timed by it. Sleeping is the underlying clock's.
class PausableClock : public IClock {
public:
    explicit PausableClock(IClock& base) : base_(base) {}
    uint32_t Now() override { return paused_ ? frozen_ : base_.Now() - behind_; }
    void Sleep(uint32_t ms) override { base_.Sleep(ms); }
    void Pause() {
        if (paused_) return;
        frozen_ = Now();
        paused_ = true;
    }
    void Resume() {
        if (!paused_) return;
        behind_ = base_.Now() - frozen_;
        paused_ = false;
    }
    bool Paused() const { return paused_; }

private:
    IClock& base_;
    bool paused_ = false;
    uint32_t frozen_ = 0;
    uint32_t behind_ = 0; // how far this clock is behind the underlying one
};

// A delay d has passed since reading when now >= reading + d, counted in unsigned
// 32-bit arithmetic so that a wrap of the counter between the two readings is harmless.
inline bool Elapsed(uint32_t now, uint32_t reading, uint32_t d) {
    return static_cast<uint32_t>(now - reading) >= d;
}
