#pragma once
// The glyph rasteriser on FreeType, with fonts matched by Fontconfig. A family that
// is not installed ("MS UI Gothic") falls back to what Fontconfig offers for it; for
// the Shift-JIS character set the match is asked to cover Japanese. Bold and italic
// are synthesised (a one-pixel horizontal embolden that also widens the advance by a
// pixel, an oblique shear) when the matched face has no such style of its own.
#include "graphics/GlyphRasteriser.h"

#include <map>
#include <memory>
#include <string>
#include <tuple>
#include <unordered_map>

struct FT_LibraryRec_;
struct FT_FaceRec_;

class TFreeTypeRasteriser : public IGlyphRasteriser {
public:
    // Raises Exception when FreeType or Fontconfig cannot start.
    TFreeTypeRasteriser();
    ~TFreeTypeRasteriser() override;
    TFreeTypeRasteriser(const TFreeTypeRasteriser&) = delete;
    TFreeTypeRasteriser& operator=(const TFreeTypeRasteriser&) = delete;

    // Raises Exception when no installed font can stand for the requested one.
    void SelectFont(const TSXFont& font) override;
    int32_t Ascent() override;
    int32_t Descent() override;
    uint32_t GlyphOutline(uint32_t code, TGlyphFormat format, TGlyphMetrics& metrics,
                          std::vector<uint8_t>& bitmap) override;
    TTextExtent TextExtent(std::string_view sjis) override;
    TTextExtent CodesExtent(const std::vector<uint32_t>& codes) override;
    // Whether the selected font has a glyph of its own for the character (else a box or
    // nothing stands for it).
    bool HasGlyph(uint32_t code);

    // What the selected font resolved to (for logs and tests).
    const std::string& FontFile() const;
    bool SynthesisedBold() const;
    bool SynthesisedItalic() const;
    // How many faces were opened so far (one per distinct font).
    size_t FacesLoaded() const { return fonts_.size(); }

private:
    struct LoadedFont;
    using FontKey = std::tuple<std::string, int32_t, uint8_t, uint8_t>;

    LoadedFont& Current();
    std::unique_ptr<LoadedFont> LoadFont(const TSXFont& font);
    bool LoadGlyph(LoadedFont& f, uint32_t code);
    int32_t Advance(LoadedFont& f, uint32_t code);

    FT_LibraryRec_* library_ = nullptr;
    void* fcConfig_ = nullptr;
    std::map<FontKey, std::unique_ptr<LoadedFont>> fonts_;
    LoadedFont* current_ = nullptr;
};

// Unicode code point of a Shift-JIS character code (see NextSjisCode), or of a code
// marked with UnicodeCodeFlag; '?' when the code has no counterpart.
uint32_t SjisCodeToUnicode(uint32_t code);
