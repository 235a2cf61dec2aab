#pragma once
// What the game-state pass of a frame found, for the drawing that follows it: the
// drawing needs a few facts as they stood at their place in the frame's order.
struct TFrameState {
    // The fall advanced in this frame: the falling hamster is drawn at its new size
    // (even when that step ended the fall); in the frames between steps it is not drawn.
    bool FallStepped = false;
    // The game-clear message box is drawn: it was complete and the picture had already
    // stopped growing before this frame's grow step.
    bool MessageBoxShown = false;
};
