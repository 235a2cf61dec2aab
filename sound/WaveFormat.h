#pragma once
// The wave format record as a WAV file's "fmt " chunk stores it (little-endian,
// WAVEFORMATEX field order), kept in a 20-byte record: bytes a shorter chunk does
// not cover stay 0, so a 16-byte chunk leaves cbSize 0.
#include <cstddef>
#include <cstdint>

struct TWaveFormat {
    uint16_t wFormatTag = 0;
    uint16_t nChannels = 0;
    uint32_t nSamplesPerSec = 0;
    uint32_t nAvgBytesPerSec = 0;
    uint16_t nBlockAlign = 0;
    uint16_t wBitsPerSample = 0;
    uint16_t cbSize = 0;
    uint16_t reserved = 0; // the record's padding to 20 bytes
};
static_assert(sizeof(TWaveFormat) == 20, "the wave format record is 20 bytes");
static_assert(offsetof(TWaveFormat, cbSize) == 16, "cbSize follows the 16 bytes of a plain PCM chunk");

constexpr uint16_t kWaveFormatPcm = 1;

// Lowest and highest playback rate a buffer accepts (also for SetFrequency).
constexpr uint32_t kMinFrequency = 100;
constexpr uint32_t kMaxFrequency = 200000;

// True for the formats the mixer plays: PCM, 8 or 16 bits, mono or stereo, a rate in
// [kMinFrequency, kMaxFrequency] and a block align that matches.
inline bool IsPlayableFormat(const TWaveFormat& f) {
    if (f.wFormatTag != kWaveFormatPcm) return false;
    if (f.nChannels != 1 && f.nChannels != 2) return false;
    if (f.wBitsPerSample != 8 && f.wBitsPerSample != 16) return false;
    if (f.nSamplesPerSec < kMinFrequency || f.nSamplesPerSec > kMaxFrequency) return false;
    return f.nBlockAlign == f.nChannels * f.wBitsPerSample / 8;
}
