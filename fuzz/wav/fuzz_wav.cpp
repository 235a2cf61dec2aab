// Feeds arbitrary bytes to the WAV reader, and a file it accepts through the whole
// path of the game: load into a buffer, bind to a channel, play and mix.
#include "sound/WavReader.h"
#include "sound/ddsd.h"

#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TDDSD* dd = [] {
        static TDDSD component;
        component.SetDebugOption(0);
        component.SetAudioOutputFactory([] { return std::make_unique<TPulledAudioOutput>(); });
        component.Loaded();
        return &component;
    }();
    TMemoryStream stream(std::vector<uint8_t>(data, data + size));
    TWavLayout layout;
    if (ReadWavLayout(stream, layout) != TWavError::None) return 0;
    TDDSDWaveData wave(dd, "fuzz.wav", stream, false);
    TDDSDChannel* channel = dd->Channel(0);
    channel->setWaveData(&wave);
    channel->Play();
    static std::vector<float> out(2 * 512);
    dd->Mixer()->MixFloat(out.data(), 512);
    channel->setWaveData(nullptr);
    return 0;
}
