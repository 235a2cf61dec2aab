#include "app/GamepadFeed.h"

#include "input/DikCodes.h"
#include "input/VirtualKeys.h"

namespace {

constexpr int AttachedInterval = 20, SearchInterval = 250;

bool IsMovement(TPadKey key) {
    return static_cast<int>(key) < 4;
}

} // namespace

GamepadFeed::GamepadFeed(KeyboardDevice& keyboard, std::function<bool()> foreground,
                         std::function<void(TAction)> pressed, std::function<void()> wake)
    : keyboard_(keyboard), foreground_(std::move(foreground)), pressed_(std::move(pressed)),
      wake_(std::move(wake)) {
    QObject::connect(&timer_, &QTimer::timeout, [this] { Poll(); });
}

void GamepadFeed::Start() {
    if (pads_.Available()) timer_.start(pads_.Count() ? AttachedInterval : SearchInterval);
}

void GamepadFeed::SetButtonListener(std::function<void(TPadButton)> listener) {
    listener_ = std::move(listener);
    if (!listener_) return;
    PollKeys(false);                                     // lets go of every key the game holds
    pads_.PollButtons(foreground_(), [](TPadButton) {}); // what is held now is not a press
}

void GamepadFeed::Poll() {
    if (listener_) {
        // A copy: the listener may close the dialog, which takes it away.
        const auto listener = listener_;
        pads_.PollButtons(foreground_(), listener);
    } else {
        PollKeys(foreground_());
    }
    const int interval = pads_.Count() ? AttachedInterval : SearchInterval;
    if (timer_.isActive() && timer_.interval() != interval) timer_.setInterval(interval);
}

void GamepadFeed::PollKeys(bool foreground) {
    bool woke = false;
    pads_.Poll(foreground, [&](TPadKey key, bool down) {
        if (IsMovement(key)) {
            // The movement holds the first key of its binding; it lets go of the key it
            // held, whatever the bindings became meanwhile.
            uint8_t& held = heldKeys_[static_cast<size_t>(key)];
            if (held) keyboard_.PadKeyUp(held);
            held = 0;
            if (down) {
                const auto& keys = bindings_.Of(ActionOfPadKey(key)).Keys;
                held = keys[0] ? keys[0] : keys[1];
                if (held) keyboard_.PadKeyDown(held);
            }
            woke = true;
        } else if (down) {
            pressed_(ActionOfPadKey(key));
        }
    });
    if (woke) wake_();
}
