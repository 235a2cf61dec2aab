#include "graphics/DGTexture.h"

#include "archive/QDArc.h"
#include "base/Format.h"
#include "base/Translate.h"
#include "graphics/BmpLoader.h"
#include "graphics/DGLog.h"
#include "graphics/PixelFormat.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <exception>

namespace {
uint32_t LoadPixel(const uint8_t* p, uint32_t bytes) {
    uint32_t v = 0;
    for (uint32_t i = 0; i < bytes; ++i) v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}
void StorePixel(uint8_t* p, uint32_t v, uint32_t bytes) {
    for (uint32_t i = 0; i < bytes; ++i) p[i] = static_cast<uint8_t>(v >> (8 * i));
}
HRESULT ReleaseResult(uint32_t remaining) {
    return remaining == 0 ? D3D_OK : static_cast<HRESULT>(remaining);
}
std::atomic<uint64_t> lastGeneration{0};
} // namespace

void TDGTexture::NewGeneration() {
    generation_ = lastGeneration.fetch_add(1, std::memory_order_relaxed) + 1;
}

TDGTexture::TDGTexture(TDODozuz& DG, const std::vector<D3DFORMAT>& Formats, uint32_t Usage, D3DPOOL Pool,
                       uint32_t Levels, const std::string& Name)
    : name_(Name), dg_(&DG), formats_(Formats), usage_(Usage), pool_(Pool), levels_(Levels),
      restorable_(Pool != D3DPOOL_DEFAULT) {
    NewGeneration();
    resourceID_ = DG.RegisterResource(
        this, Name, [this] { ReleaseForDevice(); }, [this] { RestoreAfterDevice(); },
        [this] { ReleaseBeforeReset(); }, [this] { RecreateAfterReset(); });
}

TDGTexture::~TDGTexture() {
    Orphan();
}

void TDGTexture::Orphan() {
    if (!dg_) return;
    DetailLog("テクスチャオブジェクトを解放します");
    if (locked_) UnlockRect();
    ReleaseTexture();
    backupStream_.reset();
    TDODozuz* dg = dg_;
    dg_ = nullptr;
    dg->UnregisterResource(resourceID_);
}

void TDGTexture::ReleaseTexture() {
    if (!texture_) return;
    NewGeneration();
    locked_ = false;
    CheckResult(ReleaseResult(ReleaseRef(texture_)), TrNoop("テクスチャの解放に失敗しました"));
}

void TDGTexture::SetSize(uint32_t W, uint32_t H) {
    if (!dg_) return;
    width_ = W;
    height_ = H;
    D3DCAPS9 caps;
    const bool haveCaps =
        dg_->D3D() && dg_->D3D()->GetDeviceCaps(dg_->Adapter(), dg_->DeviceType(), caps) == D3D_OK;
    uint32_t tw = W, th = H;
    if (haveCaps) {
        if (W > caps.MaxTextureWidth || H > caps.MaxTextureHeight)
            DetailLog(::Format("要求されたテクスチャのサイズは大きすぎます。%d x %d 以内にして下さい",
                               caps.MaxTextureWidth, caps.MaxTextureHeight));
        if (caps.TextureCaps & D3DPTEXTURECAPS_SQUAREONLY) tw = th = std::max(tw, th);
        if (caps.TextureCaps & D3DPTEXTURECAPS_POW2) tw = NextPowerOfTwo(tw), th = NextPowerOfTwo(th);
    }
    textureWidth_ = tw;
    textureHeight_ = th;
    maxU_ = tw == 0 ? 0.0f : static_cast<float>(static_cast<double>(W) / tw);
    maxV_ = th == 0 ? 0.0f : static_cast<float>(static_cast<double>(H) / th);
    AllocateTexture(tw, th);
    if (restorable_ && texture_)
        FillRect(Rect(0, 0, static_cast<int32_t>(tw), static_cast<int32_t>(th)), fillColor_, false);
    if (!rebuilding_) {
        backupStream_.reset();
        sourceKind_ = skMemory;
    }
}

