// The installed game, as a player who may not write to the folder it is installed in:
// its saved game and settings go to the player's data folder, and the next start
// offers the saved board again.
#include "GameProcess.h"
#include "XClose.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

class InstalledGame : public GameProcess {
protected:
    void SetUp() override {
        const std::string build = BuildDir();
        if (!fs::exists(build + "himawari")) GTEST_SKIP() << "the program is not built";
        prefix = dir.File("prefix");
        ASSERT_EQ(
            std::system(("cmake --install '" + build + "' --prefix '" + prefix + "' >/dev/null").c_str()), 0);
        program = prefix + "/bin/himawari";
        gameData = prefix + "/lib/himawari/Data";
        ASSERT_TRUE(fs::is_directory(gameData));
        home = dir.File("home");
        fs::create_directories(home);
        env["HOME"] = home;
        env["SDL_AUDIODRIVER"] = "dummy";
        env["XDG_DATA_HOME"] = "";
        if (geteuid() == 0) {
            // Root writes wherever it likes: the game runs as an ordinary user instead,
            // who may read the installed folder (and the display's cookie) but not write it.
            const passwd* nobody = getpwnam("nobody");
            if (!nobody) GTEST_SKIP() << "no unprivileged user to play as";
            runAs = nobody->pw_uid;
            runAsGroup = nobody->pw_gid;
            fs::permissions(dir.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                            fs::perms::others_read | fs::perms::others_exec);
            ASSERT_EQ(chown(home.c_str(), runAs, runAsGroup), 0);
            fs::create_directories(home + "/run");
            ASSERT_EQ(chown((home + "/run").c_str(), runAs, runAsGroup), 0);
            fs::permissions(home + "/run", fs::perms::owner_all);
            env["XDG_RUNTIME_DIR"] = home + "/run";
            if (const char* cookie = std::getenv("XAUTHORITY")) {
                fs::copy_file(cookie, dir.File("Xauthority"));
                fs::permissions(dir.File("Xauthority"), fs::perms::others_read, fs::perm_options::add);
                env["XAUTHORITY"] = dir.File("Xauthority");
            }
        } else {
            fs::permissions(gameData,
                            fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                            fs::perm_options::remove);
        }
        Launch();
    }
    void TearDown() override {
        GameProcess::TearDown();
        std::error_code ec;
        fs::permissions(gameData, fs::perms::owner_write, fs::perm_options::add, ec);
    }

    std::string prefix, gameData, home;
};

} // namespace

TEST_F(InstalledGame, SavesInTheUsersDataFolderAndResumesFromIt) {
    // The desktop's files under the application id.
    const std::string id = "io.github.himawari.HimawariEscape", share = prefix + "/share/";
    EXPECT_TRUE(fs::exists(share + "applications/" + id + ".desktop"));
    EXPECT_TRUE(fs::exists(share + "metainfo/" + id + ".metainfo.xml"));
    EXPECT_TRUE(fs::exists(share + "icons/hicolor/scalable/apps/" + id + ".svg"));
    for (const char* size : {"16x16", "24x24", "32x32", "48x48", "64x64", "128x128", "256x256"})
        EXPECT_TRUE(fs::exists(share + "icons/hicolor/" + size + "/apps/" + id + ".png")) << size;

    ASSERT_TRUE(StartBoard());
    std::this_thread::sleep_for(500ms);
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Return"); // Yes
    ASSERT_EQ(WaitExit(5s), 0);
    const std::string kept = home + "/.local/share/himawari/";
    ASSERT_TRUE(fs::exists(kept + "record.dat")) << "the game was not saved";
    EXPECT_EQ(fs::file_size(kept + "record.dat"), 3416u);
    EXPECT_NE(FileText(kept + "Settei.ini").find("Music = 1"), std::string::npos);
    EXPECT_FALSE(fs::exists(gameData + "/record.dat"));
    EXPECT_FALSE(fs::exists(gameData + "/Settei.ini"));

    // The next start finds the saved board there and plays it on.
    Launch();
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Answer("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    FocusGame();
    EXPECT_TRUE(StartBoard()) << "the restored board is not played on";
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape");
    EXPECT_EQ(WaitExit(5s), 0);
}
