// The top ten: its ranking, its file (round trip, damaged and hand-edited files, the
// backup) and the names it keeps.
#include "game/ScoreFile.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TScoreEntry Entry(int32_t score, std::string name = "はむ", int32_t foods = 30) {
    return TScoreEntry{score, foods, 600000, 1796000000 + score, std::move(name)};
}

std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A table's text with its checksum made right again, as a careful hand would.
std::string Resummed(const std::string& body) {
    char sum[32];
    std::snprintf(sum, sizeof sum, "checksum=%08x\n", Crc32(body));
    return body + sum;
}

std::string Body(const std::string& entries) {
    return "; scores\nversion=1\n" + entries;
}

} // namespace

TEST(ScoreTableTest, RanksByScoreAndKeepsTheEarlierOfEqualScoresAhead) {
    TScoreTable t;
    EXPECT_TRUE(t.Qualifies(1)) << "the first game ever enters";
    EXPECT_FALSE(t.Qualifies(0)) << "a game that scored nothing does not";
    EXPECT_EQ(t.Insert(Entry(500, "first")), 0);
    EXPECT_EQ(t.Insert(Entry(900)), 0);
    EXPECT_EQ(t.Insert(Entry(500, "second")), 2) << "a tie goes below the earlier entry";
    EXPECT_EQ(t.Entries()[1].Name, "first");
    for (int32_t s = 1000; s < 1007; ++s) t.Insert(Entry(s));
    ASSERT_EQ(t.Entries().size(), 10u);
    EXPECT_EQ(t.Entries().back().Name, "second");
    // Equal to the tenth: does not enter, the table is unchanged.
    EXPECT_FALSE(t.Qualifies(500));
    EXPECT_EQ(t.Insert(Entry(500, "third")), -1);
    EXPECT_EQ(t.Entries().back().Name, "second");
    // One more: it passes the earlier 500 and the last one drops out.
    EXPECT_EQ(t.Insert(Entry(501, "new")), 8);
    ASSERT_EQ(t.Entries().size(), 10u);
    EXPECT_EQ(t.Entries()[8].Name, "new");
    EXPECT_EQ(t.Entries().back().Name, "first");
}

TEST(ScoreTableTest, TheBoundIsWhatTheQuickestFoodsGive) {
    EXPECT_EQ(ScoreBound(0), 0);
    EXPECT_EQ(ScoreBound(1), 3047);
    EXPECT_EQ(ScoreBound(30), 91410);
    EXPECT_EQ(ScoreBound(31), 91410);
    EXPECT_EQ(ScoreBound(-1), 0);
}

TEST(ScoreTableTest, StageTimeAndNameTexts) {
    EXPECT_EQ(StageText(0), "1-0");
    EXPECT_EQ(StageText(9), "1-9");
    EXPECT_EQ(StageText(10), "2-0");
    EXPECT_EQ(StageText(17), "2-7");
    EXPECT_EQ(StageText(30), "3-10");
    EXPECT_EQ(GameTimeText(0), "0:00");
    EXPECT_EQ(GameTimeText(725999), "12:05");
    EXPECT_EQ(GameTimeText(7385000), "123:05");

    EXPECT_TRUE(ValidScoreName("ひまわりハムスター十六文字ですね"));
    EXPECT_FALSE(ValidScoreName("ひまわりハムスター十六文字ですよね")) << "17 characters";
    EXPECT_TRUE(ValidScoreName("x"));
    EXPECT_FALSE(ValidScoreName(""));
    EXPECT_FALSE(ValidScoreName("a\tb"));
    EXPECT_FALSE(ValidScoreName("a\x7f"));
    EXPECT_FALSE(ValidScoreName("a\xc2\x85")) << "a C1 control (NEL)";
    EXPECT_FALSE(ValidScoreName("\xe3\x81")) << "a cut UTF-8 sequence";
    EXPECT_FALSE(ValidScoreName("\xc0\xaf")) << "an overlong form";
    EXPECT_FALSE(ValidScoreName("\xed\xa0\x80")) << "a surrogate";
    EXPECT_EQ(CleanScoreName("Hana Sato,,,"), "Hana Sato,,,");
    EXPECT_EQ(CleanScoreName("a\tb\xffはむ\n"), "abはむ");
    EXPECT_EQ(CleanScoreName("12345678901234567890"), "1234567890123456");
    EXPECT_TRUE(ValidScoreName(CleanScoreName("ひまわりハムスター十六文字ですよね")));
}

TEST(ScoreFileTest, WritesAndReadsBackTheTableWithTheOldFileKept) {
    TempDir dir;
    const std::string path = dir.File("scores.ini");
    TScoreTable t;
    t.LastName = "Hana, 花";
    t.SavedGameTime = 123456;
    t.Insert(Entry(91410, "満点=, ok"));
    t.Insert(Entry(3047, "one", 1));
    SaveScoreTable(path, t);
    EXPECT_FALSE(std::filesystem::exists(path + ".bak")) << "nothing to keep at the first write";
    const std::string first = Slurp(path);

    TScoreTable back;
    EXPECT_EQ(LoadScoreTable(path, back), TScoreLoad::Read);
    EXPECT_EQ(back.Entries(), t.Entries());
    EXPECT_EQ(back.LastName, t.LastName);
    EXPECT_EQ(back.SavedGameTime, 123456u);
    EXPECT_EQ(back.Format(), first);

    back.Insert(Entry(5000));
    SaveScoreTable(path, back);
    EXPECT_EQ(Slurp(path + ".bak"), first);
    TScoreTable again;
    EXPECT_EQ(LoadScoreTable(dir.File("none.ini"), again), TScoreLoad::Missing);
    EXPECT_EQ(LoadScoreTable(path, again), TScoreLoad::Read);
    EXPECT_EQ(again.Entries().size(), 3u);
}

