#pragma once
// TDODozuz: the graphics layer's device component. It makes the render driver and a
// windowed device whose back buffer matches the owner window's client area, keeps a
// registry of every resource built on the device (textures, scenes) so that they can
// drop and rebuild their device objects when the device goes or is reset, and writes
// the layer's debug log (DGLog.h).
#include "graphics/DGLog.h"
#include "graphics/device/RenderDevice.h"

#include <functional>
#include <memory>
#include <string>
#include <vector>

struct TSoftwareConfig;

// The window that holds the component: its client size, outer size and position,
// its handle, and where the render driver comes from.
class IDGOwner {
public:
    virtual ~IDGOwner() = default;
    virtual int32_t ClientWidth() const = 0;
    virtual int32_t ClientHeight() const = 0;
    // Outer bounds of the window, frame and menu included.
    virtual TRect WindowBounds() const = 0;
    virtual WindowHandle Handle() const = 0;
    // Moves and sizes the outer window (not topmost) and shows it.
    virtual void SetWindowPos(int32_t Left, int32_t Top, int32_t Width, int32_t Height) = 0;
    // Direct3DCreate9: the driver, or nullptr when none can be made.
    virtual std::shared_ptr<IRenderDriver> CreateDriver() = 0;
};

// An owner without a window: a client area of the given size inside a frame that is
// FrameWidth x FrameHeight larger, and the software driver. Tests and headless runs use it.
class THeadlessOwner : public IDGOwner {
public:
    THeadlessOwner(int32_t ClientWidth, int32_t ClientHeight, int32_t FrameWidth = 0,
                   int32_t FrameHeight = 0);
    int32_t ClientWidth() const override { return clientWidth_; }
    int32_t ClientHeight() const override { return clientHeight_; }
    TRect WindowBounds() const override;
    WindowHandle Handle() const override { return 1; }
    void SetWindowPos(int32_t Left, int32_t Top, int32_t Width, int32_t Height) override;
    std::shared_ptr<IRenderDriver> CreateDriver() override;

    // The configuration of the software drivers this owner makes (caps, failures, sink).
    const std::shared_ptr<TSoftwareConfig>& SoftwareConfig() const { return config_; }
    // false: CreateDriver answers nullptr.
    void SetDriverAvailable(bool available) { driverAvailable_ = available; }

private:
    int32_t clientWidth_, clientHeight_, frameWidth_, frameHeight_;
    int32_t left_ = 0, top_ = 0;
    bool driverAvailable_ = true;
    std::shared_ptr<TSoftwareConfig> config_;
};

// Anything registered with TDODozuz. The owner of the object deletes it; a resource
// still registered when the component goes is orphaned instead (see ~TDODozuz).
class TDGResource {
public:
    virtual ~TDGResource() = default;
    // Class name for the log lines ("TDGTexture").
    virtual const char* ClassName() const = 0;
    // The component is going: drop every device object, unregister, and forget it.
    virtual void Orphan() = 0;
};

using TDGCallback = std::function<void()>;

// One registered resource.
struct TDGResourceDesc {
    int32_t ID = 0;
    std::string Name;
    TDGResource* Resource = nullptr; // not owned
    TDGCallback OnRelease;           // the device is about to be destroyed
    TDGCallback OnRebuild;           // a device was created
    TDGCallback OnBeforeReset;
    TDGCallback OnAfterReset;
};

class TDODozuz {
public:
    // Only sets the property defaults: all three debug options, HAL device, hardware T&L.
    explicit TDODozuz(IDGOwner& Owner);
    // Orphans left-over resources, releases the device and the driver.
    ~TDODozuz();
    TDODozuz(const TDODozuz&) = delete;
    TDODozuz& operator=(const TDODozuz&) = delete;

    // After the properties are set: makes the driver and a device for the client area.
    void Loaded();

    TDGDebugOption DebugOption() const { return debugOption_; }
    void SetDebugOption(TDGDebugOption Option);
    bool UseREFDevice() const { return useREFDevice_; }
    void SetUseREFDevice(bool Value) { useREFDevice_ = Value; }
    bool UseSoftwareVertexProcessing() const { return useSoftwareVertexProcessing_; }
    void SetUseSoftwareVertexProcessing(bool Value) { useSoftwareVertexProcessing_ = Value; }

