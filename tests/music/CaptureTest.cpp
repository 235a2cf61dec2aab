// Captures what each player puts into the mixer to a WAV file in the build folder
// (audio-capture/), for listening and for `sox FILE -n stat`.
#include "AudioCheck.h"
#include "music/FluidMidiPlayer.h"
#include "music/Mpg123Library.h"
#include "sound/ddsd.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {
std::string Fixture(const std::string& name) {
    return SourceDir() + "tests/fixtures/" + name;
}
std::string CaptureFile(const std::string& name) {
    const std::string dir = BuildDir() + "audio-capture/";
    std::filesystem::create_directories(dir);
    return dir + name;
}
} // namespace

TEST(Capture, EffectMp3AndMidiThroughTheMixer) {
    TempDir logDir;
    TDDSD::SetLogFolder(logDir.Dir());
    TDDSD dd;
    dd.SetAudioOutputFactory([] { return std::make_unique<TPulledAudioOutput>(); });
    dd.Loaded();
    TMixer& mixer = *dd.Mixer();
    {
        TDDSDWaveData effect(&dd, Fixture("effect.wav"), false);
        dd.Channel(0)->setWaveData(&effect);
        dd.Channel(0)->Play();
        Pulled out;
        EXPECT_GT(out.Pull(mixer, 0.15), 0.2);
        out.Pull(mixer, 0.1);
        out.SaveWav(CaptureFile("effect.wav"), mixer.Rate());
    }
    {
        TMpg123Library mp3(dd.Mixer());
        mp3.vbmp3_init();
        Mp3Info info{};
        ASSERT_TRUE(mp3.vbmp3_open(Fixture("tone.mp3"), &info));
        mp3.vbmp3_play();
        Pulled out;
        EXPECT_GT(out.Pull(mixer, 2.6), 0.2);
        out.SaveWav(CaptureFile("mp3.wav"), mixer.Rate());
    }
    {
        TFluidMidiPlayer midi(dd.Mixer());
        midi.SetFileName(Fixture("tune.mid"));
        midi.Open();
        midi.Play();
        Pulled out;
        EXPECT_GT(out.Pull(mixer, 1.5), 0.005);
        out.SaveWav(CaptureFile("midi.wav"), mixer.Rate());
    }
    TDDSD::SetLogFolder("");
}
