#include "graphics/SXFontCache.h"

#include "base/Exception.h"
#include "base/Translate.h"
#include "graphics/PixelFormat.h"

#include <algorithm>

namespace {

void CheckCapacity(int32_t capacity) {
    if (capacity < 1) throw Exception(Tr("TSXFontCache: 1バケットあたりのエントリ数は1以上にしてください"));
}

bool Matches(const TSXFontCacheData& e, uint32_t code, const TSXFont& font) {
    return e.Code == code && e.FontHeight == font.Height && e.FontStyle == font.Style &&
           e.FontName == font.Name;
}

} // namespace

TSXFontCache::TSXFontCache(IGlyphRasteriser& rasteriser, uint32_t pixelFormat, int32_t capacity)
    : rasteriser_(rasteriser), pixelFormat_(pixelFormat),
      bytesPerPixel_(static_cast<int32_t>(FormatBits(pixelFormat) / 8)) {
    SetCacheSize(capacity);
}

void TSXFontCache::SetCacheSize(int32_t capacity) {
    CheckCapacity(capacity);
    Clear();
    capacity_ = capacity;
    for (auto& bucket : buckets_) bucket.assign(static_cast<size_t>(capacity), TSXFontCacheData{});
    hits_ = misses_ = memoryUsed_ = entryCount_ = 0;
}

void TSXFontCache::Clear() {
    for (auto& bucket : buckets_)
        for (auto& e : bucket) e = TSXFontCacheData{};
    counts_.fill(0);
    memoryUsed_ = 0;
    entryCount_ = 0;
}

const TSXFontCacheData& TSXFontCache::GetGlyph(uint32_t code, const TSXFont& font) {
    const int b = static_cast<int>(code & 0xFF);
    auto& bucket = buckets_[b];
    const auto used = static_cast<size_t>(counts_[b]);
    for (size_t p = 0; p < used; ++p) {
        if (!Matches(bucket[p], code, font)) continue;
        // Move to the front; the entries before it shift back by one.
        std::rotate(bucket.begin(), bucket.begin() + static_cast<ptrdiff_t>(p),
                    bucket.begin() + static_cast<ptrdiff_t>(p) + 1);
        ++hits_;
        return bucket.front();
    }
    // Miss. The font is selected first, so that a font that cannot be loaded leaves
    // the cache as it was.
    rasteriser_.SelectFont(font);
    // Reuse the least recently used entry when full, else take the first free slot.
    const size_t slot = used == static_cast<size_t>(capacity_) ? used - 1 : used;
    if (used < static_cast<size_t>(capacity_)) {
        ++counts_[b];
        ++entryCount_;
    }
    std::rotate(bucket.begin(), bucket.begin() + static_cast<ptrdiff_t>(slot),
                bucket.begin() + static_cast<ptrdiff_t>(slot) + 1);
    TSXFontCacheData& e = bucket.front();
    memoryUsed_ -= static_cast<uint32_t>(e.Pitch) * static_cast<uint32_t>(e.Height);
    e = TSXFontCacheData{};
    e.Code = code;
    e.FontName = font.Name;
    e.FontHeight = font.Height;
    e.FontStyle = font.Style;
    Render(e);
    ++misses_;
    return e;
}

void TSXFontCache::Render(TSXFontCacheData& e) {
    TGlyphMetrics m;
    const TGlyphFormat format = antiAlias_ ? TGlyphFormat::Gray8 : TGlyphFormat::Bitmap;
    const uint32_t size = rasteriser_.GlyphOutline(e.Code, format, m, scratch_);
    e.Width = m.BlackBoxX;
    e.Height = m.BlackBoxY;
    e.Pitch = (bytesPerPixel_ * e.Width + 3) & ~3;
    e.OriginX = m.OriginX;
    e.OriginY = rasteriser_.Ascent() - m.OriginY;
    e.AdvanceX = m.CellIncX;
    e.AdvanceY = m.CellIncY;
    memoryUsed_ += static_cast<uint32_t>(e.Pitch) * static_cast<uint32_t>(e.Height);
    if (size == 0 || e.Width <= 0 || e.Height <= 0) return; // no ink: the pen still moves
    e.Bitmap.assign(static_cast<size_t>(e.Pitch) * static_cast<size_t>(e.Height), 0);
    if (antiAlias_)
        ConvertGray(e, scratch_);
    else
        ConvertMono(e, scratch_);
}

void TSXFontCache::PutPixel(uint8_t* dst, uint8_t alpha) const {
    const uint32_t pixel = ComponentsToPixel(alpha, 255, 255, 255, pixelFormat_);
    for (int32_t k = 0; k < bytesPerPixel_; ++k) dst[k] = static_cast<uint8_t>(pixel >> (8 * k));
}

// Grey rows are (Width + 3) and not 3 bytes of coverage 0..64: 64 is opaque, any
// other value v gives alpha v * 4.
void TSXFontCache::ConvertGray(TSXFontCacheData& e, const std::vector<uint8_t>& src) const {
    const size_t srcPitch = (static_cast<size_t>(e.Width) + 3) & ~size_t{3};
    if (src.size() < srcPitch * static_cast<size_t>(e.Height)) return; // short bitmap: drawn empty
    for (int32_t y = 0; y < e.Height; ++y) {
        const uint8_t* s = src.data() + srcPitch * static_cast<size_t>(y);
        uint8_t* d = e.Bitmap.data() + static_cast<size_t>(e.Pitch) * static_cast<size_t>(y);
        for (int32_t x = 0; x < e.Width; ++x) {
            const uint8_t v = s[x] > 64 ? 64 : s[x];
            PutPixel(d + static_cast<size_t>(x * bytesPerPixel_),
                     v == 64 ? 255 : static_cast<uint8_t>(v * 4));
        }
    }
}

// 1-bit rows are ((Width + 7) div 8 + 3) and not 3 bytes, most significant bit first.
void TSXFontCache::ConvertMono(TSXFontCacheData& e, const std::vector<uint8_t>& src) const {
    const size_t srcPitch = ((static_cast<size_t>(e.Width) + 7) / 8 + 3) & ~size_t{3};
    if (src.size() < srcPitch * static_cast<size_t>(e.Height)) return;
    for (int32_t y = 0; y < e.Height; ++y) {
        const uint8_t* s = src.data() + srcPitch * static_cast<size_t>(y);
        uint8_t* d = e.Bitmap.data() + static_cast<size_t>(e.Pitch) * static_cast<size_t>(y);
        for (int32_t x = 0; x < e.Width; ++x) {
            const bool set = (s[x / 8] >> (7 - x % 8)) & 1;
            PutPixel(d + static_cast<size_t>(x * bytesPerPixel_), set ? 255 : 0);
        }
    }
}
