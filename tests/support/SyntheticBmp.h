#pragma once
// A 24-bit BMP file drawn in code, for tests and benchmarks that want a picture like
// the game's: a sky gradient, a checkered field and a shaded disc. Noise above 0 adds
// that much random grain to every channel, the way a scanned or photographed picture
// looks.
#include <cmath>
#include <cstdint>
#include <random>
#include <vector>

inline std::vector<uint8_t> SyntheticBmp(int width, int height, int noise = 0, uint32_t seed = 1) {
    const int row = (width * 3 + 3) & ~3;
    const uint32_t imageSize = static_cast<uint32_t>(row * height);
    std::vector<uint8_t> out;
    auto put16 = [&out](uint32_t v) {
        out.push_back(static_cast<uint8_t>(v));
        out.push_back(static_cast<uint8_t>(v >> 8));
    };
    auto put32 = [&put16](uint32_t v) {
        put16(v & 0xFFFF);
        put16(v >> 16);
    };
    out.push_back('B');
    out.push_back('M');
    for (uint32_t v :
         {54 + imageSize, 0u, 54u, 40u, static_cast<uint32_t>(width), static_cast<uint32_t>(height)})
        put32(v);
    put16(1);
    put16(24);
    for (uint32_t v : {0u, imageSize, 2835u, 2835u, 0u, 0u}) put32(v);

    std::mt19937 random(seed);
    std::uniform_int_distribution<int> grain(-noise, noise);
    auto clamp = [](int v) { return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v); };
    for (int y = height - 1; y >= 0; --y) { // bottom-up rows
        for (int x = 0; x < width; ++x) {
            int b, g, r;
            const double d = std::hypot(x - width / 2.0, y - height * 0.6);
            if (y < height / 3) {
                b = 255 - y * 64 / height, g = 200 - y * 96 / height, r = 120 + y * 128 / height;
            } else if (d < height / 5.0) {
                b = 40, g = 120 + static_cast<int>(d), r = 200 - static_cast<int>(d / 2);
            } else {
                const bool dark = ((x / 20) + (y / 20)) % 2 == 0;
                b = dark ? 40 : 50, g = dark ? 160 : 170, r = dark ? 60 : 70;
            }
            for (int c : {b, g, r}) out.push_back(clamp(noise ? c + grain(random) : c));
        }
        for (int pad = width * 3; pad < row; ++pad) out.push_back(0);
    }
    return out;
}
