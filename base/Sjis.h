#pragma once
// Shift-JIS (code page 932) <-> UTF-8. Source code and files are UTF-8; the text
// writer's contract is Shift-JIS bytes, so on-screen strings pass through here.
#include <string>
#include <string_view>

// Characters that have no counterpart become '?' rather than failing.
std::string Utf8ToSjis(std::string_view utf8);
std::string SjisToUtf8(std::string_view sjis);
// True when b can start a two-byte Shift-JIS character.
inline bool IsSjisLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
