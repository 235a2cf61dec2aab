#pragma once
// The attached game controllers through SDL's joystick, game-controller and haptic
// subsystems (no other SDL subsystem is started). With no controller, or when SDL's
// joystick support cannot start, the list is empty and nothing fails.
#include "input/Controllers.h"

class SdlControllers : public IControllerBackend {
public:
    SdlControllers();
    ~SdlControllers() override;
    SdlControllers(const SdlControllers&) = delete;
    SdlControllers& operator=(const SdlControllers&) = delete;

    // False when SDL's joystick subsystem could not start.
    bool Available() const { return joystickUp_; }

    std::vector<TControllerInfo> Attached() override;
    std::unique_ptr<IControllerReader> Open(uint32_t instance) override;

private:
    bool joystickUp_ = false;
    bool hapticUp_ = false;
};
