#include "music/FluidMidiPlayer.h"

#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Stream.h"
#include "base/Translate.h"

#include <fluidsynth.h>

#include <chrono>

// The synthesiser's output as a stream: it never ends; the player inside it decides
// what sounds. It is rendered ahead of the mix, so it keeps where in its output the
// piece's last tick was passed: the piece is over for the listener once the mix has
// taken that far.
class TFluidSource : public IStreamSource {
public:
    TFluidSource(fluid_synth_t* synth, uint32_t rate) : synth_(synth), rate_(rate) {}
    uint32_t Rate() const override { return rate_; }
    size_t Read(float* stereo, size_t frames) override {
        fluid_synth_write_float(synth_, static_cast<int>(frames), stereo, 0, 2, stereo, 1, 2);
        rendered_ += frames;
        if (player_ && endAt_ == kNoEnd) {
            const int total = fluid_player_get_total_ticks(player_);
            if (total > 0 && fluid_player_get_current_tick(player_) >= total) endAt_ = rendered_;
        }
        return frames;
    }
    bool Rewind() override { return true; }

    // A new player (or none) from the start of the output; the voice's ring is emptied
    // at the same time, so that both count from there.
    void Follow(fluid_player_t* player) {
        player_ = player;
        rendered_ = 0;
        endAt_ = kNoEnd;
    }
    // The mix has taken `taken` frames: has the last tick been heard?
    bool EndHeard(uint64_t taken) const { return endAt_ == kNoEnd || taken >= endAt_; }

private:
    static constexpr uint64_t kNoEnd = UINT64_MAX;
    fluid_synth_t* synth_;
    uint32_t rate_;
    fluid_player_t* player_ = nullptr;
    uint64_t rendered_ = 0;
    uint64_t endAt_ = kNoEnd;
};

namespace {
uint32_t BigEndian32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
           static_cast<uint32_t>(p[2]) << 8 | p[3];
}

// A standard MIDI file: an "MThd" header of at least 6 bytes with a track count and a
// time division, then a first "MTrk" chunk that lies inside the file.
bool LooksLikeMidi(const std::vector<uint8_t>& b) {
    if (b.size() < 14 || std::string(b.begin(), b.begin() + 4) != "MThd") return false;
    const uint64_t headerLength = BigEndian32(&b[4]);
    const unsigned tracks = b[10] << 8 | b[11];
    const unsigned division = b[12] << 8 | b[13];
    if (headerLength < 6 || tracks == 0 || division == 0) return false;
    const uint64_t track = 8 + headerLength;
    if (track + 8 > b.size() || std::string(b.begin() + track, b.begin() + track + 4) != "MTrk") return false;
    return track + 8 + BigEndian32(&b[track + 4]) <= b.size();
}

void QuietLog(int level, const char* message, void*) {
    if (level <= FLUID_ERR) ReportDiagnostic(std::string("fluidsynth: ") + message);
}
} // namespace

TFluidMidiPlayer::TFluidMidiPlayer(std::shared_ptr<TMixer> mixer) : mixer_(std::move(mixer)) {}

TFluidMidiPlayer::~TFluidMidiPlayer() {
    voice_.reset(); // out of the mix before the synthesiser goes
    if (player_) delete_fluid_player(player_);
    if (synth_) delete_fluid_synth(synth_);
    if (settings_) delete_fluid_settings(settings_);
}

std::string TFluidMidiPlayer::DefaultSoundFont() {
    for (const char* path : {"/usr/share/sounds/sf2/default-GM.sf2", "/usr/share/sounds/sf2/TimGM6mb.sf2",
                             "/usr/share/sounds/sf2/FluidR3_GM.sf2", "/usr/share/soundfonts/default.sf2"})
        if (FileExists(path)) return path;
    return "";
}

void TFluidMidiPlayer::EnsureSynth() {
    if (synth_) return;
    for (int level : {FLUID_PANIC, FLUID_ERR, FLUID_WARN, FLUID_INFO, FLUID_DBG})
        fluid_set_log_function(level, &QuietLog, nullptr);
    const std::string path = soundFontPath_.empty() ? DefaultSoundFont() : soundFontPath_;
    if (path.empty() || !FileExists(path))
        throw EMCIDeviceError(Format(Tr("%s を開けません: 音色ファイル (SoundFont) がありません %s"),
                                     fileName_.c_str(), path.c_str()));
    settings_ = new_fluid_settings();
    fluid_settings_setnum(settings_, "synth.sample-rate", mixer_->Rate());
    fluid_settings_setstr(settings_, "player.timing-source", "sample");
    fluid_settings_setint(settings_, "synth.lock-memory", 0);
    fluid_settings_setint(settings_, "synth.chorus.active", 0);
    // FluidSynth's default gain (0.2) leaves a tune far below the MP3 tracks.
    fluid_settings_setnum(settings_, "synth.gain", 0.5);
    // A loop goes on into the piece's start with its last notes still ringing.
    fluid_settings_setint(settings_, "player.reset-synth", 0);
    synth_ = new_fluid_synth(settings_);
    const auto start = std::chrono::steady_clock::now();
    const bool loaded = synth_ && fluid_synth_sfload(synth_, path.c_str(), 1) != FLUID_FAILED;
    loadMs_ = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    if (!loaded) {
        if (synth_) delete_fluid_synth(synth_);
        delete_fluid_settings(settings_);
        synth_ = nullptr;
        settings_ = nullptr;
        throw EMCIDeviceError(
            Format(Tr("%s を開けません: 音色ファイルを読めません %s"), fileName_.c_str(), path.c_str()));
    }
    voice_ = std::make_unique<TStreamVoice>(mixer_);
    auto source = std::make_unique<TFluidSource>(synth_, mixer_->Rate());
    source_ = source.get();
    voice_->SetSource(std::move(source));
}

