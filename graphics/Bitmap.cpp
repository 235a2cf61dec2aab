#include "graphics/Bitmap.h"

#include <algorithm>

namespace {
void Put16(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    b[at] = static_cast<uint8_t>(v);
    b[at + 1] = static_cast<uint8_t>(v >> 8);
}
void Put32(std::vector<uint8_t>& b, size_t at, uint32_t v) {
    Put16(b, at, v & 0xFFFF);
    Put16(b, at + 2, v >> 16);
}
} // namespace

TBitmap::TBitmap(int32_t Width, int32_t Height, int32_t BitsPerPixel)
    : width_(std::max(0, Width)), height_(std::max(0, Height)), bits_(BitsPerPixel == 24 ? 24 : 32),
      pixels_(static_cast<size_t>(width_) * height_ * (bits_ / 8)) {}

uint8_t* TBitmap::ScanLine(int32_t Y) {
    return pixels_.data() + static_cast<size_t>(Y) * width_ * (bits_ / 8);
}
const uint8_t* TBitmap::ScanLine(int32_t Y) const {
    return pixels_.data() + static_cast<size_t>(Y) * width_ * (bits_ / 8);
}

uint32_t TBitmap::Pixel(int32_t X, int32_t Y) const {
    if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return 0;
    const uint8_t* p = ScanLine(Y) + static_cast<size_t>(X) * (bits_ / 8);
    const uint32_t a = bits_ == 32 ? p[3] : 255;
    return a << 24 | uint32_t{p[2]} << 16 | uint32_t{p[1]} << 8 | p[0];
}

void TBitmap::SetPixel(int32_t X, int32_t Y, uint32_t Color) {
    if (X < 0 || Y < 0 || X >= width_ || Y >= height_) return;
    uint8_t* p = ScanLine(Y) + static_cast<size_t>(X) * (bits_ / 8);
    p[0] = static_cast<uint8_t>(Color);
    p[1] = static_cast<uint8_t>(Color >> 8);
    p[2] = static_cast<uint8_t>(Color >> 16);
    if (bits_ == 32) p[3] = static_cast<uint8_t>(Color >> 24);
}

void TBitmap::SaveToStream(TStream& Stream) const {
    const size_t rowBytes = static_cast<size_t>(width_) * (bits_ / 8);
    const size_t stride = (rowBytes + 3) & ~size_t{3};
    const size_t imageSize = stride * height_;
    std::vector<uint8_t> header(54, 0);
    Put16(header, 0, 0x4D42);
    Put32(header, 2, static_cast<uint32_t>(54 + imageSize));
    Put32(header, 10, 54);
    Put32(header, 14, 40);
    Put32(header, 18, static_cast<uint32_t>(width_));
    Put32(header, 22, static_cast<uint32_t>(height_));
    Put16(header, 26, 1);
    Put16(header, 28, static_cast<uint32_t>(bits_));
    Put32(header, 34, static_cast<uint32_t>(imageSize));
    Stream.WriteBuffer(header.data(), static_cast<int64_t>(header.size()));
    std::vector<uint8_t> row(stride, 0);
    for (int32_t y = height_ - 1; y >= 0; --y) {
        std::copy_n(ScanLine(y), rowBytes, row.begin());
        Stream.WriteBuffer(row.data(), static_cast<int64_t>(stride));
    }
}
