#pragma once
// The real program in a real window (under Xvfb), driven like a player: xdotool for
// keys and the mouse, X11's close request for the close box, screenshots of the window
// checked for what must be there. The program runs from a copy of the build's program
// folder, started in another current directory, so the files it writes stay in the copy.
#include "screen/PngImage.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>
#include <sys/types.h>

#include <chrono>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

// The output of a shell command.
std::string Shell(const std::string& command);

// The visible top-level windows whose title matches the pattern (a regular expression).
std::vector<unsigned long> WindowsNamed(const std::string& pattern);
// The windows titled like the game: the main window, its message boxes and the version
// dialog.
std::vector<unsigned long> GameWindows();

struct Geometry {
    int x = 0, y = 0, w = 0, h = 0;
};
Geometry WindowGeometry(unsigned long id);

// Polls `done` every 50 ms until it holds or `limit` has passed; whether it held.
bool WaitUntil(const std::function<bool()>& done, std::chrono::milliseconds limit);

// "file:///a/%E4%BD%9C" -> "file:///a/作".
std::string PercentDecoded(const std::string& text);

// The whole text of a file; empty when it cannot be read.
std::string FileText(const std::string& path);

// A saved game (the 3416 bytes of record.dat) of a board of the first stage on the
// given grid lines: the hamster in the top-left cell facing right, waiting for Enter,
// the food in the cell `food` (column, row), a cat alive in each of the cells `cats`,
// full life and no score. A test changes what else it needs.
std::vector<uint8_t> HandMadeBoard(const std::vector<int32_t>& xs, const std::vector<int32_t>& ys,
                                   std::pair<int32_t, int32_t> food,
                                   const std::vector<std::pair<int32_t, int32_t>>& cats = {});
// A saved board with no cat, so that nothing but a test's keys can happen to the hamster
// however slowly a busy machine lets the test look. The top row's cells are 50 x 50,
// which hold the 54 x 28 hamster facing either way, so that it can turn in its first cell
// and walk the whole row; the food is far off in the bottom-right cell and never comes
// into the top row.
std::vector<uint8_t> QuietBoard();
// Writes a 32-bit little-endian value into a saved game.
void Put32(std::vector<uint8_t>& bytes, size_t at, int32_t value);

class GameProcess : public ::testing::Test {
protected:
    // Install, then Launch.
    void SetUp() override;
    void TearDown() override;
    // Copies the program with its Data folder and help text into a fresh folder and puts
    // a stand-in for the desktop's opener first in the program's PATH.
    void Install();

    // Starts the program and waits for its window.
    void Launch();
    // Waits until n windows of the game are shown (a question adds one).
    bool WaitWindows(size_t n);
    // Waits for the program to end; its exit status, or -1 when it does not end in time.
    int WaitExit(std::chrono::milliseconds limit);
    // Gives the main window the keyboard again (after a dialog has closed).
    void FocusGame();
    void Key(const std::string& keys);
    // Gives the window the keyboard unless it has it already (a dialog is given it as it
    // opens, but not always before the next key would arrive).
    static void Focus(unsigned long id);
    // Answers the question or notice shown over the main window with a key.
    void Answer(const std::string& key);
    // Opens a menu of the menu bar with Alt and its access key, then picks the item with
    // its access key. False when the menu did not open. `beforeItem` runs just before
    // the item's key is sent.
    bool MenuItem(char menuKey, char itemKey, const std::function<void()>& beforeItem = {});

    // The window's 764 x 500 drawing surface (below the menu bar). Each one kept is also
    // written to the build folder (tests/e2e-out/<test>-<n>.png) for a look.
    PngImage Client(bool keep = true);
    // The strip of the menu bar above the drawing surface, as shown now.
    PngImage MenuBar();
    // Whether the menu bar's titles are drawn enabled (dark lettering, not greyed).
    bool MenusEnabled();
    // Presses Enter until a board is in play (the menus are disabled then): the game
    // takes it only once the start-up, with its offer to resume, is over.
    bool StartBoard();

    // What the stand-in opener was asked to open (decoded), or empty.
    std::string Opened() const;

    TempDir dir;
    // The current directory the program starts in: elsewhere than its own folder.
    std::string workDir = "/";
    // Variables set for the program (SDL_AUDIODRIVER is "dummy" unless set here).
    std::map<std::string, std::string> env;
    // The program started (the copy in the fresh folder unless set) and the user it runs
    // as (the test's own unless set).
    std::string program;
    uid_t runAs = static_cast<uid_t>(-1);
    gid_t runAsGroup = static_cast<gid_t>(-1);
    pid_t pid = -1;
    bool exited = false;
    unsigned long window = 0;
    int shots = 0;

private:
    PngImage Screen();
    std::string NoWindowReport();
};
