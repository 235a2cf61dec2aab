#include "base/SafeFile.h"
#include "base/Exception.h"
#include "base/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <unistd.h>

TEST(SafeFile, ReplacesTheOldFileWholeAndLeavesNoTemporaryBehind) {
    TempDir dir;
    const std::string path = dir.File("record.dat");
    WriteFileSafely(path, std::vector<uint8_t>(3416, 1));
    WriteFileSafely(path, std::vector<uint8_t>{5, 6});
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{5, 6}));
    int files = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(SafeFile, AFailedWriteKeepsTheOldFile) {
    if (geteuid() == 0) {
        // root may write into a read-only folder; use a missing folder instead.
        TempDir dir;
        EXPECT_THROW(WriteFileSafely(dir.File("missing/record.dat"), std::vector<uint8_t>{1}), EFCreateError);
        return;
    }
    TempDir dir;
    const std::string path = dir.File("record.dat");
    WriteFileSafely(path, std::vector<uint8_t>{1, 2, 3});
    std::filesystem::permissions(dir.Path(),
                                 std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(WriteFileSafely(path, std::vector<uint8_t>{9}), EFCreateError);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3}));
}

TEST(SafeFile, StartUpRemovesOnlyTheTemporariesOfTheNamedFiles) {
    TempDir dir;
    // A player's copies ("record.dat.backup") look like nothing the game writes.
    for (const char* name :
         {"record.dat", ".himawari-record.dat.a1B2c3", ".himawari-Settei.ini.Zz9Zz9", "record.dat.a1B2c3",
          "record.dat.backup", "Settei.ini.save01", ".himawari-record.dat.abc", ".himawari-record.dat.abc-12",
          ".himawari-record.dat.a1B2c3d", ".himawari-other.txt.abcdef", ".himawari-Record.dat.a1B2c3",
          "himawari-record.dat.a1B2c3"})
        dir.Write(name, std::string("x"));
    std::filesystem::create_directory(dir.Path() / ".himawari-record.dat.qwerty");
    EXPECT_TRUE(IsTemporaryOf(".himawari-scores.ini.Q1w2E3", "scores.ini"));
    EXPECT_FALSE(IsTemporaryOf(".himawari-scores.ini.Q1w2E3", "record.dat"));
    EXPECT_EQ(RemoveStaleTemporaries(dir.Dir(), {"record.dat", "Settei.ini"}), 2);
    std::vector<std::string> left;
    for (const auto& e : std::filesystem::directory_iterator(dir.Path())) left.push_back(e.path().filename());
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{".himawari-Record.dat.a1B2c3", ".himawari-other.txt.abcdef",
                                              ".himawari-record.dat.a1B2c3d", ".himawari-record.dat.abc",
                                              ".himawari-record.dat.abc-12", ".himawari-record.dat.qwerty",
                                              "Settei.ini.save01", "himawari-record.dat.a1B2c3", "record.dat",
                                              "record.dat.a1B2c3", "record.dat.backup"}));
    EXPECT_EQ(RemoveStaleTemporaries(dir.File("missing"), {"record.dat"}), 0);
}
