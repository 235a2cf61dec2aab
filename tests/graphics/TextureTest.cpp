#include "GraphicsFixture.h"
#include "graphics/PixelFormat.h"
#include "support/FatalCatcher.h"

#include <gtest/gtest.h>

#include <cstring>

namespace {
class Texture : public GraphicsTest {};
} // namespace

TEST_F(Texture, SizeFollowsTheCaps) {
    struct Case {
        bool pow2, square;
        uint32_t w, h, tw, th;
        float maxU, maxV;
    } cases[] = {
        {false, false, 100, 60, 100, 60, 1.0f, 1.0f},
        {true, false, 100, 60, 128, 64, 0.78125f, 0.9375f},
        {true, true, 100, 60, 128, 128, 0.78125f, 0.46875f},
        {false, true, 100, 60, 100, 100, 1.0f, 0.6f},
        {true, false, 1, 1, 1, 1, 1.0f, 1.0f},
        {true, false, 0, 5, 1, 8, 0.0f, 0.625f},
        {true, false, 764, 500, 1024, 512, 0.74609375f, 0.9765625f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.w << "x" << c.h << " pow2 " << c.pow2 << " square " << c.square);
        Config().PowerOfTwo = c.pow2;
        Config().SquareOnly = c.square;
        auto t = MakeTexture();
        t->SetSize(c.w, c.h);
        EXPECT_EQ(t->Width(), c.w);
        EXPECT_EQ(t->Height(), c.h);
        EXPECT_EQ(t->TextureWidth(), c.tw);
        EXPECT_EQ(t->TextureHeight(), c.th);
        EXPECT_FLOAT_EQ(t->MaxU(), c.maxU);
        EXPECT_FLOAT_EQ(t->MaxV(), c.maxV);
        EXPECT_NE(t->Texture(), nullptr);
    }
}

TEST_F(Texture, TooLargeIsLoggedThenCreationFails) {
    Config().MaxTextureWidth = 256;
    Config().MaxTextureHeight = 128;
    auto t = MakeTexture();
    t->SetSize(300, 100);
    EXPECT_TRUE(Logged("要求されたテクスチャのサイズは大きすぎます。256 x 128 以内にして下さい"));
    EXPECT_TRUE(Logged("テクスチャの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"));
    EXPECT_EQ(t->Texture(), nullptr);
    D3DLOCKED_RECT lr;
    EXPECT_NE(t->LockRect(0, Rect(0, 0, 1, 1), 0, lr), D3D_OK);
    EXPECT_TRUE(
        Logged("テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください(Error "
               "Code = UNKNOWN ERROR ... $00000001)"));
    EXPECT_FALSE(t->Locked());
}

TEST_F(Texture, FormatIsTheFirstCandidateTheDeviceTakesElseTheBackBuffer) {
    Config().TextureFormats = {D3DFMT_X8R8G8B8, D3DFMT_A1R5G5B5, D3DFMT_A4R4G4B4};
    auto t = MakeTexture();
    t->SetSize(4, 4);
    EXPECT_EQ(t->Format(), D3DFMT_A4R4G4B4);
    EXPECT_EQ(t->BytesPerPixel(), 2u);
    EXPECT_TRUE(Logged("使用されるフォーマットは A4R4G4B4 です"));
    Config().TextureMemory = 3u << 20;
    auto u = MakeTexture("u", {D3DFMT_A8L8});
    u->SetSize(512, 512);
    EXPECT_EQ(u->Format(), D3DFMT_X8R8G8B8);
    EXPECT_TRUE(Logged("残りテクスチャ容量は、約2.00メガです"));
}

TEST_F(Texture, ARestorableTextureStartsInItsFillColourAndAnEmptyOneIsMemory) {
    auto t = MakeTexture();
    EXPECT_EQ(t->SourceKind(), skNone);
    t->SetFillColor(0x80112233);
    t->SetSize(3, 2);
    EXPECT_EQ(t->SourceKind(), skMemory);
    EXPECT_EQ(TexelOf(*t, 2, 1), 0x80112233u);
}

