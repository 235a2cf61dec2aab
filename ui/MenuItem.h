#pragma once
// Toolkit-free models of the window's menu bar: each item keeps its caption (with
// "&" before the access key), whether it can be clicked and whether it carries a
// check mark. The window mirrors these into its real menu bar.
#include <string>
#include <vector>

class TMenuItem {
public:
    TMenuItem(std::string name, std::string caption, bool enabled = true, bool checked = false)
        : name_(std::move(name)), caption_(std::move(caption)), enabled_(enabled), checked_(checked) {}

    const std::string& Name() const { return name_; }
    const std::string& Caption() const { return caption_; }
    void SetCaption(std::string caption) { caption_ = std::move(caption); }
    bool Enabled() const { return enabled_; }
    void SetEnabled(bool enabled) { enabled_ = enabled; }
    bool Checked() const { return checked_; }
    void SetChecked(bool checked) { checked_ = checked; }
    // A separator line ("-") is an item that is never clicked.
    bool IsSeparator() const { return caption_ == "-"; }

    // The items of a drop-down menu, in order (separators included).
    const std::vector<TMenuItem*>& Items() const { return items_; }
    void Add(TMenuItem& item) { items_.push_back(&item); }

private:
    std::string name_;
    std::string caption_;
    bool enabled_;
    bool checked_;
    std::vector<TMenuItem*> items_;
};

// The main window's menu bar: game (save, high scores, exit), BGM (on/off and the track) and help.
class TMainMenu {
public:
    TMainMenu();
    TMainMenu(const TMainMenu&) = delete;
    TMainMenu& operator=(const TMainMenu&) = delete;

    // The three menus of the bar, left to right.
    std::vector<TMenuItem*> TopItems() { return {&G1, &BGMB1, &H1}; }
    // Every item (menus, commands and separators) by its designer name; nullptr when unknown.
    TMenuItem* Find(const std::string& name);

    TMenuItem G1;
    TMenuItem Save;
    TMenuItem HS1; // the top ten; enabled whenever the game menu is, like exit
    TMenuItem N1;
    TMenuItem Settings; // the settings dialog, enabled whenever E1 is
    TMenuItem E1;
    TMenuItem BGMB1;
    TMenuItem Play;
    TMenuItem Stop;
    TMenuItem N2;
    TMenuItem Yuyake;
    TMenuItem Select;
    TMenuItem R1;
    TMenuItem H1;
    TMenuItem H2;
    TMenuItem N4;
    TMenuItem V1;
};
