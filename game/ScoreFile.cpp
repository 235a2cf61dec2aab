#include "game/ScoreFile.h"

#include "base/SafeFile.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

// The file's bytes, up to one past the limit; false when it cannot be opened.
bool ReadLimited(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    bytes.assign(MaxScoreFileBytes + 1, '\0');
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    bytes.resize(static_cast<size_t>(in.gcount()));
    return !in.bad();
}

// Renames path to the first free "<path>.bad", "<path>.bad.2", ...; answers the new name.
std::string SetAside(const std::string& path) {
    namespace fs = std::filesystem;
    for (int n = 1; n < 1000; ++n) {
        const std::string target = path + ".bad" + (n == 1 ? "" : "." + std::to_string(n));
        std::error_code ec;
        if (fs::exists(target, ec) || ec) continue;
        fs::rename(path, target, ec);
        return ec ? std::string() : target;
    }
    return {};
}

} // namespace

bool ParseScoreFile(const std::string& bytes, TScoreTable& table, std::string& why) {
    if (bytes.size() > MaxScoreFileBytes) {
        why = "it is longer than a table can be";
        return false;
    }
    return table.Parse(bytes, why);
}

TScoreLoad LoadScoreTable(const std::string& path, TScoreTable& table) {
    table = TScoreTable{};
    std::string bytes, why;
    if (!ReadLimited(path, bytes)) return TScoreLoad::Missing;
    if (ParseScoreFile(bytes, table, why)) return TScoreLoad::Read;
    const std::string aside = SetAside(path);
    std::string backupWhy;
    std::string backup;
    const bool fromBackup = ReadLimited(path + ".bak", backup) && ParseScoreFile(backup, table, backupWhy);
    std::fprintf(stderr, "%s: %s; %s; %s\n", path.c_str(), why.c_str(),
                 aside.empty() ? "it could not be set aside" : ("set aside as " + aside).c_str(),
                 fromBackup ? "the table is the one kept in the .bak file" : "the table starts empty");
    return fromBackup ? TScoreLoad::FromBackup : TScoreLoad::Empty;
}

void SaveScoreTable(const std::string& path, const TScoreTable& table) {
    std::string old;
    if (ReadLimited(path, old)) WriteFileSafely(path + ".bak", old.data(), old.size());
    const std::string text = table.Format();
    WriteFileSafely(path, text.data(), text.size());
}
