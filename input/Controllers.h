#pragma once
// Game controllers below the input system: a list of the attached controllers and
// their raw states. The real list is SDL's (SdlControllers.h), the tests' one a fake
// (FakeControllers.h). Listing may be slow and happens only when the input
// component initialises, never on a tick.
#include "input/InputDevices.h"

#include <memory>
#include <string>
#include <vector>

struct TControllerInfo {
    uint32_t instance = 0; // stable while the controller stays attached
    std::string productName;
    bool forceFeedback = false; // haptic or rumble
};

// An open controller.
class IControllerReader {
public:
    virtual ~IControllerReader() = default;
    // Refreshes the state that Read returns.
    virtual void Poll() = 0;
    // Axes and sliders in -32768..32767, point-of-view values in hundredths of a
    // degree (POV_CENTERED when centred), buttons 0x80 when down. False when the
    // controller has been unplugged.
    virtual bool Read(TDIJoyState& state) = 0;
};

class IControllerBackend {
public:
    virtual ~IControllerBackend() = default;
    virtual std::vector<TControllerInfo> Attached() = 0;
    // nullptr when the controller cannot be opened (unplugged since it was listed).
    virtual std::unique_ptr<IControllerReader> Open(uint32_t instance) = 0;
};
