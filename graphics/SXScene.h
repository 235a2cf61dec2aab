#pragma once
// The sprite scene: everything one frame draws is queued (Draw2D) and sent to the
// device by Render in a fixed order with a fixed set of states: the opaque queue, the
// blended queue sorted back to front, then the overlay queue with depth testing off.
// The game uses it purely in 2D; the 3D frame hierarchy is not built, so Render takes
// no root frame and the camera is always the identity.
#include "graphics/DODozuz9.h"
#include "graphics/device/D3DTypes.h"
#include "graphics/s_MathPack.h"

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

class TDGTexture;
class TSXScene;

// One row of the blend mode table (the BlendMode argument of Draw2D indexes it).
struct TSXBlendMode {
    bool Sorted = false; // items go to the sorted blended queue
    bool AlphaTest = false;
    uint32_t AlphaFunc = D3DCMP_ALWAYS;
    bool AlphaBlend = false;
    uint32_t SrcBlend = D3DBLEND_SRCALPHA;
    uint32_t DestBlend = D3DBLEND_INVSRCALPHA;
    uint32_t BlendOp = D3DBLENDOP_ADD;
};

// One queued 2D polygon: four corners in triangle-strip order, placed at (X, Y) pixels
// with depth Z (0..1; negative is never drawn).
struct TSXPolygon2D {
    bool Filter = false;
    int32_t BlendMode = 0;
    TDGTexture* Texture = nullptr; // not owned; must live until the next Render
    float X = 0, Y = 0, Z = 0;
    TSXVertex2D Vertices[4];
};

// One item as a frame drew it: everything that decides the pixels it covers. Two frames
// that drew equal items (byte for byte) in the same order drew equal pixels.
struct TSXDrawnItem {
    const TDGTexture* Texture = nullptr; // compared, never followed once the frame is over
    uint64_t Generation = 0;             // the texture's when drawn
    int32_t BlendMode = 0;
    // Bit 0: bilinear; bit 1: the alpha test on (as the blend mode, or the last one set,
    // left it), bits 8..15 its comparison; bits 16..: the queue.
    uint32_t States = 0;
    TTLVertex Vertices[4]; // what the device was given (depth below 0: not drawn)
};
static_assert(sizeof(TSXDrawnItem) == 8 + 8 + 4 + 4 + 4 * sizeof(TTLVertex), "compared as bytes");

// A clear of the frame, as Clear was called.
struct TSXFrameClear {
    uint32_t Flags = 0, Color = 0;
    float Z = 0;
    uint32_t Stencil = 0;
};

// The pixels an item can touch (a pixel's margin round its corners), within Bounds; all
// of Bounds for coordinates that are not finite.
TRect DrawnItemBounds(const TSXDrawnItem& Item, const TRect& Bounds);

class TSXRenderingQueue {
public:
    static constexpr int32_t kInitialCapacity = 32;

    explicit TSXRenderingQueue(TSXScene& scene);
    void AddPolygon2D(bool filter, int32_t blendMode, std::span<const TSXVertex2D> vertices,
                      TDGTexture* texture, const TSXVector2& position, float z);
    // Draws every item (sorted by depth, largest first, when sort is set; items with a
    // negative depth are then left out) and empties the queue; the capacity stays.
    void Render(bool sort);
    // Render in two steps: the items in the order Render draws them, appended to Out (the
    // queue is emptied), then their drawing with the queue's states. With Damage, only the
    // items whose pixels meet it are sent to the device, every state is set as for all of
    // them. Draw answers false when the device refused a draw.
    // Queue numbers the queue in the frame; AlphaTest is the alpha test's state and
    // comparison (0 off) as the device has it, kept up with the items' blend modes.
    void Collect(bool sort, uint32_t Queue, uint32_t& AlphaTest, std::vector<TSXDrawnItem>& Out);
    bool Draw(std::span<const TSXDrawnItem> Items, const TRect* Damage);

    int32_t Polygon2DCount() const { return count_; }
    int32_t Polygon2DCapacity() const { return static_cast<int32_t>(items_.size()); }
    // Grows or shrinks the item array (never below the items queued) and the sort arrays.
    void SetPolygon2DCapacity(int32_t capacity);
    const TSXPolygon2D& Polygon2D(int32_t i) const { return items_[static_cast<size_t>(i)]; }

private:
    class StateCache;
    // Sets the item's states; draws it when draw is set. False when the device refused it.
    bool DrawPolygon(StateCache& states, const TSXDrawnItem& item, bool draw);
    TSXDrawnItem Drawn(const TSXPolygon2D& item, uint32_t queue, int32_t& mode, uint32_t& alphaTest) const;

    TSXScene& scene_;
    std::vector<TSXDrawnItem> drawn_; // Render's, kept for the capacity
    std::vector<TSXPolygon2D> items_;
    int32_t count_ = 0;
    std::vector<float> sortKeys_;
    std::vector<int32_t> sortIndex_;
};

