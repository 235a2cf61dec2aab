#include "base/Exception.h"
#include "base/SafeFile.h"
#include "base/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    EXPECT_THROW(WriteFileSafely(path, std::vector<uint8_t>{9}), EFCreateError);
    std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_all);
    EXPECT_EQ(ReadWholeFile(path), (std::vector<uint8_t>{1, 2, 3}));
}
