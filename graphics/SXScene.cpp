#include "graphics/SXScene.h"

#include "base/Exception.h"

#include <cmath>
#include <cstring>

namespace {

constexpr float kHalfPi = 1.5707964f;

// The table Create builds; index = BlendMode of Draw2D.
const TSXBlendMode kDefaultBlendModes[] = {
    {false, false, D3DCMP_ALWAYS, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD}, // opaque
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_ONE, D3DBLENDOP_ADD},           // additive
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD},   // alpha
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_INVSRCCOLOR, D3DBLENDOP_ADD},       // darken
    {true, false, D3DCMP_ALWAYS, true, D3DBLEND_ZERO, D3DBLEND_SRCCOLOR, D3DBLENDOP_ADD},          // multiply
    {false, true, D3DCMP_GREATER, false, D3DBLEND_SRCALPHA, D3DBLEND_INVSRCALPHA, D3DBLENDOP_ADD}, // cut-out
};

D3DMATRIX ToD3D(const TSXMatrix& m) {
    D3DMATRIX r;
    std::memcpy(r.m, m.m, sizeof r.m);
    return r;
}

} // namespace

TSXScene::TSXScene(TDODozuz& DG, const std::string& name) : dg_(&DG), name_(name) {
    overlay_ = std::make_unique<TSXRenderingQueue>(*this);
    opaque_ = std::make_unique<TSXRenderingQueue>(*this);
    blend_ = std::make_unique<TSXRenderingQueue>(*this);
    resourceID_ = DG.RegisterResource(
        this, name, nullptr, [this] { RestoreStates(); }, nullptr, [this] { RestoreStates(); });
    for (const TSXBlendMode& mode : kDefaultBlendModes) AddBlendMode(mode);
    const int32_t width = DG.Owner().ClientWidth(), height = DG.Owner().ClientHeight();
    SetViewport(0, 0, width, height);
    SetProjection(kHalfPi, float(height) / float(width), 0.01f, 10000.0f);
    CheckBlendOpCaps();
}

TSXScene::~TSXScene() {
    Orphan();
}

void TSXScene::Orphan() {
    if (!dg_) return;
    TDODozuz* dg = dg_;
    dg_ = nullptr;
    dg->UnregisterResource(resourceID_);
}

int32_t TSXScene::AddBlendMode(const TSXBlendMode& mode) {
    blendModes_.push_back(mode);
    return static_cast<int32_t>(blendModes_.size()) - 1;
}

void TSXScene::Draw2D(const TSXVector2& position, std::span<const TSXVertex2D> vertices, TDGTexture* texture,
                      int32_t blendMode, bool filter, bool overlay, float z) {
    if (vertices.size() < 4) throw Exception("TSXScene.Draw2D: 頂点は4つ以上必要です");
    if (blendMode < 0 || blendMode >= static_cast<int32_t>(blendModes_.size()))
        throw Exception("TSXScene.Draw2D: ブレンドモード " + std::to_string(blendMode) + " はありません");
    if (overlay)
        overlay_->AddPolygon2D(filter, blendMode, vertices, texture, position, 0.0f);
    else if (blendModes_[static_cast<size_t>(blendMode)].Sorted)
        blend_->AddPolygon2D(filter, blendMode, vertices, texture, position, z);
    else
        opaque_->AddPolygon2D(filter, blendMode, vertices, texture, position, z);
}

void TSXScene::Render() {
    IRenderDevice* dev = Device();
    if (!dev) { // nothing to draw on: the queues are emptied all the same
        for (auto* queue : {opaque_.get(), blend_.get(), overlay_.get()}) queue->Render(false);
        return;
    }
    dev->SetTransform(D3DTS_VIEW, ToD3D(MatrixIdentity()));
    opaque_->Render(false);
    blend_->Render(sortBlended_);
    dev->SetRenderState(D3DRS_ZENABLE, 0);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    overlay_->Render(false);
    dev->SetRenderState(D3DRS_ZENABLE, 1);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    dev->SetTexture(0, nullptr); // no texture stays bound after a frame
}

void TSXScene::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
    if (IRenderDevice* dev = Device()) dev->Clear(0, nullptr, flags, color, z, stencil);
}

void TSXScene::SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    viewport_.X = static_cast<uint32_t>(left);
    viewport_.Y = static_cast<uint32_t>(top);
    viewport_.Width = static_cast<uint32_t>(right - left);
    viewport_.Height = static_cast<uint32_t>(bottom - top);
    viewport_.MinZ = 0.0f;
    viewport_.MaxZ = 1.0f;
    viewportMatrix_ = MatrixViewport(float(viewport_.X), float(viewport_.Y), float(viewport_.Width),
                                     float(viewport_.Height), viewport_.MinZ, viewport_.MaxZ);
    if (IRenderDevice* dev = Device()) dev->SetViewport(viewport_);
}

void TSXScene::SetProjection(float fieldOfView, float aspect, float zNear, float zFar) {
    projection_ = MatrixPerspectiveFov(fieldOfView, aspect, zNear, zFar);
    fov_ = fieldOfView;
    aspect_ = aspect;
    near_ = zNear;
    far_ = zFar;
    halfAngle_ = std::atan(1.0f / projection_.m[0][0]);
    if (IRenderDevice* dev = Device()) dev->SetTransform(D3DTS_PROJECTION, ToD3D(projection_));
}

void TSXScene::CheckBlendOpCaps() {
    IRenderDevice* dev = Device();
    D3DCAPS9 caps;
    blendOpSupported_ =
        dev && dev->GetDeviceCaps(caps) == D3D_OK && (caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
}

void TSXScene::RestoreStates() {
    IRenderDevice* dev = Device();
    if (!dev) return;
    dev->SetViewport(viewport_);
    dev->SetTransform(D3DTS_PROJECTION, ToD3D(projection_));
    CheckBlendOpCaps();
}
