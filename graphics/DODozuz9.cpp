#include "graphics/DODozuz9.h"

#include "base/Format.h"
#include "base/Translate.h"

#include <algorithm>

namespace {
// Opens a ■■■ section: separator, title, one level deeper.
void OpenSection(const std::string& title) {
    DetailLog("");
    DetailLog(title);
    DGLogIndent(1);
}
// Closes it: one level up, title, separator.
void CloseSection(const std::string& title) {
    DGLogIndent(-1);
    DetailLog(title);
    DetailLog("");
}
// A release that leaves references outstanding counts as a failure.
HRESULT ReleaseResult(uint32_t remaining) {
    return remaining == 0 ? D3D_OK : static_cast<HRESULT>(remaining);
}
} // namespace

TDODozuz::TDODozuz(IDGOwner& Owner) : owner_(Owner) {}

TDODozuz::~TDODozuz() {
    // Never loaded: no device to release, but resources made on it may still point here.
    if (!loaded_) {
        OrphanResources();
        return;
    }
    DetailLog("");
    DetailLog("■■■お別れの時がやってまいりました■■■");
    DGLogIndent(1);
    OrphanResources();
    DetailLog("DODozuzオブジェクトの解放に伴い、全ての関連オブジェクトを解放します");
    ReleaseDevice();
    DetailLog("Direct3Dオブジェクトの解放を行います");
    if (d3d_)
        CheckResult(ReleaseResult(ReleaseRef(d3d_)), TrNoop("Direct3Dオブジェクトの解放に失敗しました"));
    registry_.clear();
    DGLogIndent(-1);
    DetailLog("■■■それではごきげんよう■■■");
    DetailLog("");
}

void TDODozuz::OrphanResources() {
    while (!registry_.empty()) {
        const TDGResourceDesc first = registry_.front();
        DetailLog(Format("ID %d(%s) のDODozuzリソースは、明示的に解放されていません", first.ID,
                         first.Name.c_str()));
        // The resource's owner deletes it later; here it only lets go of the device.
        if (first.Resource) first.Resource->Orphan();
        if (!registry_.empty() && registry_.front().ID == first.ID) registry_.erase(registry_.begin());
    }
}

void TDODozuz::SetDebugOption(TDGDebugOption Option) {
    debugOption_ = Option;
    DGApplyDebugOption(Option);
}

void TDODozuz::Loaded() {
    device_.reset();
    backBuffers_.clear();
    depthStencil_.reset();
    backBufferCount_ = 0;
    DGApplyDebugOption(debugOption_);
    // Floating-point exceptions are masked by default on this platform; nothing to do.
    registry_.clear();
    nextResourceID_ = 0;
    loaded_ = true;
    DetailLog("");
    DetailLog("■■■起動時の初期化をします■■■");
    DGLogIndent(1);
    DetailLog("Direct3Dを生成します");
    d3d_ = owner_.CreateDriver();
    if (!d3d_) {
        CheckResult(1, TrNoop("Direct3Dオプジェクトすら生成できません、論外"));
        DGLogIndent(-1);
        return;
    }
    DetailLog("ウィンドウのクライアント領域のサイズに合わせて初期化を開始します");
    ChangeWindowMode(owner_.ClientWidth(), owner_.ClientHeight(), {}, D3DPRESENT_INTERVAL_DEFAULT,
                     D3DSWAPEFFECT_DISCARD, D3DMULTISAMPLE_NONE, D3DADAPTER_DEFAULT);
    DGLogIndent(-1);
    DetailLog("■■■DODozuz 起動しました■■■");
    DetailLog("");
}

std::shared_ptr<IRenderSurface> TDODozuz::BackBuffer(int32_t Index) const {
    if (Index < 0 || static_cast<size_t>(Index) >= backBuffers_.size()) return nullptr;
    return backBuffers_[static_cast<size_t>(Index)];
}

D3DDISPLAYMODE TDODozuz::GetDisplayMode(uint32_t Adapter) {
    D3DDISPLAYMODE mode;
    if (d3d_) d3d_->GetAdapterDisplayMode(Adapter, mode);
    return mode;
}

