#include "GameProcess.h"

#include "XClose.h"

#include "game/SaveImage.h"

#include <grp.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (fgets(buf, sizeof buf, p)) out += buf;
        pclose(p);
    }
    return out;
}

std::vector<unsigned long> WindowsNamed(const std::string& pattern) {
    std::vector<unsigned long> ids;
    std::istringstream out(Shell("xdotool search --onlyvisible --name '" + pattern + "' 2>/dev/null"));
    for (std::string line; std::getline(out, line);)
        if (!line.empty()) ids.push_back(std::stoul(line));
    return ids;
}

std::vector<unsigned long> GameWindows() {
    return WindowsNamed("ひまわり畑の大脱走|Himawari Escape");
}

Geometry WindowGeometry(unsigned long id) {
    Geometry g;
    const std::string out = Shell("xdotool getwindowgeometry --shell " + std::to_string(id));
    const size_t at = out.find("X=");
    if (at != std::string::npos)
        std::sscanf(out.c_str() + at, "X=%d\nY=%d\nWIDTH=%d\nHEIGHT=%d", &g.x, &g.y, &g.w, &g.h);
    return g;
}

bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(50ms);
    }
}

std::string PercentDecoded(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && std::isxdigit(static_cast<unsigned char>(text[i + 1])) &&
            std::isxdigit(static_cast<unsigned char>(text[i + 2]))) {
            out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
            i += 2;
        } else {
            out += text[i];
        }
    }
    return out;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void Put32(std::vector<uint8_t>& bytes, size_t at, int32_t value) {
    for (size_t k = 0; k < 4; ++k)
        bytes.at(at + k) = static_cast<uint8_t>(static_cast<uint32_t>(value) >> (8 * k));
}

std::vector<uint8_t> HandMadeBoard(const std::vector<int32_t>& xs, const std::vector<int32_t>& ys,
                                   std::pair<int32_t, int32_t> food,
                                   const std::vector<std::pair<int32_t, int32_t>>& cats) {
    using S = TSaveImage;
    constexpr size_t ObjectSize = 28;
    std::vector<uint8_t> b(S::Size, 0);
    Put32(b, S::OffXLineCount, static_cast<int32_t>(xs.size()));
    Put32(b, S::OffYLineCount, static_cast<int32_t>(ys.size()));
    for (size_t i = 0; i < xs.size(); ++i) Put32(b, S::OffXLines + 4 * i, xs[i]);
    for (size_t i = 0; i < ys.size(); ++i) Put32(b, S::OffYLines + 4 * i, ys[i]);
    Put32(b, S::OffCatCount, static_cast<int32_t>(cats.size()));
    for (size_t i = 0; i < cats.size(); ++i) {
        const auto [col, row] = cats[i];
        Put32(b, S::OffCats + ObjectSize * i, col);
        Put32(b, S::OffCats + ObjectSize * i + 4, row);
        b[S::OffCats + ObjectSize * i + 12] = 1; // alive
        b[S::OffCellGrid + S::GridStride * static_cast<size_t>(col) + static_cast<size_t>(row)] = 1;
    }
    Put32(b, S::OffFood, food.first);
    Put32(b, S::OffFood + 4, food.second);
    Put32(b, S::OffLife, 30);
    for (size_t i = 0; i < 3; ++i) Put32(b, S::OffRecordTimes + 4 * i, 100000);
    Put32(b, S::OffStage, 1);
    Put32(b, S::OffCheckpointLife, 30);
    return b;
}

std::vector<uint8_t> QuietBoard() {
    const std::vector<int32_t> xs = {20, 70, 120, 170, 220, 270, 320, 370, 420, 470, 520, 570, 620};
    std::vector<uint8_t> b = HandMadeBoard(xs, {20, 70, 120, 200, 300, 420}, {11, 4});
    // The food wanders a cell a second, never into a cell a cat holds: the second row's
    // cells are marked held (with no cat in them), so that it never reaches the top row
    // and the hamster walking there cannot eat it and start a new board.
    for (size_t col = 0; col + 1 < xs.size(); ++col)
        b[TSaveImage::OffCellGrid + TSaveImage::GridStride * col + 1] = 1;
    return b;
}

