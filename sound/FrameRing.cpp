#include "sound/FrameRing.h"

#include <algorithm>
#include <cstring>

namespace {
size_t PowerOfTwoAtLeast(size_t n) {
    size_t p = 1;
    while (p < n) p <<= 1;
    return p;
}
} // namespace

TFrameRing::TFrameRing(size_t frames) : data_(2 * PowerOfTwoAtLeast(std::max<size_t>(frames, 1))) {
    mask_ = data_.size() / 2 - 1;
}

size_t TFrameRing::Room() const {
    const uint64_t used =
        (write_.load(std::memory_order_relaxed) & kPositionMask) - read_.load(std::memory_order_acquire);
    return Capacity() - static_cast<size_t>(used);
}

size_t TFrameRing::Available() const {
    return static_cast<size_t>((write_.load(std::memory_order_acquire) & kPositionMask) -
                               read_.load(std::memory_order_relaxed));
}

size_t TFrameRing::Write(const float* stereo, size_t frames, bool last) {
    const uint64_t at = write_.load(std::memory_order_relaxed) & kPositionMask;
    const size_t n = std::min(frames, Room());
    const size_t start = static_cast<size_t>(at) & mask_;
    const size_t first = std::min(n, Capacity() - start);
    std::memcpy(data_.data() + 2 * start, stereo, 2 * first * sizeof(float));
    std::memcpy(data_.data(), stereo + 2 * first, 2 * (n - first) * sizeof(float));
    // The frames before the position, and the end after them.
    write_.store((at + n) | (last && n == frames ? kEndMark : 0), std::memory_order_release);
    return n;
}

size_t TFrameRing::Read(float* stereo, size_t frames) {
    const uint64_t at = read_.load(std::memory_order_relaxed);
    const size_t n = std::min(frames, Available());
    const size_t start = static_cast<size_t>(at) & mask_;
    const size_t first = std::min(n, Capacity() - start);
    std::memcpy(stereo, data_.data() + 2 * start, 2 * first * sizeof(float));
    std::memcpy(stereo + 2 * first, data_.data(), 2 * (n - first) * sizeof(float));
    read_.store(at + n, std::memory_order_release); // the room after the frames read
    return n;
}

bool TFrameRing::Drained() const {
    const uint64_t written = write_.load(std::memory_order_acquire);
    return (written & kEndMark) != 0 && read_.load(std::memory_order_relaxed) >= (written & kPositionMask);
}

void TFrameRing::Reset() {
    write_.store(0, std::memory_order_relaxed);
    read_.store(0, std::memory_order_relaxed);
}
