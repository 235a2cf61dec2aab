#pragma once
// The OpenGL 3.3 core render driver and device, through libepoxy. The context is
// somebody else's (the window's drawing widget): the device reaches it only through
// the callbacks of TGLContextHooks and never assumes it stays current between calls.
//
// The window runs nested event loops in the middle of a frame (the frame's
// composition handles pending messages, modal dialogs run their own loops), so the
// device records a frame's commands — clears, state changes and draws — and replays
// them at Present with the context made current, into the context's default
// framebuffer. Textures keep their pixels in memory in their own format; an unlock
// converts the locked rectangle to 8-bit RGBA and the next replay uploads it.
//
// What it draws, like the software device: pre-transformed triangle strips and lists,
// texel (point or bilinear, wrap or clamp) combined with the vertex colour by the
// texture stage's colour and alpha operations, alpha test (in the shader), blending
// with every D3DBLEND factor and D3DBLENDOP operation, culling, viewport clipping.
// Pixel centres lie on integer coordinates as on Direct3D 9.
#include "graphics/device/DeviceStates.h"
#include "graphics/device/RenderDevice.h"
#include "graphics/device/SoftwareDevice.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

// How the device reaches its context.
struct TGLContextHooks {
    // Makes the context current on its drawing surface; false when it cannot be.
    std::function<bool()> MakeCurrent;
    // Releases the context after a replay.
    std::function<void()> DoneCurrent;
    // The framebuffer object to draw into while the context is current (0: the window's own).
    std::function<uint32_t()> DefaultFramebuffer;
    // Size of that framebuffer in device pixels; the frame is scaled into it.
    std::function<void(uint32_t& Width, uint32_t& Height)> FramebufferSize;
    // A replayed frame is ready: the window shows it (for a widget, schedule its repaint).
    // damage: the part of the frame buffer the frame drew (every other pixel is as the
    // last frame left it).
    std::function<void(const TRect& damage)> FrameReady;
};

struct TGLConfig {
    TGLContextHooks Hooks;
    uint32_t MaxTextureSize = 4096; // GL_MAX_TEXTURE_SIZE of the context
    D3DDISPLAYMODE DesktopMode = {1920, 1080, 60, D3DFMT_X8R8G8B8};
    D3DADAPTER_IDENTIFIER9 Identifier = {"opengl", "OpenGL 3.3", 0, 0, 0, 1};
    // When set, every presented frame is read back (A8R8G8B8, rows top down) and handed
    // over: screenshots and tests.
    TPresentSink PresentSink;
    uint32_t PresentCount = 0;
    uint32_t DroppedFrames = 0;   // presents whose context could not be made current
    uint32_t SkippedPresents = 0; // presents with nothing recorded since the last shown frame
};

class OpenGLDriver : public IRenderDriver {
public:
    explicit OpenGLDriver(std::shared_ptr<TGLConfig> config);
    TGLConfig& Config() { return *config_; }

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
    std::shared_ptr<TGLConfig> config_;
};

// The texture formats the OpenGL device makes (each converted to RGBA8 on upload).
const std::vector<D3DFORMAT>& OpenGLTextureFormats();

struct TGLShared;
struct TGLCommand;
class OpenGLRenderer;

class OpenGLDevice : public TStatefulRenderDevice {
public:
    OpenGLDevice(std::shared_ptr<TGLConfig> config, const D3DPRESENT_PARAMETERS& PresentParams);
    ~OpenGLDevice() override;

    HRESULT TestCooperativeLevel() override;
    HRESULT Reset(D3DPRESENT_PARAMETERS& PresentParams) override;
    HRESULT BeginScene() override;
    HRESULT EndScene() override;
    HRESULT Present() override;
    // The frame-buffer object keeps its pixels; they are the last frame's when it was shown
    // unscaled into a frame buffer of the size it still has.
    bool KeepsBackBuffer() override;
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

    // Commands recorded since the last Present (for tests).
    size_t PendingCommands() const;

protected:
    bool OwnsTexture(const IRenderTexture* Texture) const override;

private:
    void ResetStates();
    void RecordDraw(uint32_t PrimitiveType, uint32_t VertexCount, const void* VertexData, uint32_t Stride);

    std::shared_ptr<TGLConfig> config_;
    std::shared_ptr<TGLShared> shared_;
    bool inScene_ = false;
    // The last present was replayed unscaled into a frame buffer of shownWidth_ x shownHeight_.
    bool shown_ = false;
    uint32_t shownWidth_ = 0, shownHeight_ = 0;
    std::vector<TGLCommand> commands_;
    std::unique_ptr<OpenGLRenderer> renderer_;
};
