#pragma once
// TMenuCommands: what the window's menu items, its close and the resume question do.
// The window makes one beside its TForm1 and TBgm, routes every menu click to Click
// (or to the named handlers), and calls FormCloseQuery then FormClose when it closes.
#include <functional>
#include <string>

class TForm1;
class TBgm;

class TMenuCommands {
public:
    // Installs the resume question as the form's resume handler.
    TMenuCommands(TForm1& form, TBgm& bgm);
    // Without music (a start-up that failed before the music was made): the game and
    // help menus work, the BGM commands are disabled.
    explicit TMenuCommands(TForm1& form);

    // A click on the item with this designer name ("Save", "E1", "Play", ...). Ignored
    // (false) when the item or its menu is disabled, or when the item has no command.
    bool Click(const std::string& itemName);

    void SaveClick(); // the game menu's save, with its question
    void E1Click();   // closes the window through the host: the same shutdown as the close box
    void H2Click();   // the help text, opened with the user's viewer
    void V1Click();   // the version dialog
    // The game menu's settings item opens what the window gives here (its dialog).
    void SetSettingsHandler(std::function<void()> handler) { SettingsHandler = std::move(handler); }

    // The close question: stores the time of a board in play and offers to save. False
    // only when the save failed (the reason has been shown): the window stays open.
    bool FormCloseQuery();
    // The music's part of closing (settings, stopping, releasing).
    void FormClose();

    // 2000 ms after start-up: offers to continue a saved game that was not finished.
    void ResumeStep();

private:
    // Writes the saved game; false (with the system's reason shown) when it failed.
    bool TrySave();

    TForm1& Form;
    TBgm* Bgm;
    std::function<void()> SettingsHandler;
};
