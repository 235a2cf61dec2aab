#include "music/GameSettings.h"

#include "input/DikCodes.h"
#include "music/BgmSettings.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <vector>

namespace {

using P = TPadButton;

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

struct Reported {
    TGameSettings Read(const std::string& path) {
        lines.clear();
        return ReadGameSettings(path, [this](const std::string& line) { lines.push_back(line); });
    }
    std::vector<std::string> lines;
};

} // namespace

// The game's fixed keys, all of them, and the two new actions.
TEST(KeyBindings, TheDefaultsAreTheGamesKeys) {
    const TKeyBindings d = TKeyBindings::Defaults();
    const std::vector<std::pair<TAction, TBinding>> table = {
        {TAction::Up, {{DIK_UP, DIK_NUMPAD8}, {P::DpadUp, P::None}}},
        {TAction::Down, {{DIK_DOWN, DIK_NUMPAD2}, {P::DpadDown, P::None}}},
        {TAction::Left, {{DIK_LEFT, DIK_NUMPAD4}, {P::DpadLeft, P::None}}},
        {TAction::Right, {{DIK_RIGHT, DIK_NUMPAD6}, {P::DpadRight, P::None}}},
        {TAction::Turn, {{DIK_SPACE, 0}, {P::West, P::East}}},
        {TAction::Confirm, {{DIK_RETURN, DIK_NUMPADENTER}, {P::South, P::Start}}},
        {TAction::Pause, {{DIK_P, DIK_PAUSE}, {P::Back, P::None}}},
        {TAction::Mute, {{DIK_M, 0}, {P::None, P::None}}},
        {TAction::Fullscreen, {{DIK_F11, 0}, {P::None, P::None}}},
    };
    ASSERT_EQ(table.size(), static_cast<size_t>(ActionCount));
    for (const auto& [action, binding] : table) EXPECT_EQ(d.Of(action), binding) << ActionName(action);
    // Every other key plays nothing.
    for (int key = 0; key < 256; ++key) {
        bool bound = false;
        for (const auto& [action, binding] : table)
            bound = bound || (key != 0 && (binding.Keys[0] == key || binding.Keys[1] == key));
        EXPECT_EQ(d.ActionOfKey(static_cast<uint8_t>(key)).has_value(), bound) << key;
    }
    EXPECT_EQ(d.ActionOfPad(P::North), std::nullopt);
    EXPECT_EQ(d.ActionOfPad(P::Start), TAction::Confirm);
}

TEST(KeyBindings, AKeyAnotherActionHoldsIsRefusedAndNamesThatAction) {
    TKeyBindings b = TKeyBindings::Defaults();
    EXPECT_EQ(b.SetKey(TAction::Right, 0, DIK_SPACE), TAction::Turn);
    EXPECT_EQ(b, TKeyBindings::Defaults()) << "nothing changed";
    EXPECT_EQ(b.SetPad(TAction::Mute, 0, P::Back), TAction::Pause);
    EXPECT_EQ(b.SetKey(TAction::Right, 0, DIK_D), std::nullopt);
    EXPECT_EQ(b.ActionOfKey(DIK_D), TAction::Right);
    EXPECT_EQ(b.ActionOfKey(DIK_RIGHT), std::nullopt) << "the old key is free";
    // Its own other key moves to the slot; a binding naming one key twice is refused.
    EXPECT_EQ(b.SetKey(TAction::Right, 1, DIK_D), std::nullopt);
    EXPECT_EQ(b.Of(TAction::Right).Keys, (std::array<uint8_t, 2>{0, DIK_D}));
    EXPECT_EQ(b.Set(TAction::Up, {{DIK_W, DIK_W}, {}}), TAction::Up);
    EXPECT_EQ(b.SetKey(TAction::Up, 0, 0), std::nullopt) << "a slot may be cleared";
}

TEST(KeyBindings, BindingLinesRoundTripAndStrangeOnesAreRefused) {
    const TKeyBindings d = TKeyBindings::Defaults();
    EXPECT_EQ(FormatBinding(d.Of(TAction::Up)), "Up,KP_8;pad=dpup");
    EXPECT_EQ(FormatBinding(d.Of(TAction::Mute)), "M");
    for (int a = 0; a < ActionCount; ++a) {
        const TBinding& b = d.Of(static_cast<TAction>(a));
        EXPECT_EQ(ParseBinding(FormatBinding(b)), b);
    }
    for (int key = 1; key < 256; ++key) {
        const std::string name = KeyName(static_cast<uint8_t>(key));
        if (!name.empty()) {
            EXPECT_EQ(KeyFromName(name), key) << name;
        }
    }
    EXPECT_EQ(ParseBinding(" D , KP_6 ; pad = west "), (TBinding{{DIK_D, DIK_NUMPAD6}, {P::West, P::None}}));
    EXPECT_EQ(ParseBinding(""), TBinding{});
    for (const char* bad : {"Banana", "A,B,C", "A,A", "A,", ",A", "A;west", "A;pad=banana", "A;pad=west,west",
                            "A;pad=a,b,c", "up"})
        EXPECT_EQ(ParseBinding(bad), std::nullopt) << bad;
}

