#pragma once
// Reading and writing 32-bit ARGB frames as PNG files (8-bit RGBA), for golden-image
// tests: a test writes what it rendered so that a person can look at it, and compares
// against a stored image within a tolerance. Needs libpng (PNG::PNG).
#include <png.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

struct PngImage {
    int32_t width = 0, height = 0;
    std::vector<uint32_t> argb; // rows top to bottom

    uint32_t At(int32_t x, int32_t y) const { return argb[static_cast<size_t>(y) * width + x]; }
};

inline void WritePng(const std::string& path, const PngImage& img) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "wb"), std::fclose);
    if (!f) throw std::runtime_error("cannot create " + path);
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        throw std::runtime_error("cannot write " + path);
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, static_cast<png_uint_32>(img.width), static_cast<png_uint_32>(img.height), 8,
                 PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT,
                 PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    std::vector<png_byte> row(static_cast<size_t>(img.width) * 4);
    for (int32_t y = 0; y < img.height; ++y) {
        for (int32_t x = 0; x < img.width; ++x) {
            const uint32_t c = img.At(x, y);
            row[x * 4 + 0] = static_cast<png_byte>(c >> 16);
            row[x * 4 + 1] = static_cast<png_byte>(c >> 8);
            row[x * 4 + 2] = static_cast<png_byte>(c);
            row[x * 4 + 3] = static_cast<png_byte>(c >> 24);
        }
        png_write_row(png, row.data());
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
}

// Reads any 8-bit PNG as ARGB (grey, palette and RGB are expanded, missing alpha is 255).
inline PngImage ReadPng(const std::string& path) {
    std::unique_ptr<FILE, int (*)(FILE*)> f(std::fopen(path.c_str(), "rb"), std::fclose);
    if (!f) throw std::runtime_error("cannot open " + path);
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    PngImage img;
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        throw std::runtime_error("cannot read " + path);
    }
    png_init_io(png, f.get());
    png_read_info(png, info);
    png_set_expand(png);
    png_set_strip_16(png);
    png_set_gray_to_rgb(png);
    png_set_add_alpha(png, 0xFF, PNG_FILLER_AFTER);
    png_read_update_info(png, info);
    img.width = static_cast<int32_t>(png_get_image_width(png, info));
    img.height = static_cast<int32_t>(png_get_image_height(png, info));
    img.argb.resize(static_cast<size_t>(img.width) * img.height);
    std::vector<png_byte> row(png_get_rowbytes(png, info));
    for (int32_t y = 0; y < img.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (int32_t x = 0; x < img.width; ++x)
            img.argb[static_cast<size_t>(y) * img.width + x] =
                static_cast<uint32_t>(row[x * 4 + 3]) << 24 | static_cast<uint32_t>(row[x * 4]) << 16 |
                static_cast<uint32_t>(row[x * 4 + 1]) << 8 | row[x * 4 + 2];
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return img;
}

// Largest difference of any channel of any pixel; -1 when the sizes differ.
inline int MaxChannelDifference(const PngImage& a, const PngImage& b) {
    if (a.width != b.width || a.height != b.height) return -1;
    int worst = 0;
    for (size_t i = 0; i < a.argb.size(); ++i)
        for (int s = 0; s < 32; s += 8) {
            const int d = std::abs(static_cast<int>((a.argb[i] >> s) & 0xFF) -
                                   static_cast<int>((b.argb[i] >> s) & 0xFF));
            if (d > worst) worst = d;
        }
    return worst;
}
