#pragma once
// The window's settings kept in section [Options] of "Settei.ini": the scaling mode
// (Scale=WholeNumber or Fit), the size of the game's area below the menu bar in logical
// pixels (WindowWidth, WindowHeight) and whether it is fullscreen (Fullscreen=1/0).
// A missing key gives its default; a value that cannot be used gives the default and
// one line in the complaints. A write keeps every other section and key of the file.
#include <cstdint>
#include <ostream>
#include <string>

enum class TWindowScale { WholeNumber, Fit };

struct TWindowSettings {
    // The game's own size is the smallest; a side beyond the largest is no screen's.
    static constexpr int32_t MinWidth = 764, MinHeight = 500, MaxSide = 16384;
    TWindowScale Scale = TWindowScale::WholeNumber;
    int32_t Width = MinWidth;
    int32_t Height = MinHeight;
    bool Fullscreen = false;
    bool operator==(const TWindowSettings&) const = default;
};

// A file that cannot be read or parsed gives every default without a complaint.
TWindowSettings ReadWindowSettings(const std::string& path, std::ostream& complaints);

// Writes the four keys safely into path, keeping every other section and key of keptFrom
// (the file that was read: the first write into the user's folder starts from the
// program folder's copy); raises Exception("<path> に書き込めません") when the file
// cannot be written, leaving it as it was.
void WriteWindowSettings(const std::string& path, const TWindowSettings& settings,
                         const std::string& keptFrom);
