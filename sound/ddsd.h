#pragma once
// The sound effects component: a fixed table of channels, waves loaded from WAV files
// into sound buffers, one wave bound to each channel and played from its start on
// demand. Its device work goes through TSoundDevice (a software mixer and an audio
// output); everything here — life cycle, channel table, WAV reading, binding rules,
// error reporting and the debug log — is the component's own.
#include "base/Exception.h"
#include "base/Stream.h"
#include "sound/Mixer.h"
#include "sound/SoundBuffer.h"
#include "sound/SoundDevice.h"
#include "sound/WaveFormat.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EDDSD : public Exception {
public:
    using Exception::Exception;
};

// TDDSDDebugOption as bit numbers of one byte.
enum TDDSDDebugOption : uint8_t {
    dsoHaltOnError = 1 << 0,
    dsoDebugMessage = 1 << 1,
    dsoExceptOnError = 1 << 2,
};
using TDDSDDebugOptions = uint8_t;

class TDDSD;
class TDDSDChannel;

// The 64-byte 3D parameters of one channel's buffer.
struct TDDSD3DBufferRecord {
    uint32_t dwSize = 64;
    TSoundVector vPosition;
    TSoundVector vVelocity;
    uint32_t dwInsideConeAngle = 360;
    uint32_t dwOutsideConeAngle = 360;
    TSoundVector vConeOrientation{0, 0, 1.0f};
    int32_t lConeOutsideVolume = 0;
    float flMinDistance = 5.0f;
    float flMaxDistance = 100.0f;
    uint32_t dwMode = 0; // normal
};
static_assert(sizeof(TDDSD3DBufferRecord) == 64, "3D buffer record layout");

class TDDSDParams3D {
public:
    TDDSD3DBufferRecord& Params() { return params_; }

private:
    TDDSD3DBufferRecord params_;
};

// Applies its record to the component's 3D listener when created.
class TDDSDListener {
public:
    explicit TDDSDListener(TSoundListener3D* listener3D);
    const TListenerRecord& Params() const { return params_; }

private:
    TListenerRecord params_;
};

class TDDSDGenWave {
public:
    virtual ~TDDSDGenWave();
    TDDSDGenWave(const TDDSDGenWave&) = delete;
    TDDSDGenWave& operator=(const TDDSDGenWave&) = delete;

    // The wave's own buffer with every sample; empty when loading stopped early or the
    // component has no device.
    const std::shared_ptr<TSoundBuffer>& SoundBuffer() const { return soundBuffer_; }
    const TWaveFormat& WaveFormat() const { return waveFormat_; }
    uint32_t DataSize() const { return dataSize_; }
    TDDSD* Owner() const { return owner_; }
    bool UseFX() const { return useFX_; }
    TDDSDChannel* SharedBy() const { return sharedBy_; }
    // The file name and why it has no buffer ("" when it has one or was never loaded).
    const std::string& FileName() const { return fileName_; }
    const std::string& LoadError() const { return loadError_; }

protected:
    explicit TDDSDGenWave(TDDSD* owner) : owner_(owner) {}

    std::shared_ptr<TSoundBuffer> soundBuffer_;
    TWaveFormat waveFormat_;
    uint32_t dataSize_ = 0;
    TDDSD* owner_;
    bool useFX_ = false;
    TDDSDChannel* sharedBy_ = nullptr;
    std::string fileName_;
    std::string loadError_;

    friend class TDDSDChannel;
};

class TDDSDWaveData : public TDDSDGenWave {
public:
    // Loads the WAV file FileName (the name is used unchanged in the messages).
    TDDSDWaveData(TDDSD* DDSD, const std::string& FileName, bool UseFX);
    // Loads a WAV image from a stream; FileName only names it in the messages.
    TDDSDWaveData(TDDSD* DDSD, const std::string& FileName, TStream& stream, bool UseFX);

private:
    void LoadWAV(TStream* stream);
    void LoadFailed(const std::string& message); // the whole message, the file named in it
    bool FillBuffer(TStream& stream, int64_t dataOffset);
};

class TDDSDChannel {
public:
    explicit TDDSDChannel(TDDSD* owner) : owner_(owner) {}
    ~TDDSDChannel();
    TDDSDChannel(const TDDSDChannel&) = delete;
    TDDSDChannel& operator=(const TDDSDChannel&) = delete;

