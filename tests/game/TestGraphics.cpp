#include "TestPlatform.h"

#include "graphics/DODozuz9.h"
#include "graphics/device/SoftwareDevice.h"

#include <stdexcept>

namespace {

THeadlessOwner& Headless(IDGOwner& owner) {
    return static_cast<THeadlessOwner&>(owner);
}

} // namespace

TestPlatform::TestPlatform()
    : owner_(new THeadlessOwner(764, 500), [](IDGOwner* p) { delete static_cast<THeadlessOwner*>(p); }) {}

TFormPlatform TestPlatform::Make() {
    TFormPlatform p;
    p.Owner = owner_.get();
    p.AudioOutput = PulledAudioOutput();
    p.Input = &input_;
    return p;
}

void TestPlatform::SetDeviceState(TDeviceState state) {
    Headless(*owner_).SoftwareConfig()->CooperativeLevel = state == TDeviceState::Ok ? D3D_OK
                                                           : state == TDeviceState::NotReset
                                                               ? D3DERR_DEVICENOTRESET
                                                               : D3DERR_DEVICELOST;
}

uint32_t TestPlatform::ResetCount() const {
    return Headless(*owner_).SoftwareConfig()->ResetCount;
}

uint32_t TestPlatform::PresentCount() const {
    return Headless(*owner_).SoftwareConfig()->PresentCount;
}
