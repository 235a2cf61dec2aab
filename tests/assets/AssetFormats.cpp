#include "AssetFormats.h"

#include <algorithm>

namespace {

uint32_t U16(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8);
}
uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}
uint32_t B16(const std::vector<uint8_t>& b, size_t at) {
    return (b[at] << 8) | b[at + 1];
}
uint32_t B32(const std::vector<uint8_t>& b, size_t at) {
    return (static_cast<uint32_t>(b[at]) << 24) | (b[at + 1] << 16) | (b[at + 2] << 8) | b[at + 3];
}

} // namespace

uint32_t TBmpImage::Pixel(int32_t x, int32_t y) const {
    const size_t i = (static_cast<size_t>(y) * static_cast<size_t>(Width) + static_cast<size_t>(x)) * 3;
    return (Rgb[i] << 16) | (Rgb[i + 1] << 8) | Rgb[i + 2];
}

std::optional<TBmpImage> ReadBmp24(const std::vector<uint8_t>& b) {
    if (b.size() < 54 || b[0] != 'B' || b[1] != 'M' || U32(b, 2) != b.size() || U32(b, 14) != 40) return {};
    const int32_t w = static_cast<int32_t>(U32(b, 18));
    const int32_t h = static_cast<int32_t>(U32(b, 22));
    if (w <= 0 || h <= 0 || w > 4096 || h > 4096 || U16(b, 26) != 1 || U16(b, 28) != 24 || U32(b, 30) != 0)
        return {};
    const size_t stride = (static_cast<size_t>(w) * 3 + 3) & ~size_t{3};
    const size_t offset = U32(b, 10);
    if (offset < 54 || offset + stride * static_cast<size_t>(h) > b.size()) return {};
    TBmpImage img;
    img.Width = w;
    img.Height = h;
    img.Rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
    for (int32_t y = 0; y < h; ++y) {
        const uint8_t* row = b.data() + offset + stride * static_cast<size_t>(h - 1 - y);
        for (int32_t x = 0; x < w; ++x) {
            uint8_t* px =
                &img.Rgb[(static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x)) * 3];
            px[0] = row[x * 3 + 2];
            px[1] = row[x * 3 + 1];
            px[2] = row[x * 3];
        }
    }
    return img;
}

int64_t CountPixels(const TBmpImage& image, uint32_t colour) {
    int64_t n = 0;
    for (int32_t y = 0; y < image.Height; ++y)
        for (int32_t x = 0; x < image.Width; ++x) n += image.Pixel(x, y) == colour;
    return n;
}

int64_t EnclosedKeyPixels(const TBmpImage& image, uint32_t key) {
    const int32_t w = image.Width, h = image.Height;
    std::vector<uint8_t> seen(static_cast<size_t>(w) * static_cast<size_t>(h), 0);
    std::vector<std::pair<int32_t, int32_t>> stack;
    auto visit = [&](int32_t x, int32_t y) {
        if (x < 0 || y < 0 || x >= w || y >= h) return;
        const size_t i = static_cast<size_t>(y) * static_cast<size_t>(w) + static_cast<size_t>(x);
        if (seen[i] || image.Pixel(x, y) != key) return;
        seen[i] = 1;
        stack.emplace_back(x, y);
    };
    for (int32_t x = 0; x < w; ++x) visit(x, 0), visit(x, h - 1);
    for (int32_t y = 0; y < h; ++y) visit(0, y), visit(w - 1, y);
    while (!stack.empty()) {
        const auto [x, y] = stack.back();
        stack.pop_back();
        visit(x + 1, y), visit(x - 1, y), visit(x, y + 1), visit(x, y - 1);
    }
    int64_t reached = 0;
    for (uint8_t s : seen) reached += s;
    return CountPixels(image, key) - reached;
}

std::optional<TWavInfo> ReadWav(const std::vector<uint8_t>& b) {
    if (b.size() < 12 || B32(b, 0) != 0x52494646u || B32(b, 8) != 0x57415645u || U32(b, 4) + 8 != b.size())
        return {};
    TWavInfo info;
    bool haveFmt = false;
    size_t at = 12;
    while (at + 8 <= b.size()) {
        const uint32_t id = B32(b, at);
        const size_t size = U32(b, at + 4);
        if (at + 8 + size > b.size()) return {};
        if (id == 0x666d7420u && size >= 16) { // "fmt "
            info.Format = static_cast<uint16_t>(U16(b, at + 8));
            info.Channels = static_cast<uint16_t>(U16(b, at + 10));
            info.Rate = U32(b, at + 12);
            info.Bits = static_cast<uint16_t>(U16(b, at + 22));
            haveFmt = true;
        } else if (id == 0x64617461u) { // "data"
            if (!haveFmt) return {};
            if (info.Bits == 16)
                for (size_t i = 0; i + 1 < size; i += 2)
                    info.Samples.push_back(static_cast<int16_t>(U16(b, at + 8 + i)));
            return info;
        }
        at += 8 + size + (size & 1);
    }
    return {};
}

std::optional<TMp3Info> ReadMp3(const std::vector<uint8_t>& b) {
    static const int kbps[16] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 0};
    static const uint32_t rates[4] = {44100, 48000, 32000, 0};
    TMp3Info info;
    size_t at = 0;
    if (b.size() >= 10 && b[0] == 'I' && b[1] == 'D' && b[2] == '3') {
        info.HasId3 = true;
        at = 10 + ((b[6] & 0x7f) << 21 | (b[7] & 0x7f) << 14 | (b[8] & 0x7f) << 7 | (b[9] & 0x7f));
    }
    while (at < b.size()) {
        if (at + 4 > b.size()) return {};
        const uint32_t h = B32(b, at);
        // Sync, MPEG-1, Layer III.
        if ((h & 0xFFFE0000u) != 0xFFFA0000u) return {};
        const int bitrate = kbps[(h >> 12) & 15];
        const uint32_t rate = rates[(h >> 10) & 3];
        if (bitrate == 0 || rate == 0 || (info.Rate != 0 && rate != info.Rate)) return {};
        info.Rate = rate;
        at += 144 * static_cast<size_t>(bitrate) * 1000 / rate + ((h >> 9) & 1);
        ++info.Frames;
    }
    if (at != b.size() || info.Frames == 0) return {};
    info.Seconds = info.Frames * 1152.0 / info.Rate;
    return info;
}

std::optional<std::pair<int32_t, int32_t>> PngSize(const std::vector<uint8_t>& b) {
    static const uint8_t sig[8] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (b.size() < 24 || !std::equal(sig, sig + 8, b.begin()) || B32(b, 12) != 0x49484452u) return {};
    return std::make_pair(static_cast<int32_t>(B32(b, 16)), static_cast<int32_t>(B32(b, 20)));
}

std::optional<std::pair<int32_t, int32_t>> JpegSize(const std::vector<uint8_t>& b) {
    if (b.size() < 4 || b[0] != 0xFF || b[1] != 0xD8) return {};
    size_t at = 2;
    while (at + 9 < b.size()) {
        if (b[at] != 0xFF) return {};
        const uint8_t marker = b[at + 1];
        const size_t len = B16(b, at + 2);
        if (marker == 0xC0)
            return std::make_pair(static_cast<int32_t>(B16(b, at + 7)), static_cast<int32_t>(B16(b, at + 5)));
        if (marker == 0xDA) return {}; // scan data before any baseline frame header
        at += 2 + len;
    }
    return {};
}
