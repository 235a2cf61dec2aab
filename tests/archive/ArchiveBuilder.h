#pragma once
// A small writer of archives for the reader's tests: every field can be set by hand,
// including the ones a sound packer never writes (odd offsets, sizes, counts).
#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

inline void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct BuiltEntry {
    std::string Name;
    std::vector<uint8_t> Data; // the bytes placed in the data area
    uint32_t StoredSize = 0;
    uint32_t DecodedSize = 0;
    bool FixedOffset = false;
    uint32_t Offset = 0;
};

class ArchiveBuilder {
public:
    explicit ArchiveBuilder(uint32_t compressed) : compressed_(compressed) {}

    // Stored size and decoded size default to the data's length.
    BuiltEntry& Add(const std::string& name, std::vector<uint8_t> data) {
        BuiltEntry e;
        e.Name = name;
        e.StoredSize = e.DecodedSize = static_cast<uint32_t>(data.size());
        e.Data = std::move(data);
        entries_.push_back(std::move(e));
        return entries_.back();
    }
    void SetEntryCount(int32_t n) {
        entryCount_ = n;
        countSet_ = true;
    }
    void SetMagic(const char* m) { magic_ = m; }

    std::vector<uint8_t> Build() const {
        std::vector<uint8_t> out;
        PutU32(out, compressed_);
        out.insert(out.end(), magic_, magic_ + 4);
        PutU32(out, static_cast<uint32_t>(countSet_ ? entryCount_ : static_cast<int32_t>(entries_.size())));
        out.resize(256, 0);
        uint32_t at = static_cast<uint32_t>(256 + 268 * entries_.size());
        for (const BuiltEntry& e : entries_) {
            PutU32(out, e.FixedOffset ? e.Offset : at);
            PutU32(out, e.StoredSize);
            PutU32(out, e.DecodedSize);
            std::vector<uint8_t> name(256, 0);
            for (size_t i = 0; i < e.Name.size() && i < 256; ++i) name[i] = static_cast<uint8_t>(e.Name[i]);
            out.insert(out.end(), name.begin(), name.end());
            at += static_cast<uint32_t>(e.Data.size());
        }
        for (const BuiltEntry& e : entries_) out.insert(out.end(), e.Data.begin(), e.Data.end());
        return out;
    }

private:
    uint32_t compressed_;
    int32_t entryCount_ = 0;
    bool countSet_ = false;
    const char* magic_ = "QDA0";
    std::vector<BuiltEntry> entries_;
};

// A pair table in its plainest form: two runs of 128 explicit entries (count byte 127),
// each value written as itself unless it stands for a pair.
inline std::vector<uint8_t> PlainPairTable(const std::map<int, std::pair<uint8_t, uint8_t>>& pairs) {
    std::vector<uint8_t> out;
    for (int k = 0; k < 256; ++k) {
        if (k % 128 == 0) out.push_back(127);
        const auto it = pairs.find(k);
        if (it == pairs.end()) {
            out.push_back(static_cast<uint8_t>(k));
        } else {
            out.push_back(it->second.first);
            out.push_back(it->second.second);
        }
    }
    return out;
}

// One coded block: its pair table, the 4-byte count, then the coded bytes.
inline std::vector<uint8_t> Block(const std::vector<uint8_t>& table, const std::vector<uint8_t>& coded) {
    std::vector<uint8_t> out = table;
    PutU32(out, static_cast<uint32_t>(coded.size()));
    out.insert(out.end(), coded.begin(), coded.end());
    return out;
}

inline std::vector<uint8_t> Concat(std::vector<uint8_t> a, const std::vector<uint8_t>& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}