TEST_F(Texture, FillRectKeepsAlphaWhenAsked) {
    auto t = MakeTexture();
    t->SetSize(4, 4);
    t->FillRect(Rect(0, 0, 4, 4), 0x80FF0000, false);
    t->FillRect(Rect(1, 1, 3, 3), 0x0000FF00, true);
    EXPECT_EQ(TexelOf(*t, 1, 1), 0x8000FF00u);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0x80FF0000u);
    EXPECT_EQ(TexelOf(*t, 3, 3), 0x80FF0000u);
    // 16-bit: the alpha read back is the format's own.
    auto s = MakeTexture("s", {D3DFMT_A4R4G4B4});
    s->SetSize(2, 2);
    s->FillRect(Rect(0, 0, 2, 2), 0x80FFFFFF, false);
    s->FillRect(Rect(0, 0, 2, 2), 0x00336699, true);
    EXPECT_EQ(TexelOf(*s, 1, 1), 0x88336699u);
}

TEST_F(Texture, FillRectOutsideTheTextureIsRefused) {
    auto t = MakeTexture();
    t->SetSize(4, 4);
    t->FillRect(Rect(2, 2, 5, 3), 0xFFFFFFFF, false);
    EXPECT_TRUE(Logged("LockRectに失敗しました(Error Code = D3DERR_INVALIDCALL )"));
    EXPECT_EQ(TexelOf(*t, 3, 2), 0u);
}

TEST_F(Texture, ColorKeyMakesTheKeyTransparentAndEverythingElseOpaque) {
    auto t = MakeTexture();
    t->SetSize(3, 1);
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, Rect(0, 0, 3, 1), 0, lr), D3D_OK);
    const uint32_t pixels[3] = {0x7F000000, 0x00000001, 0x12FFFFFF};
    std::memcpy(lr.pBits, pixels, sizeof pixels);
    t->UnlockRect();
    t->SetColorKey(0xFF000000);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0x00000000u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF000001u);
    EXPECT_EQ(TexelOf(*t, 2, 0), 0xFFFFFFFFu);
}

TEST_F(Texture, ColorKeyOnA16BitTextureComparesAtTheFormatsPrecision) {
    auto t = MakeTexture("s", {D3DFMT_A1R5G5B5});
    t->SetSize(2, 1);
    t->FillRect(Rect(0, 0, 1, 1), 0xFFFF0000, false);
    t->FillRect(Rect(1, 0, 2, 1), 0xFF00FF00, false);
    t->SetColorKey(0xFFFF0000);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0x00FF0000u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF00FF00u);
}

TEST_F(Texture, ProcessPixelsVisitsRowsTopDownWithTextureCoordinates) {
    auto t = MakeTexture();
    t->SetSize(4, 4);
    std::vector<std::pair<int32_t, int32_t>> seen;
    t->ProcessPixels(
        Rect(1, 2, 3, 4),
        [](TDGTexture&, uint32_t, int32_t x, int32_t y, void* data) {
            static_cast<std::vector<std::pair<int32_t, int32_t>>*>(data)->emplace_back(x, y);
            return static_cast<uint32_t>(0xFF000000 | (x << 8) | y);
        },
        &seen);
    EXPECT_EQ(seen, (std::vector<std::pair<int32_t, int32_t>>{{1, 2}, {2, 2}, {1, 3}, {2, 3}}));
    EXPECT_EQ(TexelOf(*t, 2, 3), 0xFF000203u);
}

TEST_F(Texture, RowsAreAddressedByPitchNotByWidth) {
    Config().ExtraPitch = 12;
    auto t = MakeTexture();
    t->SetSize(3, 3);
    t->FillRect(Rect(0, 1, 3, 2), 0xFF0000FF, false);
    EXPECT_EQ(TexelOf(*t, 2, 0), 0u);
    EXPECT_EQ(TexelOf(*t, 0, 1), 0xFF0000FFu);
    EXPECT_EQ(TexelOf(*t, 2, 1), 0xFF0000FFu);
    EXPECT_EQ(TexelOf(*t, 0, 2), 0u);
}

