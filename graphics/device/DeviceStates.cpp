#include "graphics/device/DeviceStates.h"

#include <algorithm>

namespace {

class DescribedSurface : public IRenderSurface {
public:
    explicit DescribedSurface(const D3DSURFACE_DESC& desc) : desc_(desc) {}
    HRESULT GetDesc(D3DSURFACE_DESC& Desc) override {
        Desc = desc_;
        return D3D_OK;
    }

private:
    D3DSURFACE_DESC desc_;
};

} // namespace

std::shared_ptr<IRenderSurface> WindowSizedSurface(const D3DPRESENT_PARAMETERS& Params, D3DFORMAT Format,
                                                   uint32_t Usage) {
    D3DSURFACE_DESC desc;
    desc.Format = Format;
    desc.Type = D3DRTYPE_SURFACE;
    desc.Usage = Usage;
    desc.Width = Params.BackBufferWidth;
    desc.Height = Params.BackBufferHeight;
    return std::make_shared<DescribedSurface>(desc);
}

bool ViewportFits(const D3DVIEWPORT9& Viewport, const D3DPRESENT_PARAMETERS& Params) {
    return uint64_t{Viewport.X} + Viewport.Width <= Params.BackBufferWidth &&
           uint64_t{Viewport.Y} + Viewport.Height <= Params.BackBufferHeight;
}

HRESULT BackBufferOf(const D3DPRESENT_PARAMETERS& Params, uint32_t SwapChain, uint32_t Index, uint32_t Type,
                     std::shared_ptr<IRenderSurface>& Surface) {
    Surface.reset();
    if (SwapChain != 0 || Index >= Params.BackBufferCount || Type != D3DBACKBUFFER_TYPE_MONO)
        return D3DERR_INVALIDCALL;
    Surface = WindowSizedSurface(Params, Params.BackBufferFormat, D3DUSAGE_RENDERTARGET);
    return D3D_OK;
}

VertexLayout LayoutOf(uint32_t fvf) {
    VertexLayout l;
    if ((fvf & 0x00E) != D3DFVF_XYZRHW) return l;
    uint32_t offset = 16;
    if (fvf & D3DFVF_DIFFUSE) l.diffuse = offset, offset += 4, l.hasDiffuse = true;
    if (fvf & D3DFVF_SPECULAR) offset += 4;
    if ((fvf & 0xF00) >= D3DFVF_TEX1) l.tex = offset, offset += 8 * ((fvf & 0xF00) >> 8), l.hasTex = true;
    l.size = offset;
    return l;
}

void TDeviceStates::Reset(uint32_t zEnable) {
    std::fill(std::begin(Render), std::end(Render), 0u);
    Render[D3DRS_ZENABLE] = zEnable;
    Render[D3DRS_FILLMODE] = D3DFILL_SOLID;
    Render[D3DRS_SHADEMODE] = 2; // Gouraud
    Render[D3DRS_ZWRITEENABLE] = 1;
    Render[D3DRS_SRCBLEND] = D3DBLEND_ONE;
    Render[D3DRS_DESTBLEND] = D3DBLEND_ZERO;
    Render[D3DRS_CULLMODE] = D3DCULL_CCW;
    Render[D3DRS_ZFUNC] = D3DCMP_LESSEQUAL;
    Render[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
    Render[D3DRS_LIGHTING] = 1;
    Render[D3DRS_BLENDOP] = D3DBLENDOP_ADD;
    std::fill(std::begin(Sampler), std::end(Sampler), 0u);
    Sampler[D3DSAMP_ADDRESSU] = Sampler[D3DSAMP_ADDRESSV] = Sampler[D3DSAMP_ADDRESSW] = D3DTADDRESS_WRAP;
    Sampler[D3DSAMP_MAGFILTER] = Sampler[D3DSAMP_MINFILTER] = D3DTEXF_POINT;
    std::fill(std::begin(Stage), std::end(Stage), 0u);
    Stage[D3DTSS_COLOROP] = D3DTOP_MODULATE;
    Stage[D3DTSS_COLORARG1] = D3DTA_TEXTURE;
    Stage[D3DTSS_COLORARG2] = D3DTA_CURRENT;
    Stage[D3DTSS_ALPHAOP] = D3DTOP_SELECTARG1;
    Stage[D3DTSS_ALPHAARG1] = D3DTA_TEXTURE;
    Stage[D3DTSS_ALPHAARG2] = D3DTA_CURRENT;
    Transforms.clear();
    Texture.reset();
    FVF = 0;
}

HRESULT TDeviceStates::SetTransform(uint32_t State, const D3DMATRIX& Matrix) {
    Transforms[State] = Matrix;
    return D3D_OK;
}

HRESULT TDeviceStates::GetTransform(uint32_t State, D3DMATRIX& Matrix) const {
    const auto it = Transforms.find(State);
    if (it != Transforms.end()) {
        Matrix = it->second;
    } else {
        Matrix = D3DMATRIX{};
        for (int i = 0; i < 4; ++i) Matrix.m[i][i] = 1.0f;
    }
    return D3D_OK;
}

HRESULT TDeviceStates::SetRenderState(uint32_t State, uint32_t Value) {
    if (State >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
    Render[State] = Value;
    return D3D_OK;
}

HRESULT TDeviceStates::GetRenderState(uint32_t State, uint32_t& Value) const {
    if (State >= D3DRS_COUNT) return D3DERR_INVALIDCALL;
    Value = Render[State];
    return D3D_OK;
}

HRESULT TDeviceStates::SetSamplerState(uint32_t Sampler_, uint32_t Type, uint32_t Value) {
    if (Sampler_ >= 16 || Type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    if (Sampler_ == 0) Sampler[Type] = Value;
    return D3D_OK;
}

HRESULT TDeviceStates::GetSamplerState(uint32_t Sampler_, uint32_t Type, uint32_t& Value) const {
    if (Sampler_ >= 16 || Type >= D3DSAMP_COUNT) return D3DERR_INVALIDCALL;
    Value = Sampler_ == 0 ? Sampler[Type] : 0;
    return D3D_OK;
}

HRESULT TDeviceStates::SetTextureStageState(uint32_t Stage_, uint32_t Type, uint32_t Value) {
    if (Stage_ >= 8 || Type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    if (Stage_ == 0) Stage[Type] = Value;
    return D3D_OK;
}

HRESULT TDeviceStates::GetTextureStageState(uint32_t Stage_, uint32_t Type, uint32_t& Value) const {
    if (Stage_ >= 8 || Type >= D3DTSS_COUNT) return D3DERR_INVALIDCALL;
    Value = Stage_ == 0 ? Stage[Type] : 0;
    return D3D_OK;
}

HRESULT TDeviceStates::SetTexture(uint32_t Stage_, std::shared_ptr<IRenderTexture> Texture_,
                                  bool ownTexture) {
    if (Stage_ >= 8) return D3DERR_INVALIDCALL;
    if (Texture_ && !ownTexture) return D3DERR_INVALIDCALL;
    if (Stage_ == 0) Texture = std::move(Texture_);
    return D3D_OK;
}

HRESULT TDeviceStates::GetTexture(uint32_t Stage_, std::shared_ptr<IRenderTexture>& Texture_) const {
    if (Stage_ >= 8) return D3DERR_INVALIDCALL;
    Texture_ = Stage_ == 0 ? Texture : nullptr;
    return D3D_OK;
}
