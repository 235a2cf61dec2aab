// The window's own texts in English where the Japanese ones are, with the fonts the setup
// script installs: the menu bar on one line at the window's 764 pixels, each question and
// notice in a message box no larger than the window (its text wraps, never scrolls).
#include "base/Translate.h"
#include "support/TempDir.h"
#include "ui/MenuItem.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMenuBar>
#include <QMessageBox>

namespace {

struct English {
    English() { UseLanguage("en", BuildDir() + "locale"); }
    ~English() { UseLanguage(SourceLanguage, ""); }
};

QString Q(const char* text) {
    return QString::fromUtf8(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

} // namespace

TEST(TranslationFit, TheEnglishMenuBarIsOneLineAt764Pixels) {
    const English english;
    TMainMenu menu; // its captions are taken in the chosen language
    ASSERT_EQ(menu.G1.Caption(), "&Game");
    QMenuBar bar;
    for (TMenuItem* top : menu.TopItems()) {
        QMenu* drop = bar.addMenu(QString::fromStdString(top->Caption()));
        for (TMenuItem* item : top->Items())
            if (!item->IsSeparator()) drop->addAction(QString::fromStdString(item->Caption()));
    }
    bar.resize(764, bar.heightForWidth(764));
    EXPECT_EQ(bar.heightForWidth(764), bar.heightForWidth(10000)) << "the menu bar wraps";
    for (QAction* action : bar.actions()) EXPECT_LE(bar.actionGeometry(action).right(), 764);
}

TEST(TranslationFit, EveryEnglishQuestionAndNoticeFitsTheWindow) {
    const English english;
    const char* const texts[] = {
        "ゲームを保存しますか？\r以前のデータは破棄されます。",
        "前回の続きからゲームを始めますか？",
        "選択したフォルダには音楽ファイルがありません。\r他のフォルダを選んでください。",
        "再生できる曲がないため、「夕焼けの帰り道」に切り替えます。",
        "作者サイトへの接続に失敗しました。",
    };
    for (const char* text : texts) {
        const QString shown = Q(Tr(text));
        ASSERT_NE(shown, Q(text)) << text << " has no English";
        QMessageBox box(QMessageBox::Question, Q(Tr("ひまわり畑の大脱走！")), shown,
                        QMessageBox::Yes | QMessageBox::No);
        box.show();
        QApplication::processEvents();
        EXPECT_LE(box.width(), 764) << text;
        EXPECT_LE(box.height(), 500) << text;
        box.hide();
    }
}
