#pragma once
// The form's platform for a game without a sound card: the window the test or benchmark
// gives, its input, and an audio output nobody pulls.
#include "game/FormComponents.h"
#include "sound/SoundDevice.h"

#include <memory>

inline TFormPlatform HeadlessPlatform(IDGOwner& owner, IInputBackend& input) {
    TFormPlatform p;
    p.AudioOutput = [] { return std::make_unique<TPulledAudioOutput>(); };
    p.Input = &input;
    p.Owner = &owner;
    return p;
}
