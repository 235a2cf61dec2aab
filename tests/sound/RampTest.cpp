// The loudness controls and the ramps of the mix: gains that move over 20 ms to exact
// silence, voices that fade out when cut and in when started in the middle, and a
// looping stream that goes on across its join frame for frame.
#include "sound/Mixer.h"
#include "sound/SoundDevice.h"
#include "sound/StreamVoice.h"
#include "sound/Volume.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {
constexpr uint32_t kRate = 48000;
constexpr uint32_t kMs = kRate / 1000;

// A stream of `frames` frames (0: without end) whose frame n is Value(n).
class CountingSource : public IStreamSource {
public:
    explicit CountingSource(size_t frames, float level = 0.0f) : frames_(frames), level_(level) {}
    uint32_t Rate() const override { return kRate; }
    size_t Read(float* out, size_t frames) override {
        size_t n = 0;
        for (; n < frames && (frames_ == 0 || next_ < frames_); ++n, ++next_)
            out[2 * n] = out[2 * n + 1] = Value(next_);
        return n;
    }
    bool Rewind() override {
        next_ = 0;
        return true;
    }
    // A constant level, or (level 0) a ramp that never repeats within a loop.
    float Value(size_t frame) const { return level_ != 0 ? level_ : static_cast<float>(frame + 1) * 1e-6f; }

private:
    size_t frames_;
    float level_;
    size_t next_ = 0;
};

struct Mix {
    std::shared_ptr<TMixer> mixer = std::make_shared<TMixer>(kRate);
    std::vector<float> Pull(uint32_t frames) {
        std::vector<float> out(2 * frames);
        mixer->MixFloat(out.data(), frames);
        return out;
    }
};

// A voice that plays `level` on both sides for as long as it plays.
struct Steady : Mix {
    TStreamVoice music{mixer};
    explicit Steady(float level = 0.5f) {
        music.SetSource(std::make_unique<CountingSource>(0, level));
        music.StartFromBeginning();
    }
};

float LargestStep(const std::vector<float>& out, float before) {
    float step = std::fabs(out[0] - before);
    for (size_t i = 2; i < out.size(); i += 2) step = std::max(step, std::fabs(out[i] - out[i - 2]));
    return step;
}

bool Silent(const std::vector<float>& out) {
    const std::vector<float> zeros(out.size(), 0.0f);
    return std::memcmp(out.data(), zeros.data(), out.size() * sizeof(float)) == 0; // +0 bit for bit
}

double Decibels(double ratio) {
    return 20.0 * std::log10(ratio);
}
} // namespace

TEST(Volume, PercentToGainIsSilentAtZeroAQuarterAtHalfAndFullAtAHundred) {
    EXPECT_EQ(VolumeGain(0), 0.0f);
    EXPECT_EQ(VolumeGain(-5), 0.0f);
    EXPECT_EQ(VolumeGain(100), 1.0f);
    EXPECT_EQ(VolumeGain(150), 1.0f);
    EXPECT_NEAR(Decibels(VolumeGain(50)), -12.0, 0.5);
    for (int p = 1; p <= 100; ++p) EXPECT_GT(VolumeGain(p), VolumeGain(p - 1)) << p;
}

// The music's gain moves over 20 ms, never in a step, lands on digital silence at 0 and
// on a quarter (-12 dB) at 50 %; the effects keep their own gain; muting silences
// everything and unmuting brings back the master gain that was set.
TEST(Mixer, GainsRampOver20MillisecondsToExactSilenceAndBack) {
    Steady s;
    EXPECT_EQ(s.Pull(480)[958], 0.5f); // the full gains leave the sum as it is
    s.mixer->SetGain(TGainControl::Music, 0.0f);
    auto ramp = s.Pull(20 * kMs);
    EXPECT_LE(LargestStep(ramp, 0.5f), 0.5f * 1.01f / (20 * kMs));
    EXPECT_GT(ramp[2 * (10 * kMs)], 0.2f); // half way after 10 ms
    EXPECT_TRUE(Silent(s.Pull(2000)));
    s.mixer->SetGain(TGainControl::Music, VolumeGain(50));
    ramp = s.Pull(20 * kMs);
    EXPECT_LE(LargestStep(ramp, 0.0f), 0.5f * 1.01f / (20 * kMs));
    EXPECT_NEAR(Decibels(s.Pull(100)[0] / 0.5), -12.0, 0.5);

    // An effect beside the music: at its own gain while the music's is a quarter.
    TSoundDevice device{s.mixer, std::make_unique<TPulledAudioOutput>()};
    ASSERT_EQ(device.Initialize(), SoundResult::Ok);
    TWaveFormat f{1, 1, kRate, 2 * kRate, 2, 16, 0, 0};
    TSoundBufferDesc d;
    d.dwBufferBytes = 2 * kRate;
    d.lpwfxFormat = &f;
    std::shared_ptr<TSoundBuffer> effect;
    ASSERT_EQ(device.CreateSoundBuffer(d, &effect), SoundResult::Ok);
    void* p1;
    void* p2;
    uint32_t n1, n2;
    ASSERT_EQ(effect->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2), SoundResult::Ok);
    for (uint32_t i = 0; i < n1 / 2; ++i) static_cast<int16_t*>(p1)[i] = 8192; // 0.25
    effect->Play(0, 0, 0);
    EXPECT_FLOAT_EQ(s.Pull(10)[0], 0.5f * 0.25f + 0.25f);
    s.mixer->SetGain(TGainControl::Effects, 0.5f);
    s.Pull(20 * kMs);
    EXPECT_FLOAT_EQ(s.Pull(10)[0], 0.5f * 0.25f + 0.125f);

    s.mixer->SetMuted(true);
    EXPECT_LE(LargestStep(s.Pull(20 * kMs), 0.25f), 0.25f * 1.01f / (20 * kMs));
    EXPECT_TRUE(Silent(s.Pull(2000)));
    EXPECT_EQ(s.mixer->Gain(TGainControl::Master), 1.0f);
    s.mixer->SetMuted(false);
    s.Pull(20 * kMs);
    EXPECT_FLOAT_EQ(s.Pull(10)[0], 0.5f * 0.25f + 0.125f);
    s.mixer->SetGain(TGainControl::Master, 0.0f);
    s.Pull(20 * kMs);
    EXPECT_TRUE(Silent(s.Pull(2000)));
}

