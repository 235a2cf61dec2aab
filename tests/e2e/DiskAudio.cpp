#include "DiskAudio.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

DiskAudio::DiskAudio(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const size_t frames = bytes.size() / (2 * sizeof(float));
    left_.resize(frames);
    right_.resize(frames);
    for (size_t i = 0; i < frames; ++i) {
        std::memcpy(&left_[i], &bytes[i * 8], 4);
        std::memcpy(&right_[i], &bytes[i * 8 + 4], 4);
    }
}

AudioLevel DiskAudio::Level(double from, double to) const {
    const auto frame = [this](double t) {
        return std::min(left_.size(), static_cast<size_t>(std::max(0.0, t) * Rate));
    };
    const size_t first = frame(from), last = frame(to);
    AudioLevel level;
    if (last <= first) return level;
    double sum = 0;
    size_t clipped = 0, crossings = 0;
    for (size_t i = first; i < last; ++i) {
        for (float v : {left_[i], right_[i]}) {
            sum += static_cast<double>(v) * v;
            level.peak = std::max(level.peak, static_cast<double>(std::fabs(v)));
            if (std::fabs(v) >= 0.999f) ++clipped;
        }
        if (i > first && (left_[i] < 0) != (left_[i - 1] < 0)) ++crossings;
    }
    const auto frames = static_cast<double>(last - first);
    level.rms = std::sqrt(sum / (2 * frames));
    level.clippedShare = static_cast<double>(clipped) / (2 * frames);
    level.crossingsPerSecond = static_cast<double>(crossings) * Rate / frames;
    return level;
}

double DiskAudio::WindowRms(size_t first, size_t frames) const {
    double sum = 0;
    for (size_t i = first; i < first + frames; ++i)
        sum += static_cast<double>(left_[i]) * left_[i] + static_cast<double>(right_[i]) * right_[i];
    return std::sqrt(sum / (2.0 * static_cast<double>(frames)));
}

double DiskAudio::FirstSound(double from, double rms) const {
    const size_t window = Rate / 100;
    for (auto i = static_cast<size_t>(std::max(0.0, from) * Rate); i + window <= left_.size();
         i += window / 2)
        if (WindowRms(i, window) > rms) return static_cast<double>(i) / Rate;
    return -1;
}

double DiskAudio::FirstQuiet(double from, double rms) const {
    const size_t window = Rate / 20;
    for (auto i = static_cast<size_t>(std::max(0.0, from) * Rate); i + window <= left_.size();
         i += window / 5)
        if (WindowRms(i, window) < rms) return static_cast<double>(i) / Rate;
    return -1;
}

double CapturedSeconds(const std::string& path) {
    std::error_code ec;
    const auto size = std::filesystem::file_size(path, ec);
    return ec ? 0.0 : static_cast<double>(size) / DiskAudio::BytesPerSecond;
}

double CapturedPeak(const std::string& path) {
    const DiskAudio audio(path);
    return audio.Level(0, audio.Seconds()).peak;
}
