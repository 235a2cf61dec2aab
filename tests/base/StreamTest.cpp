#include "base/Exception.h"
#include "base/Stream.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

TEST(MemoryStream, GrowsOnWriteAndReadsBackFromAnyPosition) {
    TMemoryStream m;
    const char text[] = "hamster";
    EXPECT_EQ(m.Write(text, 7), 7);
    EXPECT_EQ(m.Size(), 7);
    EXPECT_EQ(m.Position(), 7);
    m.Seek(10, SeekOrigin::Begin); // past the end: the gap is zero-filled at the next write
    m.Write("!", 1);
    EXPECT_EQ(m.Size(), 11);
    EXPECT_EQ(m.Memory()[8], 0);
    m.SetPosition(3);
    char buf[16] = {};
    EXPECT_EQ(m.Read(buf, 16), 8); // short read at the end, no overrun
    EXPECT_EQ(std::string(buf, 4), "ster");
    EXPECT_EQ(m.Read(buf, 1), 0);
}

TEST(MemoryStream, SetSizeClampsPositionAndSeekNeverGoesNegative) {
    TMemoryStream m;
    m.SetSize(100);
    m.SetPosition(80);
    m.SetSize(50);
    EXPECT_EQ(m.Position(), 50);
    EXPECT_EQ(m.Seek(-10, SeekOrigin::End), 40);
    EXPECT_EQ(m.Seek(-100, SeekOrigin::Current), 0);
}

TEST(MemoryStream, ReadBufferRaisesOnShortRead) {
    TMemoryStream m(std::vector<uint8_t>{1, 2, 3});
    uint8_t buf[4];
    EXPECT_THROW(m.ReadBuffer(buf, 4), EReadError);
    m.SetPosition(0);
    EXPECT_NO_THROW(m.ReadBuffer(buf, 3));
    EXPECT_THROW(m.ReadBuffer(buf, -1), EReadError);
}

TEST(MemoryStream, CopyFromZeroTakesTheWholeSource) {
    TMemoryStream src(std::vector<uint8_t>{9, 8, 7, 6});
    src.SetPosition(2);
    TMemoryStream dst;
    EXPECT_EQ(dst.CopyFrom(src, 0), 4);
    EXPECT_EQ(dst.Bytes(), (std::vector<uint8_t>{9, 8, 7, 6}));
    src.SetPosition(1);
    TMemoryStream part;
    part.CopyFrom(src, 2);
    EXPECT_EQ(part.Bytes(), (std::vector<uint8_t>{8, 7}));
    EXPECT_THROW(part.CopyFrom(src, 5), EReadError);
}

TEST(FileStream, WritesReadsAndReportsMissingFiles) {
    TempDir dir;
    const std::string path = dir.File("f.bin");
    {
        TFileStream f(path, FileMode::Create);
        f.WriteBuffer("abcdef", 6);
        EXPECT_EQ(f.Size(), 6);
        f.SetSize(4);
        EXPECT_EQ(f.Size(), 4);
    }
    TFileStream r(path, FileMode::OpenRead);
    char buf[8] = {};
    EXPECT_EQ(r.Read(buf, 8), 4);
    EXPECT_EQ(std::string(buf), "abcd");
    EXPECT_EQ(r.Seek(1, SeekOrigin::Begin), 1);
    EXPECT_EQ(r.Position(), 1);
    EXPECT_EQ(ReadWholeFile(path).size(), 4u);

    try {
        TFileStream missing(dir.File("nope.bin"), FileMode::OpenRead);
        FAIL() << "opened a missing file";
    } catch (const EFOpenError& e) {
        EXPECT_NE(std::string(e.what()).find("nope.bin"), std::string::npos);
    }
    EXPECT_THROW(TFileStream(dir.Dir(), FileMode::OpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(dir.File("no/such/dir/x"), FileMode::Create), EFCreateError);
    EXPECT_TRUE(FileExists(path));
    EXPECT_FALSE(FileExists(dir.Dir()));
    EXPECT_TRUE(DirectoryExists(dir.Dir()));
}

TEST(MemoryStream, SaveAndLoadFile) {
    TempDir dir;
    TMemoryStream m(std::vector<uint8_t>{0, 255, 10, 13});
    m.SaveToFile(dir.File("m.bin"));
    TMemoryStream back;
    back.LoadFromFile(dir.File("m.bin"));
    EXPECT_EQ(back.Bytes(), m.Bytes());
    EXPECT_EQ(back.Position(), 0);
}
