#include "graphics/FreeTypeRasteriser.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Sjis.h"
#include "base/Translate.h"

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <cmath>
#include <cstring>

namespace {

// Character height used for a font height of 0.
constexpr int32_t kDefaultCharHeight = 16;
// The oblique shear of a synthesised italic: x += 0.2126 * y (16.16 fixed point).
constexpr FT_Fixed kObliqueShear = 0x0366A;

FcConfig* Config(void* p) {
    return static_cast<FcConfig*>(p);
}

int32_t Round26_6(FT_Pos v) {
    return static_cast<int32_t>((v + 32) >> 6);
}

// Decodes the first code point of a UTF-8 string.
uint32_t FirstCodePoint(const std::string& s) {
    if (s.empty()) return '?';
    const auto b0 = static_cast<unsigned char>(s[0]);
    auto cont = [&](size_t i) { return i < s.size() ? static_cast<unsigned char>(s[i]) & 0x3Fu : 0u; };
    if (b0 < 0x80) return b0;
    if (b0 < 0xE0) return ((b0 & 0x1Fu) << 6) | cont(1);
    if (b0 < 0xF0) return ((b0 & 0x0Fu) << 12) | (cont(1) << 6) | cont(2);
    return ((b0 & 0x07u) << 18) | (cont(1) << 12) | (cont(2) << 6) | cont(3);
}

struct FontMatch {
    std::string file;
    int index = 0;
};

FontMatch MatchFont(FcConfig* config, const TSXFont& font) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(font.Name.c_str()));
    if (font.Charset == SHIFTJIS_CHARSET)
        FcPatternAddString(pattern, FC_LANG, reinterpret_cast<const FcChar8*>("ja"));
    FcPatternAddInteger(pattern, FC_WEIGHT, (font.Style & fsBold) ? FC_WEIGHT_BOLD : FC_WEIGHT_REGULAR);
    FcPatternAddInteger(pattern, FC_SLANT, (font.Style & fsItalic) ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcPatternAddBool(pattern, FC_SCALABLE, FcTrue);
    FcConfigSubstitute(config, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(config, pattern, &result);
    FcPatternDestroy(pattern);
    FontMatch m;
    if (!match) return m;
    FcChar8* file = nullptr;
    if (FcPatternGetString(match, FC_FILE, 0, &file) == FcResultMatch && file)
        m.file = reinterpret_cast<const char*>(file);
    FcPatternGetInteger(match, FC_INDEX, 0, &m.index);
    FcPatternDestroy(match);
    return m;
}

// Packs FreeType's bitmap into rows padded to 4 bytes: grey coverage 0..255 becomes
// 0..64, a mono bitmap is copied bit for bit.
uint32_t PackBitmap(const FT_Bitmap& src, TGlyphFormat format, std::vector<uint8_t>& out) {
    const uint32_t w = src.width, h = src.rows;
    const uint32_t rowBytes = format == TGlyphFormat::Gray8 ? w : (w + 7) / 8;
    const uint32_t pitch = (rowBytes + 3) & ~3u;
    out.assign(static_cast<size_t>(pitch) * h, 0);
    for (uint32_t y = 0; y < h; ++y) {
        const unsigned char* row = src.buffer + static_cast<ptrdiff_t>(y) * src.pitch;
        uint8_t* dst = out.data() + static_cast<size_t>(y) * pitch;
        if (format == TGlyphFormat::Gray8) {
            for (uint32_t x = 0; x < w; ++x) dst[x] = static_cast<uint8_t>((row[x] * 64u + 127u) / 255u);
        } else {
            std::memcpy(dst, row, rowBytes);
        }
    }
    return static_cast<uint32_t>(out.size());
}

// The line's ascent and descent in font units. The typographic values come first:
// for Japanese Gothic faces they split the em box (a 21-pixel character height gives
// a 21-pixel line, as the game's layout expects), where the "win" values of the same
// faces add a quarter em of leading below. The win values and then the horizontal
// header stand in for faces without them.
struct LineUnits {
    double ascent = 0, descent = 0;
};
LineUnits LineMetrics(FT_Face face) {
    const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(face, FT_SFNT_OS2));
    if (os2 && os2->version != 0xFFFF && os2->sTypoAscender > 0 &&
        os2->sTypoAscender - os2->sTypoDescender > 0)
        return {double(os2->sTypoAscender), -double(os2->sTypoDescender)};
    if (os2 && os2->version != 0xFFFF && os2->usWinAscent + os2->usWinDescent > 0)
        return {double(os2->usWinAscent), double(os2->usWinDescent)};
    if (face->ascender - face->descender > 0) return {double(face->ascender), -double(face->descender)};
    return {double(face->units_per_EM) * 0.8, double(face->units_per_EM) * 0.2};
}

} // namespace

