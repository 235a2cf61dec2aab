#include "AudioCheck.h"
#include "music/FluidMidiPlayer.h"
#include "support/FakeMidiPlayer.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

namespace {
std::string Fixture(const std::string& name) {
    return SourceDir() + "tests/fixtures/" + name;
}

std::string ErrorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const EMCIDeviceError& e) {
        return e.what();
    }
    return "(nothing raised)";
}

// The checks every MIDI player meets while nothing is open: only playing raises;
// stopping, seeking and closing do nothing.
void ExpectNoDevice(IMidiPlayer& p) {
    EXPECT_EQ(p.Mode(), TMPModes::mpNotReady);
    EXPECT_EQ(ErrorOf([&] { p.Play(); }), "MCI デバイスがありません");
    EXPECT_EQ(ErrorOf([&] { p.Stop(); }), "(nothing raised)");
    EXPECT_EQ(ErrorOf([&] { p.SetPosition(0); }), "(nothing raised)");
    p.Close();
    EXPECT_EQ(p.Mode(), TMPModes::mpNotReady);
}

struct Player {
    std::shared_ptr<TMixer> mixer = std::make_shared<TMixer>();
    TFluidMidiPlayer midi{mixer};
    Pulled out;
    double Pull(double seconds) { return out.Pull(*mixer, seconds); }
};
} // namespace

TEST(FluidMidiPlayer, PlaysReportsItsModeEndsAndPlaysAgainFromTheStart) {
    Player p;
    p.midi.SetFileName(Fixture("tune.mid"));
    p.midi.Open();
    EXPECT_GT(p.midi.SoundFontLoadMilliseconds(), 0.0);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    p.midi.Play();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpPlaying);
    EXPECT_GT(p.Pull(0.5), 0.005);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpPlaying);
    p.Pull(1.0); // the tune lasts 0.75 s
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    p.Pull(2.0); // let the last notes and the reverb die away
    EXPECT_LT(p.Pull(0.2), 0.001);
    p.midi.Stop();
    p.midi.SetPosition(0);
    p.midi.Play();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpPlaying);
    EXPECT_GT(p.Pull(0.5), 0.005);
    p.midi.Stop();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    p.midi.Close();
    ExpectNoDevice(p.midi);
    p.Pull(0.03); // the fade
    EXPECT_EQ(p.Pull(0.1), 0.0);
}

// Stop silences the piece and the synthesiser at once; played on from there, the piece
// is over when its last tick is heard, not later by what had been rendered ahead.
TEST(FluidMidiPlayer, AStoppedPieceIsStoppedAndPlaysOnToItsEndOnTime) {
    Player p;
    p.midi.SetFileName(Fixture("tune.mid"));
    p.midi.Open();
    EXPECT_FALSE(p.midi.Rendering());
    p.midi.Play();
    EXPECT_TRUE(p.midi.Rendering());
    EXPECT_GT(p.Pull(0.3), 0.005);
    p.midi.Stop();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    EXPECT_FALSE(p.midi.Rendering());
    p.Pull(0.05); // the ramp down
    EXPECT_EQ(p.Pull(0.3), 0.0);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    // On from 0.3 s of a piece that lasts a second: over 0.7 s later.
    p.midi.Play();
    EXPECT_TRUE(p.midi.Rendering());
    EXPECT_GT(p.Pull(0.2), 0.005);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpPlaying);
    p.Pull(0.7);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    // Stopped once its end was rendered ahead but not yet heard.
    p.midi.Stop();
    p.midi.SetPosition(0);
    EXPECT_FALSE(p.midi.Rendering());
    p.midi.Play();
    p.Pull(0.9);
    p.midi.Stop();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
    p.Pull(0.3);
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
}

// A looping player plays the piece (a second long, its notes in the first 0.75 s) again
// as it ends, pass after pass, and never reports an end.
TEST(FluidMidiPlayer, ALoopingPieceStartsAgainAsItEnds) {
    Player p;
    p.midi.SetLooping(true);
    p.midi.SetFileName(Fixture("tune.mid"));
    p.midi.Open();
    p.midi.Play();
    for (int pass = 0; pass < 3; ++pass) {
        EXPECT_GT(p.Pull(0.5), 0.005) << pass;
        p.Pull(0.5);
        EXPECT_EQ(p.midi.Mode(), TMPModes::mpPlaying) << pass;
    }
    p.midi.Stop();
    EXPECT_EQ(p.midi.Mode(), TMPModes::mpStopped);
}

TEST(FluidMidiPlayer, RefusesWhatItCannotPlayWithAReason) {
    Player p;
    ExpectNoDevice(p.midi);
    TempDir dir;
    const std::string missing = dir.File("none.mid");
    p.midi.SetFileName(missing);
    EXPECT_EQ(ErrorOf([&] { p.midi.Open(); }), missing + " を開けません: ファイルが見つかりません");
    const std::string text = dir.Write("text.mid", std::string("MThd but not really"));
    p.midi.SetFileName(text);
    EXPECT_EQ(ErrorOf([&] { p.midi.Open(); }), text + " を開けません: MIDI ファイルではありません");
    ExpectNoDevice(p.midi);
    // A soundfont that is not there.
    Player q;
    q.midi.SetSoundFontPath(dir.File("none.sf2"));
    q.midi.SetFileName(Fixture("tune.mid"));
    EXPECT_NE(ErrorOf([&] { q.midi.Open(); }).find("音色ファイル"), std::string::npos);
    EXPECT_EQ(q.midi.Mode(), TMPModes::mpNotReady);
}

TEST(FluidMidiPlayer, DefaultSoundFontIsFound) {
    EXPECT_FALSE(TFluidMidiPlayer::DefaultSoundFont().empty());
}

TEST(FakeMidiPlayer, BehavesLikeThePlayer) {
    FakeMidiPlayer fake;
    ExpectNoDevice(fake);
    fake.playable.insert("a.mid");
    fake.SetFileName("b.mid");
    EXPECT_THROW(fake.Open(), EMCIDeviceError);
    fake.SetFileName("a.mid");
    fake.Open();
    EXPECT_EQ(fake.Mode(), TMPModes::mpStopped);
    fake.Play();
    EXPECT_EQ(fake.Mode(), TMPModes::mpPlaying);
    fake.FinishTrack();
    EXPECT_EQ(fake.Mode(), TMPModes::mpStopped);
    fake.SetPosition(0);
    EXPECT_EQ(fake.calls.back(), "seek 0");
}
