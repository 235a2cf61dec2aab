#pragma once
// When the idle driver wakes for the game's next tick. The game's clock counts whole
// milliseconds of the steady clock, so a tick due in `left` milliseconds is due at the
// start of the millisecond `left` after the current one: that moment is the deadline.
// Woken later, the tick starts late, and the next interval counts from there, so every
// tick would come late by the wake-up's own delay. A timer wakes in whole milliseconds
// and late by its rounding and the system's wake-up; it is set to end 2 to 3 ms before the
// deadline, and the rest (at most Window) is slept to the deadline itself.
#include <chrono>
#include <cstdint>

class TTickDeadline {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::milliseconds Window{3};

    // Seen at now (read before the game's clock), the tick is due in msUntilTick.
    void Set(Clock::time_point now, uint32_t msUntilTick) {
        due_ = std::chrono::floor<std::chrono::milliseconds>(now) + std::chrono::milliseconds(msUntilTick);
    }
    void Clear() { due_ = {}; }
    Clock::time_point Due() const { return due_; }
    // The timer's interval from now: whole milliseconds that end at most Window and more
    // than Window less a millisecond before the deadline (0: at once).
    int TimerMs(Clock::time_point now) const;
    // How long to sleep at now before calling the handler: up to the deadline once it is
    // at most Window away; zero when it is further, past, or none is set.
    Clock::duration SleepAt(Clock::time_point now) const;

private:
    Clock::time_point due_{};
};
