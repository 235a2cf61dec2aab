#include "sound/ddsd.h"

#include "base/DebugLog.h"
#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Translate.h"
#include "sound/SdlAudioOutput.h"
#include "sound/WavReader.h"

namespace {
// Unit-wide state: the flags of the last DebugOption set and the log of this run.
bool HaltOnError = false;
bool DebugMessage = false;
bool ExceptOnError = false;
int32_t LogLineCount = 0;
std::string LogFolder;

TDebugLogFile& LogFile() {
    static TDebugLogFile file("");
    return file;
}

// Why the file `name` gives no sound, in the player's language.
std::string LoadErrorText(TWavError e, const TWaveFormat& f, const std::string& name) {
    const char* const file = name.c_str();
    switch (e) {
    case TWavError::NotWave:
        return Format(Tr("%sは、WAVEファイルではありません"), file);
    case TWavError::NoFmt:
        return Format(Tr("%sには、fmtチャンクが有りません"), file);
    case TWavError::BadFmt:
        return Format(Tr("%sのfmtチャンクが不正です"), file);
    case TWavError::NoData:
        return Format(Tr("%sには、dataチャンクが有りません"), file);
    case TWavError::Unplayable:
        return Format(Tr("%sは、再生できない形式です(形式%u, %uチャンネル, %uHz, %uビット)"), file,
                      f.wFormatTag, f.nChannels, f.nSamplesPerSec, f.wBitsPerSample);
    case TWavError::BadData:
        return Format(Tr("%sのdataチャンクが不正です"), file);
    case TWavError::None:
        break;
    }
    return name;
}
} // namespace

// ---- error reporting --------------------------------------------------------------

void TDDSD::WriteDebugLog(const std::string& Message) {
    if (DebugMessage) {
        ++LogLineCount;
        const std::string folder = LogFolder.empty() ? ExeDir() : LogFolder;
        LogFile().SetPath(DataPath(folder, "DDSD_DebugLog.txt"));
        if (!LogFile().WriteLine(Format("debug#%.5d ... %s", LogLineCount, Message.c_str())))
            throw EWriteError(Format(Tr("DDSD_DebugLog.txt に書き込めません: %s"), LogFile().Path().c_str()));
    }
    if (ExceptOnError) throw EDDSD(Message);
}

int32_t TDDSD::CheckResult(int32_t Code, const std::string& Message) {
    if (Code == 0) return 0;
    // The message is translated only when the call failed.
    // TRANSLATORS: a failure's message, then the device's error code in hexadecimal.
    const std::string line =
        Format(Tr("%s(Error Code(%X))"), Tr(Message).c_str(), static_cast<uint32_t>(Code));
    WriteDebugLog(line);
    // Stopping must not look like success: HaltProgram exits with status 1.
    if (HaltOnError) HaltProgram(line);
    return Code;
}

void TDDSD::SetLogFolder(const std::string& folder) {
    LogFolder = folder;
}

void TDDSD::RestartLog() {
    LogLineCount = 0;
    LogFile().Restart();
}

// ---- component ------------------------------------------------------------------

TDDSD::TDDSD()
    : outputFactory_([] { return std::make_unique<TSdlAudioOutput>(); }), mixer_(std::make_shared<TMixer>()) {
    SetDebugOption(dsoHaltOnError);
}

void TDDSD::SetDebugOption(TDDSDDebugOptions options) {
    debugOption_ = options;
    HaltOnError = (options & dsoHaltOnError) != 0;
    DebugMessage = (options & dsoDebugMessage) != 0;
    ExceptOnError = (options & dsoExceptOnError) != 0;
}

void TDDSD::Loaded() {
    SetDebugOption(debugOption_);
    Initialize();
}

void TDDSD::FreeChannels() {
    channels_.clear();
}

