#pragma once
// The game's texts in the player's language. Every text the game shows passes through Tr
// with its Japanese wording as written: that wording is the key (msgid) into the gettext
// catalogue "himawari" of the chosen language, and in Japanese it is shown as it is, so the
// Japanese game never looks anything up. The language is chosen once, at start-up.
#include <functional>
#include <string>
#include <vector>

// The gettext domain: po/<language>.po is built into <locale folder>/<language>/LC_MESSAGES/himawari.mo.
inline constexpr const char* TextDomain = "himawari";
// The game's own language, the one its texts are written in.
inline constexpr const char* SourceLanguage = "ja";

// The translation of a shown text in the chosen language; the text itself in Japanese, or
// when the catalogue lacks it. The result lives as long as the program. A printf pattern
// keeps its directives through the translation (the compiler checks Format(Tr("%s ..."), ...)).
#if defined(__GNUC__)
__attribute__((format_arg(1)))
#endif
const char*
Tr(const char* japanese);
std::string Tr(const std::string& japanese);
// Marks a text for the catalogue where it is defined (a table, a constant) without
// translating it there; Tr translates it where it is shown.
constexpr const char* TrNoop(const char* japanese) {
    return japanese;
}

// The languages the game has catalogues for besides Japanese ("en", ...), as built.
const std::vector<std::string>& TranslatedLanguages();

// The language for the setting [Options] Language: "ja", a translated language, or "auto"
// (also an empty or missing value), which takes the locale as gettext reads it: the first
// of LANGUAGE's entries that is Japanese or translated, unless messages are in the C locale
// (gettext then ignores LANGUAGE), else LC_ALL, LC_MESSAGES, LANG: Japanese for ja* and for
// C/POSIX, English for any other locale. An unknown setting is taken as auto and described
// in `warning`. A locale of another translated language takes that one. `environment`
// reads a variable (nullptr when unset).
std::string ChooseLanguage(const std::string& setting,
                           const std::function<const char*(const char*)>& environment, std::string& warning);
// The same over the process's environment.
std::string ChooseLanguage(const std::string& setting, std::string& warning);

// Makes `language` the language of Tr: its catalogue is looked up in localeFolder
// (<localeFolder>/<language>/LC_MESSAGES/himawari.mo). Japanese looks nothing up. Call it once
// after the toolkit has set the locale, before any text is shown.
void UseLanguage(const std::string& language, const std::string& localeFolder);
// The help text beside the program in the chosen language: the translation of the file
// name "作品について.txt" when that file exists, else the Japanese one.
std::string HelpFile(const std::string& exeDir);
// The language UseLanguage was given ("ja" before it is called).
const std::string& CurrentLanguage();
