#include "graphics/DGTexture.h"
#include "graphics/SXScene.h"

#include <algorithm>
#include <array>
#include <bitset>
#include <cmath>
#include <limits>
#include <utility>

// The states of one queue render: a state is sent to the device only when it differs
// from what this render already set, so a run of items with the same blend mode,
// texture and filter costs one draw call each.
class TSXRenderingQueue::StateCache {
public:
    explicit StateCache(IRenderDevice& dev) : dev_(dev) {}

    void RenderState(uint32_t state, uint32_t value) {
        if (state < kStates && known_[state] && values_[state] == value) return;
        dev_.SetRenderState(state, value);
        if (state < kStates) {
            known_[state] = true;
            values_[state] = value;
        }
    }
    void StageState(uint32_t type, uint32_t value) {
        if (type < kStages && stageKnown_[type] && stage_[type] == value) return;
        dev_.SetTextureStageState(0, type, value);
        if (type < kStages) {
            stageKnown_[type] = true;
            stage_[type] = value;
        }
    }
    void Texture(const TDGTexture* texture) {
        if (textureKnown_ && texture == texture_) return;
        dev_.SetTexture(0, texture ? texture->Texture() : nullptr);
        texture_ = texture;
        textureKnown_ = true;
    }
    void Filter(bool linear) {
        if (!filterSaved_) { // the first item: keep what the sampler had, to put it back after
            dev_.GetSamplerState(0, D3DSAMP_MAGFILTER, savedMag_);
            dev_.GetSamplerState(0, D3DSAMP_MINFILTER, savedMin_);
            filterSaved_ = true;
        } else if (linear == filter_) {
            return;
        }
        const uint32_t f = linear ? D3DTEXF_LINEAR : D3DTEXF_POINT;
        dev_.SetSamplerState(0, D3DSAMP_MAGFILTER, f);
        dev_.SetSamplerState(0, D3DSAMP_MINFILTER, f);
        filter_ = linear;
    }
    void FVF(uint32_t fvf) {
        if (fvfKnown_ && fvf_ == fvf) return;
        dev_.SetFVF(fvf);
        fvf_ = fvf;
        fvfKnown_ = true;
    }
    void RestoreFilter() {
        if (!filterSaved_) return;
        dev_.SetSamplerState(0, D3DSAMP_MAGFILTER, savedMag_);
        dev_.SetSamplerState(0, D3DSAMP_MINFILTER, savedMin_);
    }
    IRenderDevice& Device() { return dev_; }

    int32_t blendMode = 0;

private:
    static constexpr uint32_t kStates = D3DRS_COUNT;
    static constexpr uint32_t kStages = D3DTSS_COUNT;
    IRenderDevice& dev_;
    std::array<uint32_t, kStates> values_{};
    std::bitset<kStates> known_;
    std::array<uint32_t, kStages> stage_{};
    std::bitset<kStages> stageKnown_;
    const TDGTexture* texture_ = nullptr;
    bool textureKnown_ = false;
    bool filterSaved_ = false, filter_ = false;
    uint32_t savedMag_ = 0, savedMin_ = 0;
    uint32_t fvf_ = 0;
    bool fvfKnown_ = false;
};

void QuickSortDescending(std::span<float> keys, std::span<int32_t> index, int32_t lo, int32_t hi) {
    while (lo < hi) {
        const float pivot = keys[static_cast<size_t>((lo + hi) / 2)];
        int32_t i = lo - 1, j = hi + 1;
        for (;;) {
            do ++i;
            while (keys[static_cast<size_t>(i)] > pivot);
            do --j;
            while (keys[static_cast<size_t>(j)] < pivot);
            if (j <= i) break;
            std::swap(keys[static_cast<size_t>(i)], keys[static_cast<size_t>(j)]);
            std::swap(index[static_cast<size_t>(i)], index[static_cast<size_t>(j)]);
        }
        // Sort lo..i-1, then j+1..hi (the second as a loop, so deep recursion needs
        // an unlucky first half every time).
        QuickSortDescending(keys, index, lo, i - 1);
        lo = j + 1;
    }
}

TSXRenderingQueue::TSXRenderingQueue(TSXScene& scene) : scene_(scene) {
    SetPolygon2DCapacity(kInitialCapacity);
}

