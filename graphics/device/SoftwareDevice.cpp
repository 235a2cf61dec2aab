#include "graphics/device/SoftwareDevice.h"

#include "graphics/PixelFormat.h"
#include "graphics/device/SoftwareRasterizer.h"
#include "graphics/device/SoftwareTexture.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// A back buffer or depth surface: only its description is asked for.
TRasterVertex ReadVertex(const uint8_t* p, const VertexLayout& l) {
    TRasterVertex v;
    std::memcpy(&v.x, p, 4);
    std::memcpy(&v.y, p + 4, 4);
    std::memcpy(&v.z, p + 8, 4);
    std::memcpy(&v.rhw, p + 12, 4);
    if (l.hasDiffuse) std::memcpy(&v.diffuse, p + l.diffuse, 4);
    if (l.hasTex) {
        std::memcpy(&v.u, p + l.tex, 4);
        std::memcpy(&v.v, p + l.tex + 4, 4);
    }
    return v;
}

// The pixels the vertices' triangles can touch, within Clip (all of Clip for coordinates
// that are not finite).
TRect DrawBounds(const uint8_t* bytes, uint32_t count, uint32_t stride, const TRect& clip) {
    float minX = 0, maxX = 0, minY = 0, maxY = 0;
    for (uint32_t i = 0; i < count; ++i) {
        float x = 0, y = 0;
        std::memcpy(&x, bytes + static_cast<size_t>(i) * stride, 4);
        std::memcpy(&y, bytes + static_cast<size_t>(i) * stride + 4, 4);
        if (!std::isfinite(x) || !std::isfinite(y)) return clip;
        if (i == 0 || x < minX) minX = x;
        if (i == 0 || x > maxX) maxX = x;
        if (i == 0 || y < minY) minY = y;
        if (i == 0 || y > maxY) maxY = y;
    }
    const auto lo = [](float v, int32_t limit) {
        return static_cast<int32_t>(std::clamp<double>(std::floor(v), limit, 1e9));
    };
    const auto hi = [](float v, int32_t limit) {
        return static_cast<int32_t>(std::clamp<double>(std::floor(v) + 1, -1e9, limit));
    };
    return Rect(lo(minX, clip.Left), lo(minY, clip.Top), hi(maxX, clip.Right), hi(maxY, clip.Bottom));
}

} // namespace

SoftwareDevice::SoftwareDevice(std::shared_ptr<TSoftwareConfig> config,
                               const D3DPRESENT_PARAMETERS& PresentParams, uint32_t BehaviorFlags)
    : TStatefulRenderDevice(PresentParams), config_(std::move(config)), behaviorFlags_(BehaviorFlags),
      textureBytes_(std::make_shared<uint64_t>(0)), raster_(std::make_unique<SoftwareRasterizer>()) {
    MakeBuffers();
    ResetStates();
}

SoftwareDevice::~SoftwareDevice() = default;

void SoftwareDevice::MakeBuffers() {
    frame_.assign(static_cast<size_t>(params_.BackBufferWidth) * params_.BackBufferHeight, 0xFF000000u);
    raster_->SetTarget(frame_.data(), params_.BackBufferWidth, params_.BackBufferHeight);
    shown_ = false;
    damage_ = Rect(0, 0, static_cast<int32_t>(params_.BackBufferWidth),
                   static_cast<int32_t>(params_.BackBufferHeight));
}

void SoftwareDevice::Damage(const TRect& r) {
    if (r.Left >= r.Right || r.Top >= r.Bottom) return;
    if (damage_.Left >= damage_.Right || damage_.Top >= damage_.Bottom) {
        damage_ = r;
        return;
    }
    damage_ = Rect(std::min(damage_.Left, r.Left), std::min(damage_.Top, r.Top),
                   std::max(damage_.Right, r.Right), std::max(damage_.Bottom, r.Bottom));
}

void SoftwareDevice::ResetStates() {
    states_.Reset(params_.EnableAutoDepthStencil ? D3DZB_TRUE : D3DZB_FALSE);
    ResetViewport();
    inScene_ = false;
}

HRESULT SoftwareDevice::TestCooperativeLevel() {
    return config_->CooperativeLevel;
}

HRESULT SoftwareDevice::Reset(D3DPRESENT_PARAMETERS& PresentParams) {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::Reset)) return hr;
    if (config_->CooperativeLevel == D3DERR_DEVICELOST) return D3DERR_DEVICELOST;
    // Like Direct3D 9: every default-pool resource must be gone first.
    for (const auto& w : defaultPool_)
        if (!w.expired()) return D3DERR_INVALIDCALL;
    defaultPool_.clear();
    if (PresentParams.BackBufferWidth == 0 || PresentParams.BackBufferHeight == 0 ||
        PresentParams.BackBufferWidth > 16384 || PresentParams.BackBufferHeight > 16384)
        return D3DERR_INVALIDCALL;
    if (PresentParams.BackBufferCount == 0)
        PresentParams.BackBufferCount = std::max(1u, config_->BackBufferCount);
    params_ = PresentParams;
    MakeBuffers();
    ResetStates();
    config_->CooperativeLevel = D3D_OK;
    ++config_->ResetCount;
    return D3D_OK;
}

