#include "sound/WavReader.h"

#include <algorithm>
#include <cstring>

namespace {
struct ChunkHeader {
    char id[4];
    uint32_t size;
};

uint32_t LittleEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

bool ReadAt(TStream& s, int64_t pos, void* buf, int64_t n) {
    if (s.Seek(pos, SeekOrigin::Begin) != pos) return false;
    return s.Read(buf, n) == n;
}

bool ReadHeader(TStream& s, int64_t pos, int64_t end, ChunkHeader& h) {
    if (pos + 8 > end) return false;
    uint8_t raw[8];
    if (!ReadAt(s, pos, raw, 8)) return false;
    std::memcpy(h.id, raw, 4);
    h.size = LittleEndian32(raw + 4);
    return true;
}

int64_t NextChunk(int64_t pos, uint32_t size) {
    return pos + 8 + static_cast<int64_t>(size) + (size & 1);
}

// Looks for chunk `id` among the chunks from `pos` to `end`; its header position and size.
bool FindChunk(TStream& s, int64_t pos, int64_t end, const char* id, int64_t& found, uint32_t& size) {
    ChunkHeader h{};
    for (; ReadHeader(s, pos, end, h); pos = NextChunk(pos, h.size)) {
        if (std::memcmp(h.id, id, 4) == 0) {
            found = pos;
            size = h.size;
            return true;
        }
    }
    return false;
}

// The RIFF chunk of form type WAVE among the file's top-level chunks: [start of its
// chunks, end). A RIFF size past the end of the file is cut to the file (writers that
// stream often leave it wrong); the chunks inside are checked one by one.
bool FindWaveRiff(TStream& s, int64_t fileSize, int64_t& first, int64_t& end) {
    int64_t pos = 0;
    ChunkHeader h{};
    for (; ReadHeader(s, pos, fileSize, h); pos = NextChunk(pos, h.size)) {
        char form[4];
        if (std::memcmp(h.id, "RIFF", 4) == 0 && h.size >= 4 && ReadAt(s, pos + 8, form, 4) &&
            std::memcmp(form, "WAVE", 4) == 0) {
            first = pos + 12;
            end = std::min(pos + 8 + static_cast<int64_t>(h.size), fileSize);
            return true;
        }
    }
    return false;
}

TWaveFormat DecodeFormat(const uint8_t* raw) {
    const auto u16 = [raw](int at) { return static_cast<uint16_t>(raw[at] | raw[at + 1] << 8); };
    TWaveFormat f;
    f.wFormatTag = u16(0);
    f.nChannels = u16(2);
    f.nSamplesPerSec = LittleEndian32(raw + 4);
    f.nAvgBytesPerSec = LittleEndian32(raw + 8);
    f.nBlockAlign = u16(12);
    f.wBitsPerSample = u16(14);
    f.cbSize = u16(16);
    return f;
}
} // namespace

TWavError ReadWavLayout(TStream& s, TWavLayout& layout) {
    const int64_t fileSize = s.Size();
    int64_t first = 0, end = 0;
    if (!FindWaveRiff(s, fileSize, first, end)) return TWavError::NotWave;
    int64_t fmtPos = 0;
    uint32_t fmtSize = 0;
    if (!FindChunk(s, first, end, "fmt ", fmtPos, fmtSize)) return TWavError::NoFmt;
    if (fmtPos + 8 + static_cast<int64_t>(fmtSize) > end) return TWavError::BadFmt;
    // The record holds 20 bytes; a longer chunk (an extensible format) keeps its head.
    uint8_t raw[sizeof(TWaveFormat)] = {};
    const int64_t take = std::min<int64_t>(fmtSize, 18);
    if (!ReadAt(s, fmtPos + 8, raw, take)) return TWavError::BadFmt;
    layout.format = DecodeFormat(raw);
    int64_t dataPos = 0;
    uint32_t dataSize = 0;
    if (!FindChunk(s, NextChunk(fmtPos, fmtSize), end, "data", dataPos, dataSize)) return TWavError::NoData;
    if (!IsPlayableFormat(layout.format)) return TWavError::Unplayable;
    // A data chunk that runs past the end (a file cut short in copying) keeps the whole
    // sample frames that are there: a clipped sound is better than none.
    const int64_t present = std::min<int64_t>(dataSize, end - (dataPos + 8));
    const uint32_t frames = static_cast<uint32_t>(present) / layout.format.nBlockAlign;
    if (frames == 0) return TWavError::BadData;
    layout.dataOffset = dataPos + 8;
    layout.dataSize = frames * layout.format.nBlockAlign;
    return TWavError::None;
}
