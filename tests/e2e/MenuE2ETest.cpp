// Every item of the menu bar, opened with the keyboard the way a player does (Alt and
// the menu's access key, then the item's access key), each checked by what it leaves
// behind outside the program: windows shown, what the desktop was asked to open, the
// settings and the saved game written, the program's end.
#include "DiskAudio.h"
#include "GameProcess.h"
#include "XClose.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const char* const VersionTitle = "ひまわり畑の大脱走！のバージョン情報";
const char* const FileDialogTitle = "BGMの指定";
const char* const FolderDialogTitle =
    "midiファイル・mp3ファイルが存在するフォルダかドライブを選んでください。";

// The title the desktop shows (_NET_WM_NAME), which must be the window's own title with
// nothing appended.
std::string ShownTitle(unsigned long id) {
    std::string name = Shell("xdotool getwindowname " + std::to_string(id) + " 2>/dev/null");
    while (!name.empty() && name.back() == '\n') name.pop_back();
    return name;
}

class Menus : public GameProcess {
protected:
    void SetUp() override {
        Install();
        // The file and folder dialogs open in the current directory: started in its own
        // folder, the program's dialogs take names relative to it.
        workDir = dir.Path().string();
        capture = dir.File("audio.raw");
        env["SDL_AUDIODRIVER"] = "disk";
        env["SDL_DISKAUDIOFILE"] = capture;
    }
    void Start(const std::string& settings = "") {
        if (!settings.empty()) dir.Write("Data/Settei.ini", settings);
        Relaunch();
    }
    // Starts the program and waits until its music sounds: the music's deferred set-up
    // (settings read, track opened) is over, and the BGM menu acts on what it set up.
    void Relaunch() {
        fs::remove(capture);
        Launch();
        ASSERT_TRUE(WaitUntil([this] { return CapturedPeak(capture) > 0.001; }, 20s)) << "no music";
    }
    // A fixture copied into the program's folder.
    std::string Copy(const std::string& fixture, const std::string& to) {
        const fs::path target = dir.Path() / to;
        fs::create_directories(target.parent_path());
        fs::copy(SourceDir() + "tests/fixtures/" + fixture, target, fs::copy_options::recursive);
        return target.string();
    }
    // The window with this title, or 0.
    static unsigned long Shown(const std::string& title) {
        const auto windows = WindowsNamed(title);
        return windows.empty() ? 0 : windows.front();
    }
    bool WaitDialog(const std::string& title, size_t count) {
        return WaitUntil([&] { return WindowsNamed(title).size() == count; }, 8s);
    }
    // Types a name (relative to the folder the dialog shows first, so that the dialog
    // does not change folders while it is typed) into the file or folder dialog with
    // this title, once it has the keyboard, and takes it.
    void Choose(const std::string& title, const std::string& name) {
        const unsigned long dialog = Shown(title);
        ASSERT_NE(dialog, 0u);
        Focus(dialog);
        Shell("xdotool type --delay 5 '" + name + "'");
        Key("Return");
        // A Return taken by the line's completion list only closes the list.
        if (!WaitDialog(title, 0) && Shown(title) == dialog && GameWindows().size() == 1) {
            Focus(dialog);
            Key("Return");
        }
    }
    // Closes the window on the title screen and returns the settings written.
    std::string CloseAndReadSettings() {
        FocusGame();
        EXPECT_TRUE(RequestClose(window));
        EXPECT_EQ(WaitExit(10s), 0);
        return FileText(dir.File("Data/Settei.ini"));
    }
    // Plays until the board ends: right and down held, the hamster walks until it falls,
    // bites a cat twice, reaches the food or is caught where it stands.
    bool PlayUntilTheBoardEnds() {
        if (!StartBoard()) return false;
        Shell("xdotool keydown Right keydown Down");
        const bool ended = WaitUntil([this] { return MenusEnabled(); }, 60s);
        Shell("xdotool keyup Right keyup Down");
        return ended;
    }

    std::string capture;
};

} // namespace

