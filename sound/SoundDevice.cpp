#include "sound/SoundDevice.h"

TSoundDevice::TSoundDevice(std::shared_ptr<TMixer> mixer, std::unique_ptr<IAudioOutput> output)
    : mixer_(std::move(mixer)), output_(std::move(output)) {}

TSoundDevice::~TSoundDevice() {
    if (output_) output_->Close();
}

int32_t TSoundDevice::Initialize() {
    if (initialized_) return SoundResult::InvalidCall;
    if (!output_ || !output_->Open(mixer_)) return SoundResult::NoDriver;
    initialized_ = true;
    return SoundResult::Ok;
}

int32_t TSoundDevice::SetCooperativeLevel(uintptr_t window, TCooperativeLevel level) {
    (void)window;
    if (!initialized_) return SoundResult::Uninitialized;
    if (level < TCooperativeLevel::Normal || level > TCooperativeLevel::WritePrimary)
        return SoundResult::InvalidParam;
    level_ = level;
    return SoundResult::Ok;
}

int32_t TSoundDevice::CreateSoundBuffer(const TSoundBufferDesc& desc, std::shared_ptr<TSoundBuffer>* buffer) {
    if (!buffer) return SoundResult::InvalidParam;
    buffer->reset();
    if (!initialized_) return SoundResult::Uninitialized;
    if (desc.dwSize != sizeof(TSoundBufferDesc) && desc.dwSize != 36) return SoundResult::InvalidParam;
    if (desc.dwFlags & SoundBufferFlags::Primary) {
        if (desc.dwBufferBytes != 0 || desc.lpwfxFormat) return SoundResult::InvalidParam;
        *buffer = std::make_shared<TSoundBuffer>(mixer_, desc.dwFlags, 0, nullptr);
        hasPrimary_ = true;
        return SoundResult::Ok;
    }
    if (!desc.lpwfxFormat) return SoundResult::InvalidParam;
    if (!IsPlayableFormat(*desc.lpwfxFormat)) return SoundResult::BadFormat;
    const uint32_t align = desc.lpwfxFormat->nBlockAlign;
    if (desc.dwBufferBytes < align || desc.dwBufferBytes > kMaxSoundBufferBytes)
        return SoundResult::InvalidParam;
    try {
        *buffer = std::make_shared<TSoundBuffer>(mixer_, desc.dwFlags, desc.dwBufferBytes, desc.lpwfxFormat);
    } catch (const std::bad_alloc&) {
        return SoundResult::OutOfMemory;
    }
    return SoundResult::Ok;
}

int32_t TSoundDevice::DuplicateSoundBuffer(const std::shared_ptr<TSoundBuffer>& source,
                                           std::shared_ptr<TSoundBuffer>* copy) {
    if (!copy) return SoundResult::InvalidParam;
    copy->reset();
    if (!initialized_) return SoundResult::Uninitialized;
    if (!source || source->IsPrimary()) return SoundResult::InvalidParam;
    *copy = source->Duplicate();
    return SoundResult::Ok;
}
