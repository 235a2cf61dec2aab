#pragma once
// Play pauses while the window is inactive: the keyboard cannot be read then, and a
// board would be lost behind another window. The game's clock stands still (every timer
// of the frame loop, the rules and the board time), a notice lies over the board and the
// idle ticks stop; the music goes on, its end-of-track check run from here meanwhile.
// Activating the window again resumes play where it stood. Outside play nothing pauses.
// The pause key (一時停止) pauses and resumes the same way, whether or not the focus
// pauses: each of the two holds play still until it is undone itself (a board paused by
// the key stays paused when the focus comes back).
#include "base/Clock.h"

#include <QLabel>
#include <QTimer>

#include <functional>

class FocusPause {
public:
    // view: the drawing surface the notice lies over; playing: whether a board is in
    // play; musicUpkeep: the music's end-of-track check, called every 25 ms while paused;
    // placed (may be empty): called with the notice when it is made, at the first pause
    // (a widget the start-up does not need to show the first frame).
    FocusPause(QWidget* view, PausableClock& clock, std::function<bool()> playing,
               std::function<void()> musicUpkeep, std::function<void(QWidget*)> placed = {});

    // [Options] PauseOnFocusLoss: off, the window's activation changes nothing.
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    // The window became active or inactive. True when play resumed.
    bool ActiveChanged(bool active);
    // The pause key: pauses play, or undoes its own pause. True when play resumed.
    bool KeyPressed();
    bool Paused() const { return clock_.Paused(); }
    // The notice; null until the first pause.
    QLabel* Notice() { return notice_; }
    // Where the notice's place on the game's frame lies in the view (the frame scaled).
    void SetPlacement(std::function<QRect(QRect)> toView);

private:
    void MakeNotice();
    void Hold();
    // Play goes on once neither the focus nor the key holds it.
    bool ReleaseUnlessHeld();
    void PlaceNotice();

    QWidget* view_;
    PausableClock& clock_;
    std::function<bool()> playing_;
    std::function<void()> musicUpkeep_;
    std::function<void(QWidget*)> placed_;
    std::function<QRect(QRect)> toView_;
    QLabel* notice_ = nullptr;
    QTimer music_;
    bool enabled_ = true;
    bool byFocus_ = false;
    bool byKey_ = false;
};
