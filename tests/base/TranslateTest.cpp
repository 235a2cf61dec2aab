#include "base/Translate.h"

#include "base/Exception.h"
#include "base/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>

namespace {

// An environment of the given variables only.
std::string Choose(const std::string& setting, const std::map<std::string, std::string>& vars,
                   std::string* warning = nullptr) {
    std::string w;
    const std::string language = ChooseLanguage(
        setting,
        [&](const char* name) -> const char* {
            const auto v = vars.find(name);
            return v == vars.end() ? nullptr : v->second.c_str();
        },
        w);
    if (warning) *warning = w;
    return language;
}

// The catalogues as the build places them beside the programs.
std::string BuiltLocales() {
    return BuildDir() + "locale";
}

// Switches the language for one test and back to Japanese after it.
struct InLanguage {
    explicit InLanguage(const std::string& language) { UseLanguage(language, BuiltLocales()); }
    ~InLanguage() { UseLanguage(SourceLanguage, BuiltLocales()); }
};

// Why a file cannot be opened, as the game says it.
std::string OpenError(const std::string& path) {
    try {
        TFileStream file(path, FileMode::OpenRead);
    } catch (const EFOpenError& e) {
        return e.Message();
    }
    return "opened";
}

} // namespace

TEST(Language, TheSettingNamesAShippedLanguageOrAuto) {
    const std::map<std::string, std::string> english{{"LANG", "en_US.UTF-8"}};
    const std::map<std::string, std::string> japanese{{"LANG", "ja_JP.UTF-8"}};
    EXPECT_EQ(Choose("ja", english), "ja");
    EXPECT_EQ(Choose("en", japanese), "en");
    EXPECT_EQ(Choose("auto", english), "en");
    EXPECT_EQ(Choose("", japanese), "ja");
    std::string warning;
    EXPECT_EQ(Choose("auto", english, &warning), "en");
    EXPECT_TRUE(warning.empty());
    // Unknown (a language without a catalogue, a typing error, a different case): auto, said once.
    // The languages without a catalogue here and below have codes ISO 639 keeps for local
    // use, so that no language po/LINGUAS gains is among them.
    for (const char* unknown : {"qaa", "EN", "english", " ja"}) {
        EXPECT_EQ(Choose(unknown, japanese, &warning), "ja") << unknown;
        EXPECT_NE(warning.find(unknown), std::string::npos) << unknown;
        EXPECT_EQ(warning.find('\n'), std::string::npos);
    }
}

TEST(Language, AutoReadsTheLocaleAsGettextDoes) {
    // No locale at all, C and POSIX (with a codeset too) are the game's own language.
    EXPECT_EQ(Choose("auto", {}), "ja");
    for (const char* c : {"C", "POSIX", "C.UTF-8", "C.utf8"})
        EXPECT_EQ(Choose("auto", {{"LANG", c}}), "ja") << c;
    EXPECT_EQ(Choose("auto", {{"LANG", "ja_JP.UTF-8"}}), "ja");
    EXPECT_EQ(Choose("auto", {{"LANG", "ja"}}), "ja");
    for (const char* other : {"en_US.UTF-8", "en_GB", "qaa_DE.UTF-8", "qab_FR@euro", "qac_TW.Big5"})
        EXPECT_EQ(Choose("auto", {{"LANG", other}}), "en") << other;
    // LC_ALL before LC_MESSAGES before LANG; an empty variable counts as unset.
    EXPECT_EQ(
        Choose("auto", {{"LC_ALL", "ja_JP.UTF-8"}, {"LC_MESSAGES", "en_US.UTF-8"}, {"LANG", "en_US.UTF-8"}}),
        "ja");
    EXPECT_EQ(Choose("auto", {{"LC_MESSAGES", "en_US.UTF-8"}, {"LANG", "ja_JP.UTF-8"}}), "en");
    EXPECT_EQ(Choose("auto", {{"LC_ALL", ""}, {"LANG", "en_US.UTF-8"}}), "en");
    EXPECT_EQ(Choose("auto", {{"LC_ALL", "C"}, {"LANG", "en_US.UTF-8"}}), "ja");
    // LANGUAGE: its first entry the game speaks, entries without a catalogue passed over;
    // ignored under the C locale, as gettext ignores it.
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "qaa:ja:en"}, {"LANG", "qaa_DE.UTF-8"}}), "ja");
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "en_GB:ja"}, {"LANG", "ja_JP.UTF-8"}}), "en");
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "qaa:qab"}, {"LANG", "ja_JP.UTF-8"}}), "ja");
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "::"}, {"LANG", "en_US.UTF-8"}}), "en");
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "en"}, {"LANG", "C"}}), "ja");
    EXPECT_EQ(Choose("auto", {{"LANGUAGE", "en"}}), "ja");
}

TEST(Language, TrTranslatesOnlyAwayFromJapanese) {
    EXPECT_EQ(CurrentLanguage(), "ja");
    const std::string missing = "/nonexistent-himawari/Settei.ini";
    const char* caption = "保存(&S)";
    // In Japanese the text itself comes back, the very same bytes.
    EXPECT_EQ(Tr(caption), caption);
    {
        InLanguage english("en");
        EXPECT_EQ(CurrentLanguage(), "en");
        EXPECT_STREQ(Tr(caption), "&Save");
        EXPECT_EQ(Tr(std::string("ゲーム(&G)")), "&Game");
        // A text the catalogue lacks and the empty text (gettext's header) stay as they are.
        EXPECT_STREQ(Tr("カタログにない文"), "カタログにない文");
        EXPECT_STREQ(Tr(""), "");
        EXPECT_EQ(Tr(static_cast<const char*>(nullptr)), nullptr);
        // A failure's message from below the game: the path and the system's reason go
        // into the translated pattern.
        EXPECT_EQ(OpenError(missing), "Can't open the file " + missing + ": " + std::strerror(ENOENT));
    }
    EXPECT_EQ(Tr(caption), caption);
    EXPECT_EQ(OpenError(missing), "ファイル " + missing + " を開けません。" + std::strerror(ENOENT));
}

TEST(Language, TheHelpTextOfTheLanguageWhenItIsThere) {
    TempDir dir;
    const std::string exe = dir.Dir();
    EXPECT_EQ(HelpFile(exe), exe + "作品について.txt");
    InLanguage english("en");
    // No English file beside the program: the Japanese one.
    EXPECT_EQ(HelpFile(exe), exe + "作品について.txt");
    std::ofstream(exe + Tr("作品について.txt")) << "Help\n";
    EXPECT_EQ(HelpFile(exe), exe + "About the game.txt");
}
