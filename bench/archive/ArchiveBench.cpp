// The archive reader's speed: decoding a 1 MiB picture entry, and one lookup in an
// archive of 50 pictures on disk (what the game pays per picture at start-up).
#include "archive/QDArc.h"
#include "base/SafeFile.h"
#include "support/SyntheticBmp.h"
#include "tools/qdapack/BytePairEncoder.h"
#include "tools/qdapack/QDAPack.h"

#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

namespace {

// 512 x 682 pixels at 24 bits: 1,047,606 bytes, about 1 MiB. Argument: grain.
const std::vector<uint8_t>& Picture(int noise) {
    static std::vector<uint8_t> clean = SyntheticBmp(512, 682, 0);
    static std::vector<uint8_t> grainy = SyntheticBmp(512, 682, 6);
    return noise ? grainy : clean;
}

void BM_QDADecode(benchmark::State& state) {
    const std::vector<uint8_t>& picture = Picture(static_cast<int>(state.range(0)));
    TMemoryStream coded(BytePairEncode(picture));
    const auto size = static_cast<uint32_t>(picture.size());
    for (auto _ : state) {
        coded.SetPosition(0);
        auto out = QDADecode(coded, size);
        benchmark::DoNotOptimize(out->Memory());
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * size);
    state.counters["coded_percent"] = 100.0 * static_cast<double>(coded.Size()) / size;
}
BENCHMARK(BM_QDADecode)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);

void BM_BytePairEncode(benchmark::State& state) {
    const std::vector<uint8_t>& picture = Picture(static_cast<int>(state.range(0)));
    for (auto _ : state) benchmark::DoNotOptimize(BytePairEncode(picture).data());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * picture.size()));
}
BENCHMARK(BM_BytePairEncode)->Arg(0)->Arg(6)->Unit(benchmark::kMillisecond);

// A compressed archive of 50 small sprites (64 x 48) in a fresh temporary folder.
class FiftyEntryArchive {
public:
    FiftyEntryArchive() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "himawari-bench-XXXXXX").string();
        if (!mkdtemp(tmpl.data())) throw std::runtime_error("mkdtemp failed");
        dir_ = tmpl;
        std::vector<QDAPackEntry> entries;
        for (int i = 0; i < 50; ++i)
            entries.push_back(
                {"sprite" + std::to_string(i) + ".bmp", SyntheticBmp(64, 48, 0, static_cast<uint32_t>(i))});
        WriteFileSafely(Path(), QDAPackArchive(entries, true));
    }
    ~FiftyEntryArchive() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    FiftyEntryArchive(const FiftyEntryArchive&) = delete;
    FiftyEntryArchive& operator=(const FiftyEntryArchive&) = delete;
    std::string Path() const { return (dir_ / "data.qda").string(); }

private:
    std::filesystem::path dir_;
};

// The last record, so the walk passes all 50; its name asked for in another case.
void BM_QDALoadFromFile(benchmark::State& state) {
    FiftyEntryArchive archive;
    const std::string path = archive.Path();
    for (auto _ : state) {
        auto out = QDALoadFromFile(path, "SPRITE49.BMP");
        benchmark::DoNotOptimize(out->Memory());
    }
}
BENCHMARK(BM_QDALoadFromFile)->Unit(benchmark::kMicrosecond);

} // namespace
