// The idle driver's wake-up for the next tick: the deadline is the start of the
// millisecond the game's clock reaches the tick in, not an interval from the wake-up; the
// timer ends 2 to 3 ms before it and only that rest is slept.
#include "app/TickDeadline.h"

#include <gtest/gtest.h>

namespace {

using namespace std::chrono;
using Clock = TTickDeadline::Clock;

Clock::time_point At(microseconds t) {
    return Clock::time_point(duration_cast<Clock::duration>(t));
}

TEST(TickDeadlineTest, TheDeadlineIsTheMillisecondTheTickIsDueInAndOnlyItsLastMillisecondsAreSlept) {
    TTickDeadline d;
    EXPECT_EQ(d.SleepAt(At(5000us)), Clock::duration::zero()) << "no deadline set: no sleep";

    // Read at 1000.9 ms with the tick due in 3 ms of the game's clock: due at 1003.0 ms,
    // not 1003.9 ms.
    d.Set(At(1000900us), 3);
    EXPECT_EQ(d.Due(), At(1003000us));
    EXPECT_EQ(d.TimerMs(At(1000900us)), 0); // 2.1 ms left: sleep the rest at once
    EXPECT_EQ(d.SleepAt(At(1000900us)), microseconds(2100));

    // Due in 20 ms: the timer ends 2 to 3 ms before the deadline, and a timer that fires
    // a little late still leaves the deadline ahead, to be slept to.
    d.Set(At(2000400us), 20);
    EXPECT_EQ(d.Due(), At(2020000us));
    EXPECT_EQ(d.TimerMs(At(2000400us)), 17);
    EXPECT_EQ(d.SleepAt(At(2017400us)), microseconds(2600));
    EXPECT_EQ(d.SleepAt(At(2016900us)), Clock::duration::zero()) << "more than 3 ms early: wait again";
    EXPECT_EQ(d.SleepAt(At(2020100us)), Clock::duration::zero()) << "past the deadline: at once";
    EXPECT_EQ(d.TimerMs(At(2021000us)), 0);

    d.Clear();
    EXPECT_EQ(d.SleepAt(At(2019000us)), Clock::duration::zero());
}

} // namespace
