#pragma once
// What every render device keeps between draws: the render states, the states of
// sampler 0 and texture stage 0 (the only ones the devices draw with; the others are
// accepted and read back as 0), the transforms, the bound texture and the vertex format,
// with the values a new or reset device starts from.
#include "graphics/device/RenderDevice.h"

#include <algorithm>
#include <map>
#include <memory>

// Byte offsets of a pre-transformed vertex's parts under a vertex format; size 0 when the
// devices cannot draw it.
struct VertexLayout {
    uint32_t diffuse = 0, tex = 0, size = 0;
    bool hasDiffuse = false, hasTex = false;
};
VertexLayout LayoutOf(uint32_t fvf);

struct TDeviceStates {
    uint32_t Render[D3DRS_COUNT] = {};
    uint32_t Sampler[D3DSAMP_COUNT] = {};
    uint32_t Stage[D3DTSS_COUNT] = {};
    std::map<uint32_t, D3DMATRIX> Transforms;
    std::shared_ptr<IRenderTexture> Texture;
    uint32_t FVF = 0;

    // The defaults of a new device; zEnable is D3DRS_ZENABLE's start value.
    void Reset(uint32_t zEnable);

    HRESULT SetTransform(uint32_t State, const D3DMATRIX& Matrix);
    HRESULT GetTransform(uint32_t State, D3DMATRIX& Matrix) const;
    HRESULT SetRenderState(uint32_t State, uint32_t Value);
    HRESULT GetRenderState(uint32_t State, uint32_t& Value) const;
    HRESULT SetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t Value);
    HRESULT GetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t& Value) const;
    HRESULT SetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t Value);
    HRESULT GetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t& Value) const;
    // ownTexture: the texture was made by this device (a foreign one is refused).
    HRESULT SetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture> Texture, bool ownTexture);
    HRESULT GetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture>& Texture) const;
};

// A surface of the size of the back buffers made with these parameters (the back buffer
// and the depth buffer describe themselves; neither device hands out their pixels).
std::shared_ptr<IRenderSurface> WindowSizedSurface(const D3DPRESENT_PARAMETERS& Params, D3DFORMAT Format,
                                                   uint32_t Usage);
// Whether a viewport lies inside the back buffer (without wrapping round 32 bits).
bool ViewportFits(const D3DVIEWPORT9& Viewport, const D3DPRESENT_PARAMETERS& Params);
// The back buffer of a device made with these parameters; INVALIDCALL for one it has not.
HRESULT BackBufferOf(const D3DPRESENT_PARAMETERS& Params, uint32_t SwapChain, uint32_t Index, uint32_t Type,
                     std::shared_ptr<IRenderSurface>& Surface);

// A render device whose states live in a TDeviceStates: the software and OpenGL devices
// keep and check them alike and differ only in how they draw.
class TStatefulRenderDevice : public IRenderDevice {
public:
    explicit TStatefulRenderDevice(const D3DPRESENT_PARAMETERS& Params) : params_(Params) {}

    HRESULT SetViewport(const D3DVIEWPORT9& Viewport) override {
        if (!ViewportFits(Viewport, params_)) return D3DERR_INVALIDCALL;
        viewport_ = Viewport;
        return D3D_OK;
    }
    HRESULT GetViewport(D3DVIEWPORT9& Viewport) override {
        Viewport = viewport_;
        return D3D_OK;
    }
    HRESULT SetScissorRect(const TRect& Rect) override {
        if (Rect.Right < Rect.Left || Rect.Bottom < Rect.Top) return D3DERR_INVALIDCALL;
        scissor_ = Rect;
        return D3D_OK;
    }
    HRESULT GetScissorRect(TRect& Rect) override {
        Rect = scissor_;
        return D3D_OK;
    }
    HRESULT SetTransform(uint32_t State, const D3DMATRIX& Matrix) override {
        return states_.SetTransform(State, Matrix);
    }
    HRESULT GetTransform(uint32_t State, D3DMATRIX& Matrix) override {
        return states_.GetTransform(State, Matrix);
    }
    HRESULT SetRenderState(uint32_t State, uint32_t Value) override {
        return states_.SetRenderState(State, Value);
    }
    HRESULT GetRenderState(uint32_t State, uint32_t& Value) override {
        return states_.GetRenderState(State, Value);
    }
    HRESULT SetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t Value) override {
        return states_.SetSamplerState(Sampler, Type, Value);
    }
    HRESULT GetSamplerState(uint32_t Sampler, uint32_t Type, uint32_t& Value) override {
        return states_.GetSamplerState(Sampler, Type, Value);
    }
    HRESULT SetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t Value) override {
        return states_.SetTextureStageState(Stage, Type, Value);
    }
    HRESULT GetTextureStageState(uint32_t Stage, uint32_t Type, uint32_t& Value) override {
        return states_.GetTextureStageState(Stage, Type, Value);
    }
    HRESULT SetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture> Texture) override {
        const bool own = OwnsTexture(Texture.get());
        return states_.SetTexture(Stage, std::move(Texture), own);
    }
    HRESULT GetTexture(uint32_t Stage, std::shared_ptr<IRenderTexture>& Texture) override {
        return states_.GetTexture(Stage, Texture);
    }
    HRESULT SetFVF(uint32_t FVF) override {
        states_.FVF = FVF;
        return D3D_OK;
    }
    HRESULT GetFVF(uint32_t& FVF) override {
        FVF = states_.FVF;
        return D3D_OK;
    }

protected:
    // The texture was made by a device of this kind (a foreign one cannot be bound).
    virtual bool OwnsTexture(const IRenderTexture* Texture) const = 0;
    // The viewport and the scissor rectangle back to the whole back buffer.
    void ResetViewport() {
        viewport_ = D3DVIEWPORT9{0, 0, params_.BackBufferWidth, params_.BackBufferHeight, 0.0f, 1.0f};
        scissor_ = ViewportRect();
    }
    // The viewport as a rectangle of the back buffer (it always lies inside).
    TRect ViewportRect() const {
        return TRect{static_cast<int32_t>(viewport_.X), static_cast<int32_t>(viewport_.Y),
                     static_cast<int32_t>(viewport_.X + viewport_.Width),
                     static_cast<int32_t>(viewport_.Y + viewport_.Height)};
    }
    // The pixels a draw may change: the viewport, within the scissor rectangle while the
    // scissor test is on (Right <= Left or Bottom <= Top when none).
    TRect DrawRect() const {
        TRect r = ViewportRect();
        if (states_.Render[D3DRS_SCISSORTESTENABLE] == 0) return r;
        r.Left = std::max(r.Left, scissor_.Left), r.Top = std::max(r.Top, scissor_.Top);
        r.Right = std::min(r.Right, scissor_.Right), r.Bottom = std::min(r.Bottom, scissor_.Bottom);
        return r;
    }

    TDeviceStates states_;
    D3DPRESENT_PARAMETERS params_;
    D3DVIEWPORT9 viewport_;
    TRect scissor_;
};
