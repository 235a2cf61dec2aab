#include "base/DebugLog.h"
#include "base/Fatal.h"
#include "base/Stream.h"
#include "support/FatalCatcher.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(Fatal, HaltReachesTheHookWithItsMessage) {
    FatalCatcher catcher;
    try {
        HaltProgram("チャンネル番号9は無効です");
        FAIL();
    } catch (const HaltCalled& e) {
        EXPECT_STREQ(e.what(), "チャンネル番号9は無効です");
    }
}

TEST(FatalDeathTest, HaltWithoutHookExitsWithStatusOne) {
    EXPECT_EXIT(HaltProgram("device lost"), ::testing::ExitedWithCode(1), "device lost");
}

TEST(DebugLog, FirstLineOfARunTruncatesLaterLinesAppend) {
    TempDir dir;
    const std::string path = dir.Write("log.txt", "old run\r\n");
    TDebugLogFile log(path);
    EXPECT_TRUE(log.WriteLine("debug#00001 ... a"));
    EXPECT_TRUE(log.WriteLine("debug#00002 ... b"));
    const auto bytes = ReadWholeFile(path);
    EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "debug#00001 ... a\r\ndebug#00002 ... b\r\n");
    TDebugLogFile nowhere(dir.File("missing/log.txt"));
    EXPECT_FALSE(nowhere.WriteLine("x"));
}
