#include "sound/WavReader.h"
#include "WavBytes.h"

#include <gtest/gtest.h>

namespace {
TWavError Parse(const Bytes& file, TWavLayout* out = nullptr) {
    TMemoryStream s(file);
    TWavLayout layout;
    const TWavError e = ReadWavLayout(s, layout);
    if (out) *out = layout;
    return e;
}
const Bytes kData = Pcm16({100, -100, 200, -200});
} // namespace

TEST(WavReader, PlainFileGivesFormatAndSamples) {
    TWavLayout l;
    ASSERT_EQ(Parse(PcmWav(1, 22050, 16, kData), &l), TWavError::None);
    EXPECT_EQ(l.format.nChannels, 1);
    EXPECT_EQ(l.format.nSamplesPerSec, 22050u);
    EXPECT_EQ(l.format.wBitsPerSample, 16);
    EXPECT_EQ(l.format.nBlockAlign, 2);
    EXPECT_EQ(l.dataSize, 8u);
    EXPECT_EQ(l.dataOffset, 12 + 24 + 8);
}

TEST(WavReader, SixteenByteFmtLeavesCbSizeZeroAndLongerFmtKeepsItsHead) {
    TWavLayout l;
    ASSERT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(2, 44100, 16)) + Chunk("data", kData)), &l), TWavError::None);
    EXPECT_EQ(l.format.cbSize, 0);
    // An 18-byte chunk sets cbSize; a 40-byte one (extensible) is read up to the record.
    ASSERT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 8000, 8, 1, 7)) + Chunk("data", kData)), &l),
              TWavError::None);
    EXPECT_EQ(l.format.cbSize, 7);
    Bytes longFmt = FmtBody(1, 8000, 8, 1, 22) + Bytes(22, 0xEE);
    ASSERT_EQ(Parse(Riff(Chunk("fmt ", longFmt) + Chunk("data", kData)), &l), TWavError::None);
    EXPECT_EQ(l.format.cbSize, 22);
    EXPECT_EQ(l.format.reserved, 0);
}

TEST(WavReader, OddChunksAreSkippedWithTheirPadByte) {
    const Bytes list = Chunk("LIST", Bytes{1, 2, 3});
    const Bytes odd = Chunk("junk", Bytes{9});
    TWavLayout l;
    ASSERT_EQ(
        Parse(Riff(list + Chunk("fmt ", FmtBody(1, 8000, 8)) + odd + Chunk("data", Bytes{1, 2, 3})), &l),
        TWavError::None);
    EXPECT_EQ(l.dataSize, 3u);
    // Without its pad byte the walk lands inside the next chunk and finds nothing.
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 8000, 8)) + Chunk("junk", Bytes{9}, -1, false) +
                         Chunk("data", kData))),
              TWavError::NoData);
}

TEST(WavReader, DataBeforeFmtIsRefused) {
    EXPECT_EQ(Parse(Riff(Chunk("data", kData) + Chunk("fmt ", FmtBody(1, 8000, 16)))), TWavError::NoData);
}

TEST(WavReader, MissingPartsAreNamed) {
    EXPECT_EQ(Parse(Bytes{}), TWavError::NotWave);
    EXPECT_EQ(Parse(Bytes{'R', 'I', 'F'}), TWavError::NotWave);
    EXPECT_EQ(Parse(Chunk("RIFF", Bytes{'A', 'V', 'I', ' '})), TWavError::NotWave);
    EXPECT_EQ(Parse(Riff(Chunk("data", kData))), TWavError::NoFmt);
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 8000, 16)))), TWavError::NoData);
    // A RIFF that is not WAVE is passed over for a later one.
    EXPECT_EQ(Parse(Chunk("RIFF", Bytes{'A', 'V', 'I', ' '}) + PcmWav(1, 8000, 16, kData)), TWavError::None);
}

TEST(WavReader, SizesPastTheFilesEndAreCutToItAndIncompleteOrMisplacedChunksAreRefused) {
    const Bytes fmt = Chunk("fmt ", FmtBody(1, 8000, 16));
    // Truncated file: the data chunk claims more than is there; the whole 16-bit
    // samples that are there are kept (5 bytes left: two samples).
    TWavLayout l;
    Bytes cut = PcmWav(1, 8000, 16, kData);
    cut.resize(cut.size() - 3);
    ASSERT_EQ(Parse(cut, &l), TWavError::None);
    EXPECT_EQ(l.dataOffset, 12 + 24 + 8);
    EXPECT_EQ(l.dataSize, 4u);
    ASSERT_EQ(Parse(Riff(fmt + Chunk("data", kData, 0xFFFFFFF0u)), &l), TWavError::None);
    EXPECT_EQ(l.dataSize, 8u);
    // Not one whole sample left: nothing to play.
    EXPECT_EQ(Parse(Riff(fmt + Chunk("data", Bytes{}))), TWavError::BadData);
    EXPECT_EQ(Parse(Riff(fmt + Chunk("data", Bytes{7}, 2, false))), TWavError::BadData);
    // A data chunk inside the file but past the RIFF chunk's end.
    Bytes outside = Riff(fmt + Chunk("data", kData), 4 + fmt.size() + 8);
    EXPECT_EQ(Parse(outside), TWavError::BadData);
    // The fmt chunk itself cut short.
    Bytes shortFmt = Riff(Chunk("fmt ", FmtBody(1, 8000, 16)));
    shortFmt.resize(shortFmt.size() - 6);
    EXPECT_EQ(Parse(shortFmt), TWavError::BadFmt);
    EXPECT_EQ(Parse(Riff(Chunk("fmt ", FmtBody(1, 8000, 16), 0x7FFFFFFF))), TWavError::BadFmt);
    // A RIFF size past the end of the file is cut to the file.
    EXPECT_EQ(Parse(Riff(fmt + Chunk("data", kData), 0x10000)), TWavError::None);
}

TEST(WavReader, FormatsTheMixerCannotPlayAreRefused) {
    const auto with = [](const Bytes& fmtBody) {
        return Parse(Riff(Chunk("fmt ", fmtBody) + Chunk("data", kData)));
    };
    EXPECT_EQ(with(FmtBody(1, 8000, 4, 2)), TWavError::Unplayable); // ADPCM
    EXPECT_EQ(with(FmtBody(0, 8000, 16)), TWavError::Unplayable);   // no channels
    EXPECT_EQ(with(FmtBody(1, 0, 16)), TWavError::Unplayable);      // 0 Hz
    EXPECT_EQ(with(FmtBody(6, 8000, 16)), TWavError::Unplayable);   // 6 channels
    EXPECT_EQ(with(FmtBody(1, 8000, 24)), TWavError::Unplayable);   // 24 bits
    EXPECT_EQ(with(Bytes{1, 0}), TWavError::Unplayable);            // a 2-byte fmt chunk
}
