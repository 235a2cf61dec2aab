#pragma once
// What the game's rules need of the window's components: the pictures (their sizes and
// loading an archive entry into one), the sound channels, the keyboard's buttons and the
// graphics device's frame. One narrow surface, so the rules read the same whichever
// component stands behind it.
#include <cstdint>
#include <string>

enum class TDeviceState { Ok, NotReset, Lost };

// Pictures the rules load or measure.
enum class TPicture { Food, Get };

struct TPictureSize {
    uint32_t Width = 0;
    uint32_t Height = 0;
};

class IFormComponents {
public:
    virtual ~IFormComponents() = default;
    // Starts the components' device work and loads the pictures and sounds of start-up.
    virtual void Loaded() = 0;
    // Size of the hamster picture for a facing (0 right, 1 down, 2 left, 3 up).
    virtual TPictureSize HamsterSize(int32_t dir) = 0;
    virtual TPictureSize PictureSize(TPicture picture) = 0;
    // Loads an entry of "Data\data.qda" into the picture; pure black becomes transparent.
    virtual void LoadPicture(TPicture picture, const std::string& entry) = 0;
    // Plays sound channel 0..4 once from its start.
    virtual void PlaySound(int32_t channel) = 0;
    // Refreshes the keyboard state; ButtonDown then reads button 0 up, 1 down, 2 left, 3 right.
    virtual void PollKeyboard() = 0;
    virtual bool ButtonDown(int32_t button) = 0;
    // The graphics device's frame.
    virtual TDeviceState TestCooperativeLevel() = 0;
    virtual void ResetDevice() = 0;
    virtual void BeginScene() = 0;
    virtual void RenderScene() = 0; // draws everything queued in the scene
    virtual void EndScene() = 0;
    virtual void Present() = 0;
};
