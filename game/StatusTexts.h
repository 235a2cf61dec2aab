#pragma once
// The status panel's texts as the game sets them. The frame composition renders a text
// into its texture when its revision changes; the game's rules only set the strings.
#include <array>
#include <cstdint>
#include <string>

// N zero-padded to Digits digits; a negative N as its plain decimal text; Digits dashes
// when N has more digits than that.
std::string FormatNumber(int32_t N, int32_t Digits);
// Seconds as 3 digits, a double quote, tenths as 2 digits: 12345 ms -> 012"03.
std::string FormatTimeUnsigned(uint32_t t); // unsigned division (a running time)
std::string FormatTimeSigned(int32_t t);    // signed division (a record)
// A record line: the time, then "(n)".
std::string FormatRecordLine(int32_t t, int32_t n);

enum class TStatusText {
    TimeValue,
    RecordValue1,
    RecordValue2,
    RecordValue3,
    ScoreValue,
    HighScoreValue,
    FoodsValue,
    LifeValue,
    Message, // the game-clear message ("記録更新" prefix included)
    Notice,  // shown for a second in the help line's place ("消音")
    Count
};

class TStatusTexts {
public:
    void Set(TStatusText which, std::string text);
    const std::string& Text(TStatusText which) const { return texts_[Index(which)]; }
    // Counts every Set, so the composition can tell when to render a texture again.
    uint32_t Revision(TStatusText which) const { return revisions_[Index(which)]; }
    static TStatusText RecordLine(int32_t n) {
        return static_cast<TStatusText>(static_cast<int>(TStatusText::RecordValue1) + n - 1);
    }

private:
    static size_t Index(TStatusText which) { return static_cast<size_t>(which); }
    std::array<std::string, static_cast<size_t>(TStatusText::Count)> texts_{};
    std::array<uint32_t, static_cast<size_t>(TStatusText::Count)> revisions_{};
};
