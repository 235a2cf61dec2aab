#include "graphics/device/FramePlacement.h"

#include <algorithm>
#include <cmath>

namespace {

// The largest picture of the frame's aspect ratio in the window, rounded to whole pixels.
void FitSize(uint32_t fw, uint32_t fh, uint32_t ww, uint32_t wh, int32_t& w, int32_t& h) {
    const uint64_t byWidth = uint64_t{ww} * fh, byHeight = uint64_t{wh} * fw;
    if (byWidth <= byHeight) { // the width limits it
        w = static_cast<int32_t>(ww);
        h = static_cast<int32_t>((uint64_t{fh} * ww + fw / 2) / fw);
    } else {
        h = static_cast<int32_t>(wh);
        w = static_cast<int32_t>((uint64_t{fw} * wh + fh / 2) / fh);
    }
    w = std::min(w, static_cast<int32_t>(ww));
    h = std::min(h, static_cast<int32_t>(wh));
}

} // namespace

TFramePlacement PlaceFrame(uint32_t fw, uint32_t fh, uint32_t ww, uint32_t wh, TScaleMode mode) {
    TFramePlacement p;
    p.FrameWidth = fw, p.FrameHeight = fh;
    if (fw == 0 || fh == 0 || ww == 0 || wh == 0) {
        p.Width = p.Height = 0;
        return p;
    }
    const uint32_t n = std::min(ww / fw, wh / fh);
    if (mode == TScaleMode::WholeNumber && n >= 2) {
        p.Factor = n;
        p.Width = static_cast<int32_t>(fw * n), p.Height = static_cast<int32_t>(fh * n);
    } else {
        FitSize(fw, fh, ww, wh, p.Width, p.Height);
        const bool exact = p.Width == static_cast<int32_t>(fw) && p.Height == static_cast<int32_t>(fh);
        p.Factor = exact ? 1 : 0;
    }
    p.X = (static_cast<int32_t>(ww) - p.Width) / 2;
    p.Y = (static_cast<int32_t>(wh) - p.Height) / 2;
    return p;
}

uint32_t DevicePixels(int32_t logical, double ratio) {
    if (logical <= 0 || !(ratio > 0)) return 0;
    return static_cast<uint32_t>(std::lround(logical * ratio));
}

void WindowToFrame(const TFramePlacement& p, double x, double y, int32_t& fx, int32_t& fy) {
    if (p.Width <= 0 || p.Height <= 0) {
        fx = fy = 0;
        return;
    }
    const double sx = (x - p.X) * p.FrameWidth / p.Width, sy = (y - p.Y) * p.FrameHeight / p.Height;
    constexpr double Far = 1 << 30;
    fx = static_cast<int32_t>(std::clamp(std::floor(sx), -Far, Far));
    fy = static_cast<int32_t>(std::clamp(std::floor(sy), -Far, Far));
}

void FrameToWindow(const TFramePlacement& p, int32_t& left, int32_t& top, int32_t& right, int32_t& bottom) {
    if (p.FrameWidth == 0 || p.FrameHeight == 0) return;
    const auto down = [](int64_t v, int64_t size, int64_t frame) {
        return static_cast<int32_t>(v * size / frame);
    };
    const auto up = [](int64_t v, int64_t size, int64_t frame) {
        return static_cast<int32_t>((v * size + frame - 1) / frame);
    };
    left = p.X + down(left, p.Width, p.FrameWidth);
    top = p.Y + down(top, p.Height, p.FrameHeight);
    right = p.X + up(right, p.Width, p.FrameWidth);
    bottom = p.Y + up(bottom, p.Height, p.FrameHeight);
}