void TDODozuz::ChangeWindowMode(int32_t Width, int32_t Height,
                                const std::vector<D3DFORMAT>& DepthStencilFormats,
                                uint32_t PresentationInterval, uint32_t SwapEffect, uint32_t MultiSampleType,
                                uint32_t Adapter) {
    OpenSection("■■■Windowモードへ移行します■■■");
    ReleaseDevice();
    D3DDISPLAYMODE mode = GetDisplayMode(Adapter);
    mode.Width = static_cast<uint32_t>(Width);
    mode.Height = static_cast<uint32_t>(Height);
    InitScreenMode(Adapter, true, mode, MultiSampleType, DepthStencilFormats, SwapEffect,
                   PresentationInterval);
    const TRect bounds = owner_.WindowBounds();
    owner_.SetWindowPos(bounds.Left, bounds.Top, Width + (bounds.Width() - owner_.ClientWidth()),
                        Height + (bounds.Height() - owner_.ClientHeight()));
    CloseSection("■■■Windowモードへ移行しました■■■");
}

void TDODozuz::InitScreenMode(uint32_t Adapter, bool Windowed, const D3DDISPLAYMODE& DisplayMode,
                              uint32_t MultiSampleType, const std::vector<D3DFORMAT>& DepthStencilFormats,
                              uint32_t SwapEffect, uint32_t PresentationInterval) {
    OpenSection("■■■画面モードを初期化します■■■");
    presentParams_ = D3DPRESENT_PARAMETERS{};
    presentParams_.Windowed = Windowed ? 1 : 0;
    presentParams_.SwapEffect = SwapEffect;
    presentParams_.BackBufferWidth = DisplayMode.Width;
    presentParams_.BackBufferHeight = DisplayMode.Height;
    presentParams_.BackBufferFormat = DisplayMode.Format;
    presentParams_.MultiSampleType = MultiSampleType;
    presentParams_.PresentationInterval = PresentationInterval;
    depthStencilFormats_ = DepthStencilFormats;
    adapter_ = Adapter;

    D3DADAPTER_IDENTIFIER9 id;
    if (d3d_) d3d_->GetAdapterIdentifier(Adapter, 0, id);
    DetailLog(Format("Driver : %s", id.Driver.c_str()));
    DetailLog(Format("Description : %s", id.Description.c_str()));
    DetailLog(Format("VendorID : %.8x, DeviceID : %.8x, SubSysID : %.8x, Revision : %.8x", id.VendorId,
                     id.DeviceId, id.SubSysId, id.Revision));
    if (Windowed) {
        DetailLog(Format("ウィンドウモード %dx%dで初期化します", DisplayMode.Width, DisplayMode.Height));
    } else {
        DetailLog(Format("フルスクリーンモード %dx%d %dHz %s で初期化します", DisplayMode.Width,
                         DisplayMode.Height, DisplayMode.RefreshRate,
                         D3DFormatName(DisplayMode.Format).c_str()));
        presentParams_.FullScreen_RefreshRateInHz = DisplayMode.RefreshRate;
    }
    presentParams_.hDeviceWindow = owner_.Handle();
    presentParams_.EnableAutoDepthStencil = DepthStencilFormats.empty() ? 0 : 1;

    ChooseDeviceAndCreate(Adapter);
    CloseSection("■■■画面モードを初期化しました■■■");
}

