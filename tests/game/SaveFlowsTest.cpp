#include "MusicFixture.h"

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <unistd.h>

namespace {

const char* const SaveQuestion = "ゲームを保存しますか？\r以前のデータは破棄されます。";
const char* const ResumeQuestion = "前回の続きからゲームを始めますか？";

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

class SaveFlowTest : public MusicTest {
protected:
    void SetUp() override {
        StartMusic();
        PassStartup();
        ASSERT_TRUE(host.questions.empty()) << "no saved game yet: nothing asked";
    }
    // The hamster eats the food of a small board.
    void ClearBoard() {
        Enter();
        SmallBoard();
        FoodAt(1, 0);
        Step({Right});
        ASSERT_TRUE(form.BoardClear);
    }
    std::string RecordFile() { return Data("record.dat"); }
};

TEST_F(SaveFlowTest, SavedBetweenBoardsTheNextRunGoesOnWithTheNextBoard) {
    ClearBoard();
    EXPECT_TRUE(form.MainMenu1.Save.Enabled());
    host.answers = {true};
    ASSERT_TRUE(commands.Click("Save"));
    EXPECT_EQ(host.questions, std::vector<std::string>{SaveQuestion});
    EXPECT_TRUE(form.GameSaved);
    EXPECT_FALSE(form.MainMenu1.Save.Enabled());
    EXPECT_FALSE(commands.Click("Save")) << "nothing changed since: the item is disabled";
    commands.SaveClick();
    EXPECT_EQ(host.questions.size(), 1u) << "and the command asks nothing";
    EXPECT_TRUE(commands.FormCloseQuery()) << "a saved game closes without a question";
    EXPECT_EQ(host.questions.size(), 1u);
    const auto lines = form.XLines;
    const int32_t score = form.Score;

    NextRun next(dir.Dir());
    next.host.answers = {true};
    next.StartUp();
    EXPECT_EQ(next.host.questions, std::vector<std::string>{ResumeQuestion});
    EXPECT_TRUE(next.form.BoardClear);
    EXPECT_FALSE(next.form.ResumeWaiting);
    EXPECT_EQ(next.form.XLines, lines);
    EXPECT_EQ(next.form.Score, score);
    EXPECT_EQ(next.form.Texts.Text(TStatusText::FoodsValue), "01");
    next.Enter();
    EXPECT_TRUE(next.form.Hamster.Active);
    EXPECT_FALSE(next.form.BoardClear);
    EXPECT_NE(next.form.XLines, lines) << "a new board";
}

TEST_F(SaveFlowTest, ClosedMidBoardTheTimeGoesOnWhereItStopped) {
    Enter();
    SmallBoard();
    clock.Advance(12345);
    host.answers = {true};
    ASSERT_TRUE(commands.FormCloseQuery());
    EXPECT_FALSE(form.Hamster.Active);
    EXPECT_TRUE(form.GameSaved);
    ASSERT_TRUE(std::filesystem::exists(RecordFile()));

    // As written, and hand-made with the hamster's Active byte set: both wait for Enter.
    for (const bool activeByte : {false, true}) {
        if (activeByte) {
            std::fstream file(RecordFile(), std::ios::in | std::ios::out | std::ios::binary);
            file.seekp(TSaveImage::OffHamster + 13);
            file.put(1);
        }
        NextRun next(dir.Dir());
        next.host.answers = {true};
        next.StartUp();
        ASSERT_TRUE(next.form.ResumeWaiting);
        EXPECT_FALSE(next.form.Hamster.Active);
        next.clock.Advance(5000);
        next.Tick();
        EXPECT_EQ(next.form.Texts.Text(TStatusText::TimeValue), "") << "no clock before Enter";
        next.Enter();
        EXPECT_TRUE(next.form.Hamster.Active);
        EXPECT_FALSE(next.form.ResumeWaiting);
        EXPECT_EQ(next.form.Texts.Text(TStatusText::TimeValue), FormatTimeUnsigned(12345));
        EXPECT_EQ(next.form.BoardStartTime, next.clock.Now() - 12345);
        next.clock.Advance(1000);
        next.Tick();
        EXPECT_EQ(next.form.Texts.Text(TStatusText::TimeValue), FormatTimeUnsigned(13345));
    }
}

// A program folder the player may not write to: the saved game and the settings go to
// the user's folder, are read from there while they are newer than the program folder's
// copies, and from the program's folder when the user's folder has none.
TEST_F(SaveFlowTest, TheUsersFolderKeepsTheGameAndTheSettingsAndIsReadFirst) {
    TempDir user;
    form.UserDir = user.Dir();
    Enter();
    SmallBoard();
    clock.Advance(12345);
    host.answers = {true};
    ASSERT_TRUE(commands.FormCloseQuery());
    commands.FormClose();
    ASSERT_TRUE(std::filesystem::exists(user.File("record.dat")));
    EXPECT_NE(ReadAll(user.File("Settei.ini")).find("Music = 1"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    EXPECT_FALSE(std::filesystem::exists(Data("Settei.ini")));
    // The program's folder holds a game and settings of its own (music off).
    std::filesystem::copy_file(user.File("record.dat"), RecordFile());
    Settings("[BGM]\r\nMusic=0\r\n");
    for (const std::string& older : {RecordFile(), Data("Settei.ini")})
        std::filesystem::last_write_time(older, std::filesystem::last_write_time(user.File("record.dat")) -
                                                    std::chrono::hours(1));

    NextRun next(dir.Dir());
    next.form.UserDir = user.Dir();
    next.host.answers = {true};
    next.StartUp();
    EXPECT_TRUE(next.form.ResumeWaiting);
    EXPECT_TRUE(next.bgm.BgmOn) << "the user's settings, not the program folder's";

    TempDir empty;
    NextRun other(dir.Dir());
    other.form.UserDir = empty.Dir();
    other.host.answers = {false};
    other.StartUp();
    EXPECT_EQ(other.host.questions, std::vector<std::string>{ResumeQuestion}) << "the program folder's game";
    EXPECT_FALSE(other.bgm.BgmOn);
}

// The program's folder became the player's again (a copy made writable) while a game
// and settings are kept in the user's data folder: the newer of the two copies is read,
// never an older one in the program's folder.
TEST_F(SaveFlowTest, AGameKeptInTheUsersDataFolderIsNotHiddenByAnOlderOne) {
    TempDir user;
    form.UserDir = user.Dir();
    Enter();
    SmallBoard();
    host.answers = {true};
    ASSERT_TRUE(commands.FormCloseQuery());
    commands.FormClose();
    ASSERT_TRUE(std::filesystem::exists(user.File("record.dat")));
    Settings("[BGM]\r\nMusic=0\r\n");
    std::filesystem::last_write_time(Data("Settei.ini"),
                                     std::filesystem::last_write_time(user.File("Settei.ini")) -
                                         std::chrono::hours(1));

    NextRun next(dir.Dir());
    next.form.XdgDir = user.Dir();
    next.host.answers = {true};
    next.StartUp();
    EXPECT_EQ(next.host.questions, std::vector<std::string>{ResumeQuestion}) << "the kept game";
    EXPECT_TRUE(next.form.ResumeWaiting);
    EXPECT_TRUE(next.bgm.BgmOn) << "the kept settings, not the older ones of the program's folder";

    // Newer settings in the program's folder are read instead.
    Settings("[BGM]\r\nMusic=0\r\n");
    std::filesystem::last_write_time(Data("Settei.ini"),
                                     std::filesystem::last_write_time(user.File("Settei.ini")) +
                                         std::chrono::hours(1));
    NextRun later(dir.Dir());
    later.form.XdgDir = user.Dir();
    later.host.answers = {false};
    later.StartUp();
    EXPECT_FALSE(later.bgm.BgmOn);
}

// No folder to keep anything in (no home folder, a program folder not the player's):
// the game plays, a save says why it cannot be kept, and nothing is written anywhere.
TEST_F(SaveFlowTest, WithoutAUsersFolderTheGamePlaysAndASaveSaysItCannotBeKept) {
    TempDir cwd;
    const auto before = std::filesystem::current_path();
    std::filesystem::current_path(cwd.Path());
    form.UserDir = "";
    Enter();
    SmallBoard();
    host.answers = {true};
    EXPECT_FALSE(commands.FormCloseQuery()) << "the save failed: the window stays";
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find("record.dat"), std::string::npos) << host.messages[0];
    commands.FormClose();
    EXPECT_EQ(host.messages.size(), 1u) << "the settings are not kept, and nothing is said of it again";
    EXPECT_TRUE(std::filesystem::is_empty(cwd.Path()));
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
    EXPECT_FALSE(std::filesystem::exists(Data("Settei.ini")));
    std::filesystem::current_path(before);
}

TEST_F(SaveFlowTest, ClosingWithNoLeavesTheRecordFileAlone) {
    Enter();
    SmallBoard();
    host.answers = {false};
    EXPECT_TRUE(commands.FormCloseQuery());
    EXPECT_FALSE(std::filesystem::exists(RecordFile()));
}

TEST_F(SaveFlowTest, ClosedWhileFallingTheGameComesBackLost) {
    Enter();
    SmallBoard();
    form.Hamster.Falling = true;
    form.Hamster.Active = false;
    host.answers = {true};
    ASSERT_TRUE(commands.FormCloseQuery());

    NextRun next(dir.Dir());
    next.host.answers = {true};
    next.StartUp();
    EXPECT_TRUE(next.form.GameOver);
    EXPECT_FALSE(next.form.Hamster.Falling);
    EXPECT_FALSE(next.form.ResumeWaiting);
}

TEST_F(SaveFlowTest, AClearedGameAsksNothingAndShowsTheNewHighScore) {
    Enter();
    SmallBoard();
    form.FoodsCount = 29;
    form.Stage = 3;
    form.Score = 4321;
    FoodAt(1, 0);
    Step({Right});
    ASSERT_TRUE(form.GameClear);
    ASSERT_GT(form.HighScore, 4321);

    NextRun next(dir.Dir());
    next.StartUp(); // an unscripted question would fail here
    EXPECT_TRUE(next.host.questions.empty());
    EXPECT_EQ(next.form.HighScore, form.HighScore);
    EXPECT_EQ(next.form.Texts.Text(TStatusText::HighScoreValue), FormatNumber(form.HighScore, 6));
}

TEST_F(SaveFlowTest, MenusAreClosedDuringPlayAndOpenBetweenBoards) {
    int settingsOpened = 0;
    commands.SetSettingsHandler([&] { ++settingsOpened; });
    EXPECT_TRUE(TopMenusEnabled());
    Enter();
    EXPECT_TRUE(TopMenusDisabled());
    for (const char* item : {"Save", "Settings", "HS1", "E1", "Play", "Stop", "Yuyake", "Select", "R1", "H2", "V1"})
        EXPECT_FALSE(commands.Click(item)) << item;
    EXPECT_EQ(settingsOpened, 0);
    EXPECT_TRUE(host.opened.empty());
    EXPECT_EQ(host.versionDialogs, 0);
    SmallBoard();
    FoodAt(1, 0);
    Step({Right});
    EXPECT_TRUE(TopMenusEnabled());
    EXPECT_TRUE(commands.Click("H2"));
    EXPECT_EQ(host.opened, std::vector<std::string>{dir.Dir() + "作品について.txt"});
    host.shellSucceeds = false;
    commands.Click("H2");
    EXPECT_TRUE(host.messages.empty()) << "a missing help file shows nothing";
    EXPECT_TRUE(commands.Click("V1"));
    EXPECT_EQ(host.versionDialogs, 1);
    EXPECT_TRUE(commands.Click("Settings"));
    EXPECT_EQ(settingsOpened, 1);
    EXPECT_TRUE(commands.Click("HS1"));
    EXPECT_EQ(host.scoreTables.size(), 1u);
    EXPECT_TRUE(commands.Click("E1"));
    EXPECT_EQ(host.closeCalls, 1);
    EXPECT_FALSE(commands.Click("N1")) << "a separator has no command";
    EXPECT_FALSE(commands.Click("Nope"));
}

TEST_F(SaveFlowTest, AFailedSaveShowsTheReasonAndChangesNothing) {
    ClearBoard();
    // A folder in the file's place cannot be replaced, whoever runs the test.
    std::filesystem::create_directories(RecordFile() + "/keep");
    host.answers = {true};
    commands.SaveClick();
    ASSERT_EQ(host.messages.size(), 1u);
    EXPECT_NE(host.messages[0].find(RecordFile()), std::string::npos) << host.messages[0];
    EXPECT_FALSE(form.GameSaved);
    EXPECT_TRUE(form.MainMenu1.Save.Enabled());
    EXPECT_TRUE(std::filesystem::exists(RecordFile() + "/keep"));

    // The close question: the window stays open and the board goes on.
    Enter();
    host.answers = {true};
    EXPECT_FALSE(commands.FormCloseQuery());
    EXPECT_EQ(host.messages.size(), 2u);
    EXPECT_TRUE(form.Hamster.Active);
    EXPECT_FALSE(form.GameSaved);
}

TEST_F(SaveFlowTest, AFailedSaveKeepsTheOldFile) {
    if (geteuid() == 0) GTEST_SKIP() << "root writes into read-only folders";
    ClearBoard();
    host.answers = {true, true};
    commands.SaveClick();
    const std::string before = ReadAll(RecordFile());
    Enter();
    SmallBoard();
    FoodAt(1, 0);
    Step({Right});
    std::filesystem::permissions(dir.Path() / "Data",
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    commands.SaveClick();
    std::filesystem::permissions(dir.Path() / "Data", std::filesystem::perms::owner_all);
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_FALSE(form.GameSaved);
    EXPECT_EQ(ReadAll(RecordFile()), before);
}
