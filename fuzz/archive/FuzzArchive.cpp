// Feeds arbitrary bytes to the archive reader as a whole archive file and looks up a
// few IDs: two fixed names and the name of the first directory record, so that
// mutated archives still reach the data areas and the byte-pair decoder.
#include "archive/QDArc.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr size_t HeaderSize = 256;
constexpr size_t EntrySize = 268;
// A valid archive may state any decoded size below 2 GiB and reach it from a few
// coded bytes; the fuzzer keeps stated sizes below 1 MiB to stay inside its memory.
constexpr uint32_t MaxDecoded = (1u << 20) - 1;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void LookUp(const std::vector<uint8_t>& bytes, const std::string& id) {
    TMemoryStream stream(bytes);
    try {
        const auto out = QDALoadFromStream(stream, id);
        Check(out->Position() == 0);
        Check(out->Size() <= MaxDecoded || bytes[0] != 1);
    } catch (const EQDAError&) {
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<uint8_t> bytes(data, data + size);
    for (size_t at = HeaderSize + 8; at + 4 <= size; at += EntrySize) {
        uint32_t decoded;
        std::memcpy(&decoded, &bytes[at], 4);
        decoded &= MaxDecoded;
        std::memcpy(&bytes[at], &decoded, 4);
    }
    std::string first;
    if (size >= HeaderSize + EntrySize) {
        const char* name = reinterpret_cast<const char*>(&bytes[HeaderSize + 12]);
        first.assign(name, strnlen(name, 256));
    }
    LookUp(bytes, "Title.bmp");
    LookUp(bytes, "A");
    LookUp(bytes, first);

    // The decoder alone, on everything after a 4-byte stated size.
    if (size >= 4) {
        uint32_t decoded;
        std::memcpy(&decoded, data, 4);
        TMemoryStream coded(std::vector<uint8_t>(data + 4, data + size));
        try {
            const auto out = QDADecode(coded, decoded & MaxDecoded);
            Check(out->Size() == (decoded & MaxDecoded) && out->Position() == 0);
        } catch (const EQDAError&) {
        }
    }
    return 0;
}
