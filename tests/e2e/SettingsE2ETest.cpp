// The settings in the real window, driven by keys alone: the dialog rebinds Right to D
// and a board is played with D; Esc on a changed page leaves Settei.ini as it was; the
// pause key holds the board time still; the mute key silences the captured sound.
#include "DiskAudio.h"
#include "GameProcess.h"
#include "XClose.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <tuple>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const char* const DialogTitle = "^設定$";

// The black hamster's dark grey: dark and nearly colourless.
bool Dark(uint32_t c) {
    const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
    return std::max({r, g, b}) < 75 && std::max({r, g, b}) - std::min({r, g, b}) < 28;
}

// The centre and count of the dark pixels of a part of the board.
std::pair<int, int> DarkCentre(const PngImage& img, int x0, int x1) {
    int count = 0, left = 10000, right = -1;
    for (int y = 20; y < 130; ++y)
        for (int x = x0; x < x1; ++x)
            if (Dark(img.At(x, y))) {
                left = std::min(left, x), right = std::max(right, x);
                ++count;
            }
    return {(left + right) / 2, count};
}

// The hamster starts in the top-left cell.
std::pair<int, int> StartCell(const PngImage& img) {
    return DarkCentre(img, 20, 140);
}

// The pixels of the running time (below "TIME:") that differ between two pictures.
int TimeChanges(const PngImage& a, const PngImage& b) {
    int changed = 0;
    for (int y = 30; y < 58; ++y)
        for (int x = 634; x < 760; ++x) changed += a.At(x, y) != b.At(x, y);
    return changed;
}

class SettingsGame : public GameProcess {
protected:
    void SetUp() override {
        Install();
        if (IsSkipped()) return;
        capture = dir.File("audio.raw");
        env["SDL_AUDIODRIVER"] = "disk";
        env["SDL_DISKAUDIOFILE"] = capture;
        // A board with no cat to play on, taken up at the start-up's offer to resume:
        // past it, the menus and Enter act.
        dir.Write("Data/record.dat", QuietBoard());
        Launch();
        ASSERT_TRUE(WaitWindows(2)) << "no resume question";
        Answer("Return"); // Yes
        ASSERT_TRUE(WaitWindows(1));
        FocusGame();
    }
    std::string Settings() { return FileText((dir.Path() / "Data" / "Settei.ini").string()); }
    // Opens 設定... with the keyboard; the dialog's window, or 0.
    unsigned long OpenDialog() {
        if (!MenuItem('g', 'o')) return 0;
        if (!WaitUntil([] { return !WindowsNamed(DialogTitle).empty(); }, 8s)) return 0;
        const unsigned long dialog = WindowsNamed(DialogTitle).front();
        Focus(dialog);
        return dialog;
    }
    // From the first cell (上's first key) to 右's first key, then captures `key` there.
    void RebindRight(const std::string& key) {
        for (int i = 0; i < 12; ++i) Key("Tab");
        Key("space");
        std::this_thread::sleep_for(200ms);
        Key(key);
    }
    std::string capture;
};

TEST_F(SettingsGame, TheDialogRebindsRightToDAndTheBoardPlaysWithD) {
    ASSERT_NE(OpenDialog(), 0u) << "no settings dialog";
    RebindRight("d");
    Key("Return"); // OK
    ASSERT_TRUE(WaitUntil([] { return WindowsNamed(DialogTitle).empty(); }, 5s)) << "the dialog stays";
    // The window writes the file once the dialog is gone: waited for, not assumed.
    EXPECT_TRUE(WaitUntil([&] { return Settings().find("Right = D") != std::string::npos; }, 10s))
        << Settings();
    FocusGame();
    ASSERT_TRUE(StartBoard());
    int startX = 0, startCount = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            std::tie(startX, startCount) = StartCell(Client(false));
            return startCount > 200;
        },
        5s))
        << "no hamster on the board";
    Client();
    // The old key does nothing: the hamster stays in its first cell.
    Shell("xdotool keydown Right");
    std::this_thread::sleep_for(600ms);
    Shell("xdotool keyup Right");
    const auto [stillX, stillCount] = StartCell(Client(false));
    EXPECT_GT(stillCount, 200) << "Right still walks";
    EXPECT_LT(std::abs(stillX - startX), 5) << "Right still walks";
    // D walks it along the row, out of its first cell.
    Shell("xdotool keydown d");
    const bool moved = WaitUntil(
        [&] {
            const auto [x, count] = DarkCentre(Client(false), 20, 620);
            return count > 200 && x > startX + 25;
        },
        12s);
    Shell("xdotool keyup d");
    EXPECT_TRUE(moved) << "D did not walk";
}

TEST_F(SettingsGame, EscOnAChangedPageLeavesTheFileAsItWas) {
    ASSERT_NE(OpenDialog(), 0u);
    RebindRight("d");
    Key("Return");
    ASSERT_TRUE(WaitUntil([] { return WindowsNamed(DialogTitle).empty(); }, 5s));
    ASSERT_TRUE(WaitUntil([&] { return Settings().find("Right = D") != std::string::npos; }, 10s))
        << "OK wrote no settings";
    const std::string before = Settings();
    FocusGame();
    ASSERT_NE(OpenDialog(), 0u);
    RebindRight("a");
    Key("Escape");
    ASSERT_TRUE(WaitUntil([] { return WindowsNamed(DialogTitle).empty(); }, 5s))
        << "Esc left the dialog open";
    EXPECT_EQ(Settings(), before);
}

TEST_F(SettingsGame, ThePauseKeyHoldsTheTimeAndTheMuteKeySilencesTheSound) {
    ASSERT_TRUE(StartBoard());
    Key("p");
    std::this_thread::sleep_for(300ms);
    const PngImage paused = Client();
    std::this_thread::sleep_for(1200ms);
    EXPECT_EQ(TimeChanges(paused, Client(false)), 0) << "the time went on while paused";
    Key("p");
    EXPECT_TRUE(WaitUntil([&] { return TimeChanges(paused, Client(false)) > 0; }, 3s)) << "not resumed";

    ASSERT_TRUE(WaitUntil([this] { return CapturedPeak(capture) > 0.001; }, 20s)) << "no music";
    Key("m");
    // The ramp (20 ms) and the output's buffer are over well within 300 ms.
    std::this_thread::sleep_for(300ms);
    const double from = CapturedSeconds(capture);
    std::this_thread::sleep_for(1000ms);
    const double to = CapturedSeconds(capture);
    ASSERT_GT(to - from, 0.5) << "the capture stalled";
    EXPECT_EQ(DiskAudio(capture).Level(from, to).peak, 0.0) << "sound while muted";
    EXPECT_NE(Settings().find("Mute = 1"), std::string::npos);
    Key("m");
    EXPECT_TRUE(WaitUntil(
        [this] { return DiskAudio(capture).Level(CapturedSeconds(capture) - 0.2, 1e9).peak > 0.001; }, 5s))
        << "the sound did not come back";
}

} // namespace
