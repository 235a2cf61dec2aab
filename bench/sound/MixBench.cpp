// Mixing cost of the game's worst case: the five effect channels sounding at once
// plus one music stream, at 48 kHz stereo. Reported per output frame, and as the
// share of one core that real-time output at 48 kHz takes.
#include "sound/SoundDevice.h"
#include "sound/StreamVoice.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <cstring>
#include <vector>

namespace {
// Music standing in for a decoder: a 44.1 kHz sine, so the voice resamples.
class SineSource : public IStreamSource {
public:
    uint32_t Rate() const override { return 44100; }
    size_t Read(float* out, size_t frames) override {
        for (size_t i = 0; i < frames; ++i, ++n_) out[2 * i] = out[2 * i + 1] = 0.3f * std::sin(n_ * 0.0627f);
        return frames;
    }
    bool Rewind() override { return true; }

private:
    uint64_t n_ = 0;
};

std::shared_ptr<TSoundBuffer> Effect(TSoundDevice& device, uint32_t rate, uint16_t channels) {
    TWaveFormat f{1, channels, rate, rate * 2u * channels, static_cast<uint16_t>(2 * channels), 16, 0, 0};
    TSoundBufferDesc d;
    d.dwBufferBytes = rate * 2u * channels; // one second
    d.lpwfxFormat = &f;
    std::shared_ptr<TSoundBuffer> b;
    device.CreateSoundBuffer(d, &b);
    void* p1;
    void* p2;
    uint32_t n1, n2;
    b->Lock(0, d.dwBufferBytes, &p1, &n1, &p2, &n2);
    auto* s = static_cast<int16_t*>(p1);
    for (uint32_t i = 0; i < n1 / 2; ++i) s[i] = static_cast<int16_t>(8000 * std::sin(i * 0.05));
    b->Unlock(p1, n1, p2, n2);
    return b;
}

void BM_MixFiveEffectsAndMusic(benchmark::State& state) {
    auto mixer = std::make_shared<TMixer>(48000);
    TSoundDevice device(mixer, std::make_unique<TPulledAudioOutput>());
    device.Initialize();
    std::vector<std::shared_ptr<TSoundBuffer>> effects;
    const uint32_t rates[] = {22050, 44100, 11025, 48000, 22050};
    for (int i = 0; i < 5; ++i) effects.push_back(Effect(device, rates[i], i == 3 ? 2 : 1));
    TStreamVoice music(mixer);
    music.SetSource(std::make_unique<SineSource>());
    music.Start();
    const uint32_t frames = TMixer::kChunkFrames;
    std::vector<float> out(2 * frames);
    for (auto _ : state) {
        for (auto& e : effects)
            if (!e->Playing()) e->Play(0, 0, 0);
        mixer->MixFloat(out.data(), frames);
        benchmark::DoNotOptimize(out.data());
    }
    const double frameCount = static_cast<double>(state.iterations()) * frames;
    state.counters["ns_per_frame"] =
        benchmark::Counter(frameCount * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_share_48k"] =
        benchmark::Counter(frameCount / 48000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_MixFiveEffectsAndMusic);
} // namespace
