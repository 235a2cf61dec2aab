#pragma once
// The platform's input system: the keyboard and the mouse fed from the window's
// events, and the game controllers of a controller list (SDL's in the game, a fake
// one in tests). The window forwards its key, mouse and focus events here; the
// input component creates its devices through CreateInputSystem. It must outlive
// the component that uses it.
#include "input/Controllers.h"
#include "input/EventDevices.h"

#include <memory>

class WindowInput : public IInputBackend {
public:
    explicit WindowInput(std::unique_ptr<IControllerBackend> controllers);

    KeyboardDevice& Keyboard() { return keyboard_; }
    MouseDevice& Mouse() { return mouse_; }
    IControllerBackend& Controllers() { return *controllers_; }
    // The window gained or lost the focus: tells the keyboard, the mouse and the
    // foreground controllers.
    void FocusChanged(bool focused);

    int32_t CreateInputSystem(std::unique_ptr<IInputSystem>& out) override;

private:
    KeyboardDevice keyboard_;
    MouseDevice mouse_;
    InputFocus controllerFocus_;
    std::unique_ptr<IControllerBackend> controllers_;
};
