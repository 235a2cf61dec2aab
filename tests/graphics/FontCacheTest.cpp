#include "base/Exception.h"
#include "graphics/FreeTypeRasteriser.h"
#include "graphics/SXFontCache.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

// The real rasteriser, counting how many glyphs the cache asked it to render.
class CountingRasteriser : public IGlyphRasteriser {
public:
    void SelectFont(const TSXFont& font) override { real.SelectFont(font); }
    int32_t Ascent() override { return real.Ascent(); }
    int32_t Descent() override { return real.Descent(); }
    uint32_t GlyphOutline(uint32_t code, TGlyphFormat format, TGlyphMetrics& m,
                          std::vector<uint8_t>& bmp) override {
        ++renders;
        return real.GlyphOutline(code, format, m, bmp);
    }
    TTextExtent TextExtent(std::string_view sjis) override { return real.TextExtent(sjis); }

    TFreeTypeRasteriser real;
    int renders = 0;
};

constexpr uint32_t kA8R8G8B8 = 21;
constexpr uint32_t kA4R4G4B4 = 26;

TSXFont Font(uint8_t style = fsBold | fsItalic) {
    TSXFont f;
    f.Name = "MS UI Gothic";
    f.Height = -21;
    f.Style = style;
    f.Charset = SHIFTJIS_CHARSET;
    return f;
}

// The k-th double-byte code whose low byte is $41 (bucket $41): $8141, $8241, ...
uint32_t SameBucket(int k) {
    return 0x8141u + 0x100u * static_cast<uint32_t>(k);
}

bool Cached(const TSXFontCache& c, uint32_t code) {
    const int b = static_cast<int>(code & 0xFF);
    for (int p = 0; p < c.BucketCount(b); ++p)
        if (c.Entry(b, p).Code == code) return true;
    return false;
}

} // namespace

TEST(FontCache, SeventeenthCodeInABucketEvictsTheLeastRecentlyUsed) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    for (int k = 0; k < 16; ++k) cache.GetGlyph(SameBucket(k), Font());
    EXPECT_EQ(cache.BucketCount(0x41), 16);
    cache.GetGlyph(SameBucket(0), Font()); // refresh the oldest: now code 1 is the least recent
    EXPECT_EQ(cache.Hits(), 1u);
    cache.GetGlyph(SameBucket(16), Font());
    EXPECT_EQ(cache.BucketCount(0x41), 16);
    EXPECT_EQ(cache.EntryCount(), 16u);
    EXPECT_EQ(cache.Entry(0x41, 0).Code, SameBucket(16));
    EXPECT_EQ(cache.Entry(0x41, 1).Code, SameBucket(0));
    EXPECT_FALSE(Cached(cache, SameBucket(1)));
    EXPECT_TRUE(Cached(cache, SameBucket(2)));
    EXPECT_EQ(r.renders, 17);
    EXPECT_EQ(cache.Misses(), 17u);
    // Other buckets are untouched.
    EXPECT_EQ(cache.BucketCount(0x42), 0);
}

TEST(FontCache, HitMovesTheEntryToTheFrontWithoutRendering) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    for (int k = 0; k < 4; ++k) cache.GetGlyph(SameBucket(k), Font());
    // Most recent first: 3 2 1 0.
    const TSXFontCacheData& e = cache.GetGlyph(SameBucket(1), Font());
    EXPECT_EQ(e.Code, SameBucket(1));
    EXPECT_EQ(r.renders, 4);
    const uint32_t order[] = {SameBucket(1), SameBucket(3), SameBucket(2), SameBucket(0)};
    for (int p = 0; p < 4; ++p) EXPECT_EQ(cache.Entry(0x41, p).Code, order[p]) << p;
    EXPECT_EQ(cache.Hits(), 1u);
    EXPECT_EQ(cache.Misses(), 4u);
}

TEST(FontCache, KeyIsCodeNameHeightAndStyleButNotCharset) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    const int32_t boldAdvance = cache.GetGlyph('A', Font(fsBold)).AdvanceX;
    const int32_t plainAdvance = cache.GetGlyph('A', Font(0)).AdvanceX;
    EXPECT_EQ(cache.EntryCount(), 2u);
    EXPECT_EQ(boldAdvance, plainAdvance + 1);
    TSXFont other = Font(fsBold);
    other.Charset = DEFAULT_CHARSET;
    cache.GetGlyph('A', other);
    EXPECT_EQ(cache.Hits(), 1u);
    TSXFont taller = Font(fsBold);
    taller.Height = -30;
    cache.GetGlyph('A', taller);
    TSXFont lower = Font(fsBold);
    lower.Name = "ms ui gothic"; // names compare case-sensitively
    cache.GetGlyph('A', lower);
    EXPECT_EQ(cache.EntryCount(), 4u);
    EXPECT_EQ(r.renders, 4);
}

