#include "game/StatusTexts.h"

#include <string>

std::string FormatNumber(int32_t N, int32_t Digits) {
    if (N < 0) return std::to_string(N);
    int64_t power = 1;
    for (int32_t i = 1; i <= Digits; ++i) {
        power *= 10;
        if (N / power == 0) return std::string(static_cast<size_t>(Digits - i), '0') + std::to_string(N);
    }
    return std::string(static_cast<size_t>(Digits > 0 ? Digits : 0), '-');
}

namespace {

std::string JoinTime(int64_t seconds, int64_t tenths) {
    return FormatNumber(static_cast<int32_t>(seconds), 3) + "\"" +
           FormatNumber(static_cast<int32_t>(tenths), 2);
}

} // namespace

std::string FormatTimeUnsigned(uint32_t t) {
    return JoinTime(t / 1000, (t % 1000) / 100);
}

std::string FormatTimeSigned(int32_t t) {
    return JoinTime(t / 1000, (t % 1000) / 100);
}

std::string FormatRecordLine(int32_t t, int32_t n) {
    return FormatTimeSigned(t) + "(" + std::to_string(n) + ")";
}

void TStatusTexts::Set(TStatusText which, std::string text) {
    texts_[Index(which)] = std::move(text);
    ++revisions_[Index(which)];
}
