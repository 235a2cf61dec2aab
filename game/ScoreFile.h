#pragma once
// Reading and writing the top-ten file. A write goes through WriteFileSafely (temporary
// file, flush, rename, folder flush) after the file it replaces has been copied the same
// way to "<file>.bak". A file that cannot be read as a table is reported with one line
// on standard error and set aside as "<file>.bad" (never removed: a second one becomes
// "<file>.bad.2" and so on); the table then comes from the .bak when that is sound, else
// it starts empty. Nothing here raises on a bad file.
#include "game/ScoreTable.h"

#include <string>

// Files longer than this are not tables the game wrote.
constexpr size_t MaxScoreFileBytes = 16384;

// What LoadScoreTable did, for the caller and the tests.
enum class TScoreLoad { Missing, Read, FromBackup, Empty };

// Reads path into table (left empty when nothing sound is found); reports to standard
// error what it set aside.
TScoreLoad LoadScoreTable(const std::string& path, TScoreTable& table);
// Parses the bytes of a file as LoadScoreTable does, without touching any file.
bool ParseScoreFile(const std::string& bytes, TScoreTable& table, std::string& why);
// Keeps the present file as path.bak, then writes the table; raises EFCreateError /
// EWriteError (with the old file untouched) when the folder cannot be written.
void SaveScoreTable(const std::string& path, const TScoreTable& table);
