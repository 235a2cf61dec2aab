#pragma once
// The game on a window of its own, as the checks of a redraw against a whole frame drive it
// two at a time in lockstep. Owner is the window the device draws for; PresentSinkOf(owner)
// names where its device hands each shown frame and OwnerReady(owner) whether it can draw.
// Every frame shown is kept in shown.
#include "ScreenFixture.h"

#include <cstddef>
#include <functional>

inline std::function<void(const TSoftwareFrame&)>& PresentSinkOf(THeadlessOwner& owner) {
    return owner.SoftwareConfig()->PresentSink;
}
inline bool OwnerReady(const THeadlessOwner&) {
    return true;
}

template <class Owner> struct PlayWindow : HeadlessGameParts<Owner> {
    // reuse: whether the scene redraws only what changed since the last frame.
    explicit PlayWindow(bool reuse)
        : form(this->clock, this->host, this->exeDir, this->Platform()), screen(form) {
        form.SetFrameDrawer(&screen);
        PresentSinkOf(this->owner) = [this](const TSoftwareFrame& f) {
            ASSERT_EQ(f.Pitch, f.Width);
            shown.assign(f.Pixels, f.Pixels + static_cast<size_t>(f.Pitch) * f.Height);
        };
        if (!OwnerReady(this->owner)) return;
        form.FormCreate();
        screen.Loaded();
        screen.Scene->SetReuseLastFrame(reuse);
    }
    ~PlayWindow() { form.SetFrameDrawer(nullptr); }
    PlayWindow(const PlayWindow&) = delete;
    PlayWindow& operator=(const PlayWindow&) = delete;

    // One pass of the idle handler at the clock's time.
    void Tick() {
        bool done = true;
        form.ApplicationEvents1Idle(done);
    }

    TForm1 form;
    TFormScreen screen;
    std::vector<uint32_t> shown;
};

// How many pixels of two frames of one size differ.
inline size_t PixelsThatDiffer(const std::vector<uint32_t>& a, const std::vector<uint32_t>& b) {
    size_t differ = 0;
    for (size_t i = 0; i < a.size() && i < b.size(); ++i) differ += a[i] != b[i];
    return differ;
}
