#pragma once
// The scripted play of the window benchmark (window_bench.py's "play"), in game time, for
// every benchmark of a frame of play: Enter, then one arrow held for 1.5 s, the arrows in
// turn Right, Down, Right, Down, Left, Up, and again. The hamster walks and changes its
// way, eats when the way leads to the food, falls or meets a cat where it does not, and
// Enter brings the next board (or the stage again). Each Frame is one tick of the game's
// own idle handler 25 ms after the last: the movement step every 75 ms, then the frame.
#include "BenchGame.h"
#include "input/DikCodes.h"

#include <algorithm>
#include <array>
#include <benchmark/benchmark.h>
#include <cstdint>

namespace bench {

template <class G> class ScriptedPlay {
public:
    static constexpr uint32_t HoldMs = 1500;

    explicit ScriptedPlay(G& g) : g_(g) {}

    // One tick; true when a board started in it.
    bool Frame() {
        const uint32_t boardStart = g_.form.BoardStartTime;
        const bool wasActive = g_.form.Hamster.Active;
        const uint32_t now = g_.clock.Now();
        if (!holding_ || static_cast<uint32_t>(now - heldSince_) >= HoldMs) NextArrow(now);
        g_.clock.Set(std::max(g_.clock.Now(), g_.form.LastFrameTime + 25));
        bool done = true;
        g_.form.ApplicationEvents1Idle(done);
        const bool started = !wasActive && g_.form.Hamster.Active && g_.form.BoardStartTime != boardStart;
        boards_ += started;
        foods_ += wasActive && g_.form.BoardClear;
        return started;
    }

    int32_t Boards() const { return boards_; }
    int32_t Foods() const { return foods_; }

private:
    // Lets go of the arrow held, presses Enter and holds the next arrow.
    void NextArrow(uint32_t now) {
        static constexpr std::array<uint8_t, 6> Pattern = {DIK_RIGHT, DIK_DOWN, DIK_RIGHT,
                                                           DIK_DOWN,  DIK_LEFT, DIK_UP};
        auto& keyboard = g_.input.Keyboard();
        if (holding_) keyboard.KeyCodeUp(Pattern[step_ % Pattern.size()]);
        if (holding_) ++step_;
        uint16_t enter = VK_RETURN;
        g_.form.FormKeyDown(enter);
        keyboard.KeyCodeDown(Pattern[step_ % Pattern.size()]);
        holding_ = true;
        heldSince_ = now;
    }

    G& g_;
    bool holding_ = false;
    size_t step_ = 0;
    uint32_t heldSince_ = 0;
    int32_t boards_ = 0;
    int32_t foods_ = 0;
};

// The game of the frame benchmarks on the software device, in play in the third stage and
// played by the script; drawing only what changed, or every frame whole (the first
// frame's cost, and every frame's on a device that keeps nothing).
struct PlayedGame {
    explicit PlayedGame(bool changesOnly) : game(ProgramFolder(dir)), play(game) {
        StartThirdStage(game);
        game.screen.Scene->SetReuseLastFrame(changesOnly);
    }
    TempDir dir;
    Game game;
    ScriptedPlay<Game> play;
};

// What the frames of a benchmark were: boards started and foods eaten per 1000 frames, and
// the share of frames redrawn in part (the rest unchanged or drawn whole).
class PlayCounters {
public:
    explicit PlayCounters(PlayedGame& p) : p_(p), boards_(p.play.Boards()), foods_(p.play.Foods()) {}
    void Frame() { partial_ += p_.game.screen.Scene->LastRenderKind() == 1; }
    void Report(benchmark::State& state) const {
        const double frames = static_cast<double>(state.iterations());
        state.counters["boards_per_1000"] = 1000.0 * (p_.play.Boards() - boards_) / frames;
        state.counters["foods_per_1000"] = 1000.0 * (p_.play.Foods() - foods_) / frames;
        state.counters["redrawn_in_part"] = static_cast<double>(partial_) / frames;
    }

private:
    PlayedGame& p_;
    int32_t boards_, foods_;
    int64_t partial_ = 0;
};

} // namespace bench