HRESULT SoftwareDevice::BeginScene() {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::BeginScene)) return hr;
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT SoftwareDevice::EndScene() {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::EndScene)) return hr;
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

HRESULT SoftwareDevice::Present() {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::Present)) return hr;
    if (config_->CooperativeLevel != D3D_OK) return D3DERR_DEVICELOST;
    ++config_->PresentCount;
    // Nothing cleared or drawn since the last present: the frame shown is this one already.
    if (shown_ && (damage_.Left >= damage_.Right || damage_.Top >= damage_.Bottom)) {
        ++config_->SkippedPresents;
        return D3D_OK;
    }
    if (config_->PresentSink) {
        TSoftwareFrame frame = FrameBuffer();
        frame.Damage = damage_;
        config_->PresentSink(frame);
    }
    shown_ = true;
    damage_ = TRect{};
    return D3D_OK;
}

HRESULT SoftwareDevice::Clear(uint32_t Count, const TRect* Rects, uint32_t Flags, D3DCOLOR Color, float Z,
                              uint32_t Stencil) {
    (void)Z, (void)Stencil;
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::Clear)) return hr;
    if ((Count > 0 && !Rects) || (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0)
        return D3DERR_INVALIDCALL;
    if (!(Flags & D3DCLEAR_TARGET)) return D3D_OK;
    const TRect view = ViewportRect();
    const uint32_t n = Count == 0 ? 1 : Count;
    for (uint32_t i = 0; i < n; ++i) {
        const TRect r = Count == 0 ? view : Rects[i];
        const int32_t left = std::max(r.Left, view.Left), right = std::min(r.Right, view.Right);
        const int32_t top = std::max(r.Top, view.Top), bottom = std::min(r.Bottom, view.Bottom);
        if (left >= right || top >= bottom) continue;
        Damage(Rect(left, top, right, bottom));
        // One row filled, the others copied from it (a copy runs at memory speed).
        uint32_t* first = frame_.data() + static_cast<size_t>(top) * params_.BackBufferWidth + left;
        std::fill_n(first, right - left, Color);
        for (int32_t y = top + 1; y < bottom; ++y)
            std::memcpy(first + static_cast<size_t>(y - top) * params_.BackBufferWidth, first,
                        static_cast<size_t>(right - left) * 4);
    }
    return D3D_OK;
}

bool SoftwareDevice::OwnsTexture(const IRenderTexture* Texture) const {
    return dynamic_cast<const SoftwareTexture*>(Texture) != nullptr;
}

HRESULT SoftwareDevice::DrawPrimitiveUP(uint32_t PrimitiveType, uint32_t PrimitiveCount,
                                        const void* VertexData, uint32_t Stride) {
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::DrawPrimitiveUP)) return hr;
    const VertexLayout layout = LayoutOf(states_.FVF);
    if (!inScene_ || !VertexData || layout.size == 0 || Stride < layout.size || PrimitiveCount == 0 ||
        PrimitiveCount > 0xFFFFF ||
        (PrimitiveType != D3DPT_TRIANGLESTRIP && PrimitiveType != D3DPT_TRIANGLELIST))
        return D3DERR_INVALIDCALL;
    ++config_->DrawCalls;
    const auto* bytes = static_cast<const uint8_t*>(VertexData);
    TRasterState st;
    st.texture = static_cast<const SoftwareTexture*>(states_.Texture.get());
    st.linear = states_.Sampler[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR;
    st.wrapU = states_.Sampler[D3DSAMP_ADDRESSU] == D3DTADDRESS_WRAP;
    st.wrapV = states_.Sampler[D3DSAMP_ADDRESSV] == D3DTADDRESS_WRAP;
    st.colorOp = states_.Stage[D3DTSS_COLOROP];
    st.colorArg1 = states_.Stage[D3DTSS_COLORARG1];
    st.colorArg2 = states_.Stage[D3DTSS_COLORARG2];
    st.alphaOp = states_.Stage[D3DTSS_ALPHAOP];
    st.alphaArg1 = states_.Stage[D3DTSS_ALPHAARG1];
    st.alphaArg2 = states_.Stage[D3DTSS_ALPHAARG2];
    st.alphaBlend = states_.Render[D3DRS_ALPHABLENDENABLE] != 0;
    st.srcBlend = states_.Render[D3DRS_SRCBLEND];
    st.destBlend = states_.Render[D3DRS_DESTBLEND];
    st.blendOp = config_->BlendOpSupported ? states_.Render[D3DRS_BLENDOP] : D3DBLENDOP_ADD;
    st.alphaTest = states_.Render[D3DRS_ALPHATESTENABLE] != 0;
    st.alphaFunc = states_.Render[D3DRS_ALPHAFUNC];
    st.alphaRef = states_.Render[D3DRS_ALPHAREF] & 0xFF;
    st.cullMode = states_.Render[D3DRS_CULLMODE];
    st.clip = ViewportRect();
    st.scissor = DrawRect();
    if (st.scissor.Left >= st.scissor.Right || st.scissor.Top >= st.scissor.Bottom) return D3D_OK;
    Damage(DrawBounds(bytes, PrimitiveType == D3DPT_TRIANGLELIST ? 3 * PrimitiveCount : PrimitiveCount + 2,
                      Stride, st.scissor));
    raster_->SetKernels(config_->SpanKernels ? *config_->SpanKernels : FastestSpanKernels());
    auto vertex = [&](uint32_t i) { return ReadVertex(bytes + static_cast<size_t>(i) * Stride, layout); };
    if (PrimitiveType == D3DPT_TRIANGLELIST) {
        for (uint32_t t = 0; t < PrimitiveCount; ++t)
            raster_->DrawTriangle(st, vertex(3 * t), vertex(3 * t + 1), vertex(3 * t + 2));
        return D3D_OK;
    }
    if (PrimitiveCount == 2) {
        const TRasterVertex quad[4] = {vertex(0), vertex(1), vertex(2), vertex(3)};
        if (raster_->DrawQuad(st, quad)) return D3D_OK;
    }
    // Every odd triangle of a strip is turned round so that all keep the first one's winding.
    for (uint32_t t = 0; t < PrimitiveCount; ++t) {
        if (t % 2 == 0)
            raster_->DrawTriangle(st, vertex(t), vertex(t + 1), vertex(t + 2));
        else
            raster_->DrawTriangle(st, vertex(t + 1), vertex(t), vertex(t + 2));
    }
    return D3D_OK;
}