bool TDDSD::Initialize() {
    FreeChannels();
    for (uint32_t i = 0; i < channelCount_; ++i) channels_.push_back(std::make_unique<TDDSDChannel>(this));
    initialized_ = false;
    listener_.reset();
    listener3D_ = nullptr;
    primaryBuffer_.reset();
    device_.reset();
    std::unique_ptr<IAudioOutput> output = outputFactory_ ? outputFactory_() : nullptr;
    if (!output) return false;
    auto device = std::make_unique<TSoundDevice>(mixer_, std::move(output));
    if (device->Initialize() != SoundResult::Ok) return false;
    device_ = std::move(device);
    initialized_ = true;
    CheckResult(device_->SetCooperativeLevel(ownerWindow_, TCooperativeLevel::Priority),
                TrNoop("DirectSoundの協調レベルの設定に失敗しました"));
    TSoundBufferDesc desc;
    desc.dwFlags = SoundBufferFlags::Primary | (use3D_ ? SoundBufferFlags::Ctrl3D : 0);
    CheckResult(device_->CreateSoundBuffer(desc, &primaryBuffer_),
                TrNoop("一次バッファの作成に失敗しました"));
    if (use3D_) InitializeListener();
    return true;
}

void TDDSD::InitializeListener() {
    int32_t code = SoundResult::InvalidCall;
    if (primaryBuffer_) code = primaryBuffer_->QueryListener3D(&listener3D_);
    if (CheckResult(code, TrNoop("DirectSound3D Listenerの作成に失敗しました")) != 0) return;
    listener_.reset();
    listener_ = std::make_unique<TDDSDListener>(listener3D_);
}

TDDSDChannel* TDDSD::Channel(int32_t index) {
    if (index >= 0 && static_cast<uint32_t>(index) < channels_.size()) return channels_[index].get();
    // The range is the table's: ChannelCount changed without Initialize has no channels yet.
    const std::string message = Format(Tr("チャンネル番号%dは無効です、%d～%dの範囲で指定してください"),
                                       index, 0, static_cast<int32_t>(channels_.size()) - 1);
    WriteDebugLog(message);
    if (HaltOnError) HaltProgram(message);
    return nullptr;
}

TDDSD::~TDDSD() {
    // Channels first (each lets go of its buffer), then the listener, the listener
    // interface, the primary buffer and the device, in this order.
    FreeChannels();
    listener_.reset();
    if (!initialized_) return;
    listener3D_ = nullptr; // belongs to the primary buffer; nothing else holds it
    CheckResult(static_cast<int32_t>(ReleaseRef(primaryBuffer_)), TrNoop("一次バッファの解放に失敗しました"));
    // The component holds the only reference to its device, so releasing it leaves
    // none ("DirectSoundの解放に失敗しました" cannot arise here).
    device_.reset();
}

// ---- listener ---------------------------------------------------------------------

TDDSDListener::TDDSDListener(TSoundListener3D* listener3D) {
    const int32_t code = listener3D ? listener3D->SetAllParameters(params_) : SoundResult::InvalidParam;
    TDDSD::CheckResult(code, TrNoop("Listenerに指定されたパラメータが不適切です"));
}

// ---- waves ------------------------------------------------------------------------

TDDSDGenWave::~TDDSDGenWave() {
    // Channels bound to this wave keep their duplicates: the samples live on with them.
    soundBuffer_.reset();
}

TDDSDWaveData::TDDSDWaveData(TDDSD* DDSD, const std::string& FileName, bool UseFX) : TDDSDGenWave(DDSD) {
    useFX_ = UseFX;
    fileName_ = FileName;
    LoadWAV(nullptr);
}

TDDSDWaveData::TDDSDWaveData(TDDSD* DDSD, const std::string& FileName, TStream& stream, bool UseFX)
    : TDDSDGenWave(DDSD) {
    useFX_ = UseFX;
    fileName_ = FileName;
    LoadWAV(&stream);
}

void TDDSDWaveData::LoadFailed(const std::string& message) {
    loadError_ = message;
    // The game's settings log nothing; the reason still reaches standard error.
    if (!DebugMessage) ReportDiagnostic(loadError_);
    TDDSD::WriteDebugLog(loadError_);
}

