// The OpenGL device draws what the software device draws. Runs under a display with
// OpenGL 3.3 (Xvfb's Mesa llvmpipe in CI); the context comes from Qt, as in the game.
#include "graphics/device/OpenGLDevice.h"
#include "graphics/PixelFormat.h"
#include "graphics/SoftwareDeviceSetup.h"
#include "graphics/device/SoftwareDevice.h"

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr uint32_t W = 96, H = 64;

// A 3.3 core context on an offscreen surface drawing into a framebuffer object.
struct GLFixture {
    QOffscreenSurface surface;
    QOpenGLContext context;
    std::unique_ptr<QOpenGLFramebufferObject> fbo;
    bool ok = false;

    GLFixture() {
        QSurfaceFormat f;
        f.setVersion(3, 3);
        f.setProfile(QSurfaceFormat::CoreProfile);
        context.setFormat(f);
        surface.setFormat(f);
        surface.create();
        if (!context.create() || !context.makeCurrent(&surface)) return;
        fbo = std::make_unique<QOpenGLFramebufferObject>(W, H);
        context.doneCurrent();
        ok = fbo->isValid();
    }
    TGLContextHooks Hooks() {
        TGLContextHooks h;
        h.MakeCurrent = [this] { return context.makeCurrent(&surface); };
        h.DoneCurrent = [this] { context.doneCurrent(); };
        h.DefaultFramebuffer = [this] { return static_cast<uint32_t>(fbo->handle()); };
        h.FramebufferSize = [](uint32_t& w, uint32_t& h2) { w = W, h2 = H; };
        return h;
    }
};

D3DPRESENT_PARAMETERS Params() {
    D3DPRESENT_PARAMETERS p;
    p.BackBufferWidth = W;
    p.BackBufferHeight = H;
    p.BackBufferFormat = D3DFMT_X8R8G8B8;
    p.Windowed = 1;
    p.SwapEffect = D3DSWAPEFFECT_DISCARD;
    return p;
}

void Quad(IRenderDevice& d, float x, float y, float w, float h, uint32_t color, float mu = 1, float mv = 1) {
    TTLVertex v[4];
    const float xs[4] = {x, x + w, x, x + w}, ys[4] = {y, y, y + h, y + h};
    const float us[4] = {0, mu, 0, mu}, vs[4] = {0, 0, mv, mv};
    for (int i = 0; i < 4; ++i) {
        v[i].x = xs[i], v[i].y = ys[i], v[i].diffuse = color, v[i].u = us[i], v[i].v = vs[i];
    }
    d.SetFVF(TTLVertexFVF);
    EXPECT_EQ(d.DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex)), D3D_OK);
}

void Blend(IRenderDevice& d, bool on, uint32_t src, uint32_t dst, uint32_t op = D3DBLENDOP_ADD) {
    d.SetRenderState(D3DRS_ALPHABLENDENABLE, on ? 1 : 0);
    d.SetRenderState(D3DRS_SRCBLEND, src);
    d.SetRenderState(D3DRS_DESTBLEND, dst);
    d.SetRenderState(D3DRS_BLENDOP, op);
}

// The scene's stage set-up: texel times vertex colour, alpha included.
void Modulate(IRenderDevice& d) {
    d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    d.SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    d.SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
}

// Draws one frame on a device; Scene gets the device and the textures it made.
using Scene = std::function<void(IRenderDevice&)>;

// Draws the scene on a device of the driver and returns the frame its sink received.
template <class Config> std::vector<uint32_t> Run(IRenderDriver& driver, Config& config, const Scene& scene) {
    std::vector<uint32_t> out;
    config.PresentSink = [&](const TSoftwareFrame& f) {
        out.assign(f.Pixels, f.Pixels + static_cast<size_t>(f.Pitch) * f.Height);
    };
    D3DPRESENT_PARAMETERS p = Params();
    std::shared_ptr<IRenderDevice> d;
    EXPECT_EQ(driver.CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, p, d), D3D_OK);
    d->BeginScene();
    scene(*d);
    d->EndScene();
    EXPECT_EQ(d->Present(), D3D_OK);
    return out;
}

std::vector<uint32_t> RunSoftware(const Scene& scene) {
    auto config = std::make_shared<TSoftwareConfig>();
    SoftwareDriver driver(config);
    return Run(driver, *config, scene);
}

