#pragma once
// Pixel-format arithmetic of the graphics layer, keyed by the D3DFORMAT number.
// Formats not in the layer's table give 0 (and 0 bits).
#include "graphics/device/D3DTypes.h"

#include <cstdint>

// Bits per pixel.
uint32_t FormatBits(D3DFORMAT Format);
// ARGB colour -> the format's pixel value (components cut by dropping low bits).
uint32_t ARGBToPixel(uint32_t Color, D3DFORMAT Format);
// The same from four 0-255 components.
uint32_t ComponentsToPixel(uint32_t A, uint32_t R, uint32_t G, uint32_t B, D3DFORMAT Format);
// Pixel value -> ARGB; n-bit components widened by ExpandComponent; no alpha gives 255.
uint32_t PixelToARGB(uint32_t Pixel, D3DFORMAT Format);
// v * 255 div (2^n - 1).
inline uint32_t ExpandComponent(uint32_t v, uint32_t n) {
    return v * 255 / ((1u << n) - 1);
}
// The smallest power of two not below n; 1 for 0 and 1.
uint32_t NextPowerOfTwo(uint32_t n);