void TSXRenderingQueue::SetPolygon2DCapacity(int32_t capacity) {
    const auto n = static_cast<size_t>(std::max(capacity, count_));
    items_.resize(n);
    sortKeys_.resize(n);
    sortIndex_.resize(n);
}

void TSXRenderingQueue::AddPolygon2D(bool filter, int32_t blendMode, std::span<const TSXVertex2D> vertices,
                                     TDGTexture* texture, const TSXVector2& position, float z) {
    if (count_ == Polygon2DCapacity()) SetPolygon2DCapacity(std::max(1, count_ * 2));
    TSXPolygon2D& p = items_[static_cast<size_t>(count_++)];
    p.Filter = filter;
    p.BlendMode = blendMode;
    p.Texture = texture;
    p.X = position.X;
    p.Y = position.Y;
    p.Z = z;
    std::copy_n(vertices.begin(), 4, p.Vertices);
}

TRect DrawnItemBounds(const TSXDrawnItem& item, const TRect& bounds) {
    float minX = item.Vertices[0].x, maxX = minX, minY = item.Vertices[0].y, maxY = minY;
    for (const TTLVertex& v : item.Vertices) {
        if (!std::isfinite(v.x) || !std::isfinite(v.y)) return bounds;
        minX = std::min(minX, v.x), maxX = std::max(maxX, v.x);
        minY = std::min(minY, v.y), maxY = std::max(maxY, v.y);
    }
    // A pixel is drawn when its centre (on integer coordinates) is inside; one more round
    // the box leaves room for how a device snaps the corners.
    const auto edge = [](double v, int32_t lo, int32_t hi) {
        return static_cast<int32_t>(std::clamp(v, static_cast<double>(lo), static_cast<double>(hi)));
    };
    return Rect(edge(std::floor(minX) - 1, bounds.Left, bounds.Right),
                edge(std::floor(minY) - 1, bounds.Top, bounds.Bottom),
                edge(std::floor(maxX) + 2, bounds.Left, bounds.Right),
                edge(std::floor(maxY) + 2, bounds.Top, bounds.Bottom));
}

TSXDrawnItem TSXRenderingQueue::Drawn(const TSXPolygon2D& item, uint32_t queue, int32_t& mode,
                                      uint32_t& alphaTest) const {
    // As DrawPolygon sets them: a blend mode's alpha test only where the mode changes.
    if (item.BlendMode != mode) {
        const TSXBlendMode& m = scene_.BlendModes()[static_cast<size_t>(item.BlendMode)];
        alphaTest = m.AlphaTest ? 0x100 | (m.AlphaFunc & 0xFF) << 8 : 0;
        mode = item.BlendMode;
    }
    TSXDrawnItem d;
    d.Texture = item.Texture;
    d.Generation = item.Texture ? item.Texture->Generation() : 0;
    d.BlendMode = item.BlendMode;
    d.States = (item.Filter ? 1u : 0u) | (alphaTest & 0x100 ? 2u : 0u) | (alphaTest & 0xFF00) | queue << 16;
    for (int k = 0; k < 4; ++k) {
        const TSXVertex2D& s = item.Vertices[k];
        // No half-pixel correction: pixel centres sample at x + 0.5.
        d.Vertices[k] = {item.X + s.X, item.Y + s.Y, item.Z, 0.5f, s.Color, 0, s.U, s.V};
    }
    return d;
}

void TSXRenderingQueue::Collect(bool sort, uint32_t queue, uint32_t& alphaTest,
                                std::vector<TSXDrawnItem>& out) {
    int32_t mode = 0; // what Draw starts from
    if (!sort) {
        for (int32_t i = 0; i < count_; ++i)
            out.push_back(Drawn(items_[static_cast<size_t>(i)], queue, mode, alphaTest));
    } else {
        int32_t n = 0;
        for (int32_t i = 0; i < count_; ++i) {
            if (items_[static_cast<size_t>(i)].Z < 0) continue;
            sortKeys_[static_cast<size_t>(n)] = items_[static_cast<size_t>(i)].Z;
            sortIndex_[static_cast<size_t>(n++)] = i;
        }
        QuickSortDescending(sortKeys_, sortIndex_, 0, n - 1);
        for (int32_t k = 0; k < n; ++k)
            out.push_back(Drawn(items_[static_cast<size_t>(sortIndex_[static_cast<size_t>(k)])], queue, mode,
                                alphaTest));
    }
    count_ = 0;
}

