#include "music/GameSettings.h"

#include "base/Fatal.h"
#include "base/SafeFile.h"
#include "base/Translate.h"
#include "music/BgmSettings.h"

// The system package builds SimpleIni with ICU; the char interface keeps bytes as they are.
#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

constexpr const char* KeysSection = "Keys";
constexpr const char* OptionsSection = "Options";
constexpr const char* VolumeKeys[3] = {"MasterVolume", "MusicVolume", "EffectsVolume"};

// A value as the report quotes it: cut short and without control characters, so that
// a hostile file gives one short line.
std::string Quoted(const char* value) {
    std::string text;
    for (const char* p = value; *p && text.size() < 40; ++p)
        text += static_cast<unsigned char>(*p) < 0x20 ? '?' : *p;
    return "\"" + text + "\"";
}

class TReader {
public:
    TReader(const CSimpleIniA& ini, const std::string& path, const TSettingsReport& report)
        : ini_(ini), path_(path), report_(report) {}

    void Ignored(const char* section, const char* key, const char* value, const char* why) const {
        if (report_)
            report_(path_ + ": [" + section + "] " + key + "=" + Quoted(value) + " " + why +
                    "; the default is used");
    }

    int32_t Percent(const char* key, int32_t fallback) const {
        const char* value = ini_.GetValue(OptionsSection, key, nullptr);
        if (!value) return fallback;
        int32_t n = 0;
        if (ParseIniInteger(value, n) && n >= 0 && n <= 100) return n;
        Ignored(OptionsSection, key, value, "is not a volume of 0 to 100");
        return fallback;
    }

    bool Flag(const char* key, bool fallback) const {
        const char* value = ini_.GetValue(OptionsSection, key, nullptr);
        if (!value) return fallback;
        int32_t n = 0;
        if (ParseIniInteger(value, n) && (n == 0 || n == 1)) return n == 1;
        Ignored(OptionsSection, key, value, "is not 0 or 1");
        return fallback;
    }

    std::string Language() const {
        const char* value = ini_.GetValue(OptionsSection, "Language", nullptr);
        if (!value) return "auto";
        const std::string code = value;
        const auto& translated = TranslatedLanguages();
        if (code == "auto" || code == SourceLanguage ||
            std::find(translated.begin(), translated.end(), code) != translated.end())
            return code;
        Ignored(OptionsSection, "Language", value,
                "is not auto, ja or a language the game is translated into");
        return "auto";
    }

    // Each action in turn: one that cannot be read, or that takes a key or a button of an
    // action read before it, keeps its default; when even that collides, every binding
    // keeps its default. An action without a line (a file written before it existed:
    // Fullscreen) whose default another action holds takes the keys and buttons of its
    // default that are free, and the player's own bindings stay.
    TKeyBindings Keys() const {
        const TKeyBindings defaults = TKeyBindings::Defaults();
        TKeyBindings keys;
        for (int a = 0; a < ActionCount; ++a) keys.Set(static_cast<TAction>(a), TBinding{});
        for (int a = 0; a < ActionCount; ++a) {
            const auto action = static_cast<TAction>(a);
            const char* value = ini_.GetValue(KeysSection, ActionName(action), nullptr);
            if (!value) {
                if (const auto holder = keys.Set(action, defaults.Of(action))) {
                    keys.Set(action, FreeOf(keys, defaults.Of(action)));
                    if (report_)
                        report_(path_ + ": [Keys] " + ActionName(action) + " has no line and " +
                                ActionName(*holder) + " holds its default keys; it keeps those still free");
                }
                continue;
            }
            const std::optional<TBinding> binding = ParseBinding(value);
            if (!binding) {
                Ignored(KeysSection, ActionName(action), value, "names no keys the game knows");
            } else if (const auto holder = keys.Set(action, *binding)) {
                Ignored(KeysSection, ActionName(action), value,
                        (std::string("takes a key of ") + ActionName(*holder)).c_str());
            } else {
                continue;
            }
            if (keys.Set(action, defaults.Of(action))) return Collided();
        }
        return keys;
    }

private:
    // The keys and buttons of `binding` no other action holds, first slots first, as
    // the file's line for them reads back.
    static TBinding FreeOf(const TKeyBindings& keys, const TBinding& binding) {
        TBinding free;
        size_t k = 0, p = 0;
        for (const uint8_t key : binding.Keys)
            if (key != 0 && !keys.ActionOfKey(key)) free.Keys[k++] = key;
        for (const TPadButton pad : binding.Pads)
            if (pad != TPadButton::None && !keys.ActionOfPad(pad)) free.Pads[p++] = pad;
        return free;
    }

    TKeyBindings Collided() const {
        if (report_)
            report_(path_ + ": [Keys] the bindings take each other's keys; the default keys are used");
        return TKeyBindings::Defaults();
    }

    const CSimpleIniA& ini_;
    const std::string& path_;
    const TSettingsReport& report_;
};

} // namespace

TGameSettings ReadGameSettings(const std::string& path, const TSettingsReport& report) {
    TGameSettings settings;
    std::string text;
    CSimpleIniA ini;
    if (!ReadWholeFile(path, text) || ini.LoadData(text) < 0) return settings;
    const TReader read(ini, path, report);
    settings.Keys = read.Keys();
    settings.Sound.Master = read.Percent(VolumeKeys[0], settings.Sound.Master);
    settings.Sound.Music = read.Percent(VolumeKeys[1], settings.Sound.Music);
    settings.Sound.Effects = read.Percent(VolumeKeys[2], settings.Sound.Effects);
    settings.Sound.Muted = read.Flag("Mute", settings.Sound.Muted);
    settings.Language = read.Language();
    return settings;
}

TGameSettings ReadGameSettings(const std::string& path) {
    return ReadGameSettings(path, ReportDiagnostic);
}

void WriteGameSettings(const std::string& path, const TGameSettings& settings, const std::string& keptFrom) {
    CSimpleIniA ini;
    std::string text;
    if (ReadWholeFile(keptFrom, text)) ini.LoadData(text);
    for (int a = 0; a < ActionCount; ++a) {
        const auto action = static_cast<TAction>(a);
        ini.SetValue(KeysSection, ActionName(action), FormatBinding(settings.Keys.Of(action)).c_str());
    }
    const int32_t volumes[3] = {settings.Sound.Master, settings.Sound.Music, settings.Sound.Effects};
    for (int i = 0; i < 3; ++i)
        ini.SetValue(OptionsSection, VolumeKeys[i], std::to_string(volumes[i]).c_str());
    ini.SetValue(OptionsSection, "Mute", settings.Sound.Muted ? "1" : "0");
    ini.SetValue(OptionsSection, "Language", settings.Language.c_str());
    std::string out;
    WriteSettingsText(path, ini.Save(out) >= 0, out);
}
