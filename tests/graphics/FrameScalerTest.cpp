// The software view's scaled copy: whole factors byte for byte against the frame with
// each pixel repeated n x n, only the damaged part written, the filtered copy of a
// damaged area equal to a filtered copy of the whole frame, and the border.
#include "graphics/device/FrameScaler.h"

#include <gtest/gtest.h>

#include <random>
#include <vector>

namespace {

constexpr uint32_t FW = 764, FH = 500;
constexpr uint32_t Untouched = 0x12345678;

struct Frame {
    std::vector<uint32_t> pixels = std::vector<uint32_t>(size_t{FW} * FH);
    explicit Frame(uint32_t seed) {
        std::mt19937 random(seed);
        for (uint32_t& p : pixels) p = random();
    }
    TSoftwareFrame View(TRect damage = Rect(0, 0, FW, FH)) const {
        TSoftwareFrame f{FW, FH, FW, pixels.data()};
        f.Damage = damage;
        return f;
    }
};

struct Window {
    uint32_t width, height, pitch;
    std::vector<uint32_t> pixels;
    Window(uint32_t w, uint32_t h)
        : width(w), height(h), pitch(w + 3), pixels(size_t{pitch} * h, Untouched) {}
    TScaleTarget Target() { return {pixels.data(), width, height, pitch}; }
    uint32_t At(int32_t x, int32_t y) const { return pixels[size_t(y) * pitch + size_t(x)]; }
};

bool Within(const TRect& r, int32_t x, int32_t y) {
    return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

// Every window pixel: inside `written` the frame pixel it repeats, elsewhere untouched.
void ExpectRepeated(const Frame& frame, const Window& w, const TFramePlacement& p, const TRect& written) {
    const int32_t n = int32_t(p.Factor);
    for (int32_t y = 0; y < int32_t(w.height); ++y) {
        for (int32_t x = 0; x < int32_t(w.width); ++x) {
            const uint32_t want = Within(written, x, y)
                                      ? frame.pixels[size_t((y - p.Y) / n) * FW + size_t((x - p.X) / n)]
                                      : Untouched;
            ASSERT_EQ(w.At(x, y), want) << "n " << n << " at " << x << "," << y;
        }
    }
}

TEST(FrameScaler, WholeFactorsRepeatEachPixelAsASquare) {
    const Frame frame(1);
    for (uint32_t n : {1u, 2u, 3u, 4u, 5u}) {
        // 1 x only in a window of the frame's size (a larger one falls back to fit).
        Window w(n == 1 ? FW : FW * n + 7, n == 1 ? FH : FH * n + 4);
        const TFramePlacement p = PlaceFrame(FW, FH, w.width, w.height, TScaleMode::WholeNumber);
        ASSERT_EQ(p.Factor, n);
        const TRect written = ScaleFrameDamage(frame.View(), p, w.Target());
        EXPECT_EQ(written, Rect(p.X, p.Y, p.X + p.Width, p.Y + p.Height));
        ExpectRepeated(frame, w, p, written);
    }
}

// Damaged rectangles of widths 1 to 9 at every alignment (the vector loops' tails), the
// frame's edges, and damage reaching outside the frame.
TEST(FrameScaler, OnlyTheDamagedPixelsAreWritten) {
    const Frame frame(2);
    for (uint32_t n : {2u, 3u, 4u, 6u}) {
        for (const TRect& d :
             {Rect(10, 20, 11, 21), Rect(13, 7, 18, 9), Rect(0, 0, 9, 3), Rect(755, 497, 764, 500),
              Rect(-5, -5, 3, 2), Rect(760, 0, 900, 600), Rect(101, 33, 108, 40)}) {
            Window w(FW * n + 2, FH * n + 2);
            const TFramePlacement p = PlaceFrame(FW, FH, w.width, w.height, TScaleMode::WholeNumber);
            const TRect written = ScaleFrameDamage(frame.View(d), p, w.Target());
            const TRect held = Rect(std::max(d.Left, 0), std::max(d.Top, 0), std::min(d.Right, int32_t(FW)),
                                    std::min(d.Bottom, int32_t(FH)));
            const int32_t k = int32_t(n);
            EXPECT_EQ(written, Rect(p.X + held.Left * k, p.Y + held.Top * k, p.X + held.Right * k,
                                    p.Y + held.Bottom * k));
            ExpectRepeated(frame, w, p, written);
        }
    }
}

TEST(FrameScaler, NothingIsWrittenForAnEmptyDamageOrAPlacementOutsideTheWindow) {
    const Frame frame(3);
    Window w(FW * 2, FH * 2);
    const TFramePlacement p = PlaceFrame(FW, FH, w.width, w.height, TScaleMode::WholeNumber);
    EXPECT_EQ(ScaleFrameDamage(frame.View(TRect{}), p, w.Target()), TRect{});
    EXPECT_EQ(ScaleFrameDamage(frame.View(Rect(800, 0, 900, 10)), p, w.Target()), TRect{});
    Window small(FW * 2 - 1, FH * 2);
    EXPECT_EQ(ScaleFrameDamage(frame.View(), p, small.Target()), TRect{});
    TFramePlacement other = p;
    other.FrameWidth = 640; // placed for another frame size
    EXPECT_EQ(ScaleFrameDamage(frame.View(), other, w.Target()), TRect{});
    for (uint32_t v : w.pixels) ASSERT_EQ(v, Untouched);
    for (uint32_t v : small.pixels) ASSERT_EQ(v, Untouched);
}

// A damaged area redrawn filtered, with its margin, gives the window the whole frame
// redrawn would: no seam where the damage ends.
TEST(FrameScaler, FilteredDamageMatchesTheWholeFrameFiltered) {
    for (auto [ww, wh] :
         {std::pair{1146u, 750u}, std::pair{955u, 700u}, std::pair{1700u, 1050u}, std::pair{700u, 460u}}) {
        Frame frame(4);
        Window partial(ww, wh), whole(ww, wh);
        const TFramePlacement p = PlaceFrame(FW, FH, ww, wh, TScaleMode::Fit);
        ASSERT_EQ(p.Factor, 0u);
        ScaleFrameDamage(frame.View(), p, partial.Target());
        for (const TRect& d : {Rect(100, 50, 140, 61), Rect(0, 0, 1, 1), Rect(763, 499, 764, 500)}) {
            for (int32_t y = d.Top; y < d.Bottom; ++y)
                for (int32_t x = d.Left; x < d.Right; ++x)
                    frame.pixels[size_t(y) * FW + size_t(x)] ^= 0x00FFFFFF;
            ScaleFrameDamage(frame.View(d), p, partial.Target());
        }
        const TRect all = ScaleFrameDamage(frame.View(), p, whole.Target());
        EXPECT_EQ(all, Rect(p.X, p.Y, p.X + p.Width, p.Y + p.Height));
        ASSERT_EQ(partial.pixels, whole.pixels) << ww << "x" << wh;
    }
}

TEST(FrameScaler, FilteringKeepsFlatColoursAndBlendsAnEdge) {
    Frame frame(5);
    for (size_t i = 0; i < frame.pixels.size(); ++i)
        frame.pixels[i] = (i % FW) < FW / 2 ? 0xFF204080 : 0xFFE0C0A0;
    Window w(1146, 750);
    const TFramePlacement p = PlaceFrame(FW, FH, w.width, w.height, TScaleMode::Fit);
    ScaleFrameDamage(frame.View(), p, w.Target());
    for (int32_t y = 0; y < 750; ++y) {
        ASSERT_EQ(w.At(0, y), 0xFF204080u);
        ASSERT_EQ(w.At(570, y), 0xFF204080u);
        ASSERT_EQ(w.At(576, y), 0xFFE0C0A0u);
        ASSERT_EQ(w.At(1145, y), 0xFFE0C0A0u);
    }
    // The window column whose centre lies between the two halves takes some of each.
    const uint32_t edge = w.At(573, 10);
    EXPECT_GT(edge & 0xFF, 0x80u);
    EXPECT_LT(edge & 0xFF, 0xA0u);
    EXPECT_GT((edge >> 16) & 0xFF, 0x20u);
    EXPECT_LT((edge >> 16) & 0xFF, 0xE0u);
}

TEST(FrameScaler, TheBorderIsFilledAroundThePicture) {
    const Frame frame(6);
    for (TScaleMode mode : {TScaleMode::WholeNumber, TScaleMode::Fit}) {
        Window w(1600, 1079);
        const TFramePlacement p = PlaceFrame(FW, FH, w.width, w.height, mode);
        FillBorder(p, w.Target(), 0xFF101010);
        const TRect picture = Rect(p.X, p.Y, p.X + p.Width, p.Y + p.Height);
        for (int32_t y = 0; y < int32_t(w.height); ++y)
            for (int32_t x = 0; x < int32_t(w.width); ++x)
                ASSERT_EQ(w.At(x, y), Within(picture, x, y) ? Untouched : 0xFF101010u) << x << "," << y;
    }
    Window empty(10, 10);
    FillBorder(PlaceFrame(FW, FH, 0, 0, TScaleMode::Fit), empty.Target(), 7);
    for (int32_t y = 0; y < 10; ++y)
        for (int32_t x = 0; x < 10; ++x) ASSERT_EQ(empty.At(x, y), 7u);
}

} // namespace
