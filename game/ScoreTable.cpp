#include "game/ScoreTable.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace {

constexpr int FileVersion = 1;

// The code points of text, or false when it is not valid UTF-8 (overlong forms,
// surrogates and values past U+10FFFF included).
bool DecodeUtf8(const std::string& text, std::vector<char32_t>& out) {
    for (size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        size_t n = 0;
        char32_t cp = 0;
        if (b < 0x80) {
            n = 1, cp = b;
        } else if ((b & 0xE0) == 0xC0) {
            n = 2, cp = b & 0x1F;
        } else if ((b & 0xF0) == 0xE0) {
            n = 3, cp = b & 0x0F;
        } else if ((b & 0xF8) == 0xF0) {
            n = 4, cp = b & 0x07;
        } else {
            return false;
        }
        if (i + n > text.size()) return false;
        for (size_t k = 1; k < n; ++k) {
            const auto c = static_cast<unsigned char>(text[i + k]);
            if ((c & 0xC0) != 0x80) return false;
            cp = (cp << 6) | (c & 0x3F);
        }
        static constexpr char32_t Least[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < Least[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return false;
        out.push_back(cp);
        i += n;
    }
    return true;
}

bool IsControl(char32_t cp) {
    return cp < 0x20 || (cp >= 0x7F && cp <= 0x9F) || cp == 0x2028 || cp == 0x2029;
}

void AppendUtf8(std::string& s, char32_t cp) {
    if (cp < 0x80) {
        s += static_cast<char>(cp);
    } else if (cp < 0x800) {
        s += static_cast<char>(0xC0 | (cp >> 6));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        s += static_cast<char>(0xE0 | (cp >> 12));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        s += static_cast<char>(0xF0 | (cp >> 18));
        s += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        s += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        s += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// A decimal number of 1 to maxDigits digits, nothing else.
bool ParseDigits(const std::string& s, size_t maxDigits, uint64_t& value) {
    if (s.empty() || s.size() > maxDigits) return false;
    value = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    return true;
}

std::string IsoDate(int64_t date) {
    const auto t = static_cast<std::time_t>(date);
    std::tm tm{};
    gmtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%dT%H:%M:%SZ", &tm);
    return buf;
}

// "YYYY-MM-DDTHH:MM:SSZ" from the year 2000 to 9999, each field in its range.
bool ParseIsoDate(const std::string& s, int64_t& date) {
    if (s.size() != 20 || s[4] != '-' || s[7] != '-' || s[10] != 'T' || s[13] != ':' || s[16] != ':' ||
        s[19] != 'Z')
        return false;
    uint64_t f[6];
    const size_t at[6] = {0, 5, 8, 11, 14, 17}, len[6] = {4, 2, 2, 2, 2, 2};
    for (int i = 0; i < 6; ++i)
        if (!ParseDigits(s.substr(at[i], len[i]), len[i], f[i])) return false;
    static constexpr int Days[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (f[0] < 2000 || f[1] < 1 || f[1] > 12 || f[2] < 1 || f[2] > static_cast<uint64_t>(Days[f[1] - 1]) ||
        f[3] > 23 || f[4] > 59 || f[5] > 59)
        return false;
    std::tm tm{};
    tm.tm_year = static_cast<int>(f[0]) - 1900;
    tm.tm_mon = static_cast<int>(f[1]) - 1;
    tm.tm_mday = static_cast<int>(f[2]);
    tm.tm_hour = static_cast<int>(f[3]);
    tm.tm_min = static_cast<int>(f[4]);
    tm.tm_sec = static_cast<int>(f[5]);
    date = static_cast<int64_t>(timegm(&tm));
    return IsoDate(date) == s; // refuses 29 February of a common year
}

bool ParseEntry(const std::string& value, TScoreEntry& e, std::string& why) {
    std::vector<std::string> f;
    size_t start = 0;
    for (int i = 0; i < 4; ++i) {
        const size_t comma = value.find(',', start);
        if (comma == std::string::npos) return why = "an entry has too few fields", false;
        f.push_back(value.substr(start, comma - start));
        start = comma + 1;
    }
    f.push_back(value.substr(start));
    uint64_t score = 0, foods = 0, time = 0;
    if (!ParseDigits(f[0], 10, score) || !ParseDigits(f[1], 2, foods) || foods > FoodsPerGame)
        return why = "an entry's score or foods is not a number the game gives", false;
    if (score == 0 || static_cast<int64_t>(score) > ScoreBound(static_cast<int32_t>(foods)))
        return why = "an entry's score " + f[0] + " is more than " + f[1] + " foods can give", false;
    if (!ParseDigits(f[2], 11, time) || time > MaxGameTimeMs)
        return why = "an entry's time is not valid", false;
    if (!ParseIsoDate(f[3], e.Date)) return why = "an entry's date is not valid", false;
    if (!ValidScoreName(f[4])) return why = "an entry's name is not 1 to 16 printable characters", false;
    e.Score = static_cast<int32_t>(score);
    e.Foods = static_cast<int32_t>(foods);
    e.TimeMs = time;
    e.Name = f[4];
    return true;
}

} // namespace

int64_t ScoreBound(int32_t foods) {
    return int64_t{std::clamp(foods, 0, FoodsPerGame)} * MaxFoodScore;
}

bool ValidScoreName(const std::string& name) {
    std::vector<char32_t> cps;
    if (name.size() > 4 * MaxNameChars || !DecodeUtf8(name, cps)) return false;
    return !cps.empty() && cps.size() <= MaxNameChars && std::none_of(cps.begin(), cps.end(), IsControl);
}

std::string CleanScoreName(const std::string& text) {
    std::string out;
    size_t chars = 0;
    for (size_t i = 0; i < text.size() && chars < MaxNameChars; ++i) {
        // One character at a time: a broken sequence loses only its own bytes.
        for (size_t n = 4; n >= 1; --n) {
            std::vector<char32_t> cp;
            if (i + n > text.size() || !DecodeUtf8(text.substr(i, n), cp) || cp.size() != 1) continue;
            if (!IsControl(cp[0])) {
                AppendUtf8(out, cp[0]);
                ++chars;
            }
            i += n - 1;
            break;
        }
    }
    return out;
}

std::string StageText(int32_t foods) {
    foods = std::clamp(foods, 0, FoodsPerGame);
    const int32_t stage = foods == FoodsPerGame ? 3 : foods / 10 + 1;
    return std::to_string(stage) + "-" + std::to_string(foods - (stage - 1) * 10);
}

std::string GameTimeText(uint64_t ms) {
    const uint64_t s = ms / 1000;
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llu:%02llu", static_cast<unsigned long long>(s / 60),
                  static_cast<unsigned long long>(s % 60));
    return buf;
}

std::string DateText(int64_t date) {
    const auto t = static_cast<std::time_t>(date);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[32];
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", &tm);
    return buf;
}

bool TScoreTable::Qualifies(int32_t score) const {
    return score > 0 && (entries_.size() < ScoreTableSize || score > entries_.back().Score);
}

int TScoreTable::Insert(const TScoreEntry& entry) {
    if (!Qualifies(entry.Score)) return -1;
    const auto at = std::find_if(entries_.begin(), entries_.end(),
                                 [&](const TScoreEntry& e) { return entry.Score > e.Score; });
    const int index = static_cast<int>(at - entries_.begin());
    entries_.insert(at, entry);
    if (entries_.size() > ScoreTableSize) entries_.pop_back();
    return index;
}

std::string TScoreTable::Format() const {
    std::string s = "; ひまわり畑の大脱走！ high scores, best first\n";
    s += "version=" + std::to_string(FileVersion) + "\n";
    if (!LastName.empty()) s += "last-name=" + LastName + "\n";
    if (SavedGameTime) s += "saved-game-time=" + std::to_string(SavedGameTime) + "\n";
    for (const TScoreEntry& e : entries_)
        s += "entry=" + std::to_string(e.Score) + "," + std::to_string(e.Foods) + "," +
             std::to_string(e.TimeMs) + "," + IsoDate(e.Date) + "," + e.Name + "\n";
    char sum[32];
    std::snprintf(sum, sizeof sum, "checksum=%08x\n", Crc32(s));
    return s + sum;
}

bool TScoreTable::Parse(const std::string& text, std::string& why) {
    const size_t last = text.rfind("checksum=", text.size() >= 9 ? text.size() - 9 : 0);
    if (last == std::string::npos || (last > 0 && text[last - 1] != '\n'))
        return why = "no checksum line at its end", false;
    const std::string body = text.substr(0, last);
    char expected[16];
    std::snprintf(expected, sizeof expected, "%08x", Crc32(body));
    std::string sum = text.substr(last + 9);
    if (!sum.empty() && sum.back() == '\n') sum.pop_back();
    if (sum != expected) return why = "its checksum does not match", false;

    TScoreTable t;
    bool version = false;
    for (size_t start = 0; start < body.size();) {
        const size_t end = body.find('\n', start);
        const std::string line = body.substr(start, end - start);
        start = end + 1;
        if (line.empty() || line[0] == ';') continue;
        const size_t eq = line.find('=');
        const std::string key = line.substr(0, eq),
                          value = eq == std::string::npos ? "" : line.substr(eq + 1);
        if (!version) {
            if (key != "version" || value != std::to_string(FileVersion))
                return why = "it is not version " + std::to_string(FileVersion) + " of the table", false;
            version = true;
        } else if (key == "last-name" && ValidScoreName(value)) {
            t.LastName = value;
        } else if (key == "saved-game-time") {
            if (!ParseDigits(value, 11, t.SavedGameTime) || t.SavedGameTime > MaxGameTimeMs)
                return why = "its saved game time is not valid", false;
        } else if (key == "entry") {
            if (t.entries_.size() == ScoreTableSize) return why = "it has more than ten entries", false;
            TScoreEntry e;
            if (!ParseEntry(value, e, why)) return false;
            if (!t.entries_.empty() && e.Score > t.entries_.back().Score)
                return why = "its entries are not best first", false;
            t.entries_.push_back(e);
        } else {
            return why = "a line is not one the game writes", false;
        }
    }
    if (!version) return why = "it has no version line", false;
    *this = std::move(t);
    return true;
}

uint32_t Crc32(const std::string& bytes) {
    uint32_t crc = 0xFFFFFFFFu;
    for (unsigned char b : bytes) {
        crc ^= b;
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
