#pragma once
// The MP3 library the BGM uses: six calls in the order the game makes them
// (init once, then close/open/play per track, stop, and free at shutdown). Playing
// returns at once; the music goes on in the background through a mixer voice.
#include <cstddef>
#include <cstdint>
#include <string>

// Filled by vbmp3_open. The game reads only the play time in whole seconds.
struct Mp3Info {
    uint32_t SampleRate; // Hz
    uint32_t Channels;   // 1 or 2
    uint32_t Bitrate;    // kbit/s of the first frame
    uint8_t Reserved[256];
    int32_t PlayTime; // whole seconds
};
static_assert(sizeof(Mp3Info) == 272, "Mp3Info is a 272-byte record");
static_assert(offsetof(Mp3Info, PlayTime) == 268, "the play time lies at byte 268");

class IMp3Library {
public:
    virtual ~IMp3Library() = default;
    // Prepares the library; every other call does nothing before it.
    virtual void vbmp3_init() = 0;
    // Opens fileName for playing (closing what was open) and fills *info. A file that
    // cannot be opened or decoded leaves nothing open and *info as it was; false then.
    virtual bool vbmp3_open(const std::string& fileName, Mp3Info* info) = 0;
    // Starts the opened file from its beginning and returns at once.
    virtual void vbmp3_play() = 0;
    // Starts the opened file from its beginning and plays it over and over, from its
    // last sample straight on into its first, until stop or close; returns at once.
    virtual void vbmp3_playloop() = 0;
    // Silences the playing file; harmless when nothing plays.
    virtual void vbmp3_stop() = 0;
    // Ends playback and releases the opened file; harmless when nothing is open.
    virtual void vbmp3_close() = 0;
    // Releases the library (after which only vbmp3_init brings it back).
    virtual void vbmp3_free() = 0;
};
