#include "game/SaveImage.h"

#include "base/SafeFile.h"
#include "base/Stream.h"

#include <algorithm>
#include <cstring>

namespace {

// Line positions far beyond the window would only make the arithmetic on cell sizes
// overflow; a board the game wrote never comes near.
constexpr int32_t LineLimit = 1000000;

size_t CellOffset(int32_t i, int32_t j) {
    return TSaveImage::OffCellGrid + static_cast<size_t>(TSaveImage::GridStride * i + j);
}

} // namespace

int32_t TSaveImage::Int32(size_t offset) const {
    return static_cast<int32_t>(UInt32(offset));
}

void TSaveImage::SetInt32(size_t offset, int32_t value) {
    SetUInt32(offset, static_cast<uint32_t>(value));
}

uint32_t TSaveImage::UInt32(size_t offset) const {
    uint32_t v = 0;
    for (size_t k = 0; k < 4; ++k) v |= static_cast<uint32_t>(bytes_.at(offset + k)) << (8 * k);
    return v;
}

void TSaveImage::SetUInt32(size_t offset, uint32_t value) {
    for (size_t k = 0; k < 4; ++k) bytes_.at(offset + k) = static_cast<uint8_t>(value >> (8 * k));
}

TBoardObject TSaveImage::Object(size_t offset) const {
    TBoardObject o;
    o.Col = Int32(offset);
    o.Row = Int32(offset + 4);
    o.Dir = Int32(offset + 8);
    o.Alive = Byte(offset + 12);
    o.Active = Byte(offset + 13);
    o.Reserved1[0] = Byte(offset + 14);
    o.Reserved1[1] = Byte(offset + 15);
    const uint32_t w = UInt32(offset + 16);
    const uint32_t h = UInt32(offset + 20);
    std::memcpy(&o.FallWidth, &w, 4);
    std::memcpy(&o.FallHeight, &h, 4);
    o.Falling = Byte(offset + 24);
    for (size_t k = 0; k < 3; ++k) o.Reserved2[k] = Byte(offset + 25 + k);
    return o;
}

void TSaveImage::SetObject(size_t offset, const TBoardObject& o) {
    SetInt32(offset, o.Col);
    SetInt32(offset + 4, o.Row);
    SetInt32(offset + 8, o.Dir);
    SetByte(offset + 12, o.Alive);
    SetByte(offset + 13, o.Active);
    SetByte(offset + 14, o.Reserved1[0]);
    SetByte(offset + 15, o.Reserved1[1]);
    uint32_t w = 0;
    uint32_t h = 0;
    std::memcpy(&w, &o.FallWidth, 4);
    std::memcpy(&h, &o.FallHeight, 4);
    SetUInt32(offset + 16, w);
    SetUInt32(offset + 20, h);
    SetByte(offset + 24, o.Falling);
    for (size_t k = 0; k < 3; ++k) SetByte(offset + 25 + k, o.Reserved2[k]);
}

void TSaveImage::StoreFrom(const TGameState& s) {
    SetInt32(OffXLineCount, s.XLineCount);
    SetInt32(OffYLineCount, s.YLineCount);
    SetInt32(OffCatCount, s.CatCount);
    SetByte(OffGameOver, s.GameOver ? 1 : 0);
    SetByte(OffBoardClear, s.BoardClear ? 1 : 0);
    SetInt32(OffLife, s.Life);
    for (size_t i = 0; i < 3; ++i) SetInt32(OffRecordTimes + 4 * i, s.RecordTimes[i]);
    // The live arrays never outgrow the slots; the bounds only keep a broken state from
    // writing past them.
    const int32_t xs = std::clamp<int32_t>(
        std::min<int32_t>(s.XLineCount, static_cast<int32_t>(s.XLines.size())), 0, LineSlots);
    const int32_t ys = std::clamp<int32_t>(
        std::min<int32_t>(s.YLineCount, static_cast<int32_t>(s.YLines.size())), 0, LineSlots);
    for (int32_t i = 0; i < xs; ++i)
        SetInt32(OffXLines + 4 * static_cast<size_t>(i), s.XLines[static_cast<size_t>(i)]);
    for (int32_t i = 0; i < ys; ++i)
        SetInt32(OffYLines + 4 * static_cast<size_t>(i), s.YLines[static_cast<size_t>(i)]);
    SetObject(OffHamster, s.Hamster);
    const int32_t cats =
        std::clamp<int32_t>(std::min<int32_t>(s.CatCount, static_cast<int32_t>(s.Cats.size())), 0, CatSlots);
    for (int32_t i = 0; i < cats; ++i)
        SetObject(OffCats + 28 * static_cast<size_t>(i), s.Cats[static_cast<size_t>(i)]);
    const int32_t cols = std::min<int32_t>({xs - 1, static_cast<int32_t>(s.CellGrid.size())});
    for (int32_t i = 0; i < cols; ++i) {
        const auto& column = s.CellGrid[static_cast<size_t>(i)];
        const int32_t rows = std::min<int32_t>(ys - 1, static_cast<int32_t>(column.size()));
        for (int32_t j = 0; j < rows; ++j) SetByte(CellOffset(i, j), column[static_cast<size_t>(j)]);
    }
    SetByte(OffFoodIsApple, s.FoodIsApple ? 1 : 0);
    SetObject(OffFood, s.Food);
    SetByte(OffCatHit, s.CatHit ? 1 : 0);
    SetInt32(OffScore, s.Score);
    SetInt32(OffHighScore, s.HighScore);
    SetInt32(OffFoodsCount, s.FoodsCount);
    SetInt32(OffStage, s.Stage);
    SetByte(OffGameClear, s.GameClear ? 1 : 0);
    SetInt32(OffCheckpointScore, s.CheckpointScore);
    SetInt32(OffCheckpointLife, s.CheckpointLife);
    if (s.Hamster.Falling) {
        SetByte(OffHamster + 24, 0);
        SetByte(OffGameOver, 1);
    }
}

