#include "MusicFixture.h"
#include "music/BgmSettings.h"
#include "music/FluidMidiPlayer.h"

#include <algorithm>
#include <fstream>
#include <set>
#include <sstream>

using Calls = std::vector<std::string>;

TEST_F(MusicTest, NoSettingsPlayTheBuiltInTrackAfter100ms) {
    Create();
    clock.Set(form.StartTime + 99);
    Tick();
    EXPECT_FALSE(bgm.BgmInitDone());
    EXPECT_TRUE(mp3.calls.empty()) << "no MP3 call before the set-up";
    clock.Set(form.StartTime + 130);
    Tick();
    EXPECT_EQ(mp3.calls, (Calls{"init", "close", "open " + BuiltIn(), "play loop"}));
    EXPECT_EQ(midi.calls, Calls{"close"});
    EXPECT_TRUE(bgm.BgmOn);
    EXPECT_TRUE(form.MainMenu1.Play.Checked());
    EXPECT_FALSE(form.MainMenu1.Stop.Checked());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_FALSE(form.MainMenu1.Select.Checked());
    EXPECT_FALSE(form.MainMenu1.R1.Checked());
}

TEST_F(MusicTest, MusicOffStartsNothingAndPlayStartsTheTrackFromItsBeginning) {
    Settings("[BGM]\nMusic=0\n");
    StartMusic();
    EXPECT_EQ(mp3.calls, Calls{"init"});
    EXPECT_TRUE(form.MainMenu1.Stop.Checked());
    EXPECT_FALSE(form.MainMenu1.Play.Checked());
    commands.Click("Stop");
    EXPECT_EQ(mp3.calls, Calls{"init"}) << "a checked item does nothing";
    clock.Advance(5000);
    ASSERT_TRUE(commands.Click("Play"));
    EXPECT_EQ(TakeCalls(), (Calls{"init", "close", "open " + BuiltIn(), "play loop"}));
    EXPECT_EQ(bgm.Mp3StartTime, clock.Now());
    EXPECT_TRUE(bgm.BgmOn);
    commands.Click("Stop");
    EXPECT_EQ(TakeCalls(), Calls{"stop"});
    EXPECT_FALSE(bgm.BgmOn);
    EXPECT_TRUE(form.MainMenu1.Stop.Checked());
}

