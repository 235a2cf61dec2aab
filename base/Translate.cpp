#include "base/Translate.h"

#include "base/Paths.h"
#include "base/Stream.h"

#include <libintl.h>

#include <clocale>
#include <cstdlib>
#include <cstring>

#ifndef HIMAWARI_LANGUAGES
#define HIMAWARI_LANGUAGES "en"
#endif

namespace {

// Chosen once at start-up, before the first text is shown; read-only after that.
std::string& Chosen() {
    static std::string language = SourceLanguage;
    return language;
}

// "en_GB.UTF-8@euro" -> "en"
std::string LanguageOf(const std::string& locale) {
    const size_t end = locale.find_first_of("_.@");
    return locale.substr(0, end);
}

bool IsCLocale(const std::string& locale) {
    return locale.empty() || locale == "C" || locale == "POSIX" || locale.rfind("C.", 0) == 0;
}

bool IsTranslated(const std::string& language) {
    for (const std::string& t : TranslatedLanguages())
        if (t == language) return true;
    return false;
}

std::string LanguageOfLocale(const std::function<const char*(const char*)>& environment) {
    std::string messages;
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* value = environment(name);
        if (value && *value) {
            messages = value;
            break;
        }
    }
    if (IsCLocale(messages)) return SourceLanguage;
    const char* list = environment("LANGUAGE");
    std::string entries = list ? list : "";
    for (size_t start = 0; start <= entries.size();) {
        const size_t end = std::min(entries.find(':', start), entries.size());
        const std::string entry = LanguageOf(entries.substr(start, end - start));
        if (entry == SourceLanguage || IsTranslated(entry)) return entry;
        start = end + 1;
    }
    const std::string language = LanguageOf(messages);
    return language == SourceLanguage || IsTranslated(language) ? language : "en";
}

} // namespace

const char* Tr(const char* japanese) {
    if (Chosen() == SourceLanguage || !japanese || !*japanese) return japanese;
    return dgettext(TextDomain, japanese);
}

std::string Tr(const std::string& japanese) {
    return Tr(japanese.c_str());
}

const std::vector<std::string>& TranslatedLanguages() {
    static const std::vector<std::string> languages = [] {
        std::vector<std::string> list;
        const std::string all = HIMAWARI_LANGUAGES;
        for (size_t start = 0; start < all.size();) {
            const size_t end = std::min(all.find(' ', start), all.size());
            if (end > start) list.push_back(all.substr(start, end - start));
            start = end + 1;
        }
        return list;
    }();
    return languages;
}

std::string ChooseLanguage(const std::string& setting,
                           const std::function<const char*(const char*)>& environment, std::string& warning) {
    warning.clear();
    if (setting == SourceLanguage || IsTranslated(setting)) return setting;
    if (!setting.empty() && setting != "auto")
        warning = "[Options] Language=" + setting + " is not a language of the game; taking auto";
    return LanguageOfLocale(environment);
}

std::string ChooseLanguage(const std::string& setting, std::string& warning) {
    return ChooseLanguage(
        setting, [](const char* name) -> const char* { return std::getenv(name); }, warning);
}

void UseLanguage(const std::string& language, const std::string& localeFolder) {
    Chosen() = language;
    if (language == SourceLanguage) return;
    bindtextdomain(TextDomain, localeFolder.c_str());
    bind_textdomain_codeset(TextDomain, "UTF-8");
    // gettext takes the catalogue from LANGUAGE, which it ignores while messages are in the
    // C locale: that one then becomes its UTF-8 twin, which every glibc has built in.
    const char* messages = std::setlocale(LC_MESSAGES, nullptr);
    if (!messages || std::strcmp(messages, "C") == 0 || std::strcmp(messages, "POSIX") == 0)
        std::setlocale(LC_MESSAGES, "C.UTF-8");
    setenv("LANGUAGE", language.c_str(), 1);
}

std::string HelpFile(const std::string& exeDir) {
    // TRANSLATORS: the name of the help text beside the program, in your language.
    const std::string translated = DataPath(exeDir, Tr("作品について.txt"));
    return FileExists(translated) ? translated : DataPath(exeDir, "作品について.txt");
}

const std::string& CurrentLanguage() {
    return Chosen();
}
