#include "graphics/SXScene.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Translate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <span>

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
    Forget();
    dg->UnregisterResource(resourceID_);
}

int32_t TSXScene::AddBlendMode(const TSXBlendMode& mode) {
    blendModes_.push_back(mode);
    return static_cast<int32_t>(blendModes_.size()) - 1;
}

void TSXScene::Draw2D(const TSXVector2& position, std::span<const TSXVertex2D> vertices, TDGTexture* texture,
                      int32_t blendMode, bool filter, bool overlay, float z) {
    if (vertices.size() < 4) throw Exception(Tr("TSXScene.Draw2D: 頂点は4つ以上必要です"));
    if (blendMode < 0 || blendMode >= static_cast<int32_t>(blendModes_.size()))
        throw Exception(Format(Tr("TSXScene.Draw2D: ブレンドモード %d はありません"), blendMode));
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
        clears_.clear();
        Forget();
        return;
    }
    frame_.clear();
    opaque_->Collect(false, 0, alphaTest_, frame_);
    ends_[0] = frame_.size();
    blend_->Collect(sortBlended_, 1, alphaTest_, frame_);
    ends_[1] = frame_.size();
    overlay_->Collect(false, 2, alphaTest_, frame_);
    ends_[2] = frame_.size();
    TRect damage;
    const Change change = Compare(*dev, damage);
    lastKind_ = static_cast<int32_t>(change);
    if (change == Change::None) {
        clears_.clear();
        return;
    }
    const TRect* cut = change == Change::Damaged ? &damage : nullptr;
    if (cut) lastDamage_ = damage;
    bool ok = true;
    for (const TSXFrameClear& c : clears_)
        ok = dev->Clear(cut ? 1 : 0, cut, c.Flags, c.Color, c.Z, c.Stencil) == D3D_OK && ok;
    if (cut) {
        ok = dev->SetScissorRect(*cut) == D3D_OK && ok;
        dev->SetRenderState(D3DRS_SCISSORTESTENABLE, 1);
    }
    const std::span<const TSXDrawnItem> items(frame_);
    dev->SetTransform(D3DTS_VIEW, ToD3D(MatrixIdentity()));
    ok = opaque_->Draw(items.subspan(0, ends_[0]), cut) && ok;
    ok = blend_->Draw(items.subspan(ends_[0], ends_[1] - ends_[0]), cut) && ok;
    dev->SetRenderState(D3DRS_ZENABLE, 0);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, 0);
    dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_ALWAYS);
    ok = overlay_->Draw(items.subspan(ends_[1], ends_[2] - ends_[1]), cut) && ok;
    dev->SetRenderState(D3DRS_ZENABLE, 1);
    dev->SetRenderState(D3DRS_ZWRITEENABLE, 1);
    dev->SetRenderState(D3DRS_ZFUNC, D3DCMP_LESSEQUAL);
    if (cut) dev->SetRenderState(D3DRS_SCISSORTESTENABLE, 0);
    dev->SetTexture(0, nullptr); // no texture stays bound after a frame
    // A frame the device did not take whole is not one to draw the next over.
    lastValid_ = ok;
    std::swap(last_, frame_);
    std::swap(lastClears_, clears_);
    clears_.clear();
}

TSXScene::Change TSXScene::Compare(IRenderDevice& dev, TRect& damage) const {
    // Only a frame cleared all over can be redrawn in part: the clear then starts every
    // pixel of the part from what it started from before.
    const bool cleared = std::any_of(clears_.begin(), clears_.end(),
                                     [](const TSXFrameClear& c) { return (c.Flags & D3DCLEAR_TARGET) != 0; });
    const auto sameClears = [this] {
        return std::equal(clears_.begin(), clears_.end(), lastClears_.begin(), lastClears_.end(),
                          [](const TSXFrameClear& a, const TSXFrameClear& b) {
                              return std::memcmp(&a, &b, sizeof a) == 0;
                          });
    };
    if (!reuseLastFrame_ || !lastValid_ || !cleared || !sameClears() || !dev.KeepsBackBuffer())
        return Change::All;
    const TRect view{static_cast<int32_t>(viewport_.X), static_cast<int32_t>(viewport_.Y),
                     static_cast<int32_t>(viewport_.X + viewport_.Width),
                     static_cast<int32_t>(viewport_.Y + viewport_.Height)};
    bool any = false;
    const auto add = [&](const TSXDrawnItem& item) {
        const TRect r = DrawnItemBounds(item, view);
        if (r.Left >= r.Right || r.Top >= r.Bottom) return;
        damage = any ? Rect(std::min(damage.Left, r.Left), std::min(damage.Top, r.Top),
                            std::max(damage.Right, r.Right), std::max(damage.Bottom, r.Bottom))
                     : r;
        any = true;
    };
    const auto same = [](const TSXDrawnItem& a, const TSXDrawnItem& b) {
        return std::memcmp(&a, &b, sizeof(TSXDrawnItem)) == 0;
    };
    // An item drawn alike (texture, states, corners) at the same place in the order of both
    // frames gave every pixel it covers the same value: only the changed items' old and new
    // places can differ. With as many items as before they are paired in order; otherwise
    // the items alike from the start and from the end are, and all between count as changed.
    const size_t n = frame_.size(), m = last_.size();
    size_t head = 0, tail = 0;
    if (n != m) {
        while (head < std::min(n, m) && same(frame_[head], last_[head])) ++head;
        while (tail < std::min(n, m) - head && same(frame_[n - 1 - tail], last_[m - 1 - tail])) ++tail;
    }
    for (size_t i = head; i < std::max(n, m) - tail; ++i) {
        const bool both = i < n - tail && i < m - tail;
        if (both && n == m && same(frame_[i], last_[i])) continue;
        if (i < m - tail) add(last_[i]);
        if (i < n - tail) add(frame_[i]);
    }
    return any ? Change::Damaged : Change::None;
}

void TSXScene::Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil) {
    if (Device()) clears_.push_back({flags, color, z, stencil});
}

void TSXScene::SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom) {
    viewport_.X = static_cast<uint32_t>(left);
    viewport_.Y = static_cast<uint32_t>(top);
    viewport_.Width = static_cast<uint32_t>(right - left);
    viewport_.Height = static_cast<uint32_t>(bottom - top);
    viewport_.MinZ = 0.0f;
    viewport_.MaxZ = 1.0f;
    Forget();
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
    Forget();
    if (IRenderDevice* dev = Device()) dev->SetTransform(D3DTS_PROJECTION, ToD3D(projection_));
}

void TSXScene::CheckBlendOpCaps() {
    IRenderDevice* dev = Device();
    D3DCAPS9 caps;
    blendOpSupported_ =
        dev && dev->GetDeviceCaps(caps) == D3D_OK && (caps.PrimitiveMiscCaps & D3DPMISCCAPS_BLENDOP) != 0;
}

void TSXScene::RestoreStates() {
    Forget();       // a new or reset device holds none of the last frame
    alphaTest_ = 0; // and has its states' defaults
    IRenderDevice* dev = Device();
    if (!dev) return;
    dev->SetViewport(viewport_);
    dev->SetTransform(D3DTS_PROJECTION, ToD3D(projection_));
    CheckBlendOpCaps();
}