void TFluidMidiPlayer::NewPlayer() {
    if (player_) delete_fluid_player(player_);
    fluid_synth_system_reset(synth_); // no notes or programs carried over
    player_ = new_fluid_player(synth_);
    fluid_player_add_mem(player_, midi_.data(), midi_.size());
    fluid_player_set_loop(player_, looping_ ? -1 : 1);
    voice_->DiscardAhead();
    source_->Follow(player_);
    stopped_ = true;
}

void TFluidMidiPlayer::Open() {
    Close();
    std::vector<uint8_t> bytes;
    try {
        bytes = ReadWholeFile(fileName_);
    } catch (const EStreamError&) {
        throw EMCIDeviceError(Format(Tr("%s を開けません: ファイルが見つかりません"), fileName_.c_str()));
    }
    if (!LooksLikeMidi(bytes))
        throw EMCIDeviceError(Format(Tr("%s を開けません: MIDI ファイルではありません"), fileName_.c_str()));
    EnsureSynth();
    auto lock = voice_->LockSource();
    midi_ = std::move(bytes);
    NewPlayer();
    open_ = true;
}

void TFluidMidiPlayer::Close() {
    if (!open_) return;
    voice_->Stop();
    auto lock = voice_->LockSource();
    source_->Follow(nullptr);
    delete_fluid_player(player_);
    player_ = nullptr;
    fluid_synth_all_sounds_off(synth_, -1);
    voice_->DiscardAhead();
    midi_.clear();
    open_ = false;
}

void TFluidMidiPlayer::SetLooping(bool looping) {
    looping_ = looping;
    if (!player_) return;
    auto lock = voice_->LockSource();
    fluid_player_set_loop(player_, looping_ ? -1 : 1);
}

bool TFluidMidiPlayer::Rendering() {
    return voice_ && voice_->Playing();
}

void TFluidMidiPlayer::RequireOpen() const {
    if (!open_) throw EMCIDeviceError(Tr(kNoMciDevice));
}

void TFluidMidiPlayer::Play() {
    RequireOpen();
    {
        auto lock = voice_->LockSource();
        fluid_player_play(player_);
        stopped_ = false;
    }
    voice_->Start();
}

// The synthesiser stops rendering, and what it rendered ahead is dropped: silent now,
// and the output's count starts again with the ring's, so that a resumed piece's end
// is heard when its last tick is.
void TFluidMidiPlayer::Stop() {
    if (!open_) return;
    voice_->Stop();
    auto lock = voice_->LockSource();
    fluid_player_stop(player_);
    fluid_synth_all_sounds_off(synth_, -1);
    voice_->DiscardAhead();
    source_->Follow(player_);
    stopped_ = true;
}

void TFluidMidiPlayer::SetPosition(int32_t ticks) {
    if (!open_) return;
    voice_->Stop();
    auto lock = voice_->LockSource();
    NewPlayer();
    if (ticks > 0) fluid_player_seek(player_, ticks);
}

TMPModes TFluidMidiPlayer::Mode() {
    if (!open_) return TMPModes::mpNotReady;
    auto lock = voice_->LockSource();
    // A stopped player may still say it plays until the synthesiser next renders; a
    // looping one plays until it is stopped.
    if (stopped_) return TMPModes::mpStopped;
    if (looping_) return TMPModes::mpPlaying;
    const int status = fluid_player_get_status(player_);
    if (status == FLUID_PLAYER_PLAYING) {
        // The player lingers for a grace time after the last event so notes can fade;
        // the piece itself is over once its last tick has passed (0 total: not loaded yet).
        const int total = fluid_player_get_total_ticks(player_);
        if (total <= 0 || fluid_player_get_current_tick(player_) < total) return TMPModes::mpPlaying;
    } else if (status != FLUID_PLAYER_DONE) {
        return TMPModes::mpStopped;
    }
    // Rendered past the end: over once the listener has heard that far.
    return source_->EndHeard(voice_->FramesTaken()) ? TMPModes::mpStopped : TMPModes::mpPlaying;
}
