// Game controllers through the real window (under Xvfb), SDL's virtual ones: one attached
// before the window shows (the controllers are opened after the first frame) starts a
// board with its south button and walks the hamster with its d-pad; one plugged in while
// the game runs holds a direction and, unplugged, lets go of it. The window has its icon
// by then (also set after the first frame).
#include "app/MainWindow.h"
#include "game/GameState.h"
#include "input/Ddidex.h"
#include "support/TempDir.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>

#include <cstdlib>
#include <filesystem>
#include <functional>

namespace {

// Processes events until pred holds or `ms` have gone.
bool WaitFor(const std::function<bool()>& pred, int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (pred()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return pred();
}

// A virtual game controller with every axis and button; its device index.
int AttachPad() {
    return SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                     SDL_CONTROLLER_BUTTON_MAX, 0);
}

TEST(GamepadWindow, ControllersAttachedAtStartOrPluggedInLaterReachTheGame) {
    TempDir dir;
    std::filesystem::copy(BuildDir() + "Data", dir.Path() / "Data", std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.Path() / "Data" / "record.dat");
    std::filesystem::remove(dir.Path() / "Data" / "Settei.ini");
    MainWindow window(dir.Dir(), false, 0);
    ASSERT_TRUE(window.FormCreate());
    const int index = AttachPad();
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    const auto button = [](SDL_Joystick* p, SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(p, b, down ? 1 : 0);
    };
    window.ShowCentred();
    window.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 3000)) << "the window has no focus";
    TForm1& form = window.Form();

    // The south button is Enter: it starts a board once the start-up (2 s) is over.
    const bool started = WaitFor(
        [&] {
            button(pad, SDL_CONTROLLER_BUTTON_A, true);
            WaitFor([] { return false; }, 100);
            button(pad, SDL_CONTROLLER_BUTTON_A, false);
            return WaitFor([&] { return form.Hamster.Active; }, 300);
        },
        8000);
    ASSERT_TRUE(started) << "the south button started no board";
    EXPECT_FALSE(window.windowIcon().isNull()) << "no icon after the first frame";
    const int32_t col = form.Hamster.Col;

    // The d-pad is the arrows: held right, the hamster walks (or falls in a large cell).
    button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_TRUE(WaitFor([&] { return form.Hamster.Col != col || !form.Hamster.Active; }, 3000))
        << "the hamster did not move";
    button(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);

    // Plugged in now, then unplugged while holding down: the key the game polls is let go.
    const int later = AttachPad();
    ASSERT_GE(later, 0) << SDL_GetError();
    SDL_Joystick* second = SDL_JoystickOpen(later);
    ASSERT_NE(second, nullptr);
    TDDIDEX& input = *form.Components.DDIDEX1;
    EXPECT_TRUE(WaitFor(
        [&] {
            button(second, SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
            return input.Update(0) && input.Button(1);
        },
        1000))
        << "down not held";
    SDL_JoystickClose(second);
    SDL_JoystickDetachVirtual(later);
    EXPECT_TRUE(WaitFor([&] { return input.Update(0) && !input.Button(1); }, 1000)) << "down still held";
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(index);
}

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
