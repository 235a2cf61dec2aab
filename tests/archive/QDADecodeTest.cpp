#include "ArchiveBuilder.h"
#include "archive/QDArc.h"

#include <gtest/gtest.h>

namespace {

std::string Decode(const std::vector<uint8_t>& coded, uint32_t size) {
    TMemoryStream input(coded);
    auto out = QDADecode(input, size);
    EXPECT_EQ(out->Position(), 0);
    EXPECT_EQ(out->Size(), size);
    return std::string(out->Bytes().begin(), out->Bytes().end());
}

std::string ErrorOf(const std::vector<uint8_t>& coded, uint32_t size) {
    TMemoryStream input(coded);
    try {
        QDADecode(input, size);
    } catch (const EQDAError& e) {
        return e.Message();
    }
    return "(no error)";
}

bool Says(const std::string& message, const char* part) {
    return message.find(part) != std::string::npos;
}

// No pairs at all: 0..127 skipped, 128 written as itself, 129..255 skipped.
const std::vector<uint8_t> EmptyTable = {255, 128, 254};

} // namespace

TEST(QDADecode, NestedPairsExpandLeftHalfFirst) {
    const auto table = PlainPairTable({{200, {65, 201}}, {201, {66, 67}}});
    EXPECT_EQ(Decode(Block(table, {200}), 3), "ABC");
    EXPECT_EQ(Decode(Block(table, {201, 'x', 200, 200}), 9), "BCxABCABC");
}

TEST(QDADecode, CountAbove127SkipsLiteralValuesThenReadsOneEntry) {
    // 255: 0..127 stay literal, then one entry for 128 (a pair), then 254 skips 129..255.
    EXPECT_EQ(Decode(Block({255, 'o', 'k', 254}, {128, '!'}), 3), "ok!");
    // 128 skips only value 0; value 1 is then a pair; count 2 gives 3 entries for 2..4.
    const std::vector<uint8_t> table = {128, 'a', 'b', 2, 2, 'c', 'd', 4, 127 + 124, 'e', 'f'};
    // 127+124 skips 5..128, value 129 = (e, f); 127+126 = 253 skips 130..255.
    EXPECT_EQ(Decode(Block(Concat(table, {253}), {1, 3, 129, 2, 4}), 8), "abcdef\x02\x04");
}

TEST(QDADecode, BlocksDecodeInOrderIntoOneStreamAndEmptyBlocksAddNothing) {
    const auto first = Block(PlainPairTable({{1, {'h', 'a'}}}), {1, 'm'});
    const auto empty = Block(EmptyTable, {});
    // The second block gives value 1 another meaning; the first one's pairs are gone.
    const auto second = Block(PlainPairTable({{1, {'s', 't'}}, {2, {'e', 'r'}}}), {1, 2});
    EXPECT_EQ(Decode(Concat(Concat(Concat(first, empty), second), empty), 7), "hamster");
    EXPECT_EQ(Decode(Block(EmptyTable, {}), 0), "");
    EXPECT_EQ(Decode({}, 0), "");
}

TEST(QDADecode, ReadsFromTheInputsPosition) {
    TMemoryStream input(Concat({9, 9, 9}, Block(EmptyTable, {'z'})));
    input.SetPosition(3);
    EXPECT_EQ(QDADecode(input, 1)->Bytes(), std::vector<uint8_t>{'z'});
}

TEST(QDADecode, RejectsPairTablesRunningPast255) {
    // Skips that overshoot: 128 values, one entry, then 128 more would end at 257.
    EXPECT_TRUE(Says(ErrorOf({255, 128, 255, 0, 0, 0, 0}, 0), "ペア表"));
    // Explicit entries that overshoot: from 129, 128 entries would end at 257.
    std::vector<uint8_t> table = {255, 128, 127};
    for (int k = 129; k < 256; ++k) table.push_back(static_cast<uint8_t>(k));
    table.push_back(0);
    EXPECT_TRUE(Says(ErrorOf(Concat(table, {0, 0, 0, 0}), 0), "ペア表"));
}

TEST(QDADecode, RejectsExpansionsDeeperThanTheStack) {
    // 200 = (201, 0) and 201 = (200, 0) never end.
    const auto table = PlainPairTable({{200, {201, 0}}, {201, {200, 0}}});
    EXPECT_TRUE(Says(ErrorOf(Block(table, {200}), 1000), "スタック"));
    // A chain 255 deep needs every slot but no more: value k = (k-1, 0) for k = 1..255.
    std::map<int, std::pair<uint8_t, uint8_t>> chain;
    for (int k = 1; k < 256; ++k) chain[k] = {static_cast<uint8_t>(k - 1), 0};
    EXPECT_EQ(Decode(Block(PlainPairTable(chain), {255}), 256), std::string(256, '\0'));
}

TEST(QDADecode, RejectsDecodedLengthOtherThanStated) {
    const auto coded = Block(PlainPairTable({{200, {'a', 'b'}}}), {200, 200});
    EXPECT_EQ(Decode(coded, 4), "abab");
    EXPECT_TRUE(Says(ErrorOf(coded, 3), "越えて"));
    EXPECT_TRUE(Says(ErrorOf(coded, 5), "長さ"));
    EXPECT_TRUE(Says(ErrorOf(coded, QDAMaxEntrySize), "長さ"));
}

TEST(QDADecode, RefusesStatedSizesAboveTheEntryBoundBeforeDecoding) {
    // Value k = (k-1, k-1): the one coded byte 255 stands for 2^255 bytes, so only the
    // stated size stops it. Near 2^31 it used to take gigabytes before failing.
    std::map<int, std::pair<uint8_t, uint8_t>> doubling;
    for (int k = 1; k < 256; ++k) doubling[k] = {static_cast<uint8_t>(k - 1), static_cast<uint8_t>(k - 1)};
    const auto bomb = Block(PlainPairTable(doubling), {255});
    for (uint32_t size : {QDAMaxEntrySize + 1, 0x7FFFFFF0u, 0xFFFFFFFFu})
        EXPECT_TRUE(Says(ErrorOf(bomb, size), "上限")) << size;
    EXPECT_EQ(Decode(Block(PlainPairTable(doubling), {8}), 256), std::string(256, '\0'));
}

TEST(QDADecode, RejectsBlocksLongerThanTheirInput) {
    auto coded = Block(EmptyTable, {'a', 'b', 'c'});
    coded.pop_back(); // N says 3, two bytes follow
    EXPECT_TRUE(Says(ErrorOf(coded, 3), "入力の終わり"));
    EXPECT_TRUE(Says(ErrorOf({255, 128}, 0), "入力の終わり"));            // table cut short
    EXPECT_TRUE(Says(ErrorOf({255, 128, 254, 1, 0}, 0), "入力の終わり")); // count cut short
    EXPECT_TRUE(Says(ErrorOf(Block({127, 0}, {}), 0), "入力の終わり"));   // entries cut short
}
