#pragma once
// The pixel arithmetic of the software device and the span loops the game's sprites
// spend their time in: a row of A8R8G8B8 texels times one vertex colour, copied or
// blended source-over into the frame. The loops come in a portable version and, where
// the processor has them, SSE2 and AVX2 versions; all give the same bytes.
#include <cstdint>
#include <vector>

// x * y / 255 rounded to nearest, for 0..255 operands.
inline uint32_t Mul255(uint32_t x, uint32_t y) {
    const uint32_t t = x * y + 128;
    return (t + (t >> 8)) >> 8;
}

// Both 8-bit lanes of 0x00XX00YY times f (0..255), each rounded like Mul255.
inline uint32_t MulPair(uint32_t pair, uint32_t f) {
    const uint32_t t = pair * f + 0x00800080;
    return ((t + ((t >> 8) & 0x00FF00FF)) >> 8) & 0x00FF00FF;
}

// Each channel of a times the same channel of b.
inline uint32_t ModulatePixel(uint32_t a, uint32_t b) {
    return Mul255(a >> 24, b >> 24) << 24 | Mul255((a >> 16) & 0xFF, (b >> 16) & 0xFF) << 16 |
           Mul255((a >> 8) & 0xFF, (b >> 8) & 0xFF) << 8 | Mul255(a & 0xFF, b & 0xFF);
}

// Source over destination: s * a + d * (1 - a) per channel (the sums cannot carry).
inline uint32_t BlendOver(uint32_t s, uint32_t d) {
    const uint32_t a = s >> 24, ia = 255 - a;
    const uint32_t rb = MulPair(s & 0x00FF00FF, a) + MulPair(d & 0x00FF00FF, ia);
    const uint32_t ag = MulPair((s >> 8) & 0x00FF00FF, a) + MulPair((d >> 8) & 0x00FF00FF, ia);
    return rb | ag << 8;
}

// One set of span loops. Src and Dst hold N pixels; Diffuse 0xFFFFFFFF leaves the
// texels as they are.
struct TSpanKernels {
    const char* Name;
    // Dst = Src times Diffuse.
    void (*Copy)(uint32_t* Dst, const uint32_t* Src, int32_t N, uint32_t Diffuse);
    // Dst = (Src times Diffuse) over Dst.
    void (*Over)(uint32_t* Dst, const uint32_t* Src, int32_t N, uint32_t Diffuse);
};

const TSpanKernels& PortableSpanKernels();
// The fastest set this processor runs, chosen once.
const TSpanKernels& FastestSpanKernels();
// Every set this processor runs, the portable one first (for the tests).
std::vector<const TSpanKernels*> RunnableSpanKernels();
