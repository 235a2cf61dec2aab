#pragma once
// The software device as its tests make it, and textures written texel by texel.
#include "graphics/PixelFormat.h"
#include "graphics/device/SoftwareDevice.h"

#include <gtest/gtest.h>

#include <cstring>
#include <memory>

// A windowed w x h X8R8G8B8 device on config, set for the vertex layout and the texture
// stages the game's sprites are drawn with; null (and a failure) when it cannot be made.
inline std::shared_ptr<SoftwareDevice> MakeSpriteDevice(const std::shared_ptr<TSoftwareConfig>& config,
                                                        uint32_t w, uint32_t h) {
    SoftwareDriver driver(config);
    D3DPRESENT_PARAMETERS pp;
    pp.BackBufferWidth = w;
    pp.BackBufferHeight = h;
    pp.BackBufferFormat = D3DFMT_X8R8G8B8;
    pp.Windowed = 1;
    std::shared_ptr<IRenderDevice> d;
    EXPECT_EQ(driver.CreateDevice(0, D3DDEVTYPE_HAL, 1, D3DCREATE_HARDWARE_VERTEXPROCESSING, pp, d), D3D_OK);
    if (!d) return nullptr;
    auto device = std::static_pointer_cast<SoftwareDevice>(d);
    device->SetFVF(TTLVertexFVF);
    device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    return device;
}

// A managed w x h texture in format whose texel (x, y) is argb(x, y), taken row by row.
template <class ArgbAt>
std::shared_ptr<IRenderTexture> MakeTexelTexture(IRenderDevice& device, uint32_t w, uint32_t h,
                                                 D3DFORMAT format, ArgbAt argb) {
    std::shared_ptr<IRenderTexture> t;
    EXPECT_EQ(device.CreateTexture(w, h, 1, 0, format, D3DPOOL_MANAGED, t), D3D_OK);
    if (!t) return nullptr;
    D3DLOCKED_RECT lr;
    EXPECT_EQ(t->LockRect(0, lr, nullptr, 0), D3D_OK);
    const uint32_t bpp = FormatBits(format) / 8;
    for (uint32_t y = 0; y < h; ++y)
        for (uint32_t x = 0; x < w; ++x) {
            const uint32_t p = ARGBToPixel(argb(x, y), format);
            std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * bpp, &p, bpp);
        }
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    return t;
}
