#include "GraphicsFixture.h"
#include "graphics/BmpLoader.h"

#include <gtest/gtest.h>

namespace {
class Bmp : public GraphicsTest {
protected:
    std::unique_ptr<TDGTexture> Load(const BmpBuilder& b,
                                     std::vector<D3DFORMAT> formats = {D3DFMT_A8R8G8B8}) {
        auto t = MakeTexture("bmp", formats);
        TMemoryStream stream(b.Bytes());
        t->LoadFromStream(stream);
        return t;
    }
    static constexpr const char* StreamFailure =
        "ストリームからの、読み込みエラー(Error Code = UNKNOWN ERROR ... $00000001)";
};
} // namespace

TEST_F(Bmp, TwentyFourBitRowsArePaddedAndStoredBottomUp) {
    BmpBuilder b;
    b.width = 3, b.height = 2;
    b.rows = {Row24({0x010203, 0x040506, 0x070809}), Row24({0xFF0000, 0x00FF00, 0x0000FF})};
    EXPECT_EQ(b.Bytes().size(), 54u + 12 * 2);
    auto t = Load(b);
    EXPECT_EQ(t->Width(), 3u);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFFFF0000u); // top file row last
    EXPECT_EQ(TexelOf(*t, 2, 0), 0xFF0000FFu);
    EXPECT_EQ(TexelOf(*t, 0, 1), 0xFF010203u);
    EXPECT_EQ(TexelOf(*t, 2, 1), 0xFF070809u);
    EXPECT_EQ(t->SourceKind(), skMemory);
}

TEST_F(Bmp, NegativeHeightRowsAreTopDown) {
    BmpBuilder b;
    b.width = 2, b.height = -2;
    b.rows = {Row24({0x111111, 0x222222}), Row24({0x333333, 0x444444})};
    auto t = Load(b);
    EXPECT_EQ(t->Height(), 2u);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF111111u);
    EXPECT_EQ(TexelOf(*t, 1, 1), 0xFF444444u);
}

TEST_F(Bmp, EightBitUsesItsPalette) {
    BmpBuilder b;
    b.width = 3, b.height = 1, b.bits = 8;
    b.palette.assign(256, 0);
    b.palette[0] = 0x000000, b.palette[7] = 0x8040C0, b.palette[255] = 0xFFFFFF;
    b.rows = {{7, 0, 255}};
    auto t = Load(b);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF8040C0u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF000000u);
    EXPECT_EQ(TexelOf(*t, 2, 0), 0xFFFFFFFFu);
}

TEST_F(Bmp, AShortPaletteIsReadAsLongAsItSays) {
    BmpBuilder b;
    b.width = 2, b.height = 1, b.bits = 8, b.clrUsed = 2;
    b.palette = {0x00FF00, 0x0000FF};
    b.rows = {{1, 0}};
    auto t = Load(b);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF0000FFu);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF00FF00u);
}

TEST_F(Bmp, AnIndexPastThePaletteStopsTheLoad) {
    BmpBuilder b;
    b.width = 2, b.height = 2, b.bits = 8, b.clrUsed = 2;
    b.palette = {0x00FF00, 0x0000FF};
    b.rows = {{1, 1}, {0, 9}};
    auto t = Load(b);
    EXPECT_TRUE(Logged("BMPのパレットにない色番号が使われています"));
    EXPECT_EQ(TexelOf(*t, 0, 1), 0xFF0000FFu); // the row read before stays
    EXPECT_EQ(TexelOf(*t, 0, 0), 0u);
}

TEST_F(Bmp, SixteenBitIsX1R5G5B5) {
    BmpBuilder b;
    b.width = 2, b.height = 1, b.bits = 16;
    b.rows = {{0x00, 0x7C, 0x1F, 0x00}}; // red, blue
    auto t = Load(b);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFFFF0000u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF0000FFu);
}

TEST_F(Bmp, ThirtyTwoBitKeepsItsAlphaTwentyFourBitIsOpaque) {
    BmpBuilder b;
    b.width = 1, b.height = 1, b.bits = 32;
    b.rows = {Row32({0x40123456})};
    EXPECT_EQ(TexelOf(*Load(b), 0, 0), 0x40123456u);
    // Into a 16-bit texture the components are cut.
    EXPECT_EQ(TexelOf(*Load(b, {D3DFMT_A4R4G4B4}), 0, 0), 0x44113355u);
    BmpBuilder c;
    c.rows = {Row24({0x123456})};
    EXPECT_EQ(TexelOf(*Load(c), 0, 0), 0xFF123456u);
}

