#pragma once
// Writers on a software device, with the game's font, and texture helpers for
// looking at what they wrote.
#include "base/Sjis.h"
#include "graphics/DGTexture.h"
#include "graphics/SXTextWriter.h"
#include "graphics/device/SoftwareDevice.h"
#include "support/FatalCatcher.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

inline TSXFont GameFont(uint8_t style) {
    TSXFont f;
    f.Name = "MS UI Gothic";
    f.Height = -21;
    f.Style = style;
    f.Charset = SHIFTJIS_CHARSET;
    return f;
}

class TextFixture : public ::testing::Test {
protected:
    explicit TextFixture(int32_t width = 320, int32_t height = 64) : owner(width, height), dg(owner) {
        dg.SetDebugOption(dgoHaltOnError);
        dg.Loaded();
        writer = std::make_unique<TSXTextWriter>(dg, D3DFMT_A8R8G8B8, 16);
        writer->SetFont(GameFont(fsBold | fsItalic));
    }

    std::unique_ptr<TDGTexture> NewTexture(uint32_t w, uint32_t h, uint32_t fill) {
        auto t = std::make_unique<TDGTexture>(dg, std::vector<D3DFORMAT>{D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4}, 0,
                                              D3DPOOL_MANAGED, 0, "text");
        t->SetSize(w, h);
        t->FillRect(Rect(0, 0, int32_t(t->TextureWidth()), int32_t(t->TextureHeight())), fill, false);
        return t;
    }

    // Every pixel of level 0, rows top down.
    static std::vector<uint32_t> Pixels(TDGTexture& t) {
        std::vector<uint32_t> out;
        D3DLOCKED_RECT locked;
        const int32_t w = int32_t(t.TextureWidth()), h = int32_t(t.TextureHeight());
        EXPECT_EQ(t.LockRect(0, Rect(0, 0, w, h), D3DLOCK_READONLY, locked), D3D_OK);
        for (int32_t y = 0; y < h; ++y)
            for (int32_t x = 0; x < w; ++x)
                out.push_back(static_cast<const uint32_t*>(locked.pBits)[y * locked.Pitch / 4 + x]);
        t.UnlockRect();
        return out;
    }

    // The game's TextToTexture: sized to the text (plus half an "a" for italic),
    // cleared to transparent white, written at the top-left corner.
    std::unique_ptr<TDGTexture> TextToTexture(TSXTextWriter& w, const std::string& utf8) {
        const std::string text = Utf8ToSjis(utf8);
        const int32_t extra = (w.Font().Style & fsItalic) ? w.TextWidth("a") / 2 : 0;
        auto t = NewTexture(uint32_t(w.TextWidth(text) + extra), uint32_t(w.TextHeight(text)), 0x00FFFFFF);
        w.TextOut(0, 0, text, *t);
        return t;
    }

    FatalCatcher catcher;
    THeadlessOwner owner;
    TDODozuz dg;
    std::unique_ptr<TSXTextWriter> writer;
};
