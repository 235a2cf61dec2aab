#pragma once
// THost: what only the window can do for the game's logic — modal questions and
// notices, the file-open dialog and the folder browser, handing a file or an address
// to the system's shell, handling pending window messages and closing the window.
// The window implements it with its toolkit; tests use a scripted host.
#include <string>
#include <vector>

// The settings of the file-open dialog (the window's OpenDialog1).
struct TOpenDialogOptions {
    std::string Title;
    std::string Filter;     // "MIDI/MP3 (*.mid;*.mp3)|*.mid;*.mp3" style, pairs joined by '|'
    std::string InitialDir; // folder shown first; empty for the toolkit's choice
    std::string FileName;   // name proposed first
};

// The top-ten table as the window shows it: one row of texts per entry, best first.
struct TScoreRow {
    std::string Rank, Name, Score, Stage, Time, Date;
};
struct TScoreTableView {
    std::vector<TScoreRow> Rows;
    int Marked = -1; // the row just entered, or -1
};

class THost {
public:
    virtual ~THost() = default;
    // A confirmation box with the buttons Yes and No; true on Yes.
    virtual bool AskYesNo(const std::string& text) = 0;
    // A plain notice with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // The file-open dialog; returns false when cancelled, else sets fileName.
    virtual bool OpenFile(const TOpenDialogOptions& options, std::string& fileName) = 0;
    // The folder browser; returns false when cancelled, else sets folder.
    virtual bool BrowseFolder(const std::string& title, std::string& folder) = 0;
    // Asks the system to open a file or an address with the user's viewer; false on failure.
    virtual bool ShellOpen(const std::string& target) = 0;
    // Handles every pending window message (key events may reach the game from here).
    virtual void ProcessMessages() = 0;
    // Shows the version dialog modally; returns when the user has closed it.
    virtual void ShowVersionDialog() = 0;
    // Closes the main window (the shutdown follows from the window's close).
    virtual void Close() = 0;
    // The name entry of a game that made the table, opened with name pre-filled; true
    // when the player confirmed a name (set in name), false when they left it as it was.
    virtual bool AskScoreName(std::string& name) = 0;
    // Shows the table modally; true when the player asked to clear it (the caller asks
    // to confirm), false when they closed it.
    virtual bool ShowScoreTable(const TScoreTableView& table) = 0;
};