// Every cut of a voice fades it out over 10 to 30 ms, with no step over 1 % of full
// scale even from full scale; a start from the middle fades in over 5 ms.
TEST(StreamVoice, AStopFadesOutAndAStartFromTheMiddleFadesIn) {
    Steady s(1.0f);
    s.Pull(100);
    s.music.Stop();
    auto out = s.Pull(40 * kMs);
    EXPECT_LE(LargestStep(out, 1.0f), 0.01f);
    EXPECT_GT(out[2 * (10 * kMs)], 0.0f);
    EXPECT_EQ(out[2 * (30 * kMs)], 0.0f);
    s.music.Start(); // on from where it stopped
    out = s.Pull(10 * kMs);
    EXPECT_LE(LargestStep(out, 0.0f), 0.01f);
    EXPECT_LT(out[2 * (2 * kMs)], 0.5f);
    EXPECT_EQ(out[2 * (6 * kMs)], 1.0f);
    // A new source, and a start again from the beginning, fade out what played.
    s.music.SetSource(std::make_unique<CountingSource>(0, 1.0f));
    EXPECT_LE(LargestStep(s.Pull(40 * kMs), 1.0f), 0.01f);
    s.music.StartFromBeginning();
    s.Pull(100);
    s.music.SetSource(std::make_unique<CountingSource>(0, -1.0f));
    s.music.StartFromBeginning(); // the new sound starts at once, the old one fades
    out = s.Pull(40 * kMs);
    EXPECT_FLOAT_EQ(out[0], -1.0f + 1.0f * (20 * kMs) / (20 * kMs + 1));
    EXPECT_EQ(out[2 * (30 * kMs)], -1.0f);
}

TEST(SoundBuffer, AStopOrARestartFadesOutAndPlayFromTheMiddleFadesIn) {
    Mix m;
    TSoundDevice device{m.mixer, std::make_unique<TPulledAudioOutput>()};
    ASSERT_EQ(device.Initialize(), SoundResult::Ok);
    TWaveFormat f{1, 1, kRate, 2 * kRate, 2, 16, 0, 0};
    TSoundBufferDesc d;
    d.dwBufferBytes = 2 * kRate; // a second
    d.lpwfxFormat = &f;
    std::shared_ptr<TSoundBuffer> b;
    ASSERT_EQ(device.CreateSoundBuffer(d, &b), SoundResult::Ok);
    void* p1;
    void* p2;
    uint32_t n1, n2;
    ASSERT_EQ(b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2), SoundResult::Ok);
    for (uint32_t i = 0; i < n1 / 2; ++i) static_cast<int16_t*>(p1)[i] = 32767;
    b->Play(0, 0, 0);
    EXPECT_FLOAT_EQ(m.Pull(100)[0], 32767.0f / 32768.0f);
    b->Stop();
    auto out = m.Pull(40 * kMs);
    EXPECT_LE(LargestStep(out, 1.0f), 0.01f);
    EXPECT_EQ(out[2 * (30 * kMs)], 0.0f);
    b->Play(0, 0, 0); // on from the middle
    out = m.Pull(10 * kMs);
    EXPECT_LE(LargestStep(out, 0.0f), 0.01f);
    EXPECT_FLOAT_EQ(out[2 * (6 * kMs)], 32767.0f / 32768.0f);
    // Cut short by its own restart: the old sound fades under the new one, which starts
    // at once from its first sample.
    m.mixer->SetGain(TGainControl::Master, 0.25f);
    m.Pull(20 * kMs);
    b->SetCurrentPosition(0);
    out = m.Pull(40 * kMs);
    EXPECT_GT(out[0], 0.45f);
    EXPECT_FLOAT_EQ(out[2 * (30 * kMs)], 0.25f * 32767.0f / 32768.0f);
    EXPECT_TRUE(b->Playing());
}

// A looping voice goes from its source's last frame to its first, frame for frame, at
// any length (here across a read of the source), and never ends.
TEST(StreamVoice, ALoopJoinsItsLastFrameToItsFirst) {
    Mix m;
    TStreamVoice voice(m.mixer);
    auto owned = std::make_unique<CountingSource>(1500);
    const CountingSource& source = *owned;
    voice.SetSource(std::move(owned));
    voice.SetLooping(true);
    voice.StartFromBeginning();
    const auto out = m.Pull(20000);
    for (size_t i = 0; i < 20000; ++i) ASSERT_EQ(out[2 * i], source.Value(i % 1500)) << i;
    EXPECT_TRUE(voice.Playing());
    EXPECT_FALSE(voice.Ended());
    // Looping off: it plays to the end of the pass it is in and ends.
    voice.SetLooping(false);
    m.Pull(20000);
    EXPECT_TRUE(voice.Ended());
}
