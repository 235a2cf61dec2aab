#pragma once
// The loudness controls of the sound: where a voice's samples go in the mix, and the
// curve from a volume slider's percent to a gain.
#include <cstdint>

// The group a voice is mixed in: each has a gain of its own, and the master gain is
// over both.
enum class TSoundGroup : uint8_t { Music, Effects };

// A gain the game sets: the master one (over everything) or a group's.
enum class TGainControl : uint8_t { Master, Music, Effects };

// A slider's percent (clamped to 0..100) as a gain: 0 % is silence, 100 % is the
// level the sound was made at (1), and the steps between sound even to the ear — the
// square of the share, so that 50 % is a quarter (-12 dB).
float VolumeGain(int percent);
