#pragma once
// A single-producer, single-consumer ring of interleaved stereo float frames: music is
// decoded into it ahead of time on one thread and taken out by the audio thread without
// a lock. Positions count frames since the last Reset and only grow.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

class TFrameRing {
public:
    // Holds at least `frames` frames (rounded up to a power of two).
    explicit TFrameRing(size_t frames);
    TFrameRing(const TFrameRing&) = delete;
    TFrameRing& operator=(const TFrameRing&) = delete;

    size_t Capacity() const { return mask_ + 1; }

    // The producer's side: frames that fit, and writing up to that many (the count written).
    // `last` marks the end of the stream after them: the mark and the frames are published
    // in one store, so that a reader never takes the last frames without seeing the end.
    size_t Room() const;
    size_t Write(const float* stereo, size_t frames, bool last = false);
    uint64_t WritePosition() const { return write_.load(std::memory_order_acquire) & kPositionMask; }

    // The consumer's side: frames ready, and reading up to that many (the count read).
    size_t Available() const;
    size_t Read(float* stereo, size_t frames);
    uint64_t ReadPosition() const { return read_.load(std::memory_order_acquire); }
    // Every frame before the end mark has been read.
    bool Drained() const;
    // The end mark has been written.
    bool EndWritten() const { return (write_.load(std::memory_order_acquire) & kEndMark) != 0; }

    // Empties the ring; neither side may use it meanwhile.
    void Reset();

private:
    static constexpr uint64_t kEndMark = uint64_t{1} << 63;
    static constexpr uint64_t kPositionMask = kEndMark - 1;

    std::vector<float> data_;
    size_t mask_;
    std::atomic<uint64_t> write_{0}; // the position, and the end mark in its top bit
    std::atomic<uint64_t> read_{0};
};
