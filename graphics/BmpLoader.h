#pragma once
// Reading BMP pictures into a texture.
#include "base/Exception.h"
#include "base/Stream.h"
#include "graphics/device/RenderDevice.h"

#include <cstdint>

// The BMP headers (little-endian; 14-byte file header, 40-byte info header).
struct TBmpHeaders {
    uint16_t bfType = 0;
    uint32_t bfSize = 0;
    uint32_t bfOffBits = 0;
    uint32_t biSize = 0;
    int32_t biWidth = 0;
    int32_t biHeight = 0; // negative: rows stored top down
    uint16_t biPlanes = 0;
    uint16_t biBitCount = 0;
    uint32_t biCompression = 0;
    uint32_t biSizeImage = 0;
    uint32_t biClrUsed = 0;
};

// A picture the loader will not take (size, compression, palette).
class EDGBitmap : public Exception {
public:
    using Exception::Exception;
};

// The largest side a BMP may have; a larger one is refused before anything is allocated.
constexpr int32_t MaxBmpSide = 4096;

// Reads both headers at the stream's position (raises EReadError when it is too short).
TBmpHeaders ReadBmpHeaders(TStream& Stream);
// Raises EDGBitmap with the reason when the headers describe a picture the loader
// cannot read: a side of 0 or above MaxBmpSide, a compression other than none (or bit
// fields in the usual layout), a palette of more than 256 colours.
void CheckBmpHeaders(const TBmpHeaders& Headers);

// Reads the BMP at the stream's position into level 0 of Texture, converting every
// pixel to the level's format. Rows that do not fit are dropped from the bottom,
// columns from the right. Failures are reported through DebugLog / CheckResult.
void LoadBMP(IRenderTexture& Texture, TStream& Stream);
