#pragma once
// Finding the format and the samples of a RIFF WAVE file. Every size is checked
// against the file and the RIFF chunk; chunks are skipped by their size rounded up
// to an even number, and a walk always moves forward, so no input loops or reads
// outside the file.
#include "base/Stream.h"
#include "sound/WaveFormat.h"

#include <cstdint>

enum class TWavError {
    None,
    NotWave,    // no RIFF chunk of form type "WAVE"
    NoFmt,      // no "fmt " chunk inside it
    BadFmt,     // the "fmt " chunk is cut short
    Unplayable, // a format the mixer cannot play (compressed, 0 channels, 0 Hz, ...)
    NoData,     // no "data" chunk after the "fmt " chunk
    BadData,    // the "data" chunk holds not one whole sample frame inside the file
};

struct TWavLayout {
    TWaveFormat format;
    int64_t dataOffset = 0; // where the samples start in the stream
    uint32_t dataSize = 0;  // the "data" chunk's size, cut to the whole frames in the file
};

TWavError ReadWavLayout(TStream& stream, TWavLayout& layout);
