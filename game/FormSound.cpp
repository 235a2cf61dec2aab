// The sound component's part of the form's components.
#include "game/FormComponents.h"

#include "base/Paths.h"
#include "sound/ddsd.h"

namespace {

const char* const WaveFiles[5] = {"Data\\cat.wav", "Data\\Fall.wav", "Data\\HitCat.wav", "Data\\get.wav",
                                  "Data\\apple.wav"};

} // namespace

TOwned<TDDSD> TFormComponents::MakeDDSD(std::function<std::unique_ptr<IAudioOutput>()> output) {
    auto* component = new TDDSD();
    component->SetDebugOption(dsoHaltOnError);
    if (output) component->SetAudioOutputFactory(std::move(output));
    return TOwned<TDDSD>(component, [](TDDSD* p) { delete p; });
}

void TFormComponents::LoadSounds() {
    DDSD1->Loaded();
    for (size_t i = 0; i < Waves.size(); ++i)
        Waves[i] =
            TOwned<TDDSDWaveData>(new TDDSDWaveData(DDSD1.get(), DataPath(exeDir_, WaveFiles[i]), false),
                                  [](TDDSDWaveData* p) { delete p; });
    for (size_t i = 0; i < Waves.size(); ++i)
        DDSD1->Channel(static_cast<int32_t>(i))->setWaveData(Waves[i].get());
}

void TFormComponents::PlaySound(int32_t channel) {
    if (TDDSDChannel* c = DDSD1->Channel(channel)) c->Play();
}

void TFormComponents::SetSoundLevels(int32_t master, int32_t music, int32_t effects, bool muted) {
    TMixer& mixer = *DDSD1->Mixer();
    mixer.SetGain(TGainControl::Master, VolumeGain(master));
    mixer.SetGain(TGainControl::Music, VolumeGain(music));
    mixer.SetGain(TGainControl::Effects, VolumeGain(effects));
    mixer.SetMuted(muted);
}
