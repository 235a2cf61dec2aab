// Feeds arbitrary bytes to the top-ten reader, once as they are and once with a right
// checksum line added. A table it accepts holds at most ten sound entries, best first,
// each within what its foods can give, and comes back the same after writing and
// reading it again.
#include "game/ScoreFile.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void Read(const std::string& text) {
    TScoreTable t;
    std::string why;
    if (!ParseScoreFile(text, t, why)) {
        Check(!why.empty() && t.Entries().empty());
        return;
    }
    Check(t.Entries().size() <= ScoreTableSize);
    for (size_t i = 0; i < t.Entries().size(); ++i) {
        const TScoreEntry& e = t.Entries()[i];
        Check(e.Score > 0 && e.Score <= ScoreBound(e.Foods) && ValidScoreName(e.Name));
        Check(i == 0 || e.Score <= t.Entries()[i - 1].Score);
    }
    Check(t.LastName.empty() || ValidScoreName(t.LastName));
    TScoreTable again;
    Check(ParseScoreFile(t.Format(), again, why));
    Check(again.Entries() == t.Entries() && again.LastName == t.LastName &&
          again.SavedGameTime == t.SavedGameTime);
    // A new game's entry keeps the table ranked and within ten.
    if (!t.Entries().empty()) {
        TScoreEntry e = t.Entries().back();
        const int at = again.Insert(e);
        Check(at == -1 || again.Entries().size() <= ScoreTableSize);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    Read(text);
    char sum[32];
    std::snprintf(sum, sizeof sum, "checksum=%08x\n", Crc32(text));
    Read(text + sum);
    return 0;
}
