#include "GraphicsFixture.h"
#include "tools/qdapack/QDAPack.h"

#include <gtest/gtest.h>

namespace {
class Restore : public GraphicsTest {
protected:
    std::vector<uint8_t> Picture(uint32_t a, uint32_t b) {
        BmpBuilder bmp;
        bmp.width = 2;
        bmp.rows = {Row24({a, b})};
        return bmp.Bytes();
    }
    // Drops the device and makes a new one, as a change of window mode does.
    void RecreateDevice() { dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0); }
};
} // namespace

TEST_F(Restore, AnArchiveEntryComesBackFromTheArchive) {
    const std::string archive =
        dir.Write("data.qda", QDAPackArchive({{"cat_R.bmp", Picture(0x102030, 0x405060)}}, true));
    auto t = MakeTexture("cat");
    t->LoadFromFile("cat_R.bmp", archive);
    EXPECT_TRUE(
        Logged("ID 0(cat) のテクスチャに、QDAファイル" + archive + " から ID cat_R.bmp を読み込みます"));
    EXPECT_EQ(t->SourceKind(), skArchive);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF405060u);
    t->ReleaseForDevice();
    EXPECT_EQ(t->Texture(), nullptr);
    EXPECT_EQ(t->BackupStream(), nullptr);
    t->RestoreAfterDevice();
    EXPECT_EQ(t->SourceKind(), skArchive);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF102030u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0xFF405060u);
    // Keying writes through a lock: from then on the texture is its own copy.
    t->SetColorKey(0xFF405060);
    EXPECT_EQ(t->SourceKind(), skMemory);
    RecreateDevice();
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFF102030u);
    EXPECT_EQ(TexelOf(*t, 1, 0), 0x00405060u);
}

TEST_F(Restore, AMissingEntryIsReportedWithEntryAndArchive) {
    const std::string archive = dir.Write("data.qda", QDAPackArchive({{"a.bmp", Picture(1, 2)}}, false));
    auto t = MakeTexture();
    t->LoadFromFile("b.bmp", archive);
    EXPECT_TRUE(
        Logged("b.bmp ＠ " + archive + "からの、読み込みエラー(Error Code = UNKNOWN ERROR ... $00000001)"));
    EXPECT_EQ(t->SourceKind(), skArchive);
    EXPECT_EQ(t->EntryName(), "b.bmp");
}

TEST_F(Restore, AFileComesBackFromTheFile) {
    const std::string path = dir.Write("pic.bmp", Picture(0xAABBCC, 0x112233));
    auto t = MakeTexture();
    t->LoadFromFile(path);
    RecreateDevice();
    EXPECT_EQ(t->SourceKind(), skFile);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0xFFAABBCCu);
}

TEST_F(Restore, AnImageMadeInMemoryComesBackFromItsCopy) {
    auto t = MakeTexture();
    t->SetSize(3, 3);
    t->FillRect(Rect(1, 1, 2, 2), 0x7F00FF00, false);
    t->ReleaseForDevice();
    ASSERT_NE(t->BackupStream(), nullptr);
    t->RestoreAfterDevice();
    EXPECT_EQ(t->SourceKind(), skMemory);
    EXPECT_EQ(t->BackupStream(), nullptr);
    EXPECT_EQ(TexelOf(*t, 1, 1), 0x7F00FF00u);
    EXPECT_EQ(TexelOf(*t, 0, 0), 0u);
    RecreateDevice();
    EXPECT_EQ(TexelOf(*t, 1, 1), 0x7F00FF00u);
}

TEST_F(Restore, AFourBitCopyOfASixteenBitTextureComesBackAtItsPrecision) {
    auto t = MakeTexture("s", {D3DFMT_A4R4G4B4});
    t->SetSize(2, 1);
    t->FillRect(Rect(0, 0, 2, 1), 0x80FF8040, false);
    const uint32_t before = TexelOf(*t, 1, 0);
    RecreateDevice();
    EXPECT_EQ(TexelOf(*t, 1, 0), before);
}

TEST_F(Restore, ATextureNeverSizedStaysEmpty) {
    auto t = MakeTexture();
    RecreateDevice();
    EXPECT_EQ(t->Texture(), nullptr);
    EXPECT_EQ(t->SourceKind(), skNone);
    EXPECT_FALSE(Logged("テクスチャの生成に失敗しました(Error Code = D3DERR_INVALIDCALL )"));
}

TEST_F(Restore, DefaultPoolTexturesAreDroppedAroundAResetManagedOnesStay) {
    auto managed = MakeTexture("m");
    managed->SetSize(2, 2);
    managed->FillRect(Rect(0, 0, 2, 2), 0xFF123456, false);
    auto target = MakeTexture("d", {D3DFMT_A8R8G8B8}, D3DPOOL_DEFAULT);
    target->SetSize(4, 2);
    EXPECT_FALSE(target->Restorable());
    const auto managedTexture = managed->Texture().get();
    Config().CooperativeLevel = D3DERR_DEVICENOTRESET;
    EXPECT_EQ(dg->ResetDevice(), D3D_OK); // fails while a default-pool texture is alive
    EXPECT_EQ(managed->Texture().get(), managedTexture);
    EXPECT_EQ(TexelOf(*managed, 1, 1), 0xFF123456u);
    ASSERT_NE(target->Texture(), nullptr);
    EXPECT_EQ(target->TextureWidth(), 4u);
    EXPECT_EQ(target->BackupStream(), nullptr);
}

TEST_F(Restore, AResetWithALiveDefaultPoolTextureFails) {
    std::shared_ptr<IRenderTexture> held;
    ASSERT_EQ(dg->D3DDevice()->CreateTexture(4, 4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_DEFAULT, held), D3D_OK);
    EXPECT_EQ(dg->ResetDevice(), D3DERR_INVALIDCALL);
    held.reset();
    EXPECT_EQ(dg->ResetDevice(), D3D_OK);
}
