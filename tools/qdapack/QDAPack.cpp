#include "tools/qdapack/QDAPack.h"

#include "base/Format.h"
#include "base/SafeFile.h"
#include "base/Stream.h"
#include "tools/qdapack/BytePairEncoder.h"

#include <filesystem>
#include <ostream>
#include <set>

namespace {

constexpr size_t HeaderSize = 256;
constexpr size_t EntrySize = 268;
constexpr size_t NameSize = 256;
constexpr uint64_t MaxArchiveSize = 0x7FFFFFFF;

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

void CheckNames(const std::vector<QDAPackEntry>& entries) {
    std::set<std::string> seen;
    for (const QDAPackEntry& e : entries) {
        if (e.Name.empty()) throw EQDAPackError("an entry has an empty name");
        if (e.Name.size() >= NameSize)
            throw EQDAPackError(Format("entry name '%s' is longer than 255 bytes", e.Name.c_str()));
        if (e.Name.find('\0') != std::string::npos)
            throw EQDAPackError(Format("entry name '%s' holds a NUL byte", e.Name.c_str()));
        if (!seen.insert(AsciiLower(e.Name)).second)
            throw EQDAPackError(
                Format("entry name '%s' is used twice (letter case does not count)", e.Name.c_str()));
    }
}

const char* const Usage = "usage: qdapack [-s|--stored] OUT.qda FILE...\n"
                          "  Packs the files into a picture archive, each named after its base name.\n"
                          "  Entries are byte-pair compressed unless -s (--stored) is given.\n";

} // namespace

std::vector<uint8_t> QDAPackArchive(const std::vector<QDAPackEntry>& entries, bool compressed) {
    CheckNames(entries);
    std::vector<std::vector<uint8_t>> coded;
    if (compressed)
        for (const QDAPackEntry& e : entries) coded.push_back(BytePairEncode(e.Data));
    uint64_t total = HeaderSize + EntrySize * entries.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        total += compressed ? coded[i].size() : entries[i].Data.size();
        if (total > MaxArchiveSize) throw EQDAPackError("the archive would reach 2 GiB");
    }

    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(total));
    PutU32(out, compressed ? 1 : 0);
    out.insert(out.end(), {'Q', 'D', 'A', '0'});
    PutU32(out, static_cast<uint32_t>(entries.size()));
    out.resize(HeaderSize, 0);
    uint32_t at = static_cast<uint32_t>(HeaderSize + EntrySize * entries.size());
    for (size_t i = 0; i < entries.size(); ++i) {
        const uint32_t decoded = static_cast<uint32_t>(entries[i].Data.size());
        const uint32_t stored = compressed ? static_cast<uint32_t>(coded[i].size()) : decoded;
        PutU32(out, at);
        PutU32(out, stored);
        PutU32(out, decoded);
        const size_t nameAt = out.size();
        out.resize(nameAt + NameSize, 0);
        std::copy(entries[i].Name.begin(), entries[i].Name.end(),
                  out.begin() + static_cast<ptrdiff_t>(nameAt));
        at += stored;
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const std::vector<uint8_t>& data = compressed ? coded[i] : entries[i].Data;
        out.insert(out.end(), data.begin(), data.end());
    }
    return out;
}

int QDAPackMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    bool compressed = true;
    std::vector<std::string> rest;
    for (const std::string& a : args) {
        if (!rest.empty() || a.empty() || a[0] != '-' || a == "-") {
            rest.push_back(a);
        } else if (a == "-s" || a == "--stored") {
            compressed = false;
        } else if (a == "-h" || a == "--help") {
            out << Usage;
            return 0;
        } else {
            err << "qdapack: unknown option '" << a << "'\n" << Usage;
            return 2;
        }
    }
    if (rest.size() < 2) {
        err << "qdapack: " << (rest.empty() ? "no output file and no input files" : "no input files") << "\n"
            << Usage;
        return 2;
    }
    try {
        std::vector<QDAPackEntry> entries;
        uint64_t inputBytes = 0;
        for (size_t i = 1; i < rest.size(); ++i) {
            QDAPackEntry e;
            e.Name = std::filesystem::path(rest[i]).filename().string();
            e.Data = ReadWholeFile(rest[i]);
            inputBytes += e.Data.size();
            entries.push_back(std::move(e));
        }
        const std::vector<uint8_t> archive = QDAPackArchive(entries, compressed);
        WriteFileSafely(rest[0], archive);
        out << "qdapack: wrote " << rest[0] << " (" << entries.size() << " entries, "
            << (compressed ? "compressed" : "stored") << ", " << inputBytes << " bytes in, " << archive.size()
            << " bytes out)\n";
        return 0;
    } catch (const Exception& e) {
        err << "qdapack: " << e.Message() << "\n";
        return 1;
    }
}
