#pragma once
// A scene on a recording software device of the game's client size, and helpers to
// make textures and queue sprites the way the game does.
#include "RecordingDevice.h"
#include "graphics/DGTexture.h"
#include "graphics/SXScene.h"
#include "support/FatalCatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

class SceneFixture : public ::testing::Test {
protected:
    SceneFixture() : owner(764, 500), dg(owner) {
        dg.SetDebugOption(dgoHaltOnError);
        dg.Loaded();
        scene = std::make_unique<TSXScene>(dg, "");
    }

    RecordingDevice& Dev() { return owner.Device(); }

    // A W x H A8R8G8B8 texture holding pixels (rows top down).
    std::unique_ptr<TDGTexture> MakeTexture(uint32_t w, uint32_t h, const std::vector<uint32_t>& pixels) {
        auto t = std::make_unique<TDGTexture>(dg, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8}, 0, D3DPOOL_MANAGED,
                                              0, "test");
        t->SetSize(w, h);
        D3DLOCKED_RECT locked;
        EXPECT_EQ(t->LockRect(0, Rect(0, 0, int32_t(w), int32_t(h)), 0, locked), D3D_OK);
        for (uint32_t y = 0; y < h; ++y)
            for (uint32_t x = 0; x < w; ++x)
                static_cast<uint32_t*>(locked.pBits)[y * uint32_t(locked.Pitch) / 4 + x] = pixels[y * w + x];
        t->UnlockRect();
        return t;
    }

    // The game's sprite: the whole texture at its size, tinted by colour.
    void Sprite(TDGTexture* t, float x, float y, uint32_t colour, bool overlay = true, int32_t blend = 2,
                float z = 0, bool filter = false) {
        const float w = t ? float(t->Width()) : 8, h = t ? float(t->Height()) : 8;
        const float u = t ? t->MaxU() : 1, v = t ? t->MaxV() : 1;
        const TSXVertex2D quad[4] = {MakeVertex2D(0, 0, colour, 0, 0), MakeVertex2D(w, 0, colour, u, 0),
                                     MakeVertex2D(0, h, colour, 0, v), MakeVertex2D(w, h, colour, u, v)};
        scene->Draw2D(MakeVector2(x, y), quad, t, blend, filter, overlay, z);
    }

    void Frame() {
        Dev().BeginScene();
        scene->Render();
        Dev().EndScene();
    }

    FatalCatcher catcher; // a failed device call fails the test instead of ending it
    RecordingOwner owner;
    TDODozuz dg;
    std::unique_ptr<TSXScene> scene;
};
