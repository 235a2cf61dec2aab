#pragma once
// Toolkit-free model of a native progress bar (the life bar): where it lies over the
// drawn surface, its maximum and the value it shows. The window mirrors it into a
// real progress bar control.
#include <cstdint>

class TProgressBar {
public:
    TProgressBar(int32_t left, int32_t top, int32_t width, int32_t height, int32_t max, bool smooth)
        : left_(left), top_(top), width_(width), height_(height), max_(max), smooth_(smooth) {}

    int32_t Left() const { return left_; }
    int32_t Top() const { return top_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t Max() const { return max_; }
    bool Smooth() const { return smooth_; }
    // The value shown; a native bar keeps it within 0..Max, and so does this model.
    int32_t Position() const { return position_; }
    void SetPosition(int32_t value);

private:
    int32_t left_, top_, width_, height_, max_;
    bool smooth_;
    int32_t position_ = 0;
};
