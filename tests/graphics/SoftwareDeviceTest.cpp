#include "graphics/device/SoftwareDevice.h"
#include "SoftwareDeviceSetup.h"
#include "graphics/PixelFormat.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <tuple>
#include <vector>

namespace {

uint32_t Mul(uint32_t x, uint32_t y) {
    return static_cast<uint32_t>(std::lround(x * y / 255.0));
}
uint32_t Ch(uint32_t c, int shift) {
    return (c >> shift) & 0xFF;
}

class SoftwareDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        device = MakeSpriteDevice(config, 16, 8);
        ASSERT_TRUE(device);
    }

    // A texture of the given pixels (ARGB, rows top down) in its format.
    std::shared_ptr<IRenderTexture> MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& argb,
                                                D3DFORMAT format = D3DFMT_A8R8G8B8) {
        return MakeTexelTexture(*device, w, h, format,
                                [&](uint32_t x, uint32_t y) { return argb[y * w + x]; });
    }

    // A sprite quad in strip order: top-left, top-right, bottom-left, bottom-right.
    HRESULT Quad(float x, float y, float w, float h, uint32_t color = 0xFFFFFFFF, float u0 = 0, float v0 = 0,
                 float u1 = 1, float v1 = 1) {
        const TTLVertex v[4] = {{x, y, 0, 0.5f, color, 0, u0, v0},
                                {x + w, y, 0, 0.5f, color, 0, u1, v0},
                                {x, y + h, 0, 0.5f, color, 0, u0, v1},
                                {x + w, y + h, 0, 0.5f, color, 0, u1, v1}};
        return Draw(v);
    }
    HRESULT Draw(const TTLVertex (&v)[4]) {
        device->BeginScene();
        const HRESULT hr = device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex));
        device->EndScene();
        return hr;
    }
    void Blend(uint32_t src, uint32_t dst) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(D3DRS_SRCBLEND, src);
        device->SetRenderState(D3DRS_DESTBLEND, dst);
    }
    uint32_t Px(uint32_t x, uint32_t y) const { return device->Pixel(x, y); }

    std::shared_ptr<TSoftwareConfig> config = std::make_shared<TSoftwareConfig>();
    std::shared_ptr<SoftwareDevice> device;
};

} // namespace