// Every file that is not a table the game wrote is reported, set aside (never removed)
// and replaced by the backup when that is sound, else by an empty table.
TEST(ScoreFileTest, AHostileFileIsSetAsideAndTheBackupUsed) {
    const std::string longName(10000, 'n');
    const std::vector<std::pair<std::string, std::string>> hostile = {
        {"bad checksum", Body("entry=500,1,1000,2026-12-09T10:00:00Z,a\n") + "checksum=00000000\n"},
        {"no checksum", Body("entry=500,1,1000,2026-12-09T10:00:00Z,a\n")},
        {"wrong version", Resummed("version=2\nentry=500,1,1000,2026-12-09T10:00:00Z,a\n")},
        {"score -5", Resummed(Body("entry=-5,1,1000,2026-12-09T10:00:00Z,a\n"))},
        {"score 10^12", Resummed(Body("entry=1000000000000,30,1000,2026-12-09T10:00:00Z,a\n"))},
        {"score above the bound", Resummed(Body("entry=3048,1,1000,2026-12-09T10:00:00Z,a\n"))},
        {"eleven entries", Resummed(Body([] {
             std::string s;
             for (int i = 0; i < 11; ++i) s += "entry=500,1,1000,2026-12-09T10:00:00Z,a\n";
             return s;
         }()))},
        {"name of 10 000 bytes", Resummed(Body("entry=500,1,1000,2026-12-09T10:00:00Z," + longName + "\n"))},
        {"invalid UTF-8", Resummed(Body("entry=500,1,1000,2026-12-09T10:00:00Z,\xff\xfe\n"))},
        {"not best first", Resummed(Body("entry=500,1,1000,2026-12-09T10:00:00Z,a\n"
                                         "entry=600,1,1000,2026-12-09T10:00:00Z,a\n"))},
        {"bad date", Resummed(Body("entry=500,1,1000,2026-02-29T10:00:00Z,a\n"))},
        {"unknown line", Resummed(Body("cheat=1\n"))},
        {"too long", std::string(MaxScoreFileBytes + 1, ';')},
    };
    TScoreTable good;
    good.Insert(Entry(2000, "kept", 1));
    for (const auto& [what, text] : hostile) {
        SCOPED_TRACE(what);
        TempDir dir;
        const std::string path = dir.File("scores.ini");
        TScoreTable t;
        std::string why;
        EXPECT_FALSE(ParseScoreFile(text, t, why));
        EXPECT_FALSE(why.empty());

        // Without a backup: reported, set aside, an empty table.
        dir.Write("scores.ini", text);
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadScoreTable(path, t), TScoreLoad::Empty);
        const std::string report = testing::internal::GetCapturedStderr();
        EXPECT_NE(report.find("set aside as " + path + ".bad"), std::string::npos) << report;
        EXPECT_EQ(std::count(report.begin(), report.end(), '\n'), 1) << "one line";
        EXPECT_TRUE(t.Entries().empty());
        EXPECT_FALSE(std::filesystem::exists(path));
        EXPECT_EQ(Slurp(path + ".bad"), text);

        // With a sound backup, the second bad file beside the first.
        SaveScoreTable(path + ".bak", good);
        dir.Write("scores.ini", text);
        testing::internal::CaptureStderr();
        EXPECT_EQ(LoadScoreTable(path, t), TScoreLoad::FromBackup);
        testing::internal::GetCapturedStderr();
        EXPECT_EQ(t.Entries(), good.Entries());
        EXPECT_EQ(Slurp(path + ".bad.2"), text);
        EXPECT_EQ(Slurp(path + ".bad"), text);
    }
}

TEST(ScoreFileTest, ABadBackupGivesAnEmptyTable) {
    TempDir dir;
    const std::string path = dir.Write("scores.ini", "version=1\nchecksum=1\n");
    dir.Write("scores.ini.bak", "version=1\n");
    TScoreTable t;
    t.Insert(Entry(10));
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadScoreTable(path, t), TScoreLoad::Empty);
    EXPECT_NE(testing::internal::GetCapturedStderr().find("the table starts empty"), std::string::npos);
    EXPECT_TRUE(t.Entries().empty());
    SaveScoreTable(path, t);
    EXPECT_EQ(LoadScoreTable(path, t), TScoreLoad::Read);
}

TEST(ScoreFileTest, ASaveIntoAMissingFolderRaises) {
    TempDir dir;
    TScoreTable t;
    EXPECT_ANY_THROW(SaveScoreTable(dir.File("missing/scores.ini"), t));
}
