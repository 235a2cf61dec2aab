// Every source alpha and colour blended over several destinations, each channel checked
// against the exact rounding formula, in spans of 1 to 9 pixels at every alignment, with
// each set of span loops the processor runs; and the span loops against each other.
#include "SoftwareDeviceSetup.h"
#include "graphics/device/SoftwareDevice.h"
#include "graphics/device/SoftwareSpans.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <vector>

namespace {

constexpr uint32_t Size = 256;

// x * y / 255 rounded to nearest, from a table made once.
uint32_t Mul(uint32_t x, uint32_t y) {
    static const std::vector<uint8_t> table = [] {
        std::vector<uint8_t> t(256 * 256);
        for (uint32_t i = 0; i < t.size(); ++i)
            t[i] = static_cast<uint8_t>(std::lround((i >> 8) * (i & 255) / 255.0));
        return t;
    }();
    return table[x << 8 | y];
}
uint32_t Ch(uint32_t c, int shift) {
    return (c >> shift) & 0xFF;
}
// Applies f to each channel of a and b.
template <class F> uint32_t PerChannel(uint32_t a, uint32_t b, F f) {
    uint32_t out = 0;
    for (int shift = 0; shift < 32; shift += 8) out |= std::min(255u, f(Ch(a, shift), Ch(b, shift))) << shift;
    return out;
}
uint32_t Modulate(uint32_t s, uint32_t d) {
    return PerChannel(s, d, Mul);
}
uint32_t Over(uint32_t s, uint32_t d) {
    const uint32_t a = s >> 24;
    return PerChannel(s, d, [a](uint32_t x, uint32_t y) { return Mul(x, a) + Mul(y, 255 - a); });
}
uint32_t Add(uint32_t s, uint32_t d) {
    const uint32_t a = s >> 24;
    return PerChannel(s, d, [a](uint32_t x, uint32_t y) { return Mul(x, a) + y; });
}

// Texel (x, y): alpha y; red, green and blue each run through all 256 values along a row.
uint32_t Texel(uint32_t x, uint32_t y) {
    return y << 24 | x << 16 | (255 - x) << 8 | ((x * 7 + y) & 0xFF);
}
// A destination that changes from pixel to pixel, alpha included.
uint32_t Pattern(uint32_t x, uint32_t y) {
    uint32_t h = (x * 0x9E3779B1u) ^ (y * 0x85EBCA77u);
    h ^= h >> 15;
    return h * 0xC2B2AE3Du;
}

class SoftwareBlendTest : public ::testing::TestWithParam<const TSpanKernels*> {
protected:
    void SetUp() override {
        config->SpanKernels = GetParam();
        device = MakeSpriteDevice(config, Size, Size);
        ASSERT_TRUE(device);
        texels = Texture(Texel);
        pattern = Texture(Pattern);
    }

    std::shared_ptr<IRenderTexture> Texture(uint32_t (*f)(uint32_t, uint32_t)) {
        return MakeTexelTexture(*device, Size, Size, D3DFMT_A8R8G8B8, f);
    }

