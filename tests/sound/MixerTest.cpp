#include "sound/Mixer.h"
#include "sound/SoundDevice.h"
#include "sound/StreamVoice.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

namespace {
struct Device {
    std::shared_ptr<TMixer> mixer = std::make_shared<TMixer>(8000);
    TSoundDevice device{mixer, std::make_unique<TPulledAudioOutput>()};
    Device() { EXPECT_EQ(device.Initialize(), SoundResult::Ok); }

    // A 16-bit mono buffer at 8000 Hz holding `samples`.
    std::shared_ptr<TSoundBuffer> Buffer(const std::vector<int16_t>& samples, uint16_t channels = 1) {
        TWaveFormat f{1, channels, 8000, 16000u * channels, static_cast<uint16_t>(2 * channels), 16, 0, 0};
        TSoundBufferDesc d;
        d.dwBufferBytes = static_cast<uint32_t>(samples.size() * 2);
        d.lpwfxFormat = &f;
        std::shared_ptr<TSoundBuffer> b;
        EXPECT_EQ(device.CreateSoundBuffer(d, &b), SoundResult::Ok);
        void* p1;
        void* p2;
        uint32_t n1, n2;
        EXPECT_EQ(b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2), SoundResult::Ok);
        std::memcpy(p1, samples.data(), n1);
        EXPECT_EQ(b->Unlock(p1, n1, p2, n2), SoundResult::Ok);
        return b;
    }
    std::vector<float> Pull(uint32_t frames) {
        std::vector<float> out(2 * frames);
        mixer->MixFloat(out.data(), frames);
        return out;
    }
};
constexpr float kUnit = 1.0f / 32768.0f;
} // namespace

TEST(Mixer, BufferPlaysOnceFromItsCursorAndEnds) {
    Device d;
    auto b = d.Buffer({1000, 2000, 3000});
    EXPECT_EQ(d.Pull(2)[0], 0.0f); // not started
    b->Play(0, 0, 0);
    const auto out = d.Pull(5);
    EXPECT_FLOAT_EQ(out[0], 1000 * kUnit);
    EXPECT_FLOAT_EQ(out[1], 1000 * kUnit); // mono goes to both sides
    EXPECT_FLOAT_EQ(out[4], 3000 * kUnit);
    EXPECT_EQ(out[6], 0.0f);
    EXPECT_FALSE(b->Playing());
    EXPECT_EQ(b->Play(0, 0, 1), SoundResult::InvalidParam); // no looping
}

TEST(Mixer, VoicesSumAndClip) {
    Device d;
    auto a = d.Buffer({30000, 100});
    auto b = d.Buffer({30000, 200});
    a->Play(0, 0, 0);
    b->Play(0, 0, 0);
    std::vector<int16_t> s16(4);
    d.mixer->MixS16(s16.data(), 2);
    EXPECT_EQ(s16[0], 32767);
    EXPECT_EQ(s16[2], 300);
}

TEST(Mixer, DuplicateSharesSamplesWithItsOwnCursor) {
    Device d;
    auto b = d.Buffer({100, 200, 300, 400});
    std::shared_ptr<TSoundBuffer> dup;
    ASSERT_EQ(d.device.DuplicateSoundBuffer(b, &dup), SoundResult::Ok);
    EXPECT_EQ(b->SampleOwners(), 2);
    b->Play(0, 0, 0);
    d.Pull(2);
    dup->Play(0, 0, 0); // starts at the first sample while the original is at the third
    const auto out = d.Pull(1);
    EXPECT_FLOAT_EQ(out[0], (300 + 100) * kUnit);
    uint32_t pos = 0;
    dup->GetCurrentPosition(&pos);
    EXPECT_EQ(pos, 2u);
    b.reset(); // the duplicate keeps the samples alive
    EXPECT_FLOAT_EQ(d.Pull(1)[0], 200 * kUnit);
    EXPECT_EQ(d.mixer->VoiceCount(), 1u);
}

TEST(Mixer, FrequencyResamplesAndStereoKeepsItsSides) {
    Device d;
    auto b = d.Buffer({1000, -1000, 3000, -3000}, 2);
    ASSERT_EQ(b->SetFrequency(4000), SoundResult::Ok); // half speed: every other frame interpolated
    b->Play(0, 0, 0);
    const auto out = d.Pull(3);
    EXPECT_FLOAT_EQ(out[0], 1000 * kUnit);
    EXPECT_FLOAT_EQ(out[1], -1000 * kUnit);
    EXPECT_FLOAT_EQ(out[2], 2000 * kUnit);
    EXPECT_FLOAT_EQ(out[3], -2000 * kUnit);
    EXPECT_FLOAT_EQ(out[4], 3000 * kUnit);
    EXPECT_EQ(b->SetFrequency(50), SoundResult::InvalidParam);
}

