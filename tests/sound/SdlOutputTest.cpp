// The real audio output through SDL's own test drivers: "disk" writes what the device
// pulled to a file, and a driver that does not exist stands for a machine without sound.
#include "WavBytes.h"
#include "sound/SdlAudioOutput.h"
#include "sound/ddsd.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <thread>

TEST(SdlAudioOutput, NoDeviceLeavesTheComponentSilent) {
    setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
    TSdlAudioOutput output;
    EXPECT_FALSE(output.Open(std::make_shared<TMixer>()));
    EXPECT_FALSE(output.Error().empty());
    TDDSD dd; // the default output is SDL's
    dd.Loaded();
    EXPECT_FALSE(dd.Initialized());
    ASSERT_NE(dd.Channel(0), nullptr);
    dd.Channel(0)->Play();
}

TEST(SdlAudioOutput, TheDevicePullsTheMixOnItsOwnThread) {
    TempDir dir;
    const std::string capture = dir.File("out.raw");
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", capture.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "1", 1); // ms between buffers: no need to wait in real time
    TDDSD dd;
    dd.Loaded();
    ASSERT_TRUE(dd.Initialized());
    std::vector<int16_t> tone(4800);
    for (size_t i = 0; i < tone.size(); ++i) tone[i] = (i / 20) % 2 ? 12000 : -12000;
    TMemoryStream wav(PcmWav(1, 48000, 16, Pcm16(tone)));
    TDDSDWaveData wave(&dd, "square", wav, false);
    dd.Channel(0)->setWaveData(&wave);
    dd.Channel(0)->Play();
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (dd.Channel(0)->SoundBuffer()->Playing() && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_FALSE(dd.Channel(0)->SoundBuffer()->Playing());
    dd.Channel(0)->setWaveData(nullptr);
    const auto bytes = ReadWholeFile(capture);
    // Float stereo frames: the square wave's +-12000/32768 is in there.
    size_t loud = 0;
    for (size_t i = 0; i + 4 <= bytes.size(); i += 4) {
        float v;
        std::memcpy(&v, &bytes[i], 4);
        if (std::abs(std::abs(v) - 12000.0f / 32768.0f) < 1e-4f) ++loud;
    }
    EXPECT_GE(loud, 2 * tone.size() - 200);
}
