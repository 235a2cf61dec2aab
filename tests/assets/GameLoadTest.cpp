// The shipped data files as the game's own layers read them: every picture through the
// texture loader with its colour key, every effect through the WAV reader, every track
// through the MP3 library.
#include "AssetFormats.h"
#include "archive/QDArc.h"
#include "graphics/GraphicsFixture.h"
#include "music/Mpg123Library.h"
#include "sound/WavReader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

namespace {

class ShippedPictures : public GraphicsTest {};

TEST_F(ShippedPictures, LoadAsTexturesWhoseKeyColourAloneIsTransparent) {
    const std::string archive = SourceDir() + "Data/data.qda";
    const struct {
        const char* Name;
        uint32_t Key;
    } entries[] = {
        {"TateLine.bmp", 0xFF000000},       {"kuro_R.bmp", 0xFFFFFFFF}, {"kuro_Up.bmp", 0xFFFFFFFF},
        {"cat_down.bmp", 0xFFFF0000},       {"cat_L.bmp", 0xFFFF0000},  {"apple.bmp", 0xFF000000},
        {"himawari_tane0.bmp", 0xFF000000}, {"GC.bmp", 0xFF000000},     {"Title.bmp", 0xFF000000}};
    for (const auto& e : entries) {
        SCOPED_TRACE(e.Name);
        const auto bmp = ReadBmp24(QDALoadFromFile(archive, e.Name)->Bytes());
        ASSERT_TRUE(bmp);
        auto tex = MakeTexture(e.Name);
        tex->SetFillColor(0);
        tex->LoadFromFile(e.Name, archive);
        tex->SetColorKey(e.Key);
        ASSERT_EQ(tex->Width(), static_cast<uint32_t>(bmp->Width));
        ASSERT_EQ(tex->Height(), static_cast<uint32_t>(bmp->Height));
        // Every pixel: transparent exactly where the picture has the key colour.
        int64_t wrong = 0;
        for (int32_t y = 0; y < bmp->Height; ++y)
            for (int32_t x = 0; x < bmp->Width; ++x) {
                const bool key = bmp->Pixel(x, y) == (e.Key & 0xFFFFFF);
                const uint32_t alpha = TexelOf(*tex, x, y) >> 24;
                wrong += key ? alpha != 0 : alpha != 0xFF;
            }
        EXPECT_EQ(wrong, 0);
    }
    for (const std::string& m : Messages()) {
        EXPECT_EQ(m.find("失敗"), std::string::npos) << m;
        EXPECT_EQ(m.find("不正"), std::string::npos) << m;
    }
}

TEST(ShippedSounds, EveryEffectIsPlayableByTheSoundLayer) {
    for (const char* name : {"cat.wav", "Fall.wav", "HitCat.wav", "get.wav", "apple.wav"}) {
        TMemoryStream stream;
        stream.LoadFromFile(SourceDir() + "Data/" + name);
        TWavLayout layout;
        EXPECT_EQ(ReadWavLayout(stream, layout), TWavError::None) << name;
        EXPECT_GT(layout.dataSize, 0u) << name;
    }
}

TEST(ShippedMusic, TheMp3LibraryOpensEveryTrackWithItsLength) {
    auto mixer = std::make_shared<TMixer>();
    TMpg123Library mp3(mixer);
    mp3.vbmp3_init();
    const struct {
        const char* Name;
        int32_t Seconds;
    } tracks[] = {{"tamsp15.mp3", 178}, {"Clear.mp3", 4}, {"GameClear.mp3", 9}};
    for (const auto& t : tracks) {
        Mp3Info info{};
        ASSERT_TRUE(mp3.vbmp3_open(SourceDir() + "Data/" + t.Name, &info)) << t.Name;
        EXPECT_EQ(info.PlayTime, t.Seconds) << t.Name;
        EXPECT_EQ(info.SampleRate, 44100u) << t.Name;
        EXPECT_EQ(info.Channels, 2u) << t.Name;
        mp3.vbmp3_close();
    }
    mp3.vbmp3_free();
}

// The built-in track is encoded with its other end around it, hidden by a widened encoder
// delay and padding: the game's decoder gives exactly its 64 bars at 86 bpm (697674 us a
// beat, 7876460 frames at 44.1 kHz) and a loop goes on from the last of them to the first
// frame for frame, the first frames of every pass the same.
TEST(ShippedMusic, TheBuiltInTrackDecodesToItsBarsAndLoopsFrameForFrame) {
    constexpr size_t kFrames = static_cast<size_t>(64 * 4 * 697674ull * 44100 / 1000000);
    constexpr size_t kAcross = 4096;
    auto mixer = std::make_shared<TMixer>(44100); // at the file's rate: frames pass unchanged
    TMpg123Library mp3(mixer);
    mp3.vbmp3_init();
    Mp3Info info{};
    ASSERT_TRUE(mp3.vbmp3_open(SourceDir() + "Data/tamsp15.mp3", &info));
    mp3.vbmp3_playloop();
    std::vector<float> out(2 * (kFrames + kAcross));
    mixer->MixFloat(out.data(), static_cast<uint32_t>(kFrames + kAcross));
    float loudest = 0.0f;
    for (size_t i = 0; i < 2 * kAcross; ++i) {
        ASSERT_EQ(out[2 * kFrames + i], out[i]) << "frame " << i / 2 << " after the join";
        loudest = std::max(loudest, std::fabs(out[i]));
    }
    EXPECT_GT(loudest, 0.01f); // music, not silence, on both sides of the join
    mp3.vbmp3_free();
}

} // namespace
