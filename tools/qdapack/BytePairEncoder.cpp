#include "tools/qdapack/BytePairEncoder.h"

#include <algorithm>
#include <iterator>

namespace {

// A block ends at 64 KiB, or earlier (but not before 4 KiB) where it would use more
// than 200 byte values, so that it keeps values free to stand for pairs.
constexpr size_t MaxBlock = 64 * 1024;
constexpr size_t MinBlock = 4 * 1024;
constexpr int MaxDistinct = 200;
// A pair costs two table bytes; replacing it fewer times than this gains nothing.
constexpr uint32_t MinCount = 4;
// At most this many pairs are replaced in one pass over the block.
constexpr size_t MaxPerPass = 32;

size_t BlockLength(const uint8_t* data, size_t size) {
    bool seen[256] = {};
    int distinct = 0;
    size_t n = 0;
    for (; n < size && n < MaxBlock; ++n) {
        if (seen[data[n]]) continue;
        if (distinct >= MaxDistinct && n >= MinBlock) break;
        seen[data[n]] = true;
        ++distinct;
    }
    return n;
}

void PutU32(std::vector<uint8_t>& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

class BlockCoder {
public:
    BlockCoder() : pairs_(65536) {}

    void Encode(const uint8_t* data, size_t size, std::vector<uint8_t>& out) {
        buf_.assign(data, data + size);
        bool used[256] = {};
        for (uint8_t b : buf_) used[b] = true;
        for (int k = 0; k < 256; ++k) left_[k] = static_cast<uint8_t>(k);
        Count();
        int code = 255;
        for (;;) {
            // Several pairs at once when no two share a byte value: replacing one
            // then leaves the others' counts as they were.
            const std::vector<uint32_t> chosen = ChoosePairs();
            int made = 0;
            for (uint32_t p : chosen) {
                while (code >= 0 && used[code]) --code;
                if (code < 0) break;
                used[code] = true;
                left_[code] = static_cast<uint8_t>(p >> 8);
                right_[code] = static_cast<uint8_t>(p);
                codes_[made++] = static_cast<uint8_t>(code);
            }
            if (made == 0) break;
            Replace(made);
        }
        WriteTable(out);
        PutU32(out, static_cast<uint32_t>(buf_.size()));
        out.insert(out.end(), buf_.begin(), buf_.end());
    }

private:
    // Counts the pair ending at position j of buf_. A run of one value counts as
    // many pairs as can be replaced in it (aaaa holds two aa, not three).
    void CountAt(size_t j) {
        const uint8_t x = buf_[j - 1];
        const uint8_t y = buf_[j];
        if (x == y && sameRun_) {
            sameRun_ = false;
            return;
        }
        sameRun_ = x == y;
        const uint32_t p = static_cast<uint32_t>(x) << 8 | y;
        PairCount& c = pairs_[p];
        if (c.Generation != generation_) {
            c.Generation = generation_;
            c.Count = 0;
        }
        if (++c.Count == MinCount) candidates_.push_back(p);
    }

    void Begin() {
        ++generation_;
        candidates_.clear();
        sameRun_ = false;
    }

    // The most frequent pair and, after it, every pair at least half as frequent
    // that shares no byte value with one taken before it.
    std::vector<uint32_t> ChoosePairs() {
        std::vector<uint32_t> chosen;
        if (candidates_.empty()) return chosen;
        uint32_t best = 0;
        for (uint32_t p : candidates_) best = std::max(best, pairs_[p].Count);
        const uint32_t floor = std::max(MinCount, best / 2);
        const auto end = std::partition(candidates_.begin(), candidates_.end(),
                                        [this, floor](uint32_t p) { return pairs_[p].Count >= floor; });
        std::sort(candidates_.begin(), end, [this](uint32_t x, uint32_t y) {
            return pairs_[x].Count != pairs_[y].Count ? pairs_[x].Count > pairs_[y].Count : x < y;
        });
        bool taken[256] = {};
        for (auto it = candidates_.begin(); it != end && chosen.size() < MaxPerPass; ++it) {
            const uint32_t p = *it;
            const uint8_t a = static_cast<uint8_t>(p >> 8);
            const uint8_t b = static_cast<uint8_t>(p);
            if (taken[a] || taken[b]) continue;
            taken[a] = taken[b] = true;
            chosen.push_back(p);
        }
        return chosen;
    }

    void Count() {
        Begin();
        for (size_t j = 1; j < buf_.size(); ++j) CountAt(j);
    }

    // Replaces the chosen pairs by their codes, left to right, counting the new
    // pairs as it goes.
    void Replace(int made) {
        int16_t second[256];
        uint8_t codeOf[256] = {};
        std::fill(std::begin(second), std::end(second), int16_t{-1});
        for (int i = 0; i < made; ++i) {
            second[left_[codes_[i]]] = right_[codes_[i]];
            codeOf[left_[codes_[i]]] = codes_[i];
        }
        Begin();
        const size_t n = buf_.size();
        uint8_t* p = buf_.data();
        size_t j = 0;
        for (size_t i = 0; i < n; ++j) {
            const uint8_t x = p[i];
            if (second[x] >= 0 && i + 1 < n && p[i + 1] == second[x]) {
                p[j] = codeOf[x];
                i += 2;
            } else {
                p[j] = x;
                ++i;
            }
            if (j > 0) CountAt(j);
        }
        buf_.resize(j);
    }

    void WriteEntry(int k, std::vector<uint8_t>& out) const {
        out.push_back(left_[k]);
        if (left_[k] != k) out.push_back(right_[k]);
    }

    // The pair table: a count above 127 skips count-127 values that stand for
    // themselves and is followed by one entry; a count up to 127 is followed by
    // count+1 entries. A lone literal between pairs is cheaper written as an entry.
    void WriteTable(std::vector<uint8_t>& out) const {
        int k = 0;
        while (k < 256) {
            if (left_[k] == k) {
                int run = 0;
                while (k + run < 256 && run < 128 && left_[k + run] == k + run) ++run;
                out.push_back(static_cast<uint8_t>(127 + run));
                k += run;
                if (k < 256) WriteEntry(k++, out);
                continue;
            }
            int m = k;
            while (m < 256 && m - k < 128) {
                if (left_[m] != m || (m + 1 < 256 && left_[m + 1] != m + 1)) {
                    ++m;
                } else {
                    break;
                }
            }
            out.push_back(static_cast<uint8_t>(m - k - 1));
            for (; k < m; ++k) WriteEntry(k, out);
        }
    }

    std::vector<uint8_t> buf_;
    // How often each pair occurs in the block; a count is stale unless its
    // generation is that of the current pass.
    struct PairCount {
        uint32_t Generation = 0;
        uint32_t Count = 0;
    };
    std::vector<PairCount> pairs_;
    uint32_t generation_ = 0;
    std::vector<uint32_t> candidates_; // pairs counted MinCount times or more
    uint8_t codes_[256] = {};
    bool sameRun_ = false;
    uint8_t left_[256] = {};
    uint8_t right_[256] = {};
};

} // namespace

std::vector<uint8_t> BytePairEncode(const uint8_t* data, size_t size) {
    std::vector<uint8_t> out;
    out.reserve(size + size / 64 + 16);
    BlockCoder coder;
    for (size_t at = 0; at < size;) {
        const size_t n = BlockLength(data + at, size - at);
        coder.Encode(data + at, n, out);
        at += n;
    }
    return out;
}
