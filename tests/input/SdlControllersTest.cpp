#include "input/SdlControllers.h"
#include "input/Ddidex.h"
#include "input/DikCodes.h"
#include "input/WindowInput.h"
#include "support/FatalCatcher.h"

#include <gtest/gtest.h>

namespace {

// The machines the tests run on have no game controller attached.
TEST(SdlControllers, StartsWithNoControllersAndNothingFails) {
    FatalCatcher halts;
    auto list = std::make_unique<SdlControllers>();
    SdlControllers& sdl = *list;
    EXPECT_TRUE(sdl.Available());
    EXPECT_TRUE(sdl.Attached().empty());
    EXPECT_EQ(sdl.Open(0), nullptr);

    WindowInput platform(std::move(list));
    TDDIDEX input(platform);
    input.SetDebugOption(dioHaltOnError);
    input.Loaded();
    EXPECT_EQ(input.JoystickCount(), 0);
    EXPECT_TRUE(input.JoystickNames().empty());
    EXPECT_FALSE(input.Update(2));

    input.SetKeyAssign(0, 3, DIK_RIGHT);
    platform.Keyboard().KeyCodeDown(DIK_RIGHT);
    ASSERT_TRUE(input.Update(0));
    EXPECT_TRUE(input.Button(3));
}

TEST(SdlControllers, StartsAndStopsRepeatedly) {
    for (int i = 0; i < 3; ++i) {
        SdlControllers sdl;
        EXPECT_TRUE(sdl.Available());
    }
}

} // namespace
