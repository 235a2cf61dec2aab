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
      FoodTex(Empty<TDGTexture>()), exeDir_(std::move(exeDir)), arrowKeys_{{{DIK_UP, DIK_NUMPAD8},
                                                                            {DIK_DOWN, DIK_NUMPAD2},
                                                                            {DIK_LEFT, DIK_NUMPAD4},
                                                                            {DIK_RIGHT, DIK_NUMPAD6}}} {}

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
    AssignArrowKeys(arrowKeys_);
}

void TFormComponents::AssignArrowKeys(const TArrowKeys& keys) {
    arrowKeys_ = keys;
    for (int32_t i = 0; i < 4; ++i)
        for (int32_t set = 0; set < 2; ++set)
            DDIDEX1->SetKeyAssign(set, i, keys[static_cast<size_t>(i)][static_cast<size_t>(set)]);
}

void TFormComponents::PollKeyboard() {
    DDIDEX1->Update(0);
}

bool TFormComponents::ButtonDown(int32_t button) const {
    return DDIDEX1->Button(button);
}
