#pragma once
// The top ten of finished games (a game over, or the 30th food), each with its score,
// the player's name, the foods eaten (shown as stage and food, "2-7"), the time of the
// game (the sum of its board times) and the date it ended. Ranked by score; of equal
// scores the earlier entry stays ahead, so a later game must score more to pass it.
//
// The file "scores.ini" keeps the table as plain UTF-8 text, one item a line:
//   ; a comment (any line starting with ';')
//   version=1
//   last-name=<the name used last>          (optional)
//   saved-game-time=<ms>                    (optional; the time of the saved game's ended boards)
//   entry=<score>,<foods>,<time ms>,<YYYY-MM-DDTHH:MM:SSZ>,<name>   (0 to 10, best first)
//   checksum=<CRC-32 of every byte before this line, 8 hex digits>
// The checksum catches damage and careless edits, not a determined hand: the file is the
// player's own.
#include <cstdint>
#include <string>
#include <vector>

struct TScoreEntry {
    int32_t Score = 0;
    int32_t Foods = 0;   // foods eaten in the game: 0 to 30
    uint64_t TimeMs = 0; // the sum of the game's board times
    int64_t Date = 0;    // seconds since 1970-01-01 UTC
    std::string Name;
    bool operator==(const TScoreEntry&) const = default;
};

constexpr size_t ScoreTableSize = 10;
constexpr size_t MaxNameChars = 16;
constexpr int32_t FoodsPerGame = 30;
// The most a food can give: 100 + (30000 - t) / 10 for a board time t, and no board is
// quicker than 525 ms. The smallest board has 9 columns, so the food lies 8 moves to the
// right of the hamster; a movement step makes at most one move to the right and steps
// are 75 ms apart, so the 8th move comes 7 x 75 ms after the first, at the earliest at
// the board's start. 100 + 29475 / 10 = 3047.
constexpr int32_t MaxFoodScore = 3047;
// The most a game can have scored with these foods eaten (the score only grows by food).
int64_t ScoreBound(int32_t foods);
// Times above this (over three years of play) are not taken from a file.
constexpr uint64_t MaxGameTimeMs = 99999999999ULL;

// A name the table keeps: valid UTF-8, 1 to 16 characters, no control characters.
bool ValidScoreName(const std::string& name);
// Up to the first 16 characters of text with control characters and broken UTF-8
// sequences left out (a name taken from the system's account).
std::string CleanScoreName(const std::string& text);
// "2-7": the stage played and the foods eaten in it; a cleared game is "3-10".
std::string StageText(int32_t foods);
// "12:05" (minutes and seconds; "123:05" past the hour's worth of minutes).
std::string GameTimeText(uint64_t ms);
// "2026-12-09 16:37", in local time.
std::string DateText(int64_t date);

class TScoreTable {
public:
    const std::vector<TScoreEntry>& Entries() const { return entries_; }
    // True when a game with this score enters: above zero, and the table has room or
    // the score beats the tenth.
    bool Qualifies(int32_t score) const;
    // Puts the entry in its place; answers its index (0 = first), or -1 when it does not
    // enter (the table is unchanged).
    int Insert(const TScoreEntry& entry);
    void Clear() { entries_.clear(); }

    std::string LastName;
    uint64_t SavedGameTime = 0;

    // The file's text, checksum line included.
    std::string Format() const;
    // Reads a file's text; false, with the reason in why, when anything in it is not
    // what Format writes (the table is then unchanged).
    bool Parse(const std::string& text, std::string& why);

private:
    std::vector<TScoreEntry> entries_;
};

// CRC-32 (the polynomial of zip and PNG) of the bytes.
uint32_t Crc32(const std::string& bytes);
