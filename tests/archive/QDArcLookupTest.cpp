#include "ArchiveBuilder.h"
#include "archive/QDArc.h"
#include "base/Exception.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <dirent.h>

namespace {

std::vector<uint8_t> Bytes(const std::string& s) {
    return std::vector<uint8_t>(s.begin(), s.end());
}

std::string Load(const std::vector<uint8_t>& archive, const std::string& id) {
    TMemoryStream stream(archive);
    auto out = QDALoadFromStream(stream, id);
    EXPECT_EQ(out->Position(), 0);
    return std::string(out->Bytes().begin(), out->Bytes().end());
}

std::string ErrorOf(const std::vector<uint8_t>& archive, const std::string& id) {
    TMemoryStream stream(archive);
    try {
        QDALoadFromStream(stream, id);
    } catch (const EQDAError& e) {
        return e.Message();
    }
    return "(no error)";
}

int OpenDescriptors() {
    int n = 0;
    DIR* d = opendir("/proc/self/fd");
    while (readdir(d)) ++n;
    closedir(d);
    return n;
}

const std::string NotFound(const std::string& id) {
    return "アーカイブ内には指定されたID '" + id + "' を持つデータが見つかりません";
}

} // namespace

TEST(QDALookup, NamesCompareWithoutLetterCaseButOtherwiseExactly) {
    ArchiveBuilder b(0);
    b.Add("kuro_R.bmp", Bytes("cat"));
    b.Add("TateLine.bmp", Bytes("line"));
    const auto archive = b.Build();
    EXPECT_EQ(Load(archive, "TATELINE.BMP"), "line");
    EXPECT_EQ(Load(archive, "tateline.bmp"), "line");
    EXPECT_EQ(Load(archive, "KURO_r.BMP"), "cat");
    EXPECT_EQ(ErrorOf(archive, "TateLine"), NotFound("TateLine"));
    EXPECT_EQ(ErrorOf(archive, " TateLine.bmp"), NotFound(" TateLine.bmp"));
    EXPECT_EQ(ErrorOf(archive, "Data\\TateLine.bmp"), NotFound("Data\\TateLine.bmp"));
}

TEST(QDALookup, FirstOfDuplicateNamesWins) {
    ArchiveBuilder b(0);
    b.Add("Title.bmp", Bytes("first"));
    b.Add("TITLE.BMP", Bytes("second"));
    EXPECT_EQ(Load(b.Build(), "title.bmp"), "first");
}

TEST(QDALookup, StoredArchiveReturnsDecodedSizeBytesAndIgnoresStoredSize) {
    for (uint32_t flag : {0u, 2u, 0xFFFFFFFFu}) { // anything but 1 means stored
        ArchiveBuilder b(flag);
        b.Add("a.bmp", Bytes("xyz")).StoredSize = 0x7FFFFFFF;
        b.Add("b.bmp", Bytes("0123456789")).DecodedSize = 4;
        const auto archive = b.Build();
        EXPECT_EQ(Load(archive, "a.bmp"), "xyz");
        EXPECT_EQ(Load(archive, "b.bmp"), "0123");
    }
}

TEST(QDALookup, EmptyEntryGivesAnEmptyStream) {
    ArchiveBuilder stored(0);
    stored.Add("empty.bmp", {});
    EXPECT_EQ(Load(stored.Build(), "empty.bmp"), "");
    ArchiveBuilder compressed(1);
    compressed.Add("empty.bmp", {});
    EXPECT_EQ(Load(compressed.Build(), "empty.bmp"), "");
}

TEST(QDALookup, MissingIdKeepsTheCallersSpelling) {
    ArchiveBuilder none(0);
    EXPECT_EQ(ErrorOf(none.Build(), "Cat_Down.BMP"), NotFound("Cat_Down.BMP"));
    ArchiveBuilder b(1);
    b.Add("x.bmp", {});
    EXPECT_EQ(ErrorOf(b.Build(), "100%s.bmp"), NotFound("100%s.bmp"));
}

TEST(QDALookup, MatchWithOffsetZeroStopsTheWalkAndCountsAsMissing) {
    ArchiveBuilder b(0);
    BuiltEntry& zero = b.Add("a.bmp", Bytes("lost"));
    zero.FixedOffset = true;
    zero.Offset = 0;
    b.Add("A.BMP", Bytes("later"));
    EXPECT_EQ(ErrorOf(b.Build(), "a.bmp"), NotFound("a.bmp"));
}

TEST(QDALookup, NameFillingAllOfItsBytesIsReadWithoutItsTerminator) {
    ArchiveBuilder b(0);
    const std::string longName(256, 'n');
    b.Add(longName, Bytes("full"));
    b.Add("next.bmp", Bytes("ok"));
    const auto archive = b.Build();
    EXPECT_EQ(Load(archive, longName), "full");
    EXPECT_EQ(Load(archive, "next.bmp"), "ok");
}

