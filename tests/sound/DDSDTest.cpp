#include "sound/ddsd.h"
#include "WavBytes.h"
#include "support/FatalCatcher.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {
// A component over the pulled output (its mixer is read by the test), with options.
struct Sound {
    TempDir dir;
    TDDSD dd;
    explicit Sound(TDDSDDebugOptions options = dsoHaltOnError, bool device = true) {
        TDDSD::SetLogFolder(dir.Dir());
        TDDSD::RestartLog();
        dd.SetDebugOption(options);
        if (device)
            dd.SetAudioOutputFactory([] { return std::make_unique<TPulledAudioOutput>(); });
        else
            dd.SetAudioOutputFactory([] { return nullptr; });
        dd.Loaded();
    }
    ~Sound() { TDDSD::SetLogFolder(""); }
    std::string Wav(const std::string& name, const Bytes& bytes) { return dir.Write(name, bytes); }
    std::vector<float> Pull(uint32_t frames) {
        std::vector<float> out(2 * frames);
        dd.Mixer()->MixFloat(out.data(), frames);
        return out;
    }
    std::string Log() {
        std::ifstream in(dir.File("DDSD_DebugLog.txt"), std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

// 48 kHz mono, so one sample is one output frame.
Bytes Tone(std::vector<int16_t> samples) {
    return PcmWav(1, 48000, 16, Pcm16(samples));
}
constexpr float kUnit = 1.0f / 32768.0f;
} // namespace

TEST(DDSD, DefaultsAndChannelTable) {
    Sound s;
    EXPECT_EQ(s.dd.ChannelCount(), 8u);
    EXPECT_FALSE(s.dd.Use3D());
    EXPECT_TRUE(s.dd.StickyFocus());
    EXPECT_TRUE(s.dd.Initialized());
    EXPECT_EQ(s.dd.Device()->CooperativeLevel(), TCooperativeLevel::Priority);
    ASSERT_NE(s.dd.PrimaryBuffer(), nullptr);
    EXPECT_TRUE(s.dd.PrimaryBuffer()->IsPrimary());
    EXPECT_EQ(s.dd.Listener(), nullptr);
    ASSERT_NE(s.dd.Channel(7), nullptr);
    EXPECT_EQ(s.dd.Channel(7)->Params3D().Params().flMaxDistance, 100.0f);
    EXPECT_EQ(s.dd.Channel(0)->Wave(), nullptr);
    s.dd.Channel(0)->Play(); // nothing bound: nothing happens
    EXPECT_EQ(s.Pull(4)[0], 0.0f);
}

TEST(DDSD, ChannelOutOfRangeIsRefusedWithItsMessage) {
    {
        Sound s(dsoDebugMessage);
        EXPECT_EQ(s.dd.Channel(8), nullptr);
        EXPECT_EQ(s.dd.Channel(-1), nullptr);
        EXPECT_EQ(s.Log(), "debug#00001 ... チャンネル番号8は無効です、0～7の範囲で指定してください\r\n"
                           "debug#00002 ... チャンネル番号-1は無効です、0～7の範囲で指定してください\r\n");
    }
    {
        // A new ChannelCount takes effect at the next Initialize; until then the message
        // names the range of the table that is there.
        Sound s(dsoDebugMessage);
        s.dd.SetChannelCount(12);
        EXPECT_EQ(s.dd.Channel(9), nullptr);
        EXPECT_EQ(s.Log(), "debug#00001 ... チャンネル番号9は無効です、0～7の範囲で指定してください\r\n");
    }
    Sound s;
    FatalCatcher catcher;
    EXPECT_THROW(
        {
            try {
                s.dd.Channel(8);
            } catch (const HaltCalled& e) {
                EXPECT_STREQ(e.what(), "チャンネル番号8は無効です、0～7の範囲で指定してください");
                throw;
            }
        },
        HaltCalled);
}

TEST(DDSD, LogStartsAtOneEachRunAndCheckResultAddsTheCode) {
    Sound s(dsoDebugMessage);
    s.dir.Write("DDSD_DebugLog.txt", "debug#00041 ... an older run\r\n");
    EXPECT_EQ(TDDSD::CheckResult(0, "never"), 0);
    EXPECT_EQ(TDDSD::CheckResult(SoundResult::InvalidParam, "失敗"), SoundResult::InvalidParam);
    EXPECT_EQ(TDDSD::CheckResult(5, "正の値"), 5);
    EXPECT_EQ(s.Log(),
              "debug#00001 ... 失敗(Error Code(80070057))\r\ndebug#00002 ... 正の値(Error Code(5))\r\n");
}

TEST(DDSD, ALogThatCannotBeWrittenRaises) {
    Sound s(dsoDebugMessage);
    TDDSD::SetLogFolder(s.dir.File("no/such/folder"));
    EXPECT_THROW(TDDSD::WriteDebugLog("x"), EWriteError);
}

TEST(DDSD, ExceptOnErrorRaisesAndHaltEndsTheProgram) {
    {
        Sound s(dsoExceptOnError);
        EXPECT_THROW(TDDSD::CheckResult(-1, "x"), EDDSD);
        EXPECT_THROW(s.dd.Channel(9), EDDSD);
    }
    Sound s;
    FatalCatcher catcher;
    EXPECT_THROW(TDDSD::CheckResult(-1, "x"), HaltCalled);
}

TEST(DDSDDeathTest, HaltExitsWithStatusOne) {
    Sound s;
    EXPECT_EXIT(TDDSD::CheckResult(SoundResult::NoDriver, "一次バッファの作成に失敗しました"),
                ::testing::ExitedWithCode(1),
                "一次バッファの作成に失敗しました\\(Error Code\\(88780078\\)\\)");
}

TEST(DDSD, PlayRestartsFromTheFirstSample) {
    Sound s;
    TDDSDWaveData wave(&s.dd, s.Wav("a.wav", Tone({100, 200, 300, 400})), false);
    ASSERT_NE(wave.SoundBuffer(), nullptr);
    EXPECT_EQ(wave.DataSize(), 8u);
    TDDSDChannel* ch = s.dd.Channel(0);
    ch->setWaveData(&wave);
    EXPECT_EQ(ch->Wave(), &wave);
    ch->Play();
    EXPECT_FLOAT_EQ(s.Pull(3)[4], 300 * kUnit);
    ch->Play(); // still sounding: back to the start, the rest of the old sound fading out
    const auto again = s.Pull(3);
    EXPECT_GT(again[0], 100 * kUnit);
    EXPECT_LT(again[0], 500 * kUnit);
    EXPECT_FLOAT_EQ(again[2], 200 * kUnit);
    EXPECT_FLOAT_EQ(again[4], 300 * kUnit);
    ch->Stop(); // its last sample fades out
    const auto stopped = s.Pull(2);
    EXPECT_GT(stopped[0], 0.0f);
    EXPECT_LT(stopped[0], 400 * kUnit);
    EXPECT_EQ(stopped[2], 0.0f);
}

TEST(DDSD, ChannelsMixAndDuplicatesPlayIndependently) {
    Sound s;
    TDDSDWaveData a(&s.dd, s.Wav("a.wav", Tone({100, 200, 300})), false);
    TDDSDWaveData b(&s.dd, s.Wav("b.wav", Tone({1000, 1000, 1000})), false);
    s.dd.Channel(0)->setWaveData(&a);
    s.dd.Channel(1)->setWaveData(&b);
    s.dd.Channel(2)->setWaveData(&a);
    EXPECT_NE(s.dd.Channel(0)->SoundBuffer(), s.dd.Channel(2)->SoundBuffer());
    EXPECT_EQ(a.SoundBuffer()->SampleOwners(), 3); // stored once
    s.dd.Channel(0)->Play();
    s.dd.Channel(1)->Play();
    EXPECT_FLOAT_EQ(s.Pull(1)[0], 1100 * kUnit);
    s.dd.Channel(2)->Play(); // the same wave on another channel, one sample behind
    const auto out = s.Pull(2);
    EXPECT_FLOAT_EQ(out[0], (200 + 1000 + 100) * kUnit);
    EXPECT_FLOAT_EQ(out[2], (300 + 1000 + 200) * kUnit);
}

TEST(DDSD, FreedWaveLeavesTheBoundChannelPlaying) {
    Sound s;
    auto wave = std::make_unique<TDDSDWaveData>(&s.dd, s.Wav("a.wav", Tone({500, 600})), false);
    s.dd.Channel(3)->setWaveData(wave.get());
    wave.reset();
    s.dd.Channel(3)->Play();
    EXPECT_FLOAT_EQ(s.Pull(2)[2], 600 * kUnit);
    s.dd.Channel(3)->setWaveData(nullptr);
    EXPECT_EQ(s.dd.Channel(3)->SoundBuffer(), nullptr);
    EXPECT_EQ(s.dd.Channel(3)->Wave(), nullptr);
}

TEST(DDSD, UseFXWaveIsSharedNotDuplicated) {
    Sound s;
    TDDSDWaveData fx(&s.dd, s.Wav("fx.wav", Tone({1, 2})), true);
    s.dd.Channel(0)->setWaveData(&fx);
    EXPECT_EQ(s.dd.Channel(0)->SoundBuffer(), fx.SoundBuffer());
    EXPECT_EQ(fx.SharedBy(), s.dd.Channel(0));
    EXPECT_TRUE(fx.SoundBuffer()->Flags() & SoundBufferFlags::CtrlFX);
}

TEST(DDSD, EightBitStereoAtAnotherRateIsResampled) {
    Sound s;
    // 24 kHz stereo 8-bit: each frame lasts two output frames, halves interpolated.
    TDDSDWaveData w(&s.dd, s.Wav("s.wav", PcmWav(2, 24000, 8, Bytes{192, 64, 128, 128})), false);
    s.dd.Channel(0)->setWaveData(&w);
    s.dd.Channel(0)->Play();
    const auto out = s.Pull(3);
    EXPECT_FLOAT_EQ(out[0], 0.5f);
    EXPECT_FLOAT_EQ(out[1], -0.5f);
    EXPECT_FLOAT_EQ(out[2], 0.25f);
    EXPECT_FLOAT_EQ(out[4], 0.0f);
}

TEST(DDSD, BadFilesAreLoggedByNameAndLeaveNoBuffer) {
    Sound s(dsoDebugMessage);
    const std::string missing = s.dir.File("cat.wav");
    const std::string text = s.dir.Write("text.wav", std::string("hello"));
    const std::string dataFirst =
        s.Wav("df.wav", Riff(Chunk("data", Bytes{1, 2}) + Chunk("fmt ", FmtBody(1, 8000, 8))));
    const std::string adpcm =
        s.Wav("ad.wav", Riff(Chunk("fmt ", FmtBody(1, 8000, 4, 2)) + Chunk("data", Bytes{1, 2})));
    for (const auto& name : {missing, text, dataFirst, adpcm}) {
        TDDSDWaveData w(&s.dd, name, false);
        EXPECT_EQ(w.SoundBuffer(), nullptr);
    }
    EXPECT_EQ(s.Log(), "debug#00001 ... " + missing + "が、見つかりません\r\n" + "debug#00002 ... " + text +
                           "は、WAVEファイルではありません\r\n" + "debug#00003 ... " + dataFirst +
                           "には、dataチャンクが有りません\r\n" + "debug#00004 ... " + adpcm +
                           "は、再生できない形式です(形式2, 1チャンネル, 8000Hz, 4ビット)\r\n");
}

TEST(DDSD, MissingWaveEndsTheGameAtBindingNamingTheFile) {
    Sound s; // the game's options: halt only
    const std::string missing = s.dir.File("Data/get.wav");
    TDDSDWaveData w(&s.dd, missing, false);
    FatalCatcher catcher;
    try {
        s.dd.Channel(3)->setWaveData(&w);
        FAIL() << "binding a wave without samples must halt";
    } catch (const HaltCalled& e) {
        EXPECT_EQ(std::string(e.what()), "setWaveData サウンドバッファの複製に失敗しました: " + missing +
                                             "が、見つかりません(Error Code(80070057))");
    }
}

TEST(DDSD, WithoutADeviceEverythingIsSilentAndHarmless) {
    Sound s(dsoHaltOnError, false);
    EXPECT_FALSE(s.dd.Initialized());
    TDDSDWaveData w(&s.dd, s.dir.File("missing.wav"), false);
    EXPECT_EQ(w.SoundBuffer(), nullptr);
    s.dd.Channel(0)->setWaveData(&w); // no halt: nothing is done without a device
    s.dd.Channel(0)->Play();
    EXPECT_EQ(s.dd.Channel(0)->SoundBuffer(), nullptr);
    EXPECT_FALSE(s.dd.Initialize());
}

TEST(DDSD, Use3DMakesTheListenerAndReinitializeRenewsTheChannels) {
    Sound s;
    s.dd.SetUse3D(true);
    s.dd.SetChannelCount(0); // at least one channel
    EXPECT_EQ(s.dd.ChannelCount(), 1u);
    ASSERT_TRUE(s.dd.Initialize());
    ASSERT_NE(s.dd.Listener(), nullptr);
    EXPECT_EQ(s.dd.Listener3D()->Parameters().flDopplerFactor, 1.0f);
    EXPECT_EQ(s.dd.Listener3D()->Parameters().vOrientTop.y, 1.0f);
    EXPECT_NE(s.dd.Channel(0), nullptr);
    FatalCatcher catcher;
    EXPECT_THROW(s.dd.Channel(1), HaltCalled);
}

TEST(DDSD, WaveFromAStreamAndItsFormatRecord) {
    Sound s;
    TMemoryStream m(Riff(Chunk("fmt ", FmtBody(2, 44100, 16)) + Chunk("data", Pcm16({1, 2, 3, 4}))));
    TDDSDWaveData w(&s.dd, "memory", m, false);
    ASSERT_NE(w.SoundBuffer(), nullptr);
    EXPECT_EQ(w.WaveFormat().nSamplesPerSec, 44100u);
    EXPECT_EQ(w.WaveFormat().cbSize, 0);
    EXPECT_EQ(w.SoundBuffer()->Size(), 8u);
}