TEST(Mixer, LockWrapsIntoASecondRegionAndChecksItsArguments) {
    Device d;
    auto b = d.Buffer({0, 0, 0, 0});
    void* p1;
    void* p2;
    uint32_t n1, n2;
    ASSERT_EQ(b->Lock(6, 4, &p1, &n1, &p2, &n2), SoundResult::Ok);
    EXPECT_EQ(n1, 2u);
    EXPECT_EQ(n2, 2u);
    EXPECT_EQ(static_cast<uint8_t*>(p1) - static_cast<uint8_t*>(p2), 6);
    EXPECT_EQ(b->Lock(8, 1, &p1, &n1, &p2, &n2), SoundResult::InvalidParam);
    EXPECT_EQ(b->Lock(0, 9, &p1, &n1, &p2, &n2), SoundResult::InvalidParam);
    int outside = 0;
    EXPECT_EQ(b->Unlock(&outside, 4, nullptr, 0), SoundResult::InvalidParam);
}

TEST(SoundDevice, RefusesWhatItCannotMake) {
    auto mixer = std::make_shared<TMixer>();
    TSoundDevice none(mixer, nullptr);
    EXPECT_EQ(none.Initialize(), SoundResult::NoDriver);
    Device d;
    EXPECT_EQ(d.device.Initialize(), SoundResult::InvalidCall);
    TWaveFormat adpcm{2, 1, 8000, 4000, 256, 4, 0, 0};
    TSoundBufferDesc desc;
    desc.dwBufferBytes = 512;
    desc.lpwfxFormat = &adpcm;
    std::shared_ptr<TSoundBuffer> b;
    EXPECT_EQ(d.device.CreateSoundBuffer(desc, &b), SoundResult::BadFormat);
    EXPECT_EQ(b, nullptr);
    std::shared_ptr<TSoundBuffer> copy;
    EXPECT_EQ(d.device.DuplicateSoundBuffer(nullptr, &copy), SoundResult::InvalidParam);
    TSoundBufferDesc primary;
    primary.dwFlags = SoundBufferFlags::Primary | SoundBufferFlags::Ctrl3D;
    ASSERT_EQ(d.device.CreateSoundBuffer(primary, &b), SoundResult::Ok);
    TSoundListener3D* listener = nullptr;
    ASSERT_EQ(b->QueryListener3D(&listener), SoundResult::Ok);
    TListenerRecord r;
    r.flRolloffFactor = 11.0f;
    EXPECT_EQ(listener->SetAllParameters(r), SoundResult::InvalidParam);
    EXPECT_EQ(d.device.DuplicateSoundBuffer(b, &copy), SoundResult::InvalidParam);
}

namespace {
// A ramp 0, 1, 2, ... (scaled) of `length` frames, read in pieces.
class RampSource : public IStreamSource {
public:
    RampSource(uint32_t rate, size_t length) : rate_(rate), length_(length) {}
    uint32_t Rate() const override { return rate_; }
    size_t Read(float* out, size_t frames) override {
        size_t n = 0;
        for (; n < frames && next_ < length_; ++n, ++next_) out[2 * n] = out[2 * n + 1] = next_ * 0.0002f;
        return n;
    }
    bool Rewind() override {
        next_ = 0;
        return true;
    }

private:
    uint32_t rate_;
    size_t length_;
    size_t next_ = 0;
};
} // namespace

TEST(StreamVoice, PlaysItsSourceAcrossReadsAndEnds) {
    auto mixer = std::make_shared<TMixer>(1000);
    TStreamVoice voice(mixer);
    voice.SetSource(std::make_unique<RampSource>(1000, 1500));
    voice.Start();
    std::vector<float> out(2 * 2000);
    mixer->MixFloat(out.data(), 2000);
    for (size_t i = 0; i < 1500; ++i) ASSERT_NEAR(out[2 * i], i * 0.0002f, 1e-5) << i;
    EXPECT_EQ(out[2 * 1500], 0.0f);
    EXPECT_TRUE(voice.Ended());
    EXPECT_FALSE(voice.Playing());
    voice.StartFromBeginning();
    mixer->MixFloat(out.data(), 3);
    EXPECT_NEAR(out[4], 2 * 0.0002f, 1e-6);
    voice.Stop(); // fades out over 20 ms (20 frames here)
    mixer->MixFloat(out.data(), 21);
    EXPECT_GT(out[0], 0.0f);
    EXPECT_LT(out[0], 3 * 0.0002f);
    EXPECT_EQ(out[2 * 20], 0.0f);
    EXPECT_FALSE(voice.Ended());
}

TEST(StreamVoice, ResamplesToTheMixerRate) {
    auto mixer = std::make_shared<TMixer>(2000);
    TStreamVoice voice(mixer);
    voice.SetSource(std::make_unique<RampSource>(1000, 1200));
    voice.Start();
    std::vector<float> out(2 * 2500);
    mixer->MixFloat(out.data(), 2500);
    for (size_t i = 0; i < 2398; ++i) ASSERT_NEAR(out[2 * i], i * 0.0001f, 1e-5) << i;
    EXPECT_TRUE(voice.Ended());
    // A faster source skips frames across reads without losing its place.
    auto slow = std::make_shared<TMixer>(1000);
    TStreamVoice fast(slow);
    fast.SetSource(std::make_unique<RampSource>(3000, 3000));
    fast.Start();
    std::vector<float> o(2 * 900);
    slow->MixFloat(o.data(), 900);
    for (size_t i = 0; i < 900; ++i) ASSERT_NEAR(o[2 * i], i * 0.0006f, 1e-5) << i;
}
