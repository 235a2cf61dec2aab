// The window's settings in [Options] of Settei.ini: defaults, a round trip that keeps
// the rest of the file (the music settings' writes keep these keys too), and hostile
// values, each giving its default with one line of complaint.
#include "ui/WindowSettings.h"

#include "base/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <sstream>

namespace {

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

size_t Lines(const std::string& text) {
    return static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
}

TEST(WindowSettings, MissingFileSectionOrKeysGiveTheDefaultsQuietly) {
    TempDir dir;
    std::ostringstream complaints;
    EXPECT_EQ(ReadWindowSettings(dir.File("none.ini"), complaints), TWindowSettings{});
    EXPECT_EQ(ReadWindowSettings(dir.Write("a.ini", "[BGM]\nMusic=1\n"), complaints), TWindowSettings{});
    EXPECT_EQ(ReadWindowSettings(dir.Write("b.ini", "[Options]\nPauseOnFocusLoss=0\n"), complaints),
              TWindowSettings{});
    EXPECT_EQ(complaints.str(), "");
    const TWindowSettings d;
    EXPECT_EQ(d.Scale, TWindowScale::WholeNumber);
    EXPECT_EQ(d.Width, 764);
    EXPECT_EQ(d.Height, 500);
    EXPECT_FALSE(d.Fullscreen);
}

TEST(WindowSettings, RoundTripKeepsEverySectionAndKeyItDoesNotOwn) {
    TempDir dir;
    const std::string path =
        dir.Write("Settei.ini",
                  "[BGM]\nMusic=0\nMusicName=/音楽/曲.mid\n[Options]\nPauseOnFocusLoss=0\n[Keys]\nLeft=37\n");
    const TWindowSettings s{TWindowScale::Fit, 1600, 1079, true};
    WriteWindowSettings(path, s, path);
    std::ostringstream complaints;
    EXPECT_EQ(ReadWindowSettings(path, complaints), s);
    const std::string text = ReadAll(path);
    for (const char* kept : {"Music = 0", "MusicName = /音楽/曲.mid", "PauseOnFocusLoss = 0", "Left = 37"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << " in\n" << text;
    // Written again with other values: each key once.
    WriteWindowSettings(path, TWindowSettings{}, path);
    EXPECT_EQ(ReadWindowSettings(path, complaints), TWindowSettings{});
    const std::string again = ReadAll(path);
    EXPECT_EQ(again.find("WindowWidth"), again.rfind("WindowWidth"));
    EXPECT_NE(again.find("Scale = WholeNumber"), std::string::npos);
    // The first write into the user's folder starts from the copy that was read (the
    // program folder's), so nothing it held is lost.
    const std::string user = dir.File("user-Settei.ini");
    WriteWindowSettings(user, s, path);
    EXPECT_EQ(ReadWindowSettings(user, complaints), s);
    const std::string first = ReadAll(user);
    for (const char* kept : {"Music = 0", "MusicName = /音楽/曲.mid", "PauseOnFocusLoss = 0", "Left = 37"})
        EXPECT_NE(first.find(kept), std::string::npos) << kept << " in\n" << first;
    EXPECT_EQ(complaints.str(), "");
}

TEST(WindowSettings, HostileValuesGiveTheDefaultWithOneLineEach) {
    TempDir dir;
    struct Case {
        const char* text;
        TWindowSettings want;
    };
    const TWindowSettings d;
    for (const Case& c : {
             Case{"WindowWidth=0", d},
             Case{"WindowWidth=100000", d},
             Case{"WindowWidth=763", d},
             Case{"WindowWidth=-800", d},
             Case{"WindowWidth=99999999999999999999999", d},
             Case{"WindowWidth=1e3", d},
             Case{"WindowHeight=499", d},
             Case{"WindowHeight=16385", d},
             Case{"WindowHeight=", d},
             Case{"Scale=Stretch", d},
             Case{"Scale=2", d},
             Case{"Fullscreen=yes", d},
             Case{"Fullscreen=2", d},
             Case{"Scale=\x01\x02\x1b[2J", d},
         }) {
        std::ostringstream complaints;
        const std::string path = dir.Write("h.ini", std::string("[Options]\n") + c.text + "\n");
        EXPECT_EQ(ReadWindowSettings(path, complaints), c.want) << c.text;
        const std::string said = complaints.str();
        EXPECT_EQ(Lines(said), 1u) << c.text << ": " << said;
        EXPECT_EQ(said.rfind("himawari: Settei.ini [Options] ", 0), 0u) << said;
        EXPECT_EQ(said.find('\x1b'), std::string::npos) << "control bytes are not passed on";
    }
    // Good values beside bad ones are kept; the edges of the range are good.
    std::ostringstream complaints;
    const TWindowSettings s = ReadWindowSettings(
        dir.Write("m.ini", "[Options]\nScale=fit\nWindowWidth=100000\nWindowHeight=16384\nFullscreen=1\n"),
        complaints);
    EXPECT_EQ(s, (TWindowSettings{TWindowScale::Fit, 764, 16384, true}));
    EXPECT_EQ(Lines(complaints.str()), 1u);
    EXPECT_NE(complaints.str().find("WindowWidth=100000 cannot be used; 764 instead"), std::string::npos)
        << complaints.str();
    const std::string longValue(5000, '9');
    std::ostringstream longComplaint;
    ReadWindowSettings(dir.Write("l.ini", "[Options]\nWindowWidth=" + longValue + "\n"), longComplaint);
    EXPECT_LT(longComplaint.str().size(), 200u);
}

TEST(WindowSettings, UnwritableFileNamesThePath) {
    TempDir dir;
    dir.Write("Data/Settei.ini/keep.txt", "kept");
    const std::string path = dir.File("Data/Settei.ini");
    try {
        WriteWindowSettings(path, TWindowSettings{}, path);
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), path + " に書き込めません");
    }
    EXPECT_EQ(ReadAll(dir.File("Data/Settei.ini/keep.txt")), "kept");
}

} // namespace
