#include "music/BgmSettings.h"

#include "base/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

TBgmSettings Defaults() {
    TBgmSettings d;
    d.MusicName = "/game/Data/tamsp15.mp3";
    return d;
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

} // namespace

TEST(BgmSettings, MissingFileAndMissingKeysGiveTheDefaults) {
    TempDir dir;
    TBgmSettings s = ReadBgmSettings(dir.File("none.ini"), Defaults());
    EXPECT_TRUE(s.Music);
    EXPECT_FALSE(s.Random);
    EXPECT_EQ(s.MusicName, "/game/Data/tamsp15.mp3");
    EXPECT_EQ(s.MusicFolda, "");

    s = ReadBgmSettings(dir.Write("a.ini", "[Other]\nMusic=0\n[BGM]\nRandom=1\n"), Defaults());
    EXPECT_TRUE(s.Music);
    EXPECT_TRUE(s.Random);
    EXPECT_EQ(s.MusicName, "/game/Data/tamsp15.mp3");
}

TEST(BgmSettings, BooleansAreIntegersOtherThanZeroInDecimalOrHex) {
    TempDir dir;
    const auto music = [&](const std::string& value) {
        return ReadBgmSettings(dir.Write("s.ini", "[BGM]\nMusic=" + value + "\n"), Defaults()).Music;
    };
    EXPECT_FALSE(music("0"));
    EXPECT_TRUE(music("1"));
    EXPECT_TRUE(music("-3"));
    EXPECT_TRUE(music("0x10"));
    EXPECT_FALSE(music("0x0"));
    EXPECT_FALSE(music("0X00"));
    // Non-numeric or out of range: the default (true).
    EXPECT_TRUE(music("off"));
    EXPECT_TRUE(music("0x"));
    EXPECT_TRUE(music("12abc"));
    EXPECT_TRUE(music("99999999999"));
    const auto random = [&](const std::string& value) {
        return ReadBgmSettings(dir.Write("s.ini", "[BGM]\nRandom=" + value + "\n"), Defaults()).Random;
    };
    EXPECT_FALSE(random("yes"));
    EXPECT_TRUE(random("0xFFFFFFFF"));
}

TEST(BgmSettings, ParseIniIntegerLimits) {
    int32_t n = 7;
    EXPECT_TRUE(ParseIniInteger("2147483647", n));
    EXPECT_EQ(n, 2147483647);
    EXPECT_TRUE(ParseIniInteger("-2147483648", n));
    EXPECT_EQ(n, INT32_MIN);
    EXPECT_FALSE(ParseIniInteger("2147483648", n));
    EXPECT_FALSE(ParseIniInteger("", n));
    EXPECT_FALSE(ParseIniInteger("-", n));
    EXPECT_TRUE(ParseIniInteger("0xffffffff", n));
    EXPECT_EQ(n, -1);
    EXPECT_FALSE(ParseIniInteger("0x100000000", n));
}

TEST(BgmSettings, LongValuesAreCutTo2047Bytes) {
    TempDir dir;
    const std::string longName = "/m/" + std::string(3000, 'a') + ".mp3";
    const TBgmSettings s =
        ReadBgmSettings(dir.Write("s.ini", "[BGM]\nMusicName=" + longName + "\n"), Defaults());
    EXPECT_EQ(s.MusicName.size(), MaxIniValueLength);
    EXPECT_EQ(s.MusicName, longName.substr(0, MaxIniValueLength));
    // A cut never splits a character: "あ" is three bytes.
    std::string kana;
    for (int i = 0; i < 700; ++i) kana += "あ";
    const TBgmSettings k =
        ReadBgmSettings(dir.Write("k.ini", "[BGM]\nMusicFolda=" + kana + "\n"), Defaults());
    EXPECT_EQ(k.MusicFolda.size(), 2046u);
}

TEST(BgmSettings, RoundTripKeepsOtherKeysAndWritesOneAndZero) {
    TempDir dir;
    const std::string path = dir.Write("Settei.ini", "[Window]\nLeft=3\n[Options]\nPauseOnFocusLoss=0\n");
    TBgmSettings s;
    s.Music = false;
    s.Random = true;
    s.MusicName = "/音楽/曲 1.mid";
    s.MusicFolda = "/音楽";
    WriteBgmSettings(path, s);
    const std::string text = ReadAll(path);
    EXPECT_NE(text.find("Music = 0"), std::string::npos) << text;
    EXPECT_NE(text.find("Random = 1"), std::string::npos) << text;
    EXPECT_NE(text.find("Left = 3"), std::string::npos) << text;
    EXPECT_LT(text.find("Music ="), text.find("Random ="));
    EXPECT_LT(text.find("MusicName ="), text.find("MusicFolda ="));
    const TBgmSettings back = ReadBgmSettings(path, Defaults());
    EXPECT_FALSE(back.Music);
    EXPECT_TRUE(back.Random);
    EXPECT_EQ(back.MusicName, s.MusicName);
    EXPECT_EQ(back.MusicFolda, s.MusicFolda);
    EXPECT_FALSE(ReadPauseOnFocusLoss(path)) << "the option is kept by the write";
}

TEST(BgmSettings, LanguageIsReadAsWrittenFromOptions) {
    TempDir dir;
    EXPECT_EQ(ReadLanguageSetting(dir.File("missing.ini")), "");
    EXPECT_EQ(ReadLanguageSetting(dir.Write("a.ini", "[BGM]\nLanguage=en\n")), "");
    EXPECT_EQ(ReadLanguageSetting(dir.Write("b.ini", "[Options]\nPauseOnFocusLoss=0\nLanguage = en\n")),
              "en");
    const std::string path = dir.Write("c.ini", "[Options]\nLanguage=ja\n");
    WriteBgmSettings(path, TBgmSettings{});
    EXPECT_EQ(ReadLanguageSetting(path), "ja") << "the language is kept by the music's write";
}

TEST(BgmSettings, PauseOnFocusLossIsOnUnlessZero) {
    TempDir dir;
    EXPECT_TRUE(ReadPauseOnFocusLoss(dir.File("missing.ini")));
    EXPECT_TRUE(ReadPauseOnFocusLoss(dir.Write("a.ini", "[BGM]\nMusic=0\n")));
    EXPECT_TRUE(ReadPauseOnFocusLoss(dir.Write("b.ini", "[Options]\nPauseOnFocusLoss=off\n")));
    EXPECT_TRUE(ReadPauseOnFocusLoss(dir.Write("c.ini", "[Options]\nPauseOnFocusLoss=1\n")));
    EXPECT_FALSE(ReadPauseOnFocusLoss(
        dir.Write("d.ini", "[BGM]\nPauseOnFocusLoss=1\n[Options]\nPauseOnFocusLoss=0x0\n")));
}

TEST(BgmSettings, UnwritableFileNamesThePathAndKeepsWhatWasThere) {
    TempDir dir;
    // A folder where the file should be cannot be replaced, whoever runs the test.
    dir.Write("Data/Settei.ini/keep.txt", "kept");
    const std::string path = dir.File("Data/Settei.ini");
    TBgmSettings s;
    s.Music = false;
    try {
        WriteBgmSettings(path, s);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), path + " に書き込めません");
    }
    EXPECT_EQ(ReadAll(path + "/keep.txt"), "kept");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path() / "Data"), {}), 1);
}