void TSXRenderingQueue::Render(bool sort) {
    drawn_.clear();
    uint32_t alphaTest = 0; // not compared here
    Collect(sort, 0, alphaTest, drawn_);
    Draw(drawn_, nullptr);
}

bool TSXRenderingQueue::Draw(std::span<const TSXDrawnItem> items, const TRect* damage) {
    IRenderDevice* dev = scene_.Device();
    if (!dev) return true;
    StateCache states(*dev);
    states.Texture(nullptr);
    states.RenderState(D3DRS_SPECULARENABLE, 1);
    states.RenderState(D3DRS_LIGHTING, 1);
    states.RenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    states.RenderState(D3DRS_WRAP0, 0);
    states.blendMode = 0;
    states.RenderState(D3DRS_ALPHABLENDENABLE, 0);
    states.RenderState(D3DRS_ZENABLE, 1);
    states.RenderState(D3DRS_ZWRITEENABLE, 1);
    // Texel times vertex colour, alpha included.
    states.StageState(D3DTSS_COLORARG1, D3DTA_TEXTURE);
    states.StageState(D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    states.StageState(D3DTSS_COLOROP, D3DTOP_MODULATE);
    states.StageState(D3DTSS_ALPHAARG1, D3DTA_TEXTURE);
    states.StageState(D3DTSS_ALPHAARG2, D3DTA_DIFFUSE);
    states.StageState(D3DTSS_ALPHAOP, D3DTOP_MODULATE);
    bool ok = true;
    const TRect all{std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};
    for (const TSXDrawnItem& item : items) {
        bool draw = true;
        if (damage) {
            const TRect b = DrawnItemBounds(item, all);
            draw = b.Left < damage->Right && damage->Left < b.Right && b.Top < damage->Bottom &&
                   damage->Top < b.Bottom;
        }
        ok = DrawPolygon(states, item, draw) && ok;
    }
    states.RestoreFilter();
    return ok;
}

bool TSXRenderingQueue::DrawPolygon(StateCache& states, const TSXDrawnItem& item, bool draw) {
    states.Filter((item.States & 1) != 0);
    if (item.BlendMode != states.blendMode) {
        const TSXBlendMode& mode = scene_.BlendModes()[static_cast<size_t>(item.BlendMode)];
        if (mode.AlphaBlend) {
            states.RenderState(D3DRS_ALPHABLENDENABLE, 1);
            states.RenderState(D3DRS_ZWRITEENABLE, 0);
            states.RenderState(D3DRS_SRCBLEND, mode.SrcBlend);
            states.RenderState(D3DRS_DESTBLEND, mode.DestBlend);
            if (scene_.BlendOpSupported()) states.RenderState(D3DRS_BLENDOP, mode.BlendOp);
        } else {
            states.RenderState(D3DRS_ALPHABLENDENABLE, 0);
            states.RenderState(D3DRS_ZWRITEENABLE, 1);
        }
        if (mode.AlphaTest) {
            states.RenderState(D3DRS_ALPHATESTENABLE, 1);
            states.RenderState(D3DRS_ALPHAFUNC, mode.AlphaFunc);
        } else {
            states.RenderState(D3DRS_ALPHATESTENABLE, 0);
        }
        states.blendMode = item.BlendMode;
    }
    states.Texture(item.Texture);
    states.RenderState(D3DRS_SPECULARENABLE, 0);
    states.RenderState(D3DRS_LIGHTING, 0);
    states.RenderState(D3DRS_WRAP0, 0);
    states.RenderState(D3DRS_FILLMODE, D3DFILL_SOLID);
    if (item.Vertices[0].z < 0 || !draw) return true;
    states.FVF(TTLVertexFVF);
    return states.Device().DrawPrimitiveUP(D3DPT_TRIANGLESTRIP, 2, item.Vertices, sizeof(TTLVertex)) ==
           D3D_OK;
}