TEST(GameSettings, TheFileRoundTripsAndKeepsEverySectionAndKeyItDoesNotOwn) {
    TempDir dir;
    const std::string path =
        dir.Write("Settei.ini", "[BGM]\nMusic=0\nMusicName=a.mp3\n[Options]\nPauseOnFocusLoss=0\n"
                                "Scale=2\n[Mine]\nNote=kept\n[Keys]\nOwn=1\n");
    TGameSettings s;
    ASSERT_EQ(s.Keys.SetKey(TAction::Right, 0, DIK_D), std::nullopt);
    s.Sound = {50, 0, 100, true};
    s.Language = "en";
    WriteGameSettings(path, s, path);
    Reported r;
    EXPECT_EQ(r.Read(path), s);
    EXPECT_TRUE(r.lines.empty());
    const std::string text = ReadAll(path);
    for (const char* kept :
         {"Music = 0", "MusicName = a.mp3", "PauseOnFocusLoss = 0", "Scale = 2", "Note = kept", "Own = 1",
          "Right = D,KP_6;pad=dpright", "MasterVolume = 50", "Mute = 1", "Language = en"})
        EXPECT_NE(text.find(kept), std::string::npos) << kept << "\n" << text;
    EXPECT_FALSE(ReadPauseOnFocusLoss(path));
    // The BGM writer keeps all of it in turn.
    WriteBgmSettings(path, TBgmSettings{});
    EXPECT_EQ(r.Read(path), s);

    // Written to another file, what is kept comes from the one given.
    const std::string user = dir.File("user.ini");
    WriteGameSettings(user, TGameSettings{}, path);
    EXPECT_NE(ReadAll(user).find("Note = kept"), std::string::npos);
    EXPECT_EQ(r.Read(user), TGameSettings{});
}

TEST(GameSettings, ValuesTheGameCannotUseGiveTheDefaultsWithOneLineEach) {
    TempDir dir;
    Reported r;
    EXPECT_EQ(r.Read(dir.File("none.ini")), TGameSettings{});
    EXPECT_TRUE(r.lines.empty()) << "a missing file is no fault";

    const TGameSettings s = r.Read(dir.Write("s.ini", "[Options]\nMasterVolume=300\nMusicVolume=-1\n"
                                                      "EffectsVolume=40\nMute=2\nLanguage=fr\n"
                                                      "[Keys]\nUp=Banana\nDown=W\nRight=Space\nTurn=D\n"));
    TGameSettings expected;
    expected.Sound.Effects = 40;
    ASSERT_EQ(expected.Keys.Set(TAction::Down, {{DIK_W, 0}, {}}), std::nullopt);
    ASSERT_EQ(expected.Keys.Set(TAction::Turn, {{DIK_D, 0}, {}}), std::nullopt);
    ASSERT_EQ(expected.Keys.Set(TAction::Right, {{DIK_SPACE, 0}, {}}), std::nullopt);
    EXPECT_EQ(s, expected);
    // Up, MasterVolume, MusicVolume, Mute, Language.
    ASSERT_EQ(r.lines.size(), 5u);
    EXPECT_NE(r.lines[0].find("[Keys] Up=\"Banana\""), std::string::npos) << r.lines[0];
    EXPECT_NE(r.lines[1].find("MasterVolume=\"300\""), std::string::npos) << r.lines[1];

    // A binding that takes a key of an action before it keeps its default.
    const TGameSettings taken = r.Read(dir.Write("t.ini", "[Keys]\nUp=Up\nDown=Up,S\n"));
    EXPECT_EQ(taken.Keys.Of(TAction::Down), TKeyBindings::Defaults().Of(TAction::Down));
    ASSERT_EQ(r.lines.size(), 1u);
    EXPECT_NE(r.lines[0].find("takes a key of Up"), std::string::npos) << r.lines[0];
    // ... and when even the default collides, every binding is the default.
    EXPECT_EQ(r.Read(dir.Write("u.ini", "[Keys]\nUp=Banana\nLeft=Right\nRight=Banana\n")).Keys,
              TKeyBindings::Defaults());
    EXPECT_EQ(r.lines.size(), 3u);
    // An action without a line whose default another action took (a file from before
    // F11 was in the table, with F11 on Mute) keeps what is free of its default; the
    // player's bindings stay.
    const TGameSettings old = r.Read(dir.Write("v.ini", "[Keys]\nUp=Down\nMute=F11\n"));
    EXPECT_EQ(old.Keys.Of(TAction::Mute), (TBinding{{DIK_F11, 0}, {}}));
    EXPECT_EQ(old.Keys.Of(TAction::Fullscreen), TBinding{});
    EXPECT_EQ(old.Keys.Of(TAction::Up).Keys, (std::array<uint8_t, 2>{DIK_DOWN, 0}));
    EXPECT_EQ(old.Keys.Of(TAction::Down), (TBinding{{DIK_NUMPAD2, 0}, {P::DpadDown, P::None}}));
    ASSERT_EQ(r.lines.size(), 2u);
    EXPECT_NE(r.lines[0].find("Down has no line and Up holds"), std::string::npos) << r.lines[0];
    EXPECT_NE(r.lines[1].find("Fullscreen has no line and Mute holds"), std::string::npos) << r.lines[1];
    // What it kept is written and reads back the same.
    WriteGameSettings(dir.File("v.ini"), old, dir.File("v.ini"));
    EXPECT_EQ(r.Read(dir.File("v.ini")), old);
    EXPECT_TRUE(r.lines.empty());
}
