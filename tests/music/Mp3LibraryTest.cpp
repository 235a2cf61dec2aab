#include "AudioCheck.h"
#include "music/Mpg123Library.h"
#include "support/FakeMp3Library.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {
std::string Fixture(const std::string& name) {
    return SourceDir() + "tests/fixtures/" + name;
}

struct Library {
    std::shared_ptr<TMixer> mixer = std::make_shared<TMixer>();
    TMpg123Library mp3{mixer};
    Pulled out;
    double Pull(double seconds) { return out.Pull(*mixer, seconds); }
};
} // namespace

TEST(Mpg123Library, ReportsThePlayTimeAndPlaysInTheBackground) {
    Library l;
    l.mp3.vbmp3_init();
    Mp3Info info{};
    ASSERT_TRUE(l.mp3.vbmp3_open(Fixture("tone.mp3"), &info));
    EXPECT_EQ(info.PlayTime, 2); // 2.5 s in whole seconds
    EXPECT_EQ(info.SampleRate, 22050u);
    EXPECT_EQ(info.Channels, 1u);
    EXPECT_LT(l.Pull(0.1), 1e-4); // opened, not yet playing
    l.mp3.vbmp3_play();
    const double level = l.Pull(0.5);
    EXPECT_GT(level, 0.2); // a sine at half scale has an RMS of about 0.35
    EXPECT_LT(level, 0.5);
    l.mp3.vbmp3_close();
    EXPECT_EQ(l.Pull(0.1), 0.0);
    EXPECT_FALSE(l.mp3.IsOpen());
}

TEST(Mpg123Library, PlaysToTheEndAndPlayStartsAgain) {
    Library l;
    l.mp3.vbmp3_init();
    Mp3Info info{};
    ASSERT_TRUE(l.mp3.vbmp3_open(Fixture("tone.mp3"), &info));
    l.mp3.vbmp3_play();
    l.Pull(2.4);
    EXPECT_TRUE(l.mp3.Playing());
    l.Pull(0.3);
    EXPECT_FALSE(l.mp3.Playing());
    EXPECT_EQ(l.Pull(0.1), 0.0);
    l.mp3.vbmp3_play();
    EXPECT_GT(l.Pull(0.2), 0.2);
    l.mp3.vbmp3_stop();
    EXPECT_EQ(l.Pull(0.1), 0.0);
    l.mp3.vbmp3_stop(); // harmless twice
    l.mp3.vbmp3_free();
    l.mp3.vbmp3_play(); // after free nothing plays
    EXPECT_EQ(l.Pull(0.1), 0.0);
}

TEST(Mpg123Library, AFileThatCannotBePlayedLeavesThePlayTimeAsItWas) {
    Library l;
    TempDir dir;
    Mp3Info info{};
    info.PlayTime = 77;
    EXPECT_FALSE(l.mp3.vbmp3_open(Fixture("tone.mp3"), &info)); // before init
    l.mp3.vbmp3_init();
    EXPECT_FALSE(l.mp3.vbmp3_open(dir.File("missing.mp3"), &info));
    EXPECT_FALSE(l.mp3.vbmp3_open(dir.Write("text.mp3", std::string(4000, 'x')), &info));
    EXPECT_FALSE(l.mp3.vbmp3_open(dir.Write("empty.mp3", std::string()), &info));
    EXPECT_FALSE(l.mp3.vbmp3_open(Fixture("tune.mid"), &info));
    EXPECT_EQ(info.PlayTime, 77);
    l.mp3.vbmp3_play();
    EXPECT_EQ(l.Pull(0.1), 0.0);
    // A failed open also closes what was open before it.
    ASSERT_TRUE(l.mp3.vbmp3_open(Fixture("tone.mp3"), &info));
    EXPECT_FALSE(l.mp3.vbmp3_open(dir.File("missing.mp3"), &info));
    EXPECT_FALSE(l.mp3.IsOpen());
}

TEST(FakeMp3Library, OpensOnlyScriptedFilesAndRecordsTheCalls) {
    FakeMp3Library fake;
    fake.playTimes["a.mp3"] = 180;
    Mp3Info info{};
    info.PlayTime = 5;
    EXPECT_FALSE(fake.vbmp3_open("a.mp3", &info)); // before init
    fake.vbmp3_init();
    EXPECT_FALSE(fake.vbmp3_open("b.mp3", &info));
    EXPECT_EQ(info.PlayTime, 5);
    EXPECT_TRUE(fake.vbmp3_open("a.mp3", &info));
    EXPECT_EQ(info.PlayTime, 180);
    fake.vbmp3_play();
    EXPECT_TRUE(fake.playing);
    fake.vbmp3_close();
    EXPECT_FALSE(fake.playing);
    EXPECT_EQ(fake.calls,
              (std::vector<std::string>{"open a.mp3", "init", "open b.mp3", "open a.mp3", "play", "close"}));
}
