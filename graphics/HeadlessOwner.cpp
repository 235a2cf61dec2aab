#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"

THeadlessOwner::THeadlessOwner(int32_t ClientWidth, int32_t ClientHeight, int32_t FrameWidth,
                               int32_t FrameHeight)
    : clientWidth_(ClientWidth), clientHeight_(ClientHeight), frameWidth_(FrameWidth),
      frameHeight_(FrameHeight), config_(std::make_shared<TSoftwareConfig>()) {}

TRect THeadlessOwner::WindowBounds() const {
    return Rect(left_, top_, left_ + clientWidth_ + frameWidth_, top_ + clientHeight_ + frameHeight_);
}

void THeadlessOwner::SetWindowPos(int32_t Left, int32_t Top, int32_t Width, int32_t Height) {
    left_ = Left;
    top_ = Top;
    clientWidth_ = Width - frameWidth_;
    clientHeight_ = Height - frameHeight_;
}

std::shared_ptr<IRenderDriver> THeadlessOwner::CreateDriver() {
    if (!driverAvailable_) return nullptr;
    return std::make_shared<SoftwareDriver>(config_);
}
