// A game controller through the real window (under Xvfb): SDL's virtual controller,
// plugged in while the game runs, starts a board with its south button, walks the
// hamster with its d-pad and, unplugged while holding a direction, lets go of it.
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

TEST(GamepadWindow, AVirtualControllerStartsABoardWalksAndLetsGoWhenUnplugged) {
    TempDir dir;
    std::filesystem::copy(BuildDir() + "Data", dir.Path() / "Data", std::filesystem::copy_options::recursive);
    std::filesystem::remove(dir.Path() / "Data" / "record.dat");
    std::filesystem::remove(dir.Path() / "Data" / "Settei.ini");
    MainWindow window(dir.Dir(), false, 0);
    ASSERT_TRUE(window.FormCreate());
    window.ShowCentred();
    window.activateWindow();
    ASSERT_TRUE(WaitFor([&] { return window.isActiveWindow(); }, 3000)) << "the window has no focus";
    TForm1& form = window.Form();

    const int index = SDL_JoystickAttachVirtual(SDL_JOYSTICK_TYPE_GAMECONTROLLER, SDL_CONTROLLER_AXIS_MAX,
                                                SDL_CONTROLLER_BUTTON_MAX, 0);
    ASSERT_GE(index, 0) << SDL_GetError();
    SDL_Joystick* pad = SDL_JoystickOpen(index);
    ASSERT_NE(pad, nullptr);
    const auto button = [pad](SDL_GameControllerButton b, bool down) {
        SDL_JoystickSetVirtualButton(pad, b, down ? 1 : 0);
    };

    // The south button is Enter: it starts a board once the start-up (2 s) is over.
    const bool started = WaitFor(
        [&] {
            button(SDL_CONTROLLER_BUTTON_A, true);
            WaitFor([] { return false; }, 100);
            button(SDL_CONTROLLER_BUTTON_A, false);
            return WaitFor([&] { return form.Hamster.Active; }, 300);
        },
        8000);
    ASSERT_TRUE(started) << "the south button started no board";
    const int32_t col = form.Hamster.Col;

    // The d-pad is the arrows: held right, the hamster walks (or falls in a large cell).
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, true);
    EXPECT_TRUE(WaitFor([&] { return form.Hamster.Col != col || !form.Hamster.Active; }, 3000))
        << "the hamster did not move";
    button(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, false);

    // Unplugged while holding down: the key the game polls is let go.
    TDDIDEX& input = *form.Components.DDIDEX1;
    button(SDL_CONTROLLER_BUTTON_DPAD_DOWN, true);
    EXPECT_TRUE(WaitFor([&] { return input.Update(0) && input.Button(1); }, 1000)) << "down not held";
    SDL_JoystickClose(pad);
    SDL_JoystickDetachVirtual(index);
    EXPECT_TRUE(WaitFor([&] { return input.Update(0) && !input.Button(1); }, 1000)) << "down still held";
}

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
