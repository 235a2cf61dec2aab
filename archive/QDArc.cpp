#include "archive/QDArc.h"

#include "base/Format.h"
#include "base/Translate.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <vector>

// The archive: a 256-byte header, EntryCount directory records of 268 bytes from
// position 256, and the entries' data anywhere after, each found through its record.
// A compressed archive byte-pair codes every entry: a run of blocks, each a pair
// table followed by a 4-byte little-endian count of coded bytes.

namespace {

constexpr int64_t HeaderSize = 256;
constexpr int64_t EntrySize = 268;
constexpr int NameSize = 256;
constexpr int StackSize = 256;

const char* const BadHeaderMessage = TrNoop("Rozuduvoz O Archiveの扱えるデータではありません");
// The ID is shown exactly as the caller spelled it.
std::string MissingIdMessage(const std::string& ID) {
    return Format(Tr("アーカイブ内には指定されたID '%s' を持つデータが見つかりません"), ID.c_str());
}

uint32_t ReadU32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

struct DirectoryEntry {
    uint32_t Offset = 0;
    uint32_t StoredSize = 0;
    uint32_t DecodedSize = 0;
};

// ID: the entry's, or empty for coded data of no named entry.
void CheckEntrySize(uint32_t DecodedSize, const std::string& ID) {
    if (DecodedSize <= QDAMaxEntrySize) return;
    if (ID.empty())
        throw EQDAError(Format(Tr("圧縮データの大きさ %u バイトは扱える上限 %u バイトを越えています"),
                               DecodedSize, QDAMaxEntrySize));
    throw EQDAError(
        Format(Tr("アーカイブ内のデータ '%s' の大きさ %u バイトは扱える上限 %u バイトを越えています"),
               ID.c_str(), DecodedSize, QDAMaxEntrySize));
}

// Walks the directory in file order; the first record whose name (up to its first
// NUL) equals ID without regard to ASCII letter case wins.
bool FindEntry(const std::vector<uint8_t>& directory, const std::string& ID, DirectoryEntry& found) {
    const std::string wanted = AsciiLower(ID);
    for (size_t at = 0; at + EntrySize <= directory.size(); at += EntrySize) {
        const uint8_t* record = directory.data() + at;
        const char* name = reinterpret_cast<const char*>(record + 12);
        const std::string entryName(name, strnlen(name, NameSize));
        if (AsciiLower(entryName) != wanted) continue;
        found.Offset = ReadU32(record);
        found.StoredSize = ReadU32(record + 4);
        found.DecodedSize = ReadU32(record + 8);
        return true;
    }
    return false;
}

// Reads count bytes at Offset; the data area must lie wholly inside the stream.
std::vector<uint8_t> ReadDataArea(TStream& Stream, const DirectoryEntry& entry, uint32_t count,
                                  const std::string& ID) {
    if (static_cast<int64_t>(entry.Offset) + count > Stream.Size())
        throw EQDAError(Format(Tr("アーカイブ内のデータ '%s' がファイルの終わりを越えています"), ID.c_str()));
    std::vector<uint8_t> bytes(count);
    Stream.SetPosition(entry.Offset);
    if (count != 0 && Stream.Read(bytes.data(), count) != count)
        throw EQDAError(Format(Tr("アーカイブ内のデータ '%s' を読めません"), ID.c_str()));
    return bytes;
}

// Byte-pair decoding of one coded buffer.
class PairDecoder {
public:
    PairDecoder(const uint8_t* input, size_t size, uint32_t decodedSize)
        : in_(input), end_(input + size), limit_(decodedSize) {
        // Reserve what the input plausibly yields; the output grows beyond that only
        // while real coded bytes keep expanding, and never past DecodedSize.
        out_.resize(std::min<size_t>(decodedSize, size * 16 + 4096));
    }

    std::vector<uint8_t> Run() {
        while (in_ < end_) DecodeBlock();
        if (used_ != limit_)
            throw EQDAError(
                Format(Tr("圧縮データが壊れています（展開後の長さ %zu バイトが %u バイトと違います）"), used_,
                       limit_));
        out_.resize(used_);
        return std::move(out_);
    }

private:
    uint8_t Next() {
        if (in_ >= end_)
            throw EQDAError(Tr("圧縮データが壊れています（ブロックが入力の終わりを越えています）"));
        return *in_++;
    }

    void ReadPairTable() {
        for (int k = 0; k < 256; ++k) left_[k] = static_cast<uint8_t>(k);
        int k = 0;
        int count = Next();
        for (;;) {
            if (count > 127) {
                k += count - 127;
                count = 0;
            }
            if (k == 256) return;
            if (k > 256) throw EQDAError(Tr("圧縮データが壊れています（ペア表が255を越えています）"));
            for (int i = 0; i <= count; ++i) {
                if (k == 256) throw EQDAError(Tr("圧縮データが壊れています（ペア表が255を越えています）"));
                left_[k] = Next();
                if (left_[k] != k) right_[k] = Next();
                ++k;
            }
            if (k == 256) return;
            count = Next();
        }
    }

