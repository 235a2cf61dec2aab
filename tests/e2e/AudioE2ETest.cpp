// The music as it reaches the sound card: the real program writes its output through
// SDL's "disk" driver to a file, which is read back and measured stretch by stretch.
// Everything here happens on the title screen, where no sound effect plays: whatever
// sounds is the background music.
#include "DiskAudio.h"
#include "GameProcess.h"
#include "XClose.h"

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Loudness of a stretch, shown with the test's output.
void Report(const char* what, const AudioLevel& level) {
    std::printf("[ audio    ] %s: rms %.4f, peak %.4f, %.0f crossings/s\n", what, level.rms, level.peak,
                level.crossingsPerSecond);
}

class AudioGame : public GameProcess {
protected:
    void SetUp() override {
        Install();
        capture = dir.File("audio.raw");
        env["SDL_AUDIODRIVER"] = "disk";
        env["SDL_DISKAUDIOFILE"] = capture;
    }
    // Writes the settings file (none when empty), then starts the program.
    void Start(const std::string& settings) {
        if (!settings.empty()) dir.Write("Data/Settei.ini", settings);
        Launch();
    }
    // A fixture copied into the program's folder: the path the settings name.
    std::string Track(const std::string& name) {
        const fs::path to = dir.Path() / "music" / name;
        fs::create_directories(to.parent_path());
        fs::copy_file(SourceDir() + "tests/fixtures/" + name, to);
        return to.string();
    }
    // Waits until the output has got `seconds` far; how far it has got.
    double CaptureUntil(double seconds) {
        const auto limit = std::chrono::milliseconds(static_cast<int>(seconds * 3000) + 10000);
        EXPECT_TRUE(WaitUntil([&] { return CapturedSeconds(capture) >= seconds; }, limit))
            << "the output got only " << CapturedSeconds(capture) << " s far";
        return CapturedSeconds(capture);
    }
    // Closes the window on the title screen (no question) and reads the capture.
    DiskAudio CloseAndRead() {
        EXPECT_TRUE(RequestClose(window));
        EXPECT_EQ(WaitExit(10s), 0);
        return DiskAudio(capture);
    }
    std::string Settings() const { return FileText(dir.File("Data/Settei.ini")); }

    std::string capture;
};

// Sound at the level of music: well above silence, not clipped, and changing sign
// often (not a constant or a click).
void ExpectMusic(const AudioLevel& level, double minRms) {
    EXPECT_GT(level.rms, minRms);
    EXPECT_LT(level.clippedShare, 0.001);
    EXPECT_GT(level.crossingsPerSecond, 50.0);
}

} // namespace

TEST_F(AudioGame, TheBuiltInTrackPlaysSoonAfterStartUp) {
    Start("");
    const double from = CaptureUntil(1.0);
    const double to = CaptureUntil(from + 2.0);
    const DiskAudio audio = CloseAndRead();
    // The output opens with the window; the music comes a little later.
    EXPECT_EQ(audio.Level(0, 0.05).peak, 0.0);
    const double onset = audio.FirstSound(0, 0.01);
    EXPECT_GT(onset, 0.05);
    EXPECT_LT(onset, from);
    const AudioLevel level = audio.Level(from, to);
    std::printf("[ audio    ] built-in track sounds at %.2f s; measured from %.2f to %.2f s of %.2f s\n",
                onset, from, to, audio.Seconds());
    Report("built-in track", level);
    ExpectMusic(level, 0.05);
    // The output went on in real time while the program ran.
    EXPECT_GE(audio.Seconds(), to);
    EXPECT_NE(Settings().find("MusicName = " + dir.File("Data/tamsp15.mp3")), std::string::npos)
        << Settings();
}

