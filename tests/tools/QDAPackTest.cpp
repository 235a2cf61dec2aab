#include "tools/qdapack/QDAPack.h"
#include "archive/QDArc.h"
#include "base/Stream.h"
#include "support/SyntheticBmp.h"
#include "support/TempDir.h"
#include "tools/qdapack/BytePairEncoder.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

namespace {

using Bytes = std::vector<uint8_t>;

Bytes RandomBytes(size_t n, uint32_t seed, int lo = 0, int hi = 255) {
    std::mt19937 r(seed);
    std::uniform_int_distribution<int> d(lo, hi);
    Bytes out(n);
    for (uint8_t& b : out) b = static_cast<uint8_t>(d(r));
    return out;
}

// Words from a small vocabulary: many repeated pairs, as in text and scripts.
Bytes TextLike(size_t n, uint32_t seed) {
    static const char* const words[] = {"hamster ", "sunflower ", "seed ", "cat ",
                                        "line ",    "apple ",     "stage "};
    std::mt19937 r(seed);
    Bytes out;
    while (out.size() < n) {
        const char* w = words[r() % 7];
        out.insert(out.end(), w, w + std::char_traits<char>::length(w));
    }
    out.resize(n);
    return out;
}

Bytes Runs(size_t n, uint32_t seed) {
    std::mt19937 r(seed);
    Bytes out;
    while (out.size() < n) out.insert(out.end(), 1 + r() % 3000, static_cast<uint8_t>(r() % 4 * 85));
    out.resize(n);
    return out;
}

// Every byte value in every stretch of the block, so no value is free for a pair.
Bytes AllValues(size_t n) {
    Bytes out(n);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(i * 7 + i / 256);
    return out;
}

void ExpectRoundTrip(const std::vector<QDAPackEntry>& entries, bool compressed) {
    TMemoryStream archive(QDAPackArchive(entries, compressed));
    EXPECT_EQ(archive.Memory()[0], compressed ? 1 : 0);
    for (const QDAPackEntry& e : entries) {
        archive.SetPosition(0);
        const auto out = QDALoadFromStream(archive, e.Name);
        ASSERT_EQ(out->Bytes().size(), e.Data.size()) << e.Name;
        EXPECT_TRUE(out->Bytes() == e.Data) << e.Name;
        EXPECT_EQ(out->Position(), 0);
    }
}

int Pack(const std::vector<std::string>& args, std::string* out = nullptr, std::string* err = nullptr) {
    std::ostringstream o, e;
    const int status = QDAPackMain(args, o, e);
    if (out) *out = o.str();
    if (err) *err = e.str();
    return status;
}

} // namespace

TEST(QDAPack, EveryKindOfDataComesBackExactly) {
    constexpr size_t Block = 64 * 1024;
    std::vector<QDAPackEntry> entries = {
        {"empty.bmp", {}},
        {"one.bmp", {42}},
        {"two.bmp", {0, 0}},
        {"all_values.bin", AllValues(3 * Block + 5)},
        {"random_small.bin", RandomBytes(1000, 1)},
        {"random_large.bin", RandomBytes(Block * 2 + 1, 2)},
        {"low_half.bin", RandomBytes(Block + 1, 3, 0, 127)},
        {"high_half.bin", RandomBytes(Block - 1, 4, 128, 255)},
        {"few_values.bin", RandomBytes(Block, 5, 10, 13)},
        {"zeros.bin", Bytes(5 * Block + 3, 0)},
        {"runs.bin", Runs(3 * Block, 6)},
        {"text.txt", TextLike(4 * Block + 100, 7)},
        {"picture.bmp", SyntheticBmp(320, 240)},
        {"grainy.bmp", SyntheticBmp(200, 150, 6)},
    };
    ExpectRoundTrip(entries, true);
    ExpectRoundTrip(entries, false);
}

TEST(QDAPack, RandomInputsOfRandomShapeRoundTrip) {
    std::mt19937 r(2026);
    for (int round = 0; round < 40; ++round) {
        const size_t size = r() % 3 == 0 ? r() % 300 : r() % 200000;
        const int lo = static_cast<int>(r() % 256);
        const int hi = lo + static_cast<int>(r() % (256 - lo));
        Bytes data = r() % 2 ? RandomBytes(size, r(), lo, hi) : TextLike(size, r());
        // Splice in a long run now and then.
        if (size > 5000 && r() % 2)
            std::fill(data.begin() + 100, data.begin() + 4100, static_cast<uint8_t>(r()));
        const Bytes coded = BytePairEncode(data);
        TMemoryStream input(coded);
        ASSERT_EQ(QDADecode(input, static_cast<uint32_t>(size))->Bytes(), data) << "round " << round;
    }
}

