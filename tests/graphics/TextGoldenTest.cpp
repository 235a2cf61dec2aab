#include "TextFixture.h"
#include "graphics/SXScene.h"
#include "graphics/device/SoftwareDevice.h"
#include "support/PngWriter.h"
#include "support/TempDir.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

class TextGoldenTest : public TextFixture {
protected:
    TextGoldenTest() : TextFixture(480, 56) {}

    void DrawSprite(TSXScene& scene, TDGTexture& t, float x, float y, uint32_t colour) {
        const float w = float(t.Width()), h = float(t.Height());
        const TSXVertex2D quad[4] = {
            MakeVertex2D(0, 0, colour, 0, 0), MakeVertex2D(w, 0, colour, t.MaxU(), 0),
            MakeVertex2D(0, h, colour, 0, t.MaxV()), MakeVertex2D(w, h, colour, t.MaxU(), t.MaxV())};
        scene.Draw2D(MakeVector2(x, y), quad, &t, 2, false, true, 0);
    }

    TestImage Frame() {
        auto& sw = static_cast<SoftwareDevice&>(*dg.D3DDevice());
        const TSoftwareFrame f = sw.FrameBuffer();
        TestImage img;
        img.Width = f.Width;
        img.Height = f.Height;
        for (uint32_t y = 0; y < f.Height; ++y)
            for (uint32_t x = 0; x < f.Width; ++x) img.Pixels.push_back(f.Pixels[y * f.Pitch + x]);
        return img;
    }
};

// Pixels whose channels differ by more than a few steps (font rasterising may round
// differently from one FreeType release to the next).
uint32_t DifferingPixels(const TestImage& a, const TestImage& b) {
    uint32_t n = 0;
    for (size_t i = 0; i < a.Pixels.size(); ++i) {
        int worst = 0;
        for (int s = 0; s < 32; s += 8)
            worst =
                std::max(worst, std::abs(int((a.Pixels[i] >> s) & 0xFF) - int((b.Pixels[i] >> s) & 0xFF)));
        n += worst > 8;
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
    auto help = TextToTexture(label, "Enter:ゲームスタート Space:ハムスター回転");
    dg.D3DDevice()->BeginScene();
    scene.Clear(D3DCLEAR_TARGET, 0xFF000000, 1.0f, 0);
    DrawSprite(scene, *value, 4, 4, 0xFFFFFFFF);
    DrawSprite(scene, *help, 4, 30, 0xFFE3F5E4);
    scene.Render();
    dg.D3DDevice()->EndScene();
    const TestImage frame = Frame();

    const std::string written = BuildDir() + "tests/text_line.png";
    WritePng(written, frame);
    const std::string golden = SourceDir() + "tests/graphics/golden/text_line.png";
    if (std::getenv("HIMAWARI_UPDATE_GOLDEN")) WritePng(golden, frame);
    ASSERT_TRUE(std::filesystem::exists(golden)) << golden;
    const TestImage stored = ReadPng(golden);
    ASSERT_EQ(stored.Width, frame.Width);
    ASSERT_EQ(stored.Height, frame.Height);
    EXPECT_LE(DifferingPixels(stored, frame), frame.Width * frame.Height / 200) << "see " << written;
    // Ink where the text is, black where it is not.
    int ink = 0;
    for (uint32_t y = 4; y < 4 + value->Height(); ++y)
        for (uint32_t x = 4; x < 4 + value->Width(); ++x) ink += (frame.At(x, y) & 0xFFFFFF) != 0;
    EXPECT_GT(ink, 400);
    EXPECT_EQ(frame.At(479, 55), 0xFF000000u);
}
