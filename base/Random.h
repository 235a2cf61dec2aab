#pragma once
// The game's one pseudo-random generator: uniform integers in [0, n).
// Deterministic for a given seed on every platform (the board generator's order of
// draws is part of the game, and tests replay boards by seed).
#include <cstdint>

class TRandom {
public:
    explicit TRandom(uint64_t seed = 0) { Randomize(seed); }
    void Randomize(uint64_t seed);
    // A uniform integer in [0, n); 0 when n <= 0.
    int32_t Random(int32_t n);
    uint32_t Next32();

private:
    uint64_t state_ = 0;
    uint64_t inc_ = 0;
};
