#include "graphics/device/OpenGLDevice.h"

#include "graphics/PixelFormat.h"
#include "graphics/device/OpenGLInternal.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cstring>

namespace {

bool ValidBackBuffer(const D3DPRESENT_PARAMETERS& p) {
    return p.BackBufferWidth > 0 && p.BackBufferHeight > 0 && p.BackBufferWidth <= 16384 &&
           p.BackBufferHeight <= 16384;
}

// Reads the frame back from the bound framebuffer as A8R8G8B8, rows top down.
std::vector<uint32_t> ReadBack(uint32_t w, uint32_t h) {
    std::vector<uint32_t> rows(static_cast<size_t>(w) * h);
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
    glReadPixels(0, 0, static_cast<GLsizei>(w), static_cast<GLsizei>(h), GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 rows.data());
    std::vector<uint32_t> out(rows.size());
    for (uint32_t y = 0; y < h; ++y)
        std::memcpy(out.data() + static_cast<size_t>(y) * w, rows.data() + static_cast<size_t>(h - 1 - y) * w,
                    static_cast<size_t>(w) * 4);
    return out;
}

} // namespace

const std::vector<D3DFORMAT>& OpenGLTextureFormats() {
    static const std::vector<D3DFORMAT> formats = {D3DFMT_A8R8G8B8, D3DFMT_X8R8G8B8, D3DFMT_A4R4G4B4,
                                                   D3DFMT_A1R5G5B5, D3DFMT_X1R5G5B5, D3DFMT_R5G6B5,
                                                   D3DFMT_X4R4G4B4};
    return formats;
}

// ---- driver

OpenGLDriver::OpenGLDriver(std::shared_ptr<TGLConfig> config) : config_(std::move(config)) {}

HRESULT OpenGLDriver::GetAdapterDisplayMode(uint32_t Adapter, D3DDISPLAYMODE& Mode) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    Mode = config_->DesktopMode;
    return D3D_OK;
}

HRESULT OpenGLDriver::GetAdapterIdentifier(uint32_t Adapter, uint32_t, D3DADAPTER_IDENTIFIER9& Identifier) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    Identifier = config_->Identifier;
    return D3D_OK;
}

HRESULT OpenGLDriver::GetDeviceCaps(uint32_t Adapter, D3DDEVTYPE DeviceType, D3DCAPS9& Caps) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    Caps = D3DCAPS9{};
    Caps.DeviceType = DeviceType;
    Caps.DevCaps = D3DDEVCAPS_HWTRANSFORMANDLIGHT;
    Caps.PrimitiveMiscCaps = D3DPMISCCAPS_BLENDOP;
    Caps.MaxTextureWidth = Caps.MaxTextureHeight = config_->MaxTextureSize;
    Caps.MaxPrimitiveCount = 0xFFFFF;
    return D3D_OK;
}

HRESULT OpenGLDriver::CheckDeviceFormat(uint32_t Adapter, D3DDEVTYPE, D3DFORMAT, uint32_t, uint32_t RType,
                                        D3DFORMAT CheckFormat) {
    if (Adapter != D3DADAPTER_DEFAULT) return D3DERR_INVALIDCALL;
    const auto& f = OpenGLTextureFormats();
    return RType == D3DRTYPE_TEXTURE && std::find(f.begin(), f.end(), CheckFormat) != f.end()
               ? D3D_OK
               : D3DERR_NOTAVAILABLE;
}

// The device has no depth buffer: the game draws in 2D only and asks for none.
HRESULT OpenGLDriver::CheckDepthStencilMatch(uint32_t Adapter, D3DDEVTYPE, D3DFORMAT, D3DFORMAT, D3DFORMAT) {
    return Adapter == D3DADAPTER_DEFAULT ? D3DERR_NOTAVAILABLE : D3DERR_INVALIDCALL;
}

