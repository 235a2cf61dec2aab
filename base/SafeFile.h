#pragma once
// Writing a file so that a crash or a full disk never leaves it half written: the
// bytes go to a temporary file in the same folder, are flushed to disk, and the
// temporary file is then renamed over the old one.
#include <cstdint>
#include <string>
#include <vector>

// Raises EFCreateError / EWriteError with the system's reason; the old file is
// untouched on every failure.
void WriteFileSafely(const std::string& path, const void* data, size_t size);
inline void WriteFileSafely(const std::string& path, const std::vector<uint8_t>& bytes) {
    WriteFileSafely(path, bytes.data(), bytes.size());
}

// The settings writers' last step: the text an INI writer made of the file (`made` false
// when it could not make one), written safely. Any failure raises
// Exception("<path> に書き込めません"), the old file untouched.
void WriteSettingsText(const std::string& path, bool made, const std::string& text);

// The whole of a file as it is, into text: false (text untouched) when it cannot be
// opened. The readers of the settings file start from it.
bool ReadWholeFile(const std::string& path, std::string& text);

// The temporary file of a write of "<folder>/<name>" is "<folder>/.himawari-<name>.XXXXXX"
// (six letters or digits): whether file (a name, no folder) is one of name's.
bool IsTemporaryOf(const std::string& file, const std::string& name);

// Removes the temporary files that a write of one of the named files (file names, no
// folder) left in folder when the program was killed in the middle of it (IsTemporaryOf).
// Nothing else is touched: a player's "record.dat.backup" stays. A missing folder is no
// error. Answers how many were removed.
int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names);