std::vector<uint32_t> RunOpenGL(GLFixture& gl, const Scene& scene) {
    auto config = std::make_shared<TGLConfig>();
    config->Hooks = gl.Hooks();
    OpenGLDriver driver(config);
    return Run(driver, *config, scene);
}

// Largest difference of a colour channel (alpha left out: the window never shows it).
int MaxDiff(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b, uint32_t* where) {
    int worst = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i)
        for (int s = 0; s < 24; s += 8) {
            const int d =
                std::abs(static_cast<int>((a[i] >> s) & 0xFF) - static_cast<int>((b[i] >> s) & 0xFF));
            if (d > worst) worst = d, *where = static_cast<uint32_t>(i);
        }
    return worst;
}

class OpenGLDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (!gl.ok) GTEST_SKIP() << "no OpenGL 3.3 context on this display";
    }
    void ExpectSame(const Scene& scene) {
        const auto sw = RunSoftware(scene);
        const auto hw = RunOpenGL(gl, scene);
        ASSERT_EQ(sw.size(), static_cast<size_t>(W) * H);
        ASSERT_EQ(hw.size(), sw.size());
        uint32_t at = 0;
        const int diff = MaxDiff(sw, hw, &at);
        EXPECT_LE(diff, 2) << "at (" << at % W << ", " << at / W << "): software " << std::hex << sw[at]
                           << ", OpenGL " << hw[at];
    }
    GLFixture gl;
};

uint32_t Checker(uint32_t x, uint32_t y) {
    static const uint32_t colours[4] = {0xFFFF0000, 0x8000FF00, 0x000000FF, 0xFFFFFFFF};
    return colours[(x + 2 * y) % 4] ^ ((x * 37 + y * 11) & 0x3F) << 8;
}

constexpr uint32_t kOpaqueRed = 0xFFFF0000;

} // namespace

TEST_F(OpenGLDeviceTest, ClearAndPointSampledSpritesInEveryBlendMode) {
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        const TRect r{60, 40, 90, 60};
        d.Clear(1, &r, D3DCLEAR_TARGET, 0xFF808000, 1.0f, 0);
        auto t = MakeTexelTexture(d, 8, 8, D3DFMT_A8R8G8B8, Checker);
        d.SetTexture(0, t);
        Modulate(d);
        d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        const uint32_t modes[][3] = {
            {D3DBLEND_ONE, D3DBLEND_ZERO, D3DBLENDOP_ADD},
            {D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},
            {D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},
            {D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD},
            {D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},
            {D3DBLEND_ONE, D3DBLEND_ONE, D3DBLENDOP_ADD},
        };
        for (int i = 0; i < 6; ++i) {
            Blend(d, i > 0, modes[i][0], modes[i][1], modes[i][2]);
            // Scales of 1, 2 and 4 texels per pixel: both devices step exactly. (At other
            // scales the software device's fixed-point step can land a texel short at a
            // texel edge.)
            const float size = i % 3 == 0 ? 8.0f : (i % 3 == 1 ? 16.0f : 32.0f);
            Quad(d, static_cast<float>(2 + (i % 3) * 30), static_cast<float>(2 + (i / 3) * 30), size, size,
                 i == 2 ? 0xC0FF80FF : 0xFFFFFFFF, 1, 1);
        }
        // States changed back and forth from draw to draw: each draw has its own texture,
        // blending and culling (the quads wind clockwise on the screen: CULL_CW removes them).
        auto u =
            MakeTexelTexture(d, 4, 4, D3DFMT_A8R8G8B8, [](uint32_t x, uint32_t y) { return Checker(y, x); });
        const uint32_t culls[] = {D3DCULL_CW, D3DCULL_CCW, D3DCULL_NONE, D3DCULL_CW, D3DCULL_NONE};
        for (int i = 0; i < 5; ++i) {
            d.SetTexture(0, i % 2 ? u : t);
            d.SetRenderState(D3DRS_CULLMODE, culls[i]);
            Blend(d, i % 2 == 0, D3DBLEND_ONE, D3DBLEND_ONE);
            Quad(d, static_cast<float>(4 + i * 12), 50, 8, 8, 0xFFFFFFFF);
        }
    });
}