struct TFreeTypeRasteriser::LoadedFont {
    FT_Face face = nullptr;
    std::string file;
    bool synthBold = false;
    bool synthItalic = false;
    int32_t ascent = 0;
    int32_t descent = 0;
    std::unordered_map<uint32_t, int32_t> advances; // by Shift-JIS code
    ~LoadedFont() {
        if (face) FT_Done_Face(face);
    }
};

uint32_t SjisCodeToUnicode(uint32_t code) {
    if (code & UnicodeCodeFlag) return code & ~UnicodeCodeFlag;
    char bytes[2];
    size_t n = 0;
    if (code > 0xFF) bytes[n++] = static_cast<char>((code >> 8) & 0xFF);
    bytes[n++] = static_cast<char>(code & 0xFF);
    return FirstCodePoint(SjisToUtf8(std::string_view(bytes, n)));
}

TFreeTypeRasteriser::TFreeTypeRasteriser() {
    FT_Library lib = nullptr;
    if (FT_Init_FreeType(&lib) != 0) throw Exception(Tr("FreeTypeを初期化できません"));
    library_ = lib;
    fcConfig_ = FcInitLoadConfigAndFonts();
    if (!fcConfig_) {
        FT_Done_FreeType(library_);
        throw Exception(Tr("Fontconfigを初期化できません"));
    }
}

TFreeTypeRasteriser::~TFreeTypeRasteriser() {
    current_ = nullptr;
    fonts_.clear();
    FcConfigDestroy(Config(fcConfig_));
    FT_Done_FreeType(library_);
}

std::unique_ptr<TFreeTypeRasteriser::LoadedFont> TFreeTypeRasteriser::LoadFont(const TSXFont& font) {
    const FontMatch m = MatchFont(Config(fcConfig_), font);
    auto f = std::make_unique<LoadedFont>();
    if (m.file.empty() || FT_New_Face(library_, m.file.c_str(), m.index, &f->face) != 0)
        throw Exception(Format(Tr("フォント %s に使える書体が見つかりません"), font.Name.c_str()));
    f->file = m.file;
    FT_Face face = f->face;
    // Fontconfig reports the requested style for a face it would embolden or slant
    // itself, so ask the face what it really is.
    f->synthBold = (font.Style & fsBold) && !(face->style_flags & FT_STYLE_FLAG_BOLD);
    f->synthItalic = (font.Style & fsItalic) && !(face->style_flags & FT_STYLE_FLAG_ITALIC);
    const LineUnits line = LineMetrics(face);
    double emPixels = kDefaultCharHeight;
    if (font.Height < 0) emPixels = -double(font.Height);
    if (font.Height > 0) emPixels = font.Height * double(face->units_per_EM) / (line.ascent + line.descent);
    const auto emPixels26_6 = static_cast<FT_F26Dot6>(std::lround(emPixels * 64));
    if (FT_Set_Char_Size(face, 0, emPixels26_6 < 64 ? 64 : emPixels26_6, 72, 72) != 0)
        throw Exception(Format(Tr("フォント %s の大きさを設定できません"), font.Name.c_str()));
    const FT_Fixed yScale = face->size->metrics.y_scale;
    f->ascent = Round26_6(FT_MulFix(FT_Long(line.ascent), yScale));
    f->descent = Round26_6(FT_MulFix(FT_Long(line.descent), yScale));
    return f;
}

