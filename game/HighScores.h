#pragma once
// THighScores: the top ten in play. It adds up the board times of the game, takes the
// game's result when it ends (a game over or the 30th food), and once the end picture
// has been shown asks for the name through the host, enters the game and shows the
// table. It also shows the table from the menu and clears it on request. The main form
// owns one; the file is "scores.ini" in the user folder.
#include "game/ScoreTable.h"
#include "ui/Host.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <string>

class THighScores {
public:
    explicit THighScores(THost& host) : Host(host) {}

    // Start-up: reads the table (a bad file is reported and set aside, never raised).
    void Load(const std::string& path);

    // A new game from its first board: its time starts at 0.
    void StartGame() { GameTime = 0; }
    // Play on a board starts (a new board or a restored one).
    void BoardStarted() { endTaken_ = false; }
    // A board's play ended after ms milliseconds (food, catch, bite, fall).
    void BoardEnded(uint32_t ms) { GameTime += ms; }
    // The game ended with this score and these foods eaten: when the score is one the
    // rules can give and it makes the table, the entry waits for its name. Taken once
    // per board.
    void GameEnded(int32_t score, int32_t foods);
    // True while an ended game waits for its name.
    bool EntryPending() const { return !pending_.empty(); }
    // Asks the name of the first waiting entry (a game cleared and restarted at once may
    // end again before it was asked), enters it, writes the file and shows the table
    // with the entry marked.
    void OfferEntry();
    // The table from the menu, with its clear button behind a question.
    void ShowTable() { ShowTable(-1); }

    // The saved game keeps the time of its ended boards here (record.dat has no room).
    void GameSaved();
    void GameRestored() { GameTime = Table.SavedGameTime; }

    // The name the entry opens with: the last one used, else the account's.
    std::string PrefilledName() const;
    TScoreTableView View(int marked) const;

    TScoreTable Table;
    uint64_t GameTime = 0;
    std::string Path;
    // Seconds since 1970 (UTC) for the entry's date.
    std::function<int64_t()> WallClock;

private:
    void ShowTable(int marked);
    void Save();

    THost& Host;
    std::deque<TScoreEntry> pending_;
    bool endTaken_ = false;
};