TEST_F(Bmp, AFourBitPictureIsRefusedWithTheBitCountMessage) {
    BmpBuilder b;
    b.width = 2, b.height = 1, b.bits = 4;
    b.palette.assign(16, 0);
    b.rows = {{0x12}};
    auto t = Load(b);
    EXPECT_TRUE(
        Logged("色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください(Error Code = "
               "UNKNOWN ERROR ... $00000001)"));
}

TEST_F(Bmp, TallerAndWiderPicturesKeepTheirTopLeft) {
    Config().MaxTextureWidth = 2;
    Config().MaxTextureHeight = 2;
    auto t = MakeTexture();
    t->SetSize(2, 2);
    TMemoryStream stream;
    BmpBuilder b;
    b.width = 3, b.height = 3;
    b.rows = {Row24({0x000001, 0x000002, 0x000003}), Row24({0x000004, 0x000005, 0x000006}),
              Row24({0x000007, 0x000008, 0x000009})};
    const auto bytes = b.Bytes();
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(0);
    LoadBMP(*t->Texture(), stream);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF000007u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF000008u);
    EXPECT_EQ(TexelOf(*t, 0, 1), 0xFF000004u);
    EXPECT_EQ(TexelOf(*t, 1, 1), 0xFF000005u);
}

TEST_F(Bmp, ATruncatedPictureKeepsTheRowsRead) {
    BmpBuilder b;
    b.width = 1, b.height = 3;
    b.rows = {Row24({0x0000AA}), Row24({0x0000BB}), Row24({0x0000CC})};
    auto bytes = b.Bytes();
    bytes.resize(bytes.size() - 6);
    auto t = MakeTexture();
    TMemoryStream stream(bytes);
    t->LoadFromStream(stream);
    EXPECT_TRUE(Logged("LoadBMP中に、読み込みエラーが発生しました"));
    EXPECT_EQ(TexelOf(*t, 0, 2), 0xFF0000AAu);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0u);
    TMemoryStream headerOnly(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 30));
    t->LoadFromStream(headerOnly);
    EXPECT_TRUE(Logged(StreamFailure));
}

TEST_F(Bmp, BrokenHeadersAreRefusedBeforeAnythingIsAllocated) {
    struct Case {
        int32_t w, h;
        uint16_t bits;
        uint32_t compression, clrUsed;
        const char* message;
    } cases[] = {
        {100000, 100000, 24, 0, 0, "BMPの大きさ(100000 x 100000)が不正です。幅と高さは1～4096にして下さい"},
        {-5, 10, 24, 0, 0, "BMPの大きさ(-5 x 10)が不正です。幅と高さは1～4096にして下さい"},
        {5, 0, 24, 0, 0, "BMPの大きさ(5 x 0)が不正です。幅と高さは1～4096にして下さい"},
        {5, INT32_MIN, 24, 0, 0, "BMPの大きさ(5 x -2147483648)が不正です。幅と高さは1～4096にして下さい"},
        {4, 4, 8, 1, 0, "圧縮されたBMP(biCompression = 1)は読み込めません"},
        {4, 4, 8, 0, 300, "BMPのパレットの色数(300)が256を超えています"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        BmpBuilder b;
        b.width = c.w, b.height = c.h, b.bits = c.bits, b.compression = c.compression, b.clrUsed = c.clrUsed;
        auto t = Load(b);
        EXPECT_TRUE(Logged(c.message));
        EXPECT_TRUE(Logged(StreamFailure));
        EXPECT_EQ(t->Texture(), nullptr);
    }
}

TEST_F(Bmp, BitFieldsInTheUsualLayoutAreRead) {
    BmpBuilder b;
    b.width = 1, b.height = 1, b.bits = 32, b.compression = 3;
    b.palette = {0xFF0000, 0x00FF00, 0x0000FF}; // the three masks sit where a palette would
    b.rows = {Row32({0xFF102030})};
    EXPECT_EQ(TexelOf(*Load(b), 0, 0), 0xFF102030u);
    b.palette = {0x0000FF, 0x00FF00, 0xFF0000};
    Load(b);
    EXPECT_TRUE(Logged("BMPのビットフィールドが読み込めない配置です"));
}

TEST_F(Bmp, NotABmpIsRefused) {
    auto t = MakeTexture();
    TMemoryStream stream(std::vector<uint8_t>(80, 'x'));
    t->LoadFromStream(stream);
    EXPECT_TRUE(Logged("不正なBMPファイルです"));
    EXPECT_EQ(t->Texture(), nullptr);
}

TEST_F(Bmp, ASecondPictureReplacesTheFirst) {
    BmpBuilder small;
    small.rows = {Row24({0x111111})};
    BmpBuilder big;
    big.width = 2, big.height = 2;
    big.rows = {Row24({1, 2}), Row24({3, 4})};
    auto t = MakeTexture();
    TMemoryStream a(small.Bytes()), b(big.Bytes());
    t->LoadFromStream(a);
    t->LoadFromStream(b);
    EXPECT_EQ(t->Width(), 2u);
    EXPECT_EQ(TexelOf(*t, 1, 1), 0xFF000002u);
    EXPECT_TRUE(Logged("テクスチャの再生成に伴い、以前のテクスチャを解放します"));
}

TEST_F(Bmp, ReadingStartsAtTheStreamsPosition) {
    BmpBuilder b;
    b.rows = {Row24({0xABCDEF})};
    const auto bytes = b.Bytes();
    TMemoryStream stream;
    stream.Write("junk", 4);
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.SetPosition(4);
    auto t = MakeTexture();
    t->LoadFromStream(stream);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFFABCDEFu);
}

