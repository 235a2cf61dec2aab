// What a frame of the game costs in the scene and the text writer: the time value
// re-rendered into its texture (as every frame of play does, all glyphs cached), and
// a full frame of about 60 sprites through the scene on the software device.
#include "base/Sjis.h"
#include "graphics/DGTexture.h"
#include "graphics/RIdud9.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Device {
    Device() : owner(764, 500), dg(owner) {
        dg.SetDebugOption(dgoHaltOnError);
        dg.Loaded();
    }
    std::unique_ptr<TDGTexture> Texture(uint32_t w, uint32_t h, uint32_t colour) {
        auto t = std::make_unique<TDGTexture>(
            dg, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5}, 0, D3DPOOL_MANAGED,
            0, "");
        t->SetSize(w, h);
        t->FillRect(Rect(0, 0, int32_t(w), int32_t(h)), colour, false);
        return t;
    }
    THeadlessOwner owner;
    TDODozuz dg;
};

TSXFont ValueFont() {
    TSXFont f;
    f.Name = "MS UI Gothic";
    f.Height = -21;
    f.Style = fsBold | fsItalic;
    f.Charset = SHIFTJIS_CHARSET;
    return f;
}

// The game's TextToTexture for one text.
void TextToTexture(TSXTextWriter& w, TDGTexture& t, const std::string& text) {
    const int32_t extra = (w.Font().Style & fsItalic) ? w.TextWidth("a") / 2 : 0;
    t.SetSize(uint32_t(w.TextWidth(text) + extra), uint32_t(w.TextHeight(text)));
    t.FillRect(Rect(0, 0, int32_t(t.TextureWidth()), int32_t(t.TextureHeight())), 0x00FFFFFF, false);
    w.TextOut(0, 0, text, t);
}

void BM_TimeValueTextPerFrame(benchmark::State& state) {
    Device d;
    TSXTextWriter writer(d.dg, D3DFMT_A8R8G8B8, 16);
    writer.SetFont(ValueFont());
    auto tex = d.Texture(1, 1, 0);
    std::vector<std::string> times;
    for (int t = 12030; t < 12030 + 40 * 100; t += 100) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "%03d\"%02d", t / 1000, (t % 1000) / 100);
        times.push_back(buf);
    }
    size_t i = 0;
    for (auto _ : state) {
        TextToTexture(writer, *tex, times[i++ % times.size()]);
        benchmark::ClobberMemory();
    }
    state.counters["hits"] = writer.FontCache().Hits();
    state.counters["misses"] = writer.FontCache().Misses();
}
BENCHMARK(BM_TimeValueTextPerFrame);

void BM_TextOutOnly(benchmark::State& state) {
    Device d;
    TSXTextWriter writer(d.dg, D3DFMT_A8R8G8B8, 16);
    writer.SetFont(ValueFont());
    auto tex = d.Texture(96, 32, 0x00FFFFFF);
    const std::string text = "012\"03";
    for (auto _ : state) writer.TextOut(0, 0, text, *tex);
}
BENCHMARK(BM_TextOutOnly);

void Sprite(TSXScene& scene, TDGTexture& t, float x, float y, uint32_t colour) {
    const float w = float(t.Width()), h = float(t.Height());
    const TSXVertex2D quad[4] = {MakeVertex2D(0, 0, colour, 0, 0), MakeVertex2D(w, 0, colour, t.MaxU(), 0),
                                 MakeVertex2D(0, h, colour, 0, t.MaxV()),
                                 MakeVertex2D(w, h, colour, t.MaxU(), t.MaxV())};
    scene.Draw2D(MakeVector2(x, y), quad, &t, 2, false, true, 0);
}

// Background, 17 + 17 board lines, food, 8 cats, the hamster, 14 panel texts:
// 59 sprites, about the most the game draws.
void BM_FrameOf60Sprites(benchmark::State& state) {
    Device d;
    TSXScene scene(d.dg, "");
    auto background = d.Texture(764, 500, 0xFF306030);
    auto hline = d.Texture(600, 3, 0xFFFFFFFF), vline = d.Texture(3, 440, 0xFFFFFFFF);
    auto cat = d.Texture(40, 40, 0xC0FF8000), hamster = d.Texture(36, 30, 0xFF202020);
    auto food = d.Texture(24, 24, 0xFFFFE000), text = d.Texture(90, 27, 0x80FFFFFF);
    IRenderDevice& dev = *d.dg.D3DDevice();
    int sprites = 0;
    for (auto _ : state) {
        dev.BeginScene();
        scene.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
        Sprite(scene, *background, 0, 0, 0xFFFFFFFF);
        for (int r = 0; r < 17; ++r) Sprite(scene, *hline, 10, float(10 + r * 26), 0xFFFFFFFF);
        for (int c = 0; c < 17; ++c) Sprite(scene, *vline, float(10 + c * 35), 10, 0xFFFFFFFF);
        Sprite(scene, *food, 560, 400, 0xFFFFFFFF);
        for (int k = 0; k < 8; ++k) Sprite(scene, *cat, float(60 + k * 60), float(100 + k * 30), 0xFFFFFFFF);
        Sprite(scene, *hamster, 20, 20, 0xFFFFFFFF);
        for (int k = 0; k < 14; ++k) Sprite(scene, *text, 630, float(10 + k * 32), 0xFF27DA33);
        sprites = scene.OverlayQueue().Polygon2DCount();
        scene.Render();
        dev.EndScene();
    }
    state.counters["sprites"] = sprites;
}
BENCHMARK(BM_FrameOf60Sprites)->Unit(benchmark::kMillisecond);

// The scene's own work for a frame, without the pixels: 60 sprites queued and sent
// outside BeginScene/EndScene, where the software device refuses to draw, so only the
// queueing, the state cache and the device calls count.
void BM_QueueAndStatesOf60Sprites(benchmark::State& state) {
    Device d;
    TSXScene scene(d.dg, "");
    auto tex = d.Texture(40, 40, 0xFFFFFFFF);
    for (auto _ : state) {
        for (int k = 0; k < 60; ++k) Sprite(scene, *tex, float(k), float(k), 0xFFFFFFFF);
        scene.Render();
    }
}
BENCHMARK(BM_QueueAndStatesOf60Sprites);

} // namespace
