#include "music/TrackPool.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <stdexcept>

namespace fs = std::filesystem;

namespace {

std::string LowerExt(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string ext = path.substr(dot);
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

void ScanInto(const fs::path& folder, const std::string& prefix, std::vector<std::string>& list) {
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return;
    for (; it != fs::directory_iterator(); it.increment(ec)) {
        const std::string name = it->path().filename().string();
        std::error_code typeError;
        if (it->is_directory(typeError))
            ScanInto(it->path(), prefix + name + "/", list);
        else if (IsMusicFile(name))
            list.push_back(prefix + name);
        if (ec) return;
    }
}

} // namespace

bool IsMidiFile(const std::string& path) {
    return LowerExt(path) == ".mid";
}

bool IsMusicFile(const std::string& path) {
    const std::string ext = LowerExt(path);
    return ext == ".mid" || ext == ".mp3";
}

void ScanMusicFolder(const std::string& folder, std::vector<std::string>& list) {
    if (folder.empty()) return;
    std::string prefix = folder;
    if (prefix.back() != '/') prefix += '/';
    ScanInto(fs::path(folder), prefix, list);
}

void TTrackPool::Build(const std::vector<std::string>& list) {
    RandomPool = list;
    PlayedFlags.assign(list.size(), false);
}

const std::string& TTrackPool::PickFirst(TRandom& random) {
    if (RandomPool.empty()) throw std::logic_error("no track to pick");
    const auto k = static_cast<size_t>(random.Random(PoolCount()));
    PlayedFlags[k] = true;
    PlayedCount_ = 1;
    return RandomPool[k];
}

const std::string& TTrackPool::PickNext(TRandom& random) {
    if (RandomPool.empty()) throw std::logic_error("no track to pick");
    if (PlayedCount_ >= PoolCount()) {
        PlayedFlags.assign(RandomPool.size(), false);
        PlayedCount_ = 0;
    }
    size_t k = 0;
    do {
        k = static_cast<size_t>(random.Random(PoolCount()));
    } while (PlayedFlags[k]);
    PlayedFlags[k] = true;
    ++PlayedCount_;
    return RandomPool[k];
}
