#pragma once
// What the game asks of the background music. The music player implements it; the
// game only calls it at the moments its frame loop, rules and controls give.
#include <cstdint>

class IGameMusic {
public:
    virtual ~IGameMusic() = default;
    // The deferred set-up has run (the frame loop asks it 100 ms after start-up until it has).
    virtual bool BgmInitDone() const = 0;
    // The deferred set-up: reads the music settings and starts the music.
    virtual void StartBgm() = 0;
    // Every frame tick: starts the next track when the current one has ended; does
    // nothing while boardClear (a jingle may be playing).
    virtual void CheckBgmEnd(bool boardClear) = 0;
    // The 10th, 20th or 30th food: foodsCountBefore is 9, 19 or 29 (the count before
    // the new food is added); stops the music and plays the stage or game jingle.
    virtual void PlayJingle(int32_t foodsCountBefore) = 0;
    // Enter after a cleared board: when foodsCount mod 10 = 0 a jingle was played, so the
    // music starts again from its beginning.
    virtual void RestartBgmAfterBoard(int32_t foodsCount) = 0;
};
