#pragma once
// Drives the real form headless: the game's Data files copied into a temporary program
// folder, the graphics on the software device of a 764 x 500 window without a screen,
// a manual clock, a scripted host, the keyboard fed by the test.
#include "game/FormScreen.h"
#include "game/Unit1.h"
#include "graphics/device/SoftwareDevice.h"
#include "input/Ddidex.h"
#include "input/DikCodes.h"
#include "input/FakeControllers.h"
#include "input/WindowInput.h"
#include "screen/PngImage.h"
#include "sound/ddsd.h"
#include "support/FatalCatcher.h"
#include "support/HeadlessPlatform.h"
#include "support/ManualClock.h"
#include "support/ProgramFolder.h"
#include "support/ScriptedHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

// The software device's window, of the game's size.
struct SoftwareOwner : THeadlessOwner {
    SoftwareOwner() : THeadlessOwner(764, 500) {}
};

// What a game without a screen stands on: a program folder with the game's data, a manual
// clock, a scripted host, the keyboard fed by the test and the Owner window the device
// draws for. The form is made with Platform().
template <class Owner> struct HeadlessGameParts {
    TFormPlatform Platform() { return HeadlessPlatform(owner, input); }

    FatalCatcher halts;
    ManualClock clock{1000};
    ScriptedHost host;
    TempDir dir;
    std::string exeDir{PreparedProgramFolder(dir)};
    WindowInput input{std::make_unique<FakeControllers>()};
    Owner owner;
};

class ScreenTest : public ::testing::Test, protected HeadlessGameParts<SoftwareOwner> {
protected:
    ScreenTest() : form(clock, host, exeDir, Platform()), graphics(form) {
        form.SetFrameDrawer(&graphics);
        owner.SoftwareConfig()->PresentSink = [this](const TSoftwareFrame& f) {
            frame.width = static_cast<int32_t>(f.Width);
            frame.height = static_cast<int32_t>(f.Height);
            frame.argb.resize(static_cast<size_t>(f.Width) * f.Height);
            for (uint32_t y = 0; y < f.Height; ++y)
                for (uint32_t x = 0; x < f.Width; ++x)
                    frame.argb[static_cast<size_t>(y) * f.Width + x] =
                        f.Pixels[static_cast<size_t>(y) * f.Pitch + x];
        };
    }
    ~ScreenTest() override {
        TDDSD::SetLogFolder("");
        TDDIDEX::SetDebugLogFolder("");
    }
    // Start-up, then past the first 2 s so that Enter is taken.
    void Start() {
        Create();
        clock.Set(form.StartTime + 2000);
        Tick();
    }
    // The window's start-up: the form's, then the screen's.
    void Create() {
        form.FormCreate();
        graphics.Loaded();
    }
    bool Tick() {
        bool done = true;
        form.ApplicationEvents1Idle(done);
        return done;
    }
    void Key(uint16_t key) { form.FormKeyDown(key); }
    // Draws one frame at the clock's time and answers it.
    const PngImage& Render() {
        form.RenderFrame();
        return frame;
    }
    uint32_t Pixel(int32_t x, int32_t y) const { return frame.At(x, y) & 0xFFFFFF; }

    TForm1 form;
    TFormScreen graphics;
    PngImage frame;
};

// Compares a frame with tests/screen/golden/<name>.png: no colour channel may differ by
// more than Tolerance, at no more than MaxPixels pixels. The frame is always written to
// the build folder for a look; HIMAWARI_UPDATE_GOLDEN=1 stores it as the new golden.
void ExpectGolden(const PngImage& frame, const std::string& name, int tolerance = 2, int maxPixels = 0);
