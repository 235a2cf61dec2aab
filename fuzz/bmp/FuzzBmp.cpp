// BMP pictures from outside: read into a texture of the software device through
// TDGTexture::LoadFromStream, then drawn once, so that whatever the loader left in the
// texture is also sampled.
#include "base/Stream.h"
#include "graphics/BmpLoader.h"
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace {
struct World {
    World() : owner(64, 64) {
        DGApplyDebugOption(dgoNone);
        dg = std::make_unique<TDODozuz>(owner);
        dg->SetDebugOption(dgoNone); // nothing logged, no halt: every branch goes on
        dg->Loaded();
    }
    THeadlessOwner owner;
    std::unique_ptr<TDODozuz> dg;
};
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static World world;
    // The first byte picks the texture format, so that every conversion is reached.
    static const D3DFORMAT formats[] = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5, D3DFMT_R5G6B5,
                                        D3DFMT_X8R8G8B8};
    if (size < 1) return 0;
    const D3DFORMAT format = formats[data[0] % 5];
    world.owner.SoftwareConfig()->PowerOfTwo = (data[0] & 0x10) != 0;
    // Textures up to the loader's own bound, 4096 a side; the 0x40 bit keeps them to 256
    // a side so that a failed texture creation is reached as well.
    world.owner.SoftwareConfig()->MaxTextureWidth = world.owner.SoftwareConfig()->MaxTextureHeight =
        (data[0] & 0x40) ? 256 : MaxBmpSide;
    TDGTexture texture(*world.dg, {format}, 0, D3DPOOL_MANAGED, 0, "fuzz");
    TMemoryStream stream(std::vector<uint8_t>(data + 1, data + size));
    texture.LoadFromStream(stream);
    if (texture.Texture()) {
        texture.SetColorKey(0xFF000000);
        IRenderDevice* device = world.dg->D3DDevice();
        const float w = static_cast<float>(texture.Width()), h = static_cast<float>(texture.Height());
        const TTLVertex quad[4] = {{0, 0, 0, 0.5f, 0xFFFFFFFF, 0, 0, 0},
                                   {w, 0, 0, 0.5f, 0xFFFFFFFF, 0, texture.MaxU(), 0},
                                   {0, h, 0, 0.5f, 0xFFFFFFFF, 0, 0, texture.MaxV()},
                                   {w, h, 0, 0.5f, 0xFFFFFFFF, 0, texture.MaxU(), texture.MaxV()}};
        device->SetTexture(0, texture.Texture());
        device->SetFVF(TTLVertexFVF);
        device->SetSamplerState(0, D3DSAMP_MAGFILTER, (data[0] & 0x20) ? D3DTEXF_LINEAR : D3DTEXF_POINT);
        device->BeginScene();
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, quad, sizeof(TTLVertex));
        device->EndScene();
        device->SetTexture(0, nullptr);
    }
    return 0;
}
