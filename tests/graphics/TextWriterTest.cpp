#include "TextFixture.h"

#include <algorithm>
#include <climits>

namespace {

using TextWriterTest = TextFixture;

constexpr uint32_t kBlue = 0xFF0000FF;

int32_t Advance(TSXTextWriter& w, uint32_t code) {
    return w.FontCache().GetGlyph(code, w.Font()).AdvanceX;
}

} // namespace

TEST_F(TextWriterTest, WidthIsTheSumOfAdvancesAndHeightTheLine) {
    const std::string text = Utf8ToSjis("012\"03 ひまわり");
    int32_t sum = 0;
    for (size_t i = 0; i < text.size();) sum += Advance(*writer, NextSjisCode(text, i));
    EXPECT_EQ(writer->TextWidth(text), sum);
    EXPECT_EQ(writer->TextHeight(text), writer->Rasteriser().Ascent() + writer->Rasteriser().Descent());
    EXPECT_EQ(writer->TextWidth(""), 0);
    // The label font is narrower than the value font only by the emboldening it shares:
    // italic leaves advances alone.
    TSXTextWriter label(dg, D3DFMT_A8R8G8B8, 16);
    label.SetFont(GameFont(fsBold));
    EXPECT_EQ(label.TextWidth(text), writer->TextWidth(text));
}

TEST_F(TextWriterTest, GlyphPixelsReplaceTheTextureInsideTheInkBox) {
    auto t = NewTexture(40, 30, kBlue);
    writer->TextOut(0, 0, "H", *t);
    const TSXFontCacheData& g = writer->FontCache().GetGlyph('H', writer->Font());
    const auto px = Pixels(*t);
    const int32_t w = int32_t(t->TextureWidth());
    for (int32_t y = 0; y < int32_t(t->TextureHeight()); ++y)
        for (int32_t x = 0; x < w; ++x) {
            const int32_t gx = x - g.OriginX, gy = y - g.OriginY;
            const bool inBox = gx >= 0 && gy >= 0 && gx < g.Width && gy < g.Height;
            const uint32_t want =
                inBox ? reinterpret_cast<const uint32_t*>(g.Bitmap.data() + gy * g.Pitch)[gx] : kBlue;
            ASSERT_EQ(px[size_t(y * w + x)], want) << x << "," << y;
        }
    // Inside the box the clear pixels are transparent white, not the old blue.
    EXPECT_NE(std::find(px.begin(), px.end(), 0x00FFFFFFu), px.end());
}

TEST_F(TextWriterTest, BoxStartingLeftOfTheTextureIsDrawnFromItsFourthColumn) {
    const TSXFontCacheData g = writer->FontCache().GetGlyph('W', writer->Font());
    ASSERT_GT(g.Width, 3);
    auto t = NewTexture(40, 30, kBlue);
    writer->TextOut(-3 - g.OriginX, 0, "W", *t);
    const auto px = Pixels(*t);
    const int32_t w = int32_t(t->TextureWidth());
    for (int32_t y = 0; y < g.Height; ++y)
        for (int32_t x = 0; x < g.Width - 3; ++x)
            ASSERT_EQ(px[size_t((y + g.OriginY) * w + x)],
                      reinterpret_cast<const uint32_t*>(g.Bitmap.data() + y * g.Pitch)[x + 3])
                << x << "," << y;
    EXPECT_EQ(px[size_t(g.OriginY * w + g.Width - 3)], kBlue); // the box ends three columns early
}

TEST_F(TextWriterTest, ClippedAtTheRightAndBottomEdges) {
    auto t = NewTexture(8, 8, kBlue); // smaller than one glyph
    writer->TextOut(2, 2, Utf8ToSjis("畑"), *t);
    const auto px = Pixels(*t);
    EXPECT_EQ(px.size(), 64u);
    EXPECT_NE(std::count(px.begin(), px.end(), kBlue), 64); // something was written
    // A glyph entirely above or below the texture writes nothing.
    auto u = NewTexture(40, 30, kBlue);
    writer->TextOut(0, -40, "H", *u);
    writer->TextOut(0, 29 - writer->FontCache().GetGlyph('H', writer->Font()).OriginY + 1, "H", *u);
    const auto pu = Pixels(*u);
    EXPECT_EQ(std::count(pu.begin(), pu.end(), kBlue), static_cast<long>(pu.size()));
}

