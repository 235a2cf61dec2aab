#pragma once
// The music settings kept in "Data\Settei.ini", section BGM: Music and Random as 1/0,
// MusicName (the chosen track) and MusicFolda (the folder for random play).
#include <string>

struct TBgmSettings {
    bool Music = true;
    bool Random = false;
    std::string MusicName;
    std::string MusicFolda;
};

// A value is read with at most this many bytes.
inline constexpr size_t MaxIniValueLength = 2047;

// Reads the four keys of an existing settings file over the given defaults: a boolean
// is true for an integer other than 0 (decimal or "0x" hexadecimal); a missing or
// non-numeric value keeps the default. A file that cannot be read keeps every default.
TBgmSettings ReadBgmSettings(const std::string& path, const TBgmSettings& defaults);

// Writes the four keys safely; every other section and key comes from keptFrom (the file
// the settings were read from, which is path itself once the file is there). Raises
// Exception("<path> に書き込めません") when the file cannot be written, leaving it as it was.
void WriteBgmSettings(const std::string& path, const TBgmSettings& settings, const std::string& keptFrom);
inline void WriteBgmSettings(const std::string& path, const TBgmSettings& settings) {
    WriteBgmSettings(path, settings, path);
}

// [Options] PauseOnFocusLoss of the same file: whether play pauses while the window is
// inactive. True unless it is an integer 0; a missing file or value gives true. The
// writes of the BGM settings keep it.
bool ReadPauseOnFocusLoss(const std::string& path);

// [Options] Language of the same file as written ("auto", "ja", "en", ...); "" when the
// file or the key is missing. What it names is decided by ChooseLanguage (base/Translate.h).
std::string ReadLanguageSetting(const std::string& path);

// An INI integer: optional sign, decimal or "0x" hexadecimal; false for anything else
// or a value beyond 32 bits.
bool ParseIniInteger(const std::string& text, int32_t& value);
