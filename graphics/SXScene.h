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

class TSXRenderingQueue {
public:
    static constexpr int32_t kInitialCapacity = 32;

    explicit TSXRenderingQueue(TSXScene& scene);
    void AddPolygon2D(bool filter, int32_t blendMode, std::span<const TSXVertex2D> vertices,
                      TDGTexture* texture, const TSXVector2& position, float z);
    // Draws every item (sorted by depth, largest first, when sort is set; items with a
    // negative depth are then left out) and empties the queue; the capacity stays.
    void Render(bool sort);

    int32_t Polygon2DCount() const { return count_; }
    int32_t Polygon2DCapacity() const { return static_cast<int32_t>(items_.size()); }
    // Grows or shrinks the item array (never below the items queued) and the sort arrays.
    void SetPolygon2DCapacity(int32_t capacity);
    const TSXPolygon2D& Polygon2D(int32_t i) const { return items_[static_cast<size_t>(i)]; }

private:
    class StateCache;
    void DrawPolygon(StateCache& states, const TSXPolygon2D& item);

    TSXScene& scene_;
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
    void Render();
    void Clear(uint32_t flags, uint32_t color, float z, uint32_t stencil);
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
};
