#include "app/GamepadFeed.h"

#include "input/DikCodes.h"
#include "input/VirtualKeys.h"

namespace {

constexpr int AttachedInterval = 20, SearchInterval = 250;

uint8_t ArrowKey(TPadKey key) {
    switch (key) {
    case TPadKey::Up:
        return DIK_UP;
    case TPadKey::Down:
        return DIK_DOWN;
    case TPadKey::Left:
        return DIK_LEFT;
    case TPadKey::Right:
        return DIK_RIGHT;
    default:
        return 0;
    }
}

} // namespace

GamepadFeed::GamepadFeed(KeyboardDevice& keyboard, std::function<bool()> foreground,
                         std::function<void(uint16_t)> keyDown, std::function<void()> wake)
    : keyboard_(keyboard), foreground_(std::move(foreground)), keyDown_(std::move(keyDown)),
      wake_(std::move(wake)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
}

void GamepadFeed::Start() {
    if (pads_.Available()) timer_.start(pads_.Count() ? AttachedInterval : SearchInterval);
}

void GamepadFeed::Poll() {
    bool woke = false;
    pads_.Poll(foreground_(), [&](TPadKey key, bool down) {
        if (const uint8_t dik = ArrowKey(key)) {
            if (down)
                keyboard_.PadKeyDown(dik);
            else
                keyboard_.PadKeyUp(dik);
            woke = true;
        } else if (down) {
            keyDown_(key == TPadKey::Enter ? VK_RETURN : VK_SPACE);
        }
    });
    if (woke) wake_();
    const int interval = pads_.Count() ? AttachedInterval : SearchInterval;
    if (timer_.isActive() && timer_.interval() != interval) timer_.setInterval(interval);
}
