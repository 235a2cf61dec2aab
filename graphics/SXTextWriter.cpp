#include "graphics/SXTextWriter.h"

#include "graphics/DGTexture.h"
#include "graphics/FreeTypeRasteriser.h"
#include "graphics/PixelFormat.h"

#include <algorithm>
#include <cstring>

TSXTextWriter::TSXTextWriter(TDODozuz& DG, uint32_t pixelFormat, int32_t cacheSize,
                             std::unique_ptr<IGlyphRasteriser> rasteriser)
    : dg_(DG), pixelFormat_(pixelFormat), bytesPerPixel_(static_cast<int32_t>(FormatBits(pixelFormat) / 8)),
      rasteriser_(rasteriser ? std::move(rasteriser) : std::make_unique<TFreeTypeRasteriser>()) {
    cache_ = std::make_unique<TSXFontCache>(*rasteriser_, pixelFormat, cacheSize);
}

TSXTextWriter::~TSXTextWriter() = default;

int32_t TSXTextWriter::TextWidth(std::string_view sjis) {
    rasteriser_->SelectFont(font_);
    return rasteriser_->TextExtent(sjis).Width;
}

int32_t TSXTextWriter::TextHeight(std::string_view sjis) {
    rasteriser_->SelectFont(font_);
    return rasteriser_->TextExtent(sjis).Height;
}

void TSXTextWriter::TextOut(int32_t x, int32_t y, std::string_view sjis, TDGTexture& texture) {
    const auto imageWidth = static_cast<int64_t>(texture.Width());
    if (x >= imageWidth || y >= static_cast<int64_t>(texture.Height())) return;
    const auto limitX = static_cast<int64_t>(texture.TextureWidth());
    const auto limitY = static_cast<int64_t>(texture.TextureHeight());
    int64_t penX = x; // wide enough for any start and any run of advances
    for (size_t i = 0; i < sjis.size();) {
        const TSXFontCacheData& glyph = cache_->GetGlyph(NextSjisCode(sjis, i), font_);
        CopyGlyph(glyph, penX, y, texture, limitX, limitY);
        penX += glyph.AdvanceX;
        if (penX >= imageWidth) break;
    }
}

std::vector<uint32_t> TSXTextWriter::Utf8Codes(std::string_view utf8) {
    std::vector<uint32_t> codes;
    codes.reserve(utf8.size());
    for (size_t i = 0; i < utf8.size();) codes.push_back(NextUtf8Code(utf8, i));
    return codes;
}

int32_t TSXTextWriter::TextWidthUtf8(std::string_view utf8) {
    rasteriser_->SelectFont(font_);
    return rasteriser_->CodesExtent(Utf8Codes(utf8)).Width;
}

int32_t TSXTextWriter::TextHeightUtf8(std::string_view) {
    rasteriser_->SelectFont(font_);
    return rasteriser_->CodesExtent({}).Height;
}

void TSXTextWriter::TextOutUtf8(int32_t x, int32_t y, std::string_view utf8, TDGTexture& texture) {
    WriteCodes(x, y, Utf8Codes(utf8), texture);
}

// The UTF-8 twin of TextOut's loop: the same clipping and the same stop at the width.
void TSXTextWriter::WriteCodes(int32_t x, int32_t y, const std::vector<uint32_t>& codes,
                               TDGTexture& texture) {
    const auto imageWidth = static_cast<int64_t>(texture.Width());
    if (x >= imageWidth || y >= static_cast<int64_t>(texture.Height())) return;
    const auto limitX = static_cast<int64_t>(texture.TextureWidth());
    const auto limitY = static_cast<int64_t>(texture.TextureHeight());
    int64_t penX = x;
    for (uint32_t code : codes) {
        const TSXFontCacheData& glyph = cache_->GetGlyph(code, font_);
        CopyGlyph(glyph, penX, y, texture, limitX, limitY);
        penX += glyph.AdvanceX;
        if (penX >= imageWidth) break;
    }
}

// Copies the visible part of a glyph's ink box into the texture; glyph pixels replace
// the texture's, the clear ones inside the box included.
void TSXTextWriter::CopyGlyph(const TSXFontCacheData& glyph, int64_t penX, int64_t penY, TDGTexture& texture,
                              int64_t limitX, int64_t limitY) {
    int64_t left = penX + glyph.OriginX, top = penY + glyph.OriginY;
    int64_t width = glyph.Width, height = glyph.Height;
    if (left >= limitX || left + width <= 0 || top >= limitY || top + height <= 0) return;
    int64_t srcX = 0, srcY = 0;
    if (left < 0) {
        srcX = -left;
        width -= srcX;
        left = 0;
    }
    if (top < 0) {
        srcY = -top;
        height -= srcY;
        top = 0;
    }
    if (left + width > limitX) width = limitX - left;
    if (top + height > limitY) height = limitY - top;
    if (width <= 0 || height <= 0 || glyph.Bitmap.empty()) return;
    D3DLOCKED_RECT locked;
    const TRect box = Rect(int32_t(left), int32_t(top), int32_t(left + width), int32_t(top + height));
    if (texture.LockRect(0, box, 0, locked) != D3D_OK) return;
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    // A texture of another format is misread, never overrun: at most its own row is copied.
    const int32_t bytes = std::min(bytesPerPixel_, static_cast<int32_t>(texture.BytesPerPixel()));
    const size_t rowBytes = static_cast<size_t>(width) * static_cast<size_t>(bytes);
    for (int64_t r = 0; r < height; ++r) {
        const uint8_t* src = glyph.Bitmap.data() +
                             static_cast<size_t>(srcY + r) * static_cast<size_t>(glyph.Pitch) +
                             static_cast<size_t>(srcX) * static_cast<size_t>(bytesPerPixel_);
        std::memcpy(bits + static_cast<ptrdiff_t>(r) * locked.Pitch, src, rowBytes);
    }
    texture.UnlockRect();
}