    void DecodeBlock() {
        ReadPairTable();
        uint8_t size[4];
        for (uint8_t& b : size) b = Next();
        const uint32_t n = ReadU32(size);
        if (n > static_cast<size_t>(end_ - in_))
            throw EQDAError(Tr("圧縮データが壊れています（ブロックが入力の終わりを越えています）"));
        const uint8_t* const blockEnd = in_ + n;
        while (in_ < blockEnd) Expand(*in_++);
    }

    void Put(uint8_t b) {
        if (used_ == out_.size()) Grow();
        out_[used_++] = b;
    }

    void Grow() {
        if (used_ == limit_)
            throw EQDAError(
                Format(Tr("圧縮データが壊れています（展開後の長さが %u バイトを越えています）"), limit_));
        out_.resize(std::min<size_t>(limit_, std::max<size_t>(out_.size() * 2, 4096)));
    }

    // Writes the expansion of one coded byte, left half first.
    void Expand(uint8_t b) {
        if (left_[b] == b) return Put(b);
        int top = 0;
        for (;;) {
            if (left_[b] == b) {
                Put(b);
                if (top == 0) return;
                b = stack_[--top];
                continue;
            }
            if (top + 2 > StackSize)
                throw EQDAError(Tr("圧縮データが壊れています（展開用スタックが256バイトを越えています）"));
            stack_[top++] = right_[b];
            b = left_[b];
        }
    }

    const uint8_t* in_;
    const uint8_t* const end_;
    const uint32_t limit_;
    std::vector<uint8_t> out_; // written up to used_
    size_t used_ = 0;
    uint8_t left_[256] = {};
    uint8_t right_[256] = {};
    uint8_t stack_[StackSize] = {};
};

} // namespace

bool QDACheckHeader(const uint8_t* Header) {
    return std::memcmp(Header + 4, "QDA0", 4) == 0;
}

std::unique_ptr<TMemoryStream> QDADecode(TStream& Input, uint32_t DecodedSize) {
    CheckEntrySize(DecodedSize, "");
    const int64_t left = Input.Size() - Input.Position();
    std::vector<uint8_t> coded(static_cast<size_t>(left > 0 ? left : 0));
    if (!coded.empty() && Input.Read(coded.data(), left) != left)
        throw EQDAError(Tr("圧縮データを読めません"));
    auto out = std::make_unique<TMemoryStream>(PairDecoder(coded.data(), coded.size(), DecodedSize).Run());
    out->SetPosition(0);
    return out;
}

namespace {

std::unique_ptr<TMemoryStream> LoadEntry(TStream& Stream, const std::string& ID) {
    uint8_t header[HeaderSize];
    if (Stream.Read(header, HeaderSize) != HeaderSize || !QDACheckHeader(header))
        throw EQDAError(Tr(BadHeaderMessage));
    const uint32_t compressed = ReadU32(header);
    const int32_t entryCount = static_cast<int32_t>(ReadU32(header + 8));
    if (entryCount < 0)
        throw EQDAError(Format(Tr("アーカイブのエントリ数 %d が正しくありません"), entryCount));
    const int64_t directorySize = entryCount * EntrySize;
    if (directorySize > Stream.Size() - Stream.Position())
        throw EQDAError(Format(Tr("アーカイブの目録（%d 件）がファイルの終わりを越えています"), entryCount));
    std::vector<uint8_t> directory(static_cast<size_t>(directorySize));
    if (directorySize != 0 && Stream.Read(directory.data(), directorySize) != directorySize)
        throw EQDAError(Tr("アーカイブの目録を読めません"));
    Stream.SetPosition(0);

    // A matching record whose Offset is 0 counts as no record at all.
    DirectoryEntry entry;
    if (!FindEntry(directory, ID, entry) || entry.Offset == 0) throw EQDAError(MissingIdMessage(ID));
    CheckEntrySize(entry.DecodedSize, ID);

    if (compressed == 1) {
        TMemoryStream coded(ReadDataArea(Stream, entry, entry.StoredSize, ID));
        return QDADecode(coded, entry.DecodedSize);
    }
    auto out = std::make_unique<TMemoryStream>(ReadDataArea(Stream, entry, entry.DecodedSize, ID));
    out->SetPosition(0);
    return out;
}

} // namespace

std::unique_ptr<TMemoryStream> QDALoadFromStream(TStream& Stream, const std::string& ID) {
    try {
        return LoadEntry(Stream, ID);
    } catch (const std::bad_alloc&) {
        // Even an entry within the bound may not fit a machine short of memory.
        throw EQDAError(Format(Tr("アーカイブ内のデータ '%s' を読むためのメモリが足りません"), ID.c_str()));
    }
}

std::unique_ptr<TMemoryStream> QDALoadFromFile(const std::string& ArchiveFileName, const std::string& ID) {
    TFileStream file(ArchiveFileName, FileMode::OpenRead);
    return QDALoadFromStream(file, ID);
}
