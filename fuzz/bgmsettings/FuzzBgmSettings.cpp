// Feeds arbitrary bytes to the settings readers (the music's and the window's) as the
// settings file. Whatever it holds, every value is cut to the longest value a key may
// have, the window's values lie in their ranges with at most one line of complaint each,
// and what is read comes back the same after writing it and reading it again.
#include "music/BgmSettings.h"
#include "support/TempDir.h"
#include "ui/WindowSettings.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <sstream>

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

    std::ostringstream complaints;
    const TWindowSettings window = ReadWindowSettings(path, complaints);
    Check(window.Width >= TWindowSettings::MinWidth && window.Width <= TWindowSettings::MaxSide);
    Check(window.Height >= TWindowSettings::MinHeight && window.Height <= TWindowSettings::MaxSide);
    const std::string said = complaints.str();
    Check(std::count(said.begin(), said.end(), '\n') <= 4 && said.size() <= 4 * 200);

    WriteBgmSettings(path, read);
    WriteWindowSettings(path, window);
    const TBgmSettings again = ReadBgmSettings(path, defaults);
    Check(again.Music == read.Music && again.Random == read.Random);
    Check(again.MusicName == read.MusicName && again.MusicFolda == read.MusicFolda);
    std::ostringstream none;
    Check(ReadWindowSettings(path, none) == window && none.str().empty());
    return 0;
}