TEST(FontCache, GreyGlyphBecomesWhiteWithCoverageInAlpha) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    const TSXFontCacheData& e = cache.GetGlyph(0x82A0, Font(0)); // あ
    ASSERT_GT(e.Width, 0);
    EXPECT_EQ(e.Pitch, 4 * e.Width);
    ASSERT_EQ(e.Bitmap.size(), static_cast<size_t>(e.Pitch * e.Height));
    bool opaque = false, partial = false;
    for (size_t i = 0; i < e.Bitmap.size(); i += 4) {
        EXPECT_EQ(e.Bitmap[i], 0xFF); // blue, green, red of white
        EXPECT_EQ(e.Bitmap[i + 2], 0xFF);
        const uint8_t a = e.Bitmap[i + 3];
        opaque = opaque || a == 0xFF;
        partial = partial || (a > 0 && a < 0xFF);
        EXPECT_TRUE(a == 0xFF || a % 4 == 0) << int(a); // 64 -> 255, v -> v * 4
    }
    EXPECT_TRUE(opaque);
    EXPECT_TRUE(partial);
    // The origin is kept from the top of the line: ascent minus the height above the baseline.
    TGlyphMetrics m;
    std::vector<uint8_t> bmp;
    r.real.GlyphOutline(0x82A0, TGlyphFormat::Gray8, m, bmp);
    EXPECT_EQ(e.OriginY, r.Ascent() - m.OriginY);
    EXPECT_EQ(e.OriginX, m.OriginX);
    EXPECT_EQ(e.Width, m.BlackBoxX);
    EXPECT_EQ(cache.MemoryUsed(), static_cast<uint32_t>(e.Pitch * e.Height));
}

TEST(FontCache, OneBitGlyphsAreOpaqueOrClearAndSixteenBitRowsPadToFour) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA4R4G4B4, 16);
    cache.SetAntiAlias(false);
    const TSXFontCacheData& e = cache.GetGlyph('W', Font(0));
    ASSERT_GT(e.Width, 0);
    EXPECT_EQ(e.Pitch, (2 * e.Width + 3) & ~3);
    bool any = false;
    for (int32_t y = 0; y < e.Height; ++y)
        for (int32_t x = 0; x < e.Width; ++x) {
            const uint16_t p =
                static_cast<uint16_t>(e.Bitmap[y * e.Pitch + 2 * x] | e.Bitmap[y * e.Pitch + 2 * x + 1] << 8);
            EXPECT_TRUE(p == 0xFFFF || p == 0x0FFF) << std::hex << p;
            any = any || p == 0xFFFF;
        }
    EXPECT_TRUE(any);
}

TEST(FontCache, SpaceIsCachedWithoutBitmap) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    const TSXFontCacheData& e = cache.GetGlyph(' ', Font());
    EXPECT_TRUE(e.Bitmap.empty());
    EXPECT_GT(e.AdvanceX, 0);
    EXPECT_EQ(cache.MemoryUsed(), 0u);
    cache.GetGlyph(' ', Font());
    EXPECT_EQ(r.renders, 1);
}

TEST(FontCache, SetCacheSizeEmptiesAndZeroesStatistics) {
    CountingRasteriser r;
    TSXFontCache cache(r, kA8R8G8B8, 16);
    cache.GetGlyph('A', Font());
    cache.GetGlyph('A', Font());
    cache.SetCacheSize(2);
    EXPECT_EQ(cache.Capacity(), 2);
    EXPECT_EQ(cache.Hits() + cache.Misses() + cache.MemoryUsed() + cache.EntryCount(), 0u);
    for (int k = 0; k < 3; ++k) cache.GetGlyph(SameBucket(k), Font());
    EXPECT_EQ(cache.BucketCount(0x41), 2);
    EXPECT_FALSE(Cached(cache, SameBucket(0)));
    // Memory follows the entries that are kept, not every glyph ever rendered.
    uint32_t kept = 0;
    for (int p = 0; p < 2; ++p) kept += static_cast<uint32_t>(cache.Entry(0x41, p).Bitmap.size());
    EXPECT_EQ(cache.MemoryUsed(), kept);
    cache.Clear();
    EXPECT_EQ(cache.BucketCount(0x41), 0);
    EXPECT_EQ(cache.MemoryUsed(), 0u);
    cache.GetGlyph('A', Font()); // still usable after Clear
    EXPECT_EQ(cache.EntryCount(), 1u);
    EXPECT_THROW(cache.SetCacheSize(0), Exception);
    EXPECT_THROW(TSXFontCache(r, kA8R8G8B8, -1), Exception);
}
