// Feeds arbitrary bytes to the settings reader as the settings file. Whatever it holds,
// every value is cut to the longest value a key may have, and what is read comes back
// the same after writing it and reading it again.
#include "music/BgmSettings.h"
#include "support/TempDir.h"

#include <cstddef>
#include <cstdint>
#include <fstream>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static TempDir dir;
    const std::string path = dir.File("Settei.ini");
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    }
    TBgmSettings defaults;
    defaults.MusicName = "/game/Data/tamsp15.mp3";
    const TBgmSettings read = ReadBgmSettings(path, defaults);
    Check(read.MusicName.size() <= MaxIniValueLength && read.MusicFolda.size() <= MaxIniValueLength);
    int32_t n = 0;
    ParseIniInteger(std::string(reinterpret_cast<const char*>(data), size), n);

    WriteBgmSettings(path, read);
    const TBgmSettings again = ReadBgmSettings(path, defaults);
    Check(again.Music == read.Music && again.Random == read.Random);
    Check(again.MusicName == read.MusicName && again.MusicFolda == read.MusicFolda);
    return 0;
}
