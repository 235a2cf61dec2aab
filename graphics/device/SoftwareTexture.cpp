#include "graphics/device/SoftwareTexture.h"

#include "graphics/PixelFormat.h"

SoftwareTexture::SoftwareTexture(uint32_t Width, uint32_t Height, D3DFORMAT Format, D3DPOOL Pool,
                                 uint32_t Usage, std::shared_ptr<TSoftwareConfig> Config,
                                 std::shared_ptr<uint64_t> BytesInUse)
    : width_(Width), height_(Height), bpp_(FormatBits(Format) / 8),
      pitch_(((Width * (FormatBits(Format) / 8) + 3) & ~3u) + Config->ExtraPitch), format_(Format),
      pool_(Pool), usage_(Usage), data_(static_cast<size_t>(pitch_) * Height), config_(std::move(Config)),
      bytesInUse_(std::move(BytesInUse)) {
    *bytesInUse_ += data_.size();
}

SoftwareTexture::~SoftwareTexture() {
    *bytesInUse_ -= data_.size();
}

HRESULT SoftwareTexture::GetLevelDesc(uint32_t Level, D3DSURFACE_DESC& Desc) {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetLevelDesc)) return hr;
    if (Level != 0) return D3DERR_INVALIDCALL;
    Desc.Format = format_;
    Desc.Type = D3DRTYPE_SURFACE;
    Desc.Usage = usage_;
    Desc.Pool = pool_;
    Desc.Width = width_;
    Desc.Height = height_;
    return D3D_OK;
}

HRESULT SoftwareTexture::LockRect(uint32_t Level, D3DLOCKED_RECT& Locked, const TRect* Rect, uint32_t Flags) {
    (void)Flags;
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::LockRect)) return hr;
    if (Level != 0 || locked_) return D3DERR_INVALIDCALL;
    TRect r = Rect ? *Rect : TRect{0, 0, static_cast<int32_t>(width_), static_cast<int32_t>(height_)};
    if (r.Left < 0 || r.Top < 0 || r.Left >= r.Right || r.Top >= r.Bottom ||
        static_cast<uint32_t>(r.Right) > width_ || static_cast<uint32_t>(r.Bottom) > height_)
        return D3DERR_INVALIDCALL;
    locked_ = true;
    Locked.Pitch = static_cast<int32_t>(pitch_);
    Locked.pBits = data_.data() + static_cast<size_t>(r.Top) * pitch_ + static_cast<size_t>(r.Left) * bpp_;
    return D3D_OK;
}

HRESULT SoftwareTexture::UnlockRect(uint32_t Level) {
    // A failure to report still ends the lock, so the next lock can succeed.
    const HRESULT injected = config_->FailureOf(SoftwareOp::UnlockRect);
    if (Level != 0 || !locked_) return D3DERR_INVALIDCALL;
    locked_ = false;
    return injected;
}
