#include "base/Random.h"

// PCG32 (XSH RR): small state, good statistics, the same stream everywhere.
void TRandom::Randomize(uint64_t seed) {
    state_ = 0;
    inc_ = (seed << 1u) | 1u;
    Next32();
    state_ += 0x853c49e6748fea9bULL ^ seed;
    Next32();
}

uint32_t TRandom::Next32() {
    const uint64_t old = state_;
    state_ = old * 6364136223846793005ULL + inc_;
    const auto xorshifted = static_cast<uint32_t>(((old >> 18u) ^ old) >> 27u);
    const auto rot = static_cast<uint32_t>(old >> 59u);
    return (xorshifted >> rot) | (xorshifted << ((32u - rot) & 31u));
}

int32_t TRandom::Random(int32_t n) {
    if (n <= 0) return 0;
    // Lemire's unbiased multiply-and-reject.
    const auto range = static_cast<uint32_t>(n);
    uint64_t m = static_cast<uint64_t>(Next32()) * range;
    auto low = static_cast<uint32_t>(m);
    if (low < range) {
        const uint32_t threshold = (0u - range) % range;
        while (low < threshold) {
            m = static_cast<uint64_t>(Next32()) * range;
            low = static_cast<uint32_t>(m);
        }
    }
    return static_cast<int32_t>(m >> 32u);
}
