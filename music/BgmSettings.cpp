#include "music/BgmSettings.h"

#include "base/SafeFile.h"

// The system package builds SimpleIni with ICU; the char interface keeps bytes as they are.
#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <cstdint>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* Section = "BGM";

// Cuts a value to MaxIniValueLength bytes without splitting a UTF-8 character.
std::string Limited(const char* value) {
    std::string text(value);
    if (text.size() <= MaxIniValueLength) return text;
    size_t end = MaxIniValueLength;
    while (end > 0 && (static_cast<uint8_t>(text[end]) & 0xC0) == 0x80) --end;
    text.resize(end);
    return text;
}

bool ReadBool(const CSimpleIniA& ini, const char* key, bool fallback, const char* section = Section) {
    const char* value = ini.GetValue(section, key, nullptr);
    int32_t n = 0;
    if (!value || !ParseIniInteger(Limited(value), n)) return fallback;
    return n != 0;
}

std::string ReadString(const CSimpleIniA& ini, const char* key, const std::string& fallback) {
    const char* value = ini.GetValue(Section, key, nullptr);
    return value ? Limited(value) : fallback;
}

} // namespace

bool ParseIniInteger(const std::string& text, int32_t& value) {
    size_t i = 0;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    int base = 10;
    if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return false;
    int64_t n = 0;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        int digit = -1;
        if (c >= '0' && c <= '9') digit = c - '0';
        if (base == 16 && c >= 'a' && c <= 'f') digit = c - 'a' + 10;
        if (base == 16 && c >= 'A' && c <= 'F') digit = c - 'A' + 10;
        if (digit < 0) return false;
        n = n * base + digit;
        if (n > int64_t{0xFFFFFFFF}) return false;
    }
    if (negative) n = -n;
    // A hexadecimal value may name all 32 bits ("0xFFFFFFFF" is -1).
    if (base == 16 && n > INT32_MAX) n -= int64_t{1} << 32;
    if (n < INT32_MIN || n > INT32_MAX) return false;
    value = static_cast<int32_t>(n);
    return true;
}

TBgmSettings ReadBgmSettings(const std::string& path, const TBgmSettings& defaults) {
    std::string text;
    CSimpleIniA ini;
    if (!ReadWholeFile(path, text) || ini.LoadData(text) < 0) return defaults;
    TBgmSettings settings;
    settings.Music = ReadBool(ini, "Music", defaults.Music);
    settings.Random = ReadBool(ini, "Random", defaults.Random);
    settings.MusicName = ReadString(ini, "MusicName", defaults.MusicName);
    settings.MusicFolda = ReadString(ini, "MusicFolda", defaults.MusicFolda);
    return settings;
}

bool ReadPauseOnFocusLoss(const std::string& path) {
    std::string text;
    CSimpleIniA ini;
    if (!ReadWholeFile(path, text) || ini.LoadData(text) < 0) return true;
    return ReadBool(ini, "PauseOnFocusLoss", true, "Options");
}

std::string ReadLanguageSetting(const std::string& path) {
    std::string text;
    CSimpleIniA ini;
    if (!ReadWholeFile(path, text) || ini.LoadData(text) < 0) return "";
    return Limited(ini.GetValue("Options", "Language", ""));
}

void WriteBgmSettings(const std::string& path, const TBgmSettings& settings, const std::string& keptFrom) {
    CSimpleIniA ini;
    std::string text;
    if (ReadWholeFile(keptFrom, text)) ini.LoadData(text);
    ini.SetValue(Section, "Music", settings.Music ? "1" : "0");
    ini.SetValue(Section, "Random", settings.Random ? "1" : "0");
    ini.SetValue(Section, "MusicName", settings.MusicName.c_str());
    ini.SetValue(Section, "MusicFolda", settings.MusicFolda.c_str());
    std::string out;
    WriteSettingsText(path, ini.Save(out) >= 0, out);
}
