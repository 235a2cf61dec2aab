#include "app/BenchHooks.h"

#include "sound/Mixer.h"

#include <QCoreApplication>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

// Milliseconds since the kernel started this process (its start time in /proc, in
// clock ticks since boot, against the boot-time clock); -1 when it cannot be read.
double MsSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t close = stat.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream fields(stat.substr(close + 2));
    std::string field;
    // Fields from the third (state) on; the start time is the 22nd.
    for (int i = 3; i < 22 && fields >> field;) ++i;
    unsigned long long startTicks = 0;
    if (!(fields >> startTicks)) return -1;
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    const double hz = static_cast<double>(sysconf(_SC_CLK_TCK));
    return (static_cast<double>(now.tv_sec) + now.tv_nsec / 1e9 - startTicks / hz) * 1000.0;
}

FILE* TickLog() {
    static FILE* log = [] {
        const char* path = std::getenv("HIMAWARI_BENCH_TICK_LOG");
        return path && *path ? std::fopen(path, "a") : nullptr;
    }();
    return log;
}

} // namespace

void BenchFramePresented() {
    static const bool wanted = std::getenv("HIMAWARI_BENCH_FIRST_FRAME") != nullptr;
    static bool seen = false;
    if (!wanted || seen) return;
    seen = true;
    std::printf("first frame: %.1f ms after process start\n", MsSinceProcessStart());
    std::fflush(stdout);
    QCoreApplication::exit(0);
}

void BenchTick() {
    FILE* log = TickLog();
    if (!log) return;
    const auto us = std::chrono::duration_cast<std::chrono::microseconds>(
                        std::chrono::steady_clock::now().time_since_epoch())
                        .count();
    // Flushed each time: the benchmark ends the program from outside.
    std::fprintf(log, "%lld\n", static_cast<long long>(us));
    std::fflush(log);
}

void BenchAudio(const TMixer& mixer) {
    static const char* path = std::getenv("HIMAWARI_BENCH_AUDIO_LOG");
    static auto last = std::chrono::steady_clock::now();
    if (!path || !*path) return;
    const auto now = std::chrono::steady_clock::now();
    if (now - last < std::chrono::seconds(1)) return;
    last = now;
    const TMixerStats s = mixer.Stats();
    // Rewritten whole and renamed into place: the benchmark ends the program from
    // outside, at any moment.
    const std::string temporary = std::string(path) + ".new";
    if (FILE* f = std::fopen(temporary.c_str(), "w")) {
        std::fprintf(f,
                     "callbacks %llu median_us %.1f worst_us %.1f decoder_passes %llu decoder_median_us %.1f "
                     "decoder_worst_us %.1f underruns %llu longest_wait_us %.1f\n",
                     static_cast<unsigned long long>(s.Callbacks), s.MedianCallbackUs, s.WorstCallbackUs,
                     static_cast<unsigned long long>(s.DecoderPasses), s.MedianDecoderPassUs,
                     s.WorstDecoderPassUs, static_cast<unsigned long long>(s.Underruns),
                     s.LongestControlWaitUs);
        std::fclose(f);
        std::rename(temporary.c_str(), path);
    }
}
