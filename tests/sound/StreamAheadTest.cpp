// Music decoded ahead of the mix: the ring between the decoder and the audio thread,
// and a stream voice whose decoder falls behind.
#include "sound/FrameRing.h"
#include "sound/StreamVoice.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>

TEST(FrameRing, WrapsAroundKeepingTheOrderAndNeverOverrunsEitherSide) {
    TFrameRing ring(5);
    EXPECT_EQ(ring.Capacity(), 8u);
    std::vector<float> in(2 * 16), out(2 * 16, -1.0f);
    for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<float>(i);
    EXPECT_EQ(ring.Write(in.data(), 6), 6u);
    EXPECT_EQ(ring.Read(out.data(), 4), 4u);
    EXPECT_EQ(ring.Room(), 6u);
    // Across the end of the storage, and no further than there is room.
    EXPECT_EQ(ring.Write(in.data() + 12, 9), 6u);
    EXPECT_EQ(ring.Room(), 0u);
    EXPECT_EQ(ring.Available(), 8u);
    EXPECT_EQ(ring.Read(out.data(), 16), 8u);
    const std::vector<float> expected{8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23};
    EXPECT_EQ(std::vector<float>(out.begin(), out.begin() + 16), expected);
    EXPECT_EQ(ring.Read(out.data(), 1), 0u);
    EXPECT_EQ(ring.ReadPosition(), 12u);
    EXPECT_EQ(ring.WritePosition(), 12u);
    ring.Reset();
    EXPECT_EQ(ring.Room(), 8u);
    EXPECT_EQ(ring.ReadPosition(), 0u);
    // The end is published with the last frames: a reader that has taken them sees it.
    EXPECT_EQ(ring.Write(in.data(), 3, true), 3u);
    EXPECT_TRUE(ring.EndWritten());
    EXPECT_EQ(ring.WritePosition(), 3u);
    EXPECT_EQ(ring.Room(), 5u);
    EXPECT_EQ(ring.Read(out.data(), 2), 2u);
    EXPECT_FALSE(ring.Drained());
    EXPECT_EQ(ring.Read(out.data(), 2), 1u);
    EXPECT_TRUE(ring.Drained());
    ring.Reset();
    EXPECT_FALSE(ring.EndWritten());
    // Frames that did not all fit are not the end.
    EXPECT_EQ(ring.Write(in.data(), 12, true), 8u);
    EXPECT_FALSE(ring.EndWritten());
}

namespace {
// A ramp that stops in the middle of a read at frame `gate` until it is let go, as a
// decoder stuck on a slow disk would.
class GatedSource : public IStreamSource {
public:
    explicit GatedSource(size_t gate) : gate_(gate) {}
    uint32_t Rate() const override { return 1000; }
    size_t Read(float* out, size_t frames) override {
        std::unique_lock<std::mutex> lock(mutex_);
        ++reads_;
        changed_.notify_all();
        if (next_ >= gate_) {
            waiting_ = true;
            changed_.notify_all();
            changed_.wait(lock, [this] { return open_; });
        }
        for (size_t n = 0; n < frames; ++n, ++next_) out[2 * n] = out[2 * n + 1] = Value(next_);
        return frames;
    }
    bool Rewind() override { return false; }
    static float Value(size_t frame) { return static_cast<float>(frame) * 1e-5f; }
    // Waits until the decoder is stuck at the gate; lets it go; waits until it has begun
    // `reads` reads (so that the frames of the read before are in the ring).
    void AwaitStuck() {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [this] { return waiting_; });
    }
    void Open() {
        std::lock_guard<std::mutex> lock(mutex_);
        open_ = true;
        changed_.notify_all();
    }
    void AwaitReads(size_t reads) {
        std::unique_lock<std::mutex> lock(mutex_);
        changed_.wait_for(lock, std::chrono::seconds(10), [&] { return reads_ >= reads; });
    }

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    size_t gate_;
    size_t next_ = 0;
    size_t reads_ = 0;
    bool waiting_ = false;
    bool open_ = false;
};
} // namespace

// The mix never waits for a decoder stuck in a read: it plays what is ready, is silent
// for the rest of the pass, counts the underrun and goes on where it stopped.
TEST(StreamVoice, ADecoderThatFallsBehindCostsSilenceNotAWaitNorAFrame) {
    auto mixer = std::make_shared<TMixer>(1000);
    TStreamVoice voice(mixer);
    auto owned = std::make_unique<GatedSource>(4096);
    GatedSource& source = *owned;
    voice.SetSource(std::move(owned));
    mixer->StartDecoder();
    voice.Start();
    source.AwaitStuck();
    std::vector<float> out(2 * 5000);
    mixer->MixFloat(out.data(), 5000);
    // Frame 4095 needs 4096 to interpolate towards: the pass stops before it.
    for (size_t i = 0; i < 4095; ++i) ASSERT_FLOAT_EQ(out[2 * i], GatedSource::Value(i)) << i;
    for (size_t i = 4095; i < 5000; ++i) ASSERT_EQ(out[2 * i], 0.0f) << i;
    EXPECT_EQ(mixer->Stats().Underruns, 2u); // the last two passes of 1024 frames
    EXPECT_TRUE(voice.Playing());
    EXPECT_FALSE(voice.Ended());
    source.Open();
    source.AwaitReads(11); // reads 9 and 10 (frames 4096 to 5119) are in the ring
    mixer->MixFloat(out.data(), 1000);
    for (size_t i = 0; i < 1000; ++i) ASSERT_FLOAT_EQ(out[2 * i], GatedSource::Value(4095 + i)) << i;
    EXPECT_EQ(mixer->Stats().Underruns, 2u);
    mixer->StopDecoder();
}

TEST(Mixer, CallbackTimesGiveTheMedianAndTheWorst) {
    TMixer mixer;
    EXPECT_EQ(mixer.Stats().Callbacks, 0u);
    for (uint64_t ns : {3200u, 3900u, 2100u, 9000u, 3300u}) mixer.RecordCallback(ns);
    const TMixerStats s = mixer.Stats();
    EXPECT_EQ(s.Callbacks, 5u);
    EXPECT_DOUBLE_EQ(s.MedianCallbackUs, 3.5); // the 3 us step
    EXPECT_DOUBLE_EQ(s.WorstCallbackUs, 9.0);
}
