#pragma once
// SaveImage: the 3416-byte block that "Data\record.dat" holds — one saved game and
// the high score. It stays in memory for the whole run: filled from the file at
// start-up, refreshed from the live state on every save, partly updated at game clear.
// All values are little-endian; slots past the counts keep whatever the image held.
#include "game/GameState.h"

#include <array>
#include <cstdint>
#include <string>

class TSaveImage {
public:
    static constexpr size_t Size = 3416;
    static constexpr int32_t LineSlots = 51;
    static constexpr int32_t CatSlots = 10;
    static constexpr int32_t GridStride = 51;

    // Field offsets.
    static constexpr size_t OffXLineCount = 0;
    static constexpr size_t OffYLineCount = 4;
    static constexpr size_t OffCatCount = 8;
    static constexpr size_t OffGameOver = 12;
    static constexpr size_t OffBoardClear = 13;
    static constexpr size_t OffLife = 16;
    static constexpr size_t OffRecordTimes = 20;
    static constexpr size_t OffXLines = 32;
    static constexpr size_t OffYLines = 236;
    static constexpr size_t OffHamster = 440;
    static constexpr size_t OffCats = 468;
    static constexpr size_t OffCellGrid = 748;
    static constexpr size_t OffFoodIsApple = 3349;
    static constexpr size_t OffFood = 3352;
    static constexpr size_t OffInterruptedElapsed = 3380;
    static constexpr size_t OffCatHit = 3384;
    static constexpr size_t OffScore = 3388;
    static constexpr size_t OffHighScore = 3392;
    static constexpr size_t OffFoodsCount = 3396;
    static constexpr size_t OffStage = 3400;
    static constexpr size_t OffGameClear = 3404;
    static constexpr size_t OffCheckpointScore = 3408;
    static constexpr size_t OffCheckpointLife = 3412;

    // Copies the live state in (everything but InterruptedElapsed). A falling hamster is
    // stored as a lost board: its Falling byte 0 and GameOver 1, in the image only.
    void StoreFrom(const TGameState& state);
    // True when the image holds a board that can be played on: counts within the
    // capacities, every object inside the grid and facing one of the four ways, the
    // lines ascending, a stage of 1 to 3 and no fall in progress. Files the game wrote
    // always pass; anything else is not offered.
    bool CanRestore() const;
    // Copies the saved game back into the live state (HighScore and InterruptedElapsed
    // stay in the image). Returns false, touching nothing, when CanRestore is false.
    bool RestoreTo(TGameState& state) const;

    // Takes up to Size bytes from the start of data; the rest keeps its bytes.
    void LoadBytes(const uint8_t* data, size_t size);
    // Reads up to Size bytes of the file from its start; the rest keeps its bytes.
    // Raises EFOpenError when the file cannot be opened.
    void ReadFromFile(const std::string& path);
    // Writes all Size bytes safely (temporary file, then rename); EFCreateError/EWriteError.
    void WriteToFile(const std::string& path) const;

    int32_t Int32(size_t offset) const;
    void SetInt32(size_t offset, int32_t value);
    uint32_t UInt32(size_t offset) const;
    void SetUInt32(size_t offset, uint32_t value);
    uint8_t Byte(size_t offset) const { return bytes_.at(offset); }
    void SetByte(size_t offset, uint8_t value) { bytes_.at(offset) = value; }
    TBoardObject Object(size_t offset) const;
    void SetObject(size_t offset, const TBoardObject& object);

    int32_t HighScore() const { return Int32(OffHighScore); }
    void SetHighScore(int32_t value) { SetInt32(OffHighScore, value); }
    bool GameClear() const { return Byte(OffGameClear) != 0; }
    void SetGameClear(bool value) { SetByte(OffGameClear, value ? 1 : 0); }
    uint32_t InterruptedElapsed() const { return UInt32(OffInterruptedElapsed); }
    void SetInterruptedElapsed(uint32_t value) { SetUInt32(OffInterruptedElapsed, value); }

    const std::array<uint8_t, Size>& Bytes() const { return bytes_; }
    std::array<uint8_t, Size>& Bytes() { return bytes_; }

private:
    bool ObjectInGrid(const TBoardObject& o, int32_t cols, int32_t rows) const;
    bool LinesAscending(size_t offset, int32_t count) const;

    std::array<uint8_t, Size> bytes_{};
};
