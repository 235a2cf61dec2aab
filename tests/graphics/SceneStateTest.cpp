#include "SceneFixture.h"

#include <cmath>

namespace {

using SceneStateTest = SceneFixture;

uint32_t Mul(uint32_t a, uint32_t b) {
    return static_cast<uint32_t>(std::lround(a * b / 255.0));
}

// texel * colour per channel, then drawn over dest with the product's alpha.
uint32_t Expected(uint32_t texel, uint32_t colour, uint32_t dest) {
    const uint32_t a = Mul(texel >> 24, colour >> 24);
    uint32_t out = 0;
    for (int s = 0; s < 32; s += 8) {
        const uint32_t src = Mul((texel >> s) & 0xFF, (colour >> s) & 0xFF);
        out |= (Mul(src, a) + Mul((dest >> s) & 0xFF, 255 - a)) << s;
    }
    return out;
}

// Calls between the n-th and the (n+1)-th draw.
size_t CallsBeforeDraw(const std::vector<DeviceCall>& calls, size_t n) {
    size_t draws = 0, between = 0;
    for (const auto& c : calls) {
        if (c.Op == "DrawPrimitiveUP") {
            if (draws++ == n) return between;
            between = 0;
        } else {
            ++between;
        }
    }
    return between;
}

} // namespace

TEST_F(SceneStateTest, SameStatesCostOneDrawCallEachAndNoStateCalls) {
    auto tex = MakeTexture(2, 2, std::vector<uint32_t>(4, 0xFFFFFFFF));
    for (int i = 0; i < 10; ++i) Sprite(tex.get(), float(i * 4), 0, 0xFFFFFFFF);
    Dev().calls.clear();
    Frame();
    const auto& calls = Dev().calls;
    EXPECT_EQ(Dev().Count("DrawPrimitiveUP"), 10u);
    EXPECT_GT(CallsBeforeDraw(calls, 0), 0u); // the first item sets what it needs
    for (size_t n = 1; n < 10; ++n) EXPECT_EQ(CallsBeforeDraw(calls, n), 0u) << n;
    // Blend mode 2 from the cached 0: blending on, z writes off, the factors, the operation.
    EXPECT_EQ(Dev().Count("GetSamplerState"), 2u);
    EXPECT_EQ(Dev().Count("SetFVF"), 1u);
}

TEST_F(SceneStateTest, AStateIsSetOnlyWhenItChanges) {
    auto a = MakeTexture(1, 1, {0xFFFFFFFF});
    auto b = MakeTexture(1, 1, {0xFF000000});
    Sprite(a.get(), 0, 0, 0xFFFFFFFF);
    Sprite(b.get(), 0, 0, 0xFFFFFFFF);                   // texture only
    Sprite(b.get(), 0, 0, 0xFFFFFFFF, true, 1);          // additive: only DESTBLEND differs
    Sprite(b.get(), 0, 0, 0xFFFFFFFF, true, 1, 0, true); // filter only
    Sprite(b.get(), 0, 0, 0xFFFFFFFF, true, 5, 0, true); // cut-out: blending off, alpha test on
    Dev().calls.clear();
    Frame();
    const auto& calls = Dev().calls;
    EXPECT_EQ(CallsBeforeDraw(calls, 1), 1u); // SetTexture
    EXPECT_EQ(CallsBeforeDraw(calls, 2), 1u); // SetRenderState(DESTBLEND, ONE)
    EXPECT_EQ(CallsBeforeDraw(calls, 3), 2u); // MAGFILTER and MINFILTER
    // ALPHABLENDENABLE, ZWRITEENABLE, ALPHATESTENABLE, ALPHAFUNC
    EXPECT_EQ(CallsBeforeDraw(calls, 4), 4u);
    EXPECT_EQ(Dev().RenderState(D3DRS_ALPHAFUNC), D3DCMP_GREATER);
}

TEST_F(SceneStateTest, BlendOperationIsLeftAloneWithoutTheCapability) {
    owner.SoftwareConfig()->BlendOpSupported = false;
    dg.ResetDevice(); // the scene reads the caps again after a reset
    EXPECT_FALSE(scene->BlendOpSupported());
    Sprite(nullptr, 0, 0, 0xFFFFFFFF);
    Dev().calls.clear();
    Frame();
    for (const auto& c : Dev().calls) EXPECT_FALSE(c.Op == "SetRenderState" && c.A == D3DRS_BLENDOP);
    EXPECT_EQ(Dev().RenderState(D3DRS_SRCBLEND), D3DBLEND_SRCALPHA);
}

