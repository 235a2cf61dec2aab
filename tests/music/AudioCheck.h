#pragma once
// Pulling a mixer for the music tests: RMS level of a stretch of output, and writing
// what was pulled to a 16-bit stereo WAV file for listening and `sox FILE -n stat`.
#include "sound/Mixer.h"

#include <cmath>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

struct Pulled {
    std::vector<int16_t> samples; // interleaved stereo

    // Pulls `seconds` of output and returns its RMS level (0..1).
    double Pull(TMixer& mixer, double seconds) {
        const auto frames = static_cast<uint32_t>(seconds * mixer.Rate());
        std::vector<int16_t> out(2 * static_cast<size_t>(frames));
        mixer.MixS16(out.data(), frames);
        samples.insert(samples.end(), out.begin(), out.end());
        double sum = 0;
        for (int16_t s : out) sum += static_cast<double>(s) * s;
        return out.empty() ? 0.0 : std::sqrt(sum / out.size()) / 32768.0;
    }

    void SaveWav(const std::string& path, uint32_t rate) const {
        const auto bytes = static_cast<uint32_t>(samples.size() * 2);
        std::ofstream f(path, std::ios::binary);
        const auto u32 = [&f](uint32_t v) { f.write(reinterpret_cast<const char*>(&v), 4); };
        const auto u16 = [&f](uint16_t v) { f.write(reinterpret_cast<const char*>(&v), 2); };
        f.write("RIFF", 4);
        u32(36 + bytes);
        f.write("WAVEfmt ", 8);
        u32(16);
        u16(1);
        u16(2);
        u32(rate);
        u32(rate * 4);
        u16(4);
        u16(16);
        f.write("data", 4);
        u32(bytes);
        f.write(reinterpret_cast<const char*>(samples.data()), bytes);
    }
};
