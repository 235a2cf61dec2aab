#pragma once
// A texture of the software device: one level of pixels in the texture's own format,
// rows Pitch bytes apart.
#include "graphics/device/SoftwareDevice.h"

#include <cstdint>
#include <memory>
#include <vector>

class SoftwareTexture : public IRenderTexture {
public:
    SoftwareTexture(uint32_t Width, uint32_t Height, D3DFORMAT Format, D3DPOOL Pool, uint32_t Usage,
                    std::shared_ptr<TSoftwareConfig> Config, std::shared_ptr<uint64_t> BytesInUse);
    ~SoftwareTexture() override;

    uint32_t GetLevelCount() override { return 1; }
    HRESULT GetLevelDesc(uint32_t Level, D3DSURFACE_DESC& Desc) override;
    HRESULT LockRect(uint32_t Level, D3DLOCKED_RECT& Locked, const TRect* Rect, uint32_t Flags) override;
    HRESULT UnlockRect(uint32_t Level) override;

    uint32_t Width() const { return width_; }
    uint32_t Height() const { return height_; }
    uint32_t Pitch() const { return pitch_; }
    uint32_t BytesPerPixel() const { return bpp_; }
    D3DFORMAT Format() const { return format_; }
    D3DPOOL Pool() const { return pool_; }
    const uint8_t* Data() const { return data_.data(); }
    uint64_t SizeInBytes() const { return data_.size(); }

private:
    uint32_t width_, height_, bpp_, pitch_;
    D3DFORMAT format_;
    D3DPOOL pool_;
    uint32_t usage_;
    std::vector<uint8_t> data_;
    bool locked_ = false;
    std::shared_ptr<TSoftwareConfig> config_;
    std::shared_ptr<uint64_t> bytesInUse_;
};
