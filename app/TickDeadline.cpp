#include "app/TickDeadline.h"

int TTickDeadline::TimerMs(Clock::time_point now) const {
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(due_ - now - Window).count();
    return ms > 0 ? static_cast<int>(ms) : 0;
}

TTickDeadline::Clock::duration TTickDeadline::SleepAt(Clock::time_point now) const {
    if (due_ == Clock::time_point{} || now >= due_ || due_ - now > Window) return Clock::duration::zero();
    return due_ - now;
}
