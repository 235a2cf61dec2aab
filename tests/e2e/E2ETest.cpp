// The real program in a real window (under Xvfb), driven like a player: xdotool for
// keys, X11's close request for the close box, screenshots of the window checked for
// what must be there. The program runs from a copy of the build's program folder,
// started in another current directory, so the files it writes stay in the copy.
#include "XClose.h"
#include "screen/PngImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

// The top-level windows titled like the game (the main window, and a message box).
std::vector<unsigned long> GameWindows() {
    std::vector<unsigned long> ids;
    const std::string out = Shell("xdotool search --onlyvisible --name 'ひまわり畑の大脱走' 2>/dev/null");
    size_t pos = 0;
    while (pos < out.size()) {
        const size_t end = out.find('\n', pos);
        const std::string line = out.substr(pos, end - pos);
        if (!line.empty()) ids.push_back(std::stoul(line));
        if (end == std::string::npos) break;
        pos = end + 1;
    }
    return ids;
}

struct Geometry {
    int x = 0, y = 0, w = 0, h = 0;
};

Geometry WindowGeometry(unsigned long id) {
    Geometry g;
    const std::string out = Shell("xdotool getwindowgeometry --shell " + std::to_string(id));
    const size_t at = out.find("X=");
    if (at != std::string::npos)
        std::sscanf(out.c_str() + at, "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y, &g.w, &g.h);
    return g;
}

class GameProcess : public ::testing::Test {
protected:
    void SetUp() override {
        const std::string build = BuildDir();
        if (!fs::exists(build + "himawari")) GTEST_SKIP() << "the program is not built";
        fs::copy_file(build + "himawari", dir.Path() / "himawari");
        fs::copy(build + "Data", dir.Path() / "Data", fs::copy_options::recursive);
        // A game saved while playing from the build folder is not this test's.
        fs::remove(dir.Path() / "Data" / "record.dat");
        fs::remove(dir.Path() / "Data" / "Settei.ini");
        Launch();
    }
    // Starts the program and waits for its window.
    void Launch() {
        exited = false;
        pid = fork();
        if (pid == 0) {
            // Started from elsewhere: the program finds its data beside itself.
            if (chdir("/") != 0) _exit(126);
            setenv("SDL_AUDIODRIVER", "dummy", 1);
            const std::string exe = dir.File("himawari");
            execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && GameWindows().empty(); ++i) std::this_thread::sleep_for(100ms);
        const auto windows = GameWindows();
        ASSERT_FALSE(windows.empty()) << "no game window";
        window = windows.front();
        Shell("xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null");
    }
    // Waits until n windows of the game are shown (a question adds one).
    bool WaitWindows(size_t n) {
        for (int i = 0; i < 80; ++i) {
            if (GameWindows().size() == n) return true;
            std::this_thread::sleep_for(100ms);
        }
        return false;
    }
    void TearDown() override {
        if (pid > 0 && !exited) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
    }
    // Waits for the program to end; its exit status, or -1 when it does not end in time.
    int WaitExit(std::chrono::milliseconds limit) {
        const auto until = std::chrono::steady_clock::now() + limit;
        while (std::chrono::steady_clock::now() < until) {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) == pid) {
                exited = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            std::this_thread::sleep_for(50ms);
        }
        return -1;
    }
    // The window's 764 x 500 drawing surface (below the menu bar).
    // Each one is also written to the build folder (e2e-out/<n>.png) for a look.
    PngImage Client() {
        const std::string file = dir.File("shot.png");
        Shell("import -window root " + file);
        const PngImage screen = ReadPng(file);
        const Geometry g = WindowGeometry(window);
        PngImage c;
        c.width = 764;
        c.height = 500;
        c.argb.resize(764 * 500);
        const int left = g.x + (g.w - 764) / 2, top = g.y + g.h - 500;
        for (int y = 0; y < 500; ++y)
            for (int x = 0; x < 764; ++x) {
                const int sx = left + x, sy = top + y;
                c.argb[static_cast<size_t>(y) * 764 + x] =
                    sx >= 0 && sy >= 0 && sx < screen.width && sy < screen.height ? screen.At(sx, sy) : 0;
            }
        const std::string out = BuildDir() + "tests/e2e-out";
        fs::create_directories(out);
        WritePng(out + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                     std::to_string(++shots) + ".png",
                 c);
        return c;
    }
    void Key(const std::string& key) { Shell("xdotool key " + key); }

    TempDir dir;
    pid_t pid = -1;
    bool exited = false;
    unsigned long window = 0;
    int shots = 0;
};

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

} // namespace