D3DFORMAT TDGTexture::ChooseFormat() {
    if (!dg_) return D3DFMT_UNKNOWN;
    D3DFORMAT backBuffer = dg_->BackBufferFormat();
    D3DSURFACE_DESC desc;
    if (const auto surface = dg_->BackBuffer(0); surface && surface->GetDesc(desc) == D3D_OK)
        backBuffer = desc.Format;
    if (IRenderDriver* d3d = dg_->D3D()) {
        for (const D3DFORMAT candidate : formats_)
            if (d3d->CheckDeviceFormat(dg_->Adapter(), dg_->DeviceType(), backBuffer, usage_,
                                       D3DRTYPE_TEXTURE, candidate) == D3D_OK)
                return candidate;
    }
    return backBuffer;
}

void TDGTexture::AllocateTexture(uint32_t W, uint32_t H) {
    if (!dg_) return;
    if (texture_) {
        DetailLog("テクスチャの再生成に伴い、以前のテクスチャを解放します");
        ReleaseTexture();
    }
    format_ = ChooseFormat();
    // Formatted only for a log that takes it: text textures are made anew while the game runs.
    if (DetailLogOn())
        DetailLog(::Format("使用されるフォーマットは %s です", D3DFormatName(format_).c_str()));
    IRenderDevice* device = dg_->D3DDevice();
    const HRESULT hr =
        device ? device->CreateTexture(W, H, levels_, usage_, format_, pool_, texture_) : D3DERR_INVALIDCALL;
    if (CheckResult(hr, TrNoop("テクスチャの生成に失敗しました")) != D3D_OK) texture_.reset();
    NewGeneration();
    if (device) {
        const uint32_t available = device->GetAvailableTextureMem();
        if (DetailLogOn()) DetailLog(::Format("残りテクスチャ容量は、約%.2fメガです", available / 1048576.0));
    }
    bytesPerPixel_ = FormatBits(format_) / 8;
}

HRESULT TDGTexture::LockRect(uint32_t Level, const TRect& Rect, uint32_t Flags, D3DLOCKED_RECT& LockedRect) {
    if (!texture_)
        return CheckResult(
            1,
            TrNoop("テクスチャが確保されていません。LockRectの前にSetSizeするか、BMPを読み込んでください"));
    const HRESULT hr = texture_->LockRect(Level, LockedRect, &Rect, Flags);
    if (CheckResult(hr, TrNoop("LockRectに失敗しました")) != D3D_OK) return hr;
    locked_ = true;
    lockedWrite_ = !(Flags & D3DLOCK_READONLY);
    if (lockedWrite_) NewGeneration();
    lockedRect_ = LockedRect;
    lockedArea_ = Rect;
    lockedLevel_ = Level;
    if (!(Flags & D3DLOCK_READONLY) && sourceKind_ != skNone) sourceKind_ = skMemory;
    return D3D_OK;
}

void TDGTexture::UnlockRect() {
    if (!texture_) {
        locked_ = false;
        return;
    }
    const HRESULT hr = texture_->UnlockRect(lockedLevel_);
    if (lockedWrite_) NewGeneration(); // what was written while locked
    locked_ = false;
    CheckResult(hr, TrNoop("アンロックに失敗しました"));
}

void TDGTexture::FillRect(const TRect& Rect, uint32_t Color, bool KeepAlpha) {
    D3DLOCKED_RECT lr;
    if (LockRect(0, Rect, 0, lr) != D3D_OK) return;
    const uint32_t bpp = bytesPerPixel_;
    const auto w = static_cast<size_t>(Rect.Width());
    auto* bits = static_cast<uint8_t*>(lr.pBits);
    if (!KeepAlpha) {
        // The colour is converted once, stored along the first row and the row copied.
        const uint32_t pixel = ARGBToPixel(Color, format_);
        if (Rect.Height() > 0)
            for (size_t x = 0; x < w; ++x) StorePixel(bits + x * bpp, pixel, bpp);
        for (int32_t y = 1; y < Rect.Height(); ++y)
            std::memcpy(bits + static_cast<size_t>(y) * static_cast<size_t>(lr.Pitch), bits, w * bpp);
    } else {
        for (int32_t y = 0; y < Rect.Height(); ++y) {
            uint8_t* p = bits + static_cast<size_t>(y) * static_cast<size_t>(lr.Pitch);
            for (size_t x = 0; x < w; ++x, p += bpp) {
                const uint32_t alpha = PixelToARGB(LoadPixel(p, bpp), format_) & 0xFF000000;
                StorePixel(p, ARGBToPixel(alpha | (Color & 0xFFFFFF), format_), bpp);
            }
        }
    }
    UnlockRect();
}

