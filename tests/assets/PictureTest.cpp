// Every picture the game reads from Data/data.qda: present, a well-formed 24-bit BMP,
// sized for where the game draws it, and free of stray pixels in its transparent colour.
#include "AssetFormats.h"
#include "archive/QDArc.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {

constexpr uint32_t Black = 0x000000, White = 0xFFFFFF, Red = 0xFF0000;

std::string Archive() {
    return SourceDir() + "Data/data.qda";
}

TBmpImage LoadEntry(const std::string& name) {
    const auto stream = QDALoadFromFile(Archive(), name);
    const auto img = ReadBmp24(stream->Bytes());
    if (!img) throw std::runtime_error(name + " is not a 24-bit BMP");
    return *img;
}

struct TEntry {
    const char* Name;
    uint32_t Key;
};

const TEntry Entries[] = {
    {"TateLine.bmp", Black},
    {"YokoLine.bmp", Black},
    {"kuro_R.bmp", White},
    {"kuro_Down.bmp", White},
    {"kuro_L.bmp", White},
    {"kuro_Up.bmp", White},
    {"cat_R.bmp", Red},
    {"cat_down.bmp", Red},
    {"cat_L.bmp", Red},
    {"cat_up.bmp", Red},
    {"himawari_tane0.bmp", Black},
    {"apple.bmp", Black},
    {"gameover.bmp", Black},
    {"get.bmp", Black},
    {"10get.bmp", Black},
    {"20get.bmp", Black},
    {"GC.bmp", Black},
    {"Title.bmp", Black},
    {"2008rogo.bmp", Black},
};

class ArchiveEntry : public ::testing::TestWithParam<TEntry> {};

TEST_P(ArchiveEntry, IsA24BitBmpWithNoEnclosedKeyPixels) {
    const TEntry e = GetParam();
    const TBmpImage img = LoadEntry(e.Name);
    EXPECT_EQ(EnclosedKeyPixels(img, e.Key), 0) << e.Name << ": transparent holes inside the drawing";
    // Something shows, and the picture is not a solid block of one colour.
    const int64_t total = int64_t{img.Width} * img.Height;
    const int64_t keyed = CountPixels(img, e.Key);
    EXPECT_LT(keyed, total * 95 / 100) << e.Name;
}

INSTANTIATE_TEST_SUITE_P(Data, ArchiveEntry, ::testing::ValuesIn(Entries), [](const auto& info) {
    std::string n = info.param.Name;
    for (char& c : n)
        if (!isalnum(static_cast<unsigned char>(c))) c = '_';
    return n;
});

TEST(Pictures, HamsterSidesShareOneSizeAndTurnedOnesSwapIt) {
    const TBmpImage r = LoadEntry("kuro_R.bmp"), l = LoadEntry("kuro_L.bmp");
    const TBmpImage d = LoadEntry("kuro_Down.bmp"), u = LoadEntry("kuro_Up.bmp");
    // The board generator needs the right-facing picture to be at least 20 x 20.
    EXPECT_GE(r.Width, 20);
    EXPECT_GE(r.Height, 20);
    EXPECT_EQ(l.Width, r.Width);
    EXPECT_EQ(l.Height, r.Height);
    EXPECT_EQ(d.Width, r.Height);
    EXPECT_EQ(d.Height, r.Width);
    EXPECT_EQ(u.Width, r.Height);
    EXPECT_EQ(u.Height, r.Width);
    // Left is the mirror image, down and up the quarter turns of the right-facing picture.
    for (int32_t y = 0; y < r.Height; ++y)
        for (int32_t x = 0; x < r.Width; ++x) {
            ASSERT_EQ(l.Pixel(r.Width - 1 - x, y), r.Pixel(x, y)) << x << "," << y;
            ASSERT_EQ(d.Pixel(r.Height - 1 - y, x), r.Pixel(x, y)) << x << "," << y;
            ASSERT_EQ(u.Pixel(y, r.Width - 1 - x), r.Pixel(x, y)) << x << "," << y;
        }
}

TEST(Pictures, LinesSpanTheBoardAndAreOpaque) {
    const TBmpImage v = LoadEntry("TateLine.bmp"), h = LoadEntry("YokoLine.bmp");
    EXPECT_GE(v.Width, 2);
    EXPECT_LE(v.Width, 6);
    EXPECT_EQ(v.Height, 400 + v.Width);
    EXPECT_EQ(h.Height, v.Width);
    EXPECT_EQ(h.Width, 600 + h.Height);
    EXPECT_EQ(CountPixels(v, Black), 0);
    EXPECT_EQ(CountPixels(h, Black), 0);
}

