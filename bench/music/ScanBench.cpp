// The music-folder scan over a tree of 100 000 files (100 folders of 1000, one file in
// ten an MP3) with two links back to the top folder: the time of one whole scan, what it
// finds, and the longest stretch between two progress calls (when the window gets to
// handle its events).
#include "music/TrackPool.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

class Tree {
public:
    Tree() {
        std::string tmpl = (fs::temp_directory_path() / "himawari-scan-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) std::abort();
        root_ = tmpl;
        for (int d = 0; d < 100; ++d) {
            const fs::path folder = root_ / ("folder" + std::to_string(d));
            fs::create_directories(folder);
            for (int f = 0; f < 1000; ++f)
                std::ofstream(folder / (std::to_string(f) + (f % 10 == 0 ? ".mp3" : ".txt")));
        }
        fs::create_directory_symlink(root_, root_ / "folder3" / "back");
        fs::create_directory_symlink(root_, root_ / "folder7" / "again");
    }
    ~Tree() {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
    std::string Path() const { return root_.string(); }

private:
    fs::path root_;
};

void BM_ScanMusicFolder100k(benchmark::State& state) {
    static const Tree tree;
    size_t found = 0;
    size_t calls = 0;
    double longestMs = 0;
    for (auto _ : state) {
        std::vector<std::string> list;
        auto last = std::chrono::steady_clock::now();
        calls = 0;
        ScanMusicFolder(tree.Path(), list, [&](size_t, size_t) {
            const auto now = std::chrono::steady_clock::now();
            longestMs = std::max(longestMs, std::chrono::duration<double, std::milli>(now - last).count());
            last = now;
            ++calls;
            return true;
        });
        found = list.size();
        benchmark::DoNotOptimize(list.data());
    }
    state.counters["files_found"] = static_cast<double>(found);
    state.counters["progress_calls"] = static_cast<double>(calls);
    state.counters["longest_gap_ms"] = longestMs;
}
BENCHMARK(BM_ScanMusicFolder100k)->Iterations(5)->Unit(benchmark::kMillisecond);

} // namespace