TEST_F(SceneStateTest, SamplerFiltersComeBackAndNoTextureStaysBound) {
    Dev().SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
    Dev().SetSamplerState(0, D3DSAMP_MINFILTER, 3);
    auto tex = MakeTexture(1, 1, {0xFFFFFFFF});
    Sprite(tex.get(), 0, 0, 0xFFFFFFFF); // point sampling while drawn
    Frame();
    uint32_t mag = 0, min = 0;
    Dev().GetSamplerState(0, D3DSAMP_MAGFILTER, mag);
    Dev().GetSamplerState(0, D3DSAMP_MINFILTER, min);
    EXPECT_EQ(mag, D3DTEXF_LINEAR);
    EXPECT_EQ(min, 3u);
    std::shared_ptr<IRenderTexture> bound;
    Dev().GetTexture(0, bound);
    EXPECT_EQ(bound, nullptr);
    EXPECT_EQ(Dev().RenderState(D3DRS_ZFUNC), D3DCMP_LESSEQUAL);
    EXPECT_EQ(Dev().RenderState(D3DRS_ZENABLE), 1u);
    EXPECT_EQ(Dev().RenderState(D3DRS_ZWRITEENABLE), 1u);
    EXPECT_EQ(Dev().RenderState(D3DRS_LIGHTING), 0u);
    // Texel times vertex colour, alpha included.
    uint32_t op = 0;
    Dev().GetTextureStageState(0, D3DTSS_ALPHAOP, op);
    EXPECT_EQ(op, D3DTOP_MODULATE);
    // The overlay is drawn with depth testing off.
    bool zOff = false;
    for (const auto& c : Dev().calls)
        zOff = zOff || (c.Op == "SetRenderState" && c.A == D3DRS_ZFUNC && c.B == D3DCMP_ALWAYS);
    EXPECT_TRUE(zOff);
}

TEST_F(SceneStateTest, TheGameSpriteIsDrawnPixelExactWithTintAndFade) {
    const std::vector<uint32_t> pixels = {0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0x00000000,
                                          0x80FFFFFF, 0xFF808080, 0xFFFFFFFF, 0xFF102030};
    auto tex = MakeTexture(4, 2, pixels);
    scene->Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    Sprite(tex.get(), 10, 5, 0xFFFFFFFF);
    Sprite(tex.get(), 20, 5, 0x80FF8040); // tinted and half faded
    Frame();
    SoftwareDevice& sw = Dev().Software();
    for (uint32_t y = 0; y < 2; ++y)
        for (uint32_t x = 0; x < 4; ++x) {
            const uint32_t t = pixels[y * 4 + x];
            EXPECT_EQ(sw.Pixel(10 + x, 5 + y), Expected(t, 0xFFFFFFFF, 0xFF000000)) << x << "," << y;
            EXPECT_EQ(sw.Pixel(20 + x, 5 + y), Expected(t, 0x80FF8040, 0xFF000000)) << x << "," << y;
        }
    EXPECT_EQ(sw.Pixel(10, 5), 0xFFFF0000u); // unchanged under white
    // Nothing outside the image area.
    for (uint32_t x = 8; x < 26; ++x) {
        EXPECT_EQ(sw.Pixel(x, 4), 0xFF000000u) << x;
        EXPECT_EQ(sw.Pixel(x, 7), 0xFF000000u) << x;
    }
    EXPECT_EQ(sw.Pixel(9, 5), 0xFF000000u);
    EXPECT_EQ(sw.Pixel(14, 5), 0xFF000000u);
}

TEST_F(SceneStateTest, ViewportAndProjectionComeBackAfterResetAndRecreation) {
    scene->SetViewport(10, 20, 110, 70);
    dg.ResetDevice();
    D3DVIEWPORT9 vp;
    Dev().GetViewport(vp);
    EXPECT_EQ(vp.X, 10u);
    EXPECT_EQ(vp.Y, 20u);
    EXPECT_EQ(vp.Width, 100u);
    EXPECT_EQ(vp.Height, 50u);
    D3DMATRIX proj;
    Dev().GetTransform(D3DTS_PROJECTION, proj);
    EXPECT_FLOAT_EQ(proj.m[2][3], 1.0f);
    EXPECT_FLOAT_EQ(proj.m[0][0], scene->Projection().m[0][0]);
    // A new device (window mode changed) gets them too.
    dg.ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    Dev().GetViewport(vp);
    EXPECT_EQ(vp.Width, 100u);
    EXPECT_EQ(vp.Y, 20u);
}

TEST_F(SceneStateTest, ClearFillsTheTargetWhenTheFrameIsRendered) {
    scene->Clear(D3DCLEAR_TARGET, 0xFF123456, 1.0f, 0);
    EXPECT_EQ(Dev().Count("Clear"), 0u);
    Frame();
    EXPECT_EQ(Dev().Count("Clear"), 1u);
    EXPECT_EQ(Dev().Software().Pixel(0, 0), 0xFF123456u);
    EXPECT_EQ(Dev().Software().Pixel(763, 499), 0xFF123456u);
}

TEST(SceneLifetime, SceneOutlivingTheDeviceComponentLetsGo) {
    FatalCatcher catcher;
    RecordingOwner owner(64, 64);
    auto dg = std::make_unique<TDODozuz>(owner);
    dg->SetDebugOption(dgoHaltOnError);
    dg->Loaded();
    TSXScene scene(*dg, "late");
    dg.reset(); // orphans the scene
    EXPECT_EQ(scene.DG(), nullptr);
    const TSXVertex2D quad[4] = {};
    scene.Draw2D(MakeVector2(0, 0), quad, nullptr, 2, false, true, 0);
    scene.Render(); // nothing to draw on: the queue is simply emptied
    EXPECT_EQ(scene.OverlayQueue().Polygon2DCount(), 0);
}
