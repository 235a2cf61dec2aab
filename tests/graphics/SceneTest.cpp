#include "SceneFixture.h"
#include "base/Exception.h"

#include <algorithm>
#include <random>

namespace {

using SceneTest = SceneFixture;

} // namespace

TEST_F(SceneTest, BlendModeTableAsBuilt) {
    const auto& m = scene->BlendModes();
    ASSERT_EQ(m.size(), 6u);
    const bool sorted[] = {false, true, true, true, true, false};
    const uint32_t src[] = {5, 5, 5, 1, 1, 5}, dest[] = {6, 2, 6, 4, 3, 6};
    for (size_t i = 0; i < 6; ++i) {
        EXPECT_EQ(m[i].Sorted, sorted[i]) << i;
        EXPECT_EQ(m[i].AlphaBlend, sorted[i]) << i;
        EXPECT_EQ(m[i].SrcBlend, src[i]) << i;
        EXPECT_EQ(m[i].DestBlend, dest[i]) << i;
        EXPECT_EQ(m[i].BlendOp, D3DBLENDOP_ADD) << i;
        EXPECT_EQ(m[i].AlphaTest, i == 5) << i;
        EXPECT_EQ(m[i].AlphaFunc, i == 5 ? D3DCMP_GREATER : D3DCMP_ALWAYS) << i;
    }
    EXPECT_EQ(scene->AddBlendMode(TSXBlendMode{}), 6);
    EXPECT_TRUE(scene->SortBlended());
}

TEST_F(SceneTest, CreationSetsViewportProjectionAndRegisters) {
    const D3DVIEWPORT9& vp = scene->Viewport();
    EXPECT_EQ(vp.Width, 764u);
    EXPECT_EQ(vp.Height, 500u);
    EXPECT_FLOAT_EQ(scene->ViewportMatrix().m[0][0], 382);
    EXPECT_FLOAT_EQ(scene->ViewportMatrix().m[1][1], -250);
    EXPECT_NEAR(scene->Projection().m[1][1], 1.0f, 1e-6f);
    EXPECT_NEAR(scene->Projection().m[0][0], 500.0f / 764.0f, 1e-6f);
    EXPECT_NEAR(scene->HorizontalHalfAngle(), std::atan(764.0f / 500.0f), 1e-5f);
    EXPECT_TRUE(scene->BlendOpSupported());
    ASSERT_EQ(dg.Resources().size(), 1u);
    EXPECT_EQ(dg.Resources()[0].Resource, scene.get());
    scene.reset();
    EXPECT_TRUE(dg.Resources().empty());
}

TEST_F(SceneTest, OverlayForcesDepthZeroAndNegativeDepthIsNeverDrawn) {
    Sprite(nullptr, 0, 0, 0xFFFFFFFF, true, 2, 0.7f);
    Sprite(nullptr, 0, 0, 0xFFFFFFFF, false, 2, -0.1f);
    Sprite(nullptr, 0, 0, 0xFFFFFFFF, false, 0, 0.3f);
    Sprite(nullptr, 0, 0, 0xFFFFFFFF, false, 5, 0.3f);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCount(), 1);
    EXPECT_FLOAT_EQ(scene->OverlayQueue().Polygon2D(0).Z, 0);
    EXPECT_EQ(scene->BlendQueue().Polygon2DCount(), 1);
    EXPECT_EQ(scene->OpaqueQueue().Polygon2DCount(), 2); // modes 0 and 5 are not sorted
    Frame();
    const auto draws = Dev().Draws();
    ASSERT_EQ(draws.size(), 3u);
    for (const auto& d : draws) EXPECT_GE(d.Vertices[0].z, 0.0f);
    // An opaque item with a negative depth is left out as well.
    Sprite(nullptr, 0, 0, 0xFFFFFFFF, false, 0, -1);
    Dev().calls.clear();
    Frame();
    EXPECT_EQ(Dev().Draws().size(), 0u);
}

TEST_F(SceneTest, BlendedItemsDrawBackToFrontAndOverlayInQueueOrder) {
    Sprite(nullptr, 1, 0, 0xFFFFFFFF, true);
    Sprite(nullptr, 30, 0, 0xFFFFFFFF, false, 2, 0.2f);
    Sprite(nullptr, 2, 0, 0xFFFFFFFF, true);
    Sprite(nullptr, 10, 0, 0xFFFFFFFF, false, 2, 0.9f);
    Sprite(nullptr, 3, 0, 0xFFFFFFFF, true);
    Sprite(nullptr, 20, 0, 0xFFFFFFFF, false, 2, 0.5f);
    Sprite(nullptr, 40, 0, 0xFFFFFFFF, false, 0, 0.1f);
    Frame();
    std::vector<float> xs;
    for (const auto& d : Dev().Draws()) xs.push_back(d.Vertices[0].x);
    // Opaque first, then blended by depth (0.9, 0.5, 0.2), then the overlay as queued.
    EXPECT_EQ(xs, (std::vector<float>{40, 10, 20, 30, 1, 2, 3}));
    // Unsorted, the blended queue keeps its order.
    scene->SetSortBlended(false);
    Sprite(nullptr, 30, 0, 0xFFFFFFFF, false, 2, 0.2f);
    Sprite(nullptr, 10, 0, 0xFFFFFFFF, false, 2, 0.9f);
    Dev().calls.clear();
    Frame();
    ASSERT_EQ(Dev().Draws().size(), 2u);
    EXPECT_EQ(Dev().Draws()[0].Vertices[0].x, 30);
}

