#pragma once
// The player's settings kept in "Settei.ini" beside the BGM settings: the bindings in
// section Keys (one line an action, "Up=Up,KP_8;pad=dpup"), the volumes, mute and the
// language in section Options (MasterVolume, MusicVolume, EffectsVolume as 0..100,
// Mute as 1/0, Language as auto, ja or the code of a language the game is translated
// into, such as en). The window's keys of section Options
// belong to the window and are kept as they are.
#include "input/KeyBindings.h"

#include <cstdint>
#include <functional>
#include <string>

struct TSoundOptions {
    int32_t Master = 100; // percent, on the perceptual scale of the mixer's gains
    int32_t Music = 100;
    int32_t Effects = 100;
    bool Muted = false;
    bool operator==(const TSoundOptions&) const = default;
};

struct TGameSettings {
    TKeyBindings Keys = TKeyBindings::Defaults();
    TSoundOptions Sound;
    std::string Language = "auto"; // "auto", "ja", or one of TranslatedLanguages()
    bool operator==(const TGameSettings&) const = default;
};

// Where a value the game cannot use is reported (one line each).
using TSettingsReport = std::function<void(const std::string& line)>;

// Reads the settings over the defaults. A value the game cannot use (a volume of 300,
// a key named "Banana", a binding that takes another action's key) keeps its default
// and is reported; a missing file or value keeps the default silently.
TGameSettings ReadGameSettings(const std::string& path, const TSettingsReport& report);
// The same, reported on standard error.
TGameSettings ReadGameSettings(const std::string& path);

// Writes the bindings and the sound and language options safely; every other section
// and key comes from keptFrom (the file the settings were read from). Raises
// Exception("<path> に書き込めません") when the file cannot be written.
void WriteGameSettings(const std::string& path, const TGameSettings& settings, const std::string& keptFrom);
