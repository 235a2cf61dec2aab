// The top ten in the real window: a game finished from a hand-made saved game near its
// end asks for a name once its game-over picture is shown, ranks it, and the next start
// shows it again from the game menu.
#include "GameProcess.h"
#include "XClose.h"

#include "game/SaveImage.h"

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const char* const NameTitle = "ハイスコア - 名前の入力";

// A board of the second stage in play, 15 foods eaten, no life left and a cat beside the
// hamster: continued, the cat catches it within a second (or a move right bites it).
std::vector<uint8_t> LastMomentsOfAGame() {
    using S = TSaveImage;
    std::vector<uint8_t> b = HandMadeBoard({20, 80, 140, 200, 260, 320, 380, 440, 500, 620},
                                           {20, 80, 140, 200, 260, 320, 420}, {8, 5}, {{1, 0}});
    Put32(b, S::OffLife, 0);
    Put32(b, S::OffInterruptedElapsed, 20000);
    Put32(b, S::OffScore, 25000);
    Put32(b, S::OffHighScore, 30000);
    Put32(b, S::OffFoodsCount, 15);
    Put32(b, S::OffStage, 2);
    Put32(b, S::OffCheckpointScore, 20000);
    Put32(b, S::OffCheckpointLife, 30);
    return b;
}

class ScoresGame : public GameProcess {
protected:
    void SetUp() override {
        Install();
        if (IsSkipped()) return;
        dir.Write("Data/record.dat", LastMomentsOfAGame());
        Launch();
    }
    bool WaitTitled(const std::string& title, size_t n) {
        return WaitUntil([&] { return WindowsNamed(title).size() == n; }, 10s);
    }
};

} // namespace

TEST_F(ScoresGame, AFinishedGameIsNamedRankedAndShownAgainAfterARestart) {
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Answer("Return"); // Yes
    ASSERT_TRUE(WaitWindows(1));
    FocusGame();
    Key("Return"); // play on
    Key("Right");
    ASSERT_TRUE(WaitTitled(NameTitle, 1)) << "no name entry after the game over";
    Focus(WindowsNamed(NameTitle)[0]);
    Shell("xdotool key ctrl+a");
    Shell("xdotool type --delay 20 'Hana E2E'");
    Key("Return");
    ASSERT_TRUE(WaitTitled("ハイスコア - 1位に入りました", 1)) << "the table does not show the entry first";
    const std::string table = FileText(dir.File("Data/scores.ini"));
    EXPECT_NE(table.find("entry=25000,15,"), std::string::npos) << table;
    EXPECT_NE(table.find(",Hana E2E\n"), std::string::npos) << table;
    EXPECT_NE(table.find("last-name=Hana E2E\n"), std::string::npos) << table;
    Focus(WindowsNamed("ハイスコア - 1位")[0]);
    Key("Escape");
    ASSERT_TRUE(WaitTitled("ハイスコア", 0));
    ASSERT_TRUE(RequestClose(window));
    ASSERT_TRUE(WaitWindows(2)) << "no save question";
    Answer("Escape"); // No: the hand-made game stays as it was
    ASSERT_EQ(WaitExit(10s), 0);

    // The next start: the table from the game menu, with the entry as it was ranked.
    Launch();
    ASSERT_TRUE(WaitWindows(2)) << "no resume question";
    Answer("Escape"); // No
    ASSERT_TRUE(WaitWindows(1));
    FocusGame();
    ASSERT_TRUE(MenuItem('g', 'h'));
    ASSERT_TRUE(WaitTitled("^ハイスコア$", 1)) << "no table from the menu";
    EXPECT_EQ(FileText(dir.File("Data/scores.ini")), table) << "showing the table writes nothing";
    Focus(WindowsNamed("^ハイスコア$")[0]);
    Key("Escape");
    ASSERT_TRUE(WaitTitled("ハイスコア", 0));
    ASSERT_TRUE(RequestClose(window));
    EXPECT_EQ(WaitExit(10s), 0);
}
