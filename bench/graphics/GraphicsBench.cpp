// Software device fill rate and texture pixel work at the game's size (764 x 500).
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"
#include "graphics/device/SoftwareSpans.h"

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

namespace {

struct Scene {
    Scene() : owner(764, 500) {
        DGApplyDebugOption(dgoNone);
        dg = std::make_unique<TDODozuz>(owner);
        dg->SetDebugOption(dgoNone);
        dg->Loaded();
        device = dg->D3DDevice();
        device->SetFVF(TTLVertexFVF);
        device->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_MODULATE);
        device->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
        device->SetTextureStageState(0, D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    }
    std::unique_ptr<TDGTexture> Texture(uint32_t w, uint32_t h, uint32_t color) {
        auto t = std::make_unique<TDGTexture>(*dg, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0,
                                              D3DPOOL_MANAGED, 0, "");
        t->SetSize(w, h);
        t->FillRect(Rect(0, 0, static_cast<int32_t>(w), static_cast<int32_t>(h)), color, false);
        return t;
    }
    void Sprite(const TDGTexture& t, float x, float y, uint32_t color = 0xFFFFFFFF) {
        const float w = static_cast<float>(t.Width()), h = static_cast<float>(t.Height());
        const TTLVertex v[4] = {{x, y, 0, 0.5f, color, 0, 0, 0},
                                {x + w, y, 0, 0.5f, color, 0, t.MaxU(), 0},
                                {x, y + h, 0, 0.5f, color, 0, 0, t.MaxV()},
                                {x + w, y + h, 0, 0.5f, color, 0, t.MaxU(), t.MaxV()}};
        device->SetTexture(0, t.Texture());
        device->DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, v, sizeof(TTLVertex));
    }
    void AlphaBlend() {
        device->SetRenderState(D3DRS_ALPHABLENDENABLE, 1);
        device->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
        device->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    }
    THeadlessOwner owner;
    std::unique_ptr<TDODozuz> dg;
    IRenderDevice* device = nullptr;
};

// One alpha-blended textured quad over the whole 764 x 500 frame.
void BM_FillRateAlphaFullScreen(benchmark::State& state) {
    Scene s;
    auto t = s.Texture(764, 500, 0x80FF8040);
    s.AlphaBlend();
    for (auto _ : state) {
        s.device->BeginScene();
        s.Sprite(*t, 0, 0, 0xC0FFFFFF);
        s.device->EndScene();
    }
    state.SetItemsProcessed(state.iterations() * 764 * 500);
    s.device->SetTexture(0, nullptr);
}
BENCHMARK(BM_FillRateAlphaFullScreen)->Unit(benchmark::kMillisecond);

// The same quad through each set of span loops this processor runs (argument 0: its place in
// RunnableSpanKernels), with that vertex colour (argument 1: 0) or with white, the colour most
// of the game's sprites are drawn with (1).
void BM_FillRateAlphaSpanLoops(benchmark::State& state) {
    const TSpanKernels* loops = RunnableSpanKernels().at(static_cast<size_t>(state.range(0)));
    const bool white = state.range(1) != 0;
    Scene s;
    s.owner.SoftwareConfig()->SpanKernels = loops;
    auto t = s.Texture(764, 500, 0x80FF8040);
    s.AlphaBlend();
    for (auto _ : state) {
        s.device->BeginScene();
        s.Sprite(*t, 0, 0, white ? 0xFFFFFFFF : 0xC0FFFFFF);
        s.device->EndScene();
    }
    state.SetItemsProcessed(state.iterations() * 764 * 500);
    state.SetLabel(std::string(loops->Name) + (white ? ", white" : ", tinted"));
    s.device->SetTexture(0, nullptr);
}
BENCHMARK(BM_FillRateAlphaSpanLoops)
    ->Apply([](benchmark::internal::Benchmark* b) {
        for (int64_t i = 0; i < static_cast<int64_t>(RunnableSpanKernels().size()); ++i)
            b->Args({i, 0})->Args({i, 1});
    })
    ->Unit(benchmark::kMillisecond);

// The game's frame: clear, opaque background, 40 line sprites, 20 characters and panel texts.
void BM_GameLikeFrame(benchmark::State& state) {
    Scene s;
    auto background = s.Texture(764, 500, 0xFF306030);
    auto line = s.Texture(4, 420, 0xFFFFFFFF);
    auto sprite = s.Texture(40, 40, 0x80FFFFFF);
    auto text = s.Texture(120, 24, 0x40FFFFFF);
    s.AlphaBlend();
    for (auto _ : state) {
        s.device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        s.device->BeginScene();
        s.Sprite(*background, 0, 0);
        for (int i = 0; i < 40; ++i) s.Sprite(*line, 20.0f + i * 15, 20);
        for (int i = 0; i < 12; ++i) s.Sprite(*sprite, 30.0f + i * 45, 200);
        for (int i = 0; i < 8; ++i) s.Sprite(*text, 630, 10.0f + i * 40, 0xFF27DA33);
        s.device->EndScene();
        s.device->Present();
    }
    s.device->SetTexture(0, nullptr);
}
BENCHMARK(BM_GameLikeFrame)->Unit(benchmark::kMillisecond);

// The colour key over a whole 764 x 500 picture, as done after every load.
void BM_SetColorKey764x500(benchmark::State& state) {
    Scene s;
    auto t = s.Texture(764, 500, 0xFF000000);
    t->FillRect(Rect(100, 100, 600, 400), 0xFF123456, false);
    for (auto _ : state) t->SetColorKey(0xFF000000);
    state.SetItemsProcessed(state.iterations() * 764 * 500);
}
BENCHMARK(BM_SetColorKey764x500)->Unit(benchmark::kMillisecond);

} // namespace
