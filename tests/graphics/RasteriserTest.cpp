#include "base/Sjis.h"
#include "graphics/FreeTypeRasteriser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

TSXFont GameFont(uint8_t style) {
    TSXFont f;
    f.Name = "MS UI Gothic";
    f.Height = -21;
    f.Style = style;
    f.Charset = SHIFTJIS_CHARSET;
    return f;
}

std::vector<uint32_t> Codes(std::string_view s) {
    std::vector<uint32_t> out;
    for (size_t i = 0; i < s.size();) out.push_back(NextSjisCode(s, i));
    return out;
}

int InkColumns(const std::vector<uint8_t>& bmp, const TGlyphMetrics& m) {
    const size_t pitch = (static_cast<size_t>(m.BlackBoxX) + 3) & ~size_t{3};
    int cols = 0;
    for (int x = 0; x < m.BlackBoxX; ++x) {
        bool ink = false;
        for (int y = 0; y < m.BlackBoxY; ++y) ink = ink || bmp[y * pitch + x] > 0;
        cols += ink;
    }
    return cols;
}

} // namespace

TEST(SjisSplit, SingleAndDoubleByteCharacters) {
    EXPECT_EQ(Codes("A\x81\x40"
                    "B"),
              (std::vector<uint32_t>{'A', 0x8140, 'B'}));
    // Half-width katakana and $A0 stand alone; $80 is below the lead range.
    EXPECT_EQ(Codes("\xA0\xA1\xDF\x80"), (std::vector<uint32_t>{0xA0, 0xA1, 0xDF, 0x80}));
    // A lead byte at the very end is a character by itself.
    EXPECT_EQ(Codes("x\x82"), (std::vector<uint32_t>{'x', 0x82}));
    // $E0-$FF lead, and the trail byte is taken whatever it is.
    EXPECT_EQ(Codes(std::string_view("\xE0\x41\xFF\x00", 4)), (std::vector<uint32_t>{0xE041, 0xFF00}));
    EXPECT_EQ(Codes(""), std::vector<uint32_t>{});
}

TEST(SjisSplit, CodesMapToUnicode) {
    EXPECT_EQ(SjisCodeToUnicode(0x82A0), 0x3042u); // あ
    EXPECT_EQ(SjisCodeToUnicode(0xB1), 0xFF71u);   // half-width ア
    EXPECT_EQ(SjisCodeToUnicode('A'), 'A');
    EXPECT_EQ(SjisCodeToUnicode(0x8140), 0x3000u); // ideographic space
    EXPECT_EQ(SjisCodeToUnicode(0x82), '?');       // a lone lead byte has no character
}

TEST(FreeTypeRasteriser, MissingFamilyFallsBackToAJapaneseGothic) {
    TFreeTypeRasteriser r;
    r.SelectFont(GameFont(fsBold | fsItalic));
    const std::string file = std::filesystem::canonical(r.FontFile()).filename().string();
    EXPECT_NE(file.find("VL-"), std::string::npos) << r.FontFile();
    // VL Gothic has neither bold nor italic faces: both are made up.
    EXPECT_TRUE(r.SynthesisedBold());
    EXPECT_TRUE(r.SynthesisedItalic());
    r.SelectFont(GameFont(fsBold));
    EXPECT_TRUE(r.SynthesisedBold());
    EXPECT_FALSE(r.SynthesisedItalic());
    // Each font is opened once however often it is selected.
    r.SelectFont(GameFont(fsBold | fsItalic));
    r.SelectFont(GameFont(fsBold));
    EXPECT_EQ(r.FacesLoaded(), 2u);
}

TEST(FreeTypeRasteriser, HeightSignChoosesCharacterOrCellHeight) {
    TFreeTypeRasteriser r;
    TSXFont f = GameFont(0);
    // Character height: the em is 21 pixels, split by the face's typographic ascent
    // and descent; for the Gothic face that is the 18 + 3 of the game's layout.
    r.SelectFont(f);
    EXPECT_EQ(r.Ascent(), 18);
    EXPECT_EQ(r.Descent(), 3);
    EXPECT_EQ(r.TextExtent("x").Height, 21);
    TGlyphMetrics m;
    std::vector<uint8_t> bmp;
    r.GlyphOutline(0x82A0, TGlyphFormat::Gray8, m, bmp); // a full-width character is one em wide
    EXPECT_EQ(m.CellIncX, 21);
    // Cell height: the line is 30 pixels; the em follows from the face's proportions.
    f.Height = 30;
    r.SelectFont(f);
    EXPECT_NEAR(r.Ascent() + r.Descent(), 30, 1);
    r.GlyphOutline(0x82A0, TGlyphFormat::Gray8, m, bmp);
    EXPECT_NEAR(m.CellIncX, 30, 1);
    // No height: a 16-pixel character.
    f.Height = 0;
    r.SelectFont(f);
    EXPECT_EQ(r.Ascent() + r.Descent(), 16);
}

