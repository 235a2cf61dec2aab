#include "graphics/PixelFormat.h"

#include <gtest/gtest.h>

namespace {
struct FormatRow {
    D3DFORMAT format;
    uint32_t bits;
    uint32_t pixelOfColor; // ARGBToPixel($80C0A040)
    uint32_t argbOfPixel;  // PixelToARGB of that pixel
};

// One colour through every row of the table, both directions.
const FormatRow Rows[] = {
    {D3DFMT_R8G8B8, 24, 0x80C0A040, 0xFFC0A040},
    {D3DFMT_A8R8G8B8, 32, 0x80C0A040, 0x80C0A040},
    {D3DFMT_X8R8G8B8, 32, 0x00C0A040, 0xFFC0A040},
    {D3DFMT_R5G6B5, 16, (0xC0 >> 3) << 11 | (0xA0 >> 2) << 5 | 0x40 >> 3, 0xFFC5A141},
    {D3DFMT_X1R5G5B5, 16, (0xC0 >> 3) << 10 | (0xA0 >> 3) << 5 | 0x40 >> 3, 0xFFC5A441},
    {D3DFMT_A1R5G5B5, 16, 0x8000 | (0xC0 >> 3) << 10 | (0xA0 >> 3) << 5 | 0x40 >> 3, 0xFFC5A441},
    {D3DFMT_A4R4G4B4, 16, 0x8CA4, 0x88CCAA44},
    {D3DFMT_R3G3B2, 8, (6 << 5) | (5 << 2) | 1, 0xFFDAB655},
    {D3DFMT_A8, 8, 0x80, 0x80000000},
    {D3DFMT_A8R3G3B2, 16, 0x8000 | (6 << 5) | (5 << 2) | 1, 0x80DAB655},
    {D3DFMT_X4R4G4B4, 16, 0x0CA4, 0xFFCCAA44},
    {D3DFMT_A8P8, 16, 0, 0},
    {D3DFMT_P8, 8, 0, 0},
    {D3DFMT_L8, 8, 0xC0, 0x00C00000},
    {D3DFMT_A8L8, 16, 0x80C0, 0x80C00000},
    {D3DFMT_A4L4, 8, 0x8C, 0x88CC0000},
    {D3DFMT_V8U8, 16, 0xA040, 0xA040},
    {D3DFMT_L6V5U5, 16, (0xC0 >> 2) << 10 | (0xA0 >> 3) << 5 | 0x40 >> 3, 0x00C0A040},
    {D3DFMT_X8L8V8U8, 32, 0x00C0A040, 0x00C0A040},
    {D3DFMT_Q8W8V8U8, 32, 0x80C0A040, 0x80C0A040},
    {D3DFMT_V16U16, 32, 0xA0004000, 0x00A04000},
    {D3DFMT_D16_LOCKABLE, 16, 0, 0},
    {D3DFMT_D15S1, 16, 0, 0},
    {D3DFMT_D16, 16, 0, 0},
    {D3DFMT_D32, 32, 0, 0},
    {D3DFMT_D24S8, 32, 0, 0},
    {D3DFMT_D24X8, 32, 0, 0},
    {D3DFMT_D24X4S4, 32, 0, 0},
    {D3DFMT_UNKNOWN, 0, 0, 0},
    {D3DFMT_DXT1, 0, 0, 0},
};
} // namespace

TEST(PixelFormat, EveryRowOfTheTableBothWays) {
    for (const FormatRow& row : Rows) {
        SCOPED_TRACE(row.format);
        EXPECT_EQ(FormatBits(row.format), row.bits);
        EXPECT_EQ(ARGBToPixel(0x80C0A040, row.format), row.pixelOfColor);
        EXPECT_EQ(PixelToARGB(row.pixelOfColor, row.format), row.argbOfPixel);
    }
}

TEST(PixelFormat, ComponentsAgreeWithTheColourExceptForTheWholeWordFormats) {
    for (const FormatRow& row : Rows) {
        SCOPED_TRACE(row.format);
        const uint32_t fromComponents = ComponentsToPixel(0x80, 0xC0, 0xA0, 0x40, row.format);
        if (row.format == D3DFMT_R8G8B8)
            EXPECT_EQ(fromComponents, 0xC0A040u); // only the low three bytes are stored
        else
            EXPECT_EQ(fromComponents, row.pixelOfColor);
    }
}

TEST(PixelFormat, KnownValues) {
    EXPECT_EQ(PixelToARGB(0xF800, D3DFMT_R5G6B5), 0xFFFF0000u);
    EXPECT_EQ(PixelToARGB(0x07E0, D3DFMT_R5G6B5), 0xFF00FF00u);
    EXPECT_EQ(ARGBToPixel(0xFF00FF00, D3DFMT_A1R5G5B5), 0x83E0u);
    EXPECT_EQ(PixelToARGB(0x7FFF, D3DFMT_A1R5G5B5), 0x00FFFFFFu);
    EXPECT_EQ(ExpandComponent(31, 5), 255u);
    EXPECT_EQ(ExpandComponent(1, 5), 8u);
    EXPECT_EQ(ExpandComponent(1, 2), 85u);
}

TEST(PixelFormat, NextPowerOfTwo) {
    EXPECT_EQ(NextPowerOfTwo(0), 1u);
    EXPECT_EQ(NextPowerOfTwo(1), 1u);
    EXPECT_EQ(NextPowerOfTwo(2), 2u);
    EXPECT_EQ(NextPowerOfTwo(3), 4u);
    EXPECT_EQ(NextPowerOfTwo(100), 128u);
    EXPECT_EQ(NextPowerOfTwo(764), 1024u);
    EXPECT_EQ(NextPowerOfTwo(1024), 1024u);
    EXPECT_EQ(NextPowerOfTwo(0x80000000u), 0x80000000u);
}
