// The player's settings: the bindings of the actions, mute, and the notice that shows a
// change for a second in the help line's place.
#include "base/Exception.h"
#include "base/Translate.h"
#include "game/Unit1.h"

namespace {

constexpr uint32_t NoticeTime = 1000;

} // namespace

void TForm1::ApplySettings(const TGameSettings& settings) {
    Settings = settings;
    TFormComponents::TArrowKeys arrows{};
    for (int i = 0; i < 4; ++i)
        arrows[static_cast<size_t>(i)] = Settings.Keys.Of(static_cast<TAction>(i)).Keys;
    Components.AssignArrowKeys(arrows);
    ApplySoundLevels(Settings.Sound);
}

void TForm1::ApplySoundLevels(const TSoundOptions& sound) {
    Components.SetSoundLevels(sound.Master, sound.Music, sound.Effects, sound.Muted);
}

void TForm1::WriteSettings() {
    WriteGameSettings(UserDir + "Settei.ini", Settings, UserFileToRead("Settei.ini"));
}

void TForm1::ActionDown(TAction action) {
    if (InputHeld) return; // a folder scan lets no key through
    uint16_t key = 0;
    switch (action) {
    case TAction::Confirm:
        key = VK_RETURN;
        break;
    case TAction::Turn:
        key = VK_SPACE;
        break;
    case TAction::Mute:
        ToggleMute();
        return;
    default:
        return;
    }
    FormKeyDown(key);
}

void TForm1::ToggleMute() {
    Settings.Sound.Muted = !Settings.Sound.Muted;
    ApplySoundLevels(Settings.Sound);
    Texts.Set(TStatusText::Notice, Settings.Sound.Muted ? Tr("消音") : Tr("消音解除"));
    NoticeOn_ = true;
    NoticeStart_ = MusicClock().Now();
    try {
        WriteSettings();
    } catch (const Exception& e) {
        Host.ShowMessage(e.Message());
    }
}

void TForm1::StepNotice() {
    // Timed by the music's clock: the notice goes while play is paused too.
    if (NoticeOn_ && Elapsed(MusicClock().Now(), NoticeStart_, NoticeTime)) NoticeOn_ = false;
}