HRESULT OpenGLDriver::CreateDevice(uint32_t Adapter, D3DDEVTYPE DeviceType, WindowHandle, uint32_t,
                                   D3DPRESENT_PARAMETERS& PresentParams,
                                   std::shared_ptr<IRenderDevice>& Device) {
    Device.reset();
    if (Adapter != D3DADAPTER_DEFAULT || !ValidBackBuffer(PresentParams)) return D3DERR_INVALIDCALL;
    if (DeviceType != D3DDEVTYPE_HAL) return D3DERR_NOTAVAILABLE;
    if (PresentParams.EnableAutoDepthStencil) return D3DERR_NOTAVAILABLE;
    if (PresentParams.BackBufferCount == 0) PresentParams.BackBufferCount = 1;
    Device = std::make_shared<OpenGLDevice>(config_, PresentParams);
    return D3D_OK;
}

// ---- device

OpenGLDevice::OpenGLDevice(std::shared_ptr<TGLConfig> config, const D3DPRESENT_PARAMETERS& PresentParams)
    : TStatefulRenderDevice(PresentParams), config_(std::move(config)),
      shared_(std::make_shared<TGLShared>()), renderer_(std::make_unique<OpenGLRenderer>()) {
    ResetStates();
}

OpenGLDevice::~OpenGLDevice() {
    commands_.clear();
    states_.Texture.reset();
    const TGLContextHooks& h = config_->Hooks;
    if (h.MakeCurrent && h.MakeCurrent()) {
        renderer_->Release();
        if (!shared_->DeadTextures.empty())
            glDeleteTextures(static_cast<GLsizei>(shared_->DeadTextures.size()),
                             shared_->DeadTextures.data());
        shared_->DeadTextures.clear();
        if (h.DoneCurrent) h.DoneCurrent();
    }
}

void OpenGLDevice::ResetStates() {
    states_.Reset(D3DZB_FALSE);
    ResetViewport();
    inScene_ = false;
    shown_ = false;
    commands_.clear();
}

HRESULT OpenGLDevice::TestCooperativeLevel() {
    return D3D_OK;
}

HRESULT OpenGLDevice::Reset(D3DPRESENT_PARAMETERS& PresentParams) {
    if (!ValidBackBuffer(PresentParams) || PresentParams.EnableAutoDepthStencil) return D3DERR_INVALIDCALL;
    if (PresentParams.BackBufferCount == 0) PresentParams.BackBufferCount = 1;
    params_ = PresentParams;
    ResetStates();
    return D3D_OK;
}

HRESULT OpenGLDevice::BeginScene() {
    if (inScene_) return D3DERR_INVALIDCALL;
    inScene_ = true;
    return D3D_OK;
}

HRESULT OpenGLDevice::EndScene() {
    if (!inScene_) return D3DERR_INVALIDCALL;
    inScene_ = false;
    return D3D_OK;
}

// Replays the recorded frame into the context's framebuffer. A frame whose context
// cannot be made current (the window is not yet shown) is dropped: the frame buffer no
// longer holds what was drawn, so KeepsBackBuffer answers false until a frame is shown
// (the scene then draws the next one whole).
HRESULT OpenGLDevice::Present() {
    const TGLContextHooks& h = config_->Hooks;
    if (commands_.empty() && KeepsBackBuffer()) { // the frame shown is this one already
        ++config_->SkippedPresents;
        ++config_->PresentCount;
        return D3D_OK;
    }
    std::vector<TGLCommand> frame;
    frame.swap(commands_);
    // Every command is clipped to its rectangle: together they are all the frame changes.
    TRect damage{};
    for (const TGLCommand& c : frame)
        damage = damage.Left < damage.Right
                     ? TRect{std::min(damage.Left, c.clip.Left), std::min(damage.Top, c.clip.Top),
                             std::max(damage.Right, c.clip.Right), std::max(damage.Bottom, c.clip.Bottom)}
                     : c.clip;
    if (!h.MakeCurrent || !h.MakeCurrent()) {
        ++config_->DroppedFrames;
        shown_ = false;
        return D3D_OK;
    }
    if (!shared_->DeadTextures.empty()) {
        glDeleteTextures(static_cast<GLsizei>(shared_->DeadTextures.size()), shared_->DeadTextures.data());
        shared_->DeadTextures.clear();
    }
    uint32_t fbw = params_.BackBufferWidth, fbh = params_.BackBufferHeight;
    if (h.FramebufferSize) h.FramebufferSize(fbw, fbh);
    glBindFramebuffer(GL_FRAMEBUFFER, h.DefaultFramebuffer ? h.DefaultFramebuffer() : 0);
    const bool drawn = renderer_->Replay(frame, params_.BackBufferWidth, params_.BackBufferHeight, fbw, fbh);
    if (drawn && config_->PresentSink) {
        const std::vector<uint32_t> pixels = ReadBack(fbw, fbh);
        config_->PresentSink(TSoftwareFrame{fbw, fbh, fbw, pixels.data()});
    }
    if (h.DoneCurrent) h.DoneCurrent();
    shown_ = drawn && fbw == params_.BackBufferWidth && fbh == params_.BackBufferHeight;
    shownWidth_ = fbw, shownHeight_ = fbh;
    if (!drawn) return D3DERR_DRIVERINTERNALERROR;
    ++config_->PresentCount;
    if (h.FrameReady) h.FrameReady(damage);
    return D3D_OK;
}

