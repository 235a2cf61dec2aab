// The settings dialog worked without a mouse: a cell takes the next key by its place
// (the X11 scan code), a key another action holds is refused with that action named,
// Delete clears a cell, the defaults come back with one button, the sliders are heard
// while they move, and a pad's buttons capture a pad binding and cancel.
#include "app/SettingsDialog.h"
#include "base/Translate.h"
#include "input/DikCodes.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QTabWidget>

namespace {

// A key press at an X11 key code (the evdev code plus 8).
void Press(QWidget* to, int qtKey, quint32 x11Code) {
    QKeyEvent e(QEvent::KeyPress, qtKey, Qt::NoModifier, x11Code, 0, 0);
    QApplication::sendEvent(to, &e);
}

constexpr quint32 X11D = 40, X11Space = 65, X11Delete = 119;

} // namespace

TEST(SettingsDialog, KeysAreCapturedByTheirPlaceAndAKeyInUseIsRefused) {
    std::vector<TSoundOptions> heard;
    SettingsDialog dialog(TGameSettings{}, [&](const TSoundOptions& s) { heard.push_back(s); });
    QPushButton* right = dialog.Cell(TAction::Right, 0);
    EXPECT_EQ(right->text(), "Right");
    right->click();
    EXPECT_EQ(right->text(), "キーを押してください");
    Press(right, Qt::Key_D, X11D);
    EXPECT_EQ(right->text(), "D");
    EXPECT_EQ(dialog.Result().Keys.Of(TAction::Right).Keys[0], DIK_D);

    dialog.Cell(TAction::Up, 1)->click();
    Press(dialog.Cell(TAction::Up, 1), Qt::Key_Space, X11Space);
    EXPECT_EQ(dialog.Message()->text(), "「ハムスター回転」が使っています。");
    EXPECT_EQ(dialog.Result().Keys.Of(TAction::Up), TKeyBindings::Defaults().Of(TAction::Up));
    // Escape ends a capture and changes nothing; Delete clears a cell.
    dialog.Cell(TAction::Mute, 0)->click();
    Press(dialog.Cell(TAction::Mute, 0), Qt::Key_Escape, 9);
    EXPECT_EQ(dialog.Cell(TAction::Mute, 0)->text(), "M");
    Press(dialog.Cell(TAction::Mute, 0), Qt::Key_Delete, X11Delete);
    EXPECT_EQ(dialog.Result().Keys.Of(TAction::Mute).Keys[0], 0);

    // A pad binding from a pad's button; east cancels a key's capture.
    dialog.Cell(TAction::Mute, 2)->click();
    dialog.PadPressed(TPadButton::North);
    EXPECT_EQ(dialog.Cell(TAction::Mute, 2)->text(), "north");
    dialog.Cell(TAction::Pause, 2)->click();
    dialog.PadPressed(TPadButton::South);
    EXPECT_EQ(dialog.Message()->text(), "「決定」が使っています。");
    dialog.Cell(TAction::Turn, 0)->click();
    dialog.PadPressed(TPadButton::East);
    EXPECT_EQ(dialog.Cell(TAction::Turn, 0)->text(), "Space");

    QPushButton* reset = nullptr;
    for (QPushButton* b : dialog.findChildren<QPushButton*>())
        if (b->text().startsWith("初期設定に戻す")) reset = b;
    ASSERT_NE(reset, nullptr);
    reset->click();
    EXPECT_EQ(dialog.Result().Keys, TKeyBindings::Defaults());

    // The sliders are heard at once.
    const auto sliders = dialog.findChildren<QSlider*>();
    ASSERT_EQ(sliders.size(), 3);
    sliders[1]->setValue(40);
    ASSERT_FALSE(heard.empty());
    EXPECT_EQ(heard.back().Music, 40);
    EXPECT_EQ(dialog.Result().Sound.Music, 40);
    EXPECT_EQ(dialog.Pages()->count(), 3);

    // East on the pad cancels the dialog.
    dialog.PadPressed(TPadButton::East);
    EXPECT_EQ(dialog.result(), QDialog::Rejected);
}

// Every language of the game is listed by its own name, and the one in the file stays
// chosen through OK unless another is picked.
TEST(SettingsDialog, TheLanguageListHoldsEveryLanguageOfTheGame) {
    TGameSettings settings;
    settings.Language = "en";
    SettingsDialog dialog(settings, [](const TSoundOptions&) {});
    QComboBox* languages = nullptr;
    for (QComboBox* c : dialog.findChildren<QComboBox*>())
        if (c->findData(QStringLiteral("auto")) >= 0) languages = c;
    ASSERT_NE(languages, nullptr);
    ASSERT_EQ(languages->count(), 2 + static_cast<int>(TranslatedLanguages().size()));
    EXPECT_EQ(languages->itemText(1), "日本語");
    EXPECT_EQ(languages->currentText(), "English");
    EXPECT_EQ(dialog.Result().Language, "en");
    languages->setCurrentIndex(1);
    EXPECT_EQ(dialog.Result().Language, "ja");
    languages->setCurrentIndex(0);
    EXPECT_EQ(dialog.Result().Language, "auto");
}
