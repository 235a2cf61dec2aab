// Feeds arbitrary bytes to the settings readers as the settings file: the BGM section,
// the bindings (keys and pad names), the volumes, mute, the language, and the window's
// size, scaling and fullscreen. Whatever it holds, every value is cut to the longest
// value a key may have, the bindings never share a key, the volumes stay within 0..100,
// the window's values lie in their ranges with at most one line of complaint each, and
// what is read comes back the same after writing it and reading it again; each writer
// keeps what the others own.
#include "music/BgmSettings.h"
#include "music/GameSettings.h"
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

void CheckGameSettings(const TGameSettings& s) {
    for (const int32_t v : {s.Sound.Master, s.Sound.Music, s.Sound.Effects}) Check(v >= 0 && v <= 100);
    for (int a = 0; a < ActionCount; ++a) {
        const TBinding& b = s.Keys.Of(static_cast<TAction>(a));
        for (const uint8_t key : b.Keys)
            Check(key == 0 || s.Keys.ActionOfKey(key) == static_cast<TAction>(a));
        for (const TPadButton pad : b.Pads)
            Check(pad == TPadButton::None || s.Keys.ActionOfPad(pad) == static_cast<TAction>(a));
    }
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

    const bool pause = ReadPauseOnFocusLoss(path);
    const TGameSettings game = ReadGameSettings(path, nullptr);
    CheckGameSettings(game);
    std::ostringstream complaints;
    const TWindowSettings window = ReadWindowSettings(path, complaints);
    Check(window.Width >= TWindowSettings::MinWidth && window.Width <= TWindowSettings::MaxSide);
    Check(window.Height >= TWindowSettings::MinHeight && window.Height <= TWindowSettings::MaxSide);
    const std::string said = complaints.str();
    Check(std::count(said.begin(), said.end(), '\n') <= 4 && said.size() <= 4 * 200);

    WriteBgmSettings(path, read);
    WriteWindowSettings(path, window, path);
    const TBgmSettings again = ReadBgmSettings(path, defaults);
    Check(again.Music == read.Music && again.Random == read.Random);
    Check(again.MusicName == read.MusicName && again.MusicFolda == read.MusicFolda);
    Check(ReadGameSettings(path, nullptr) == game);

    WriteGameSettings(path, game, path);
    Check(ReadGameSettings(path, nullptr) == game);
    const TBgmSettings kept = ReadBgmSettings(path, defaults);
    Check(kept.Music == read.Music && kept.Random == read.Random && kept.MusicName == read.MusicName &&
          kept.MusicFolda == read.MusicFolda);
    Check(ReadPauseOnFocusLoss(path) == pause);
    std::ostringstream none;
    Check(ReadWindowSettings(path, none) == window && none.str().empty());
    return 0;
}
