// The pause of play: by the loss of focus (when the settings let it) and by the pause
// key, each held until it is undone itself; outside play the key does nothing.
#include "app/FocusPause.h"
#include "support/ManualClock.h"

#include <gtest/gtest.h>

#include <QWidget>

TEST(FocusPause, TheKeyAndTheFocusEachHoldPlayUntilTheyAreUndoneThemselves) {
    QWidget view;
    ManualClock base;
    PausableClock clock(base);
    bool playing = false;
    FocusPause pause(&view, clock, [&] { return playing; }, [] {});

    EXPECT_FALSE(pause.KeyPressed());
    EXPECT_FALSE(pause.Paused()) << "nothing pauses outside play";
    playing = true;

    // The key alone, and again with the focus lost and back in between.
    EXPECT_FALSE(pause.KeyPressed());
    ASSERT_TRUE(pause.Paused());
    ASSERT_NE(pause.Notice(), nullptr);
    EXPECT_FALSE(pause.Notice()->isHidden());
    const uint32_t still = clock.Now();
    base.Advance(1000);
    EXPECT_EQ(clock.Now(), still);
    EXPECT_FALSE(pause.ActiveChanged(false));
    EXPECT_FALSE(pause.ActiveChanged(true));
    EXPECT_TRUE(pause.Paused()) << "the focus coming back does not undo the key's pause";
    EXPECT_TRUE(pause.KeyPressed());
    EXPECT_FALSE(pause.Paused());
    EXPECT_TRUE(pause.Notice()->isHidden());
    EXPECT_EQ(clock.Now(), still) << "the board time goes on where it stood";

    // Paused by the focus, the key pauses too; the focus back leaves the key's pause.
    EXPECT_FALSE(pause.ActiveChanged(false));
    EXPECT_TRUE(pause.Paused());
    EXPECT_FALSE(pause.KeyPressed());
    EXPECT_FALSE(pause.ActiveChanged(true));
    EXPECT_TRUE(pause.Paused());
    EXPECT_TRUE(pause.KeyPressed());
    EXPECT_FALSE(pause.Paused());

    // With PauseOnFocusLoss off the key still pauses, and the focus changes nothing.
    pause.SetEnabled(false);
    EXPECT_FALSE(pause.ActiveChanged(false));
    EXPECT_FALSE(pause.Paused());
    EXPECT_FALSE(pause.KeyPressed());
    EXPECT_TRUE(pause.Paused());
    EXPECT_FALSE(pause.ActiveChanged(true));
    EXPECT_TRUE(pause.Paused());
    EXPECT_TRUE(pause.KeyPressed());
    EXPECT_FALSE(pause.Paused());
}
