#pragma once
// The text writer: puts one line of Shift-JIS text into a texture, glyph by glyph,
// so that the scene can draw it like any other picture. Glyphs are white with their
// coverage in alpha; the colour of the text is the colour the texture is drawn with.
#include "graphics/GlyphRasteriser.h"
#include "graphics/SXFontCache.h"

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

class TDODozuz;
class TDGTexture;

class TSXTextWriter {
public:
    // pixelFormat (a D3DFORMAT number) must be the format of the textures written to;
    // cacheSize is the number of glyphs kept per cache bucket (at least 1). Without a
    // rasteriser the FreeType one is used.
    TSXTextWriter(TDODozuz& DG, uint32_t pixelFormat, int32_t cacheSize,
                  std::unique_ptr<IGlyphRasteriser> rasteriser = nullptr);
    ~TSXTextWriter();
    TSXTextWriter(const TSXTextWriter&) = delete;
    TSXTextWriter& operator=(const TSXTextWriter&) = delete;

    const TSXFont& Font() const { return font_; }
    void SetFont(const TSXFont& font) { font_ = font; }

    // Size in pixels of the text in Font: the sum of the characters' advances, and the
    // line height (ascent + descent).
    int32_t TextWidth(std::string_view sjis);
    int32_t TextHeight(std::string_view sjis);

    // Writes text into texture with the pen's top-left at (x, y) (y is the top of the
    // line, not the baseline). One line: no character breaks it. Glyph pixels replace
    // the texture's, clipped to the texture; writing stops once the pen reaches the
    // image's width.
    void TextOut(int32_t x, int32_t y, std::string_view sjis, TDGTexture& texture);

    // The same for UTF-8 text, any character the font has (a translation's "é" or "ß" has
    // no Shift-JIS code); a malformed byte is U+FFFD.
    int32_t TextWidthUtf8(std::string_view utf8);
    int32_t TextHeightUtf8(std::string_view utf8);
    void TextOutUtf8(int32_t x, int32_t y, std::string_view utf8, TDGTexture& texture);
    // The characters of UTF-8 text as the writer draws them.
    static std::vector<uint32_t> Utf8Codes(std::string_view utf8);

    TSXFontCache& FontCache() { return *cache_; }
    IGlyphRasteriser& Rasteriser() { return *rasteriser_; }
    uint32_t PixelFormat() const { return pixelFormat_; }
    TDODozuz& DG() const { return dg_; }

private:
    void WriteCodes(int32_t x, int32_t y, const std::vector<uint32_t>& codes, TDGTexture& texture);
    void CopyGlyph(const TSXFontCacheData& glyph, int64_t penX, int64_t penY, TDGTexture& texture,
                   int64_t limitX, int64_t limitY);

    TDODozuz& dg_;
    uint32_t pixelFormat_;
    int32_t bytesPerPixel_;
    std::unique_ptr<IGlyphRasteriser> rasteriser_;
    std::unique_ptr<TSXFontCache> cache_;
    TSXFont font_;
};