void TDGTexture::ProcessPixels(const TRect& Rect, TDGPixelFunc Func, void* Data) {
    D3DLOCKED_RECT lr;
    if (LockRect(0, Rect, 0, lr) != D3D_OK) return;
    const uint32_t bpp = bytesPerPixel_;
    auto* bits = static_cast<uint8_t*>(lr.pBits);
    for (int32_t y = 0; y < Rect.Height(); ++y) {
        uint8_t* p = bits + static_cast<size_t>(y) * static_cast<size_t>(lr.Pitch);
        for (int32_t x = 0; x < Rect.Width(); ++x, p += bpp)
            StorePixel(p, Func(*this, LoadPixel(p, bpp), Rect.Left + x, Rect.Top + y, Data), bpp);
    }
    UnlockRect();
}

namespace {
struct ColorKeyJob {
    uint32_t key;
    D3DFORMAT format;
};
uint32_t ApplyColorKey(TDGTexture&, uint32_t Pixel, int32_t, int32_t, void* Data) {
    const auto* job = static_cast<const ColorKeyJob*>(Data);
    const uint32_t rgb = PixelToARGB(Pixel, job->format) & 0xFFFFFF;
    return ARGBToPixel(rgb == job->key ? rgb : rgb | 0xFF000000, job->format);
}
} // namespace

void TDGTexture::SetColorKey(const TRect& Rect, uint32_t Color) {
    // The key is compared the way the format stores it: a 16-bit texture keeps fewer
    // bits of each component, so the key is cut to those bits too.
    ColorKeyJob job{PixelToARGB(ARGBToPixel(Color, format_), format_) & 0xFFFFFF, format_};
    if (format_ == D3DFMT_A8R8G8B8 || format_ == D3DFMT_X8R8G8B8) job.key = Color & 0xFFFFFF;
    ProcessPixels(Rect, ApplyColorKey, &job);
}

void TDGTexture::SetColorKey(uint32_t Color) {
    SetColorKey(Rect(0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)), Color);
}

void TDGTexture::LoadBmpFrom(TStream& Stream, const std::string& failureMessage) {
    try {
        const int64_t start = Stream.Position();
        const TBmpHeaders headers = ReadBmpHeaders(Stream);
        if (headers.bfType != 0x4D42) return DebugLog("不正なBMPファイルです");
        CheckBmpHeaders(headers);
        SetSize(static_cast<uint32_t>(headers.biWidth),
                static_cast<uint32_t>(headers.biHeight < 0 ? -headers.biHeight : headers.biHeight));
        Stream.SetPosition(start);
        if (texture_) LoadBMP(*texture_, Stream);
    } catch (const EDGBitmap& e) {
        DebugLog(e.Message());
        CheckResult(1, failureMessage);
    } catch (const std::exception&) {
        CheckResult(1, failureMessage);
    }
}

void TDGTexture::LoadFromFile(const std::string& FileName, const std::string& ArchiveName) {
    if (ArchiveName.empty()) {
        DetailLog(::Format("ID %d(%s) のテクスチャに、%s を読み込みます", resourceID_, name_.c_str(),
                           FileName.c_str()));
        const std::string failure = ::Format(Tr("%sからの、読み込みエラー"), FileName.c_str());
        try {
            TFileStream file(FileName, FileMode::OpenRead);
            LoadBmpFrom(file, failure);
        } catch (const std::exception&) {
            CheckResult(1, failure);
        }
        sourceKind_ = skFile;
        fileName_ = FileName;
        return;
    }
    DetailLog(::Format("ID %d(%s) のテクスチャに、QDAファイル%s から ID %s を読み込みます", resourceID_,
                       name_.c_str(), ArchiveName.c_str(), FileName.c_str()));
    const std::string failure =
        ::Format(Tr("%s ＠ %sからの、読み込みエラー"), FileName.c_str(), ArchiveName.c_str());
    try {
        const std::unique_ptr<TMemoryStream> entry = QDALoadFromFile(ArchiveName, FileName);
        LoadBmpFrom(*entry, failure);
    } catch (const std::exception&) {
        CheckResult(1, failure);
    }
    sourceKind_ = skArchive;
    archiveName_ = ArchiveName;
    entryName_ = FileName;
}