    // Columns x0 .. x1 of the texture, unscaled, at the same place in the frame.
    void Columns(uint32_t x0, uint32_t x1, uint32_t color) {
        const auto l = static_cast<float>(x0), r = static_cast<float>(x1), s = static_cast<float>(Size);
        const TTLVertex v[4] = {{l, 0, 0, 0.5f, color, 0, l / s, 0},
                                {r, 0, 0, 0.5f, color, 0, r / s, 0},
                                {l, s, 0, 0.5f, color, 0, l / s, 1},
                                {r, s, 0, 0.5f, color, 0, r / s, 1}};
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex));
    }
    // The frame set to the destination: one colour, or the pattern for PatternDest.
    void Destination(uint32_t dest) {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 0);
        device->Clear(0, nullptr, D3DCLEAR_TARGET, dest, 1.0f, 0);
        if (dest != PatternDest) return;
        device->SetTexture(0, pattern);
        device->BeginScene();
        Columns(0, Size, 0xFFFFFFFF);
        device->EndScene();
    }
    uint32_t DestAt(uint32_t dest, uint32_t x, uint32_t y) const {
        return dest == PatternDest ? Pattern(x, y) : dest;
    }
    // Draws the texels over each destination in spans of every width from 1 to 9 (the
    // first column moves along, so spans start at every alignment) and compares each
    // pixel with expected(source after the vertex colour, destination).
    // src 0: no blending.
    void Check(uint32_t src, uint32_t dst, uint32_t color, const std::vector<uint32_t>& dests,
               uint32_t (*expected)(uint32_t, uint32_t)) {
        for (const uint32_t dest : dests)
            for (uint32_t width = 1; width <= 9; ++width) {
                Destination(dest);
                device->SetRenderState(D3DRS_ALPHABLENDENABLE, src != 0);
                if (src != 0) {
                    device->SetRenderState(D3DRS_SRCBLEND, src);
                    device->SetRenderState(D3DRS_DESTBLEND, dst);
                }
                device->SetTexture(0, texels);
                device->BeginScene();
                for (uint32_t x = 0; x < Size; x += width) Columns(x, std::min(Size, x + width), color);
                device->EndScene();
                uint32_t wrong = 0, firstX = 0, firstY = 0, got = 0, want = 0;
                for (uint32_t y = 0; y < Size; ++y)
                    for (uint32_t x = 0; x < Size; ++x) {
                        const uint32_t e = expected(Modulate(Texel(x, y), color), DestAt(dest, x, y));
                        if (device->Pixel(x, y) == e || wrong++ > 0) continue;
                        firstX = x, firstY = y, got = device->Pixel(x, y), want = e;
                    }
                EXPECT_EQ(wrong, 0u) << std::hex << "dest " << dest << " colour " << color << std::dec
                                     << " width " << width << ": first at " << firstX << "," << firstY
                                     << std::hex << " got " << got << " want " << want;
            }
    }

    static constexpr uint32_t PatternDest = 0x12345678;
    std::shared_ptr<TSoftwareConfig> config = std::make_shared<TSoftwareConfig>();
    std::shared_ptr<SoftwareDevice> device;
    std::shared_ptr<IRenderTexture> texels, pattern;
};

} // namespace

TEST_P(SoftwareBlendTest, SourceOverIsExactForEveryAlphaAndColour) {
    Check(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xFFFFFFFF, {0xFFFFFFFF, 0x00000000, PatternDest}, Over);
    // A vertex colour first modulates the texel, alpha included.
    Check(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0xB0E08040, {PatternDest}, Over);
    Check(D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, 0x00FFFFFF, {PatternDest}, Over);
}

TEST_P(SoftwareBlendTest, AdditiveAndOpaqueAreExact) {
    Check(D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xFFFFFFFF, {PatternDest}, Add);
    Check(D3DBLEND_SRCALPHA, D3DBLEND_ONE, 0xC08040FF, {PatternDest}, Add);
    Check(0, 0, 0xFFFFFFFF, {PatternDest}, [](uint32_t s, uint32_t) { return s; });
    Check(0, 0, 0x80FF40C0, {PatternDest}, [](uint32_t s, uint32_t) { return s; });
}

INSTANTIATE_TEST_SUITE_P(SpanLoops, SoftwareBlendTest, ::testing::ValuesIn(RunnableSpanKernels()),
                         [](const auto& info) { return std::string(info.param->Name); });

TEST(SpanKernels, EveryLoopGivesThePortableBytes) {
    const TSpanKernels& portable = PortableSpanKernels();
    std::mt19937 random(16);
    // Texels in runs of opaque, clear and mixed alpha, so that whole blocks take each branch.
    std::vector<uint32_t> src(80), dst(80);
    for (size_t i = 0; i < src.size(); ++i) {
        const uint32_t kind = (i / 5) % 3;
        const uint32_t alpha = kind == 0 ? 255 : (kind == 1 ? 0 : random() & 0xFF);
        src[i] = alpha << 24 | (random() & 0xFFFFFF);
        dst[i] = random();
    }
    for (const TSpanKernels* k : RunnableSpanKernels())
        for (const uint32_t diffuse : {0xFFFFFFFFu, 0x80FF40C0u, 0x00FFFFFFu, 0xFF000000u})
            for (int32_t offset = 0; offset < 4; ++offset)
                for (int32_t n = 0; n + offset <= static_cast<int32_t>(src.size()); ++n) {
                    std::vector<uint32_t> want = dst, got = dst;
                    portable.Over(want.data() + offset, src.data() + offset, n, diffuse);
                    k->Over(got.data() + offset, src.data() + offset, n, diffuse);
                    ASSERT_EQ(got, want) << k->Name << " over, diffuse " << std::hex << diffuse << std::dec
                                         << ", " << n << " pixels from " << offset;
                    want = dst, got = dst;
                    portable.Copy(want.data() + offset, src.data() + offset, n, diffuse);
                    k->Copy(got.data() + offset, src.data() + offset, n, diffuse);
                    ASSERT_EQ(got, want) << k->Name << " copy, diffuse " << std::hex << diffuse << std::dec
                                         << ", " << n << " pixels from " << offset;
                }
}
