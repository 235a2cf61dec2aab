#include "music/TrackPool.h"

#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

TEST(TrackPool, MusicFileKinds) {
    EXPECT_TRUE(IsMidiFile("/a/b.mid"));
    EXPECT_TRUE(IsMidiFile("/a/b.MiD"));
    EXPECT_FALSE(IsMidiFile("/a/b.midi"));
    EXPECT_FALSE(IsMidiFile("/a.mid/b"));
    EXPECT_TRUE(IsMusicFile("B.MP3"));
    EXPECT_FALSE(IsMusicFile("b.wav"));
    EXPECT_FALSE(IsMusicFile("mp3"));
}

TEST(TrackPool, ScanFindsNestedFilesInAnyCaseButNotMidi) {
    const std::string root = SourceDir() + "tests/fixtures/music";
    std::vector<std::string> list;
    ScanMusicFolder(root, list);
    std::vector<std::string> names;
    for (const std::string& p : list) names.push_back(p.substr(root.size() + 1));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"Album/Disc 2/six.MID", "Album/Disc 2/three.Mp3",
                                               "Album/Five.Mid", "Album/Two.MP3", "four.mid", "one.mp3"}));
    // A subfolder's files come right after it, before the remaining entries of its parent.
    const auto pos = [&](const std::string& tail) {
        return std::find_if(list.begin(), list.end(),
                            [&](const std::string& p) { return p.ends_with(tail); }) -
               list.begin();
    };
    EXPECT_EQ(std::abs(pos("six.MID") - pos("three.Mp3")), 1);
}

TEST(TrackPool, ScanOfAMissingFolderFindsNothing) {
    std::vector<std::string> list;
    TempDir dir;
    ScanMusicFolder(dir.File("gone"), list);
    ScanMusicFolder("", list);
    EXPECT_TRUE(list.empty());
    dir.Write("x/y.mp3", "");
    ScanMusicFolder(dir.Dir(), list); // a trailing separator is not doubled
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0], dir.Dir() + "x/y.mp3");
}

// Links back to an ancestor or across to a folder already scanned add nothing; the scan
// reports its progress every few hundred entries and ends when asked to.
TEST(TrackPool, ScanEntersEveryFolderOnceAndCanBeStopped) {
    TempDir dir;
    dir.Write("a/b/x.mp3", "");
    dir.Write("a/y.mid", "");
    std::filesystem::create_directory_symlink(dir.Path(), dir.Path() / "a/b/up");
    std::filesystem::create_directory_symlink(dir.Path() / "a/b", dir.Path() / "a/again");
    std::filesystem::create_directory_symlink(dir.Path() / "a/b/up", dir.Path() / "a/up2");
    std::vector<std::string> list;
    size_t calls = 0;
    EXPECT_TRUE(ScanMusicFolder(dir.Dir(), list, [&](size_t, size_t) { return ++calls > 0; }));
    std::vector<std::string> names;
    for (const std::string& p : list) names.push_back(std::filesystem::path(p).filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"x.mp3", "y.mid"}));
    EXPECT_EQ(calls, 0u) << "a small tree is scanned in one go";

    for (int i = 0; i < 3 * static_cast<int>(ScanProgressEvery); ++i)
        dir.Write("many/" + std::to_string(i) + ".mp3", "");
    list.clear();
    std::vector<size_t> found;
    EXPECT_FALSE(ScanMusicFolder(dir.File("many"), list, [&](size_t entries, size_t n) {
        EXPECT_EQ(entries % ScanProgressEvery, 0u);
        found.push_back(n);
        return found.size() < 2;
    }));
    EXPECT_EQ(found.size(), 2u);
    EXPECT_EQ(list.size(), found.back());
    EXPECT_LT(list.size(), 3 * ScanProgressEvery);
}

TEST(TrackPool, EveryCyclePlaysEachTrackOnce) {
    TTrackPool pool;
    pool.Build({"a", "b", "c"});
    TRandom random(42);
    std::multiset<std::string> first{pool.PickFirst(random)};
    EXPECT_EQ(pool.PlayedCount(), 1);
    for (int i = 0; i < 2; ++i) first.insert(pool.PickRandomTrack(random));
    EXPECT_EQ(first, (std::multiset<std::string>{"a", "b", "c"}));
    for (int cycle = 0; cycle < 50; ++cycle) {
        std::set<std::string> seen;
        for (int i = 0; i < 3; ++i) seen.insert(pool.PickRandomTrack(random));
        EXPECT_EQ(seen.size(), 3u) << "cycle " << cycle;
    }
    // A track left out: the cycles go on over the others.
    EXPECT_TRUE(pool.Remove("b"));
    EXPECT_FALSE(pool.Remove("b"));
    for (int cycle = 0; cycle < 5; ++cycle) {
        std::set<std::string> seen;
        for (int i = 0; i < 2; ++i) seen.insert(pool.PickRandomTrack(random));
        EXPECT_EQ(seen, (std::set<std::string>{"a", "c"})) << "cycle " << cycle;
    }
    TTrackPool empty;
    EXPECT_THROW(empty.PickRandomTrack(random), std::logic_error);
}
