#pragma once
// A host for tests: records every question, notice and request, answers questions
// from a script (Yes/No in order; an unscripted question is a test failure) and runs
// an optional action when the game asks it to handle pending window messages.
#include "ui/Host.h"

#include <deque>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

class ScriptedHost : public THost {
public:
    bool AskYesNo(const std::string& text) override {
        questions.push_back(text);
        if (answers.empty()) throw std::logic_error("unscripted question: " + text);
        const bool yes = answers.front();
        answers.pop_front();
        return yes;
    }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }
    bool OpenFile(const TOpenDialogOptions& options, std::string& fileName) override {
        openDialogs.push_back(options);
        if (fileAnswers.empty()) return false;
        fileName = fileAnswers.front();
        fileAnswers.pop_front();
        return !fileName.empty();
    }
    bool BrowseFolder(const std::string& title, std::string& folder) override {
        folderTitles.push_back(title);
        if (folderAnswers.empty()) return false;
        folder = folderAnswers.front();
        folderAnswers.pop_front();
        return !folder.empty();
    }
    bool ShellOpen(const std::string& target) override {
        opened.push_back(target);
        return shellSucceeds;
    }
    void ProcessMessages() override {
        ++processCalls;
        if (onProcessMessages) {
            auto action = std::move(onProcessMessages);
            onProcessMessages = nullptr;
            action();
        }
    }
    void ShowVersionDialog() override { ++versionDialogs; }
    void Close() override { ++closeCalls; }
    // The name entry: each pre-filled name is recorded; a scripted answer is typed over
    // it, an unscripted one leaves it (as Esc does).
    bool AskScoreName(std::string& name) override {
        namePrompts.push_back(name);
        if (nameAnswers.empty()) return false;
        name = nameAnswers.front();
        nameAnswers.pop_front();
        return true;
    }
    bool ShowScoreTable(const TScoreTableView& table) override {
        scoreTables.push_back(table);
        if (clearAnswers.empty()) return false;
        const bool clear = clearAnswers.front();
        clearAnswers.pop_front();
        return clear;
    }

    std::deque<bool> answers;            // Yes (true) / No (false), in order
    std::deque<std::string> fileAnswers; // "" cancels
    std::deque<std::string> folderAnswers;
    std::deque<std::string> nameAnswers; // typed into the name entry, in order
    std::deque<bool> clearAnswers;       // "clear" pressed in the table, in order
    bool shellSucceeds = true;
    std::function<void()> onProcessMessages; // runs once, at the next ProcessMessages

    std::vector<std::string> questions;
    std::vector<std::string> messages;
    std::vector<TOpenDialogOptions> openDialogs;
    std::vector<std::string> folderTitles;
    std::vector<std::string> opened;
    std::vector<std::string> namePrompts; // the pre-filled names
    std::vector<TScoreTableView> scoreTables;
    int processCalls = 0;
    int closeCalls = 0;
    int versionDialogs = 0;
};
