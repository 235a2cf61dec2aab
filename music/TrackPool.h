#pragma once
// The tracks of random play: the folder scan, the pool it fills and the order without
// repeats within a cycle.
#include "base/Random.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// True when the lower-cased extension is exactly ".mid" (every other file plays as MP3).
bool IsMidiFile(const std::string& path);
// True when the lower-cased extension is ".mid" or ".mp3" (what the folder scan takes).
bool IsMusicFile(const std::string& path);

// Called now and then during a scan with the number of entries looked at and of music
// files found so far; answering false ends the scan there (what was found is kept).
using TScanProgress = std::function<bool(size_t entries, size_t found)>;
// How many entries the scan looks at between two calls of its progress.
inline constexpr size_t ScanProgressEvery = 512;

// Appends the full paths of all music files below folder, depth first: a subfolder's
// files come before the remaining entries of its parent, in the order the file system
// returns them. Folders that cannot be read are skipped. A folder is entered once only
// (told by its device and inode), so links back to an ancestor or to a folder already
// scanned add nothing. Answers whether the scan ran to its end.
bool ScanMusicFolder(const std::string& folder, std::vector<std::string>& list,
                     const TScanProgress& progress = nullptr);

class TTrackPool {
public:
    // RandomPool := list, PlayedFlags all false; PlayedCount is left as it was.
    void Build(const std::vector<std::string>& list);
    // A uniform pick of any entry (the first track after a scan): marked played,
    // PlayedCount := 1.
    const std::string& PickFirst(TRandom& random);
    // A not-yet-played entry; a new cycle begins when every entry has been played.
    const std::string& PickRandomTrack(TRandom& random);
    // Leaves a track out of the pool for good (one that cannot be played); false when
    // it was not in the pool.
    bool Remove(const std::string& track);

    int32_t PoolCount() const { return static_cast<int32_t>(RandomPool.size()); }
    int32_t PlayedCount() const { return PlayedCount_; }

    std::vector<std::string> RandomPool;
    std::vector<bool> PlayedFlags;

private:
    int32_t PlayedCount_ = 0;
};
