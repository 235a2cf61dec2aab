// Feeds arbitrary bytes to the saved-game reader: the first 3416 bytes are the image,
// the bytes after it choose the keys of a short game played on whatever it restored.
// A saved game that cannot be played must be refused; one that is restored must be
// playable without a read or write outside the board.
#include "base/Fatal.h"
#include "game/TestPlatform.h" // the game tests' headless platform (tests/game)
#include "input/DikCodes.h"
#include "support/ManualClock.h"
#include "support/ScriptedHost.h"

#include <cstddef>
#include <cstdint>
#include <stdexcept>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

struct Rig {
    TempDir dir;
    TestPlatform platform;
    ManualClock clock{1000};
    ScriptedHost host;
    std::unique_ptr<TForm1> form;

    Rig() {
        WriteTestData(dir);
        SetLayerLogFolders(dir.Dir());
        // A layer that would end the program reports it as a crash instead.
        SetFatalHook([](const std::string&) { __builtin_trap(); });
        form = std::make_unique<TForm1>(clock, host, dir.Dir(), platform.Make());
        form->FormCreate();
    }
};

Rig& TheRig() {
    static Rig rig;
    return rig;
}

void CheckInGrid(const TForm1& f, const TBoardObject& o) {
    Check(o.Col >= 0 && o.Col <= f.XLineCount - 2 && o.Row >= 0 && o.Row <= f.YLineCount - 2);
    Check(o.Dir >= 0 && o.Dir <= 3);
}

void Play(Rig& rig, const uint8_t* keys, size_t count) {
    TForm1& f = *rig.form;
    const uint8_t codes[4] = {DIK_UP, DIK_DOWN, DIK_LEFT, DIK_RIGHT};
    for (size_t i = 0; i < 60; ++i) {
        const uint8_t k = count ? keys[i % count] : static_cast<uint8_t>(i * 37);
        for (int b = 0; b < 4; ++b) {
            if (k & (1 << b))
                rig.platform.Keyboard().KeyCodeDown(codes[b]);
            else
                rig.platform.Keyboard().KeyCodeUp(codes[b]);
        }
        uint16_t key = (k & 0x30) == 0x30 ? VK_SPACE : (k & 0x40) ? VK_RETURN : 0;
        if (key) f.FormKeyDown(key);
        rig.clock.Advance(80 + (k >> 7) * 1000);
        bool done = true;
        f.ApplicationEvents1Idle(done);
        if (f.Hamster.Active) {
            CheckInGrid(f, f.Hamster);
            CheckInGrid(f, f.Food);
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Rig& rig = TheRig();
    TForm1& f = *rig.form;
    // A fresh run's state, then the file as start-up reads it.
    static_cast<TGameState&>(f) = TGameState{};
    f.SaveImage = TSaveImage{};
    f.SaveImage.LoadBytes(data, size);
    f.HighScore = f.SaveImage.HighScore();
    f.Random.Randomize(size);
    f.NewBoard();
    f.ResumeAskPending = false;
    const bool playable = f.SaveImage.CanRestore();
    const auto linesBefore = f.XLines;
    f.RestoreSavedGame();
    if (!playable) {
        Check(f.XLines == linesBefore);
        return 0;
    }
    Check(f.XLineCount >= 2 && f.XLineCount <= 51 && f.YLineCount >= 2 && f.YLineCount <= 51);
    Check(static_cast<int32_t>(f.XLines.size()) == f.XLineCount &&
          static_cast<int32_t>(f.Cats.size()) == f.CatCount);
    CheckInGrid(f, f.Hamster);
    for (const TBoardObject& cat : f.Cats) CheckInGrid(f, cat);
    try {
        Play(rig, size > TSaveImage::Size ? data + TSaveImage::Size : nullptr,
             size > TSaveImage::Size ? size - TSaveImage::Size : 0);
    } catch (const EStreamError&) {
        // The game-clear write may fail only if the temporary folder went away.
    }
    return 0;
}
