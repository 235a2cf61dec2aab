#include "TextFixture.h"
#include "graphics/SXScene.h"
#include "graphics/device/SoftwareDevice.h"
#include "support/PngImage.h"
#include "support/TempDir.h"

#include <cstdlib>
#include <filesystem>

namespace {

class TextGoldenTest : public TextFixture {
protected:
    TextGoldenTest() : TextFixture(400, 64) {}

    void DrawSprite(TSXScene& scene, TDGTexture& t, float x, float y, uint32_t colour) {
        const float w = float(t.Width()), h = float(t.Height());
        const TSXVertex2D quad[4] = {
            MakeVertex2D(0, 0, colour, 0, 0), MakeVertex2D(w, 0, colour, t.MaxU(), 0),
            MakeVertex2D(0, h, colour, 0, t.MaxV()), MakeVertex2D(w, h, colour, t.MaxU(), t.MaxV())};
        scene.Draw2D(MakeVector2(x, y), quad, &t, 2, false, true, 0);
    }

    PngImage Frame() {
        auto& sw = static_cast<SoftwareDevice&>(*dg.D3DDevice());
        const TSoftwareFrame f = sw.FrameBuffer();
        PngImage img;
        img.width = int32_t(f.Width);
        img.height = int32_t(f.Height);
        for (uint32_t y = 0; y < f.Height; ++y)
            for (uint32_t x = 0; x < f.Width; ++x) img.argb.push_back(f.Pixels[y * f.Pitch + x]);
        return img;
    }
};

// Pixels whose channels differ by more than a few steps (font rasterising may round
// differently from one FreeType release to the next).
int DifferingPixels(const PngImage& a, const PngImage& b) {
    int n = 0;
    for (size_t i = 0; i < a.argb.size(); ++i) {
        PngImage pa{1, 1, {a.argb[i]}}, pb{1, 1, {b.argb[i]}};
        n += MaxChannelDifference(pa, pb) > 8;
    }
    return n;
}

} // namespace

// One line of the value font and one of the label font, as the game writes its status
// texts into textures and draws them tinted, compared with the stored frame. Set
// HIMAWARI_UPDATE_GOLDEN=1 to store a new one after checking the written PNG by eye.
TEST_F(TextGoldenTest, JapaneseLineOnTheSoftwareDevice) {
    TSXTextWriter label(dg, D3DFMT_A8R8G8B8, 16);
    label.SetFont(GameFont(fsBold));
    TSXScene scene(dg, "");
    auto value = TextToTexture(*writer, "ひまわり畑の大脱走！ 012\"03");
    auto help = TextToTexture(label, "TIME: Enter:ゲームスタート");
    dg.D3DDevice()->BeginScene();
    scene.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawSprite(scene, *value, 4, 4, 0xFFFFFFFF);
    DrawSprite(scene, *help, 4, 34, 0xFF27DA33);
    scene.Render();
    dg.D3DDevice()->EndScene();
    const PngImage frame = Frame();

    const std::string written = BuildDir() + "tests/text_line.png";
    WritePng(written, frame);
    const std::string golden = SourceDir() + "tests/graphics/golden/text_line.png";
    if (std::getenv("HIMAWARI_UPDATE_GOLDEN")) WritePng(golden, frame);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    const PngImage stored = ReadPng(golden);
    ASSERT_EQ(stored.width, frame.width);
    ASSERT_EQ(stored.height, frame.height);
    EXPECT_LE(DifferingPixels(stored, frame), frame.width * frame.height / 200) << "see " << written;
    // Ink where the text is, black where it is not.
    int ink = 0;
    for (int32_t y = 4; y < 4 + int32_t(value->Height()); ++y)
        for (int32_t x = 4; x < 4 + int32_t(value->Width()); ++x) ink += (frame.At(x, y) & 0xFFFFFF) != 0;
    EXPECT_GT(ink, 400);
    EXPECT_EQ(frame.At(399, 63), 0xFF000000u);
}