TEST_F(MusicTest, AChosenFileThatVanishedFallsBackToTheBuiltInTrack) {
    Settings("[BGM]\nMusicName=" + dir.File("gone.mp3") + "\n");
    StartMusic();
    EXPECT_EQ(bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_FALSE(form.MainMenu1.Select.Checked());
}

TEST_F(MusicTest, AChosenFileIsCheckedAndNamedInItsCaption) {
    const std::string song = dir.Write("songs/夏.MID", "");
    midi.playable.insert(song);
    Settings("[BGM]\nMusic=1\nMusicName=" + song + "\n");
    StartMusic();
    EXPECT_TRUE(form.MainMenu1.Select.Checked());
    EXPECT_FALSE(form.MainMenu1.Yuyake.Checked());
    EXPECT_EQ(form.MainMenu1.Select.Caption(), "指定した曲(&M): 夏.MID");
    EXPECT_EQ(midi.calls, (Calls{"close", "open " + song, "close", "open " + song, "play"}));
    EXPECT_EQ(mp3.calls, Calls{"init"});
}

TEST_F(MusicTest, AVanishedFolderTurnsRandomPlayOff) {
    Settings("[BGM]\nRandom=1\nMusicFolda=" + dir.File("gone") + "\n");
    StartMusic();
    EXPECT_FALSE(bgm.RandomMode);
    EXPECT_EQ(bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_FALSE(form.MainMenu1.R1.Checked());
    dir.Write("empty/readme.txt", "");
    Settings("[BGM]\nRandom=1\nMusicFolda=" + dir.File("empty") + "\n");
    NextRun next(dir.Dir());
    next.StartUp();
    EXPECT_FALSE(next.bgm.RandomMode);
    EXPECT_EQ(next.bgm.BgmFile, BuiltIn());
}

TEST_F(MusicTest, AOneFileFolderIsRecordedAsAChosenFile) {
    StartMusic();
    const std::string only = dir.Write("one/deep/only.Mp3", "");
    host.folderAnswers.push_back(dir.File("one"));
    ASSERT_TRUE(commands.Click("R1"));
    EXPECT_EQ(host.folderTitles,
              Calls{"midiファイル・mp3ファイルが存在するフォルダかドライブを選んでください。"});
    EXPECT_EQ(bgm.BgmFile, only);
    EXPECT_FALSE(bgm.RandomMode);
    EXPECT_TRUE(form.MainMenu1.R1.Checked());
    EXPECT_FALSE(form.MainMenu1.Select.Checked());
    EXPECT_EQ(form.MainMenu1.R1.Caption(), "ランダムに(&R): only.Mp3");
    EXPECT_TRUE(form.ClearMessage.empty()) << "the on-screen message is gone again";
    EXPECT_EQ(Text(TStatusText::Message), "ランダムＢＧＭの設定中...");
    commands.FormClose();
    NextRun next(dir.Dir());
    next.StartUp();
    EXPECT_EQ(next.bgm.BgmFile, only);
    EXPECT_FALSE(next.bgm.RandomMode);
    EXPECT_TRUE(next.form.MainMenu1.Select.Checked());
}

// A large folder: the window handles its events during the scan and the message on the
// screen counts the tracks found so far.
TEST_F(MusicTest, ALargeFolderShowsHowManyTracksTheScanHasFound) {
    StartMusic();
    for (int i = 0; i <= static_cast<int>(ScanProgressEvery); ++i) {
        const std::string file = dir.Write("big/" + std::to_string(i) + (i < 300 ? ".mp3" : ".txt"), "");
        if (i < 300) mp3.playTimes[file] = 5;
    }
    host.folderAnswers.push_back(dir.File("big"));
    // Time passes while the window handles its events.
    std::function<void()> passing = [&] {
        clock.Advance(60);
        host.onProcessMessages = passing;
    };
    host.onProcessMessages = passing;
    const int before = host.processCalls;
    const int frames = Frames();
    commands.Click("R1");
    EXPECT_GE(host.processCalls - before, 3) << "events handled during the scan";
    EXPECT_EQ(Text(TStatusText::Message).rfind("ランダムＢＧＭの設定中... ", 0), 0u);
    EXPECT_NE(Text(TStatusText::Message).find("曲"), std::string::npos);
    EXPECT_GE(Frames() - frames, 3) << "the message, the count, and the message gone";
    EXPECT_EQ(bgm.Pool.PoolCount(), 300);
    EXPECT_TRUE(form.ClearMessage.empty());
    host.onProcessMessages = nullptr;
}

// The window's events handled during the scan (its progress frames among them) may hold
// Enter, a pad's Enter or a menu command: none of them acts before the scan is over, and
// the board waits for an Enter after it.
TEST_F(MusicTest, KeysAndMenuCommandsDoNothingWhileAFolderIsScanned) {
    StartMusic();
    PassStartup();
    for (int i = 0; i <= static_cast<int>(ScanProgressEvery); ++i) {
        const std::string file = dir.Write("big/" + std::to_string(i) + ".mp3", "");
        mp3.playTimes[file] = 5;
    }
    host.folderAnswers.push_back(dir.File("big"));
    int pressed = 0;
    std::function<void()> pressing = [&] {
        uint16_t enter = VK_RETURN;
        form.FormKeyDown(enter);
        EXPECT_FALSE(commands.Click("Stop")) << "a menu command in the middle of the scan";
        clock.Advance(60);
        ++pressed;
        host.onProcessMessages = pressing;
    };
    host.onProcessMessages = pressing;
    ASSERT_TRUE(commands.Click("R1"));
    host.onProcessMessages = nullptr;
    EXPECT_GE(pressed, 3);
    EXPECT_FALSE(form.Hamster.Active) << "a board started during the scan";
    EXPECT_TRUE(form.TitleShown);
    EXPECT_TRUE(bgm.BgmOn);
    EXPECT_TRUE(form.MainMenu1.R1.Checked());
    EXPECT_EQ(bgm.Pool.PoolCount(), static_cast<int32_t>(ScanProgressEvery) + 1);
    uint16_t enter = VK_RETURN;
    form.FormKeyDown(enter);
    EXPECT_TRUE(form.Hamster.Active) << "Enter after the scan starts the board";
}

TEST_F(MusicTest, AnEmptyFolderKeepsTheCurrentTrack) {
    StartMusic();
    TakeCalls();
    dir.Write("nothing/a.midi", "");
    host.folderAnswers.push_back(dir.File("nothing"));
    commands.Click("R1");
    EXPECT_EQ(host.messages,
              Calls{"選択したフォルダには音楽ファイルがありません。\r他のフォルダを選んでください。"});
    EXPECT_TRUE(mp3.calls.empty());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    commands.Click("R1"); // cancelled
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_TRUE(form.ClearMessage.empty());
}

TEST_F(MusicTest, APoolOfThreePlaysThreeDifferentTracksPerCycle) {
    StartMusic();
    for (const char* name : {"a.mp3", "b.mp3", "c.mp3"})
        mp3.playTimes[dir.Write(std::string("pool/") + name, "")] = 10;
    host.folderAnswers.push_back(dir.File("pool"));
    commands.Click("R1");
    ASSERT_TRUE(bgm.RandomMode);
    EXPECT_EQ(bgm.MusicFolder, dir.File("pool"));
    TakeCalls();
    std::vector<std::string> played{bgm.BgmFile};
    for (int i = 0; i < 29; ++i) {
        clock.Set(bgm.Mp3StartTime + 11001);
        bgm.CheckBgmEnd(false);
        played.push_back(bgm.BgmFile);
        EXPECT_EQ(form.MainMenu1.R1.Caption(), "ランダムに(&R): " + ExtractFileName(bgm.BgmFile));
    }
    EXPECT_EQ(Opened().size(), 29u);
    for (size_t cycle = 0; cycle < 10; ++cycle)
        EXPECT_EQ(std::set<std::string>(played.begin() + 3 * cycle, played.begin() + 3 * cycle + 3).size(),
                  3u);
}

// The track loops by itself in the mixer: its end is never a reason to start it again.
// One that could not be opened is tried again on the first tick after its time.
TEST_F(MusicTest, The180SecondMp3LoopsByItselfAndOneThatFailedIsTriedAfter181Seconds) {
    mp3.playTimes[BuiltIn()] = 180;
    StartMusic();
    const uint32_t t = bgm.Mp3StartTime;
    TakeCalls();
    for (uint32_t later : {181000u, 181001u, 400000u}) {
        clock.Set(t + later);
        bgm.CheckBgmEnd(false);
    }
    EXPECT_TRUE(mp3.calls.empty());
    mp3.playTimes.erase(BuiltIn());
    bgm.PlayMp3();
    const uint32_t failed = bgm.Mp3StartTime;
    TakeCalls();
    clock.Set(failed + 181000);
    bgm.CheckBgmEnd(false);
    EXPECT_TRUE(mp3.calls.empty());
    clock.Set(failed + 181001);
    bgm.CheckBgmEnd(true);
    EXPECT_TRUE(mp3.calls.empty()) << "nothing while a board is clear";
    bgm.CheckBgmEnd(false);
    EXPECT_EQ(mp3.calls, (Calls{"close", "open " + BuiltIn(), "play loop"}));
    EXPECT_EQ(bgm.Mp3StartTime, failed + 181001);
}

TEST_F(MusicTest, AMidiEndIsNoticedWithin40TicksAndRepeats) {
    const std::string song = dir.Write("tune.mid", "");
    midi.playable.insert(song);
    Settings("[BGM]\nMusicName=" + song + "\n");
    StartMusic();
    TakeMidiCalls();
    ASSERT_EQ(bgm.MidiPollCount, 1) << "the set-up's tick polled once";
    // A chosen file loops by itself: its end changes nothing.
    EXPECT_TRUE(midi.looping);
    midi.FinishTrack();
    for (int i = 0; i < 80; ++i) bgm.CheckBgmEnd(false);
    EXPECT_TRUE(midi.calls.empty());
    // A player that ends after all is noticed within 40 ticks and started again.
    midi.looping = false;
    midi.FinishTrack();
    bgm.MidiPollCount = 1;
    for (int i = 0; i < 38; ++i) bgm.CheckBgmEnd(false);
    EXPECT_TRUE(midi.calls.empty());
    bgm.CheckBgmEnd(false);
    EXPECT_EQ(TakeMidiCalls(), (Calls{"stop", "seek 0", "play"}));
    for (int i = 0; i < 40; ++i) bgm.CheckBgmEnd(false);
    EXPECT_TRUE(midi.calls.empty()) << "still playing";
}

TEST_F(MusicTest, TheJinglePlaysWithMusicOffAndEnterStartsNothing) {
    StartMusic();
    commands.Click("Stop");
    PassStartup();
    TakeCalls();
    EatFood(9);
    EXPECT_EQ(mp3.calls, (Calls{"close", "open " + Data("Clear.mp3"), "play"}));
    TakeCalls();
    clock.Advance(100000);
    Tick();
    EXPECT_TRUE(mp3.calls.empty()) << "the jingle plays once";
    Enter();
    EXPECT_EQ(mp3.calls, Calls{"stop"});
}

TEST_F(MusicTest, AMidiBgmComesBackAfterThe20thFoodsJingle) {
    const std::string song = dir.Write("tune.mid", "");
    midi.playable.insert(song);
    Settings("[BGM]\nMusicName=" + song + "\n");
    StartMusic();
    PassStartup();
    TakeCalls();
    TakeMidiCalls();
    EatFood(19);
    EXPECT_EQ(TakeMidiCalls(), Calls{"stop"});
    EXPECT_EQ(TakeCalls(), (Calls{"close", "open " + Data("Clear.mp3"), "play"}));
    Enter();
    EXPECT_EQ(TakeCalls(), Calls{"stop"});
    EXPECT_EQ(TakeMidiCalls(), (Calls{"close", "open " + song, "play"}));
    EXPECT_EQ(bgm.MidiPollCount, 0);
}

TEST_F(MusicTest, TheThirtiethFoodPlaysTheGameClearJingle) {
    StartMusic();
    PassStartup();
    TakeCalls();
    EatFood(29);
    EXPECT_EQ(mp3.calls, (Calls{"stop", "close", "open " + Data("GameClear.mp3"), "play"}));
}

TEST_F(MusicTest, FilesOfOtherKindsPlayAsMp3ButStartNothing) {
    const std::string odd = dir.Write("odd.wav", "");
    Settings("[BGM]\nMusicName=" + odd + "\n");
    Create();
    bgm.StartBgm();
    EXPECT_EQ(mp3.calls, Calls{"init"});
    // Never started, it counts as ended at the first end check and plays as MP3.
    clock.Advance(5000);
    bgm.CheckBgmEnd(false);
    EXPECT_EQ(Opened(), Calls{odd});
    commands.Click("Stop");
    commands.Click("Play");
    EXPECT_EQ(Opened(), (Calls{odd, odd}));
    // Leaving a jingle's board it comes back the way it played before: as MP3.
    form.BoardClear = true;
    bgm.PlayJingle(9);
    form.BoardClear = false;
    TakeCalls();
    TakeMidiCalls();
    EXPECT_NO_THROW(bgm.RestartBgmAfterBoard(10));
    EXPECT_EQ(mp3.calls, (Calls{"stop", "close", "open " + odd, "play loop"}));
    EXPECT_TRUE(midi.calls.empty());
    EXPECT_TRUE(host.messages.empty());
}

TEST_F(MusicTest, YuyakeAndSelectSwitchTracks) {
    StartMusic();
    TakeCalls();
    commands.Click("Yuyake");
    EXPECT_TRUE(mp3.calls.empty()) << "the checked built-in track is not restarted";
    const std::string song = dir.Write("x.mp3", "");
    host.fileAnswers.push_back(song);
    commands.Click("Select");
    ASSERT_EQ(host.openDialogs.size(), 1u);
    EXPECT_EQ(host.openDialogs[0].Title, "BGMの指定");
    EXPECT_EQ(host.openDialogs[0].Filter, "mp3ファイル; midiファイル|*.mp3; *.mid");
    EXPECT_EQ(TakeCalls(), (Calls{"stop", "close", "close", "open " + song, "play loop"}));
    EXPECT_EQ(form.MainMenu1.Select.Caption(), "指定した曲(&M): x.mp3");
    commands.Click("Select"); // cancelled
    EXPECT_TRUE(mp3.calls.empty());
    commands.Click("Yuyake");
    EXPECT_EQ(TakeCalls(), (Calls{"stop", "close", "close", "open " + BuiltIn(), "play loop"}));
    EXPECT_EQ(form.MainMenu1.Select.Caption(), "指定した曲(&M)");
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
}

TEST_F(MusicTest, ClosingWritesTheSettingsAndReleasesTheLibrary) {
    StartMusic();
    commands.Click("Stop");
    TakeCalls();
    commands.FormClose();
    EXPECT_EQ(mp3.calls, (Calls{"stop", "free"}));
    NextRun next(dir.Dir());
    next.StartUp();
    EXPECT_FALSE(next.bgm.BgmOn);
    EXPECT_TRUE(next.form.MainMenu1.Stop.Checked());
}

TEST_F(MusicTest, ClosingBeforeTheSetUpKeepsTheSettingsFile) {
    Settings("[BGM]\nMusic=0\n");
    Create();
    commands.FormClose();
    std::ifstream in(Data("Settei.ini"));
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_EQ(text.str(), "[BGM]\nMusic=0\n");
}

// A program folder the player may not write to: the settings read from it are where the
// first write to the user's folder starts, so that nothing the BGM settings do not own
// (an [Options] section, a user's own section) is lost at the next start.
TEST_F(MusicTest, TheFirstWriteToTheUsersFolderKeepsWhatTheProgramFoldersSettingsHeld) {
    Settings("[Options]\nPauseOnFocusLoss=0\n[Mine]\nNote=kept\n[BGM]\nMusic=0\n");
    TempDir user;
    form.UserDir = user.Dir();
    StartMusic();
    EXPECT_FALSE(bgm.BgmOn);
    commands.Click("Play");
    commands.FormClose();
    const std::string written = user.File("Settei.ini");
    EXPECT_FALSE(ReadPauseOnFocusLoss(written));
    std::ifstream in(written);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Note = kept"), std::string::npos) << text.str();
    EXPECT_NE(text.str().find("Music = 1"), std::string::npos) << text.str();

    NextRun next(dir.Dir());
    next.form.UserDir = user.Dir();
    next.StartUp();
    EXPECT_TRUE(next.bgm.BgmOn) << "the user's copy is read at the next start";
}

TEST_F(MusicTest, AnUnwritableSettingsFileIsReportedOnceAndClosingGoesOn) {
    StartMusic();
    std::filesystem::create_directories(Data("Settei.ini"));
    TakeCalls();
    commands.FormClose();
    EXPECT_EQ(host.messages, Calls{Data("Settei.ini") + " に書き込めません"});
    EXPECT_EQ(mp3.calls, (Calls{"stop", "free"}));
}

// A MIDI file that cannot be opened (damaged, no soundfont) is reported once and the
// built-in track takes over, also in the settings; the BGM menu keeps working.
TEST_F(MusicTest, AMidiFileThatCannotBeOpenedFallsBackToTheBuiltInTrack) {
    const std::string song = dir.Write("broken.mid", "");
    const std::string failure = song + " を開けません: ファイルが見つかりません";
    Settings("[BGM]\nMusicName=" + song + "\n");
    Create();
    clock.Set(form.StartTime + 100);
    EXPECT_NO_THROW(Tick());
    EXPECT_TRUE(bgm.BgmInitDone());
    EXPECT_EQ(host.messages, Calls{failure});
    EXPECT_EQ(bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_FALSE(form.MainMenu1.Select.Checked());
    EXPECT_EQ(mp3.calls, (Calls{"init", "close", "open " + BuiltIn(), "play loop"}));
    for (int i = 0; i < 100; ++i) EXPECT_NO_THROW(bgm.CheckBgmEnd(false));
    EXPECT_EQ(host.messages.size(), 1u);
    EXPECT_NO_THROW(commands.Click("Stop"));
    EXPECT_NO_THROW(commands.Click("Play"));
    // Chosen again from the menu: reported again, and the built-in track plays on.
    host.fileAnswers.push_back(song);
    EXPECT_NO_THROW(commands.Click("Select"));
    EXPECT_EQ(host.messages, (Calls{failure, failure}));
    EXPECT_EQ(bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_EQ(form.MainMenu1.Select.Caption(), "指定した曲(&M)");
    commands.FormClose();
    NextRun next(dir.Dir());
    next.StartUp();
    EXPECT_EQ(next.bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(next.host.messages.empty()) << "the next start does not repeat it";
}

// Stopping a MIDI player that holds nothing does nothing: the stage's last food is
// counted, play ends and the jingle plays.
TEST_F(MusicTest, AStageEndsWhateverTheMidiPlayerHolds) {
    TFluidMidiPlayer player(std::make_shared<TMixer>());
    TBgm real(form, mp3, player);
    form.SetMusic(&real);
    Create();
    clock.Set(form.StartTime + 100);
    Tick();
    PassStartup();
    real.BgmFile = dir.Write("never-opened.mid", "");
    TakeCalls();
    EatFood(9);
    EXPECT_FALSE(form.Hamster.Active);
    EXPECT_EQ(form.FoodsCount, 10);
    EXPECT_EQ(GetEntry(), "10get.bmp");
    EXPECT_EQ(Opened(), Calls{Data("Clear.mp3")});
    EXPECT_NO_THROW(real.StopClick());
    form.SetMusic(&bgm);
}

// Random play over files that cannot be opened: each is reported once and left out of
// the pool; when none is left the built-in track plays, with one notice.
TEST_F(MusicTest, UnplayableRandomTracksAreLeftOutOfThePool) {
    StartMusic();
    const std::string good = dir.Write("mixed/good.mid", "");
    std::vector<std::string> bad;
    for (const char* name : {"bad1.mid", "bad2.mid", "bad3.mp3"})
        bad.push_back(dir.Write(std::string("mixed/") + name, ""));
    midi.playable = {good};
    host.folderAnswers.push_back(dir.File("mixed"));
    commands.Click("R1");
    for (int i = 0; i < 400; ++i) {
        midi.FinishTrack();
        clock.Advance(25);
        bgm.CheckBgmEnd(false);
    }
    EXPECT_EQ(bgm.BgmFile, good);
    EXPECT_EQ(bgm.Pool.RandomPool, std::vector<std::string>{good});
    EXPECT_FALSE(bgm.RandomMode);
    std::vector<std::string> reported;
    for (const std::string& m : host.messages)
        for (const std::string& b : bad)
            if (m.find(b) != std::string::npos) reported.push_back(b);
    std::sort(reported.begin(), reported.end());
    EXPECT_EQ(reported, bad) << "each reported once";
    const size_t boxes = host.messages.size();

    // The last one goes too: the built-in track, with one notice.
    midi.playable.clear();
    midi.Close();
    for (int i = 0; i < 80; ++i) bgm.CheckBgmEnd(false);
    ASSERT_EQ(host.messages.size(), boxes + 1);
    EXPECT_EQ(host.messages.back(), good + " を開けません: ファイルが見つかりません\r"
                                           "再生できる曲がないため、「夕焼けの帰り道」に切り替えます。");
    EXPECT_EQ(bgm.BgmFile, BuiltIn());
    EXPECT_TRUE(form.MainMenu1.Yuyake.Checked());
    EXPECT_FALSE(form.MainMenu1.R1.Checked());
    EXPECT_EQ(form.MainMenu1.R1.Caption(), "ランダムに(&R)");
}

// Between boards every BGM command starts the chosen track at once, also after a board
// whose food played no jingle and after a stage whose jingle is still sounding.
TEST_F(MusicTest, ChangingTheMusicBetweenBoardsPlaysTheChosenTrack) {
    StartMusic();
    PassStartup();
    const std::string song = dir.Write("x.mp3", "");
    const std::string tune = dir.Write("t.mid", "");
    midi.playable = {tune};
    mp3.playTimes[Data("Clear.mp3")] = 3;
    EatFood(0); // no jingle yet
    host.fileAnswers.push_back(song);
    commands.Click("Select");
    EXPECT_EQ(Opened().back(), song);
    EatFood(9); // the stage jingle
    EatFood(12);
    TakeCalls();
    commands.Click("Yuyake");
    EXPECT_EQ(Opened(), Calls{BuiltIn()});
    commands.Click("Stop");
    commands.Click("Play");
    EXPECT_EQ(Opened(), (Calls{BuiltIn(), BuiltIn()}));
    host.fileAnswers.push_back(tune);
    commands.Click("Select");
    EXPECT_EQ(midi.calls.back(), "play");
    EXPECT_EQ(Opened().size(), 2u);
    for (const char* name : {"a.mp3", "b.mp3"}) mp3.playTimes[dir.Write(std::string("two/") + name, "")] = 5;
    host.folderAnswers.push_back(dir.File("two"));
    commands.Click("R1");
    EXPECT_EQ(Opened().back(), bgm.BgmFile);
    EXPECT_NE(Opened().back(), Data("Clear.mp3"));

    // A MIDI track started while the stage jingle sounds silences the jingle.
    host.fileAnswers.push_back(tune);
    commands.Click("Select");
    EatFood(19);
    commands.Click("Stop");
    EXPECT_TRUE(mp3.playing) << "the jingle plays with the music off";
    TakeCalls();
    commands.Click("Play");
    EXPECT_EQ(mp3.calls, (Calls{"stop", "close"}));
    EXPECT_FALSE(mp3.playing);
    EXPECT_EQ(midi.calls.back(), "play");
}

TEST_F(MusicTest, ARandomMidiTrackThatEndsMakesWayForTheOther) {
    StartMusic();
    const std::string a = dir.Write("midis/a.mid", "");
    const std::string b = dir.Write("midis/b.MID", "");
    midi.playable = {a, b};
    host.folderAnswers.push_back(dir.File("midis"));
    commands.Click("R1");
    ASSERT_TRUE(bgm.RandomMode);
    EXPECT_EQ(mp3.calls.back(), "close") << "the built-in track is closed";
    const std::string first = bgm.BgmFile;
    TakeMidiCalls();
    midi.FinishTrack();
    for (int i = 0; i < 40; ++i) bgm.CheckBgmEnd(false);
    const std::string other = first == a ? b : a;
    EXPECT_EQ(bgm.BgmFile, other);
    EXPECT_EQ(TakeMidiCalls(), (Calls{"stop", "close", "close", "open " + other, "play"}));
    EXPECT_EQ(form.MainMenu1.R1.Caption(), "ランダムに(&R): " + ExtractFileName(other));
}