void TFreeTypeRasteriser::SelectFont(const TSXFont& font) {
    FontKey key{font.Name, font.Height, font.Style, font.Charset};
    auto it = fonts_.find(key);
    if (it == fonts_.end()) it = fonts_.emplace(std::move(key), LoadFont(font)).first;
    current_ = it->second.get();
}

TFreeTypeRasteriser::LoadedFont& TFreeTypeRasteriser::Current() {
    if (!current_) SelectFont(TSXFont{});
    return *current_;
}

int32_t TFreeTypeRasteriser::Ascent() {
    return Current().ascent;
}
int32_t TFreeTypeRasteriser::Descent() {
    return Current().descent;
}
const std::string& TFreeTypeRasteriser::FontFile() const {
    static const std::string none;
    return current_ ? current_->file : none;
}
bool TFreeTypeRasteriser::SynthesisedBold() const {
    return current_ && current_->synthBold;
}
bool TFreeTypeRasteriser::SynthesisedItalic() const {
    return current_ && current_->synthItalic;
}

// Loads the character's outline, hinted for grey rendering (the advance is the same
// whichever bitmap is made later), and records its advance.
bool TFreeTypeRasteriser::LoadGlyph(LoadedFont& f, uint32_t code) {
    const FT_UInt index = FT_Get_Char_Index(f.face, SjisCodeToUnicode(code));
    if (FT_Load_Glyph(f.face, index, FT_LOAD_NO_BITMAP | FT_LOAD_TARGET_NORMAL) != 0) {
        f.advances[code] = 0;
        return false;
    }
    f.advances[code] = Round26_6(f.face->glyph->advance.x) + (f.synthBold ? 1 : 0);
    return true;
}

int32_t TFreeTypeRasteriser::Advance(LoadedFont& f, uint32_t code) {
    const auto it = f.advances.find(code);
    if (it != f.advances.end()) return it->second;
    LoadGlyph(f, code);
    return f.advances[code];
}

uint32_t TFreeTypeRasteriser::GlyphOutline(uint32_t code, TGlyphFormat format, TGlyphMetrics& metrics,
                                           std::vector<uint8_t>& bitmap) {
    LoadedFont& f = Current();
    metrics = TGlyphMetrics{};
    bitmap.clear();
    if (!LoadGlyph(f, code)) return 0;
    metrics.CellIncX = f.advances[code];
    FT_GlyphSlot slot = f.face->glyph;
    if (slot->format == FT_GLYPH_FORMAT_OUTLINE) {
        if (f.synthItalic) {
            FT_Matrix shear{0x10000, kObliqueShear, 0, 0x10000};
            FT_Outline_Transform(&slot->outline, &shear);
        }
        if (f.synthBold) FT_Outline_EmboldenXY(&slot->outline, 64, 0);
    }
    const FT_Render_Mode mode = format == TGlyphFormat::Gray8 ? FT_RENDER_MODE_NORMAL : FT_RENDER_MODE_MONO;
    if (FT_Render_Glyph(slot, mode) != 0 || slot->bitmap.width == 0 || slot->bitmap.rows == 0) return 0;
    metrics.BlackBoxX = static_cast<int32_t>(slot->bitmap.width);
    metrics.BlackBoxY = static_cast<int32_t>(slot->bitmap.rows);
    metrics.OriginX = slot->bitmap_left;
    metrics.OriginY = slot->bitmap_top;
    return PackBitmap(slot->bitmap, format, bitmap);
}

TTextExtent TFreeTypeRasteriser::TextExtent(std::string_view sjis) {
    LoadedFont& f = Current();
    TTextExtent e;
    e.Height = f.ascent + f.descent;
    for (size_t i = 0; i < sjis.size();) e.Width += Advance(f, NextSjisCode(sjis, i));
    return e;
}

TTextExtent TFreeTypeRasteriser::CodesExtent(const std::vector<uint32_t>& codes) {
    LoadedFont& f = Current();
    TTextExtent e;
    e.Height = f.ascent + f.descent;
    for (uint32_t code : codes) e.Width += Advance(f, code);
    return e;
}

bool TFreeTypeRasteriser::HasGlyph(uint32_t code) {
    return FT_Get_Char_Index(Current().face, SjisCodeToUnicode(code)) != 0;
}
