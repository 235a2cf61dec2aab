#include "ScreenFixture.h"

#include <cstdlib>
#include <filesystem>

void ExpectGolden(const PngImage& frame, const std::string& name, int tolerance, int maxPixels) {
    ASSERT_EQ(frame.width, 764);
    ASSERT_EQ(frame.height, 500);
    const std::string out = BuildDir() + "tests/screen-out";
    std::filesystem::create_directories(out);
    WritePng(out + "/" + name + ".png", frame);
    const std::string golden = SourceDir() + "tests/screen/golden/" + name + ".png";
    if (const char* update = std::getenv("HIMAWARI_UPDATE_GOLDEN"); update && std::string(update) == "1") {
        WritePng(golden, frame);
        return;
    }
    const PngImage want = ReadPng(golden);
    ASSERT_EQ(want.width, frame.width);
    ASSERT_EQ(want.height, frame.height);
    int bad = 0, worstX = 0, worstY = 0, worst = 0;
    for (int32_t y = 0; y < frame.height; ++y)
        for (int32_t x = 0; x < frame.width; ++x) {
            const uint32_t a = frame.At(x, y), b = want.At(x, y);
            int d = 0;
            for (int s = 0; s < 24; s += 8)
                d = std::max(d,
                             std::abs(static_cast<int>((a >> s) & 0xFF) - static_cast<int>((b >> s) & 0xFF)));
            if (d > tolerance) ++bad;
            if (d > worst) worst = d, worstX = x, worstY = y;
        }
    EXPECT_LE(bad, maxPixels) << name << ": " << bad << " pixels differ, the most (" << worst << ") at "
                              << worstX << ", " << worstY << "; see " << out << "/" << name << ".png";
}
