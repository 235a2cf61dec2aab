// Where the game's frame lies in windows of many sizes and device pixel ratios, and the
// mapping of window points back to frame pixels.
#include "graphics/device/FramePlacement.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr uint32_t FW = 764, FH = 500;

TEST(FramePlacement, FrameAtItsOwnSizeIsAPlainCopyInBothModes) {
    for (TScaleMode mode : {TScaleMode::WholeNumber, TScaleMode::Fit}) {
        const TFramePlacement p = PlaceFrame(FW, FH, FW, FH, mode);
        EXPECT_EQ(p, (TFramePlacement{0, 0, 764, 500, FW, FH, 1}));
    }
    // A window a little wider: below 2 x whole-number mode falls back to fit, which is
    // the frame's own size here, centred.
    const TFramePlacement p = PlaceFrame(FW, FH, 800, 500, TScaleMode::WholeNumber);
    EXPECT_EQ(p, (TFramePlacement{18, 0, 764, 500, FW, FH, 1}));
}

TEST(FramePlacement, WholeNumberTakesTheLargestFactorThatFitsAndCentres) {
    struct Case {
        uint32_t ww, wh, n;
        int32_t x, y;
    };
    for (const Case& c :
         {Case{1528, 1000, 2, 0, 0}, Case{1600, 1079, 2, 36, 39}, Case{1920, 1080, 2, 196, 40},
          Case{2292, 1500, 3, 0, 0}, Case{2291, 1500, 2, 381, 250}, Case{3840, 2160, 4, 392, 80},
          Case{7680, 4320, 8, 784, 160}}) {
        const TFramePlacement p = PlaceFrame(FW, FH, c.ww, c.wh, TScaleMode::WholeNumber);
        EXPECT_EQ(p.Factor, c.n) << c.ww << "x" << c.wh;
        EXPECT_EQ(p.Width, static_cast<int32_t>(FW * c.n));
        EXPECT_EQ(p.Height, static_cast<int32_t>(FH * c.n));
        EXPECT_EQ(p.X, c.x) << c.ww << "x" << c.wh;
        EXPECT_EQ(p.Y, c.y) << c.ww << "x" << c.wh;
    }
}

TEST(FramePlacement, BelowTwoWholeNumberFallsBackToFit) {
    // 764 x 500 at device pixel ratios of 1.25 and 1.5, and a window stretched sideways.
    for (auto [ww, wh] : {std::pair{955u, 625u}, std::pair{1146u, 750u}, std::pair{1527u, 999u}}) {
        EXPECT_EQ(PlaceFrame(FW, FH, ww, wh, TScaleMode::WholeNumber),
                  PlaceFrame(FW, FH, ww, wh, TScaleMode::Fit));
        EXPECT_EQ(PlaceFrame(FW, FH, ww, wh, TScaleMode::Fit).Factor, 0u);
    }
    EXPECT_EQ(PlaceFrame(FW, FH, 1146, 750, TScaleMode::Fit).Width, 1146);
}

// Every window from the frame's size up: the picture lies inside, centred to the pixel,
// touches two opposite sides and keeps the aspect ratio within one pixel.
TEST(FramePlacement, FitKeepsTheAspectRatioInsideTheWindow) {
    for (uint32_t ww = 700; ww <= 4000; ww += 37) {
        for (uint32_t wh = 450; wh <= 2400; wh += 41) {
            const TFramePlacement p = PlaceFrame(FW, FH, ww, wh, TScaleMode::Fit);
            ASSERT_GE(p.X, 0);
            ASSERT_GE(p.Y, 0);
            ASSERT_LE(p.X + p.Width, static_cast<int32_t>(ww));
            ASSERT_LE(p.Y + p.Height, static_cast<int32_t>(wh));
            ASSERT_LE(std::abs(2 * p.X + p.Width - static_cast<int32_t>(ww)), 1);
            ASSERT_LE(std::abs(2 * p.Y + p.Height - static_cast<int32_t>(wh)), 1);
            ASSERT_TRUE(p.Width == static_cast<int32_t>(ww) || p.Height == static_cast<int32_t>(wh));
            const double ideal = static_cast<double>(p.Width) * FH / FW;
            ASSERT_LE(std::abs(ideal - p.Height), 1.0) << ww << "x" << wh;
        }
    }
}

