#pragma once
// Small readers for the headers of the game's data files, so that the tests can check
// every shipped picture, sound and track without the layers that play them.
#include "base/Stream.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A 24-bit bottom-up BMP, decoded to top-down RGB triples.
struct TBmpImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint8_t> Rgb; // Width * Height * 3, row 0 at the top

    uint32_t Pixel(int32_t x, int32_t y) const; // 0xRRGGBB
};
// Nothing when the bytes are not a well-formed uncompressed 24-bit BMP.
std::optional<TBmpImage> ReadBmp24(const std::vector<uint8_t>& bytes);

// Key-coloured pixels that no path of key-coloured pixels joins to the picture's border:
// holes that would show through a sprite where the drawing meant a colour.
int64_t EnclosedKeyPixels(const TBmpImage& image, uint32_t key);
int64_t CountPixels(const TBmpImage& image, uint32_t colour);

struct TWavInfo {
    uint16_t Format = 0;
    uint16_t Channels = 0;
    uint32_t Rate = 0;
    uint16_t Bits = 0;
    std::vector<int16_t> Samples; // 16-bit data only
};
// Nothing unless RIFF/WAVE with a "fmt " chunk before a "data" chunk that fits the file.
std::optional<TWavInfo> ReadWav(const std::vector<uint8_t>& bytes);

struct TMp3Info {
    int32_t Frames = 0;
    uint32_t Rate = 0;
    double Seconds = 0.0;
    bool HasId3 = false;
};
// Walks MPEG-1 Layer III frames from the start; nothing when the first frame is not one
// or the frames do not run exactly to the end of the file.
std::optional<TMp3Info> ReadMp3(const std::vector<uint8_t>& bytes);

// Image size from a PNG's IHDR or a baseline JPEG's SOF0 marker.
std::optional<std::pair<int32_t, int32_t>> PngSize(const std::vector<uint8_t>& bytes);
std::optional<std::pair<int32_t, int32_t>> JpegSize(const std::vector<uint8_t>& bytes);
