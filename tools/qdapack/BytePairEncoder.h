#pragma once
// The byte-pair coder of the picture archive: the data is cut into blocks, and in
// each block the most frequent pair of adjacent bytes is replaced by a byte value
// the block does not use, again and again while that still pays. Every block is
// written as its pair table, a 4-byte little-endian count and the coded bytes.
#include <cstddef>
#include <cstdint>
#include <vector>

std::vector<uint8_t> BytePairEncode(const uint8_t* data, size_t size);
inline std::vector<uint8_t> BytePairEncode(const std::vector<uint8_t>& data) {
    return BytePairEncode(data.data(), data.size());
}
