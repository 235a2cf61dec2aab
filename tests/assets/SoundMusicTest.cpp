// The sound effects, the music and the help text that ship in the repository.
#include "AssetFormats.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>

namespace {

std::vector<uint8_t> Data(const std::string& name) {
    return ReadWholeFile(SourceDir() + "Data/" + name);
}

TEST(Sounds, EveryEffectIsShortCleanPcm) {
    for (const char* name : {"cat.wav", "Fall.wav", "HitCat.wav", "get.wav", "apple.wav"}) {
        const auto wav = ReadWav(Data(name));
        ASSERT_TRUE(wav) << name;
        EXPECT_EQ(wav->Format, 1) << name;
        EXPECT_EQ(wav->Channels, 1) << name;
        EXPECT_EQ(wav->Bits, 16) << name;
        EXPECT_TRUE(wav->Rate == 22050 || wav->Rate == 44100) << name;
        const double seconds = static_cast<double>(wav->Samples.size()) / wav->Rate;
        EXPECT_GE(seconds, 0.15) << name;
        EXPECT_LE(seconds, 1.5) << name;
        int peak = 0;
        for (int16_t s : wav->Samples) peak = std::max(peak, std::abs(static_cast<int>(s)));
        EXPECT_GT(peak, 32767 / 4) << name << " is too quiet";
        EXPECT_LT(peak, 32767) << name << " clips";
        // Starts and ends near silence, so that restarting it does not click.
        EXPECT_LT(std::abs(wav->Samples.front()), 400) << name;
        EXPECT_LT(std::abs(wav->Samples.back()), 400) << name;
    }
}

TEST(Sounds, WavReaderRefusesDataBeforeFormat) {
    const std::vector<uint8_t> bytes = {'R', 'I', 'F', 'F', 20, 0, 0, 0, 'W', 'A', 'V', 'E',
                                        'd', 'a', 't', 'a', 4,  0, 0, 0, 1,   2,   3,   4};
    EXPECT_FALSE(ReadWav(bytes));
}

TEST(Music, TracksAreMp3FramesOfTheRightLength) {
    const struct {
        const char* Name;
        double Min, Max;
    } tracks[] = {{"tamsp15.mp3", 170.0, 190.0}, {"Clear.mp3", 3.0, 5.0}, {"GameClear.mp3", 6.0, 10.0}};
    for (const auto& t : tracks) {
        const auto mp3 = ReadMp3(Data(t.Name));
        ASSERT_TRUE(mp3) << t.Name;
        EXPECT_FALSE(mp3->HasId3) << t.Name; // no tag that would change between builds
        EXPECT_EQ(mp3->Rate, 44100u) << t.Name;
        EXPECT_GE(mp3->Seconds, t.Min) << t.Name;
        EXPECT_LE(mp3->Seconds, t.Max) << t.Name;
    }
}

TEST(Music, Mp3ReaderRefusesATruncatedFile) {
    std::vector<uint8_t> bytes = Data("Clear.mp3");
    ASSERT_TRUE(ReadMp3(bytes));
    bytes.resize(bytes.size() - 10);
    EXPECT_FALSE(ReadMp3(bytes));
}

TEST(Music, MidiSourcesOfTheTracksAreKept) {
    for (const char* name : {"tamsp15.mid", "Clear.mid", "GameClear.mid"}) {
        const auto bytes = ReadWholeFile(SourceDir() + "assets/music/" + name);
        ASSERT_GE(bytes.size(), 14u) << name;
        EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MThd") << name;
    }
}

TEST(Music, FixtureFolderHoldsNestedMixedCaseFilesAndADecoy) {
    namespace fs = std::filesystem;
    const fs::path root = SourceDir() + "tests/fixtures/music";
    int mp3 = 0, mid = 0, other = 0;
    for (const auto& e : fs::recursive_directory_iterator(root)) {
        if (!e.is_regular_file()) continue;
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        const auto bytes = ReadWholeFile(e.path().string());
        if (ext == ".mp3") {
            ++mp3;
            EXPECT_TRUE(ReadMp3(bytes)) << e.path();
        } else if (ext == ".mid") {
            ++mid;
            EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "MThd") << e.path();
        } else {
            ++other;
        }
    }
    EXPECT_EQ(mp3, 3);
    EXPECT_EQ(mid, 3);
    EXPECT_EQ(other, 2); // a .midi file and a text file, both to be skipped
    EXPECT_TRUE(fs::exists(root / "not-taken.midi"));
}

TEST(HelpText, IsUtf8AndCoversControlsRulesAndLicences) {
    const auto bytes = ReadWholeFile(SourceDir() + "作品について.txt");
    ASSERT_FALSE(bytes.empty());
    const std::string text(bytes.begin(), bytes.end());
    for (const char* needle : {"ひまわり畑の大脱走！",
                               "Enter",
                               "Space",
                               "テンキー",
                               "ステージ",
                               "ライフ",
                               "スコア",
                               "data.qda",
                               "Settei.ini",
                               "record.dat",
                               "Qt",
                               "SDL2",
                               "FreeType",
                               "Fontconfig",
                               "libmpg123",
                               "FluidSynth",
                               "TimGM6mb",
                               "libjpeg-turbo",
                               "SimpleIni",
                               "libepoxy",
                               "VL Gothic"})
        EXPECT_NE(text.find(needle), std::string::npos) << needle;
    // Well-formed UTF-8 throughout.
    for (size_t i = 0; i < bytes.size();) {
        const uint8_t c = bytes[i];
        const size_t n = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        ASSERT_NE(n, 0u) << "bad lead byte at " << i;
        ASSERT_LE(i + n, bytes.size());
        for (size_t k = 1; k < n; ++k) ASSERT_EQ(bytes[i + k] >> 6, 2) << "bad byte at " << i + k;
        i += n;
    }
}

} // namespace