TEST(QDALookup, CompressedEntryIsDecodedAndLeftAtPositionZero) {
    ArchiveBuilder b(1);
    const auto coded = Block(PlainPairTable({{200, {'h', 'a'}}}), {200, 'm', 's', 't', 'e', 'r'});
    b.Add("hamster.bmp", coded).DecodedSize = 7;
    EXPECT_EQ(Load(b.Build(), "HAMSTER.bmp"), "hamster");
}

TEST(QDALookup, RejectsWhatIsNotAnArchive) {
    const std::string wrong = "Rozuduvoz O Archiveの扱えるデータではありません";
    ArchiveBuilder b(0);
    b.SetMagic("QDA1");
    EXPECT_EQ(ErrorOf(b.Build(), "a"), wrong);
    ArchiveBuilder good(0);
    auto shortHeader = good.Build();
    shortHeader.resize(255);
    EXPECT_EQ(ErrorOf(shortHeader, "a"), wrong);
    EXPECT_EQ(ErrorOf({}, "a"), wrong);
}

TEST(QDALookup, RejectsDirectoryCountsTheFileCannotHold) {
    ArchiveBuilder negative(0);
    negative.Add("a.bmp", Bytes("a"));
    negative.SetEntryCount(-1);
    EXPECT_NE(ErrorOf(negative.Build(), "a.bmp").find("エントリ数 -1"), std::string::npos);

    for (int32_t count : {2, 0x7FFFFFFF}) { // one record more than is there, and the largest count
        ArchiveBuilder b(0);
        b.Add("a.bmp", {});
        b.SetEntryCount(count);
        EXPECT_NE(ErrorOf(b.Build(), "a.bmp").find("目録"), std::string::npos);
    }
}

TEST(QDALookup, RefusesEntriesAboveTheBoundWhateverTheirData) {
    for (uint32_t flag : {0u, 1u}) {
        ArchiveBuilder b(flag);
        b.Add("big.bmp", Bytes("abc")).DecodedSize = QDAMaxEntrySize + 1;
        b.Add("huge.bmp", Bytes("abc")).DecodedSize = 0x7FFFFFFF;
        b.Add("edge.bmp", Bytes("abc")).DecodedSize = QDAMaxEntrySize;
        const auto archive = b.Build();
        EXPECT_NE(ErrorOf(archive, "big.bmp").find("上限"), std::string::npos);
        EXPECT_NE(ErrorOf(archive, "huge.bmp").find("'huge.bmp' の大きさ"), std::string::npos);
        EXPECT_EQ(ErrorOf(archive, "edge.bmp").find("上限"), std::string::npos); // within the bound
    }
}

TEST(QDALookup, RejectsDataAreasPastTheEndOfTheFile) {
    for (uint32_t flag : {0u, 1u}) {
        ArchiveBuilder b(flag);
        BuiltEntry& e = b.Add("a.bmp", Bytes("abc"));
        e.StoredSize = e.DecodedSize = 4;
        EXPECT_NE(ErrorOf(b.Build(), "a.bmp").find("ファイルの終わりを越えています"), std::string::npos);
    }
    ArchiveBuilder far(0);
    BuiltEntry& e = far.Add("far.bmp", Bytes("x"));
    e.FixedOffset = true;
    e.Offset = 0xFFFFFFFF;
    EXPECT_NE(ErrorOf(far.Build(), "far.bmp").find("ファイルの終わりを越えています"), std::string::npos);
}

TEST(QDALoadFromFile, ReadsTheNamedFileAndClosesItOnEveryPath) {
    TempDir dir;
    ArchiveBuilder b(0);
    b.Add("gameover.bmp", Bytes("BM..."));
    const std::string path = dir.Write("data.qda", b.Build());
    const int before = OpenDescriptors();
    auto out = QDALoadFromFile(path, "GameOver.bmp");
    EXPECT_EQ(std::string(out->Bytes().begin(), out->Bytes().end()), "BM...");
    EXPECT_EQ(out->Position(), 0);
    EXPECT_THROW(QDALoadFromFile(path, "missing.bmp"), EQDAError);
    const std::string notArchive = dir.Write("other.qda", std::string(300, 'z'));
    EXPECT_THROW(QDALoadFromFile(notArchive, "gameover.bmp"), EQDAError);
    EXPECT_EQ(OpenDescriptors(), before);
}

TEST(QDALoadFromFile, MissingFileRaisesTheStreamsOpenError) {
    TempDir dir;
    EXPECT_THROW(QDALoadFromFile(dir.File("data.qda"), "a.bmp"), EFOpenError);
    EXPECT_THROW(QDALoadFromFile(dir.Dir(), "a.bmp"), EFOpenError);
}
