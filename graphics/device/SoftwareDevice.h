#pragma once
// The software render driver and device: a CPU rasteriser into an A8R8G8B8 frame
// buffer of the back buffer's size. It is the device of the tests and the fallback
// when no hardware device can be made.
//
// What it draws: pre-transformed triangle strips and lists; texel (point or bilinear,
// wrap or clamp addressing) times vertex colour, alpha included; alpha test; blending
// with the factors ZERO, ONE, SRCCOLOR, INVSRCCOLOR, SRCALPHA, INVSRCALPHA, DESTALPHA,
// INVDESTALPHA, DESTCOLOR, INVDESTCOLOR and the five blend operations; culling by
// D3DRS_CULLMODE. Pixel centres lie on integer coordinates and a texel's centre at
// (i + 0.5) / size, as on Direct3D 9. It has no depth test (the game's device has no
// depth buffer) and keeps one level per texture.
//
// Its caps are settable and it can be told to report a lost device or to fail any
// one operation, so that every branch of the layer above can be tested.
#include "graphics/device/DeviceStates.h"
#include "graphics/device/RenderDevice.h"

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <vector>

struct TSpanKernels;

// The operations that can be told to fail.
enum class SoftwareOp {
    GetAdapterDisplayMode,
    GetAdapterIdentifier,
    GetDeviceCaps,
    CheckDeviceFormat,
    CheckDepthStencilMatch,
    CreateDevice,
    Reset,
    BeginScene,
    EndScene,
    Present,
    Clear,
    CreateTexture,
    GetBackBuffer,
    GetDepthStencilSurface,
    LockRect,
    UnlockRect,
    GetLevelDesc,
    DrawPrimitiveUP,
};

// A finished frame as Present hands it over: Width x Height A8R8G8B8 pixels, rows top
// down, Pitch pixels apart. Valid for the length of the call. Damage holds every pixel
// that may differ from the frame presented before (the whole frame when unknown).
struct TSoftwareFrame {
    uint32_t Width = 0;
    uint32_t Height = 0;
    uint32_t Pitch = 0;
    const uint32_t* Pixels = nullptr;
    TRect Damage{0, 0, static_cast<int32_t>(Width), static_cast<int32_t>(Height)};
};
using TPresentSink = std::function<void(const TSoftwareFrame& Frame)>;

// Everything the tests may set; shared by the driver and the devices it makes.
struct TSoftwareConfig {
    bool HalAvailable = true;     // GetDeviceCaps(HAL) fails when false
    bool HardwareTnL = true;      // D3DDEVCAPS_HWTRANSFORMANDLIGHT
    bool PowerOfTwo = false;      // D3DPTEXTURECAPS_POW2
    bool SquareOnly = false;      // D3DPTEXTURECAPS_SQUAREONLY
    bool BlendOpSupported = true; // D3DPMISCCAPS_BLENDOP
    uint32_t MaxTextureWidth = 4096;
    uint32_t MaxTextureHeight = 4096;
    std::vector<D3DFORMAT> TextureFormats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4,
                                             D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,
                                             D3DFMT_X4R4G4B4};
    std::vector<D3DFORMAT> DepthFormats = {D3DFMT_D16, D3DFMT_D24X8, D3DFMT_D24S8, D3DFMT_D32};
    D3DDISPLAYMODE DesktopMode = {1280, 1024, 60, D3DFMT_X8R8G8B8};
    D3DADAPTER_IDENTIFIER9 Identifier = {"software", "Himawari software rasteriser", 0, 0, 0, 1};
    uint32_t TextureMemory = 256u << 20; // bytes GetAvailableTextureMem starts from
    uint32_t ExtraPitch = 0;             // bytes added to every texture row (pitch > width * bpp)
    uint32_t BackBufferCount = 1;        // what CreateDevice makes when asked for 0
    // The span loops the devices draw with (SoftwareSpans.h); nullptr: the fastest.
    const TSpanKernels* SpanKernels = nullptr;

    // Cooperative level every device reports: D3D_OK, D3DERR_DEVICELOST or D3DERR_DEVICENOTRESET.
    HRESULT CooperativeLevel = D3D_OK;
    // Operations that fail with the given result until removed.
    std::map<SoftwareOp, HRESULT> Failures;
    // Receives every presented frame in which something was cleared or drawn (the one before
    // is still shown otherwise).
    TPresentSink PresentSink;

    // Counters for tests.
    uint32_t DevicesCreated = 0;
    uint32_t ResetCount = 0;
    uint32_t PresentCount = 0;
    uint32_t SkippedPresents = 0; // presents with nothing cleared or drawn since the last
    uint32_t DrawCalls = 0;

    HRESULT FailureOf(SoftwareOp op) const {
        const auto it = Failures.find(op);
        return it == Failures.end() ? D3D_OK : it->second;
    }
};

