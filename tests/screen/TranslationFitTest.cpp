// The drawn texts of every language in the room the Japanese ones have, written with the
// game's own writers and fonts: the bottom line beside the life bar, the centred message
// (the game-clear message with its record prefix, the random music's progress). English
// must fit; the pseudo-translation (accented Latin, about 30 % longer) must draw every
// character with a glyph of its own, and the test prints where it would overflow.
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Sjis.h"
#include "base/Translate.h"
#include "graphics/FreeTypeRasteriser.h"
#include "screen/ScreenFixture.h"

#include <cstdio>

namespace {

// Chosen before the form is made (its menus and textures take their texts then), back to
// Japanese after the test.
struct LanguageScope {
    LanguageScope(const std::string& language, const std::string& folder) { UseLanguage(language, folder); }
    ~LanguageScope() { UseLanguage(SourceLanguage, ""); }
};

struct DrawnText {
    std::string what;
    std::string text;
    int32_t room;
};

class FitTest : protected LanguageScope, public ScreenTest {
protected:
    explicit FitTest(const std::string& folder) : LanguageScope("en", folder) {}

    // Each drawn text with the room it has in the 764-pixel frame.
    std::vector<DrawnText> Texts() {
        const int32_t bottomLine = form.PBLife.Left() + form.PBLife.Width() + 15;
        return {
            {"bottom line", Tr("Enter:ゲームスタート Space:ハムスター回転"), 764 - bottomLine},
            {"game clear",
             std::string(Tr("記録更新")) + Tr("おめでとうございます。Enterキーを押すとゲームを再開します。"),
             764},
            {"random music", Tr("ランダムＢＧＭの設定中..."), 764},
            {"random music count", Format(Tr("ランダムＢＧＭの設定中... %zu曲"), size_t{99999}), 764},
        };
    }

    // Width as the game sizes the text's texture (TFormScreen::TextToTexture).
    int32_t Width(const std::string& text) {
        TSXTextWriter& w = *graphics.LabelWriter;
        const std::string sjis = Utf8ToSjis(text);
        return SjisToUtf8(sjis) == text ? w.TextWidth(sjis) : w.TextWidthUtf8(text);
    }
};

class EnglishFitTest : public FitTest {
protected:
    EnglishFitTest() : FitTest(BuildDir() + "locale") {}
};

class PseudoFitTest : public FitTest {
protected:
    PseudoFitTest() : FitTest(BuildDir() + "tests/pseudo-locale") {}
};

std::vector<uint32_t> TexturePixels(TDGTexture& t) {
    std::vector<uint32_t> out;
    D3DLOCKED_RECT locked;
    const auto w = static_cast<int32_t>(t.Width()), h = static_cast<int32_t>(t.Height());
    EXPECT_EQ(t.LockRect(0, Rect(0, 0, w, h), D3DLOCK_READONLY, locked), D3D_OK);
    for (int32_t y = 0; y < h; ++y)
        for (int32_t x = 0; x < w; ++x)
            out.push_back(static_cast<const uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x]);
    t.UnlockRect();
    return out;
}

} // namespace

TEST_F(EnglishFitTest, DrawnTextsFitWhereTheJapaneseOnesDo) {
    Create();
    ASSERT_EQ(CurrentLanguage(), "en");
    EXPECT_EQ(form.MainMenu1.G1.Caption(), "&Game") << "the English catalogue is read";
    for (const DrawnText& t : Texts()) {
        EXPECT_EQ(t.text.find_first_of("\x80"), std::string::npos) << t.what << ": " << t.text;
        EXPECT_LE(Width(t.text), t.room) << t.what << ": " << t.text;
    }
    // The bottom line's texture is the English one, and it ends inside the frame.
    EXPECT_EQ(static_cast<int32_t>(graphics.HelpLineTex->Width()), Width(Texts()[0].text));
}

// The two pictures with words come from the English archive, at the Japanese ones' sizes
// (the board's end grows them to their own size); every other picture from data.qda.
TEST_F(EnglishFitTest, PicturesWithWordsComeFromTheEnglishArchive) {
    Create();
    const std::string english = DataPath(exeDir, "Data/data_en.qda");
    const std::string japanese = form.Components.ArchivePath();
    for (const char* entry : {"get.bmp", "GC.bmp"}) {
        EXPECT_EQ(form.Components.PictureArchive(entry), english) << entry;
        form.Components.LoadPicture(TPicture::Get, entry);
        const TPictureSize size = form.Components.PictureSize(TPicture::Get);
        UseLanguage(SourceLanguage, "");
        EXPECT_EQ(form.Components.PictureArchive(entry), japanese) << entry;
        form.Components.LoadPicture(TPicture::Get, entry);
        EXPECT_EQ(form.Components.PictureSize(TPicture::Get).Width, size.Width) << entry;
        EXPECT_EQ(form.Components.PictureSize(TPicture::Get).Height, size.Height) << entry;
        EXPECT_EQ(form.Components.PictureEntry(TPicture::Get), entry) << "the saved game names it alike";
        UseLanguage("en", BuildDir() + "locale");
    }
    for (const char* entry : {"10get.bmp", "20get.bmp", "Title.bmp", "gameover.bmp"})
        EXPECT_EQ(form.Components.PictureArchive(entry), japanese) << entry;
}

TEST_F(PseudoFitTest, AccentedTextsDrawEveryGlyphAndShowWhereTheyOverflow) {
    Create();
    ASSERT_EQ(CurrentLanguage(), "en");
    ASSERT_EQ(form.MainMenu1.G1.Caption().rfind("[&Gámé", 0), 0u) << form.MainMenu1.G1.Caption();
    auto& rasteriser = dynamic_cast<TFreeTypeRasteriser&>(graphics.LabelWriter->Rasteriser());
    rasteriser.SelectFont(graphics.LabelWriter->Font());
    for (const DrawnText& t : Texts()) {
        for (uint32_t code : TSXTextWriter::Utf8Codes(t.text)) {
            if (code == (UnicodeCodeFlag | ' ')) continue;
            EXPECT_TRUE(rasteriser.HasGlyph(code))
                << t.what << ": no glyph for U+" << std::hex << (code & ~UnicodeCodeFlag);
        }
        const int32_t width = Width(t.text);
        if (width > t.room)
            std::printf("pseudo-translation: the %s would overflow: %d px in %d px: %s\n", t.what.c_str(),
                        width, t.room, t.text.c_str());
    }
    // The bottom line's texture is the accented one, as wide as the writer measures it, and
    // drawn from its own characters: not the text narrowed to Shift-JIS ('?' for each accent).
    const std::string help = Texts()[0].text;
    ASSERT_EQ(static_cast<int32_t>(graphics.HelpLineTex->Width()), Width(help));
    const std::string narrowed = SjisToUtf8(Utf8ToSjis(help));
    ASSERT_NE(narrowed, help);
    graphics.TextToTexture(*graphics.MessageTex, nullptr, narrowed, *graphics.LabelWriter);
    ASSERT_EQ(graphics.MessageTex->Width(), graphics.HelpLineTex->Width());
    EXPECT_NE(TexturePixels(*graphics.HelpLineTex), TexturePixels(*graphics.MessageTex));
}