TEST_F(SoftwareDeviceTest, ClearFillsTheViewportOnly) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
    EXPECT_EQ(Px(15, 7), 0xFF112233u);
    device->SetViewport({2, 1, 4, 3, 0, 1});
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF445566, 1.0f, 0);
    EXPECT_EQ(Px(1, 1), 0xFF112233u);
    EXPECT_EQ(Px(2, 1), 0xFF445566u);
    EXPECT_EQ(Px(5, 3), 0xFF445566u);
    EXPECT_EQ(Px(6, 3), 0xFF112233u);
    EXPECT_EQ(Px(5, 4), 0xFF112233u);
    const TRect r = Rect(0, 0, 3, 2);
    device->Clear(1, &r, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    EXPECT_EQ(Px(2, 1), 0xFF000000u);
    EXPECT_EQ(Px(3, 1), 0xFF445566u);
    const TRect away = Rect(1000000, 1000000, 2000000, 2000000), inverted = Rect(5, 5, 1, 1);
    EXPECT_EQ(device->Clear(1, &away, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(device->Clear(1, &inverted, D3DCLEAR_TARGET, 0xFFFFFFFF, 1.0f, 0), D3D_OK);
    EXPECT_EQ(Px(3, 3), 0xFF445566u);
}

TEST_F(SoftwareDeviceTest, AnUnscaledSpriteCopiesItsTexelsExactly) {
    std::vector<uint32_t> pixels(16);
    for (uint32_t i = 0; i < 16; ++i) pixels[i] = 0xFF000000 | i * 0x0F0F0F;
    device->SetTexture(0, MakeTexture(4, 4, pixels));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    ASSERT_EQ(Quad(3, 2, 4, 4), D3D_OK);
    for (uint32_t y = 0; y < 4; ++y)
        for (uint32_t x = 0; x < 4; ++x) EXPECT_EQ(Px(3 + x, 2 + y), pixels[y * 4 + x]) << x << "," << y;
    EXPECT_EQ(Px(2, 2), 0xFF0000FFu);
    EXPECT_EQ(Px(7, 2), 0xFF0000FFu);
    EXPECT_EQ(Px(3, 1), 0xFF0000FFu);
    EXPECT_EQ(Px(3, 6), 0xFF0000FFu);
}

TEST_F(SoftwareDeviceTest, AlphaBlendingMixesBySourceAlpha) {
    device->SetTexture(0, MakeTexture(1, 1, {0x80FF0000}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF0000FF, 1.0f, 0);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Quad(0, 0, 2, 2);
    const uint32_t a = 0x80;
    const uint32_t expected = (Mul(a, a) + Mul(255, 255 - a)) << 24 | Mul(255, a) << 16 | Mul(255, 255 - a);
    EXPECT_EQ(Px(1, 1), expected);
    EXPECT_EQ(Px(2, 1), 0xFF0000FFu);
}

TEST_F(SoftwareDeviceTest, AdditiveBlendingSaturates) {
    device->SetTexture(0, MakeTexture(1, 1, {0x80FFFF20}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFC04010, 1.0f, 0);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_ONE);
    Quad(0, 0, 1, 1);
    EXPECT_EQ(Px(0, 0), 0xFFFF0000u | (0x40 + Mul(255, 0x80)) << 8 | (0x10 + Mul(0x20, 0x80)));
}

TEST_F(SoftwareDeviceTest, TheVertexColourModulatesTexelAndAlpha) {
    device->SetTexture(0, MakeTexture(1, 1, {0xFF808080}));
    Quad(0, 0, 1, 1, 0x8000FF80);
    EXPECT_EQ(Px(0, 0), Mul(255, 0x80) << 24 | 0 << 16 | Mul(0x80, 255) << 8 | Mul(0x80, 0x80));
    // With blending the faded sprite shows the background through.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Blend(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
    Quad(0, 0, 1, 1, 0x80FFFFFF);
    EXPECT_EQ(Ch(Px(0, 0), 16), Mul(0x80, 0x80));
    // Without a texture the vertex colour alone is drawn.
    device->SetTexture(0, nullptr);
    device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
    Quad(0, 0, 1, 1, 0xFF123456);
    EXPECT_EQ(Px(0, 0), 0xFF123456u);
}

TEST_F(SoftwareDeviceTest, DarkenAndMultiplyUseTheSourceColour) {
    device->SetTexture(0, MakeTexture(1, 1, {0xFF4080FF}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFC0C0C0, 1.0f, 0);
    Blend(D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR);
    Quad(0, 0, 1, 1);
    EXPECT_EQ(Px(0, 0), 0u | Mul(0xC0, 255 - 0x40) << 16 | Mul(0xC0, 255 - 0x80) << 8 | Mul(0xC0, 0));
    Blend(D3DBLEND_ZERO, D3DBLEND_SRCCOLOR);
    Quad(1, 0, 1, 1);
    EXPECT_EQ(Px(1, 0),
              Mul(0xFF, 0xFF) << 24 | Mul(0xC0, 0x40) << 16 | Mul(0xC0, 0x80) << 8 | Mul(0xC0, 0xFF));
}

TEST_F(SoftwareDeviceTest, PointSamplingPicksTexelsBilinearBlendsThem) {
    device->SetTexture(0, MakeTexture(2, 1, {0xFF000000, 0xFFFFFFFF}));
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
    Quad(0, 0, 8, 1);
    for (uint32_t x = 0; x < 8; ++x) EXPECT_EQ(Px(x, 0), x < 4 ? 0xFF000000u : 0xFFFFFFFFu) << x;
    device->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    device->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
    Quad(0, 0, 8, 1);
    // Texel coordinate at pixel x is x / 4 - 0.5 (pixel centres on integers).
    EXPECT_EQ(Px(0, 0), 0xFF000000u);
    EXPECT_EQ(Px(2, 0), 0xFF000000u);
    EXPECT_EQ(Px(3, 0), 0xFF3F3F3Fu);
    EXPECT_EQ(Px(4, 0), 0xFF7F7F7Fu);
    EXPECT_EQ(Px(6, 0), 0xFFFFFFFFu);
    EXPECT_EQ(Px(7, 0), 0xFFFFFFFFu);
    // Wrapping brings the last texel in on the left.
    device->SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_WRAP);
    Quad(0, 0, 8, 1);
    EXPECT_EQ(Px(0, 0), 0xFF7F7F7Fu);
}

TEST_F(SoftwareDeviceTest, SixteenBitTexturesAreWidened) {
    device->SetTexture(0, MakeTexture(3, 1, {0xFFFF0000, 0x00FFFFFF, 0x8800FF00}, D3DFMT_A4R4G4B4));
    Quad(0, 0, 3, 1);
    EXPECT_EQ(Px(0, 0), 0xFFFF0000u);
    EXPECT_EQ(Px(1, 0), 0x00FFFFFFu);
    EXPECT_EQ(Px(2, 0), 0x8800FF00u);
    device->SetTexture(0, MakeTexture(2, 1, {0xFF0000FF, 0xFF808080}, D3DFMT_R5G6B5));
    Quad(0, 0, 2, 1);
    EXPECT_EQ(Px(0, 0), 0xFF0000FFu);
    EXPECT_EQ(Px(1, 0), PixelToARGB(ARGBToPixel(0xFF808080, D3DFMT_R5G6B5), D3DFMT_R5G6B5));
    device->SetTexture(0, MakeTexture(2, 1, {0x00FF0000, 0xFF00FF00}, D3DFMT_A1R5G5B5));
    Quad(0, 0, 2, 1);
    EXPECT_EQ(Px(0, 0), 0x00FF0000u);
    EXPECT_EQ(Px(1, 0), 0xFF00FF00u);
}

TEST_F(SoftwareDeviceTest, AlphaTestDropsPixels) {
    device->SetTexture(0, MakeTexture(2, 1, {0x00FF0000, 0x01FF0000}));
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetRenderState(D3DRS_ALPHATESTENABLE, 1);
    device->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
    Quad(0, 0, 2, 1);
    EXPECT_EQ(Px(0, 0), 0xFF000000u);
    EXPECT_EQ(Px(1, 0), 0x01FF0000u);
}

TEST_F(SoftwareDeviceTest, TwoTrianglesOfAQuadNeverTouchAPixelTwice) {
    // Different texture coordinates at the bottom force the general triangle path.
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Blend(D3DBLEND_ONE, D3DBLEND_ONE);
    Quad(1.5f, 0.25f, 11, 6.5f, 0xFF101010, 0, 0, 1, 0.5f);
    const TTLVertex skewed[4] = {{1.5f, 0.25f, 0, 1, 0xFF101010, 0, 0, 0},
                                 {12.5f, 0.25f, 0, 1, 0xFF101010, 0, 1, 0},
                                 {1.5f, 6.75f, 0, 1, 0xFF101010, 0, 0.3f, 1},
                                 {12.5f, 6.75f, 0, 1, 0xFF101010, 0, 1, 1}};
    Draw(skewed);
    for (uint32_t y = 0; y < 8; ++y)
        for (uint32_t x = 0; x < 16; ++x) {
            const bool inside = x >= 2 && x <= 12 && y >= 1 && y <= 6;
            EXPECT_EQ(Px(x, y), inside ? 0xFF202020u : 0xFF000000u) << x << "," << y;
        }
}

TEST_F(SoftwareDeviceTest, ColoursAreInterpolatedAcrossTriangles) {
    const TTLVertex v[4] = {{0, 0, 0, 1, 0xFF000000, 0, 0, 0},
                            {8, 0, 0, 1, 0xFFFF0000, 0, 0, 0},
                            {0, 8, 0, 1, 0xFF000000, 0, 0, 0},
                            {8, 8, 0, 1, 0xFFFF0000, 0, 0, 0}};
    Draw(v);
    for (uint32_t x = 0; x < 8; ++x)
        EXPECT_EQ(Ch(Px(x, 3), 16), static_cast<uint32_t>(std::lround(x * 255 / 8.0)));
}

TEST_F(SoftwareDeviceTest, AMirroredQuadIsCulledUnlessCullingIsOff) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Quad(6, 0, -4, 4, 0xFFFFFFFF);
    EXPECT_EQ(Px(3, 1), 0xFF000000u);
    device->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
    Quad(6, 0, -4, 4, 0xFFFFFFFF);
    EXPECT_EQ(Px(3, 1), 0xFFFFFFFFu);
    EXPECT_EQ(Px(6, 1), 0xFF000000u);
    EXPECT_EQ(Px(2, 1), 0xFFFFFFFFu);
}

TEST_F(SoftwareDeviceTest, DrawingIsClippedToTheViewportAndTheFrame) {
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    device->SetViewport({0, 0, 4, 4, 0, 1});
    EXPECT_EQ(Quad(-100, -100, 1000, 1000, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(Px(3, 3), 0xFFFFFFFFu);
    EXPECT_EQ(Px(4, 3), 0xFF000000u);
    EXPECT_EQ(device->SetViewport({0xFFFFFFFF, 0, 2, 4, 0, 1}), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->SetViewport({0, 4, 16, 5, 0, 1}), D3DERR_INVALIDCALL);
    device->SetViewport({0, 0, 16, 8, 0, 1});
    EXPECT_EQ(Quad(1e30f, -1e30f, 1e30f, 1e30f, 0xFFFFFFFF), D3D_OK);
    EXPECT_EQ(Quad(NAN, 0, 4, 4, 0xFFFFFFFF), D3D_OK);
}

TEST_F(SoftwareDeviceTest, CallsOutOfPlaceAreRefused) {
    const TTLVertex v[4] = {};
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex)), D3DERR_INVALIDCALL);
    device->BeginScene();
    EXPECT_EQ(device->BeginScene(), D3DERR_INVALIDCALL);
    device->SetFVF(D3DFVF_XYZ | D3DFVF_DIFFUSE);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex)), D3DERR_INVALIDCALL);
    device->SetFVF(TTLVertexFVF);
    EXPECT_EQ(device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, 8), D3DERR_INVALIDCALL);
    device->EndScene();
    EXPECT_EQ(device->EndScene(), D3DERR_INVALIDCALL);
    std::shared_ptr<IRenderTexture> t;
    EXPECT_EQ(device->CreateTexture(0, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3DERR_INVALIDCALL);
    EXPECT_EQ(device->CreateTexture(4, 4, 1, 0, D3DFMT_P8, D3DPOOL_MANAGED, t), D3DERR_INVALIDCALL);
    config->PowerOfTwo = true;
    EXPECT_EQ(device->CreateTexture(6, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3DERR_INVALIDCALL);
    config->Failures[SoftwareOp::BeginScene] = D3DERR_DRIVERINTERNALERROR;
    EXPECT_EQ(device->BeginScene(), D3DERR_DRIVERINTERNALERROR);
}

TEST_F(SoftwareDeviceTest, ATextureIsLockedByRectangle) {
    auto t = MakeTexture(4, 4, std::vector<uint32_t>(16, 0));
    D3DLOCKED_RECT lr;
    const TRect inside = Rect(1, 2, 3, 4), outside = Rect(2, 2, 5, 3);
    EXPECT_EQ(t->LockRect(0, lr, &outside, 0), D3DERR_INVALIDCALL);
    ASSERT_EQ(t->LockRect(0, lr, &inside, 0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, lr, &inside, 0), D3DERR_INVALIDCALL);
    static_cast<uint32_t*>(lr.pBits)[0] = 0xFFABCDEF;
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
    device->SetTexture(0, t);
    Quad(0, 0, 4, 4);
    EXPECT_EQ(Px(1, 2), 0xFFABCDEFu);
}

TEST_F(SoftwareDeviceTest, PresentHandsTheFrameToTheSinkUnlessTheDeviceIsLost) {
    TestImage shown;
    config->PresentSink = [&shown](const TSoftwareFrame& f) {
        shown.Width = f.Width;
        shown.Height = f.Height;
        shown.Pixels.assign(f.Pixels, f.Pixels + static_cast<size_t>(f.Pitch) * f.Height);
    };
    device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF336699, 1.0f, 0);
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_EQ(shown.Width, 16u);
    EXPECT_EQ(shown.At(15, 7), 0xFF336699u);
    // The PNG helper keeps every pixel.
    TempDir dir;
    WritePng(dir.File("frame.png"), shown);
    const TestImage back = ReadPng(dir.File("frame.png"));
    EXPECT_EQ(back.Width, 16u);
    EXPECT_EQ(back.Pixels, shown.Pixels);
    // The back buffer keeps its pixels from one present to the next; the sink is told what
    // was cleared or drawn since, and not called at all when nothing was.
    EXPECT_TRUE(device->KeepsBackBuffer());
    TRect damage;
    config->PresentSink = [&shown, &damage](const TSoftwareFrame& f) {
        shown.Pixels.assign(f.Pixels, f.Pixels + static_cast<size_t>(f.Pitch) * f.Height);
        damage = f.Damage;
    };
    const TRect part = Rect(2, 1, 5, 3);
    device->Clear(1, &part, D3DCLEAR_TARGET, 0xFF112233, 1.0f, 0);
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_EQ(damage, part);
    EXPECT_EQ(shown.At(2, 1), 0xFF112233u);
    EXPECT_EQ(shown.At(5, 1), 0xFF336699u);
    shown.Pixels.clear();
    EXPECT_EQ(device->Present(), D3D_OK);
    EXPECT_TRUE(shown.Pixels.empty());
    EXPECT_EQ(config->SkippedPresents, 1u);
    EXPECT_EQ(config->PresentCount, 3u);
    config->CooperativeLevel = D3DERR_DEVICELOST;
    EXPECT_EQ(device->TestCooperativeLevel(), D3DERR_DEVICELOST);
    EXPECT_EQ(device->Present(), D3DERR_DEVICELOST);
    EXPECT_EQ(config->PresentCount, 3u);
    D3DPRESENT_PARAMETERS pp = device->PresentParameters();
    EXPECT_EQ(device->Reset(pp), D3DERR_DEVICELOST);
    config->CooperativeLevel = D3DERR_DEVICENOTRESET;
    pp.BackBufferWidth = 8;
    EXPECT_EQ(device->Reset(pp), D3D_OK);
    EXPECT_EQ(device->FrameBuffer().Width, 8u);
    EXPECT_FALSE(device->KeepsBackBuffer()); // a new back buffer, shown by no present yet
    EXPECT_EQ(device->TestCooperativeLevel(), D3D_OK);
    uint32_t cull = 0;
    device->GetRenderState(D3DRS_CULLMODE, cull);
    EXPECT_EQ(cull, D3DCULL_CCW);
}