class SoftwareDriver : public IRenderDriver {
public:
    explicit SoftwareDriver(std::shared_ptr<TSoftwareConfig> config = std::make_shared<TSoftwareConfig>());
    TSoftwareConfig& Config() { return *config_; }
    const std::shared_ptr<TSoftwareConfig>& SharedConfig() const { return config_; }

    HRESULT GetAdapterDisplayMode(uint32_t Adapter, D3DDISPLAYMODE& Mode) override;
    HRESULT GetAdapterIdentifier(uint32_t Adapter, uint32_t Flags,
                                 D3DADAPTER_IDENTIFIER9& Identifier) override;
    HRESULT GetDeviceCaps(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DCAPS9& Caps) override;
    HRESULT CheckDeviceFormat(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                              uint32_t Usage, uint32_t RType, D3DFORMAT CheckFormat) override;
    HRESULT CheckDepthStencilMatch(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DFORMAT AdapterFormat,
                                   D3DFORMAT RenderTargetFormat, D3DFORMAT DepthStencilFormat) override;
    HRESULT CreateDevice(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle FocusWindow,
                         uint32_t BehaviorFlags, D3DPRESENT_PARAMETERS& PresentParams,
                         std::shared_ptr<IRenderDevice>& Device) override;

private:
    std::shared_ptr<TSoftwareConfig> config_;
};

class SoftwareTexture;
class SoftwareRasterizer;

class SoftwareDevice : public TStatefulRenderDevice {
public:
    SoftwareDevice(std::shared_ptr<TSoftwareConfig> config, const D3DPRESENT_PARAMETERS& PresentParams,
                   uint32_t BehaviorFlags);
    ~SoftwareDevice() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS& PresentParams) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present() override;
    bool KeepsBackBuffer() override { return shown_; }
    HRESULT Clear(uint32_t Count, const TRect* Rects, uint32_t Flags, D3DCOLOR Color, float Z,
                  uint32_t Stencil) override;
    HRESULT DrawPrimitiveUP(uint32_t PrimitiveType, uint32_t PrimitiveCount, const void* VertexData,
                            uint32_t Stride) override;
    HRESULT CreateTexture(uint32_t Width, uint32_t Height, uint32_t Levels, uint32_t Usage, D3DFORMAT Format,
                          D3DPOOL Pool, std::shared_ptr<IRenderTexture>& Texture) override;
    HRESULT GetBackBuffer(uint32_t SwapChain, uint32_t Index, uint32_t Type,
                          std::shared_ptr<IRenderSurface>& Surface) override;
    HRESULT GetDepthStencilSurface(std::shared_ptr<IRenderSurface>& Surface) override;
    uint32_t GetAvailableTextureMem() override;
    HRESULT GetDeviceCaps(D3DCAPS9& Caps) override;

    // The frame being drawn (A8R8G8B8, Width x Height, rows top down).
    TSoftwareFrame FrameBuffer() const;
    uint32_t Pixel(uint32_t X, uint32_t Y) const;
    uint32_t BehaviorFlags() const { return behaviorFlags_; }
    const D3DPRESENT_PARAMETERS& PresentParameters() const { return params_; }

protected:
    bool OwnsTexture(const IRenderTexture* Texture) const override;

private:
    void ResetStates();
    void MakeBuffers();
    bool InScene() const { return inScene_; }
    HRESULT DrawTriangle(const uint8_t* a, const uint8_t* b, const uint8_t* c);

    std::shared_ptr<TSoftwareConfig> config_;
    uint32_t behaviorFlags_;
    std::vector<uint32_t> frame_;
    std::shared_ptr<uint64_t> textureBytes_; // bytes held by live textures of this device
    std::vector<std::weak_ptr<SoftwareTexture>> defaultPool_;
    bool inScene_ = false;
    bool shown_ = false; // a frame was presented since the buffers were made
    TRect damage_;       // what was cleared or drawn since the last present
    void Damage(const TRect& Rect);
    std::unique_ptr<SoftwareRasterizer> raster_;
};
