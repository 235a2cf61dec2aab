#pragma once
// The glyph rasteriser behind the text writer: it matches a font, renders one
// character into a coverage bitmap with its metrics, and measures a line of text.
// Metrics mean what the writer needs to place an ink box on a line:
//   BlackBoxX/Y  size of the ink box in pixels (0 x 0 for a character without ink)
//   OriginX      pen position to the ink box's left edge
//   OriginY      baseline to the ink box's top edge, upwards positive
//   CellIncX/Y   pen movement after the character
// Ascent is the font's cell ascent above the baseline; a line is Ascent + Descent high.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Font style bits (one byte in the glyph cache key).
enum TSXFontStyle : uint8_t {
    fsBold = 1,
    fsItalic = 2,
    fsUnderline = 4,
    fsStrikeOut = 8,
};

constexpr uint8_t ANSI_CHARSET = 0;
constexpr uint8_t DEFAULT_CHARSET = 1;
constexpr uint8_t SHIFTJIS_CHARSET = 128;

// The font a writer draws with. Height follows the window system's font height:
// negative is the character (em) height in pixels, positive the cell height
// (ascent + descent) in pixels, 0 a default character height of 16 pixels. The game's
// window font is Height -21: 21-pixel characters on 21-pixel lines (ascent 18,
// descent 3 with the Japanese Gothic faces), so that its status panel keeps its layout.
// Underline and strike-out are part of the key only: glyph bitmaps never carry
// those lines, as single glyph outlines never do.
struct TSXFont {
    std::string Name = "MS UI Gothic"; // UTF-8
    int32_t Height = -12;
    uint8_t Style = 0; // TSXFontStyle bits
    uint8_t Charset = DEFAULT_CHARSET;
    bool operator==(const TSXFont&) const = default;
};

struct TGlyphMetrics {
    int32_t BlackBoxX = 0, BlackBoxY = 0;
    int32_t OriginX = 0, OriginY = 0;
    int32_t CellIncX = 0, CellIncY = 0;
};

enum class TGlyphFormat {
    Gray8,  // one byte per pixel, coverage 0..64, rows padded to 4 bytes
    Bitmap, // one bit per pixel, most significant bit first, rows padded to 4 bytes
};

struct TTextExtent {
    int32_t Width = 0, Height = 0;
};

class IGlyphRasteriser {
public:
    virtual ~IGlyphRasteriser() = default;
    // Makes font the one the other calls use; a font's face is loaded once and kept.
    virtual void SelectFont(const TSXFont& font) = 0;
    virtual int32_t Ascent() = 0;
    virtual int32_t Descent() = 0;
    // Renders the character (a single-byte code, or lead * 256 + trail of a double-byte
    // Shift-JIS character, or a code point marked with UnicodeCodeFlag) into bitmap and fills metrics.
    // Returns the bitmap's size in bytes; 0 (and an empty bitmap) when the character has no ink or cannot be
    // rendered.
    virtual uint32_t GlyphOutline(uint32_t code, TGlyphFormat format, TGlyphMetrics& metrics,
                                  std::vector<uint8_t>& bitmap) = 0;
    // Width (the sum of the characters' advances, as the writer moves its pen) and
    // height (Ascent + Descent) of one line of Shift-JIS text.
    virtual TTextExtent TextExtent(std::string_view sjis) = 0;
    // The same for character codes as NextUtf8Code reads them. This one renders every
    // character for its advance; a rasteriser that knows advances without rendering says so.
    virtual TTextExtent CodesExtent(const std::vector<uint32_t>& codes) {
        TTextExtent e;
        e.Height = Ascent() + Descent();
        TGlyphMetrics metrics;
        std::vector<uint8_t> bitmap;
        for (uint32_t code : codes) {
            GlyphOutline(code, TGlyphFormat::Gray8, metrics, bitmap);
            e.Width += metrics.CellIncX;
        }
        return e;
    }
};

// A character of UTF-8 text is its Unicode code point with this bit set: it never meets
// a Shift-JIS code of the same number in a cache or in a table of advances.
inline constexpr uint32_t UnicodeCodeFlag = 0x80000000u;

// Reads the character at text[i] of UTF-8 text and moves i past it; a byte that does not
// start a well-formed character is U+FFFD on its own (the text is never read past its end).
inline uint32_t NextUtf8Code(std::string_view text, size_t& i) {
    const auto lead = static_cast<unsigned char>(text[i++]);
    if (lead < 0x80) return UnicodeCodeFlag | lead;
    const int more = lead >= 0xF0 && lead <= 0xF4  ? 3
                     : lead >= 0xE0                ? 2
                     : lead >= 0xC2 && lead < 0xE0 ? 1
                                                   : -1;
    if (more < 0 || (lead >= 0xF0 && more != 3)) return UnicodeCodeFlag | 0xFFFD;
    uint32_t cp = lead & (0x3Fu >> more);
    for (int k = 0; k < more; ++k) {
        if (i >= text.size() || (static_cast<unsigned char>(text[i]) & 0xC0) != 0x80)
            return UnicodeCodeFlag | 0xFFFD;
        cp = (cp << 6) | (static_cast<unsigned char>(text[i++]) & 0x3F);
    }
    const uint32_t least = more == 1 ? 0x80 : more == 2 ? 0x800 : 0x10000;
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return UnicodeCodeFlag | 0xFFFD;
    return UnicodeCodeFlag | cp;
}

// Reads the character code at text[i] and moves i past it: a byte below $81, a
// half-width katakana byte ($A0-$DF) or the string's last byte is a character on its
// own; any other byte leads a two-byte character, code = lead * 256 + trail.
inline uint32_t NextSjisCode(std::string_view text, size_t& i) {
    const auto ch = static_cast<unsigned char>(text[i]);
    if (ch < 0x81 || (ch >= 0xA0 && ch <= 0xDF) || i + 1 >= text.size()) {
        i += 1;
        return ch;
    }
    const auto trail = static_cast<unsigned char>(text[i + 1]);
    i += 2;
    return ch * 256u + trail;
}