// Help: the notes open with the desktop's viewer; the version dialog is modal, its link
// opens the notes too, its close box closes it; Exit on the title screen ends the
// program at once with the settings written.
TEST_F(Menus, HelpVersionAndExit) {
    Start();
    const std::string notes = "file://" + dir.File("作品について.txt");
    ASSERT_TRUE(MenuItem('h', 'h'));
    ASSERT_TRUE(WaitUntil([this] { return !Opened().empty(); }, 5s)) << "the notes were not opened";
    EXPECT_EQ(Opened(), notes);
    fs::remove(dir.File("opened.txt"));

    ASSERT_TRUE(MenuItem('h', 'v'));
    ASSERT_TRUE(WaitDialog(VersionTitle, 1)) << "no version dialog";
    const unsigned long dialog = Shown(VersionTitle);
    ASSERT_NE(dialog, 0u);
    EXPECT_EQ(ShownTitle(dialog), VersionTitle);
    const Geometry g = WindowGeometry(dialog);
    EXPECT_EQ(g.w, 385);
    EXPECT_EQ(g.h, 258);
    // While it is shown the main window takes no menu.
    EXPECT_FALSE(MenuItem('h', 'v'));
    // A click on the link (the line below the banner).
    Shell("xdotool mousemove " + std::to_string(g.x + 150) + " " + std::to_string(g.y + 230) + " click 1");
    ASSERT_TRUE(WaitUntil([this] { return !Opened().empty(); }, 5s)) << "the link opened nothing";
    EXPECT_EQ(Opened(), notes);
    ASSERT_TRUE(RequestClose(dialog));
    ASSERT_TRUE(WaitDialog(VersionTitle, 0)) << "the version dialog stays";
    EXPECT_EQ(WaitExit(0ms), -1) << "the program ended with the dialog";

    FocusGame();
    ASSERT_TRUE(MenuItem('g', 'e'));
    EXPECT_EQ(WaitExit(10s), 0) << "Exit did not end the program";
    EXPECT_FALSE(fs::exists(dir.File("Data/record.dat")));
    EXPECT_NE(FileText(dir.File("Data/Settei.ini")).find("Music = 1"), std::string::npos);
}

// The file dialog: Cancel keeps the chosen file; the built-in track replaces it; a file
// taken in the dialog becomes the chosen one. Each state is read back from the settings
// written at close.
TEST_F(Menus, ChosenFileAndBuiltInTrack) {
    const std::string tune = Copy("tune.mid", "music/tune.mid");
    const std::string tone = Copy("tone.mp3", "tone.mp3");
    Start("[BGM]\r\nMusic=1\r\nRandom=0\r\nMusicName=" + tune + "\r\n");
    ASSERT_TRUE(MenuItem('b', 'm'));
    ASSERT_TRUE(WaitDialog(FileDialogTitle, 1)) << "no file dialog";
    EXPECT_EQ(ShownTitle(Shown(FileDialogTitle)), FileDialogTitle);
    Focus(Shown(FileDialogTitle));
    Key("Escape");
    ASSERT_TRUE(WaitDialog(FileDialogTitle, 0)) << "the file dialog stays";
    EXPECT_NE(CloseAndReadSettings().find("MusicName = " + tune), std::string::npos)
        << "Cancel changed the track";

    Relaunch();
    ASSERT_TRUE(MenuItem('b', 'h'));
    const std::string builtIn = CloseAndReadSettings();
    EXPECT_NE(builtIn.find("MusicName = " + dir.File("Data/tamsp15.mp3")), std::string::npos) << builtIn;
    EXPECT_NE(builtIn.find("Random = 0"), std::string::npos) << builtIn;

    Relaunch();
    ASSERT_TRUE(MenuItem('b', 'm'));
    ASSERT_TRUE(WaitDialog(FileDialogTitle, 1)) << "no file dialog";
    Choose(FileDialogTitle, "tone.mp3");
    ASSERT_TRUE(WaitDialog(FileDialogTitle, 0)) << "the file dialog stays";
    const std::string chosen = CloseAndReadSettings();
    EXPECT_NE(chosen.find("MusicName = " + tone), std::string::npos) << chosen;
    EXPECT_NE(chosen.find("Music = 1"), std::string::npos) << chosen;
}