void GameProcess::SetUp() {
    Install();
    if (!IsSkipped()) Launch();
}

void GameProcess::Install() {
    const std::string build = BuildDir();
    if (!fs::exists(build + "himawari")) GTEST_SKIP() << "the program is not built";
    fs::copy_file(build + "himawari", dir.Path() / "himawari");
    fs::copy(build + "Data", dir.Path() / "Data", fs::copy_options::recursive);
    fs::copy_file(build + "作品について.txt", dir.Path() / "作品について.txt");
    fs::copy_file(build + "About the game.txt", dir.Path() / "About the game.txt");
    fs::copy(build + "locale", dir.Path() / "locale", fs::copy_options::recursive);
    // A game saved or settings written while playing from the build folder are not this test's.
    fs::remove(dir.Path() / "Data" / "record.dat");
    fs::remove(dir.Path() / "Data" / "Settei.ini");
    fs::remove(dir.Path() / "Data" / "scores.ini");
    fs::remove(dir.Path() / "Data" / "scores.ini.bak");
    // The desktop's opener (xdg-open, which Qt hands files and addresses to) stands in
    // as a script that notes what it was given.
    dir.Write("bin/xdg-open", "#!/bin/sh\nprintf '%s' \"$1\" > '" + dir.File("opened.txt") + "'\n");
    fs::permissions(dir.Path() / "bin" / "xdg-open", fs::perms::owner_all);
    env["SDL_AUDIODRIVER"] = "dummy";
    // The game's own language whatever the desktop running the tests speaks (the C locale,
    // in UTF-8 so that the window's title can be searched for); a test of another language
    // sets LANG.
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) env[name] = "";
    env["LANG"] = "C.UTF-8";
}

void GameProcess::Launch() {
    exited = false;
    const std::string workDir = this->workDir;
    const std::string path =
        dir.File("bin") + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "/usr/bin:/bin");
    const std::string exe = program.empty() ? dir.File("himawari") : program;
    pid = fork();
    if (pid == 0) {
        if (runAs != static_cast<uid_t>(-1) &&
            (setgroups(0, nullptr) != 0 || setgid(runAsGroup) != 0 || setuid(runAs) != 0))
            _exit(125);
        // Started from elsewhere: the program finds its data beside itself.
        if (chdir(workDir.c_str()) != 0) _exit(126);
        for (const auto& [name, value] : env) setenv(name.c_str(), value.c_str(), 1);
        setenv("PATH", path.c_str(), 1);
        execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    // The window it keeps: the first one may be replaced as the drawing surface is set
    // up, so the same window must still be there a moment later.
    unsigned long seen = 0;
    const bool shown = WaitUntil(
        [&] {
            const auto windows = GameWindows();
            if (windows.empty()) return false;
            if (windows.front() == seen) return true;
            seen = windows.front();
            std::this_thread::sleep_for(300ms);
            return false;
        },
        20s);
    ASSERT_TRUE(shown) << "no game window: " << NoWindowReport();
    window = seen;
    FocusGame();
}

// Why a start showed no window: how the program ended, or where its threads wait.
std::string GameProcess::NoWindowReport() {
    int status = 0;
    if (waitpid(pid, &status, WNOHANG) == pid) {
        exited = true;
        return WIFEXITED(status) ? "the program exited with status " + std::to_string(WEXITSTATUS(status))
                                 : "the program was ended by signal " + std::to_string(WTERMSIG(status));
    }
    std::string stacks = Shell("command -v gdb >/dev/null && gdb -p " + std::to_string(pid) +
                               " -batch -ex 'thread apply all bt 20' 2>/dev/null | grep '^#\\|^Thread'");
    // Without gdb, or where it may not attach: each thread's name and what it waits on in the kernel.
    if (stacks.empty())
        stacks = Shell("for t in /proc/" + std::to_string(pid) +
                       "/task/*; do echo \"$(cat $t/comm) $(cat $t/wchan)\"; done 2>/dev/null");
    if (stacks.size() > 12000) stacks.resize(12000);
    return "the program is still running; its threads:\n" + stacks;
}

bool GameProcess::WaitWindows(size_t n) {
    return WaitUntil([n] { return GameWindows().size() == n; }, 8s);
}

