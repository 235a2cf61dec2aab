#pragma once
// The text writer's glyph cache: 256 buckets chosen by the low byte of the character
// code, each holding up to Capacity glyphs with the most recently used first. A glyph
// is keyed by (code, font name, font height, font style); the character set is not
// part of the key. Glyph pixels are white in the writer's pixel format with the
// coverage in alpha.
#include "graphics/GlyphRasteriser.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TSXFontCacheData {
    std::vector<uint8_t> Bitmap; // Pitch * Height bytes, rows top to bottom; empty without ink
    uint32_t Code = 0;
    std::string FontName;
    int32_t FontHeight = 0;
    uint8_t FontStyle = 0;
    int32_t Width = 0, Height = 0; // ink box
    int32_t Pitch = 0;             // (bytes per pixel * Width + 3) and not 3
    int32_t OriginX = 0;           // ink box left, from the pen
    int32_t OriginY = 0;           // ink box top, from the top of the line (ascent - origin height)
    int32_t AdvanceX = 0, AdvanceY = 0;
};

class TSXFontCache {
public:
    static constexpr int kBuckets = 256;

    // pixelFormat is a D3DFORMAT number; capacity must be at least 1 (Exception otherwise).
    TSXFontCache(IGlyphRasteriser& rasteriser, uint32_t pixelFormat, int32_t capacity);

    // The glyph for code in font, rendered on a miss. The reference stays valid until
    // the next GetGlyph, SetCacheSize or Clear.
    const TSXFontCacheData& GetGlyph(uint32_t code, const TSXFont& font);
    // Empties the cache, zeroes the statistics and gives every bucket capacity slots.
    void SetCacheSize(int32_t capacity);
    // Frees every cached glyph; the capacity and the hit and miss counts stay.
    void Clear();

    int32_t Capacity() const { return capacity_; }
    bool AntiAlias() const { return antiAlias_; }
    // Applies to glyphs rendered from now on; cached glyphs keep their form.
    void SetAntiAlias(bool value) { antiAlias_ = value; }
    uint32_t PixelFormat() const { return pixelFormat_; }

    uint32_t Hits() const { return hits_; }
    uint32_t Misses() const { return misses_; }
    uint32_t MemoryUsed() const { return memoryUsed_; }
    uint32_t EntryCount() const { return entryCount_; }
    int32_t BucketCount(int bucket) const { return counts_[bucket]; }
    // Entry at position pos (0 = most recently used) of a bucket; pos < BucketCount.
    const TSXFontCacheData& Entry(int bucket, int pos) const { return buckets_[bucket][pos]; }

private:
    void Render(TSXFontCacheData& entry);
    void ConvertGray(TSXFontCacheData& entry, const std::vector<uint8_t>& src) const;
    void ConvertMono(TSXFontCacheData& entry, const std::vector<uint8_t>& src) const;
    void PutPixel(uint8_t* dst, uint8_t alpha) const;

    IGlyphRasteriser& rasteriser_;
    uint32_t pixelFormat_;
    int32_t bytesPerPixel_;
    int32_t capacity_ = 0;
    bool antiAlias_ = true;
    std::array<int32_t, kBuckets> counts_{};
    std::array<std::vector<TSXFontCacheData>, kBuckets> buckets_;
    uint32_t hits_ = 0, misses_ = 0, memoryUsed_ = 0, entryCount_ = 0;
    std::vector<uint8_t> scratch_; // the rasteriser's bitmap, reused from glyph to glyph
};