// Software emulation when the hardware device has no caps or the reference device is
// asked for; otherwise the hardware device with hardware T&L where it can.
void TDODozuz::ChooseDeviceAndCreate(uint32_t Adapter) {
    D3DCAPS9 caps;
    const HRESULT capsResult =
        d3d_ ? d3d_->GetDeviceCaps(Adapter, D3DDEVTYPE_HAL, caps) : D3DERR_NOTAVAILABLE;
    D3DPRESENT_PARAMETERS params;
    if (capsResult != D3D_OK || useREFDevice_) {
        DetailLog("ソフトウェアエミュレーションを利用します");
        presentParams_.AutoDepthStencilFormat = FindDepthStencilFormat(D3DDEVTYPE_REF);
        DetailLog("デプスステンシルサーフェスのフォーマット..." +
                  D3DFormatName(presentParams_.AutoDepthStencilFormat));
        params = presentParams_;
        CreateDeviceObject(Adapter, D3DDEVTYPE_REF, owner_.Handle(), D3DCREATE_SOFTWARE_VERTEXPROCESSING,
                           params);
    } else {
        DetailLog("ハードウェアアクセラレーションを利用します");
        presentParams_.AutoDepthStencilFormat = FindDepthStencilFormat(D3DDEVTYPE_HAL);
        DetailLog("デプスステンシルサーフェスのフォーマット..." +
                  D3DFormatName(presentParams_.AutoDepthStencilFormat));
        uint32_t behaviour;
        if ((caps.DevCaps & D3DDEVCAPS_HWTRANSFORMANDLIGHT) && !useSoftwareVertexProcessing_) {
            DetailLog("ハードウェアT&Lを利用します");
            behaviour = D3DCREATE_HARDWARE_VERTEXPROCESSING;
        } else {
            DetailLog("ソフトウェアT&Lを利用します");
            behaviour = D3DCREATE_SOFTWARE_VERTEXPROCESSING;
        }
        params = presentParams_;
        CreateDeviceObject(Adapter, D3DDEVTYPE_HAL, owner_.Handle(), behaviour, params);
    }
}

D3DFORMAT TDODozuz::FindDepthStencilFormat(D3DDEVTYPE DeviceType) {
    if (presentParams_.EnableAutoDepthStencil && d3d_) {
        for (const D3DFORMAT candidate : depthStencilFormats_) {
            if (d3d_->CheckDepthStencilMatch(adapter_, DeviceType, presentParams_.BackBufferFormat,
                                             presentParams_.BackBufferFormat, candidate) == D3D_OK)
                return candidate;
        }
    }
    DetailLog("希望のデプスステンシルサーフェスのフォーマットが見つかりませんでした");
    // Without a format the device cannot have an automatic depth buffer.
    presentParams_.EnableAutoDepthStencil = 0;
    return D3DFMT_UNKNOWN;
}

HRESULT TDODozuz::CreateDeviceObject(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle FocusWindow,
                                     uint32_t BehaviorFlags, D3DPRESENT_PARAMETERS& PresentParams) {
    if (device_) {
        DetailLog("新しいデバイスの生成の前に、全ての関連オブジェクトを解放します");
        ReleaseDevice();
    }
    DetailLog("Direct3DDeviceオブジェクトの生成を行います");
    if (!d3d_)
        return CheckResult(D3DERR_INVALIDCALL, TrNoop("Direct3DDeviceオブジェクトの生成に失敗しました"));
    const HRESULT hr =
        d3d_->CreateDevice(Adapter, DeviceType, FocusWindow, BehaviorFlags, PresentParams, device_);
    if (CheckResult(hr, TrNoop("Direct3DDeviceオブジェクトの生成に失敗しました")) != D3D_OK) {
        device_.reset();
        return hr;
    }
    backBufferCount_ = static_cast<int32_t>(PresentParams.BackBufferCount);
    FetchSurfaces();
    presentParams_ = PresentParams;
    adapter_ = Adapter;
    deviceType_ = DeviceType;
    windowed_ = PresentParams.Windowed != 0;
    screenWidth_ = static_cast<int32_t>(PresentParams.BackBufferWidth);
    screenHeight_ = static_cast<int32_t>(PresentParams.BackBufferHeight);
    backBufferFormat_ = PresentParams.BackBufferFormat;
    RebuildAllResources();
    return D3D_OK;
}

void TDODozuz::FetchSurfaces() {
    backBuffers_.assign(static_cast<size_t>(std::max(backBufferCount_, 0)), nullptr);
    for (size_t i = 0; i < backBuffers_.size(); ++i)
        device_->GetBackBuffer(0, static_cast<uint32_t>(i), D3DBACKBUFFER_TYPE_MONO, backBuffers_[i]);
    if (device_->GetDepthStencilSurface(depthStencil_) != D3D_OK) depthStencil_.reset();
}