TEST_F(OpenGLDeviceTest, AlphaTestVertexColourAndOddFormats) {
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        Modulate(d);
        auto a = MakeTexelTexture(d, 10, 6, D3DFMT_A4R4G4B4, Checker);
        auto b = MakeTexelTexture(d, 7, 5, D3DFMT_A1R5G5B5, Checker);
        auto c = MakeTexelTexture(d, 5, 9, D3DFMT_R5G6B5, Checker);
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
        d.SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATER);
        d.SetRenderState(D3DRS_ALPHAREF, 0x40);
        d.SetTexture(0, a);
        Blend(d, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        Quad(d, 3, 3, 40, 24, 0xFFEF07E7); // 4 x 4 per texel
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
        d.SetTexture(0, b);
        Quad(d, 50, 3, 28, 20, 0xBBFFFFFF);
        d.SetTexture(0, c);
        Quad(d, 10, 33, 20, 18, 0xFF3339D6);
        d.SetTexture(0, nullptr);
        Quad(d, 60, 40, 30, 20, 0x80FFEE00); // no texture: the vertex colour alone
    });
}

// Blending an opaque draw by source alpha is skipped on GL; whatever is not opaque (a
// vertex, a texel left transparent outside a region locked again) still blends.
TEST_F(OpenGLDeviceTest, OnlyWhatIsOpaqueEverywhereSkipsTheBlend) {
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF203040, 1.0f, 0);
        Modulate(d);
        d.SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
        Blend(d, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        auto opaque = MakeTexelTexture(d, 8, 8, D3DFMT_A8R8G8B8,
                                       [](uint32_t x, uint32_t y) { return Checker(x, y) | 0xFF000000u; });
        d.SetTexture(0, opaque);
        Quad(d, 2, 2, 16, 16, 0xFFFFFFFF);
        Quad(d, 22, 2, 16, 16, 0x80FFFFFF);
        auto mixed = MakeTexelTexture(d, 8, 8, D3DFMT_A8R8G8B8, Checker);
        D3DLOCKED_RECT lr;
        const TRect r{0, 0, 4, 4};
        ASSERT_EQ(mixed->LockRect(0, lr, &r, 0), D3D_OK);
        for (uint32_t y = 0; y < 4; ++y)
            for (uint32_t x = 0; x < 4; ++x)
                std::memcpy(static_cast<uint8_t*>(lr.pBits) + y * lr.Pitch + x * 4, &kOpaqueRed, 4);
        ASSERT_EQ(mixed->UnlockRect(0), D3D_OK);
        d.SetTexture(0, mixed);
        Quad(d, 42, 2, 16, 16, 0xFFFFFFFF);
        auto noAlpha = MakeTexelTexture(d, 8, 8, D3DFMT_X8R8G8B8, Checker);
        d.SetTexture(0, noAlpha);
        Quad(d, 62, 2, 16, 16, 0xFFFFFFFF);
    });
}

TEST_F(OpenGLDeviceTest, ViewportClipsAndNegativeOffsets) {
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0);
        Modulate(d);
        auto t = MakeTexelTexture(d, 16, 16, D3DFMT_A8R8G8B8, Checker);
        d.SetTexture(0, t);
        Blend(d, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        Quad(d, -5, -7, 32, 32, 0xFFFFFFFF, 2, 2); // wraps twice, starts off screen
        D3DVIEWPORT9 vp{40, 10, 40, 40, 0, 1};
        d.SetViewport(vp);
        Quad(d, 30, 0, 64, 64, 0xFFFFFFFF);
    });
}

TEST_F(OpenGLDeviceTest, BilinearSamplingStaysClose) {
    // Bilinear weights are rounded differently by the two devices; a smooth texture
    // keeps the difference within the tolerance.
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        Modulate(d);
        auto t = MakeTexelTexture(d, 8, 8, D3DFMT_A8R8G8B8, [](uint32_t x, uint32_t y) {
            return 0xFF000000 | (x * 8) << 16 | (y * 8) << 8 | 0x40;
        });
        d.SetTexture(0, t);
        d.SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
        d.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
        d.SetSamplerState(0, D3DSAMP_ADDRESSU, D3DTADDRESS_CLAMP);
        d.SetSamplerState(0, D3DSAMP_ADDRESSV, D3DTADDRESS_CLAMP);
        Quad(d, 4, 4, 64, 48, 0xFFFFFFFF);
    });
}