TEST(FramePlacement, EmptyWindowOrFrameGivesAnEmptyPicture) {
    EXPECT_EQ(PlaceFrame(FW, FH, 0, 500, TScaleMode::Fit).Width, 0);
    EXPECT_EQ(PlaceFrame(FW, FH, 764, 0, TScaleMode::WholeNumber).Height, 0);
    EXPECT_EQ(PlaceFrame(0, FH, 764, 500, TScaleMode::Fit).Width, 0);
    int32_t x = -1, y = -1;
    WindowToFrame(PlaceFrame(FW, FH, 0, 0, TScaleMode::Fit), 10, 10, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
}

TEST(FramePlacement, DevicePixelsRoundAsTheWindowSystemDoes) {
    EXPECT_EQ(DevicePixels(764, 1.0), 764u);
    EXPECT_EQ(DevicePixels(764, 1.25), 955u);
    EXPECT_EQ(DevicePixels(500, 1.5), 750u);
    EXPECT_EQ(DevicePixels(501, 1.5), 752u); // 751.5 rounds up
    EXPECT_EQ(DevicePixels(764, 2.0), 1528u);
    EXPECT_EQ(DevicePixels(0, 2.0), 0u);
    EXPECT_EQ(DevicePixels(-5, 2.0), 0u);
    EXPECT_EQ(DevicePixels(100, 0.0), 0u);
}

TEST(FramePlacement, WindowPointsMapToTheFramePixelUnderThem) {
    const TFramePlacement p = PlaceFrame(FW, FH, 1600, 1079, TScaleMode::WholeNumber); // 2 x at (36, 39)
    int32_t x = 0, y = 0;
    for (int32_t fx : {0, 1, 100, 763}) {
        for (double within : {0.0, 1.0, 1.99}) {
            WindowToFrame(p, 36 + 2 * fx + within, 39 + 2 * 7 + within, x, y);
            EXPECT_EQ(x, fx);
            EXPECT_EQ(y, 7);
        }
    }
    // The border and beyond map outside the frame, as far as they lie from it.
    WindowToFrame(p, 35, 38.5, x, y);
    EXPECT_EQ(x, -1);
    EXPECT_EQ(y, -1);
    WindowToFrame(p, 1599, 1078, x, y);
    EXPECT_EQ(x, 781);
    EXPECT_EQ(y, 519);
    WindowToFrame(p, -100, 1e12, x, y);
    EXPECT_EQ(x, -68);
    EXPECT_EQ(y, 1 << 30);
    // Fit: the picture's corners come back to the frame's.
    const TFramePlacement f = PlaceFrame(FW, FH, 1146, 900, TScaleMode::Fit);
    WindowToFrame(f, f.X + 0.5, f.Y + 0.5, x, y);
    EXPECT_EQ(x, 0);
    EXPECT_EQ(y, 0);
    WindowToFrame(f, f.X + f.Width - 0.5, f.Y + f.Height - 0.5, x, y);
    EXPECT_EQ(x, 763);
    EXPECT_EQ(y, 499);
}

TEST(FramePlacement, FrameRectanglesCoverTheirWindowPixels) {
    const TFramePlacement p = PlaceFrame(FW, FH, 2292 + 10, 1500 + 20, TScaleMode::WholeNumber); // 3 x
    int32_t l = 10, t = 20, r = 11, b = 22;
    FrameToWindow(p, l, t, r, b);
    EXPECT_EQ(l, 5 + 30);
    EXPECT_EQ(t, 10 + 60);
    EXPECT_EQ(r, 5 + 33);
    EXPECT_EQ(b, 10 + 66);
    // Fit rounds outward: the window pixels any part of the frame rectangle reaches.
    const TFramePlacement f = PlaceFrame(FW, FH, 1146, 750, TScaleMode::Fit);
    l = 1, t = 1, r = 2, b = 2;
    FrameToWindow(f, l, t, r, b);
    EXPECT_EQ(l, 1); // 1.5
    EXPECT_EQ(r, 3);
    EXPECT_EQ(t, 1);
    EXPECT_EQ(b, 3);
}

} // namespace