bool TSaveImage::ObjectInGrid(const TBoardObject& o, int32_t cols, int32_t rows) const {
    return o.Col >= 0 && o.Col < cols && o.Row >= 0 && o.Row < rows && o.Dir >= 0 && o.Dir <= 3;
}

bool TSaveImage::LinesAscending(size_t offset, int32_t count) const {
    for (int32_t i = 0; i < count; ++i) {
        const int32_t v = Int32(offset + 4 * static_cast<size_t>(i));
        if (v < -LineLimit || v > LineLimit) return false;
        if (i > 0 && v <= Int32(offset + 4 * static_cast<size_t>(i - 1))) return false;
    }
    return true;
}

bool TSaveImage::CanRestore() const {
    const int32_t xs = Int32(OffXLineCount);
    const int32_t ys = Int32(OffYLineCount);
    const int32_t cats = Int32(OffCatCount);
    if (xs < 2 || xs > LineSlots || ys < 2 || ys > LineSlots || cats < 0 || cats > CatSlots) return false;
    if (!LinesAscending(OffXLines, xs) || !LinesAscending(OffYLines, ys)) return false;
    const int32_t cols = xs - 1;
    const int32_t rows = ys - 1;
    const TBoardObject hamster = Object(OffHamster);
    if (!ObjectInGrid(hamster, cols, rows) || hamster.Falling != 0) return false;
    if (!ObjectInGrid(Object(OffFood), cols, rows)) return false;
    for (int32_t i = 0; i < cats; ++i)
        if (!ObjectInGrid(Object(OffCats + 28 * static_cast<size_t>(i)), cols, rows)) return false;
    const int32_t stage = Int32(OffStage);
    return stage >= 1 && stage <= 3;
}

bool TSaveImage::RestoreTo(TGameState& s) const {
    if (!CanRestore()) return false;
    s.XLineCount = Int32(OffXLineCount);
    s.YLineCount = Int32(OffYLineCount);
    s.CatCount = Int32(OffCatCount);
    s.XLines.resize(static_cast<size_t>(s.XLineCount));
    s.YLines.resize(static_cast<size_t>(s.YLineCount));
    s.Cats.resize(static_cast<size_t>(s.CatCount));
    s.CellGrid.assign(static_cast<size_t>(s.XLineCount - 1),
                      std::vector<uint8_t>(static_cast<size_t>(s.YLineCount - 1)));
    s.GameOver = Byte(OffGameOver) != 0;
    s.BoardClear = Byte(OffBoardClear) != 0;
    s.Life = Int32(OffLife);
    for (size_t i = 0; i < 3; ++i) s.RecordTimes[i] = Int32(OffRecordTimes + 4 * i);
    for (int32_t i = 0; i < s.XLineCount; ++i)
        s.XLines[static_cast<size_t>(i)] = Int32(OffXLines + 4 * static_cast<size_t>(i));
    for (int32_t i = 0; i < s.YLineCount; ++i)
        s.YLines[static_cast<size_t>(i)] = Int32(OffYLines + 4 * static_cast<size_t>(i));
    s.Hamster = Object(OffHamster);
    for (int32_t i = 0; i < s.CatCount; ++i)
        s.Cats[static_cast<size_t>(i)] = Object(OffCats + 28 * static_cast<size_t>(i));
    for (int32_t i = 0; i < s.XLineCount - 1; ++i)
        for (int32_t j = 0; j < s.YLineCount - 1; ++j)
            s.CellGrid[static_cast<size_t>(i)][static_cast<size_t>(j)] = Byte(CellOffset(i, j));
    s.FoodIsApple = Byte(OffFoodIsApple) != 0;
    s.Food = Object(OffFood);
    s.CatHit = Byte(OffCatHit) != 0;
    s.Score = Int32(OffScore);
    s.FoodsCount = Int32(OffFoodsCount);
    s.Stage = Int32(OffStage);
    s.GameClear = Byte(OffGameClear) != 0;
    s.CheckpointScore = Int32(OffCheckpointScore);
    s.CheckpointLife = Int32(OffCheckpointLife);
    return true;
}

void TSaveImage::LoadBytes(const uint8_t* data, size_t size) {
    if (size > Size) size = Size;
    if (size > 0) std::memcpy(bytes_.data(), data, size);
}

void TSaveImage::ReadFromFile(const std::string& path) {
    TFileStream file(path, FileMode::OpenRead);
    int64_t done = 0;
    while (done < static_cast<int64_t>(Size)) {
        const int64_t n = file.Read(bytes_.data() + done, static_cast<int64_t>(Size) - done);
        if (n <= 0) break;
        done += n;
    }
}

void TSaveImage::WriteToFile(const std::string& path) const {
    WriteFileSafely(path, bytes_.data(), bytes_.size());
}