namespace {

// A device of odd size, a few textures of random texels and a random draw of them.
class SoftwareScissorTest : public ::testing::Test {
protected:
    static constexpr uint32_t W = 97, H = 61;

    void SetUp() override {
        params.BackBufferWidth = W;
        params.BackBufferHeight = H;
        params.Windowed = 1;
        ASSERT_EQ(driver.CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, params, dev), D3D_OK);
        for (const auto& [w, h, format] :
             {std::tuple{7u, 5u, D3DFMT_A8R8G8B8}, std::tuple{16u, 16u, D3DFMT_A8R8G8B8},
              std::tuple{9u, 4u, D3DFMT_A4R4G4B4}}) {
            auto t = MakeTexelTexture(*dev, w, h, format, [this](uint32_t, uint32_t) {
                const uint32_t alpha = Next(4) == 0 ? 0xFF000000u : Next(256) << 24;
                return alpha | Next(1u << 24);
            });
            ASSERT_TRUE(t);
            textures.push_back(t);
        }
    }
    uint32_t Next(uint32_t n) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 8) % n;
    }
    float Real(float lo, float hi) { return lo + (hi - lo) * static_cast<float>(Next(10001)) / 1e4f; }

    // One random draw: an axis-aligned quad, a triangle or a turned quad; one of the game's
    // tints or a colour per corner; one texel per pixel or any other scale.
    void NewCase(int round) {
        filter = round % 2 ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        address = round % 3 ? D3DTADDRESS_WRAP : D3DTADDRESS_CLAMP;
        background = 0xFF000000 | static_cast<uint32_t>(round) * 0x010307u;
        viewport = {Next(8), Next(8), W - 8 - Next(8), H - 8 - Next(8), 0, 1};
        shape = static_cast<int>(Next(3));
        const float x = Real(-20, W), y = Real(-20, H), w = Real(0.5f, 70), h = Real(0.5f, 50);
        const float u0 = Next(2) ? 0.0f : Real(-1, 1), v0 = Real(-1, 1);
        const float u1 = Next(3) == 0 ? u0 + w / 7 : Real(-2, 2), v1 = Real(-2, 2);
        const uint32_t tints[] = {0xFFFFFFFF, 0xABFFFFFF, 0xBBFFFFFF, 0x80FF8040, 0xFF27DA33};
        const uint32_t tint = tints[Next(5)];
        const bool gouraud = Next(4) == 0;
        for (int k = 0; k < 4; ++k) {
            const uint32_t colour = gouraud ? Next(256) << 24 | Next(1u << 24) : tint;
            v[k] = {x + (k & 1 ? w : 0), y + (k & 2 ? h : 0), 0, 0.5f, colour, 0,
                    k & 1 ? u1 : u0,     k & 2 ? v1 : v0};
            if (shape == 2) v[k].x += (k & 2 ? Real(-9, 9) : 0), v[k].y += (k & 1 ? Real(-9, 9) : 0);
        }
        texture = static_cast<int>(Next(4)); // 3: none
        blend = static_cast<int>(Next(4));   // 3: copied
    }
    void Draw(const TRect* scissor) {
        dev->SetViewport(D3DVIEWPORT9{0, 0, W, H, 0, 1});
        dev->Clear(0, nullptr, D3DCLEAR_TARGET, background, 1, 0);
        dev->SetViewport(viewport);
        dev->SetFVF(TTLVertexFVF);
        dev->SetTexture(0, texture < 3 ? textures[static_cast<size_t>(texture)] : nullptr);
        dev->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        dev->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
        dev->SetSamplerState(0, D3DSAMP_MAGFILTER, filter);
        dev->SetSamplerState(0, D3DSAMP_MINFILTER, filter);
        dev->SetSamplerState(0, D3DSAMP_ADDRESSU, address);
        dev->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        const uint32_t blends[][2] = {{D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA},
                                      {D3DBLEND_SRCALPHA, D3DBLEND_ONE},
                                      {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR}};
        dev->SetRenderState(D3DRS_ALPHABLENDENABLE, blend < 3);
        if (blend < 3) {
            dev->SetRenderState(D3DRS_SRCBLEND, blends[blend][0]);
            dev->SetRenderState(D3DRS_DESTBLEND, blends[blend][1]);
        }
        dev->SetRenderState(D3DRS_SCISSORTESTENABLE, scissor != nullptr);
        if (scissor) {
            ASSERT_EQ(dev->SetScissorRect(*scissor), D3D_OK);
        }
        dev->BeginScene();
        const uint32_t type = shape == 1 ? D3DPT_TRIANGLELIST : D3DPT_TRIANGLESTRIP;
        ASSERT_EQ(dev->DrawPrimitiveUP(type, shape == 1 ? 1 : 2, v, sizeof(TTLVertex)), D3D_OK);
        dev->EndScene();
    }
    uint32_t Pixel(uint32_t x, uint32_t y) const { return static_cast<SoftwareDevice&>(*dev).Pixel(x, y); }

    SoftwareDriver driver{std::make_shared<TSoftwareConfig>()};
    D3DPRESENT_PARAMETERS params;
    std::shared_ptr<IRenderDevice> dev;
    std::vector<std::shared_ptr<IRenderTexture>> textures;
    uint32_t seed = 12345;
    uint32_t filter = 0, address = 0, background = 0;
    D3DVIEWPORT9 viewport{};
    int shape = 0, texture = 0, blend = 0;
    TTLVertex v[4];
};

} // namespace