TEST_F(Bmp, SaveToStreamWritesA32BitPictureThatLoadsBack) {
    auto t = MakeTexture("src", {D3DFMT_A8R8G8B8});
    t->SetSize(3, 2);
    t->FillRect(Rect(0, 0, 3, 1), 0x80FF0000, false);
    t->FillRect(Rect(0, 1, 3, 2), 0xFF00FF00, false);
    TMemoryStream saved;
    t->SaveToStream(saved);
    ASSERT_EQ(saved.Size(), 54 + 3 * 2 * 4);
    const uint8_t* m = saved.Memory();
    EXPECT_EQ(m[0], 'B');
    EXPECT_EQ(m[28], 32);
    EXPECT_EQ(m[54 + 3], 0xFF); // bottom row first: opaque green
    saved.SetPosition(0);
    auto u = MakeTexture("copy");
    u->LoadFromStream(saved);
    EXPECT_EQ(TexelOf(*u, 2, 0), 0x80FF0000u);
    EXPECT_EQ(TexelOf(*u, 2, 1), 0xFF00FF00u);
}

TEST_F(Bmp, LoadFromBitmapGoesThroughTheBmpLayout) {
    TBitmap bitmap(3, 2, 24);
    bitmap.SetPixel(0, 0, 0xFF102030);
    bitmap.SetPixel(2, 1, 0xFFA0B0C0);
    auto t = MakeTexture();
    t->LoadFromBitmap(bitmap);
    EXPECT_EQ(t->Width(), 3u);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF102030u);
    EXPECT_EQ(TexelOf(*t, 2, 1), 0xFFA0B0C0u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF000000u);
    EXPECT_EQ(t->SourceKind(), skMemory);
    EXPECT_TRUE(Logged("ID 0 のテクスチャに、TBitmapから読み込みます"));
    EXPECT_TRUE(Logged("ID 0 のテクスチャに、ストリームから読み込みます"));
}

TEST_F(Bmp, AMissingFileIsReportedWithItsName) {
    auto t = MakeTexture("f");
    const std::string path = dir.File("none.bmp");
    t->LoadFromFile(path);
    EXPECT_TRUE(Logged("ID 0(f) のテクスチャに、" + path + " を読み込みます"));
    EXPECT_TRUE(Logged(path + "からの、読み込みエラー(Error Code = UNKNOWN ERROR ... $00000001)"));
    EXPECT_EQ(t->SourceKind(), skFile);
    EXPECT_EQ(t->FileName(), path);
}
