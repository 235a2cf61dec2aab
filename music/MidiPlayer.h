#pragma once
// The MIDI player the BGM uses, in the shape of a media player control: a file name,
// open and close, play (returns at once), stop, seek, and the mode it is in.
#include "base/Exception.h"
#include "base/Translate.h"

#include <cstdint>
#include <string>

// Raised for a file that cannot be opened, and for play while nothing is open
// ("MCI デバイスがありません").
class EMCIDeviceError : public Exception {
public:
    using Exception::Exception;
};

enum class TMPModes { mpNotReady, mpStopped, mpPlaying, mpRecording, mpSeeking, mpPaused, mpOpen };

inline constexpr const char* kNoMciDevice = TrNoop("MCI デバイスがありません");

class IMidiPlayer {
public:
    virtual ~IMidiPlayer() = default;
    virtual const std::string& FileName() const = 0;
    virtual void SetFileName(const std::string& fileName) = 0;
    // Opens FileName (closing what was open); EMCIDeviceError with the reason on failure.
    virtual void Open() = 0;
    // Closes the file; harmless when nothing is open.
    virtual void Close() = 0;
    // Plays from the current position and returns at once.
    virtual void Play() = 0;
    // Stops playing; does nothing while nothing is open.
    virtual void Stop() = 0;
    // Moves to a position in MIDI ticks (0: the beginning). Like the control's seek,
    // it stops playing; Play goes on from there. Does nothing while nothing is open.
    virtual void SetPosition(int32_t ticks) = 0;
    // mpNotReady when nothing is open, mpPlaying while it plays, else mpStopped.
    virtual TMPModes Mode() = 0;
    // A looping player starts the piece again when its last tick has played, its last
    // notes ringing on into the first, and so never ends by itself. Off by default; it
    // holds for every file opened after.
    virtual void SetLooping(bool looping) = 0;
};
