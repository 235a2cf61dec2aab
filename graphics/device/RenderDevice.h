#pragma once
// The render device seam: a driver (what Direct3D 9's IDirect3D9 answered), a device
// (IDirect3DDevice9), its surfaces and textures. Every call answers with an HRESULT
// from D3DTypes.h; what a call requires is said beside it.
//
// Ownership: objects are held by std::shared_ptr. Where the game released a COM
// reference and checked the count left, ReleaseRef() below drops one holder and
// answers how many others are left, so "a release that leaves references
// outstanding" is still seen (for instance a texture still bound with SetTexture).
#include "base/SharedRef.h"
#include "graphics/device/D3DTypes.h"

#include <memory>

// A surface: back buffer or depth-stencil surface. Only its description is used.
class IRenderSurface {
public:
    virtual ~IRenderSurface() = default;
    virtual HRESULT GetDesc(D3DSURFACE_DESC& Desc) = 0;
};

// A texture. The layer writes level 0 only.
class IRenderTexture {
public:
    virtual ~IRenderTexture() = default;
    virtual uint32_t GetLevelCount() = 0;
    // D3DERR_INVALIDCALL for a level that does not exist.
    virtual HRESULT GetLevelDesc(uint32_t Level, D3DSURFACE_DESC& Desc) = 0;
    // Locks Rect (nullptr: the whole level). Fails with D3DERR_INVALIDCALL for a
    // rectangle outside the level, an empty one, or a level already locked.
    virtual HRESULT LockRect(uint32_t Level, D3DLOCKED_RECT& Locked, const TRect* Rect, uint32_t Flags) = 0;
    // D3DERR_INVALIDCALL when the level is not locked.
    virtual HRESULT UnlockRect(uint32_t Level) = 0;
};

class IRenderDevice {
public:
    virtual ~IRenderDevice() = default;

    // D3D_OK, D3DERR_DEVICELOST (cannot draw now) or D3DERR_DEVICENOTRESET (call Reset).
    virtual HRESULT TestCooperativeLevel() = 0;
    // New back buffer from PresentParams; every render state back to its default.
    // Fails while textures of D3DPOOL_DEFAULT are still alive. May update PresentParams.
    virtual HRESULT Reset(D3DPRESENT_PARAMETERS& PresentParams) = 0;
    virtual HRESULT BeginScene() = 0;
    virtual HRESULT EndScene() = 0;
    // Shows the finished back buffer (the whole of it, in the device window).
    virtual HRESULT Present() = 0;
    // Whether the back buffer still holds every pixel drawn into it, as the frames presented
    // so far showed them: a frame may then draw over the last one and redraw only what
    // changed. False until the first present after the device was made or reset, after a
    // frame the device could not show, and while the device shows its frames scaled.
    virtual bool KeepsBackBuffer() = 0;
    // Count 0 / Rects nullptr: the whole viewport. The scissor rectangle does not apply.
    virtual HRESULT Clear(uint32_t Count, const TRect* Rects, uint32_t Flags, D3DCOLOR Color, float Z,
                          uint32_t Stencil) = 0;

    virtual HRESULT SetViewport(const D3DVIEWPORT9& Viewport) = 0;
    virtual HRESULT GetViewport(D3DVIEWPORT9& Viewport) = 0;
    // While D3DRS_SCISSORTESTENABLE is set, draws change only the pixels inside Rect (and
    // the viewport). A pixel drawn gets the same value as without the scissor. New and reset
    // devices start with the whole back buffer; INVALIDCALL for a rectangle with Right < Left
    // or Bottom < Top.
    virtual HRESULT SetScissorRect(const TRect& Rect) = 0;
    virtual HRESULT GetScissorRect(TRect& Rect) = 0;
    virtual HRESULT SetTransform(uint32_t State, const D3DMATRIX& Matrix) = 0;
    virtual HRESULT GetTransform(uint32_t State, D3DMATRIX& Matrix) = 0;
    virtual HRESULT SetRenderState(uint32_t State, uint32_t Value) = 0;
    virtual HRESULT GetRenderState(uint32_t State, uint32_t& Value) = 0;
    virtual HRESULT SetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t Value) = 0;
    virtual HRESULT GetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t& Value) = 0;
    virtual HRESULT SetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t Value) = 0;
    virtual HRESULT GetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t& Value) = 0;
    // The device keeps a reference to the bound texture until another is set.
    virtual HRESULT SetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture> Texture) = 0;
    virtual HRESULT GetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture>& Texture) = 0;
    virtual HRESULT SetFVF(uint32_t FVF) = 0;
    virtual HRESULT GetFVF(uint32_t& FVF) = 0;
    // Pre-transformed vertices (D3DFVF_XYZRHW with optional DIFFUSE, SPECULAR, TEX1)
    // as triangle strips or lists, Stride bytes apart; only between BeginScene and EndScene.
    virtual HRESULT DrawPrimitiveUP(uint32_t PrimitiveType, uint32_t PrimitiveCount, const void* VertexData,
                                    uint32_t Stride) = 0;

    // Levels 0: the whole chain (the layer only ever writes level 0).
    virtual HRESULT CreateTexture(uint32_t Width, uint32_t Height, uint32_t Levels, uint32_t Usage,
                                  D3DFORMAT Format, D3DPOOL Pool,
                                  std::shared_ptr<IRenderTexture>& Texture) = 0;
    virtual HRESULT GetBackBuffer(uint32_t SwapChain, uint32_t Index, uint32_t Type,
                                  std::shared_ptr<IRenderSurface>& Surface) = 0;
    // D3DERR_NOTFOUND when the device has no depth-stencil surface.
    virtual HRESULT GetDepthStencilSurface(std::shared_ptr<IRenderSurface>& Surface) = 0;
    virtual uint32_t GetAvailableTextureMem() = 0;
    virtual HRESULT GetDeviceCaps(D3DCAPS9& Caps) = 0;
};

// What Direct3DCreate9 gave: adapter questions and device creation.
class IRenderDriver {
public:
    virtual ~IRenderDriver() = default;
    virtual HRESULT GetAdapterDisplayMode(uint32_t Adapter, D3DDISPLAYMODE& Mode) = 0;
    virtual HRESULT GetAdapterIdentifier(uint32_t Adapter, uint32_t Flags,
                                         D3DADAPTER_IDENTIFIER9& Identifier) = 0;
    virtual HRESULT GetDeviceCaps(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DCAPS9& Caps) = 0;
    // D3D_OK when a resource of RType in CheckFormat can be made for that adapter format.
    virtual HRESULT CheckDeviceFormat(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                      uint32_t Usage, uint32_t RType, D3DFORMAT CheckFormat) = 0;
    // D3D_OK when the depth format can be used with the render target format.
    virtual HRESULT CheckDepthStencilMatch(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                           D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) = 0;
    // Makes a device; sets PresentParams.BackBufferCount to the number of back buffers made.
    virtual HRESULT CreateDevice(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle FocusWindow,
                                 uint32_t BehaviorFlags, D3DPRESENT_PARAMETERS& PresentParams,
                                 std::shared_ptr<IRenderDevice>& Device) = 0;
};
