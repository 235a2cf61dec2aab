#pragma once
// THost on Qt: message boxes, the file and folder dialogs, the desktop's file and URL
// opening, handling pending events, the version dialog and closing the main window.
#include "app/Unit2.h"
#include "ui/Host.h"

#include <QString>
#include <QWidget>

#include <memory>
#include <string>

// "desc|*.a;*.b|desc2|*.c" (the game's filter) -> "desc (*.a *.b);;desc2 (*.c)".
QString QtFilter(const std::string& filter);

class QtHost : public THost {
public:
    // window: the main window; exeDir: the program's folder.
    QtHost(QWidget* window, const std::string& exeDir);
    ~QtHost() override;
    bool AskYesNo(const std::string& text) override;
    void ShowMessage(const std::string& text) override;
    bool OpenFile(const TOpenDialogOptions& options, std::string& fileName) override;
    bool BrowseFolder(const std::string& title, std::string& folder) override;
    bool ShellOpen(const std::string& target) override;
    void ProcessMessages() override;
    void ShowVersionDialog() override;
    void Close() override;
    bool AskScoreName(std::string& name) override;
    bool ShowScoreTable(const TScoreTableView& table) override;

    // True while ProcessMessages runs: the idle handler does not run inside it.
    bool ProcessingMessages() const { return depth_ > 0; }
    // The version dialog: made hidden at the first call (the main window makes it once its
    // first frame is shown: the first frame needs neither its pictures nor its fonts) and living
    // as long as the host.
    TForm2& Form2();

private:
    QWidget* window_;
    std::string exeDir_;
    std::unique_ptr<TForm2> form2_;
    int depth_ = 0;
};
