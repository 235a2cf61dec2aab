#pragma once
// Counts, over boards made by the game's board generator, in how many the food's cell
// can be reached from the start cell for a given size of the hamster picture.
#include <cstdint>
#include <string>
#include <vector>

struct THamsterCandidate {
    int32_t Width = 0; // the right-facing picture; the up and down pictures are turned
    int32_t Height = 0;
};

struct THamsterShare {
    THamsterCandidate Size;
    int32_t Boards = 0;
    int32_t Reachable = 0;       // the food can be reached, turning where needed
    int32_t WithoutTurning = 0;  // ... and also facing right (or left) all the way
    int64_t TurnsOnShortest = 0; // turns on the shortest winning paths, added up
};

// Generates Boards boards (stage 1, the game's board origin) from Seed for the candidate
// size and counts. Throws EBoardError for a size the generator refuses (below 20).
THamsterShare MeasureHamster(THamsterCandidate size, int32_t boards, uint64_t seed);

// "54x28" -> {54, 28}; false for anything else.
bool ParseCandidate(const std::string& text, THamsterCandidate& out);

// A Markdown table of the shares, one row per candidate.
std::string FormatShareTable(const std::vector<THamsterShare>& rows);
