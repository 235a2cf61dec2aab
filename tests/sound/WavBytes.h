#pragma once
// Building WAV images in memory for the tests: chunks, a PCM "fmt " chunk, a RIFF file.
#include <cstdint>
#include <string>
#include <vector>

using Bytes = std::vector<uint8_t>;

inline void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
inline void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}
inline Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

// A chunk with its header; `size` overrides the stored size (for broken files). Odd
// chunks get their pad byte unless pad is false.
inline Bytes Chunk(const std::string& id, const Bytes& body, int64_t size = -1, bool pad = true) {
    Bytes b(id.begin(), id.end());
    Put32(b, size < 0 ? static_cast<uint32_t>(body.size()) : static_cast<uint32_t>(size));
    b.insert(b.end(), body.begin(), body.end());
    if (pad && (body.size() & 1)) b.push_back(0);
    return b;
}

inline Bytes FmtBody(uint16_t channels, uint32_t rate, uint16_t bits, uint16_t tag = 1, int extra = -1) {
    Bytes b;
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, rate * channels * bits / 8);
    Put16(b, channels * bits / 8);
    Put16(b, bits);
    if (extra >= 0) Put16(b, static_cast<uint32_t>(extra));
    return b;
}

inline Bytes Riff(const Bytes& chunks, int64_t size = -1) {
    Bytes form = {'W', 'A', 'V', 'E'};
    return Chunk("RIFF", form + chunks, size < 0 ? -1 : size);
}

inline Bytes Pcm16(const std::vector<int16_t>& samples) {
    Bytes b;
    for (int16_t s : samples) Put16(b, static_cast<uint16_t>(s));
    return b;
}

// A plain PCM WAV file.
inline Bytes PcmWav(uint16_t channels, uint32_t rate, uint16_t bits, const Bytes& data) {
    return Riff(Chunk("fmt ", FmtBody(channels, rate, bits)) + Chunk("data", data));
}