TEST(Pictures, CatsAndFoodFitTheBoardsCells) {
    for (const char* name : {"cat_R.bmp", "cat_down.bmp", "cat_L.bmp", "cat_up.bmp"}) {
        const TBmpImage c = LoadEntry(name);
        EXPECT_GE(c.Width, 20) << name;
        EXPECT_GE(c.Height, 20) << name;
        EXPECT_LE(c.Width, 69) << name;
        EXPECT_LE(c.Height, 69) << name;
    }
    for (const char* name : {"himawari_tane0.bmp", "apple.bmp"}) {
        const TBmpImage f = LoadEntry(name);
        EXPECT_LE(f.Width, 40) << name;
        EXPECT_LE(f.Height, 40) << name;
        EXPECT_GE(f.Width, 12) << name;
    }
}

TEST(Pictures, BigPicturesFitTheWindowWhereTheyAreDrawn) {
    constexpr int32_t ClientWidth = 764, ClientHeight = 500;
    const TBmpImage over = LoadEntry("gameover.bmp");
    EXPECT_LE(100 + over.Width * 6 / 5, ClientWidth); // at (100, 200), 1.2 times its size
    EXPECT_LE(200 + over.Height * 6 / 5, ClientHeight);
    for (const char* name : {"get.bmp", "10get.bmp", "20get.bmp", "GC.bmp", "Title.bmp"}) {
        const TBmpImage p = LoadEntry(name);
        EXPECT_LE(p.Width, ClientWidth) << name; // centred, top at y 150
        EXPECT_LE(150 + p.Height, ClientHeight) << name;
    }
    const TBmpImage logo = LoadEntry("2008rogo.bmp");
    EXPECT_LE(400 + logo.Width, ClientWidth);
    EXPECT_LE(350 + logo.Height, ClientHeight);
}

TEST(Pictures, BackgroundIconsAndDialogPictures) {
    EXPECT_EQ(JpegSize(ReadWholeFile(SourceDir() + "Data/haikei.jpg")), std::make_pair(764, 500));
    const std::pair<const char*, std::pair<int32_t, int32_t>> pngs[] = {
        {"app/resources/version-title.png", {600, 148}},
        {"app/resources/version-credit.png", {221, 38}},
        {"app/resources/icon-256.png", {256, 256}},
        {"app/resources/icon-48.png", {48, 48}},
    };
    for (const auto& [path, size] : pngs) EXPECT_EQ(PngSize(ReadWholeFile(SourceDir() + path)), size) << path;
}

TEST(AssetFormats, EnclosedKeyPixelsFindsHolesButNotTheSurround) {
    // 5 x 5 white (the key) with a red ring round the middle pixel: the middle is a hole.
    TBmpImage img;
    img.Width = img.Height = 5;
    img.Rgb.assign(75, 0xFF);
    auto set = [&](int x, int y, uint8_t r, uint8_t g, uint8_t b) {
        uint8_t* p = &img.Rgb[static_cast<size_t>((y * 5 + x) * 3)];
        p[0] = r, p[1] = g, p[2] = b;
    };
    for (int y = 1; y <= 3; ++y)
        for (int x = 1; x <= 3; ++x)
            if (x != 2 || y != 2) set(x, y, 200, 0, 0);
    EXPECT_EQ(EnclosedKeyPixels(img, White), 1);
    set(2, 1, 255, 255, 255); // open the ring: the middle joins the border
    EXPECT_EQ(EnclosedKeyPixels(img, White), 0);
}

TEST(AssetFormats, BmpReaderRefusesWhatTheGameCouldNotLoad) {
    std::vector<uint8_t> bmp = QDALoadFromFile(Archive(), "apple.bmp")->Bytes();
    ASSERT_TRUE(ReadBmp24(bmp));
    std::vector<uint8_t> cut(bmp.begin(), bmp.end() - 1);
    EXPECT_FALSE(ReadBmp24(cut));
    std::vector<uint8_t> eightBit = bmp;
    eightBit[28] = 8;
    EXPECT_FALSE(ReadBmp24(eightBit));
}

} // namespace