bool OpenGLDevice::KeepsBackBuffer() {
    if (!shown_) return false;
    // A frame buffer of another size is a new one (the window made it anew).
    uint32_t fbw = params_.BackBufferWidth, fbh = params_.BackBufferHeight;
    if (config_->Hooks.FramebufferSize) config_->Hooks.FramebufferSize(fbw, fbh);
    return fbw == shownWidth_ && fbh == shownHeight_;
}

HRESULT OpenGLDevice::Clear(uint32_t Count, const TRect* Rects, uint32_t Flags, D3DCOLOR Color, float,
                            uint32_t) {
    if ((Count > 0 && !Rects) || (Flags & ~(D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER | D3DCLEAR_STENCIL)) != 0)
        return D3DERR_INVALIDCALL;
    if (!(Flags & D3DCLEAR_TARGET)) return D3D_OK;
    const TRect view = ViewportRect();
    const uint32_t n = Count == 0 ? 1 : Count;
    for (uint32_t i = 0; i < n; ++i) {
        const TRect r = Count == 0 ? view : Rects[i];
        TGLCommand c;
        c.kind = TGLCommandKind::Clear;
        c.clip = TRect{std::max(r.Left, view.Left), std::max(r.Top, view.Top), std::min(r.Right, view.Right),
                       std::min(r.Bottom, view.Bottom)};
        c.color = Color;
        if (c.clip.Left < c.clip.Right && c.clip.Top < c.clip.Bottom) commands_.push_back(std::move(c));
    }
    return D3D_OK;
}

bool OpenGLDevice::OwnsTexture(const IRenderTexture* Texture) const {
    return dynamic_cast<const OpenGLTexture*>(Texture) != nullptr;
}

HRESULT OpenGLDevice::DrawPrimitiveUP(uint32_t PrimitiveType, uint32_t PrimitiveCount, const void* VertexData,
                                      uint32_t Stride) {
    const VertexLayout layout = LayoutOf(states_.FVF);
    if (!inScene_ || !VertexData || layout.size == 0 || Stride < layout.size || PrimitiveCount == 0 ||
        PrimitiveCount > 0xFFFFF ||
        (PrimitiveType != D3DPT_TRIANGLESTRIP && PrimitiveType != D3DPT_TRIANGLELIST))
        return D3DERR_INVALIDCALL;
    const TRect area = DrawRect();
    if (area.Left >= area.Right || area.Top >= area.Bottom) return D3D_OK; // scissored away
    const uint32_t count = PrimitiveType == D3DPT_TRIANGLELIST ? PrimitiveCount * 3 : PrimitiveCount + 2;
    RecordDraw(PrimitiveType, count, VertexData, Stride);
    return D3D_OK;
}

