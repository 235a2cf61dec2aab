#include "TestPlatform.h"

#include "input/Ddidex.h"
#include "sound/WavBytes.h"
#include "sound/ddsd.h"
#include "support/SyntheticBmp.h"
#include "tools/qdapack/QDAPack.h"

std::function<std::unique_ptr<IAudioOutput>()> PulledAudioOutput() {
    return [] { return std::make_unique<TPulledAudioOutput>(); };
}

TestPictureSizes DefaultPictureSizes() {
    return {{"kuro_R.bmp", {40, 24}},  {"kuro_Down.bmp", {24, 40}},      {"kuro_L.bmp", {40, 24}},
            {"kuro_Up.bmp", {24, 40}}, {"himawari_tane0.bmp", {20, 20}}, {"apple.bmp", {22, 22}},
            {"get.bmp", {100, 50}},    {"10get.bmp", {110, 50}},         {"20get.bmp", {120, 50}},
            {"GC.bmp", {500, 200}}};
}

void WriteTestData(const TempDir& dir, const TestPictureSizes& sizes) {
    for (const char* name : {"cat.wav", "Fall.wav", "HitCat.wav", "get.wav", "apple.wav"})
        dir.Write(std::string("Data/") + name, PcmWav(1, 22050, 16, Pcm16(std::vector<int16_t>(64, 1000))));
    std::vector<QDAPackEntry> entries;
    for (const auto& [name, size] : sizes) entries.push_back({name, SyntheticBmp(size.first, size.second)});
    dir.Write("Data/data.qda", QDAPackArchive(entries, false));
}

std::vector<int32_t> TakeSounds(TForm1& form) {
    std::vector<int32_t> playing;
    for (int32_t i = 0; i < 5; ++i) {
        TDDSDChannel* c = form.Components.DDSD1->Channel(i);
        if (c->SoundBuffer() && c->SoundBuffer()->Playing()) playing.push_back(i);
        c->Stop();
    }
    return playing;
}

void SetLayerLogFolders(const std::string& folder) {
    TDDSD::SetLogFolder(folder);
    TDDIDEX::SetDebugLogFolder(folder);
}