    // Binds a wave (nullptr: none). An ordinary wave is duplicated, a UseFX wave shared.
    void setWaveData(TDDSDWaveData* Wave);
    // Restarts the bound sound from its first sample, once. Nothing without a wave.
    void Play();
    void Stop();

    TDDSD* Owner() const { return owner_; }
    const std::shared_ptr<TSoundBuffer>& SoundBuffer() const { return soundBuffer_; }
    // The bound wave, not owned (it stays set after the wave is freed; the channel
    // keeps playing its own duplicate).
    TDDSDWaveData* Wave() const { return wave_; }
    TDDSDParams3D& Params3D() { return params3D_; }

private:
    TDDSD* owner_;
    std::shared_ptr<TSoundBuffer> soundBuffer_;
    TDDSDWaveData* wave_ = nullptr;
    TDDSDParams3D params3D_;
};

class TDDSD {
public:
    using OutputFactory = std::function<std::unique_ptr<IAudioOutput>()>;

    // Property defaults only; the device work starts in Loaded().
    TDDSD();
    ~TDDSD();
    TDDSD(const TDDSD&) = delete;
    TDDSD& operator=(const TDDSD&) = delete;

    uint32_t ChannelCount() const { return channelCount_; }
    void SetChannelCount(uint32_t count) { channelCount_ = count < 1 ? 1 : count; }
    bool Use3D() const { return use3D_; }
    void SetUse3D(bool on) { use3D_ = on; }
    bool StickyFocus() const { return stickyFocus_; }
    void SetStickyFocus(bool on) { stickyFocus_ = on; }
    TDDSDDebugOptions DebugOption() const { return debugOption_; }
    void SetDebugOption(TDDSDDebugOptions options);
    // The owner window's native handle, for the cooperative level.
    void SetOwnerWindow(uintptr_t window) { ownerWindow_ = window; }
    // Makes the audio output at Initialize (default: the SDL2 audio device). A factory
    // returning nullptr, or an output that fails to open, leaves the component silent.
    void SetAudioOutputFactory(OutputFactory factory) { outputFactory_ = std::move(factory); }

    void Loaded();
    bool Initialize();
    // Channel `index` for 0 <= index < ChannelCount; otherwise the range message, the
    // halt (with the halt option), and nullptr.
    TDDSDChannel* Channel(int32_t index);

    bool Initialized() const { return initialized_; }
    TSoundDevice* Device() const { return device_.get(); }
    const std::shared_ptr<TSoundBuffer>& PrimaryBuffer() const { return primaryBuffer_; }
    TSoundListener3D* Listener3D() const { return listener3D_; }
    TDDSDListener* Listener() const { return listener_.get(); }
    // The mix every sound of the game goes into (music included). It exists from the
    // constructor on; without a device nothing pulls it and all stays silent.
    const std::shared_ptr<TMixer>& Mixer() const { return mixer_; }

    // The layer's error reporting (unit-wide, like its option flags and line count).
    static void WriteDebugLog(const std::string& Message);
    // A failed call's Message (marked with TrNoop where it is written) is logged and shown
    // in the player's language.
    static int32_t CheckResult(int32_t Code, const std::string& Message);
    // The folder of "DDSD_DebugLog.txt" (default: the program's folder).
    static void SetLogFolder(const std::string& folder);
    // Starts a new run of the log: the next line is 00001 and truncates the file.
    static void RestartLog();

private:
    void FreeChannels();
    void InitializeListener();

    uint32_t channelCount_ = 8;
    bool use3D_ = false;
    bool stickyFocus_ = true;
    TDDSDDebugOptions debugOption_ = 0;
    uintptr_t ownerWindow_ = 0;
    OutputFactory outputFactory_;
    std::shared_ptr<TMixer> mixer_;
    std::unique_ptr<TSoundDevice> device_;
    std::shared_ptr<TSoundBuffer> primaryBuffer_;
    TSoundListener3D* listener3D_ = nullptr;
    std::unique_ptr<TDDSDListener> listener_;
    std::vector<std::unique_ptr<TDDSDChannel>> channels_;
    bool initialized_ = false;
};
