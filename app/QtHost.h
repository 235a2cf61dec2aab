#pragma once
// THost on Qt: message boxes, the file and folder dialogs, the desktop's file and URL
// opening, handling pending events and closing the main window.
#include "ui/Host.h"

#include <QString>
#include <QWidget>

// "desc|*.a;*.b|desc2|*.c" (the game's filter) -> "desc (*.a *.b);;desc2 (*.c)".
QString QtFilter(const std::string& filter);

class QtHost : public THost {
public:
    explicit QtHost(QWidget* window) : window_(window) {}
    bool AskYesNo(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool OpenFile(const TOpenDialogOptions& options, std::string& fileName) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;
    bool ShellOpen(const std::string& target) override;
    void ProcessMessages() override;
    void ShowVersionDialog() override;
    void Close() override;

    // True while ProcessMessages runs: the idle handler does not run inside it.
    bool ProcessingMessages() const { return depth_ > 0; }

private:
    QWidget* window_;
    int depth_ = 0;
};
