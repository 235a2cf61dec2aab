#pragma once
// The MIDI player over FluidSynth: a synthesiser with a General MIDI soundfont renders
// into a streaming voice of the game's mixer, and a FluidSynth player, timed by the
// rendered samples, feeds it the file. The soundfont is loaded once, at the first Open
// (it takes a while), never in the constructor.
#include "music/MidiPlayer.h"
#include "sound/Mixer.h"
#include "sound/StreamVoice.h"

#include <memory>
#include <string>
#include <vector>

struct _fluid_hashtable_t;
struct _fluid_synth_t;
struct _fluid_player_t;
class TFluidSource;

class TFluidMidiPlayer : public IMidiPlayer {
public:
    explicit TFluidMidiPlayer(std::shared_ptr<TMixer> mixer);
    ~TFluidMidiPlayer() override;
    TFluidMidiPlayer(const TFluidMidiPlayer&) = delete;
    TFluidMidiPlayer& operator=(const TFluidMidiPlayer&) = delete;

    const std::string& FileName() const override { return fileName_; }
    void SetFileName(const std::string& fileName) override { fileName_ = fileName; }
    void Open() override;
    void Close() override;
    void Play() override;
    void Stop() override;
    void SetPosition(int32_t ticks) override;
    TMPModes Mode() override;
    void SetLooping(bool looping) override;

    // The soundfont to load (before the first Open); empty: DefaultSoundFont().
    void SetSoundFontPath(const std::string& path) { soundFontPath_ = path; }
    // The first of the system's General MIDI soundfonts that exists, or "".
    static std::string DefaultSoundFont();
    // How long loading the soundfont took (0 before it was loaded).
    double SoundFontLoadMilliseconds() const { return loadMs_; }
    // The synthesiser renders into the mix (from Play until Stop, Close or a seek).
    bool Rendering();

private:
    void EnsureSynth();
    void RequireOpen() const;
    void NewPlayer(); // the voice's source lock held

    std::shared_ptr<TMixer> mixer_;
    std::string fileName_;
    std::string soundFontPath_;
    std::vector<uint8_t> midi_; // the open file's bytes
    bool open_ = false;
    bool stopped_ = true; // since Stop, a seek or opening, until Play
    bool looping_ = false;
    double loadMs_ = 0;
    _fluid_hashtable_t* settings_ = nullptr;
    _fluid_synth_t* synth_ = nullptr;
    _fluid_player_t* player_ = nullptr;
    std::unique_ptr<TStreamVoice> voice_; // made with the synth; leaves the mix first
    TFluidSource* source_ = nullptr;      // the voice's source
};