void GameProcess::TearDown() {
    if (pid > 0 && !exited) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
}

int GameProcess::WaitExit(std::chrono::milliseconds limit) {
    int result = -1;
    WaitUntil(
        [&] {
            int status = 0;
            if (waitpid(pid, &status, WNOHANG) != pid) return false;
            exited = true;
            result = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            return true;
        },
        limit);
    return result;
}

void GameProcess::FocusGame() {
    Shell("xdotool windowfocus --sync " + std::to_string(window) + " 2>/dev/null");
}

void GameProcess::Key(const std::string& keys) {
    Shell("xdotool key " + keys);
}

void GameProcess::Focus(unsigned long id) {
    if (id == 0) return;
    const std::string name = std::to_string(id);
    const auto focused = [&] {
        std::string f = Shell("xdotool getwindowfocus 2>/dev/null");
        while (!f.empty() && f.back() == '\n') f.pop_back();
        return f == name;
    };
    if (!WaitUntil(focused, 2s)) Shell("xdotool windowfocus --sync " + name + " 2>/dev/null");
}

void GameProcess::Answer(const std::string& key) {
    for (unsigned long id : GameWindows())
        if (id != window) Focus(id);
    Key(key);
}

namespace {

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty()) lines.push_back(line);
    return lines;
}

} // namespace

bool GameProcess::MenuItem(char menuKey, char itemKey, const std::function<void()>& beforeItem) {
    // A menu's popup is one more visible window of the program.
    const auto shown = [this] {
        return Lines(Shell("xdotool search --onlyvisible --pid " + std::to_string(pid) + " 2>/dev/null"));
    };
    const std::vector<std::string> before = shown();
    std::string popup;
    Key(std::string("alt+") + menuKey);
    const bool opened = WaitUntil(
        [&] {
            for (const std::string& id : shown())
                if (std::find(before.begin(), before.end(), id) == before.end()) popup = id;
            return !popup.empty();
        },
        3s);
    if (!opened) return false;
    if (beforeItem) beforeItem();
    Key(std::string(1, itemKey));
    // The popup closes as the item is taken (a disabled item leaves it open).
    WaitUntil(
        [&] {
            const auto now = shown();
            return std::find(now.begin(), now.end(), popup) == now.end();
        },
        1s);
    return true;
}

PngImage GameProcess::Screen() {
    const std::string file = dir.File("shot.png");
    Shell("import -window root " + file);
    return ReadPng(file);
}

PngImage GameProcess::Client(bool keep) {
    const PngImage screen = Screen();
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
    if (!keep) return c;
    const std::string out = BuildDir() + "tests/e2e-out";
    fs::create_directories(out);
    WritePng(out + "/" + ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                 std::to_string(++shots) + ".png",
             c);
    return c;
}

PngImage GameProcess::MenuBar() {
    const PngImage screen = Screen();
    const Geometry g = WindowGeometry(window);
    PngImage bar;
    bar.width = std::min(g.w, 300);
    bar.height = std::max(0, g.h - 500);
    bar.argb.resize(static_cast<size_t>(bar.width) * bar.height);
    for (int y = 0; y < bar.height; ++y)
        for (int x = 0; x < bar.width; ++x) {
            const int sx = g.x + x, sy = g.y + y;
            bar.argb[static_cast<size_t>(y) * bar.width + x] =
                sx < screen.width && sy < screen.height ? screen.At(sx, sy) : 0;
        }
    return bar;
}

bool GameProcess::MenusEnabled() {
    const PngImage bar = MenuBar();
    int dark = 0;
    for (uint32_t c : bar.argb) {
        const int r = (c >> 16) & 255, g = (c >> 8) & 255, b = c & 255;
        if (r < 60 && g < 60 && b < 60) ++dark;
    }
    return dark > 20;
}

bool GameProcess::StartBoard() {
    for (int i = 0; i < 8; ++i) {
        Key("Return");
        if (WaitUntil([this] { return !MenusEnabled(); }, 1500ms)) return true;
    }
    return false;
}

std::string GameProcess::Opened() const {
    return PercentDecoded(FileText(dir.File("opened.txt")));
}
