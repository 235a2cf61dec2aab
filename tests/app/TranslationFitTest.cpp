// The window's own texts in English where the Japanese ones are, with the fonts the setup
// script installs: the menu bar on one line at the window's 764 pixels, each question and
// notice in a message box no larger than the window (its text wraps, never scrolls), every
// text of the catalogue so too (a failure's message with a path and a reason in it), and
// the settings and high-score dialogs no larger than the room the Japanese ones have, with
// no text cut short.
#include "app/ScoreDialogs.h"
#include "app/SettingsDialog.h"
#include "app/WindowPage.h"
#include "base/Translate.h"
#include "support/TempDir.h"
#include "ui/MenuItem.h"

#include <gtest/gtest.h>

#include <array>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTableWidget>
#include <QTimer>

namespace {

struct InLanguage {
    explicit InLanguage(const std::string& language) { UseLanguage(language, BuildDir() + "locale"); }
    ~InLanguage() { UseLanguage(SourceLanguage, ""); }
};
struct English : InLanguage {
    English() : InLanguage("en") {}
};

QString Q(const char* text) {
    return QString::fromUtf8(text).replace(QLatin1Char('\r'), QLatin1Char('\n'));
}

// The game's window under its menu bar, where every box and dialog opens.
const QSize Window(764, 500);

// Every msgid of the template the build extracted from the sources.
std::vector<std::string> TemplateTexts() {
    QFile pot(QString::fromStdString(BuildDir() + "po/himawari.pot"));
    EXPECT_TRUE(pot.open(QIODevice::ReadOnly)) << pot.fileName().toStdString();
    std::vector<std::string> texts;
    std::string* text = nullptr;
    for (const QByteArray& raw : pot.readAll().split('\n')) {
        const std::string line = raw.toStdString();
        if (line.rfind("msgid \"", 0) == 0) {
            texts.emplace_back();
            text = &texts.back();
        } else if (line.empty() || line[0] != '"') {
            text = nullptr;
        }
        if (!text) continue;
        const size_t open = line.find('"'), close = line.rfind('"');
        for (size_t i = open + 1; i < close; ++i) {
            if (line[i] != '\\') {
                *text += line[i];
                continue;
            }
            const char c = line[++i];
            *text += c == 'n' ? '\n' : c == 'r' ? '\r' : c == 't' ? '\t' : c;
        }
    }
    std::erase(texts, std::string());
    return texts;
}

// A text as it is shown: printf directives and Qt's %1 filled with a long path or a number
// (the same in both languages), line breaks as Qt takes them.
QString Shown(const char* text) {
    static const QRegularExpression path(QStringLiteral("%s")),
        number(QStringLiteral("%[-+ #0]*\\d*(?:hh|h|ll|l|z|j|t)?[diouxX]|%\\d"));
    return Q(text)
        .replace(path, QStringLiteral("/home/player/.local/share/himawari/Settei.ini"))
        .replace(number, QStringLiteral("65535"));
}

// The room a dialog has: the game's window, or the Japanese dialog's own size where that
// is larger.
QSize Room(const QSize& japanese) {
    return japanese.expandedTo(Window);
}

// No text of a shown dialog is cut short: each label, button and list no narrower than its
// text needs, every page's tab shown without scroll arrows, a table without a sideways
// scroll bar.
void ExpectNothingCut(QWidget& dialog, const std::string& what) {
    for (QAbstractButton* b : dialog.findChildren<QAbstractButton*>()) {
        if (!b->isVisible() || qobject_cast<QTabBar*>(b->parentWidget())) continue;
        EXPECT_GE(b->width(), b->sizeHint().width()) << what << ": " << b->text().toStdString();
    }
    for (QLabel* l : dialog.findChildren<QLabel*>()) {
        if (!l->isVisible()) continue;
        EXPECT_GE(l->width(), l->minimumSizeHint().width()) << what << ": " << l->text().toStdString();
    }
    for (QComboBox* c : dialog.findChildren<QComboBox*>()) {
        if (!c->isVisible()) continue;
        EXPECT_GE(c->width(), c->sizeHint().width()) << what << ": " << c->currentText().toStdString();
    }
    for (QTabBar* t : dialog.findChildren<QTabBar*>()) {
        if (!t->isVisible()) continue;
        EXPECT_GE(t->width(), t->sizeHint().width()) << what << ": the tabs";
    }
    for (QTableWidget* t : dialog.findChildren<QTableWidget*>())
        EXPECT_FALSE(t->horizontalScrollBar()->isVisible()) << what << ": the table scrolls sideways";
}

// The settings dialog as the window opens it (its 画面 page added), on `page`, with a key
// cell and a pad cell waiting for a press and a refused key's message shown.
struct OpenSettings {
    SettingsDialog dialog{TGameSettings{}, [](const TSoundOptions&) {}};
    explicit OpenSettings(int page) {
        dialog.Pages()->addTab(new WindowPage(TWindowSettings{}), QString::fromUtf8(Tr("画面(&W)")));
        dialog.Pages()->setCurrentIndex(page);
        dialog.show();
        dialog.Cell(TAction::Pause, 2)->click();
        dialog.PadPressed(TPadButton::South); // 決定 holds it: the message names that action
        dialog.Cell(TAction::Turn, 2)->click();
        // One capture at a time: the key cell shows its wait as the pad cell does.
        dialog.Cell(TAction::Turn, 0)->setText(QString::fromUtf8(Tr("キーを押してください")));
        QApplication::processEvents();
    }
};

// The size of a modal dialog that `open` runs, once it shows (its texts checked); it is then
// closed.
template <typename Open> QSize ModalDialog(const std::string& what, Open open) {
    QSize size;
    QTimer::singleShot(0, [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        QApplication::processEvents();
        size = dialog->size();
        ExpectNothingCut(*dialog, what);
        dialog->reject();
    });
    open();
    EXPECT_TRUE(size.isValid()) << what << " did not open";
    return size;
}

// Ten entries as the table shows them, the last one just made, each name 16 characters long.
TScoreTableView FullTable() {
    TScoreTableView table;
    for (int i = 0; i < 10; ++i)
        table.Rows.push_back({std::to_string(i + 1), "Hamster Hamster" + std::to_string(i % 10),
                              "30,4" + std::to_string(70 - i), "3-10", "212:05", "2026-12-09 21:40"});
    table.Marked = 9;
    return table;
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

// A failure's message (a file, the archive, the sound device; its path and reason put in)
// and every other text of the catalogue fits an error box no larger than the window, in
// Japanese and in every translated language: a text the sources gain, and a language
// po/LINGUAS gains, is measured too.
TEST(TranslationFit, EveryTextOfTheCatalogueFitsAnErrorBoxInEveryLanguage) {
    const std::vector<std::string> texts = TemplateTexts();
    ASSERT_GT(texts.size(), 150u);
    const auto expectFits = [](const QString& shown, const std::string& what) {
        QMessageBox box(QMessageBox::Critical, QStringLiteral("Himawari Escape"), shown, QMessageBox::Ok);
        box.show();
        QApplication::processEvents();
        EXPECT_LE(box.width(), Window.width()) << what << ": " << shown.toStdString();
        EXPECT_LE(box.height(), Window.height()) << what << ": " << shown.toStdString();
    };
    for (const std::string& text : texts) expectFits(Shown(text.c_str()), "ja");
    ASSERT_FALSE(TranslatedLanguages().empty());
    for (const std::string& language : TranslatedLanguages()) {
        const InLanguage scope(language);
        size_t translated = 0;
        for (const std::string& text : texts) {
            const char* const shown = Tr(text.c_str());
            translated += shown != text;
            expectFits(Shown(shown), language);
        }
        EXPECT_GT(translated, texts.size() / 2) << language << ": the catalogue is read";
        if (language == "en") {
            EXPECT_EQ(translated, texts.size() - 1) << "every text but \"OK\" has its own English";
        }
    }
}

// Each page of 設定 and both high-score dialogs in English are no larger than the room the
// Japanese ones have, and no text in them is cut short.
TEST(TranslationFit, TheEnglishSettingsAndHighScoreDialogsFitWhereTheJapaneseOnesDo) {
    const char* const pages[] = {"キー", "サウンド", "言語", "画面"};
    std::vector<QSize> japanese;
    for (int page = 0; page < 4; ++page) {
        OpenSettings settings(page);
        japanese.push_back(settings.dialog.size());
    }
    const auto scoreDialogs = [] {
        std::string name = "Hamster";
        return std::array{
            ModalDialog("name entry", [&] { RunScoreNameDialog(nullptr, name); }),
            ModalDialog("table", [] { RunScoreTableDialog(nullptr, FullTable()); }),
            ModalDialog("empty table", [] { RunScoreTableDialog(nullptr, TScoreTableView{}); })};
    };
    const std::array<QSize, 3> scoresJa = scoreDialogs();

    const English english;
    for (int page = 0; page < 4; ++page) {
        OpenSettings settings(page);
        ASSERT_EQ(settings.dialog.windowTitle(), "Settings");
        const QSize room = Room(japanese[static_cast<size_t>(page)]);
        const std::string what = std::string("設定, ") + pages[page];
        EXPECT_LE(settings.dialog.width(), room.width()) << what;
        EXPECT_LE(settings.dialog.height(), room.height()) << what;
        ExpectNothingCut(settings.dialog, what + " (English)");
    }
    const std::array<QSize, 3> scores = scoreDialogs();
    for (size_t i = 0; i < scores.size(); ++i) {
        EXPECT_LE(scores[i].width(), Room(scoresJa[i]).width()) << "high-score dialog " << i;
        EXPECT_LE(scores[i].height(), Room(scoresJa[i]).height()) << "high-score dialog " << i;
    }
}
