#pragma once
// TBitmap: a plain in-memory picture (24 or 32 bits per pixel) that writes itself as a
// BMP file. The JPEG background reaches the texture this way (TDGTexture::LoadFromBitmap).
#include "base/Stream.h"

#include <cstdint>
#include <vector>

class TBitmap {
public:
    // BitsPerPixel 24 (B, G, R) or 32 (B, G, R, A); other values are taken as 32.
    TBitmap(int32_t Width, int32_t Height, int32_t BitsPerPixel = 24);
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t BitsPerPixel() const { return bits_; }

    // ARGB of a pixel (alpha 255 for 24 bits); outside the picture 0.
    uint32_t Pixel(int32_t X, int32_t Y) const;
    // Sets a pixel from ARGB (alpha dropped for 24 bits); outside the picture nothing.
    void SetPixel(int32_t X, int32_t Y, uint32_t Color);
    // Row Y, top down: Width pixels of BitsPerPixel / 8 bytes (B, G, R[, A]).
    uint8_t* ScanLine(int32_t Y);
    const uint8_t* ScanLine(int32_t Y) const;

    // A bottom-up BMP: 14-byte file header, 40-byte info header, rows padded to 4 bytes.
    void SaveToStream(TStream& Stream) const;

private:
    int32_t width_, height_, bits_;
    std::vector<uint8_t> pixels_;
};