// Sorts keys (and the indices with them) largest first with the scene's quicksort on
// the range lo..hi; equal keys come out in no guaranteed order.
void QuickSortDescending(std::span<float> keys, std::span<int32_t> index, int32_t lo, int32_t hi);

class TSXScene : public TDGResource {
public:
    // Registers with DG, builds the blend mode table, sets the viewport to the client
    // area and a 90-degree projection, and reads the blend-operation capability.
    TSXScene(TDODozuz& DG, const std::string& name);
    ~TSXScene() override;
    TSXScene(const TSXScene&) = delete;
    TSXScene& operator=(const TSXScene&) = delete;

    // Queues one textured polygon. vertices holds at least four corners (only the first
    // four are used); blendMode indexes the blend mode table; filter selects bilinear
    // sampling; an overlay item goes to the overlay queue with its depth forced to 0.
    // Raises Exception for fewer than four vertices or a blend mode outside the table.
    void Draw2D(const TSXVector2& position, std::span<const TSXVertex2D> vertices, TDGTexture* texture,
                int32_t blendMode, bool filter, bool overlay, float z);
    // Draws and empties every queue; called once per frame between BeginScene and EndScene.
    // The frame is compared with the one drawn before (its clears, and its items position by
    // position): when the device still holds that one, an equal frame sends nothing to the
    // device, and one with some items changed clears and redraws only the rectangle they
    // cover, old places and new, with the scissor on it. Anything else draws it all.
    void Render();
    // The whole viewport is cleared when the frame is rendered, before its items.
    void Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil);
    // False: every frame is drawn whole, as on a device that keeps nothing (the measure of a
    // full frame, and what a redrawn part is checked against).
    void SetReuseLastFrame(bool value) { reuseLastFrame_ = value; }
    bool ReuseLastFrame() const { return reuseLastFrame_; }
    // What the last Render sent: 0 nothing (the frame was unchanged), 1 a damaged part, 2 all.
    int32_t LastRenderKind() const { return lastKind_; }
    // The rectangle the last damaged render redrew.
    const TRect& LastDamage() const { return lastDamage_; }
    void SetViewport(int32_t left, int32_t top, int32_t right, int32_t bottom);
    void SetProjection(float fieldOfView, float aspect, float zNear, float zFar);
    void CheckBlendOpCaps();
    // Puts the viewport and projection back after the device was created or reset.
    void RestoreStates();
    int32_t AddBlendMode(const TSXBlendMode& mode);

    const char* ClassName() const override { return "TSXScene"; }
    // The component is going first: unregister and leave the device alone from now on.
    void Orphan() override;

    // nullptr once orphaned.
    TDODozuz* DG() const { return dg_; }
    IRenderDevice* Device() const { return dg_ ? dg_->D3DDevice() : nullptr; }
    int32_t ResourceID() const { return resourceID_; }
    const std::string& Name() const { return name_; }
    const D3DVIEWPORT9& Viewport() const { return viewport_; }
    const TSXMatrix& Projection() const { return projection_; }
    const TSXMatrix& ViewportMatrix() const { return viewportMatrix_; }
    float FieldOfView() const { return fov_; }
    float Aspect() const { return aspect_; }
    float Near() const { return near_; }
    float Far() const { return far_; }
    float HorizontalHalfAngle() const { return halfAngle_; }
    bool BlendOpSupported() const { return blendOpSupported_; }
    bool SortBlended() const { return sortBlended_; }
    void SetSortBlended(bool value) { sortBlended_ = value; }
    const std::vector<TSXBlendMode>& BlendModes() const { return blendModes_; }
    TSXRenderingQueue& OverlayQueue() { return *overlay_; }
    TSXRenderingQueue& OpaqueQueue() { return *opaque_; }
    TSXRenderingQueue& BlendQueue() { return *blend_; }

private:
    TDODozuz* dg_;
    int32_t resourceID_ = -1;
    std::string name_;
    TSXMatrix projection_;
    TSXMatrix viewportMatrix_;
    D3DVIEWPORT9 viewport_{};
    float fov_ = 0, halfAngle_ = 0, aspect_ = 0, near_ = 0, far_ = 0;
    std::unique_ptr<TSXRenderingQueue> overlay_, opaque_, blend_;
    bool blendOpSupported_ = false;
    bool sortBlended_ = true;
    std::vector<TSXBlendMode> blendModes_;

    // This frame's clears and items, and the last frame's (the vectors keep their capacity).
    enum class Change { None, Damaged, All };
    Change Compare(IRenderDevice& dev, TRect& damage) const;
    void Forget() { lastValid_ = false; }
    std::vector<TSXFrameClear> clears_, lastClears_;
    std::vector<TSXDrawnItem> frame_, last_;
    size_t ends_[3] = {};    // where each queue's items end
    uint32_t alphaTest_ = 0; // the device's alpha test after the frame, as Collect follows it
    bool lastValid_ = false; // last_ is what the device holds
    bool reuseLastFrame_ = true;
    int32_t lastKind_ = 2;
    TRect lastDamage_;
};