TEST(QDAPack, CompressionIsRealOnPicturesAndTextAndCheapOnNoise) {
    const Bytes picture = SyntheticBmp(320, 240);
    EXPECT_LT(BytePairEncode(picture).size(), picture.size() / 10);
    const Bytes text = TextLike(200000, 1);
    EXPECT_LT(BytePairEncode(text).size(), text.size() * 6 / 10);
    const Bytes zeros(1 << 20, 0);
    EXPECT_LT(BytePairEncode(zeros).size(), zeros.size() / 100);
    const Bytes noise = RandomBytes(1 << 20, 9);
    EXPECT_LT(BytePairEncode(noise).size(), noise.size() + noise.size() / 500);
}

TEST(QDAPack, RejectsNamesTheReaderCouldNotFind) {
    const auto error = [](std::vector<QDAPackEntry> entries) {
        try {
            QDAPackArchive(entries, true);
        } catch (const EQDAPackError& e) {
            return e.Message();
        }
        return std::string("(no error)");
    };
    EXPECT_NE(error({{"Title.bmp", {}}, {"TITLE.BMP", {1}}}).find("used twice"), std::string::npos);
    EXPECT_NE(error({{"", {}}}).find("empty name"), std::string::npos);
    EXPECT_NE(error({{std::string(256, 'a'), {}}}).find("longer than 255"), std::string::npos);
    EXPECT_NE(error({{std::string("a\0b", 3), {}}}).find("NUL"), std::string::npos);
    EXPECT_NO_THROW(QDAPackArchive({{std::string(255, 'a'), {}}}, false));
}

TEST(QDAPackCommand, PacksFilesUnderTheirBaseNames) {
    TempDir dir;
    const Bytes picture = SyntheticBmp(64, 48);
    const std::string a = dir.Write("in/kuro_R.bmp", picture);
    const std::string b = dir.Write("in/sub/Title.bmp", std::string("title"));
    const std::string out = dir.File("data.qda");
    std::string said;
    ASSERT_EQ(Pack({out, a, b}, &said), 0);
    EXPECT_NE(said.find("2 entries"), std::string::npos);
    EXPECT_EQ(QDALoadFromFile(out, "KURO_R.BMP")->Bytes(), picture);
    EXPECT_EQ(QDALoadFromFile(out, "title.bmp")->Bytes(), Bytes({'t', 'i', 't', 'l', 'e'}));
    EXPECT_EQ(ReadWholeFile(out)[0], 1);

    ASSERT_EQ(Pack({"--stored", out, a}), 0);
    EXPECT_EQ(ReadWholeFile(out)[0], 0);
    EXPECT_EQ(QDALoadFromFile(out, "kuro_r.bmp")->Bytes(), picture);
    ASSERT_EQ(Pack({"-s", out, b}), 0);
    EXPECT_THROW(QDALoadFromFile(out, "kuro_R.bmp"), EQDAError); // the old archive is replaced whole
}

TEST(QDAPackCommand, BadUsageSaysHowToUseIt) {
    std::string err;
    EXPECT_EQ(Pack({}, nullptr, &err), 2);
    EXPECT_NE(err.find("usage: qdapack"), std::string::npos);
    EXPECT_EQ(Pack({"out.qda"}, nullptr, &err), 2);
    EXPECT_NE(err.find("no input files"), std::string::npos);
    EXPECT_EQ(Pack({"-x", "out.qda", "a.bmp"}, nullptr, &err), 2);
    EXPECT_NE(err.find("unknown option '-x'"), std::string::npos);
    std::string out;
    EXPECT_EQ(Pack({"--help"}, &out), 0);
    EXPECT_NE(out.find("usage: qdapack"), std::string::npos);
}

TEST(QDAPackCommand, FailuresNameTheCauseAndLeaveTheOldArchive) {
    TempDir dir;
    const std::string good = dir.Write("a.bmp", std::string("aaaa"));
    const std::string out = dir.File("data.qda");
    ASSERT_EQ(Pack({out, good}), 0);
    const Bytes before = ReadWholeFile(out);
    std::string err;
    EXPECT_EQ(Pack({out, good, dir.File("missing.bmp")}, nullptr, &err), 1);
    EXPECT_NE(err.find("missing.bmp"), std::string::npos);
    EXPECT_EQ(Pack({out, good, dir.Write("x/A.BMP", std::string("b"))}, nullptr, &err), 1);
    EXPECT_NE(err.find("used twice"), std::string::npos);
    EXPECT_EQ(Pack({dir.File("no/such/folder/out.qda"), good}, nullptr, &err), 1);
    EXPECT_NE(err.find("qdapack: "), std::string::npos);
    EXPECT_EQ(ReadWholeFile(out), before);
}
