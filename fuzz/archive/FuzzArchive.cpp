// Feeds arbitrary bytes to the archive reader as a whole archive file and looks up a
// few IDs: two fixed names and the name of the first directory record, so that
// mutated archives still reach the data areas and the byte-pair decoder.
#include "archive/QDArc.h"
#include "base/Format.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t HeaderSize = 256;
constexpr size_t EntrySize = 268;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void LookUp(const std::vector<uint8_t>& bytes, const std::string& id) {
    TMemoryStream stream(bytes);
    try {
        const auto out = QDALoadFromStream(stream, id);
        Check(out->Position() == 0);
        Check(out->Size() <= QDAMaxEntrySize);
    } catch (const EQDAError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    // Stated sizes are taken as they stand: the reader itself bounds what an entry may
    // expand to, so a few coded bytes claiming gigabytes must be refused, not decoded.
    const std::vector<uint8_t> bytes(data, data + size);
    std::string first;
    if (size >= HeaderSize + EntrySize) {
        const char* name = reinterpret_cast<const char*>(&bytes[HeaderSize + 12]);
        first.assign(name, strnlen(name, 256));
    }
    LookUp(bytes, "Title.bmp");
    LookUp(bytes, "A");
    // An entry may take seconds to decode at the bound in this build: once is enough.
    if (AsciiLower(first) != "title.bmp" && AsciiLower(first) != "a") LookUp(bytes, first);

    // The decoder alone, on everything after a 4-byte stated size.
    if (size >= 4) {
        uint32_t decoded;
        std::memcpy(&decoded, data, 4);
        TMemoryStream coded(std::vector<uint8_t>(data + 4, data + size));
        try {
            const auto out = QDADecode(coded, decoded);
            Check(out->Size() == decoded && decoded <= QDAMaxEntrySize && out->Position() == 0);
        } catch (const EQDAError&) {
        }
    }
    return 0;
}
