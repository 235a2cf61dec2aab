#pragma once
// Shared pieces of the graphics tests: a BMP builder, a headless device with its log
// in a temporary folder, and a reader for the log's lines.
#include "base/Stream.h"
#include "graphics/DGLog.h"
#include "graphics/DGTexture.h"
#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

// Builds BMP files byte by byte, including broken ones.
struct BmpBuilder {
    int32_t width = 1;
    int32_t height = 1; // negative: top-down rows
    uint16_t bits = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    std::vector<uint32_t> palette;          // B, G, R as 0x00RRGGBB
    std::vector<std::vector<uint8_t>> rows; // file order, unpadded
    int32_t offBitsOverride = -1;

    std::vector<uint8_t> Bytes() const {
        std::vector<uint8_t> b;
        auto put16 = [&b](uint32_t v) { b.insert(b.end(), {uint8_t(v), uint8_t(v >> 8)}); };
        auto put32 = [&](uint32_t v) { put16(v & 0xFFFF), put16(v >> 16); };
        const uint32_t paletteBytes = static_cast<uint32_t>(palette.size() * 4);
        const uint32_t offBits = offBitsOverride >= 0 ? uint32_t(offBitsOverride) : 54 + paletteBytes;
        put16(0x4D42), put32(0), put32(0), put32(offBits);
        put32(40), put32(uint32_t(width)), put32(uint32_t(height)), put16(1), put16(bits), put32(compression);
        put32(0), put32(0), put32(0), put32(clrUsed), put32(0);
        for (const uint32_t c : palette) put32(c);
        while (b.size() < offBits) b.push_back(0);
        for (const auto& row : rows) {
            b.insert(b.end(), row.begin(), row.end());
            while ((b.size() - offBits) % 4 != 0) b.push_back(0);
        }
        return b;
    }
};

// Row of 24-bit pixels from 0xRRGGBB values.
inline std::vector<uint8_t> Row24(std::initializer_list<uint32_t> colors) {
    std::vector<uint8_t> r;
    for (const uint32_t c : colors) r.insert(r.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16)});
    return r;
}
inline std::vector<uint8_t> Row32(std::initializer_list<uint32_t> colors) {
    std::vector<uint8_t> r;
    for (const uint32_t c : colors)
        r.insert(r.end(), {uint8_t(c), uint8_t(c >> 8), uint8_t(c >> 16), uint8_t(c >> 24)});
    return r;
}

inline std::vector<std::string> ReadLines(const std::string& path) {
    std::vector<std::string> lines;
    if (!FileExists(path)) return lines;
    const auto bytes = ReadWholeFile(path);
    std::string text(bytes.begin(), bytes.end()), line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            lines.push_back(line);
            line.clear();
            ++i;
        } else {
            line += text[i];
        }
    }
    return lines;
}

// A loaded device for a 764 x 500 client area, the log in a temporary folder.
class GraphicsTest : public ::testing::Test {
protected:
    explicit GraphicsTest(TDGDebugOption option = dgoDebugMessage | dgoDetailedLog, int32_t w = 764,
                          int32_t h = 500)
        : owner(w, h, 12, 46), option_(option) {}

    void SetUp() override {
        SetDGLogFolder(dir.Dir());
        DGLogRestart();
        dg = std::make_unique<TDODozuz>(owner);
        dg->SetDebugOption(option_);
        dg->Loaded();
    }
    void TearDown() override {
        dg.reset();
        DGApplyDebugOption(dgoAll);
    }

    TSoftwareConfig& Config() { return *owner.SoftwareConfig(); }
    SoftwareDevice& Device() { return *static_cast<SoftwareDevice*>(dg->D3DDevice()); }
    std::vector<std::string> Log() const { return ReadLines(dir.File("DODozuz_DebugLog.txt")); }
    // The log's messages without numbers and indent.
    std::vector<std::string> Messages() const {
        std::vector<std::string> out;
        for (const std::string& line : Log()) {
            const size_t bar = line.find(" | ");
            std::string m = bar == std::string::npos ? line : line.substr(bar + 3);
            m.erase(0, m.find_first_not_of(' ') == std::string::npos ? m.size() : m.find_first_not_of(' '));
            out.push_back(m);
        }
        return out;
    }
    bool Logged(const std::string& message) const {
        for (const std::string& m : Messages())
            if (m == message) return true;
        return false;
    }
    std::unique_ptr<TDGTexture>
    MakeTexture(const std::string& name = "tex",
                std::vector<D3DFORMAT> formats = {D3DFMT_A8R8G8B8, D3DFMT_A4R4G4B4, D3DFMT_A1R5G5B5},
                D3DPOOL pool = D3DPOOL_MANAGED) {
        return std::make_unique<TDGTexture>(*dg, formats, 0, pool, 0, name);
    }
    // Pixel (x, y) of level 0 read back as ARGB.
    uint32_t TexelOf(TDGTexture& t, int32_t x, int32_t y);

    TempDir dir;
    THeadlessOwner owner;
    std::unique_ptr<TDODozuz> dg;

private:
    TDGDebugOption option_;
};

#include "graphics/PixelFormat.h"

inline uint32_t GraphicsTest::TexelOf(TDGTexture& t, int32_t x, int32_t y) {
    D3DLOCKED_RECT lr;
    if (t.LockRect(0, Rect(x, y, x + 1, y + 1), D3DLOCK_READONLY, lr) != D3D_OK) return 0xDEADBEEF;
    uint32_t p = 0;
    for (uint32_t i = 0; i < t.BytesPerPixel(); ++i)
        p |= uint32_t{static_cast<uint8_t*>(lr.pBits)[i]} << (8 * i);
    t.UnlockRect();
    return PixelToARGB(p, t.Format());
}