TEST_F(TextWriterTest, ExtremePenPositionsWriteNothingAndDoNotOverflow) {
    auto t = NewTexture(40, 30, kBlue);
    writer->TextOut(INT32_MIN, 0, "HHHH", *t);
    writer->TextOut(0, INT32_MIN, "HHHH", *t);
    writer->TextOut(INT32_MIN, INT32_MIN, Utf8ToSjis("ひまわり"), *t);
    writer->TextOut(INT32_MAX, 0, "H", *t);
    const auto px = Pixels(*t);
    EXPECT_EQ(std::count(px.begin(), px.end(), kBlue), static_cast<long>(px.size()));
}

TEST_F(TextWriterTest, NothingAtOrPastTheWidthAndThePenStopsThere) {
    auto t = NewTexture(30, 30, kBlue);
    writer->TextOut(30, 0, "ABC", *t);
    writer->TextOut(0, 30, "ABC", *t);
    const auto px = Pixels(*t);
    EXPECT_EQ(std::count(px.begin(), px.end(), kBlue), static_cast<long>(px.size()));
    EXPECT_EQ(writer->FontCache().Misses(), 0u); // not even a glyph was looked up
    // Wider than the texture: the glyph whose advance reaches the width is the last one.
    const std::string text = "ABCDEFGHIJ";
    int32_t pen = 0;
    uint32_t expected = 0;
    for (const char c : text) {
        ++expected;
        pen += Advance(*writer, uint8_t(c));
        if (pen >= 30) break;
    }
    writer->FontCache().SetCacheSize(16);
    writer->TextOut(0, 0, text, *t);
    EXPECT_EQ(writer->FontCache().Misses(), expected);
    EXPECT_LT(expected, text.size());
}

TEST_F(TextWriterTest, SpaceMovesThePenWithoutTouchingTheTexture) {
    auto t = NewTexture(60, 30, kBlue);
    writer->TextOut(0, 0, "  ", *t);
    auto px = Pixels(*t);
    EXPECT_EQ(std::count(px.begin(), px.end(), kBlue), static_cast<long>(px.size()));
    // "  H" puts the H two space advances to the right of where "H" goes.
    auto a = NewTexture(60, 30, kBlue), b = NewTexture(60, 30, kBlue);
    writer->TextOut(0, 0, "  H", *a);
    writer->TextOut(2 * Advance(*writer, ' '), 0, "H", *b);
    EXPECT_EQ(Pixels(*a), Pixels(*b));
}

TEST_F(TextWriterTest, LoneLeadByteAtTheEndIsASingleByteCharacter) {
    auto t = NewTexture(60, 30, kBlue);
    writer->TextOut(0, 0, "A\x82", *t);
    const TSXFontCache& c = writer->FontCache();
    EXPECT_EQ(c.BucketCount(0x82), 1);
    EXPECT_EQ(c.Entry(0x82, 0).Code, 0x82u);
    writer->TextOut(0, 0, "\x81\x40", *t); // the ideographic space, one code
    EXPECT_EQ(c.Entry(0x40, 0).Code, 0x8140u);
}

TEST_F(TextWriterTest, OneBitGlyphsAreOpaqueOrClear) {
    writer->FontCache().SetAntiAlias(false);
    auto t = NewTexture(60, 30, kBlue);
    writer->TextOut(0, 0, Utf8ToSjis("あW"), *t);
    const auto px = Pixels(*t);
    size_t ink = 0;
    for (const uint32_t p : px) {
        EXPECT_TRUE(p == kBlue || p == 0xFFFFFFFF || p == 0x00FFFFFF) << std::hex << p;
        ink += p == 0xFFFFFFFF;
    }
    EXPECT_GT(ink, 20u);
}