HRESULT SoftwareDevice::CreateTexture(uint32_t Width, uint32_t Height, uint32_t Levels, uint32_t Usage,
                                      D3DFORMAT Format, D3DPOOL Pool,
                                      std::shared_ptr<IRenderTexture>& Texture) {
    (void)Levels;
    Texture.reset();
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::CreateTexture)) return hr;
    const TSoftwareConfig& c = *config_;
    if (Width == 0 || Height == 0 || Width > c.MaxTextureWidth || Height > c.MaxTextureHeight ||
        Pool > D3DPOOL_SCRATCH || FormatBits(Format) == 0 ||
        std::find(c.TextureFormats.begin(), c.TextureFormats.end(), Format) == c.TextureFormats.end())
        return D3DERR_INVALIDCALL;
    if ((c.PowerOfTwo && ((Width & (Width - 1)) != 0 || (Height & (Height - 1)) != 0)) ||
        (c.SquareOnly && Width != Height))
        return D3DERR_INVALIDCALL;
    const uint64_t bytes =
        (((static_cast<uint64_t>(Width) * (FormatBits(Format) / 8) + 3) & ~uint64_t{3}) + c.ExtraPitch) *
        Height;
    if (*textureBytes_ + bytes > c.TextureMemory) return D3DERR_OUTOFVIDEOMEMORY;
    auto texture =
        std::make_shared<SoftwareTexture>(Width, Height, Format, Pool, Usage, config_, textureBytes_);
    if (Pool == D3DPOOL_DEFAULT) {
        std::erase_if(defaultPool_, [](const auto& w) { return w.expired(); });
        defaultPool_.push_back(texture);
    }
    Texture = std::move(texture);
    return D3D_OK;
}

HRESULT SoftwareDevice::GetBackBuffer(uint32_t SwapChain, uint32_t Index, uint32_t Type,
                                      std::shared_ptr<IRenderSurface>& Surface) {
    Surface.reset();
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetBackBuffer)) return hr;
    return BackBufferOf(params_, SwapChain, Index, Type, Surface);
}

HRESULT SoftwareDevice::GetDepthStencilSurface(std::shared_ptr<IRenderSurface>& Surface) {
    Surface.reset();
    if (const HRESULT hr = config_->FailureOf(SoftwareOp::GetDepthStencilSurface)) return hr;
    if (!params_.EnableAutoDepthStencil) return D3DERR_NOTFOUND;
    Surface = WindowSizedSurface(params_, params_.AutoDepthStencilFormat, D3DUSAGE_DEPTHSTENCIL);
    return D3D_OK;
}

uint32_t SoftwareDevice::GetAvailableTextureMem() {
    const uint64_t used = *textureBytes_;
    return used >= config_->TextureMemory ? 0 : static_cast<uint32_t>(config_->TextureMemory - used);
}

HRESULT SoftwareDevice::GetDeviceCaps(D3DCAPS9& Caps) {
    SoftwareDriver driver(config_);
    return driver.GetDeviceCaps(D3DADAPTER_DEFAULT, config_->HalAvailable ? D3DDEVTYPE_HAL : D3DDEVTYPE_REF,
                                Caps);
}

TSoftwareFrame SoftwareDevice::FrameBuffer() const {
    return {params_.BackBufferWidth, params_.BackBufferHeight, params_.BackBufferWidth, frame_.data()};
}

uint32_t SoftwareDevice::Pixel(uint32_t X, uint32_t Y) const {
    if (X >= params_.BackBufferWidth || Y >= params_.BackBufferHeight) return 0;
    return frame_[static_cast<size_t>(Y) * params_.BackBufferWidth + X];
}
