// The game in the desktop's language. Under an English locale the window, its menus (their
// access keys), the file dialog, the close question, the bottom line and the help file are
// English; under ja_JP.UTF-8 and under the C locale the bottom line is the Japanese one,
// pixel for pixel.
#include "GameProcess.h"
#include "XClose.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string ShownTitle(unsigned long id) {
    std::string name = Shell("xdotool getwindowname " + std::to_string(id) + " 2>/dev/null");
    while (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

class Languages : public GameProcess {
protected:
    void SetUp() override {
        Install();
        workDir = dir.Path().string();
    }
    // Starts the game on a desktop of this locale and returns its title frame once it is
    // drawn and two looks in a row agree.
    PngImage TitleFrame(const std::string& locale) {
        env["LANG"] = locale;
        Launch();
        PngImage last = Client(false), now;
        EXPECT_TRUE(WaitUntil(
            [&] {
                now = Client(false);
                // Drawn (not one colour all over, as before the first frame) and settled.
                const bool drawn = std::any_of(now.argb.begin(), now.argb.end(),
                                               [&](uint32_t p) { return p != now.argb.front(); });
                const bool same = drawn && now.argb == last.argb;
                last = now;
                return same;
            },
            15s));
        return Client();
    }
    void Quit() {
        FocusGame();
        ASSERT_TRUE(RequestClose(window));
        ASSERT_EQ(WaitExit(10s), 0);
    }
};

} // namespace

TEST_F(Languages, TheBottomLineIsJapaneseUnderJapaneseAndCAndEnglishUnderEnglish) {
    const PngImage english = TitleFrame("en_US.UTF-8");
    EXPECT_EQ(ShownTitle(window), "Himawari Escape");
    Quit();
    const PngImage japanese = TitleFrame("ja_JP.UTF-8");
    EXPECT_EQ(ShownTitle(window), "ひまわり畑の大脱走！");
    Quit();
    // (C.UTF-8: under plain C the X title property is not UTF-8 and xdotool cannot find
    // the window by its name; the choice itself treats both alike.)
    const PngImage c = TitleFrame("C.UTF-8");
    EXPECT_EQ(ShownTitle(window), "ひまわり畑の大脱走！");
    Quit();
    // Each start makes a new board, so the strip below it is compared: the life bar and the
    // bottom line on the background. The board's pictures come pixel for pixel from the
    // golden frames of the screen tests, which run in Japanese.
    const auto strip = [](const PngImage& frame, int left, int right) {
        std::vector<uint32_t> pixels;
        for (int y = 455; y < frame.height; ++y)
            for (int x = left; x < right; ++x) pixels.push_back(frame.At(x, y));
        return pixels;
    };
    ASSERT_EQ(c.width, 764);
    EXPECT_TRUE(strip(c, 0, 764) == strip(japanese, 0, 764))
        << "the Japanese bottom line differs between C and ja_JP";
    EXPECT_TRUE(strip(c, 0, 240) == strip(english, 0, 240)) << "the life bar changed in English";
    EXPECT_FALSE(strip(c, 240, 764) == strip(english, 240, 764)) << "the bottom line is not English";
}

TEST_F(Languages, EnglishMenusDialogsHelpAndTheCloseQuestion) {
    env["LANG"] = "en_US.UTF-8";
    Launch();
    EXPECT_EQ(ShownTitle(window), "Himawari Escape");
    // The menus answer their English access keys: Music (M), Chosen Track (C).
    ASSERT_TRUE(MenuItem('m', 'c')) << "no Music menu";
    ASSERT_TRUE(WaitUntil([] { return !WindowsNamed("Choose a Track").empty(); }, 8s)) << "no file dialog";
    Focus(WindowsNamed("Choose a Track").front());
    Key("Escape");
    ASSERT_TRUE(WaitUntil([] { return WindowsNamed("Choose a Track").empty(); }, 8s));
    // Help (H), Help (H): the English help text.
    FocusGame();
    ASSERT_TRUE(MenuItem('h', 'h'));
    ASSERT_TRUE(WaitUntil([this] { return !Opened().empty(); }, 5s)) << "the help was not opened";
    EXPECT_EQ(Opened(), "file://" + dir.File("About the game.txt"));
    EXPECT_NE(FileText(dir.File("About the game.txt")).find("Turn the hamster"), std::string::npos);

    // A board played leaves something to save: closing asks, in a box of the English title.
    FocusGame();
    ASSERT_TRUE(StartBoard());
    Shell("xdotool keydown Right keydown Down");
    const bool ended = WaitUntil([this] { return MenusEnabled(); }, 60s);
    Shell("xdotool keyup Right keyup Down");
    ASSERT_TRUE(ended) << "the board did not end";
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no close question";
    for (unsigned long id : GameWindows()) EXPECT_EQ(ShownTitle(id), "Himawari Escape");
    Answer("n");
    EXPECT_EQ(WaitExit(10s), 0);
    EXPECT_FALSE(fs::exists(dir.File("Data/record.dat"))) << "No saved the game";
}
