#include "base/Clock.h"
#include "base/Random.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <array>
#include <set>

TEST(Clock, ElapsedIsRightAcrossWrapAround) {
    EXPECT_FALSE(Elapsed(1024, 1000, 25));
    EXPECT_TRUE(Elapsed(1025, 1000, 25));
    // The reading was taken just before the counter wrapped.
    const uint32_t reading = 0xFFFFFFF0u;
    EXPECT_FALSE(Elapsed(0x00000008u, reading, 25)); // 24 ms later
    EXPECT_TRUE(Elapsed(0x00000009u, reading, 25));  // 25 ms later
    EXPECT_TRUE(Elapsed(reading, reading, 0));
}

TEST(Clock, ManualClockSleepsWithoutWaiting) {
    ManualClock clock(500);
    clock.Sleep(12);
    clock.Advance(3);
    EXPECT_EQ(clock.Now(), 515u);
    EXPECT_EQ(clock.sleeps, std::vector<uint32_t>{12});
}

// Paused, the reading stands still; resumed, it goes on from there, also across a wrap
// of the underlying counter; pausing or resuming twice changes nothing.
TEST(Clock, APausedClockStandsStillAndGoesOnWhereItStopped) {
    ManualClock wall(0xFFFFFF00u);
    PausableClock clock(wall);
    wall.Advance(100);
    EXPECT_EQ(clock.Now(), 0xFFFFFF64u);
    clock.Pause();
    clock.Pause();
    wall.Advance(5000);
    EXPECT_TRUE(clock.Paused());
    EXPECT_EQ(clock.Now(), 0xFFFFFF64u);
    clock.Resume();
    clock.Resume();
    EXPECT_EQ(clock.Now(), 0xFFFFFF64u);
    wall.Advance(300);
    EXPECT_EQ(clock.Now(), 0xFFFFFF64u + 300);
    EXPECT_TRUE(Elapsed(clock.Now(), 0xFFFFFF64u, 300));
    clock.Sleep(20);
    EXPECT_EQ(wall.Now(), 0xFFFFFF00u + 5420);
    EXPECT_EQ(clock.Now(), 0xFFFFFF64u + 320);
}

TEST(Clock, SystemClockMovesForward) {
    auto& c = SystemClock::Instance();
    const uint32_t a = c.Now();
    c.Sleep(2);
    EXPECT_TRUE(Elapsed(c.Now(), a, 1));
}

TEST(Random, SameSeedSameDrawsDifferentSeedDifferentDraws) {
    TRandom a(42), b(42), c(43);
    int same = 0;
    for (int i = 0; i < 100; ++i) {
        const int x = a.Random(1000);
        EXPECT_EQ(x, b.Random(1000));
        if (x == c.Random(1000)) ++same;
    }
    EXPECT_LT(same, 5);
    a.Randomize(42);
    TRandom d(42);
    EXPECT_EQ(a.Random(50), d.Random(50));
}

TEST(Random, StaysInRangeAndCoversItEvenly) {
    TRandom r(7);
    EXPECT_EQ(r.Random(0), 0);
    EXPECT_EQ(r.Random(-3), 0);
    EXPECT_EQ(r.Random(1), 0);
    std::array<int, 50> counts{};
    const int draws = 100000;
    for (int i = 0; i < draws; ++i) {
        const int x = r.Random(50);
        ASSERT_GE(x, 0);
        ASSERT_LT(x, 50);
        ++counts[static_cast<size_t>(x)];
    }
    for (int c : counts) {
        EXPECT_GT(c, draws / 50 * 8 / 10);
        EXPECT_LT(c, draws / 50 * 12 / 10);
    }
}
