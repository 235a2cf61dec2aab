#include "GraphicsFixture.h"
#include "support/FatalCatcher.h"

#include <gtest/gtest.h>

namespace {

class DODozuz : public GraphicsTest {};

class Recorder : public TDGResource {
public:
    Recorder(TDODozuz& dg, std::vector<std::string>& calls, const std::string& name)
        : dg_(&dg), calls_(calls) {
        id = dg.RegisterResource(
            this, name, [this, name] { calls_.push_back("release " + name); },
            [this, name] { calls_.push_back("rebuild " + name); },
            [this, name] { calls_.push_back("before " + name); },
            [this, name] { calls_.push_back("after " + name); });
    }
    ~Recorder() override {
        if (dg_) dg_->UnregisterResource(id);
    }
    const char* ClassName() const override { return "Recorder"; }
    void Orphan() override {
        calls_.push_back("orphan");
        TDODozuz* dg = dg_;
        dg_ = nullptr;
        dg->UnregisterResource(id);
    }
    int32_t id = -1;

private:
    TDODozuz* dg_;
    std::vector<std::string>& calls_;
};

} // namespace

TEST_F(DODozuz, StartUpWritesTheFramedSectionsInOrder) {
    const auto log = Log();
    ASSERT_GE(log.size(), 3u);
    EXPECT_EQ(log[0], "#00001 | ");
    EXPECT_EQ(log[1], "#00002 | ■■■起動時の初期化をします■■■");
    EXPECT_EQ(log[2], "#00003 |   Direct3Dを生成します");
    const std::vector<std::string> expected = {
        "",
        "■■■起動時の初期化をします■■■",
        "Direct3Dを生成します",
        "ウィンドウのクライアント領域のサイズに合わせて初期化を開始します",
        "",
        "■■■Windowモードへ移行します■■■",
        "",
        "■■■Direct3Dデバイスを解放します■■■",
        "全てのDODozuzリソースを解放します",
        "■■■Direct3Dデバイスを解放しました■■■",
        "",
        "",
        "■■■画面モードを初期化します■■■",
        "Driver : software",
        "Description : Himawari software rasteriser",
        "VendorID : 00000000, DeviceID : 00000000, SubSysID : 00000000, Revision : 00000001",
        "ウィンドウモード 764x500で初期化します",
        "ハードウェアアクセラレーションを利用します",
        "希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした",
        "デプスステンシルサーフェスのフォーマット...UNKNOWN",
        "ハードウェアT&Lを利用します",
        "Direct3DDeviceオブジェクトの生成を行います",
        "全てのDODozuzリソースを再構築します",
        "■■■画面モードを初期化しました■■■",
        "",
        "■■■Windowモードへ移行しました■■■",
        "",
        "■■■DODozuz 起動しました■■■",
        "",
    };
    EXPECT_EQ(Messages(), expected);
    // Indent comes back to zero at the end of the start-up.
    EXPECT_EQ(DGLogIndentLevel(), 0);
    EXPECT_EQ(log.back(), "#00029 | ");
    EXPECT_EQ(log[12], "#00013 |     ■■■画面モードを初期化します■■■");
    EXPECT_EQ(log[13], "#00014 |       Driver : software");
}

TEST_F(DODozuz, TheDeviceMatchesTheClientAreaAndHasNoDepthBuffer) {
    ASSERT_NE(dg->D3DDevice(), nullptr);
    EXPECT_EQ(dg->ScreenWidth(), 764);
    EXPECT_EQ(dg->ScreenHeight(), 500);
    EXPECT_TRUE(dg->Windowed());
    EXPECT_EQ(dg->BackBufferFormat(), D3DFMT_X8R8G8B8);
    EXPECT_EQ(dg->BackBufferCount(), 1);
    EXPECT_NE(dg->BackBuffer(0), nullptr);
    EXPECT_EQ(dg->BackBuffer(1), nullptr);
    EXPECT_EQ(dg->DepthStencilSurface(), nullptr);
    EXPECT_EQ(dg->PresentParams().EnableAutoDepthStencil, 0);
    EXPECT_EQ(dg->DeviceType(), D3DDEVTYPE_HAL);
    EXPECT_EQ(Device().BehaviorFlags(), D3DCREATE_HARDWARE_VERTEXPROCESSING);
}