// Random quads and triangles (textured or not, point and bilinear, wrapped and clamped,
// copied, blended, added and multiplied, one tint or a colour per corner, at fractional
// places inside a viewport) drawn with and without a random scissor rectangle: inside it
// every pixel is the one drawn without it, outside it none changes.
TEST_F(SoftwareScissorTest, APixelDrawnWithTheScissorIsThePixelDrawnWithout) {
    std::vector<uint32_t> whole(W * H);
    int drawnInside = 0;
    for (int round = 0; round < 400; ++round) {
        NewCase(round);
        Draw(nullptr);
        for (uint32_t i = 0; i < W * H; ++i) whole[i] = Pixel(i % W, i / W);
        const int32_t left = static_cast<int32_t>(Next(W + 10)) - 5,
                      top = static_cast<int32_t>(Next(H + 10)) - 5;
        const TRect cut =
            Rect(left, top, left + static_cast<int32_t>(Next(W)), top + static_cast<int32_t>(Next(H)));
        Draw(&cut);
        for (uint32_t i = 0; i < W * H; ++i) {
            const auto x = static_cast<int32_t>(i % W), y = static_cast<int32_t>(i / W);
            const bool inside = x >= cut.Left && x < cut.Right && y >= cut.Top && y < cut.Bottom;
            drawnInside += inside && whole[i] != background;
            ASSERT_EQ(Pixel(i % W, i / W), inside ? whole[i] : background)
                << round << " at " << x << "," << y;
        }
    }
    EXPECT_GT(drawnInside, 5000); // the rounds drew in their rectangles, not only round them
    // Right below Left is no rectangle; a reset device has the whole back buffer, the test off.
    EXPECT_EQ(dev->SetScissorRect(Rect(5, 0, 4, 1)), D3DERR_INVALIDCALL);
    ASSERT_EQ(dev->Reset(params), D3D_OK);
    TRect r;
    dev->GetScissorRect(r);
    EXPECT_EQ(r, Rect(0, 0, W, H));
    uint32_t on = 1;
    dev->GetRenderState(D3DRS_SCISSORTESTENABLE, on);
    EXPECT_EQ(on, 0u);
}
