#include "AudioCheck.h"
#include "music/Mpg123Library.h"
#include "support/FakeMp3Library.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

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
    EXPECT_GT(l.Pull(0.03), 0.0); // fading out over 20 ms
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
    l.Pull(0.03); // the fade
    EXPECT_EQ(l.Pull(0.1), 0.0);
    l.mp3.vbmp3_stop(); // harmless twice
    l.mp3.vbmp3_free();
    l.mp3.vbmp3_play(); // after free nothing plays
    EXPECT_EQ(l.Pull(0.1), 0.0);
}

namespace {
// The file decoded once, pulled through a mixer at its own rate (which passes the
// samples through unchanged) with nothing else sounding; the pull stops at its end.
std::vector<float> DecodedOnce(const std::string& file) {
    auto mixer = std::make_shared<TMixer>(22050);
    TMpg123Library mp3(mixer);
    mp3.vbmp3_init();
    Mp3Info info{};
    EXPECT_TRUE(mp3.vbmp3_open(file, &info));
    mp3.vbmp3_play();
    std::vector<float> out;
    std::vector<float> chunk(2 * TMixer::kChunkFrames);
    while (mp3.Playing()) {
        mixer->MixFloat(chunk.data(), 1);
        if (mp3.Playing()) out.insert(out.end(), chunk.begin(), chunk.begin() + 2);
    }
    return out;
}
} // namespace

// Started with the decoder thread running (as with a device), the track's first frames
// are the first chunk the output pulls after the command.
TEST(Mpg123Library, ATrackSoundsInTheFirstChunkAfterPlay) {
    const std::vector<float> once = DecodedOnce(Fixture("tone.mp3"));
    auto mixer = std::make_shared<TMixer>(22050);
    TMpg123Library mp3(mixer);
    mixer->StartDecoder();
    mp3.vbmp3_init();
    Mp3Info info{};
    ASSERT_TRUE(mp3.vbmp3_open(Fixture("tone.mp3"), &info));
    mp3.vbmp3_play();
    std::vector<float> chunk(2 * TMixer::kChunkFrames);
    mixer->MixFloat(chunk.data(), TMixer::kChunkFrames);
    mixer->StopDecoder();
    ASSERT_GE(once.size(), chunk.size());
    EXPECT_TRUE(std::equal(chunk.begin(), chunk.end(), once.begin()));
    size_t first = 0;
    while (first < TMixer::kChunkFrames && std::fabs(chunk[2 * first]) < 1e-3f) ++first;
    std::printf(
        "[ latency  ] the first sample over -60 dBFS is frame %zu of the first chunk (%.1f ms), as in the "
        "file\n",
        first, first * 1000.0 / mixer->Rate());
}

// Played as a loop, the file goes on from its last decoded sample to its first, sample
// for sample, and never ends (a mixer at the file's rate passes the samples through).
TEST(Mpg123Library, ALoopJoinsTheDecodedFileToItselfSampleForSample) {
    const std::vector<float> once = DecodedOnce(Fixture("tone.mp3"));
    const size_t length = once.size() / 2;
    EXPECT_GT(length, 55125u); // 2.5 s, and the encoder's padding
    auto mixer = std::make_shared<TMixer>(22050);
    TMpg123Library mp3(mixer);
    mp3.vbmp3_init();
    Mp3Info info{};
    ASSERT_TRUE(mp3.vbmp3_open(Fixture("tone.mp3"), &info));
    mp3.vbmp3_playloop();
    std::vector<float> looped(2 * (2 * length + 1000));
    mixer->MixFloat(looped.data(), static_cast<uint32_t>(looped.size() / 2));
    for (size_t i = 0; i < looped.size() / 2; ++i) ASSERT_EQ(looped[2 * i], once[2 * (i % length)]) << i;
    EXPECT_TRUE(mp3.Playing());
    mp3.vbmp3_stop();
    EXPECT_FALSE(mp3.Playing());
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