// A chosen track loops by itself in the mixer: it goes on from its last decoded sample
// to its first, so everything is timed by the output itself, whatever the load.
TEST_F(AudioGame, AChosenMp3LoopsFromItsLastSampleToItsFirst) {
    const std::string tone = Track("tone.mp3");
    Start("[BGM]\r\nMusic=1\r\nRandom=0\r\nMusicName=" + tone + "\r\n");
    const double to = CaptureUntil(6.5);
    const DiskAudio audio = CloseAndRead();
    const double onset = audio.FirstSound(0, 0.01);
    ASSERT_GT(onset, 0.05);
    // 2.5 s of a 440 Hz sine at half of full scale: 880 sign changes a second.
    const AudioLevel tune = audio.Level(onset + 0.2, onset + 2.2);
    Report("tone.mp3", tune);
    ExpectMusic(tune, 0.25);
    EXPECT_NEAR(tune.crossingsPerSecond, 880.0, 20.0);
    // The file decodes to 2.559 s (its encoder's delay and padding included); the passes
    // follow each other with no quiet between them: not one 50 ms window under -60 dBFS.
    const double quiet = audio.FirstQuiet(onset + 0.2, 0.001); // the close stops the music
    EXPECT_TRUE(quiet < 0 || quiet >= to - 0.05) << "a gap between two passes at " << quiet << " s";
    const AudioLevel across = audio.Level(onset + 2.2, onset + 5.9); // across two joins
    Report("tone.mp3 across its joins", across);
    ExpectMusic(across, 0.25);
    EXPECT_NEAR(across.crossingsPerSecond, 880.0, 20.0);
}

TEST_F(AudioGame, AChosenMidiFilePlaysAndRepeats) {
    const std::string tune = Track("tune.mid");
    Start("[BGM]\r\nMusic=1\r\nRandom=0\r\nMusicName=" + tune + "\r\n");
    CaptureUntil(5.0);
    const DiskAudio audio = CloseAndRead();
    const double onset = audio.FirstSound(0, 0.003);
    ASSERT_GT(onset, 0.05);
    // Three piano notes in 0.75 s, then a rest: the file lasts a second, and it loops by
    // itself, its second pass starting as the first ends.
    const AudioLevel notes = audio.Level(onset, onset + 0.75);
    Report("tune.mid", notes);
    ExpectMusic(notes, 0.005);
    const double again = audio.FirstSound(onset + 1.5, 0.003);
    ASSERT_GT(again, 0.0) << "not repeated";
    EXPECT_LT(again, onset + 3.5) << "repeated late";
    std::printf("[ audio    ] tune.mid sounds at %.2f s and again at %.2f s\n", onset, again);
    const AudioLevel repeat = audio.Level(again, again + 0.5);
    Report("tune.mid played again", repeat);
    ExpectMusic(repeat, 0.005);
}

// With the music off nothing sounds at all; the menu's Play starts the configured track
// from its beginning and Stop silences it again; the last choice is kept.
TEST_F(AudioGame, MusicOffIsSilentUntilPlayIsChosen) {
    Start("[BGM]\r\nMusic=0\r\n");
    CaptureUntil(1.5);
    const double beforePlay = CapturedSeconds(capture);
    double atPlay = 0;
    ASSERT_TRUE(MenuItem('b', 'p', [&] { atPlay = CapturedSeconds(capture); }));
    CaptureUntil(CapturedSeconds(capture) + 2.0);
    const double beforeStop = CapturedSeconds(capture);
    ASSERT_TRUE(MenuItem('b', 's'));
    const double stopped = CapturedSeconds(capture);
    const double end = CaptureUntil(stopped + 1.5);
    const DiskAudio audio = CloseAndRead();
    const AudioLevel off = audio.Level(0, beforePlay);
    Report("music off", off);
    EXPECT_EQ(off.peak, 0.0);
    const double onset = audio.FirstSound(beforePlay - 0.1, 0.01);
    EXPECT_GT(onset, beforePlay - 0.1);
    EXPECT_LT(onset, beforePlay + 1.5);
    // From the item's key to the first sound: the key's way through the X server and the
    // window, the command, and the track's first chunk (the output's buffer is 1024
    // frames, 21 ms, which is also how finely the capture's length tells the moment).
    std::printf("[ audio    ] Play's key to the first sound: %.0f ms\n",
                (audio.FirstSound(atPlay, 1e-4) - atPlay) * 1000);
    const AudioLevel on = audio.Level(onset + 0.1, beforeStop);
    Report("after Play", on);
    ExpectMusic(on, 0.05);
    const AudioLevel after = audio.Level(stopped + 0.3, end);
    Report("after Stop", after);
    EXPECT_EQ(after.peak, 0.0);
    EXPECT_NE(Settings().find("Music = 0"), std::string::npos) << Settings();
}