void OpenGLDevice::RecordDraw(uint32_t PrimitiveType, uint32_t VertexCount, const void* VertexData,
                              uint32_t Stride) {
    const VertexLayout layout = LayoutOf(states_.FVF);
    TGLCommand c;
    c.kind = TGLCommandKind::Draw;
    c.primitive = PrimitiveType;
    c.clip = DrawRect();
    TGLDrawState& s = c.state;
    if (states_.Texture) s.texture = static_cast<const OpenGLTexture*>(states_.Texture.get())->Texels();
    s.linear = states_.Sampler[D3DSAMP_MAGFILTER] == D3DTEXF_LINEAR;
    s.wrapU = states_.Sampler[D3DSAMP_ADDRESSU] == D3DTADDRESS_WRAP;
    s.wrapV = states_.Sampler[D3DSAMP_ADDRESSV] == D3DTADDRESS_WRAP;
    s.colorOp = states_.Stage[D3DTSS_COLOROP];
    s.colorArg1 = states_.Stage[D3DTSS_COLORARG1];
    s.colorArg2 = states_.Stage[D3DTSS_COLORARG2];
    s.alphaOp = states_.Stage[D3DTSS_ALPHAOP];
    s.alphaArg1 = states_.Stage[D3DTSS_ALPHAARG1];
    s.alphaArg2 = states_.Stage[D3DTSS_ALPHAARG2];
    s.alphaBlend = states_.Render[D3DRS_ALPHABLENDENABLE] != 0;
    s.srcBlend = states_.Render[D3DRS_SRCBLEND];
    s.destBlend = states_.Render[D3DRS_DESTBLEND];
    s.blendOp = states_.Render[D3DRS_BLENDOP];
    s.alphaTest = states_.Render[D3DRS_ALPHATESTENABLE] != 0;
    s.alphaFunc = states_.Render[D3DRS_ALPHAFUNC];
    s.alphaRef = states_.Render[D3DRS_ALPHAREF] & 0xFF;
    s.cullMode = states_.Render[D3DRS_CULLMODE];
    c.vertices.resize(VertexCount);
    const auto* p = static_cast<const uint8_t*>(VertexData);
    for (uint32_t i = 0; i < VertexCount; ++i, p += Stride) {
        TGLVertex& v = c.vertices[i];
        std::memcpy(&v.x, p, 4);
        std::memcpy(&v.y, p + 4, 4);
        v.color = 0xFFFFFFFF;
        v.u = v.v = 0.0f;
        if (layout.hasDiffuse) std::memcpy(&v.color, p + layout.diffuse, 4);
        if (layout.hasTex) {
            std::memcpy(&v.u, p + layout.tex, 4);
            std::memcpy(&v.v, p + layout.tex + 4, 4);
        }
    }
    commands_.push_back(std::move(c));
}

HRESULT OpenGLDevice::CreateTexture(uint32_t Width, uint32_t Height, uint32_t, uint32_t Usage,
                                    D3DFORMAT Format, D3DPOOL Pool,
                                    std::shared_ptr<IRenderTexture>& Texture) {
    Texture.reset();
    const auto& formats = OpenGLTextureFormats();
    if (Width == 0 || Height == 0 || Width > config_->MaxTextureSize || Height > config_->MaxTextureSize ||
        Pool > D3DPOOL_SCRATCH || std::find(formats.begin(), formats.end(), Format) == formats.end())
        return D3DERR_INVALIDCALL;
    Texture = std::make_shared<OpenGLTexture>(Width, Height, Format, Pool, Usage, shared_);
    return D3D_OK;
}

HRESULT OpenGLDevice::GetBackBuffer(uint32_t SwapChain, uint32_t Index, uint32_t Type,
                                    std::shared_ptr<IRenderSurface>& Surface) {
    return BackBufferOf(params_, SwapChain, Index, Type, Surface);
}

HRESULT OpenGLDevice::GetDepthStencilSurface(std::shared_ptr<IRenderSurface>& Surface) {
    Surface.reset();
    return D3DERR_NOTFOUND;
}

// Texture memory is not something OpenGL tells; report what is left of a nominal 512 MB.
uint32_t OpenGLDevice::GetAvailableTextureMem() {
    constexpr uint64_t nominal = 512ull << 20;
    return shared_->TextureBytes >= nominal ? 0 : static_cast<uint32_t>(nominal - shared_->TextureBytes);
}

HRESULT OpenGLDevice::GetDeviceCaps(D3DCAPS9& Caps) {
    OpenGLDriver driver(config_);
    return driver.GetDeviceCaps(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, Caps);
}

size_t OpenGLDevice::PendingCommands() const {
    return commands_.size();
}