TEST_F(DODozuz, ChangeWindowModeSizesTheOuterWindowByTheFrame) {
    dg->ChangeWindowMode(640, 480, {}, 0, 1, 0, 0);
    EXPECT_EQ(owner.WindowBounds().Width(), 652);
    EXPECT_EQ(owner.WindowBounds().Height(), 526);
    EXPECT_EQ(owner.ClientWidth(), 640);
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(owner.WindowBounds().Width(), 776);
    EXPECT_EQ(owner.WindowBounds().Height(), 546);
    EXPECT_EQ(Device().FrameBuffer().Width, 764u);
}

TEST_F(DODozuz, DepthFormatIsTheFirstThatMatches) {
    Config().DepthFormats = {D3DFMT_D24S8};
    dg->ChangeWindowMode(764, 500, {D3DFMT_D32, D3DFMT_D24S8, D3DFMT_D16}, 0, 1, 0, 0);
    EXPECT_EQ(dg->PresentParams().AutoDepthStencilFormat, D3DFMT_D24S8);
    ASSERT_NE(dg->DepthStencilSurface(), nullptr);
    EXPECT_TRUE(Logged("デプスステンシルサーフェスのフォーマット...D24S8"));
    // No candidate that matches: no depth buffer rather than a device that cannot be made.
    dg->ChangeWindowMode(764, 500, {D3DFMT_D16}, 0, 1, 0, 0);
    EXPECT_NE(dg->D3DDevice(), nullptr);
    EXPECT_EQ(dg->DepthStencilSurface(), nullptr);
}