// The folder browser: Cancel, a folder without music (a notice, nothing changes), then
// a folder tree of music files: random play from it.
TEST_F(Menus, RandomPlayFromAFolder) {
    const std::string music = Copy("music", "music");
    fs::create_directories(dir.Path() / "empty");
    Start();
    ASSERT_TRUE(MenuItem('b', 'r'));
    ASSERT_TRUE(WaitDialog(FolderDialogTitle, 1)) << "no folder browser";
    Focus(Shown(FolderDialogTitle));
    Key("Escape");
    ASSERT_TRUE(WaitDialog(FolderDialogTitle, 0)) << "the folder browser stays";

    FocusGame();
    ASSERT_TRUE(MenuItem('b', 'r'));
    ASSERT_TRUE(WaitDialog(FolderDialogTitle, 1));
    Choose(FolderDialogTitle, "empty");
    ASSERT_TRUE(WaitWindows(2)) << "no notice for a folder without music";
    Answer("Return");
    ASSERT_TRUE(WaitWindows(1));

    FocusGame();
    ASSERT_TRUE(MenuItem('b', 'r'));
    ASSERT_TRUE(WaitDialog(FolderDialogTitle, 1));
    Choose(FolderDialogTitle, "music");
    ASSERT_TRUE(WaitDialog(FolderDialogTitle, 0)) << "the folder browser stays";
    const std::string settings = CloseAndReadSettings();
    EXPECT_NE(settings.find("Random = 1"), std::string::npos) << settings;
    EXPECT_NE(settings.find("MusicFolda = " + music + "\n"), std::string::npos) << settings;
    EXPECT_NE(settings.find("MusicName = " + music + "/"), std::string::npos) << settings;
}

// Between boards the game menu saves (with its question) and then has nothing more to
// save; Exit then ends the program without asking.
TEST_F(Menus, SaveBetweenBoards) {
    Start();
    ASSERT_TRUE(StartBoard()) << "the menus stay enabled in play";
    // During play no menu opens (unless a cat has ended the board meanwhile).
    if (MenuItem('h', 'h')) {
        EXPECT_TRUE(MenusEnabled()) << "a menu opened during play";
    }
    ASSERT_TRUE(PlayUntilTheBoardEnds()) << "the board did not end";
    ASSERT_TRUE(MenuItem('g', 's'));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    // Written once the question has gone.
    ASSERT_TRUE(WaitUntil([this] { return fs::exists(dir.File("Data/record.dat")); }, 5s)) << "nothing saved";
    EXPECT_EQ(fs::file_size(dir.File("Data/record.dat")), 3416u);

    // Saved: the item is disabled, its access key leaves the menu open and asks nothing.
    FocusGame();
    ASSERT_TRUE(MenuItem('g', 's'));
    EXPECT_FALSE(WaitUntil([] { return GameWindows().size() > 1; }, 1s)) << "asked again";
    Key("Escape");
    ASSERT_TRUE(MenuItem('g', 'e'));
    EXPECT_EQ(WaitExit(10s), 0) << "Exit asked or did not end the program";
}

// Exit between boards, with the game not saved, asks the close question; No ends the
// program without writing the saved game.
TEST_F(Menus, ExitBetweenBoardsAsksToSave) {
    Start();
    ASSERT_TRUE(PlayUntilTheBoardEnds()) << "the board did not end";
    ASSERT_TRUE(MenuItem('g', 'e'));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape"); // No
    EXPECT_EQ(WaitExit(10s), 0);
    EXPECT_FALSE(fs::exists(dir.File("Data/record.dat")));
    EXPECT_TRUE(fs::exists(dir.File("Data/Settei.ini")));
}

// A start-up that fails (the background picture is missing) shows its error and leaves
// the window open without a game; its help and exit items still work, and exit ends the
// program with status 0.
TEST_F(Menus, AfterAFailedStartUpHelpAndExitStillWork) {
    fs::remove(dir.File("Data/haikei.jpg"));
    Launch(); // the error box comes first
    const unsigned long box = window;
    Focus(box);
    Key("Return");
    ASSERT_TRUE(WaitUntil(
        [&] {
            const auto windows = GameWindows();
            return windows.size() == 1 && windows.front() != box;
        },
        10s))
        << "the window did not open after the error";
    window = GameWindows().front();
    FocusGame();
    ASSERT_TRUE(MenuItem('h', 'h'));
    ASSERT_TRUE(WaitUntil([this] { return !Opened().empty(); }, 5s)) << "help opened nothing";
    EXPECT_EQ(Opened(), "file://" + dir.File("作品について.txt"));
    FocusGame();
    ASSERT_TRUE(MenuItem('g', 'e'));
    EXPECT_EQ(WaitExit(10s), 0) << "Exit did not end the program";
}