void TDODozuz::ReleaseDevice() {
    OpenSection("■■■Direct3Dデバイスを解放します■■■");
    ReleaseAllResources();
    if (depthStencil_) {
        DetailLog("デプスステンシルサーフェスを解放します");
        CheckResult(ReleaseResult(ReleaseRef(depthStencil_)),
                    TrNoop("デプスステンシルサーフェスの解放に失敗しました"));
    }
    if (!backBuffers_.empty()) {
        DetailLog("バックバッファを解放します");
        for (size_t i = 0; i < backBuffers_.size(); ++i)
            CheckResult(ReleaseResult(ReleaseRef(backBuffers_[i])),
                        Format(Tr("バックバッファ #%zu　の解放に失敗しました"), i));
        backBuffers_.clear();
    }
    if (device_) {
        DetailLog("Direct3DDeviceオブジェクトの解放を行います");
        CheckResult(ReleaseResult(ReleaseRef(device_)),
                    TrNoop("Direct3DDeviceオブジェクトの解放に失敗しました"));
    }
    CloseSection("■■■Direct3Dデバイスを解放しました■■■");
}

HRESULT TDODozuz::ResetDevice() {
    OpenSection("■■■Direct3DDeviceをリセットします■■■");
    CallEach(&TDGResourceDesc::OnBeforeReset);
    for (auto& b : backBuffers_) b.reset();
    depthStencil_.reset();
    HRESULT hr = D3DERR_INVALIDCALL;
    if (device_) {
        D3DPRESENT_PARAMETERS params = presentParams_;
        hr = device_->Reset(params);
        if (hr == D3D_OK) presentParams_ = params;
    }
    CheckResult(hr, TrNoop("リセットに失敗しました"));
    if (device_) FetchSurfaces();
    CallEach(&TDGResourceDesc::OnAfterReset);
    CloseSection("■■■Direct3DDeviceをリセットしました■■■");
    return hr;
}

int32_t TDODozuz::RegisterResource(TDGResource* Resource, const std::string& Name, TDGCallback OnRelease,
                                   TDGCallback OnRebuild, TDGCallback OnBeforeReset,
                                   TDGCallback OnAfterReset) {
    const int32_t id = nextResourceID_;
    DetailLog(Format("DODozuzリソース(%s)を登録します ID は %d(%s) です",
                     Resource ? Resource->ClassName() : "", id, Name.c_str()));
    registry_.push_back(TDGResourceDesc{id, Name, Resource, std::move(OnRelease), std::move(OnRebuild),
                                        std::move(OnBeforeReset), std::move(OnAfterReset)});
    ++nextResourceID_;
    return id;
}

void TDODozuz::UnregisterResource(int32_t ID) {
    const auto it =
        std::find_if(registry_.begin(), registry_.end(), [ID](const auto& d) { return d.ID == ID; });
    if (it == registry_.end()) {
        CheckResult(
            1,
            Format(Tr("リストに入ってないDODozuzリソース(ID:%d)が、UnregisterResource手続きに渡されました"),
                   ID));
        return;
    }
    DetailLog(Format("DODozuzリソース(%s) : ID %d(%s) を登録解除します",
                     it->Resource ? it->Resource->ClassName() : "", it->ID, it->Name.c_str()));
    registry_.erase(it);
}

void TDODozuz::ReleaseAllResources() {
    DetailLog("全てのDODozuzリソースを解放します");
    CallEach(&TDGResourceDesc::OnRelease);
}

void TDODozuz::RebuildAllResources() {
    DetailLog("全てのDODozuzリソースを再構築します");
    CallEach(&TDGResourceDesc::OnRebuild);
}

void TDODozuz::CallEach(TDGCallback TDGResourceDesc::*slot) {
    // A callback may register or unregister resources: walk a copy of the IDs.
    std::vector<int32_t> ids;
    for (const auto& d : registry_) ids.push_back(d.ID);
    for (const int32_t id : ids) {
        const auto it =
            std::find_if(registry_.begin(), registry_.end(), [id](const auto& d) { return d.ID == id; });
        if (it == registry_.end()) continue;
        const TDGCallback callback = (*it).*slot;
        if (callback) callback();
    }
}