TEST_F(TextWriterTest, SixteenBitWriterFillsSixteenBitTextures) {
    owner.SoftwareConfig()->TextureFormats = {D3DFMT_A4R4G4B4};
    TSXTextWriter w16(dg, D3DFMT_A4R4G4B4, 16);
    w16.SetFont(GameFont(fsBold));
    auto t = NewTexture(30, 30, 0x00FFFFFF);
    ASSERT_EQ(t->Format(), D3DFMT_A4R4G4B4);
    w16.TextOut(0, 0, "H", *t);
    D3DLOCKED_RECT locked;
    ASSERT_EQ(t->LockRect(0, Rect(0, 0, 30, 30), D3DLOCK_READONLY, locked), D3D_OK);
    bool opaque = false;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 30; ++x) {
            const uint16_t p = static_cast<const uint16_t*>(locked.pBits)[y * locked.Pitch / 2 + x];
            EXPECT_EQ(p & 0x0FFF, 0x0FFF);
            opaque = opaque || p == 0xFFFF;
        }
    t->UnlockRect();
    EXPECT_TRUE(opaque);
}

// A translation's text is read as UTF-8 into code points of their own: the same glyphs as
// Shift-JIS gives for what both can carry, any other character of the font besides, and a
// malformed or cut-off character as U+FFFD without reading past the text.
TEST_F(TextWriterTest, Utf8TextKeepsEveryCharacterAndSurvivesBrokenBytes) {
    const auto codes = [](std::string_view text) {
        std::vector<uint32_t> points;
        for (uint32_t c : TSXTextWriter::Utf8Codes(text)) points.push_back(c & ~UnicodeCodeFlag);
        return points;
    };
    EXPECT_EQ(codes("Aé€ひ😀"), (std::vector<uint32_t>{'A', 0xE9, 0x20AC, 0x3072, 0x1F600}));
    EXPECT_EQ(codes("\xC3"), std::vector<uint32_t>{0xFFFD}); // cut off
    EXPECT_EQ(codes("\xC3"
                    "A"),
              (std::vector<uint32_t>{0xFFFD, 'A'}));                       // no continuation
    EXPECT_EQ(codes("\xC0\xAF"), (std::vector<uint32_t>{0xFFFD, 0xFFFD})); // overlong
    EXPECT_EQ(codes("\xED\xA0\x80"), std::vector<uint32_t>{0xFFFD});       // surrogate
    EXPECT_EQ(codes("\xF4\x90\x80\x80"), std::vector<uint32_t>{0xFFFD});   // beyond U+10FFFF
    EXPECT_EQ(codes("\xF8\x88\x80\x80\x80").size(), 5u);
    for (uint32_t c : TSXTextWriter::Utf8Codes("ひ")) EXPECT_NE(c, 0x82D0u) << "never a Shift-JIS code";

    // What both carry is drawn alike; an accent is its own glyph, not a '?'.
    auto sjis = TextToTexture(*writer, "Aひ");
    auto utf8 = NewTexture(sjis->Width(), sjis->Height(), 0x00FFFFFF);
    EXPECT_EQ(writer->TextWidthUtf8("Aひ"), writer->TextWidth(Utf8ToSjis("Aひ")));
    EXPECT_EQ(writer->TextHeightUtf8("Aひ"), writer->TextHeight(Utf8ToSjis("Aひ")));
    writer->TextOutUtf8(0, 0, "Aひ", *utf8);
    EXPECT_EQ(Pixels(*utf8), Pixels(*sjis));
    auto accent = NewTexture(40, 30, 0x00FFFFFF);
    auto question = NewTexture(40, 30, 0x00FFFFFF);
    writer->TextOutUtf8(0, 0, "é", *accent);
    writer->TextOut(0, 0, Utf8ToSjis("é"), *question);
    EXPECT_NE(Pixels(*accent), Pixels(*question));
    const std::vector<uint32_t> ink = Pixels(*accent);
    EXPECT_GT(std::count_if(ink.begin(), ink.end(), [](uint32_t p) { return p >> 24; }), 0);
}
