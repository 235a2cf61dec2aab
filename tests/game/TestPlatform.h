#pragma once
// The window's side of a headless form: the software graphics device behind a headless
// owner, the keyboard fed by the test and the sound mixer pulled by nobody; and the
// program's Data folder with tiny WAV files and an archive of pictures of chosen sizes.
// The graphics and the sound layer are reached from separate files (TestGraphics.cpp,
// TestSound.cpp), so this header names neither.
#include "game/Unit1.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "support/TempDir.h"

#include <map>
#include <string>
#include <utility>
#include <vector>

class TestPlatform {
public:
    TestPlatform();
    TFormPlatform Make();
    KeyboardDevice& Keyboard() { return input_.Keyboard(); }
    // What the software device reports to TestCooperativeLevel.
    void SetDeviceState(TDeviceState state);
    uint32_t ResetCount() const;
    uint32_t PresentCount() const;

private:
    TOwned<IDGOwner> owner_;
    WindowInput input_{std::make_unique<FakeControllers>()};
};

// Picture sizes (width, height) by archive entry.
using TestPictureSizes = std::map<std::string, std::pair<int, int>>;
TestPictureSizes DefaultPictureSizes();

// Writes Data/cat.wav ... Data/apple.wav and Data/data.qda into the folder.
void WriteTestData(const TempDir& dir, const TestPictureSizes& sizes = DefaultPictureSizes());

// An audio output that nobody pulls (the mixer runs silent).
std::function<std::unique_ptr<IAudioOutput>()> PulledAudioOutput();
// The channels that are sounding, lowest first; they are stopped for the next check.
std::vector<int32_t> TakeSounds(TForm1& form);
// Points the sound and input layers' logs at a folder ("" for their defaults).
void SetLayerLogFolders(const std::string& folder);