TEST_F(Texture, AWritingLockMakesTheContentMemoryAndANewGenerationAReadingOneDoesNot) {
    TempDir files;
    BmpBuilder b;
    b.rows = {Row24({0x123456})};
    const std::string path = files.Write("one.bmp", b.Bytes());
    auto t = MakeTexture();
    t->LoadFromFile(path);
    EXPECT_EQ(t->SourceKind(), skFile);
    // The content generation moves with every write and new size, never with a read.
    const uint64_t loaded = t->Generation();
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, Rect(0, 0, 1, 1), D3DLOCK_READONLY, lr), D3D_OK);
    t->UnlockRect();
    EXPECT_EQ(t->SourceKind(), skFile);
    EXPECT_EQ(t->Generation(), loaded);
    ASSERT_EQ(t->LockRect(0, Rect(0, 0, 1, 1), 0, lr), D3D_OK);
    t->UnlockRect();
    EXPECT_EQ(t->SourceKind(), skMemory);
    const uint64_t written = t->Generation();
    EXPECT_GT(written, loaded);
    t->SetSize(2, 2);
    EXPECT_GT(t->Generation(), written);
    // A texture made where a released one lived answers none of its generations.
    const uint64_t last = t->Generation();
    t.reset();
    auto again = MakeTexture();
    again->SetSize(2, 2);
    EXPECT_GT(again->Generation(), last);
}

TEST_F(Texture, UnlockFailureIsReportedAndTheTextureIsUnlocked) {
    auto t = MakeTexture();
    t->SetSize(2, 2);
    Config().Failures[SoftwareOp::UnlockRect] = D3DERR_INVALIDCALL;
    D3DLOCKED_RECT lr;
    ASSERT_EQ(t->LockRect(0, Rect(0, 0, 2, 2), 0, lr), D3D_OK);
    t->UnlockRect();
    EXPECT_FALSE(t->Locked());
    EXPECT_TRUE(Logged("アンロックに失敗しました(Error Code = D3DERR_INVALIDCALL )"));
}

TEST_F(Texture, DestroyingUnregistersAndLogs) {
    auto t = MakeTexture("bye");
    t->SetSize(2, 2);
    const int32_t id = t->ResourceID();
    t.reset();
    EXPECT_TRUE(Logged("テクスチャオブジェクトを解放します"));
    EXPECT_TRUE(Logged("DODozuzリソース(TDGTexture) : ID " + std::to_string(id) + "(bye) を登録解除します"));
    EXPECT_TRUE(dg->Resources().empty());
}

class TextureHalting : public GraphicsTest {
protected:
    TextureHalting() : GraphicsTest(dgoHaltOnError) {}
};

TEST_F(TextureHalting, LockingWithoutATextureHalts) {
    FatalCatcher catcher;
    auto t = MakeTexture();
    D3DLOCKED_RECT lr;
    EXPECT_THROW(t->LockRect(0, Rect(0, 0, 1, 1), 0, lr), HaltCalled);
}

TEST_F(Texture, RunningOutOfTextureMemoryIsAFailedCreation) {
    Config().TextureMemory = 1u << 20;
    auto a = MakeTexture("a");
    a->SetSize(512, 256);
    ASSERT_NE(a->Texture(), nullptr);
    EXPECT_EQ(dg->D3DDevice()->GetAvailableTextureMem(), 512u * 1024);
    auto b = MakeTexture("b");
    b->SetSize(512, 512);
    EXPECT_EQ(b->Texture(), nullptr);
    EXPECT_TRUE(Logged("テクスチャの生成に失敗しました(Error Code = D3DERR_OUTOFVIDEOMEMORY)"));
    a.reset();
    b->SetSize(512, 512);
    EXPECT_NE(b->Texture(), nullptr);
}
