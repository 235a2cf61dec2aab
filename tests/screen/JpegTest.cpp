// The background picture's decoder.
#include "game/JpegLoader.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

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
    // Cut after the header: libjpeg fills in what is missing (a warning, not an error).
    const TBitmap cut = DecodeJpeg(bytes.data(), 2000);
    EXPECT_EQ(cut.Width(), 764);
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
}

TEST(JpegTest, AMissingFileNamesIt) {
    try {
        LoadJpegFile("/nonexistent/haikei.jpg");
        FAIL();
    } catch (const Exception& e) {
        EXPECT_NE(std::string(e.what()).find("haikei.jpg"), std::string::npos) << e.what();
    }
}
