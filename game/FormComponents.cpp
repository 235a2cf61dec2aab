#include "game/FormComponents.h"

#include "base/Exception.h"
#include "base/Paths.h"
#include "input/Ddidex.h"
#include "input/DikCodes.h"

namespace {

template <typename T> T& Require(T* p, const char* what) {
    if (!p) throw Exception(std::string("the form needs ") + what);
    return *p;
}

template <class T> TOwned<T> Empty() {
    return TOwned<T>(nullptr, [](T*) {});
}

} // namespace

TFormComponents::TFormComponents(std::string exeDir, TFormPlatform platform)
    : DG(MakeDG(Require(platform.Owner, "the graphics device's owner"))),
      DDSD1(MakeDDSD(std::move(platform.AudioOutput))),
      DDIDEX1(MakeDDIDEX(Require(platform.Input, "an input backend"))), Waves{Empty<TDDSDWaveData>(),
                                                                              Empty<TDDSDWaveData>(),
                                                                              Empty<TDDSDWaveData>(),
                                                                              Empty<TDDSDWaveData>(),
                                                                              Empty<TDDSDWaveData>()},
      HamsterTex{Empty<TDGTexture>(), Empty<TDGTexture>(), Empty<TDGTexture>(), Empty<TDGTexture>()},
      FoodTex(Empty<TDGTexture>()), exeDir_(std::move(exeDir)) {}

// The pictures go before the device and the waves before the sound component.
TFormComponents::~TFormComponents() {
    ReleasePictures();
    for (auto& wave : Waves) wave.reset();
}

std::string TFormComponents::ArchivePath() const {
    return DataPath(exeDir_, "Data\\data.qda");
}

void TFormComponents::Loaded() {
    LoadGraphics();
    LoadSounds();
    LoadKeys();
}

TOwned<TDDIDEX> TFormComponents::MakeDDIDEX(IInputBackend& input) {
    auto* component = new TDDIDEX(input);
    component->SetDebugOption(dioHaltOnError);
    return TOwned<TDDIDEX>(component, [](TDDIDEX* p) { delete p; });
}

void TFormComponents::LoadKeys() {
    DDIDEX1->Loaded();
    const int32_t arrows[4] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
    const int32_t keypad[4] = {DIK_NUMPAD8, DIK_NUMPAD2, DIK_NUMPAD4, DIK_NUMPAD6};
    for (int32_t i = 0; i < 4; ++i) {
        DDIDEX1->SetKeyAssign(0, i, arrows[i]);
        DDIDEX1->SetKeyAssign(1, i, keypad[i]);
    }
}

void TFormComponents::PollKeyboard() {
    DDIDEX1->Update(0);
}

bool TFormComponents::ButtonDown(int32_t button) const {
    return DDIDEX1->Button(button);
}