TEST_F(DODozuz, DeviceTypeAndVertexProcessingFollowTheCaps) {
    Config().HardwareTnL = false;
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(Device().BehaviorFlags(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    EXPECT_TRUE(Logged("ソフトウェアT&Lを利用します"));
    Config().HardwareTnL = true;
    dg->SetUseSoftwareVertexProcessing(true);
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(Device().BehaviorFlags(), D3DCREATE_SOFTWARE_VERTEXPROCESSING);
    Config().HalAvailable = false;
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(dg->DeviceType(), D3DDEVTYPE_REF);
    EXPECT_TRUE(Logged("ソフトウェアエミュレーションを利用します"));
    Config().HalAvailable = true;
    dg->SetUseREFDevice(true);
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(dg->DeviceType(), D3DDEVTYPE_REF);
}

TEST_F(DODozuz, RegistryIdsOnlyGrow) {
    std::vector<std::string> calls;
    auto a = std::make_unique<Recorder>(*dg, calls, "a");
    auto b = std::make_unique<Recorder>(*dg, calls, "b");
    auto c = std::make_unique<Recorder>(*dg, calls, "c");
    EXPECT_EQ(a->id, 0);
    EXPECT_EQ(b->id, 1);
    EXPECT_EQ(c->id, 2);
    EXPECT_TRUE(Logged("DODozuzリソース(Recorder)を登録します ID は 1(b) です"));
    b.reset();
    EXPECT_TRUE(Logged("DODozuzリソース(Recorder) : ID 1(b) を登録解除します"));
    auto d = std::make_unique<Recorder>(*dg, calls, "d");
    EXPECT_EQ(d->id, 3);
    ASSERT_EQ(dg->Resources().size(), 3u);
    EXPECT_EQ(dg->Resources()[2].Name, "d");
}

TEST_F(DODozuz, UnregisteringAnUnknownIdIsReportedAndChangesNothing) {
    std::vector<std::string> calls;
    Recorder a(*dg, calls, "a");
    dg->UnregisterResource(99);
    EXPECT_TRUE(Logged("リストに入ってないDODozuzリソース(ID:99)が、UnregisterResource手続きに渡されました"
                       "(Error Code = UNKNOWN ERROR ... $00000001)"));
    EXPECT_EQ(dg->Resources().size(), 1u);
}

TEST_F(DODozuz, ResetCallsEveryBeforeThenEveryAfterInRegistrationOrder) {
    std::vector<std::string> calls;
    Recorder a(*dg, calls, "a"), b(*dg, calls, "b");
    Config().CooperativeLevel = D3DERR_DEVICENOTRESET;
    EXPECT_EQ(dg->D3DDevice()->TestCooperativeLevel(), D3DERR_DEVICENOTRESET);
    EXPECT_EQ(dg->ResetDevice(), D3D_OK);
    EXPECT_EQ(calls, (std::vector<std::string>{"before a", "before b", "after a", "after b"}));
    EXPECT_EQ(dg->D3DDevice()->TestCooperativeLevel(), D3D_OK);
    EXPECT_EQ(Config().ResetCount, 1u);
    EXPECT_NE(dg->BackBuffer(0), nullptr);
}

TEST_F(DODozuz, ChangingTheModeReleasesThenRebuildsEveryResource) {
    std::vector<std::string> calls;
    Recorder a(*dg, calls, "a"), b(*dg, calls, "b");
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(calls, (std::vector<std::string>{"release a", "release b", "rebuild a", "rebuild b"}));
}

TEST_F(DODozuz, AFailedResetIsReported) {
    Config().Failures[SoftwareOp::Reset] = D3DERR_DRIVERINTERNALERROR;
    EXPECT_EQ(dg->ResetDevice(), D3DERR_DRIVERINTERNALERROR);
    EXPECT_TRUE(Logged("リセットに失敗しました(Error Code = D3DERR_DRIVERINTERNALERROR )"));
}

TEST_F(DODozuz, AFailedDeviceCreationLeavesNoDevice) {
    Config().Failures[SoftwareOp::CreateDevice] = D3DERR_NOTAVAILABLE;
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_EQ(dg->D3DDevice(), nullptr);
    EXPECT_TRUE(Logged("Direct3DDeviceオブジェクトの生成に失敗しました(Error Code = D3DERR_NOTAVAILABLE)"));
    Config().Failures.clear();
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_NE(dg->D3DDevice(), nullptr);
}

TEST_F(DODozuz, ADeviceStillHeldElsewhereIsAFailedRelease) {
    std::shared_ptr<IRenderTexture> held;
    auto texture = MakeTexture();
    texture->SetSize(4, 4);
    // The device still has the texture bound: its release leaves a reference.
    dg->D3DDevice()->SetTexture(0, texture->Texture());
    dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0);
    EXPECT_TRUE(Logged("テクスチャの解放に失敗しました(Error Code = UNKNOWN ERROR ... $00000001)"));
}

TEST_F(DODozuz, LeftOverResourcesAreOrphanedWhenTheComponentGoes) {
    std::vector<std::string> calls;
    auto a = std::make_unique<Recorder>(*dg, calls, "a");
    auto texture = MakeTexture("left");
    texture->SetSize(8, 8);
    dg.reset();
    EXPECT_EQ(calls.back(), "orphan");
    EXPECT_TRUE(Logged("ID 0(a) のDODozuzリソースは、明示的に解放されていません"));
    EXPECT_TRUE(Logged("ID 1(left) のDODozuzリソースは、明示的に解放されていません"));
    EXPECT_EQ(texture->Texture(), nullptr);
    EXPECT_EQ(Messages()[Messages().size() - 2], "■■■それではごきげんよう■■■");
    a.reset(); // the owner deletes them later, safely
    texture.reset();
    // A component that was never loaded lets its resources go too, or they would reach
    // back into it when their owner deletes them.
    auto unloaded = std::make_unique<TDODozuz>(owner);
    auto early = std::make_unique<TDGTexture>(*unloaded, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0,
                                              D3DPOOL_MANAGED, 0, "early");
    ASSERT_EQ(unloaded->Resources().size(), 1u);
    unloaded.reset();
    EXPECT_EQ(early->DG(), nullptr);
    early.reset();
}

class DODozuzQuiet : public GraphicsTest {
protected:
    DODozuzQuiet() : GraphicsTest(dgoDebugMessage) {}
};

TEST_F(DODozuzQuiet, OnlyFailuresAreWrittenWithoutTheDetailOption) {
    EXPECT_TRUE(Log().empty());
    CheckResult(D3DERR_INVALIDCALL, "x");
    CheckResult(D3D_OK, "not written");
    EXPECT_EQ(Log(), (std::vector<std::string>{"#00001 | x(Error Code = D3DERR_INVALIDCALL )"}));
}

class DODozuzHalting : public GraphicsTest {
protected:
    DODozuzHalting() : GraphicsTest(dgoHaltOnError) {}
};

TEST_F(DODozuzHalting, AFailureHaltsWithTheMessageAndWritesNoLog) {
    FatalCatcher catcher;
    try {
        CheckResult(1, "x");
        FAIL() << "did not halt";
    } catch (const HaltCalled& e) {
        EXPECT_STREQ(e.what(), "x(Error Code = UNKNOWN ERROR ... $00000001)");
    }
    EXPECT_FALSE(FileExists(dir.File("DODozuz_DebugLog.txt")));
}

TEST_F(DODozuzHalting, AFailedDeviceCreationEndsTheProgram) {
    FatalCatcher catcher;
    Config().Failures[SoftwareOp::CreateDevice] = D3DERR_NOTAVAILABLE;
    EXPECT_THROW(dg->ChangeWindowMode(764, 500, {}, 0, 1, 0, 0), HaltCalled);
    Config().Failures.clear();
}

TEST(DODozuzHaltDeathTest, HaltExitsWithStatusOne) {
    DGApplyDebugOption(dgoHaltOnError);
    EXPECT_EXIT(CheckResult(D3DERR_DEVICELOST, "描画できません"), ::testing::ExitedWithCode(1),
                "描画できません\\(Error Code = D3DERR_DEVICELOST\\)");
    DGApplyDebugOption(dgoAll);
}

TEST(DODozuzWithoutDriver, NoDriverIsReportedAndLeavesNoDevice) {
    TempDir dir;
    SetDGLogFolder(dir.Dir());
    DGLogRestart();
    THeadlessOwner owner(320, 200);
    owner.SetDriverAvailable(false);
    {
        TDODozuz dg(owner);
        dg.SetDebugOption(dgoDebugMessage);
        dg.Loaded();
        EXPECT_EQ(dg.D3D(), nullptr);
        EXPECT_EQ(dg.D3DDevice(), nullptr);
    }
    EXPECT_EQ(ReadLines(dir.File("DODozuz_DebugLog.txt")),
              (std::vector<std::string>{
                  "#00001 |   Direct3Dオプジェクトすら生成できません、論外(Error Code = UNKNOWN "
                  "ERROR ... $00000001)"}));
    DGApplyDebugOption(dgoAll);
}

TEST(DGNames, ErrorAndFormatNames) {
    EXPECT_EQ(D3DErrorName(D3D_OK), "D3D_OK");
    EXPECT_EQ(D3DErrorName(D3DERR_DEVICENOTRESET), "D3DERR_DEVICENOTRESET");
    EXPECT_EQ(D3DErrorName(D3DERR_INVALIDCALL), "D3DERR_INVALIDCALL ");
    EXPECT_EQ(D3DErrorName(ToHResult(0x8007000E)), "UNKNOWN ERROR ... $8007000E");
    EXPECT_EQ(D3DFormatName(D3DFMT_A8R8G8B8), "A8R8G8B8");
    EXPECT_EQ(D3DFormatName(D3DFMT_D24X4S4), "D24X4S4");
    EXPECT_EQ(D3DFormatName(MakeFourCC('D', 'X', 'T', '5')), "DXT5");
    EXPECT_EQ(D3DFormatName(0x31545844), "DXT1");
    EXPECT_EQ(D3DFormatName(99), "UNKNOWN");
}

TEST_F(DODozuz, TheFullScreenModeKeepsTheRefreshRate) {
    dg->InitScreenMode(0, false, {640, 480, 75, D3DFMT_X8R8G8B8}, 0, {}, 1, 0);
    EXPECT_TRUE(Logged("フルスクリーンモード 640x480 75Hz X8R8G8B8 で初期化します"));
    EXPECT_FALSE(dg->Windowed());
    EXPECT_EQ(dg->PresentParams().FullScreen_RefreshRateInHz, 75u);
    EXPECT_EQ(dg->ScreenWidth(), 640);
}