void TDGTexture::LoadFromStream(TStream& Stream) {
    DetailLog(::Format("ID %d のテクスチャに、ストリームから読み込みます", resourceID_));
    LoadBmpFrom(Stream, TrNoop("ストリームからの、読み込みエラー"));
    sourceKind_ = skMemory;
}

void TDGTexture::LoadFromBitmap(const TBitmap& Bitmap) {
    DetailLog(::Format("ID %d のテクスチャに、TBitmapから読み込みます", resourceID_));
    TMemoryStream stream;
    Bitmap.SaveToStream(stream);
    stream.SetPosition(0);
    LoadFromStream(stream);
    sourceKind_ = skMemory;
}

void TDGTexture::SaveToStream(TStream& Stream) {
    D3DLOCKED_RECT lr;
    const TRect all = Rect(0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_));
    if (LockRect(0, all, D3DLOCK_READONLY, lr) != D3D_OK) return;
    const uint32_t imageBytes = width_ * height_ * 4;
    uint8_t header[54] = {};
    auto put = [&header](size_t at, uint32_t v, uint32_t bytes) { StorePixel(header + at, v, bytes); };
    put(0, 0x4D42, 2);
    put(2, imageBytes + 54, 4);
    put(10, 54, 4);
    put(14, 40, 4);
    put(18, width_, 4);
    put(22, height_, 4);
    put(26, 1, 2);
    put(28, 32, 2);
    put(34, imageBytes, 4);
    std::vector<uint8_t> row(static_cast<size_t>(width_) * 4);
    try {
        Stream.WriteBuffer(header, sizeof header);
        for (uint32_t i = 0; i < height_; ++i) {
            const uint8_t* p =
                static_cast<const uint8_t*>(lr.pBits) + (height_ - 1 - i) * static_cast<size_t>(lr.Pitch);
            for (uint32_t x = 0; x < width_; ++x, p += bytesPerPixel_)
                StorePixel(row.data() + x * 4, PixelToARGB(LoadPixel(p, bytesPerPixel_), format_), 4);
            Stream.WriteBuffer(row.data(), static_cast<int64_t>(row.size()));
        }
    } catch (...) {
        UnlockRect();
        throw;
    }
    UnlockRect();
}

void TDGTexture::Backup() {
    backupStream_ = std::make_unique<TMemoryStream>();
    SaveToStream(*backupStream_);
    backupStream_->SetPosition(0);
}

void TDGTexture::ReleaseForDevice() {
    if (!texture_) return;
    // An image of no pixels has nothing to keep; it comes back empty at its size.
    if (sourceKind_ == skMemory && restorable_ && width_ > 0 && height_ > 0) Backup();
    ReleaseTexture();
}

void TDGTexture::RestoreAfterDevice() {
    // A texture that was never given a size has nothing to come back to.
    if (sourceKind_ == skNone) return;
    rebuilding_ = true;
    if (!restorable_) {
        SetSize(width_, height_);
    } else if (sourceKind_ == skFile) {
        LoadFromFile(fileName_, "");
    } else if (sourceKind_ == skArchive) {
        LoadFromFile(entryName_, archiveName_);
    } else if (backupStream_) {
        LoadFromStream(*backupStream_);
        backupStream_.reset();
    } else {
        SetSize(width_, height_);
    }
    rebuilding_ = false;
}

void TDGTexture::ReleaseBeforeReset() {
    if (pool_ == D3DPOOL_DEFAULT) ReleaseForDevice();
}

void TDGTexture::RecreateAfterReset() {
    if (pool_ == D3DPOOL_DEFAULT && sourceKind_ != skNone) SetSize(width_, height_);
}
