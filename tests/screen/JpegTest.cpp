// The background picture's decoder.
#include "game/JpegLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "base/Stream.h"

TEST(JpegTest, TheBackgroundDecodesAtTheWindowsSize) {
    const TBitmap b = LoadJpegFile(SourceDir() + "Data/haikei.jpg");
    EXPECT_EQ(b.Width(), 764);
    EXPECT_EQ(b.Height(), 500);
    EXPECT_EQ(b.BitsPerPixel(), 24);
    EXPECT_EQ(b.Pixel(10, 10) >> 24, 0xFFu);
}

TEST(JpegTest, BrokenPicturesAreRejectedWithLibjpegsReason) {
    std::vector<uint8_t> bytes = ReadWholeFile(SourceDir() + "Data/haikei.jpg");
    EXPECT_THROW(DecodeJpeg(bytes.data(), 0), EJpegError);
    const uint8_t text[] = "not a picture";
    try {
        DecodeJpeg(text, sizeof text);
        FAIL();
    } catch (const EJpegError& e) {
        EXPECT_EQ(std::string(e.what()).rfind("JPEG: ", 0), 0u) << e.what();
    }
    // Cut after the header, or with a stretch of the scan overwritten: libjpeg would fill
    // in grey and only warn; the picture is refused with that warning instead.
    const auto reason = [](const std::vector<uint8_t>& b, size_t size) -> std::string {
        try {
            DecodeJpeg(b.data(), size);
        } catch (const EJpegError& e) {
            return e.what();
        }
        return "(decoded)";
    };
    EXPECT_NE(reason(bytes, 2000).find("Premature end"), std::string::npos) << reason(bytes, 2000);
    std::vector<uint8_t> corrupt = bytes;
    for (size_t i = corrupt.size() / 2; i < corrupt.size() / 2 + 64; ++i) corrupt[i] = 0xFF;
    EXPECT_EQ(reason(corrupt, corrupt.size()).rfind("JPEG: ", 0), 0u) << reason(corrupt, corrupt.size());
    // A header that claims a picture of 65000 x 65000 pixels is refused before decoding.
    for (size_t i = 0; i + 8 < bytes.size(); ++i)
        if (bytes[i] == 0xFF && (bytes[i + 1] == 0xC0 || bytes[i + 1] == 0xC2)) {
            bytes[i + 5] = bytes[i + 7] = 0xFD;
            bytes[i + 6] = bytes[i + 8] = 0xE8;
            break;
        }
    try {
        DecodeJpeg(bytes.data(), bytes.size());
        FAIL();
    } catch (const EJpegError& e) {
        EXPECT_NE(std::string(e.what()).find("too large"), std::string::npos) << e.what();
    }
    // A progressive picture of 43690 x 10922 (found by the fuzzer): refused before libjpeg
    // allocates its coefficients, about 2 GB.
    const auto huge = ReadWholeFile(SourceDir() + "fuzz/jpeg/corpus/progressive_huge.jpg");
    EXPECT_NE(reason(huge, huge.size()).find("too large"), std::string::npos) << reason(huge, huge.size());
}

// Stray bytes between two segments make libjpeg warn, yet it decodes every pixel: the
// picture is shown as it is, and the warning goes to standard error with the file's name.
TEST(JpegTest, ACosmeticWarningIsReportedAndThePictureShown) {
    const std::vector<uint8_t> bytes = ReadWholeFile(SourceDir() + "Data/haikei.jpg");
    ASSERT_GT(bytes.size(), 24u);
    ASSERT_EQ(bytes[2], 0xFF);
    ASSERT_EQ(bytes[3], 0xE0); // the JFIF segment, then the next marker
    std::vector<uint8_t> stray = bytes;
    const size_t next = 4 + (size_t{bytes[4]} << 8 | bytes[5]);
    stray.insert(stray.begin() + static_cast<std::ptrdiff_t>(next), {0x12, 0x34, 0x56});
    std::string warning;
    const TBitmap clean = DecodeJpeg(bytes.data(), bytes.size(), &warning);
    EXPECT_EQ(warning, "");
    const TBitmap shown = DecodeJpeg(stray.data(), stray.size(), &warning);
    EXPECT_NE(warning.find("extraneous bytes"), std::string::npos) << warning;
    ASSERT_EQ(shown.Width(), clean.Width());
    ASSERT_EQ(shown.Height(), clean.Height());
    for (int y = 0; y < clean.Height(); y += 7)
        for (int x = 0; x < clean.Width(); x += 7)
            ASSERT_EQ(shown.Pixel(x, y), clean.Pixel(x, y)) << x << "," << y;
    TempDir dir;
    const std::string path = dir.Write("haikei.jpg", stray);
    testing::internal::CaptureStderr();
    EXPECT_EQ(LoadJpegFile(path).Width(), clean.Width());
    const std::string said = testing::internal::GetCapturedStderr();
    EXPECT_NE(said.find(path), std::string::npos) << said;
    EXPECT_NE(said.find("extraneous bytes"), std::string::npos) << said;
    EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 1) << said;
}

TEST(JpegTest, AMissingFileNamesIt) {
    try {
        LoadJpegFile("/nonexistent/haikei.jpg");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("haikei.jpg"), std::string::npos) << e.what();
    }
}
