#pragma once
// A temporary program folder with the game's data files, as the build places them beside
// the program; the sound and input logs go there too.
#include "input/Ddidex.h"
#include "sound/ddsd.h"
#include "support/TempDir.h"

#include <filesystem>
#include <string>

inline std::string PreparedProgramFolder(const TempDir& dir) {
    std::filesystem::create_directories(dir.Path() / "Data");
    for (const char* name :
         {"data.qda", "data_en.qda", "haikei.jpg", "cat.wav", "Fall.wav", "HitCat.wav", "get.wav", "apple.wav"})
        std::filesystem::copy_file(SourceDir() + "Data/" + name, dir.Path() / "Data" / name);
    TDDSD::SetLogFolder(dir.Dir());
    TDDIDEX::SetDebugLogFolder(dir.Dir());
    return dir.Dir();
}
