#pragma once
// A render device that records every call the layer makes and passes it on to the
// software device, so that tests can count state changes and still look at pixels.
// RecordingOwner hands TDODozuz a driver whose devices are wrapped this way.
#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"

#include <memory>
#include <string>
#include <vector>

struct DeviceCall {
    explicit DeviceCall(std::string op, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0)
        : Op(std::move(op)), A(a), B(b), C(c) {}
    std::string Op; // "SetRenderState", "SetTexture", "DrawPrimitiveUP", ...
    uint32_t A = 0, B = 0, C = 0;
    std::vector<TTLVertex> Vertices; // DrawPrimitiveUP only
    bool NullTexture = false;        // SetTexture only
};

class RecordingDevice : public IRenderDevice {
public:
    explicit RecordingDevice(std::shared_ptr<IRenderDevice> inner) : inner_(std::move(inner)) {}
    SoftwareDevice& Software() { return static_cast<SoftwareDevice&>(*inner_); }

    std::vector<DeviceCall> calls;
    // Calls of one kind (or every call for an empty op).
    size_t Count(const std::string& op) const {
        size_t n = 0;
        for (const auto& c : calls) n += op.empty() || c.Op == op;
        return n;
    }
    std::vector<DeviceCall> Draws() const {
        std::vector<DeviceCall> out;
        for (const auto& c : calls)
            if (c.Op == "DrawPrimitiveUP") out.push_back(c);
        return out;
    }
    uint32_t RenderState(uint32_t state) {
        uint32_t v = 0;
        inner_->GetRenderState(state, v);
        return v;
    }

    HRESULT TestCooperativeLevel() override { return inner_->TestCooperativeLevel(); }
    HRESULT Reset(D3DPRESENT_PARAMETERS& p) override { return Log("Reset"), inner_->Reset(p); }
    HRESULT BeginScene() override { return inner_->BeginScene(); }
    HRESULT EndScene() override { return inner_->EndScene(); }
    HRESULT Present() override { return inner_->Present(); }
    bool KeepsBackBuffer() override { return inner_->KeepsBackBuffer(); }
    HRESULT Clear(uint32_t n, const TRect* r, uint32_t f, D3DCOLOR c, float z, uint32_t s) override {
        return Log("Clear", f, c), inner_->Clear(n, r, f, c, z, s);
    }
    HRESULT SetViewport(const D3DVIEWPORT9& v) override { return Log("SetViewport"), inner_->SetViewport(v); }
    HRESULT GetViewport(D3DVIEWPORT9& v) override { return inner_->GetViewport(v); }
    HRESULT SetScissorRect(const TRect& r) override {
        return Log("SetScissorRect"), inner_->SetScissorRect(r);
    }
    HRESULT GetScissorRect(TRect& r) override { return inner_->GetScissorRect(r); }
    HRESULT SetTransform(uint32_t s, const D3DMATRIX& m) override {
        return Log("SetTransform", s), inner_->SetTransform(s, m);
    }
    HRESULT GetTransform(uint32_t s, D3DMATRIX& m) override { return inner_->GetTransform(s, m); }
    HRESULT SetRenderState(uint32_t s, uint32_t v) override {
        return Log("SetRenderState", s, v), inner_->SetRenderState(s, v);
    }
    HRESULT GetRenderState(uint32_t s, uint32_t& v) override { return inner_->GetRenderState(s, v); }
    HRESULT SetSamplerState(uint32_t i, uint32_t t, uint32_t v) override {
        return Log("SetSamplerState", i, t, v), inner_->SetSamplerState(i, t, v);
    }
    HRESULT GetSamplerState(uint32_t i, uint32_t t, uint32_t& v) override {
        return Log("GetSamplerState", i, t), inner_->GetSamplerState(i, t, v);
    }
    HRESULT SetTextureStageState(uint32_t i, uint32_t t, uint32_t v) override {
        return Log("SetTextureStageState", i, t, v), inner_->SetTextureStageState(i, t, v);
    }
    HRESULT GetTextureStageState(uint32_t i, uint32_t t, uint32_t& v) override {
        return inner_->GetTextureStageState(i, t, v);
    }
    HRESULT SetTexture(uint32_t i, std::shared_ptr<IRenderTexture> t) override {
        DeviceCall c{"SetTexture", i};
        c.NullTexture = !t;
        calls.push_back(c);
        return inner_->SetTexture(i, std::move(t));
    }
    HRESULT GetTexture(uint32_t i, std::shared_ptr<IRenderTexture>& t) override {
        return inner_->GetTexture(i, t);
    }
    HRESULT SetFVF(uint32_t f) override { return Log("SetFVF", f), inner_->SetFVF(f); }
    HRESULT GetFVF(uint32_t& f) override { return inner_->GetFVF(f); }
    HRESULT DrawPrimitiveUP(uint32_t type, uint32_t count, const void* data, uint32_t stride) override {
        DeviceCall c{"DrawPrimitiveUP", type, count, stride};
        const auto* v = static_cast<const TTLVertex*>(data);
        c.Vertices.assign(v, v + count + 2);
        calls.push_back(c);
        return inner_->DrawPrimitiveUP(type, count, data, stride);
    }
    HRESULT CreateTexture(uint32_t w, uint32_t h, uint32_t l, uint32_t u, D3DFORMAT f, D3DPOOL p,
                          std::shared_ptr<IRenderTexture>& t) override {
        return inner_->CreateTexture(w, h, l, u, f, p, t);
    }
    HRESULT GetBackBuffer(uint32_t s, uint32_t i, uint32_t t, std::shared_ptr<IRenderSurface>& b) override {
        return inner_->GetBackBuffer(s, i, t, b);
    }
    HRESULT GetDepthStencilSurface(std::shared_ptr<IRenderSurface>& s) override {
        return inner_->GetDepthStencilSurface(s);
    }
    uint32_t GetAvailableTextureMem() override { return inner_->GetAvailableTextureMem(); }
    HRESULT GetDeviceCaps(D3DCAPS9& c) override { return Log("GetDeviceCaps"), inner_->GetDeviceCaps(c); }

private:
    void Log(const char* op, uint32_t a = 0, uint32_t b = 0, uint32_t c = 0) {
        calls.emplace_back(op, a, b, c);
    }
    std::shared_ptr<IRenderDevice> inner_;
};

class RecordingDriver : public SoftwareDriver {
public:
    RecordingDriver(std::shared_ptr<TSoftwareConfig> config, RecordingDevice** last)
        : SoftwareDriver(std::move(config)), last_(last) {}
    HRESULT CreateDevice(uint32_t a, D3DDEVTYPE t, WindowHandle w, uint32_t f, D3DPRESENT_PARAMETERS& p,
                         std::shared_ptr<IRenderDevice>& device) override {
        std::shared_ptr<IRenderDevice> inner;
        const HRESULT hr = SoftwareDriver::CreateDevice(a, t, w, f, p, inner);
        if (hr != D3D_OK) return hr;
        auto rec = std::make_shared<RecordingDevice>(inner);
        *last_ = rec.get();
        device = rec;
        return D3D_OK;
    }

private:
    RecordingDevice** last_;
};

class RecordingOwner : public THeadlessOwner {
public:
    RecordingOwner(int32_t w, int32_t h) : THeadlessOwner(w, h) {}
    // The component holds the only reference, so that its release check stays quiet.
    std::shared_ptr<IRenderDriver> CreateDriver() override {
        return std::make_shared<RecordingDriver>(SoftwareConfig(), &last_);
    }
    // The device made last.
    RecordingDevice& Device() { return *last_; }

private:
    RecordingDevice* last_ = nullptr;
};
