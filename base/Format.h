#pragma once
// printf-style formatting into a std::string (the layers' log and message formats
// are printf patterns such as "#%.5d | %s%s").
#include <string>

#if defined(__GNUC__)
#define HIMAWARI_PRINTF(f, a) __attribute__((format(printf, f, a)))
#else
#define HIMAWARI_PRINTF(f, a)
#endif

std::string Format(const char* fmt, ...) HIMAWARI_PRINTF(1, 2);
// Lower-cases ASCII letters only; every other byte stays as it is.
std::string AsciiLower(std::string s);
bool SameTextAscii(const std::string& a, const std::string& b);
