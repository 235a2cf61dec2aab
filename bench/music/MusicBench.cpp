// The music voices in the mix: decoding the MP3 fixture and synthesising the MIDI
// fixture at 48 kHz (per output frame and as the share of one core), and the one-off
// cost of loading the General MIDI soundfont at the first MIDI track.
#include "music/FluidMidiPlayer.h"
#include "music/Mpg123Library.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {
std::string Fixture(const std::string& name) {
    return std::string(HIMAWARI_SOURCE_DIR "/tests/fixtures/") + name;
}

void SetFrameCounters(benchmark::State& state, double frames) {
    state.counters["ns_per_frame"] =
        benchmark::Counter(frames * 1e-9, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    state.counters["core_share_48k"] =
        benchmark::Counter(frames / 48000.0, benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_Mp3Voice(benchmark::State& state) {
    auto mixer = std::make_shared<TMixer>(48000);
    TMpg123Library mp3(mixer);
    mp3.vbmp3_init();
    Mp3Info info{};
    if (!mp3.vbmp3_open(Fixture("tone.mp3"), &info)) state.SkipWithError("no MP3 fixture");
    mp3.vbmp3_play();
    std::vector<float> out(2 * TMixer::kChunkFrames);
    for (auto _ : state) {
        if (!mp3.Playing()) mp3.vbmp3_play();
        mixer->MixFloat(out.data(), TMixer::kChunkFrames);
    }
    SetFrameCounters(state, static_cast<double>(state.iterations()) * TMixer::kChunkFrames);
}
BENCHMARK(BM_Mp3Voice);

void BM_MidiVoice(benchmark::State& state) {
    auto mixer = std::make_shared<TMixer>(48000);
    TFluidMidiPlayer midi(mixer);
    midi.SetFileName(Fixture("tune.mid"));
    midi.Open();
    midi.Play();
    std::vector<float> out(2 * TMixer::kChunkFrames);
    for (auto _ : state) {
        if (midi.Mode() != TMPModes::mpPlaying) {
            midi.Stop();
            midi.SetPosition(0);
            midi.Play();
        }
        mixer->MixFloat(out.data(), TMixer::kChunkFrames);
    }
    SetFrameCounters(state, static_cast<double>(state.iterations()) * TMixer::kChunkFrames);
}
BENCHMARK(BM_MidiVoice);

void BM_SoundFontLoad(benchmark::State& state) {
    double total = 0;
    for (auto _ : state) {
        auto mixer = std::make_shared<TMixer>(48000);
        TFluidMidiPlayer midi(mixer);
        midi.SetFileName(Fixture("tune.mid"));
        midi.Open();
        total += midi.SoundFontLoadMilliseconds();
    }
    state.counters["soundfont_ms"] = total / static_cast<double>(state.iterations());
}
BENCHMARK(BM_SoundFontLoad)->Iterations(5)->Unit(benchmark::kMillisecond);
} // namespace
