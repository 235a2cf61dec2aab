#pragma once
// What SDL's "disk" audio driver wrote for the program. The program opens its device
// with 32-bit float stereo at 48000 Hz and allows no changes, so the file holds raw
// interleaved float frames, 384000 bytes a second. The driver writes one 1024-frame
// buffer, then sleeps as long as that buffer lasts: the file grows in real time, and
// its size at a moment tells how far the output has got.
#include <cstdint>
#include <string>
#include <vector>

// The level of a stretch of the capture.
struct AudioLevel {
    double rms = 0;                // both channels, 0..1
    double peak = 0;               // largest magnitude
    double clippedShare = 0;       // share of samples at full scale
    double crossingsPerSecond = 0; // sign changes of the left channel
};

class DiskAudio {
public:
    static constexpr int Rate = 48000;
    static constexpr double BytesPerSecond = Rate * 2 * sizeof(float);

    explicit DiskAudio(const std::string& path);

    double Seconds() const { return static_cast<double>(left_.size()) / Rate; }
    // The level from `from` to `to` seconds (clamped to the capture).
    AudioLevel Level(double from, double to) const;
    // The first moment at or after `from` where a 10 ms window is louder than `rms`;
    // negative when there is none.
    double FirstSound(double from, double rms) const;
    // The first moment at or after `from` where a 50 ms window is quieter than `rms`;
    // negative when there is none.
    double FirstQuiet(double from, double rms) const;

private:
    double WindowRms(size_t first, size_t frames) const;

    std::vector<float> left_, right_;
};

// How many seconds of output the capture file holds right now.
double CapturedSeconds(const std::string& path);
// The largest magnitude in the capture file so far (0 when there is none yet).
double CapturedPeak(const std::string& path);