TEST_F(GameProcess, PlayThroughTheRealWindow) {
    std::this_thread::sleep_for(2500ms);
    // The title: its orange lettering across the middle of the board.
    const PngImage title = Client();
    EXPECT_GT(Share(title, 90, 190, 660, 250, Orange), 0.10);
    // The "TIME:" label in green at the top of the panel.
    EXPECT_GT(Share(title, 630, 10, 700, 30,
                    [](uint32_t c) { return ((c >> 8) & 255) > 180 && ((c >> 16) & 255) < 100; }),
              0.05);

    Key("Return");
    std::this_thread::sleep_for(600ms);
    const PngImage playing = Client();
    EXPECT_LT(Share(playing, 90, 190, 660, 250, Orange), 0.05) << "the title is still shown";
    const Box start = StartCell(playing);
    ASSERT_GT(start.count, 200) << "no hamster on the board";
    EXPECT_GT(start.Width(), start.Height()); // facing right: wider than high

    // Space turns it to face up (higher than wide), and back; turning never drops it.
    Key("space");
    std::this_thread::sleep_for(300ms);
    const Box turned = StartCell(Client());
    EXPECT_GT(turned.Height(), turned.Width());
    Key("space");
    std::this_thread::sleep_for(300ms);

    // A held arrow moves it along its row (held briefly: a step or two, so that it
    // does not walk into a cell too large for it and fall).
    Shell("xdotool keydown Right");
    std::this_thread::sleep_for(120ms);
    Shell("xdotool keyup Right");
    std::this_thread::sleep_for(250ms);
    const Box moved = DarkBox(Client(), 20, std::max(20, start.top - 10), 620, start.bottom + 10);
    // Either it stands further right, or the new cell was too large for it and it is
    // falling (drawn only now and then, smaller each time): both only follow a move.
    EXPECT_TRUE(moved.count < 100 || moved.CentreX() > start.CentreX() + 10)
        << "dark pixels " << moved.count << ", centre " << moved.CentreX() << " from " << start.CentreX();

    // Closing during play asks whether to save; No leaves nothing written.
    ASSERT_TRUE(RequestClose(window));
    for (int i = 0; i < 50 && GameWindows().size() < 2; ++i) std::this_thread::sleep_for(100ms);
    ASSERT_EQ(GameWindows().size(), 2u) << "no save question";
    Shell("xdotool key Escape"); // the question's No
    EXPECT_EQ(WaitExit(5s), 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "Data" / "record.dat"));
}

TEST_F(GameProcess, ClosingOnTheTitleAsksNothing) {
    std::this_thread::sleep_for(2300ms);
    ASSERT_TRUE(RequestClose(window));
    EXPECT_EQ(WaitExit(5s), 0);
    EXPECT_FALSE(fs::exists(dir.Path() / "Data" / "record.dat"));
}

TEST_F(GameProcess, ASavedBoardIsOfferedAtTheNextStart) {
    std::this_thread::sleep_for(2300ms);
    Key("Return");
    std::this_thread::sleep_for(1500ms);
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Key("Return"); // Yes
    ASSERT_EQ(WaitExit(5s), 0);
    ASSERT_TRUE(fs::exists(dir.Path() / "Data" / "record.dat"));
    EXPECT_EQ(fs::file_size(dir.Path() / "Data" / "record.dat"), 3416u);

    // The next start asks, 2 s in, whether to go on; Yes and Enter play the board on.
    Launch();
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Key("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    Shell("xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null");
    // The restored board waits behind the title until Enter.
    Key("Return");
    std::this_thread::sleep_for(500ms);
    EXPECT_LT(Share(Client(), 90, 190, 660, 250, Orange), 0.05) << "the title is still shown";
    // Closing again asks again (a board is in play).
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Key("Escape");
    EXPECT_EQ(WaitExit(5s), 0);
}
