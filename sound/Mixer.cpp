#include "sound/Mixer.h"

#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
using Clock = std::chrono::steady_clock;

void RaiseTo(std::atomic<uint64_t>& value, uint64_t v) {
    uint64_t old = value.load(std::memory_order_relaxed);
    while (v > old && !value.compare_exchange_weak(old, v, std::memory_order_relaxed)) {
    }
}
} // namespace

TMixer::TMixer(uint32_t rate)
    : rate_(rate == 0 ? kDefaultRate : rate), scratch_(2 * kChunkFrames),
      effects_(2 * kChunkFrames), gains_{TRampedGain(rate_), TRampedGain(rate_), TRampedGain(rate_)} {}

TMixer::~TMixer() {
    StopDecoder();
}

std::unique_lock<std::mutex> TMixer::ControlLock(std::mutex& m) {
    std::unique_lock<std::mutex> lock(m, std::try_to_lock);
    if (lock.owns_lock()) return lock;
    const auto start = Clock::now();
    lock.lock();
    RaiseTo(longestWaitNs_,
            static_cast<uint64_t>(
                std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count()));
    return lock;
}

void TMixer::Add(IVoice* voice) {
    auto lock = ControlLock();
    if (std::find(voices_.begin(), voices_.end(), voice) == voices_.end()) voices_.push_back(voice);
}

void TMixer::Remove(IVoice* voice) {
    auto lock = ControlLock();
    voices_.erase(std::remove(voices_.begin(), voices_.end(), voice), voices_.end());
}

size_t TMixer::VoiceCount() {
    auto lock = ControlLock();
    return voices_.size();
}

void TMixer::AddProducer(IProducer* producer) {
    std::lock_guard<std::mutex> lock(producersMutex_);
    producers_.push_back(producer);
}

// Waits for a pass of the decoder that may be running this producer.
void TMixer::RemoveProducer(IProducer* producer) {
    std::lock_guard<std::mutex> lock(producersMutex_);
    producers_.erase(std::remove(producers_.begin(), producers_.end(), producer), producers_.end());
}

void TMixer::ProduceAll() {
    std::lock_guard<std::mutex> lock(producersMutex_);
    for (IProducer* p : producers_) p->Produce();
}

void TMixer::StartDecoder() {
    if (decoder_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        quit_ = false;
    }
    decoding_ = true;
    decoder_ = std::thread([this] { DecoderLoop(); });
}

void TMixer::StopDecoder() {
    if (!decoder_.joinable()) return;
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        quit_ = true;
    }
    wake_.notify_one();
    decoder_.join();
    decoding_ = false;
}

void TMixer::WakeDecoder() {
    {
        std::lock_guard<std::mutex> lock(wakeMutex_);
        woken_ = true;
    }
    wake_.notify_one();
}

// A pass every 10 ms keeps each ring (about 170 ms of music) nearly full; a voice that
// starts asks for one at once.
void TMixer::DecoderLoop() {
    std::unique_lock<std::mutex> lock(wakeMutex_);
    while (!quit_) {
        woken_ = false;
        lock.unlock();
        const auto start = Clock::now();
        ProduceAll();
        decoderTimes_.Record(static_cast<uint64_t>(
            std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - start).count()));
        lock.lock();
        wake_.wait_for(lock, std::chrono::milliseconds(10), [this] { return quit_ || woken_; });
    }
}

void TMixer::SetGain(TGainControl control, float gain) {
    gainTargets_[static_cast<size_t>(control)].store(std::clamp(gain, 0.0f, 1.0f), std::memory_order_relaxed);
}

float TMixer::Gain(TGainControl control) const {
    return gainTargets_[static_cast<size_t>(control)].load(std::memory_order_relaxed);
}

// While the music and the effects are at one gain (always, unless the game sets them
// apart), every voice goes into one sum as it always did: at the full gains the mix is
// the sum itself, sample for sample.
void TMixer::MixChunk(uint32_t frames) {
    auto& master = gains_[static_cast<size_t>(TGainControl::Master)];
    auto& music = gains_[static_cast<size_t>(TGainControl::Music)];
    auto& effects = gains_[static_cast<size_t>(TGainControl::Effects)];
    master.MoveTo(Muted() ? 0.0f : Gain(TGainControl::Master));
    music.MoveTo(Gain(TGainControl::Music));
    effects.MoveTo(Gain(TGainControl::Effects));
    const bool together = music.Steady() && effects.Steady() && music.Value() == effects.Value();
    std::fill(scratch_.begin(), scratch_.begin() + 2 * frames, 0.0f);
    if (together) {
        for (IVoice* v : voices_) v->MixInto(scratch_.data(), frames, rate_);
        if (master.Steady() && master.Value() == 1.0f && music.Value() == 1.0f) return;
    } else {
        std::fill(effects_.begin(), effects_.begin() + 2 * frames, 0.0f);
        for (IVoice* v : voices_)
            v->MixInto(v->Group() == TSoundGroup::Music ? scratch_.data() : effects_.data(), frames, rate_);
    }
    ApplyGains(frames);
}