TEST_F(SceneTest, TransformedVerticesCarryPositionDepthAndColour) {
    const TSXVertex2D quad[5] = {MakeVertex2D(0, 0, 0x11223344, 0.1f, 0.2f), MakeVertex2D(8, 0, 2, 0.9f, 0),
                                 MakeVertex2D(0, 6, 3, 0, 1), MakeVertex2D(8, 6, 4, 1, 1),
                                 MakeVertex2D(99, 99, 5, 0, 0)}; // a fifth vertex is ignored
    scene->Draw2D(MakeVector2(100.5f, 20), quad, nullptr, 2, false, false, 0.25f);
    Frame();
    const auto draws = Dev().Draws();
    ASSERT_EQ(draws.size(), 1u);
    EXPECT_EQ(draws[0].A, D3DPT_TRIANGLESTRIP);
    EXPECT_EQ(draws[0].B, 2u);
    EXPECT_EQ(draws[0].C, 32u);
    const TTLVertex& v = draws[0].Vertices[0];
    EXPECT_FLOAT_EQ(v.x, 100.5f); // no half-pixel correction
    EXPECT_FLOAT_EQ(v.y, 20);
    EXPECT_FLOAT_EQ(v.z, 0.25f);
    EXPECT_FLOAT_EQ(v.rhw, 0.5f);
    EXPECT_EQ(v.diffuse, 0x11223344u);
    EXPECT_EQ(v.specular, 0u);
    EXPECT_FLOAT_EQ(v.u, 0.1f);
    EXPECT_FLOAT_EQ(draws[0].Vertices[3].x, 108.5f);
    EXPECT_FLOAT_EQ(draws[0].Vertices[3].y, 26);
    EXPECT_EQ(Dev().Count("SetFVF"), 1u);
}

TEST_F(SceneTest, CapacityDoublesAndStaysAfterRender) {
    for (int i = 0; i < 32; ++i) Sprite(nullptr, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCapacity(), 32);
    Sprite(nullptr, 0, 0, 0xFFFFFFFF);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCapacity(), 64);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCount(), 33);
    Frame();
    EXPECT_EQ(Dev().Draws().size(), 33u);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCount(), 0);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCapacity(), 64);
    EXPECT_EQ(scene->BlendQueue().Polygon2DCapacity(), 32);
}

TEST_F(SceneTest, BadBlendModeOrTooFewVerticesAreRefused) {
    const TSXVertex2D three[3] = {};
    const TSXVertex2D four[4] = {};
    EXPECT_THROW(scene->Draw2D(MakeVector2(0, 0), three, nullptr, 2, false, true, 0), Exception);
    EXPECT_THROW(scene->Draw2D(MakeVector2(0, 0), four, nullptr, 6, false, true, 0), Exception);
    EXPECT_THROW(scene->Draw2D(MakeVector2(0, 0), four, nullptr, -1, false, true, 0), Exception);
    EXPECT_EQ(scene->OverlayQueue().Polygon2DCount(), 0);
}

TEST(SceneSort, QuickSortOrdersLargestFirstWithDuplicates) {
    std::mt19937 rng(7);
    for (int round = 0; round < 200; ++round) {
        const int n = static_cast<int>(rng() % 40);
        std::vector<float> keys(static_cast<size_t>(n));
        std::vector<int32_t> index(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            keys[size_t(i)] = float(rng() % 8) / 8.0f; // many equal keys
            index[size_t(i)] = i;
        }
        const std::vector<float> original = keys;
        QuickSortDescending(keys, index, 0, n - 1);
        EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end(), std::greater<float>()));
        std::vector<int32_t> seen = index;
        std::sort(seen.begin(), seen.end());
        for (int i = 0; i < n; ++i) {
            EXPECT_EQ(seen[size_t(i)], i);                                  // a permutation
            EXPECT_EQ(original[size_t(index[size_t(i)])], keys[size_t(i)]); // moved together
        }
    }
}
