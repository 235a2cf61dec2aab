// Any bytes as Shift-JIS text and as UTF-8 text, written at any pen position into textures of any
// small size, in either glyph form and into a texture whose format may differ from
// the writer's: every clipping path of TextOut and every code the rasteriser meets.
// Input: x, y (int16 little-endian), texture width and height (1..64), a flags byte
// (style bits 0-3, bit 4 one-bit glyphs, bit 5 a 16-bit texture), then the text.
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"
#include "graphics/SXTextWriter.h"
#include "graphics/device/SoftwareDevice.h"

#include <cstdint>
#include <memory>
#include <string_view>

namespace {
struct World {
    World() : owner(64, 64) {
        dg = std::make_unique<TDODozuz>(owner);
        dg->SetDebugOption(dgoHaltOnError); // a lock the writer gets wrong ends the run
        dg->Loaded();
        writer = std::make_unique<TSXTextWriter>(*dg, D3DFMT_A8R8G8B8, 16);
    }
    THeadlessOwner owner;
    std::unique_ptr<TDODozuz> dg;
    std::unique_ptr<TSXTextWriter> writer;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    if (size < 7) return 0;
    const auto x = static_cast<int16_t>(data[0] | data[1] << 8);
    const auto y = static_cast<int16_t>(data[2] | data[3] << 8);
    const uint32_t w = 1u + data[4] % 64, h = 1u + data[5] % 64;
    const uint8_t flags = data[6];
    TSXFont font;
    font.Name = "MS UI Gothic";
    font.Height = -21;
    font.Style = flags & 0x0F;
    font.Charset = SHIFTJIS_CHARSET;
    world.writer->SetFont(font);
    world.writer->FontCache().SetAntiAlias((flags & 0x10) == 0);
    const D3DFORMAT format = (flags & 0x20) ? D3DFMT_A4R4G4B4 : D3DFMT_A8R8G8B8;
    TDGTexture texture(*world.dg, {format}, 0, D3DPOOL_MANAGED, 0, "fuzz");
    texture.SetSize(w, h);
    const std::string_view text(reinterpret_cast<const char*>(data + 7), size - 7);
    world.writer->TextOut(x, y, text, texture);
    world.writer->TextWidth(text);
    // The same bytes as UTF-8: malformed and cut-off characters included.
    world.writer->TextOutUtf8(x, y, text, texture);
    world.writer->TextWidthUtf8(text);
    return 0;
}
