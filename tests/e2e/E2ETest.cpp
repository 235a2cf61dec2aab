// Playing in the real window: the title, a board, moving and turning the hamster,
// closing with and without the save question, and resuming a saved board.
#include "GameProcess.h"
#include "XClose.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Share of the pixels of a rectangle for which pred holds.
template <class P> double Share(const PngImage& img, int x0, int y0, int x1, int y1, P pred) {
    int n = 0, hit = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x, ++n)
            if (pred(img.At(x, y))) ++hit;
    return n ? static_cast<double>(hit) / n : 0;
}

bool Orange(uint32_t c) {
    const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
    return r > 200 && g > 80 && g < 190 && b < 90;
}

// The black hamster's dark grey: dark and nearly colourless (a cat's dark outline is brown).
bool Dark(uint32_t c) {
    const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
    return std::max({r, g, b}) < 75 && std::max({r, g, b}) - std::min({r, g, b}) < 28;
}

// The box around the dark pixels of a part of the board: the black hamster there.
struct Box {
    int left = 10000, top = 10000, right = -1, bottom = -1, count = 0;
    int Width() const { return right - left + 1; }
    int Height() const { return bottom - top + 1; }
    int CentreX() const { return (left + right) / 2; }
};

Box DarkBox(const PngImage& img, int x0, int y0, int x1, int y1) {
    Box b;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Dark(img.At(x, y))) {
                b.left = std::min(b.left, x), b.right = std::max(b.right, x);
                b.top = std::min(b.top, y), b.bottom = std::max(b.bottom, y);
                ++b.count;
            }
    return b;
}

// The hamster starts in the top-left cell (a cat may stand close by).
Box StartCell(const PngImage& img) {
    return DarkBox(img, 20, 20, 140, 130);
}

// The board's grid lines run across its whole height: for every column of the board,
// the share of its pixels that two screenshots have alike. The same board leaves only
// the cats (a few rows of a column) different; another board's lines stand elsewhere,
// and a column with a line in one picture and none in the other is nearly all unlike.
double WorstColumnLikeness(const PngImage& a, const PngImage& b) {
    constexpr int left = 20, top = 20, right = 620, bottom = 420;
    double worst = 1.0;
    for (int x = left; x < right; ++x) {
        int alike = 0;
        for (int y = top; y < bottom; ++y) {
            const uint32_t p = a.At(x, y), q = b.At(x, y);
            bool near = true;
            for (int s = 0; s < 24; s += 8)
                near = near &&
                       std::abs(static_cast<int>((p >> s) & 255) - static_cast<int>((q >> s) & 255)) <= 8;
            alike += near;
        }
        worst = std::min(worst, static_cast<double>(alike) / (bottom - top));
    }
    return worst;
}

// The quiet board saved: played on from the start-up's offer to resume.
class HandMadeGame : public GameProcess {
protected:
    void SetUp() override {
        Install();
        if (IsSkipped()) return;
        dir.Write("Data/record.dat", board);
        Launch();
    }
    const std::vector<uint8_t> board = QuietBoard();
};

} // namespace

TEST_F(GameProcess, TheTitleShowsAndEnterStartsABoard) {
    // The title: its orange lettering across the middle of the board.
    const auto titleShown = [](const PngImage& img) { return Share(img, 90, 190, 660, 250, Orange) > 0.10; };
    ASSERT_TRUE(WaitUntil([&] { return titleShown(Client(false)); }, 10s)) << "no title";
    const PngImage title = Client();
    // The "TIME:" label in green at the top of the panel.
    EXPECT_GT(Share(title, 630, 10, 700, 30,
                    [](uint32_t c) { return ((c >> 8) & 255) > 180 && ((c >> 16) & 255) < 100; }),
              0.05);

    // Enter starts a board once the offer to resume (2 s in) is past.
    bool started = false;
    for (int i = 0; i < 8 && !started; ++i) {
        Key("Return");
        started = WaitUntil([&] { return !titleShown(Client(false)); }, 1500ms);
    }
    ASSERT_TRUE(started) << "the title is still shown";
    // The hamster in its first cell (a cat may come close, but never takes it away).
    EXPECT_GT(StartCell(Client()).count, 200) << "no hamster on the board";

    // Closing during play asks whether to save; No leaves nothing written.
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape"); // the question's No
    EXPECT_EQ(WaitExit(5s), 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "Data" / "record.dat"));
}

