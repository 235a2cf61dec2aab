#include "input/DeviceHandle.h"

int32_t TDeviceHandle::SetDataFormat(TDataFormat format) {
    if (acquired_ || format != format_) return DIERR_INVALIDPARAM;
    formatSet_ = true;
    return DI_OK;
}

int32_t TDeviceHandle::SetCooperativeLevel(uint32_t flags) {
    const uint32_t access = flags & (DISCL_EXCLUSIVE | DISCL_NONEXCLUSIVE);
    const uint32_t when = flags & (DISCL_FOREGROUND | DISCL_BACKGROUND);
    const bool onePair = (access == DISCL_EXCLUSIVE || access == DISCL_NONEXCLUSIVE) &&
                         (when == DISCL_FOREGROUND || when == DISCL_BACKGROUND);
    if (!onePair || (flags & ~(access | when)) != 0 || acquired_) return DIERR_INVALIDPARAM;
    cooperative_ = flags;
    return DI_OK;
}

int32_t TDeviceHandle::SetRange(int32_t, int32_t, int32_t) {
    return DIERR_INVALIDPARAM;
}

int32_t TDeviceHandle::Acquire() {
    if (!formatSet_) return DIERR_INVALIDPARAM;
    if ((cooperative_ & DISCL_FOREGROUND) && !focus_.Focused()) return DIERR_OTHERAPPHASPRIO;
    acquired_ = true;
    lossesAtAcquire_ = focus_.Losses();
    return DI_OK;
}

int32_t TDeviceHandle::Unacquire() {
    acquired_ = false;
    return DI_OK;
}

bool TDeviceHandle::StillAcquired() {
    if (acquired_ && (cooperative_ & DISCL_FOREGROUND) &&
        (!focus_.Focused() || focus_.Losses() != lossesAtAcquire_))
        acquired_ = false;
    return acquired_;
}

int32_t TDeviceHandle::Poll() {
    const bool wasAcquired = acquired_;
    if (!StillAcquired()) return wasAcquired ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
    DoPoll();
    return DI_OK;
}

int32_t TDeviceHandle::GetDeviceState(uint32_t size, void* data) {
    if (data == nullptr || size != DataFormatSize(format_)) return DIERR_INVALIDPARAM;
    const bool wasAcquired = acquired_;
    if (!StillAcquired()) return wasAcquired ? DIERR_INPUTLOST : DIERR_NOTACQUIRED;
    if (!ReadState(data)) {
        acquired_ = false;
        return DIERR_INPUTLOST;
    }
    return DI_OK;
}