TEST(FreeTypeRasteriser, GreyGlyphHasCoverageUpTo64AndPaddedRows) {
    TFreeTypeRasteriser r;
    r.SelectFont(GameFont(0));
    TGlyphMetrics m;
    std::vector<uint8_t> bmp;
    const uint32_t size = r.GlyphOutline(0x82A0, TGlyphFormat::Gray8, m, bmp); // あ
    ASSERT_GT(size, 0u);
    EXPECT_EQ(size, bmp.size());
    EXPECT_EQ(size, ((static_cast<uint32_t>(m.BlackBoxX) + 3) & ~3u) * static_cast<uint32_t>(m.BlackBoxY));
    EXPECT_EQ(*std::max_element(bmp.begin(), bmp.end()), 64);
    // The ink box lies inside the line and the full-width advance is about the em.
    EXPECT_GT(m.OriginY, 0);
    EXPECT_LE(m.OriginY, r.Ascent());
    EXPECT_NEAR(m.CellIncX, 21, 1);
    EXPECT_EQ(m.CellIncY, 0);
}

TEST(FreeTypeRasteriser, MonoGlyphPacksBitsIntoPaddedRows) {
    TFreeTypeRasteriser r;
    r.SelectFont(GameFont(0));
    TGlyphMetrics m;
    std::vector<uint8_t> bmp;
    const uint32_t size = r.GlyphOutline('W', TGlyphFormat::Bitmap, m, bmp);
    ASSERT_GT(size, 0u);
    const uint32_t pitch = ((static_cast<uint32_t>(m.BlackBoxX) + 7) / 8 + 3) & ~3u;
    EXPECT_EQ(size, pitch * static_cast<uint32_t>(m.BlackBoxY));
    // Bits past the box's width stay clear.
    for (int y = 0; y < m.BlackBoxY; ++y)
        for (int x = m.BlackBoxX; x < static_cast<int>(pitch * 8); ++x)
            EXPECT_EQ((bmp[y * pitch + x / 8] >> (7 - x % 8)) & 1, 0) << x << "," << y;
}

TEST(FreeTypeRasteriser, SpaceHasNoInkButAdvances) {
    TFreeTypeRasteriser r;
    r.SelectFont(GameFont(0));
    TGlyphMetrics m;
    std::vector<uint8_t> bmp{1, 2, 3};
    EXPECT_EQ(r.GlyphOutline(' ', TGlyphFormat::Gray8, m, bmp), 0u);
    EXPECT_TRUE(bmp.empty());
    EXPECT_EQ(m.BlackBoxX, 0);
    EXPECT_GT(m.CellIncX, 0);
}

TEST(FreeTypeRasteriser, SynthesisedBoldIsWiderAndItalicLeansRight) {
    TFreeTypeRasteriser r;
    TGlyphMetrics plain, bold, italic;
    std::vector<uint8_t> pb, bb, ib;
    r.SelectFont(GameFont(0));
    r.GlyphOutline('l', TGlyphFormat::Gray8, plain, pb);
    r.SelectFont(GameFont(fsBold));
    r.GlyphOutline('l', TGlyphFormat::Gray8, bold, bb);
    r.SelectFont(GameFont(fsItalic));
    r.GlyphOutline('H', TGlyphFormat::Gray8, italic, ib);
    TGlyphMetrics plainH;
    std::vector<uint8_t> hb;
    r.SelectFont(GameFont(0));
    r.GlyphOutline('H', TGlyphFormat::Gray8, plainH, hb);
    EXPECT_EQ(bold.CellIncX, plain.CellIncX + 1);
    EXPECT_GT(InkColumns(bb, bold), InkColumns(pb, plain));
    EXPECT_EQ(italic.CellIncX, plainH.CellIncX);
    EXPECT_GE(italic.BlackBoxX, plainH.BlackBoxX + 2); // the upright stroke now slants
}

TEST(FreeTypeRasteriser, ExtentIsTheSumOfAdvances) {
    TFreeTypeRasteriser r;
    r.SelectFont(GameFont(fsBold | fsItalic));
    const std::string text = Utf8ToSjis("012\"03 ひまわり");
    int32_t sum = 0;
    for (const uint32_t code : Codes(text)) {
        TGlyphMetrics m;
        std::vector<uint8_t> bmp;
        r.GlyphOutline(code, TGlyphFormat::Gray8, m, bmp);
        sum += m.CellIncX;
    }
    EXPECT_EQ(r.TextExtent(text).Width, sum);
    EXPECT_EQ(r.TextExtent("").Width, 0);
}
