#pragma once
// The window's components as the game's rules use them: the sound component DDSD1 with
// the five effects on channels 0..4, the input component DDIDEX1 with the arrows and
// the keypad on buttons 0..3, and the pictures and frame of the graphics device.
#include "input/Ddidex.h"
#include "input/InputDevices.h"
#include "sound/ddsd.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>

enum class TDeviceState { Ok, NotReset, Lost };

// Pictures the rules load or measure.
enum class TPicture { Food, Get };

struct TPictureSize {
    uint32_t Width = 0;
    uint32_t Height = 0;
};

// The graphics device's part: the pictures the rules need and the frame's device calls.
class IFormGraphics {
public:
    virtual ~IFormGraphics() = default;
    // Starts the device and loads the pictures of start-up.
    virtual void Loaded() = 0;
    // Size of the hamster picture for a facing (0 right, 1 down, 2 left, 3 up).
    virtual TPictureSize HamsterSize(int32_t dir) = 0;
    virtual TPictureSize PictureSize(TPicture picture) = 0;
    // Loads an entry of "Data\data.qda" into the picture; pure black becomes transparent.
    virtual void LoadPicture(TPicture picture, const std::string& entry) = 0;
    virtual TDeviceState TestCooperativeLevel() = 0;
    virtual void ResetDevice() = 0;
    virtual void BeginScene() = 0;
    virtual void RenderScene() = 0; // draws everything queued in the scene
    virtual void EndScene() = 0;
    virtual void Present() = 0;
};

// What the window hands to the game: where the sound goes, where the keyboard comes
// from, and the graphics device. The input backend and the graphics outlive the form.
struct TFormPlatform {
    TDDSD::OutputFactory AudioOutput; // empty: the system's audio device
    IInputBackend* Input = nullptr;
    IFormGraphics* Graphics = nullptr;
};

class TFormComponents {
public:
    TFormComponents(std::string exeDir, TFormPlatform platform);
    ~TFormComponents();
    TFormComponents(const TFormComponents&) = delete;
    TFormComponents& operator=(const TFormComponents&) = delete;

    // The components' device work, the five sound effects and the key assignment.
    void Loaded();

    TPictureSize HamsterSize(int32_t dir) { return Graphics.HamsterSize(dir); }
    TPictureSize PictureSize(TPicture picture) { return Graphics.PictureSize(picture); }
    void LoadPicture(TPicture picture, const std::string& entry) { Graphics.LoadPicture(picture, entry); }
    // Plays sound channel 0 cat, 1 fall, 2 hit-cat, 3 get, 4 apple once from its start.
    void PlaySound(int32_t channel);
    // Refreshes the keyboard state; ButtonDown then reads button 0 up, 1 down, 2 left, 3 right.
    void PollKeyboard() { DDIDEX1.Update(0); }
    bool ButtonDown(int32_t button) const { return DDIDEX1.Button(button); }

    TDDSD DDSD1;
    TDDIDEX DDIDEX1;
    IFormGraphics& Graphics;
    // CatWave, FallWave, HitCatWave, GetWave, AppleWave on channels 0..4.
    std::array<std::unique_ptr<TDDSDWaveData>, 5> Waves;

private:
    std::string exeDir_;
};