TEST_F(HandMadeGame, TurningPausingAndWalkingInTheRealWindow) {
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Answer("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    FocusGame();
    ASSERT_TRUE(StartBoard()) << "the saved board does not play on";
    Box start;
    ASSERT_TRUE(WaitUntil(
        [&] {
            start = StartCell(Client(false));
            return start.count > 200;
        },
        5s))
        << "no hamster on the board";
    Client();
    EXPECT_GT(start.Width(), start.Height()); // facing right: wider than high

    // Space turns it to face up (higher than wide), and back; turning never drops it.
    // Each Space turns it once; on a machine so busy that neither the game nor the X
    // server gets its share for seconds, the picture is waited for long, and a press that
    // was never seen at all is given once more.
    const auto turns = [&](bool up) {
        for (int i = 0; i < 2; ++i) {
            Key("space");
            if (WaitUntil(
                    [&] {
                        const Box cell = StartCell(Client(false));
                        return up ? cell.Height() > cell.Width() : cell.Width() > cell.Height();
                    },
                    12s))
                return true;
        }
        return false;
    };
    EXPECT_TRUE(turns(true)) << "not turned";
    EXPECT_TRUE(turns(false)) << "not turned back";

    // Another window takes the focus: play pauses with its notice over the board, and
    // goes on when the game's window has the focus again.
    const auto noticeShown = [](const PngImage& img) {
        return Share(img, 180, 190, 460, 250, [](uint32_t c) {
                   const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
                   return r < 60 && g < 70 && b > 80 && b < 140;
               }) > 0.3;
    };
    const std::string other = Shell("xlogo -geometry 100x100+0+0 >/dev/null 2>&1 & echo $!");
    unsigned long logo = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto ids = WindowsNamed("^xlogo$");
            logo = ids.empty() ? 0 : ids.front();
            return logo != 0;
        },
        5s));
    Shell("xdotool windowfocus --sync " + std::to_string(logo));
    EXPECT_TRUE(WaitUntil([&] { return noticeShown(Client(false)); }, 15s)) << "no pause notice";
    const PngImage paused = Client();
    // The running time (below "TIME:") stands still.
    std::this_thread::sleep_for(1200ms);
    const PngImage later = Client(false);
    int changed = 0;
    for (int y = 30; y < 58; ++y)
        for (int x = 634; x < 760; ++x) changed += paused.At(x, y) != later.At(x, y);
    EXPECT_EQ(changed, 0) << "the time went on while paused";
    FocusGame();
    EXPECT_TRUE(WaitUntil([&] { return !noticeShown(Client(false)); }, 15s)) << "the notice stays";
    Shell("kill " + other);

    // A held arrow walks it along its row, whose cells all hold it.
    Shell("xdotool keydown Right");
    const bool moved = WaitUntil(
        [&] {
            const Box now = DarkBox(Client(false), 20, 20, 620, 130);
            return now.count > 200 && now.CentreX() > start.CentreX() + 25;
        },
        12s);
    Shell("xdotool keyup Right");
    EXPECT_TRUE(moved) << "the hamster did not move";
    Client();

    // Closing during play asks whether to save; No leaves the saved game as it was.
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape"); // the question's No
    EXPECT_EQ(WaitExit(5s), 0);
    const std::string kept = FileText(dir.File("Data/record.dat"));
    EXPECT_TRUE(kept == std::string(board.begin(), board.end())) << "record.dat changed";
}

TEST_F(GameProcess, ClosingOnTheTitleAsksNothing) {
    std::this_thread::sleep_for(2300ms);
    ASSERT_TRUE(RequestClose(window));
    EXPECT_EQ(WaitExit(5s), 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "Data" / "record.dat"));
}

TEST_F(GameProcess, ASavedBoardIsOfferedAtTheNextStart) {
    ASSERT_TRUE(StartBoard());
    std::this_thread::sleep_for(1500ms);
    const PngImage saved = Client();
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Return"); // Yes
    ASSERT_EQ(WaitExit(5s), 0);
    ASSERT_TRUE(fs::exists(dir.Path() / "Data" / "record.dat"));
    EXPECT_EQ(fs::file_size(dir.Path() / "Data" / "record.dat"), 3416u);

    // The next start asks, 2 s in, whether to go on; Yes and Enter play the board on.
    Launch();
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Answer("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    FocusGame();
    // The restored board waits behind the title until Enter.
    Key("Return");
    EXPECT_TRUE(WaitUntil([&] { return Share(Client(false), 90, 190, 660, 250, Orange) < 0.05; }, 5s))
        << "the title is still shown";
    // The same board as when the game was saved: its grid lines stand where they stood.
    EXPECT_GT(WorstColumnLikeness(saved, Client()), 0.6);
    // Closing again asks again (a board is in play).
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape");
    EXPECT_EQ(WaitExit(5s), 0);
}
