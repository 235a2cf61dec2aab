#pragma once
// The settings dialog of the game menu's "設定...": the pages キー (the keys and pad
// buttons of every action), サウンド (全体 / BGM / 効果音 and 消音) and 言語 (自動 / 日本語
// / English, taken at the next start). It edits a copy of the settings: OK keeps it
// (Result), Cancel and Esc leave the settings as they were. The keyboard alone works it
// (Tab moves, Space changes a cell, Enter is OK, Esc cancels), and so does a pad through
// PadPressed: the d-pad moves the focus (and a slider or a list), south presses, east
// cancels, the shoulders turn the pages.
//
// Further pages (the window's scaling and fullscreen) go into Pages() after the three.
#include "music/GameSettings.h"

#include <QDialog>

#include <array>
#include <functional>
#include <optional>

class QCheckBox;
class QComboBox;
class QLabel;
class QPushButton;
class QSlider;
class QTabWidget;

class SettingsDialog : public QDialog {
public:
    // preview: called with the sound options whenever a slider or 消音 changes, so that
    // the change is heard at once.
    SettingsDialog(const TGameSettings& settings, std::function<void(const TSoundOptions&)> preview,
                   QWidget* parent = nullptr);
    ~SettingsDialog() override;

    const TGameSettings& Result() const { return settings_; }
    QTabWidget* Pages() { return pages_; }
    // A pad's button went down while the dialog is open.
    void PadPressed(TPadButton button);

    // The cell of an action's key (column 0, 1) or pad button (2, 3); the message line.
    QPushButton* Cell(TAction action, int column) const;
    QLabel* Message() const { return message_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* MakeKeysPage();
    QWidget* MakeSoundPage();
    QWidget* MakeLanguagePage();
    void StartCapture(TAction action, int column);
    void EndCapture();
    void Take(TAction action, int column, uint8_t key, TPadButton button);
    void ShowBindings();
    void SoundChanged();
    void MoveFocus(bool forward, int step);

    TGameSettings settings_;
    std::function<void(const TSoundOptions&)> preview_;
    QTabWidget* pages_ = nullptr;
    std::array<std::array<QPushButton*, 4>, ActionCount> cells_{};
    QLabel* message_ = nullptr;
    std::array<QSlider*, 3> sliders_{};
    std::array<QLabel*, 3> percents_{};
    QCheckBox* mute_ = nullptr;
    QComboBox* language_ = nullptr;
    std::optional<std::pair<TAction, int>> capturing_;
};
