#include "graphics/PixelFormat.h"
#include "graphics/device/SoftwareDevice.h"

#include <algorithm>

namespace {
bool Contains(const std::vector<D3DFORMAT>& list, D3DFORMAT f) {
    return std::find(list.begin(), list.end(), f) != list.end();
}
} // namespace

SoftwareDriver::SoftwareDriver(std::shared_ptr<TSoftwareConfig> config) : config_(std::move(config)) {}

HRESULT SoftwareDriver::GetAdapterDisplayMode(uint32_t Adapter, D3DDISPLAYMODE& Mode) {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetAdapterDisplayMode)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    Mode = config_->DesktopMode;
    return D3D_OK;
}

HRESULT SoftwareDriver::GetAdapterIdentifier(uint32_t Adapter, uint32_t Flags,
                                             D3DADAPTER_IDENTIFIER9& Identifier) {
    (void)Flags;
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetAdapterIdentifier)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    Identifier = config_->Identifier;
    return D3D_OK;
}

HRESULT SoftwareDriver::GetDeviceCaps(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DCAPS9& Caps) {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetDeviceCaps)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType == D3DDEVTYPE_HAL && !config_->HalAvailable) return D3DERR_NOTAVAILABLE;
    if (DeviceType != D3DDEVTYPE_HAL && DeviceType != D3DDEVTYPE_REF) return D3DERR_INVALIDCALL;
    const TSoftwareConfig& c = *config_;
    Caps = D3DCAPS9{};
    Caps.DeviceType = DeviceType;
    Caps.AdapterOrdinal = Adapter;
    Caps.DevCaps = c.HardwareTnL ? D3DDEVCAPS_HWTRANSFORMANDLIGHT : 0;
    Caps.PrimitiveMiscCaps = c.BlendOpSupported ? D3DPMISCCAPS_BLENDOP : 0;
    Caps.TextureCaps =
        (c.PowerOfTwo ? D3DPTEXTURECAPS_POW2 : 0) | (c.SquareOnly ? D3DPTEXTURECAPS_SQUAREONLY : 0);
    Caps.MaxTextureWidth = c.MaxTextureWidth;
    Caps.MaxTextureHeight = c.MaxTextureHeight;
    Caps.MaxPrimitiveCount = 0xFFFFF;
    return D3D_OK;
}

HRESULT SoftwareDriver::CheckDeviceFormat(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                          uint32_t Usage, uint32_t RType, D3DFORMAT CheckFormat) {
    (void)DeviceType, (void)AdapterFormat, (void)Usage;
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::CheckDeviceFormat)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (RType != D3DRTYPE_TEXTURE) return D3DERR_NOTAVAILABLE;
    return Contains(config_->TextureFormats, CheckFormat) && FormatBits(CheckFormat) != 0
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

HRESULT SoftwareDriver::CheckDepthStencilMatch(uint32_t Adapter, D3DDEVTYPE DeviceType,
                                               D3DFORMAT AdapterFormat, D3DFORMAT RenderTargetFormat,
                                               D3DFORMAT DepthStencilFormat) {
    (void)DeviceType, (void)AdapterFormat, (void)RenderTargetFormat;
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::CheckDepthStencilMatch)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    return Contains(config_->DepthFormats, DepthStencilFormat) ? D3D_OK : D3DERR_NOTAVAILABLE;
}

HRESULT SoftwareDriver::CreateDevice(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle FocusWindow,
                                     uint32_t BehaviorFlags, D3DPRESENT_PARAMETERS& PresentParams,
                                     std::shared_ptr<IRenderDevice>& Device) {
    (void)FocusWindow;
    Device.reset();
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::CreateDevice)) return hr;
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType == D3DDEVTYPE_HAL && !config_->HalAvailable) return D3DERR_NOTAVAILABLE;
    if (PresentParams.BackBufferWidth == 0 || PresentParams.BackBufferHeight == 0 ||
        PresentParams.BackBufferWidth > 16384 || PresentParams.BackBufferHeight > 16384)
        return D3DERR_INVALIDCALL;
    if (PresentParams.EnableAutoDepthStencil &&
        !Contains(config_->DepthFormats, PresentParams.AutoDepthStencilFormat))
        return D3DERR_INVALIDCALL;
    if (PresentParams.BackBufferCount == 0)
        PresentParams.BackBufferCount = std::max(1u, config_->BackBufferCount);
    Device = std::make_shared<SoftwareDevice>(config_, PresentParams, BehaviorFlags);
    ++config_->DevicesCreated;
    return D3D_OK;
}
