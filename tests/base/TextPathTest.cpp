#include "base/Format.h"
#include "base/Paths.h"
#include "base/Sjis.h"
#include "base/Stream.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>

TEST(Sjis, RoundTripsJapaneseAndAscii) {
    const std::string utf8 = "ひまわり畑の大脱走！ TIME 012\"03";
    const std::string sjis = Utf8ToSjis(utf8);
    // "ひ" is 0x82 0xD0 in Shift-JIS.
    ASSERT_GE(sjis.size(), 2u);
    EXPECT_EQ(static_cast<unsigned char>(sjis[0]), 0x82);
    EXPECT_EQ(static_cast<unsigned char>(sjis[1]), 0xD0);
    EXPECT_EQ(SjisToUtf8(sjis), utf8);
    // Plain ASCII is passed through as it is; the converter must agree on every byte of it
    // (after a Japanese letter, the text goes through the converter).
    std::string ascii;
    for (int c = 1; c < 0x80; ++c) ascii += static_cast<char>(c);
    EXPECT_EQ(Utf8ToSjis(ascii), ascii);
    EXPECT_EQ(Utf8ToSjis("ひ" + ascii), "\x82\xD0" + ascii);
    EXPECT_TRUE(IsSjisLeadByte(0x82));
    EXPECT_FALSE(IsSjisLeadByte('A'));
    EXPECT_FALSE(IsSjisLeadByte(0xA0)); // half-width katakana range is single-byte
}

TEST(Sjis, BadInputDegradesToQuestionMarks) {
    // A lone lead byte at the end and an unmappable character.
    EXPECT_EQ(SjisToUtf8(std::string("A\x82", 2)), "A?");
    EXPECT_EQ(Utf8ToSjis("a😀b"), "a?b");
    EXPECT_EQ(Utf8ToSjis(std::string("a\xff"
                                     "b",
                                     3)),
              "a?b");
    EXPECT_EQ(Utf8ToSjis(""), "");
}

TEST(Paths, DataNamesBecomeNativePathsBelowTheProgramFolder) {
    EXPECT_EQ(DataPath("/opt/game/", "Data\\record.dat"), "/opt/game/Data/record.dat");
    EXPECT_EQ(DataPath("/opt/game", "Data/Settei.ini"), "/opt/game/Data/Settei.ini");
    EXPECT_EQ(DataPath("/opt/game/", "/abs/x.mp3"), "/abs/x.mp3");
    EXPECT_EQ(ExtractFileName("/a/b/c.Mp3"), "c.Mp3");
    EXPECT_EQ(ExtractFileExt("/a.b/c"), "");
    EXPECT_EQ(ExtractFileExt("/a/b/c.MiD"), ".MiD");
    EXPECT_EQ(ExtractFilePath("/a/b/c.txt"), "/a/b/");
    const std::string dir = ExeDir();
    ASSERT_FALSE(dir.empty());
    EXPECT_EQ(dir.back(), '/');
    EXPECT_TRUE(DirectoryExists(dir));
}

// The portable layout while the program's Data folder may be written to; else the
// user's data folder, from XDG_DATA_HOME when it is an absolute path, else from HOME.
TEST(Paths, WrittenFilesGoToTheProgramsDataFolderOrTheUsersDataFolder) {
    TempDir dir;
    const auto keep = [](const char* name) {
        const char* v = std::getenv(name);
        return v ? std::optional<std::string>(v) : std::nullopt;
    };
    const auto xdg = keep("XDG_DATA_HOME"), home = keep("HOME");
    setenv("XDG_DATA_HOME", (dir.Dir() + "share").c_str(), 1);
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "share/himawari/") << "no Data folder to write to";
    std::filesystem::create_directories(dir.Path() / "Data");
    EXPECT_EQ(UserDataDir(dir.Dir()), dir.Dir() + "Data/");
    setenv("XDG_DATA_HOME", (dir.Dir() + "share/").c_str(), 1);
    EXPECT_EQ(XdgDataDir(), dir.Dir() + "share/himawari/");
    setenv("HOME", "/home/player/", 1);
    setenv("XDG_DATA_HOME", "relative/share", 1);
    EXPECT_EQ(XdgDataDir(), "/home/player/.local/share/himawari/");
    unsetenv("XDG_DATA_HOME");
    setenv("HOME", "/home/player", 1);
    EXPECT_EQ(XdgDataDir(), "/home/player/.local/share/himawari/");
    for (const auto& [name, value] : {std::pair{"XDG_DATA_HOME", xdg}, std::pair{"HOME", home}}) {
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
}

TEST(Format, PrintfPatternsAndAsciiCaseFolding) {
    EXPECT_EQ(Format("#%.5d | %s%s", 7, "  ", "msg"), "#00007 |   msg");
    EXPECT_EQ(Format("%s", ""), "");
    EXPECT_EQ(std::string(Format("%0300d", 1)).size(), 300u);
    EXPECT_EQ(AsciiLower("TateLine.BMP\xC4"), "tateline.bmp\xC4");
    EXPECT_TRUE(SameTextAscii("TATELINE.BMP", "TateLine.bmp"));
    EXPECT_FALSE(SameTextAscii("TateLine", "TateLine.bmp"));
}
