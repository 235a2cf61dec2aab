#include "graphics/PixelFormat.h"

namespace {
uint32_t Byte(uint32_t color, int shift) {
    return (color >> shift) & 0xFF;
}
uint32_t Argb(uint32_t a, uint32_t r, uint32_t g, uint32_t b) {
    return a << 24 | r << 16 | g << 8 | b;
}
} // namespace

uint32_t FormatBits(D3DFORMAT Format) {
    switch (Format) {
    case D3DFMT_R8G8B8:
        return 24;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
    case D3DFMT_V16U16:
    case D3DFMT_D32:
    case D3DFMT_D24S8:
    case D3DFMT_D24X8:
    case D3DFMT_D24X4S4:
        return 32;
    case D3DFMT_R5G6B5:
    case D3DFMT_X1R5G5B5:
    case D3DFMT_A1R5G5B5:
    case D3DFMT_A4R4G4B4:
    case D3DFMT_A8R3G3B2:
    case D3DFMT_X4R4G4B4:
    case D3DFMT_A8P8:
    case D3DFMT_A8L8:
    case D3DFMT_V8U8:
    case D3DFMT_L6V5U5:
    case D3DFMT_D16_LOCKABLE:
    case D3DFMT_D15S1:
    case D3DFMT_D16:
        return 16;
    case D3DFMT_R3G3B2:
    case D3DFMT_A8:
    case D3DFMT_P8:
    case D3DFMT_L8:
    case D3DFMT_A4L4:
        return 8;
    default:
        return 0;
    }
}

uint32_t ARGBToPixel(uint32_t Color, D3DFORMAT Format) {
    switch (Format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_A8R8G8B8:
    case D3DFMT_Q8W8V8U8:
        return Color;
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8L8V8U8:
        return Color & 0xFFFFFF;
    case D3DFMT_V8U8:
        return Color & 0xFFFF;
    default:
        return ComponentsToPixel(Byte(Color, 24), Byte(Color, 16), Byte(Color, 8), Byte(Color, 0), Format);
    }
}

uint32_t ComponentsToPixel(uint32_t A, uint32_t R, uint32_t G, uint32_t B, D3DFORMAT Format) {
    A &= 0xFF, R &= 0xFF, G &= 0xFF, B &= 0xFF;
    switch (Format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8:
    case D3DFMT_X8L8V8U8:
        return R << 16 | G << 8 | B;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_Q8W8V8U8:
        return Argb(A, R, G, B);
    case D3DFMT_R5G6B5:
        return (R >> 3) << 11 | (G >> 2) << 5 | B >> 3;
    case D3DFMT_X1R5G5B5:
        return (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_A1R5G5B5:
        return (A >> 7) << 15 | (R >> 3) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_A4R4G4B4:
        return (A >> 4) << 12 | (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case D3DFMT_R3G3B2:
        return (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case D3DFMT_A8:
        return A;
    case D3DFMT_A8R3G3B2:
        return A << 8 | (R >> 5) << 5 | (G >> 5) << 2 | B >> 6;
    case D3DFMT_X4R4G4B4:
        return (R >> 4) << 8 | (G >> 4) << 4 | B >> 4;
    case D3DFMT_L8:
        return R;
    case D3DFMT_A8L8:
        return A << 8 | R;
    case D3DFMT_A4L4:
        return (A >> 4) << 4 | R >> 4;
    case D3DFMT_V8U8:
        return G << 8 | B;
    case D3DFMT_L6V5U5:
        return (R >> 2) << 10 | (G >> 3) << 5 | B >> 3;
    case D3DFMT_V16U16:
        return G << 24 | B << 8;
    default:
        return 0;
    }
}

namespace {
uint32_t RGB555ToARGB(uint32_t p, uint32_t alpha) {
    return Argb(alpha, ExpandComponent((p >> 10) & 31, 5), ExpandComponent((p >> 5) & 31, 5),
                ExpandComponent(p & 31, 5));
}
uint32_t RGB332ToARGB(uint32_t p, uint32_t alpha) {
    return Argb(alpha, ExpandComponent((p >> 5) & 7, 3), ExpandComponent((p >> 2) & 7, 3),
                ExpandComponent(p & 3, 2));
}
uint32_t RGB444ToARGB(uint32_t p, uint32_t alpha) {
    return Argb(alpha, ExpandComponent((p >> 8) & 15, 4), ExpandComponent((p >> 4) & 15, 4),
                ExpandComponent(p & 15, 4));
}
} // namespace

uint32_t PixelToARGB(uint32_t Pixel, D3DFORMAT Format) {
    const uint32_t p = Pixel;
    switch (Format) {
    case D3DFMT_R8G8B8:
    case D3DFMT_X8R8G8B8:
        return p | 0xFF000000;
    case D3DFMT_A8R8G8B8:
    case D3DFMT_V8U8:
    case D3DFMT_X8L8V8U8:
    case D3DFMT_Q8W8V8U8:
        return p;
    case D3DFMT_R5G6B5:
        return Argb(255, ExpandComponent((p >> 11) & 31, 5), ExpandComponent((p >> 5) & 63, 6),
                    ExpandComponent(p & 31, 5));
    case D3DFMT_X1R5G5B5:
        return RGB555ToARGB(p, 255);
    case D3DFMT_A1R5G5B5:
        return RGB555ToARGB(p, ((p >> 15) & 1) * 255);
    case D3DFMT_A4R4G4B4:
        return RGB444ToARGB(p, ExpandComponent((p >> 12) & 15, 4));
    case D3DFMT_X4R4G4B4:
        return RGB444ToARGB(p, 255);
    case D3DFMT_R3G3B2:
        return RGB332ToARGB(p, 255);
    case D3DFMT_A8R3G3B2:
        return RGB332ToARGB(p, (p >> 8) & 0xFF);
    case D3DFMT_A8:
        return p << 24;
    case D3DFMT_L8:
    case D3DFMT_A8L8:
        return p << 16;
    case D3DFMT_A4L4:
        return Argb(ExpandComponent((p >> 4) & 15, 4), ExpandComponent(p & 15, 4), 0, 0);
    case D3DFMT_L6V5U5:
        return ((p >> 10) & 63) * 4 << 16 | ((p >> 5) & 31) * 8 << 8 | (p & 31) * 8;
    case D3DFMT_V16U16:
        return (p >> 16) << 8 | (p & 0xFFFF);
    default:
        return 0;
    }
}

uint32_t NextPowerOfTwo(uint32_t n) {
    uint32_t p = 1;
    while (p < n && p < 0x80000000u) p <<= 1;
    return p < n ? 0x80000000u : p;
}
