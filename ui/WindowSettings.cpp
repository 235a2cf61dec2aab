#include "ui/WindowSettings.h"

#include "base/SafeFile.h"

// The system package builds SimpleIni with ICU; the char interface keeps bytes as they are.
#define SI_CONVERT_ICU
#include <SimpleIni.h>

#include <charconv>
#include <fstream>
#include <sstream>
#include <strings.h>

namespace {

constexpr const char* Section = "Options";

// A value as it may be shown on one line: at most 40 bytes, control bytes as '?'.
std::string Shown(const char* value) {
    std::string text(value);
    if (text.size() > 40) text = text.substr(0, 40) + "...";
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    return text;
}

void Complain(std::ostream& out, const char* key, const char* value, const std::string& fallback) {
    out << "himawari: Settei.ini [Options] " << key << "=" << Shown(value) << " cannot be used; " << fallback
        << " instead\n";
}

bool ParseDecimal(const char* text, int64_t& value) {
    const char* end = text + std::char_traits<char>::length(text);
    if (text != end && *text == '+') ++text;
    const auto [at, ec] = std::from_chars(text, end, value);
    return ec == std::errc() && at == end && text != end;
}

void ReadSide(const CSimpleIniA& ini, const char* key, int32_t low, int32_t& side, std::ostream& complaints) {
    const char* value = ini.GetValue(Section, key, nullptr);
    if (!value) return;
    int64_t n = 0;
    if (ParseDecimal(value, n) && n >= low && n <= TWindowSettings::MaxSide) {
        side = static_cast<int32_t>(n);
        return;
    }
    Complain(complaints, key, value, std::to_string(side));
}

void ReadScale(const CSimpleIniA& ini, TWindowScale& scale, std::ostream& complaints) {
    const char* value = ini.GetValue(Section, "Scale", nullptr);
    if (!value) return;
    if (strcasecmp(value, "WholeNumber") == 0)
        scale = TWindowScale::WholeNumber;
    else if (strcasecmp(value, "Fit") == 0)
        scale = TWindowScale::Fit;
    else
        Complain(complaints, "Scale", value, scale == TWindowScale::Fit ? "Fit" : "WholeNumber");
}

void ReadFullscreen(const CSimpleIniA& ini, bool& fullscreen, std::ostream& complaints) {
    const char* value = ini.GetValue(Section, "Fullscreen", nullptr);
    if (!value) return;
    int64_t n = 0;
    if (ParseDecimal(value, n) && (n == 0 || n == 1))
        fullscreen = n == 1;
    else
        Complain(complaints, "Fullscreen", value, fullscreen ? "1" : "0");
}

} // namespace

TWindowSettings ReadWindowSettings(const std::string& path, std::ostream& complaints) {
    TWindowSettings s;
    std::string text;
    CSimpleIniA ini;
    if (!ReadWholeFile(path, text) || ini.LoadData(text) < 0) return s;
    ReadScale(ini, s.Scale, complaints);
    ReadSide(ini, "WindowWidth", TWindowSettings::MinWidth, s.Width, complaints);
    ReadSide(ini, "WindowHeight", TWindowSettings::MinHeight, s.Height, complaints);
    ReadFullscreen(ini, s.Fullscreen, complaints);
    return s;
}

void WriteWindowSettings(const std::string& path, const TWindowSettings& s, const std::string& keptFrom) {
    CSimpleIniA ini;
    std::string text;
    if (ReadWholeFile(keptFrom, text)) ini.LoadData(text);
    ini.SetValue(Section, "Scale", s.Scale == TWindowScale::Fit ? "Fit" : "WholeNumber");
    ini.SetValue(Section, "WindowWidth", std::to_string(s.Width).c_str());
    ini.SetValue(Section, "WindowHeight", std::to_string(s.Height).c_str());
    ini.SetValue(Section, "Fullscreen", s.Fullscreen ? "1" : "0");
    std::string out;
    WriteSettingsText(path, ini.Save(out) >= 0, out);
}
