#include "game/FormComponents.h"

#include "base/Paths.h"
#include "input/DikCodes.h"

namespace {

const char* const WaveFiles[5] = {"Data\\cat.wav", "Data\\Fall.wav", "Data\\HitCat.wav", "Data\\get.wav",
                                  "Data\\apple.wav"};

IInputBackend& RequireInput(IInputBackend* input) {
    if (!input) throw Exception("the form needs an input backend");
    return *input;
}

IFormGraphics& RequireGraphics(IFormGraphics* graphics) {
    if (!graphics) throw Exception("the form needs a graphics device");
    return *graphics;
}

} // namespace

TFormComponents::TFormComponents(std::string exeDir, TFormPlatform platform)
    : DDIDEX1(RequireInput(platform.Input)), Graphics(RequireGraphics(platform.Graphics)),
      exeDir_(std::move(exeDir)) {
    // The design-time settings: only the halt option on both components.
    DDSD1.SetDebugOption(dsoHaltOnError);
    if (platform.AudioOutput) DDSD1.SetAudioOutputFactory(std::move(platform.AudioOutput));
    DDIDEX1.SetDebugOption(dioHaltOnError);
}

// The waves go before the component (members are destroyed in reverse order).
TFormComponents::~TFormComponents() = default;

void TFormComponents::Loaded() {
    DDSD1.Loaded();
    DDIDEX1.Loaded();
    Graphics.Loaded();
    for (size_t i = 0; i < Waves.size(); ++i)
        Waves[i] = std::make_unique<TDDSDWaveData>(&DDSD1, DataPath(exeDir_, WaveFiles[i]), false);
    for (size_t i = 0; i < Waves.size(); ++i)
        DDSD1.Channel(static_cast<int32_t>(i))->setWaveData(Waves[i].get());
    const int32_t arrows[4] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
    const int32_t keypad[4] = {DIK_NUMPAD8, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6};
    for (int32_t i = 0; i < 4; ++i) {
        DDIDEX1.SetKeyAssign(0, i, arrows[i]);
        DDIDEX1.SetKeyAssign(1, i, keypad[i]);
    }
}

void TFormComponents::PlaySound(int32_t channel) {
    if (TDDSDChannel* c = DDSD1.Channel(channel)) c->Play();
}
