#pragma once
// A small PNG writer and reader for test pictures (rendered frames, stored goldens).
// Pictures are 8-bit RGBA; the writer stores the image data in uncompressed deflate
// blocks, so it needs no compression library. The reader takes what the writer makes
// (filter 0 rows in stored blocks) and refuses anything else.
#include <cstdint>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

// An ARGB picture, rows top down.
struct TestImage {
    uint32_t Width = 0;
    uint32_t Height = 0;
    std::vector<uint32_t> Pixels; // ARGB, Width * Height
    uint32_t At(uint32_t x, uint32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

namespace png_detail {
inline uint32_t Crc32(const uint8_t* data, size_t n, uint32_t crc = 0) {
    crc = ~crc;
    for (size_t i = 0; i < n; ++i) {
        crc ^= data[i];
        for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
inline uint32_t Adler32(const std::vector<uint8_t>& data) {
    uint32_t a = 1, b = 0;
    for (const uint8_t byte : data) {
        a = (a + byte) % 65521;
        b = (b + a) % 65521;
    }
    return b << 16 | a;
}
inline void Put32(std::vector<uint8_t>& out, uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}
inline uint32_t Get32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}
inline void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
    Put32(out, static_cast<uint32_t>(body.size()));
    const size_t start = out.size();
    out.insert(out.end(), type, type + 4);
    out.insert(out.end(), body.begin(), body.end());
    Put32(out, Crc32(out.data() + start, out.size() - start));
}
const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
} // namespace png_detail

// The PNG file's bytes.
inline std::vector<uint8_t> EncodePng(const TestImage& image) {
    using namespace png_detail;
    std::vector<uint8_t> raw;
    raw.reserve(static_cast<size_t>(image.Width * 4 + 1) * image.Height);
    for (uint32_t y = 0; y < image.Height; ++y) {
        raw.push_back(0); // filter: none
        for (uint32_t x = 0; x < image.Width; ++x) {
            const uint32_t c = image.At(x, y);
            raw.insert(raw.end(), {static_cast<uint8_t>(c >> 16), static_cast<uint8_t>(c >> 8),
                                   static_cast<uint8_t>(c), static_cast<uint8_t>(c >> 24)});
        }
    }
    std::vector<uint8_t> z = {0x78, 0x01};
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, raw.size() - pos);
        z.push_back(pos + n == raw.size() ? 1 : 0);
        z.insert(z.end(), {static_cast<uint8_t>(n), static_cast<uint8_t>(n >> 8), static_cast<uint8_t>(~n),
                           static_cast<uint8_t>(~n >> 8)});
        z.insert(z.end(), raw.begin() + static_cast<ptrdiff_t>(pos),
                 raw.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    } while (pos < raw.size());
    Put32(z, Adler32(raw));
    std::vector<uint8_t> header;
    Put32(header, image.Width);
    Put32(header, image.Height);
    header.insert(header.end(), {8, 6, 0, 0, 0}); // 8-bit RGBA, no interlace
    std::vector<uint8_t> out(Signature, Signature + 8);
    Chunk(out, "IHDR", header);
    Chunk(out, "IDAT", z);
    Chunk(out, "IEND", {});
    return out;
}

inline void WritePng(const std::string& path, const TestImage& image) {
    const std::vector<uint8_t> bytes = EncodePng(image);
    std::ofstream f(path, std::ios::binary);
    f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!f) throw std::runtime_error("cannot write " + path);
}

// Decodes what EncodePng writes; throws std::runtime_error for anything else.
inline TestImage DecodePng(const std::vector<uint8_t>& file) {
    using namespace png_detail;
    auto fail = [](const char* why) { throw std::runtime_error(std::string("PNG: ") + why); };
    if (file.size() < 8 || !std::equal(Signature, Signature + 8, file.begin())) fail("no signature");
    TestImage image;
    std::vector<uint8_t> z;
    for (size_t at = 8; at + 12 <= file.size();) {
        const uint32_t len = Get32(&file[at]);
        if (len > file.size() - at - 12) fail("chunk past the end");
        const std::string type(file.begin() + static_cast<ptrdiff_t>(at + 4),
                               file.begin() + static_cast<ptrdiff_t>(at + 8));
        const uint8_t* body = &file[at + 8];
        if (type == "IHDR") {
            if (len != 13 || body[8] != 8 || body[9] != 6 || body[12] != 0) fail("not 8-bit RGBA");
            image.Width = Get32(body);
            image.Height = Get32(body + 4);
        } else if (type == "IDAT") {
            z.insert(z.end(), body, body + len);
        }
        at += 12 + len;
    }
    std::vector<uint8_t> raw;
    size_t pos = 2;
    for (bool last = false; !last;) {
        if (pos + 5 > z.size() || (z[pos] & 6) != 0) fail("not stored deflate blocks");
        last = z[pos] & 1;
        const size_t n = z[pos + 1] | z[pos + 2] << 8;
        pos += 5;
        if (pos + n > z.size()) fail("block past the end");
        raw.insert(raw.end(), z.begin() + static_cast<ptrdiff_t>(pos),
                   z.begin() + static_cast<ptrdiff_t>(pos + n));
        pos += n;
    }
    const size_t rowBytes = static_cast<size_t>(image.Width) * 4 + 1;
    if (raw.size() != rowBytes * image.Height) fail("wrong data size");
    image.Pixels.resize(static_cast<size_t>(image.Width) * image.Height);
    for (uint32_t y = 0; y < image.Height; ++y) {
        const uint8_t* row = &raw[y * rowBytes];
        if (row[0] != 0) fail("filtered row");
        for (uint32_t x = 0; x < image.Width; ++x) {
            const uint8_t* p = row + 1 + x * 4;
            image.Pixels[static_cast<size_t>(y) * image.Width + x] =
                uint32_t{p[3]} << 24 | uint32_t{p[0]} << 16 | uint32_t{p[1]} << 8 | p[2];
        }
    }
    return image;
}

inline TestImage ReadPng(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw std::runtime_error("cannot read " + path);
    const std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
    return DecodePng(bytes);
}
