#include "music/TrackPool.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <set>
#include <stdexcept>

#include <sys/stat.h>

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

struct FolderId {
    dev_t Device;
    ino_t Inode;
    bool operator<(const FolderId& o) const {
        return Device != o.Device ? Device < o.Device : Inode < o.Inode;
    }
};

class Scanner {
public:
    Scanner(std::vector<std::string>& list, const TScanProgress& progress)
        : list_(list), progress_(progress) {}

    // False once the progress asked to stop.
    bool Scan(const fs::path& folder, const std::string& prefix) {
        struct stat st {};
        // stat follows links: a link to a folder is that folder, entered once only.
        if (::stat(folder.c_str(), &st) != 0 || !visited_.insert(FolderId{st.st_dev, st.st_ino}).second)
            return true;
        std::error_code ec;
        fs::directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
        if (ec) return true;
        for (; it != fs::directory_iterator(); it.increment(ec)) {
            if (++entries_ % ScanProgressEvery == 0 && progress_ && !progress_(entries_, list_.size()))
                return false;
            const std::string name = it->path().filename().string();
            std::error_code typeError;
            if (it->is_directory(typeError)) {
                if (!Scan(it->path(), prefix + name + "/")) return false;
            } else if (IsMusicFile(name)) {
                list_.push_back(prefix + name);
            }
            if (ec) return true;
        }
        return true;
    }

private:
    std::vector<std::string>& list_;
    const TScanProgress& progress_;
    std::set<FolderId> visited_;
    size_t entries_ = 0;
};

} // namespace

bool IsMidiFile(const std::string& path) {
    return LowerExt(path) == ".mid";
}

bool IsMusicFile(const std::string& path) {
    const std::string ext = LowerExt(path);
    return ext == ".mid" || ext == ".mp3";
}

bool ScanMusicFolder(const std::string& folder, std::vector<std::string>& list,
                     const TScanProgress& progress) {
    if (folder.empty()) return true;
    std::string prefix = folder;
    if (prefix.back() != '/') prefix += '/';
    Scanner scanner(list, progress);
    return scanner.Scan(fs::path(folder), prefix);
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

const std::string& TTrackPool::PickRandomTrack(TRandom& random) {
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

bool TTrackPool::Remove(const std::string& track) {
    const auto it = std::find(RandomPool.begin(), RandomPool.end(), track);
    if (it == RandomPool.end()) return false;
    const auto k = static_cast<size_t>(it - RandomPool.begin());
    if (PlayedFlags[k]) --PlayedCount_;
    RandomPool.erase(it);
    PlayedFlags.erase(PlayedFlags.begin() + static_cast<std::ptrdiff_t>(k));
    return true;
}
