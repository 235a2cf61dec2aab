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

TEST(TrackPool, EveryCyclePlaysEachTrackOnce) {
    TTrackPool pool;
    pool.Build({"a", "b", "c"});
    TRandom random(42);
    std::multiset<std::string> first{pool.PickFirst(random)};
    EXPECT_EQ(pool.PlayedCount(), 1);
    for (int i = 0; i < 2; ++i) first.insert(pool.PickNext(random));
    EXPECT_EQ(first, (std::multiset<std::string>{"a", "b", "c"}));
    for (int cycle = 0; cycle < 50; ++cycle) {
        std::set<std::string> seen;
        for (int i = 0; i < 3; ++i) seen.insert(pool.PickNext(random));
        EXPECT_EQ(seen.size(), 3u) << "cycle " << cycle;
    }
    TTrackPool empty;
    EXPECT_THROW(empty.PickNext(random), std::logic_error);
}
