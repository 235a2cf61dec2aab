#pragma once
// Where the game's fixed-size frame lies in a window of any size, and the way back from
// the window to the frame. Everything here is in device pixels (the window's logical
// size times its device pixel ratio): the frame's pixels are placed on the screen's own.
//
// Whole-number mode: the largest whole factor n that fits, each frame pixel an n x n
// square; below 2 it falls back to the fitting mode (a factor of 1 in a large window
// would leave most of it empty). Fit mode: the largest size that fits with the aspect
// ratio kept, filtered. Either way the picture is centred and a frame shown at exactly
// its own size is a plain copy (factor 1).
#include <cstdint>

enum class TScaleMode { WholeNumber, Fit };

struct TFramePlacement {
    int32_t X = 0, Y = 0;          // top left of the picture in the window
    int32_t Width = 0, Height = 0; // the picture's size
    uint32_t FrameWidth = 0, FrameHeight = 0;
    uint32_t Factor = 1; // the whole factor of each pixel; 0: filtered to Width x Height
    bool operator==(const TFramePlacement&) const = default;
};

// frame: the game's frame size; window: the window's size in device pixels (0 x 0 gives
// an empty picture).
TFramePlacement PlaceFrame(uint32_t frameWidth, uint32_t frameHeight, uint32_t windowWidth,
                           uint32_t windowHeight, TScaleMode mode);

// A logical size in device pixels at the given ratio, as the window system rounds it.
uint32_t DevicePixels(int32_t logical, double ratio);

// A point of the window in device pixels mapped to the frame pixel under it; a point on
// the border (or outside the window, as a dragging mouse gives) maps outside the frame.
void WindowToFrame(const TFramePlacement& placement, double x, double y, int32_t& frameX, int32_t& frameY);

// The frame rectangle [left, right) x [top, bottom) in window pixels (rounded outward).
void FrameToWindow(const TFramePlacement& placement, int32_t& left, int32_t& top, int32_t& right,
                   int32_t& bottom);