// Each draw runs a program made for its stage operations and alpha test: every
// operation with each kind of argument, and every comparison, as the software device.
TEST_F(OpenGLDeviceTest, EveryStageOperationAndAlphaComparison) {
    ExpectSame([](IRenderDevice& d) {
        d.Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF405060, 1.0f, 0);
        auto t = MakeTexelTexture(d, 4, 4, D3DFMT_A8R8G8B8, Checker);
        d.SetTexture(0, t);
        Blend(d, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA);
        const uint32_t ops[] = {D3DTOP_DISABLE, D3DTOP_SELECTARG1, D3DTOP_SELECTARG2, D3DTOP_MODULATE};
        const uint32_t args[][2] = {{D3DTA_TEXTURE, D3DTA_DIFFUSE}, {D3DTA_DIFFUSE, D3DTA_TEXTURE}};
        int n = 0;
        for (const uint32_t op : ops)
            for (const auto& a : args) {
                // The colour and the alpha take different operations, so a program that
                // mixed them up would show.
                const uint32_t alphaOp = ops[(n + 1) % 4];
                d.SetTextureStageState(0, D3DTSS_COLOROP, op);
                d.SetTextureStageState(0, D3DTSS_COLORARG1, a[0]);
                d.SetTextureStageState(0, D3DTSS_COLORARG2, a[1]);
                d.SetTextureStageState(0, D3DTSS_ALPHAOP, alphaOp);
                d.SetTextureStageState(0, D3DTSS_ALPHAARG1, a[1]);
                d.SetTextureStageState(0, D3DTSS_ALPHAARG2, a[0]);
                Quad(d, static_cast<float>(2 + (n % 8) * 11), 2, 8, 8, 0x9930C0E0);
                ++n;
            }
        Modulate(d);
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 1);
        d.SetRenderState(D3DRS_ALPHAREF, 0x80);
        for (uint32_t func = D3DCMP_NEVER; func <= D3DCMP_ALWAYS; ++func) {
            d.SetRenderState(D3DRS_ALPHAFUNC, func);
            // The checker's alphas are FF, 80, 00 and FF: below, at and above the reference.
            Quad(d, static_cast<float>(2 + (func - 1) * 11), 20, 8, 8, 0xFFFFFFFF);
        }
        d.SetRenderState(D3DRS_ALPHATESTENABLE, 0);
        // Without a texture the stage reads white whatever it selects.
        d.SetTexture(0, nullptr);
        d.SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
        d.SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TEXTURE);
        Quad(d, 2, 40, 20, 10, 0x80102030);
    });
}

TEST_F(OpenGLDeviceTest, FramesAreRecordedAndReplayedAtPresent) {
    auto config = std::make_shared<TGLConfig>();
    config->Hooks = gl.Hooks();
    int frames = 0;
    config->Hooks.FrameReady = [&](const TRect&) { ++frames; };
    OpenGLDriver driver(config);
    D3DPRESENT_PARAMETERS p = Params();
    std::shared_ptr<IRenderDevice> d;
    ASSERT_EQ(driver.CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, p, d), D3D_OK);
    auto* dev = static_cast<OpenGLDevice*>(d.get());
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    // Another context current in the middle of the frame (a nested dialog) does no harm.
    gl.context.makeCurrent(&gl.surface);
    gl.context.doneCurrent();
    Quad(*d, 0, 0, 10, 10, 0xFFFFFFFF);
    d->EndScene();
    EXPECT_EQ(dev->PendingCommands(), 2u);
    EXPECT_EQ(d->Present(), D3D_OK);
    EXPECT_EQ(dev->PendingCommands(), 0u);
    EXPECT_EQ(frames, 1);
    // A recorded draw holds no reference to its texture: released before Present, the
    // release finds no other owner, and the frame still shows it as drawn.
    std::vector<uint32_t> shown;
    config->PresentSink = [&](const TSoftwareFrame& f) {
        shown.assign(f.Pixels, f.Pixels + f.Pitch * f.Height);
    };
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    {
        auto t = MakeTexelTexture(*d, 4, 4, D3DFMT_A8R8G8B8, [](uint32_t, uint32_t) { return 0xFFFFFFFFu; });
        Modulate(*d);
        d->SetTexture(0, t);
        Quad(*d, 0, 0, 10, 10, 0xFFFFFFFF);
        d->SetTexture(0, nullptr);
        d->EndScene();
        EXPECT_EQ(t.use_count(), 1);
    }
    EXPECT_EQ(d->Present(), D3D_OK);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown[5 * W + 5] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(shown[5 * W + 15] & 0xFFFFFF, 0u);
    // The frame buffer keeps its pixels from one present to the next: a frame without a
    // clear draws over the last one.
    EXPECT_TRUE(d->KeepsBackBuffer());
    d->BeginScene();
    Quad(*d, 20, 0, 10, 10, 0xFFFFFFFF);
    d->EndScene();
    EXPECT_EQ(d->Present(), D3D_OK);
    EXPECT_EQ(shown[5 * W + 5] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(shown[5 * W + 25] & 0xFFFFFF, 0xFFFFFFu);
    EXPECT_EQ(shown[5 * W + 15] & 0xFFFFFF, 0u);
    EXPECT_EQ(frames, 3);
    // A frame with nothing in it shows what is shown already: no replay, no sink, no blit.
    EXPECT_TRUE(d->KeepsBackBuffer());
    shown.clear();
    d->BeginScene();
    d->EndScene();
    EXPECT_EQ(d->Present(), D3D_OK);
    EXPECT_TRUE(shown.empty());
    EXPECT_EQ(frames, 3);
    EXPECT_EQ(config->SkippedPresents, 1u);
    // A frame buffer of another size is a new one: it holds nothing of the last frame.
    auto size = config->Hooks.FramebufferSize;
    config->Hooks.FramebufferSize = [](uint32_t& w, uint32_t& h) { w = 2 * W, h = 2 * H; };
    EXPECT_FALSE(d->KeepsBackBuffer());
    config->Hooks.FramebufferSize = size;
    // No context: the frame is dropped, not failed, and the next one must be drawn whole.
    config->Hooks.MakeCurrent = [] { return false; };
    d->BeginScene();
    d->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    d->EndScene();
    EXPECT_EQ(d->Present(), D3D_OK);
    EXPECT_EQ(config->DroppedFrames, 1u);
    EXPECT_FALSE(d->KeepsBackBuffer());
    // Not even an empty frame counts as shown then.
    d->BeginScene();
    d->EndScene();
    EXPECT_EQ(d->Present(), D3D_OK);
    EXPECT_EQ(config->DroppedFrames, 2u);
}