void TDDSDWaveData::LoadWAV(TStream* stream) {
    soundBuffer_.reset();
    if (!owner_ || !owner_->Initialized()) return;
    std::unique_ptr<TFileStream> file;
    if (!stream) {
        try {
            file = std::make_unique<TFileStream>(fileName_, FileMode::OpenRead);
        } catch (const EStreamError&) {
            LoadFailed(Format(Tr("%sが、見つかりません"), fileName_.c_str()));
            return;
        }
        stream = file.get();
    }
    TWavLayout layout;
    const TWavError error = ReadWavLayout(*stream, layout);
    waveFormat_ = layout.format;
    if (error != TWavError::None) {
        LoadFailed(LoadErrorText(error, layout.format, fileName_));
        return;
    }
    dataSize_ = layout.dataSize;
    if (FillBuffer(*stream, layout.dataOffset)) {
        soundBuffer_->SetFrequency(waveFormat_.nSamplesPerSec);
    } else {
        soundBuffer_.reset();
        loadError_ = Format(Tr("%sのサウンドバッファを作れませんでした"), fileName_.c_str());
    }
}

bool TDDSDWaveData::FillBuffer(TStream& stream, int64_t dataOffset) {
    TSoundBufferDesc desc;
    desc.dwFlags = (useFX_ ? SoundBufferFlags::CtrlFX : 0) | SoundBufferFlags::CtrlVolume |
                   SoundBufferFlags::CtrlPan | SoundBufferFlags::CtrlFrequency |
                   (owner_->StickyFocus() ? SoundBufferFlags::StickyFocus : 0);
    desc.dwBufferBytes = dataSize_;
    desc.lpwfxFormat = &waveFormat_;
    std::shared_ptr<TSoundBuffer> buffer;
    if (TDDSD::CheckResult(owner_->Device()->CreateSoundBuffer(desc, &buffer),
                           TrNoop("サウンドバッファの作成に失敗しました")))
        return false;
    soundBuffer_ = buffer;
    void* p1 = nullptr;
    void* p2 = nullptr;
    uint32_t n1 = 0, n2 = 0;
    if (TDDSD::CheckResult(soundBuffer_->Lock(0, dataSize_, &p1, &n1, &p2, &n2),
                           TrNoop("LoadWAV中に、サウンドバッファのロックが失敗しました")))
        return false;
    // The chunk was checked to lie inside the file, so these reads are whole.
    stream.Seek(dataOffset, SeekOrigin::Begin);
    stream.Read(p1, n1);
    if (n2 > 0) stream.Read(p2, n2);
    return TDDSD::CheckResult(soundBuffer_->Unlock(p1, n1, p2, n2),
                              TrNoop("LoadWAV中に、サウンドバッファのアンロックが失敗しました")) == 0;
}

// ---- channels ---------------------------------------------------------------------

TDDSDChannel::~TDDSDChannel() {
    soundBuffer_.reset();
}

void TDDSDChannel::setWaveData(TDDSDWaveData* Wave) {
    if (!owner_->Initialized()) return;
    soundBuffer_.reset();
    if (!Wave) {
        wave_ = nullptr;
        return;
    }
    if (Wave->UseFX()) {
        soundBuffer_ = Wave->soundBuffer_;
        Wave->sharedBy_ = this;
    } else {
        std::string message = TrNoop("setWaveData サウンドバッファの複製に失敗しました");
        // Name the file that could not be loaded, so that the halt says what is missing.
        if (!Wave->soundBuffer_ && !Wave->LoadError().empty())
            message = Tr(message) + ": " + Wave->LoadError();
        std::shared_ptr<TSoundBuffer> copy;
        if (TDDSD::CheckResult(owner_->Device()->DuplicateSoundBuffer(Wave->soundBuffer_, &copy), message) ==
            0)
            soundBuffer_ = std::move(copy);
    }
    wave_ = Wave;
}

void TDDSDChannel::Play() {
    if (!soundBuffer_) return;
    soundBuffer_->SetCurrentPosition(0);
    soundBuffer_->Play(0, 0, 0);
}

void TDDSDChannel::Stop() {
    if (soundBuffer_) soundBuffer_->Stop();
}