    IDGOwner& Owner() const { return owner_; }
    IRenderDriver* D3D() const { return d3d_.get(); }
    // The device; nullptr when none. The game calls TestCooperativeLevel, BeginScene,
    // EndScene and Present on it.
    IRenderDevice* D3DDevice() const { return device_.get(); }
    std::shared_ptr<IRenderSurface> BackBuffer(int32_t Index) const;
    IRenderSurface* DepthStencilSurface() const { return depthStencil_.get(); }
    int32_t BackBufferCount() const { return backBufferCount_; }
    bool Windowed() const { return windowed_; }
    D3DFORMAT BackBufferFormat() const { return backBufferFormat_; }
    int32_t ScreenWidth() const { return screenWidth_; }
    int32_t ScreenHeight() const { return screenHeight_; }
    const D3DPRESENT_PARAMETERS& PresentParams() const { return presentParams_; }
    uint32_t Adapter() const { return adapter_; }
    D3DDEVTYPE DeviceType() const { return deviceType_; }

    // (Re)creates the device windowed with a Width x Height back buffer and sizes the
    // owner window so that its client area matches.
    void ChangeWindowMode(int32_t Width, int32_t Height, const std::vector<D3DFORMAT>& DepthStencilFormats,
                          uint32_t PresentationInterval, uint32_t SwapEffect, uint32_t MultiSampleType,
                          uint32_t Adapter);
    // Fills the present parameters, chooses device type, depth format and vertex
    // processing, and creates the device.
    void InitScreenMode(uint32_t Adapter, bool Windowed, const D3DDISPLAYMODE& DisplayMode,
                        uint32_t MultiSampleType, const std::vector<D3DFORMAT>& DepthStencilFormats,
                        uint32_t SwapEffect, uint32_t PresentationInterval);
    // The first candidate of the last InitScreenMode that matches the back buffer
    // format; D3DFMT_UNKNOWN when none (or auto depth is off).
    D3DFORMAT FindDepthStencilFormat(D3DDEVTYPE DeviceType);
    HRESULT CreateDeviceObject(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle FocusWindow,
                               uint32_t BehaviorFlags, D3DPRESENT_PARAMETERS& PresentParams);
    // Resources drop their device objects; surfaces and device go.
    void ReleaseDevice();
    // Makes every registered resource let go of this component; the resources live on.
    void OrphanResources();
    // Resets a lost device with the stored present parameters.
    HRESULT ResetDevice();
    D3DDISPLAYMODE GetDisplayMode(uint32_t Adapter);

    // Resource registry.
    int32_t RegisterResource(TDGResource* Resource, const std::string& Name, TDGCallback OnRelease,
                             TDGCallback OnRebuild, TDGCallback OnBeforeReset, TDGCallback OnAfterReset);
    void UnregisterResource(int32_t ID);
    void ReleaseAllResources();
    void RebuildAllResources();
    const std::vector<TDGResourceDesc>& Resources() const { return registry_; }
    int32_t NextResourceID() const { return nextResourceID_; }

private:
    void ChooseDeviceAndCreate(uint32_t Adapter);
    void FetchSurfaces();
    void CallEach(TDGCallback TDGResourceDesc::*slot);

    IDGOwner& owner_;
    std::shared_ptr<IRenderDriver> d3d_;
    std::shared_ptr<IRenderDevice> device_;
    std::vector<std::shared_ptr<IRenderSurface>> backBuffers_;
    std::shared_ptr<IRenderSurface> depthStencil_;
    int32_t backBufferCount_ = 0;
    TDGDebugOption debugOption_ = dgoAll;
    bool useREFDevice_ = false;
    bool useSoftwareVertexProcessing_ = false;
    bool windowed_ = false;
    D3DFORMAT backBufferFormat_ = D3DFMT_UNKNOWN;
    int32_t screenWidth_ = 0;
    int32_t screenHeight_ = 0;
    D3DPRESENT_PARAMETERS presentParams_;
    std::vector<D3DFORMAT> depthStencilFormats_;
    uint32_t adapter_ = 0;
    D3DDEVTYPE deviceType_ = D3DDEVTYPE_HAL;
    int32_t nextResourceID_ = 0;
    std::vector<TDGResourceDesc> registry_;
    bool loaded_ = false;
};