TEST(OpenGLDriverTest, CapsAndFormats) {
    auto config = std::make_shared<TGLConfig>();
    config->MaxTextureSize = 2048;
    OpenGLDriver driver(config);
    D3DCAPS9 caps;
    ASSERT_EQ(driver.GetDeviceCaps(0, D3DDEVTYPE_HAL, caps), D3D_OK);
    EXPECT_EQ(caps.MaxTextureWidth, 2048u);
    EXPECT_EQ(caps.TextureCaps & (D3DPTEXTURECAPS_POW2 | D3DPTEXTURECAPS_SQUAREONLY), 0u);
    EXPECT_EQ(driver.GetDeviceCaps(0, D3DDEVTYPE_REF, caps), D3DERR_NOTAVAILABLE);
    EXPECT_EQ(
        driver.CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_A8R8G8B8),
        D3D_OK);
    EXPECT_EQ(driver.CheckDeviceFormat(0, D3DDEVTYPE_HAL, D3DFMT_X8R8G8B8, 0, D3DRTYPE_TEXTURE, D3DFMT_DXT1),
              D3DERR_NOTAVAILABLE);
    D3DPRESENT_PARAMETERS p = Params();
    std::shared_ptr<IRenderDevice> d;
    ASSERT_EQ(driver.CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, p, d), D3D_OK);
    // A viewport past the back buffer is refused, also one whose end wraps round 32 bits.
    EXPECT_EQ(d->SetViewport(D3DVIEWPORT9{0, 0, W, H, 0, 1}), D3D_OK);
    EXPECT_EQ(d->SetViewport(D3DVIEWPORT9{1, 0, W, H, 0, 1}), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->SetViewport(D3DVIEWPORT9{0xFFFFFFF0u, 0, 0x20, H, 0, 1}), D3DERR_INVALIDCALL);
    std::shared_ptr<IRenderTexture> t;
    EXPECT_EQ(d->CreateTexture(4096, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3DERR_INVALIDCALL);
    EXPECT_EQ(d->CreateTexture(100, 3, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, t), D3D_OK);
    D3DLOCKED_RECT lr;
    const TRect outside{0, 0, 101, 3};
    EXPECT_EQ(t->LockRect(0, lr, &outside, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->LockRect(0, lr, nullptr, 0), D3D_OK);
    EXPECT_EQ(t->LockRect(0, lr, nullptr, 0), D3DERR_INVALIDCALL);
    EXPECT_EQ(t->UnlockRect(0), D3D_OK);
    EXPECT_EQ(t->UnlockRect(0), D3DERR_INVALIDCALL);
}

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