// Adding +0 makes every silent sample +0: at a gain of 0 the output is zero bit for bit.
void TMixer::ApplyGains(uint32_t frames) {
    auto& master = gains_[static_cast<size_t>(TGainControl::Master)];
    auto& music = gains_[static_cast<size_t>(TGainControl::Music)];
    auto& effects = gains_[static_cast<size_t>(TGainControl::Effects)];
    const bool together = music.Steady() && effects.Steady() && music.Value() == effects.Value();
    for (uint32_t i = 0; i < frames; ++i) {
        const float m = master.Next();
        const float gm = music.Next();
        const float ge = effects.Next();
        for (uint32_t c = 2 * i; c < 2 * i + 2; ++c) {
            const float sum = together ? scratch_[c] * gm : scratch_[c] * gm + effects_[c] * ge;
            scratch_[c] = sum * m + 0.0f;
        }
    }
}

template <typename Write> void TMixer::Mix(uint32_t frames, Write write) {
    while (frames > 0) {
        const uint32_t n = std::min(frames, kChunkFrames);
        // Pulled without a decoder thread: decode here, outside the lock.
        if (!decoding_.load(std::memory_order_relaxed)) ProduceAll();
        std::lock_guard<std::mutex> lock(mutex_);
        MixChunk(n);
        write(n);
        frames -= n;
    }
}

void TMixer::MixFloat(float* out, uint32_t frames) {
    Mix(frames, [&](uint32_t n) {
        for (uint32_t i = 0; i < 2 * n; ++i) out[i] = std::clamp(scratch_[i], -1.0f, 1.0f);
        out += 2 * n;
    });
}

void TMixer::MixS16(int16_t* out, uint32_t frames) {
    Mix(frames, [&](uint32_t n) {
        for (uint32_t i = 0; i < 2 * n; ++i) {
            const float s = std::clamp(scratch_[i], -1.0f, 1.0f) * 32767.0f;
            out[i] = static_cast<int16_t>(std::lrint(s));
        }
        out += 2 * n;
    });
}

void TDurationLog::Record(uint64_t ns) {
    steps_[std::min<size_t>(static_cast<size_t>(ns / 1000), kSteps - 1)].fetch_add(1,
                                                                                   std::memory_order_relaxed);
    RaiseTo(worstNs_, ns);
}

uint64_t TDurationLog::Count() const {
    uint64_t n = 0;
    for (const auto& step : steps_) n += step.load(std::memory_order_relaxed);
    return n;
}

double TDurationLog::MedianUs() const {
    const uint64_t n = Count();
    uint64_t seen = 0;
    for (size_t i = 0; i < kSteps && n > 0; ++i) {
        seen += steps_[i].load(std::memory_order_relaxed);
        if (2 * seen >= n) return static_cast<double>(i) + 0.5;
    }
    return 0;
}

void TMixer::RecordCallback(uint64_t ns) {
    callbackTimes_.Record(ns);
}

TMixerStats TMixer::Stats() const {
    TMixerStats s;
    s.Callbacks = callbackTimes_.Count();
    s.MedianCallbackUs = callbackTimes_.MedianUs();
    s.WorstCallbackUs = callbackTimes_.WorstUs();
    s.DecoderPasses = decoderTimes_.Count();
    s.MedianDecoderPassUs = decoderTimes_.MedianUs();
    s.WorstDecoderPassUs = decoderTimes_.WorstUs();
    s.Underruns = underruns_.load();
    s.LongestControlWaitUs = static_cast<double>(longestWaitNs_.load()) / 1000.0;
    return s;
}

TVoiceLink::TVoiceLink(std::shared_ptr<TMixer> mixer, IVoice* voice, IProducer* producer)
    : mixer_(std::move(mixer)), voice_(voice), producer_(producer) {
    mixer_->Add(voice_);
    if (producer_) mixer_->AddProducer(producer_);
}

TVoiceLink::~TVoiceLink() {
    if (producer_) mixer_->RemoveProducer(producer_);
    mixer_->Remove(voice_);
}
