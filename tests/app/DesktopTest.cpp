// The application's desktop set-up: no display name for Qt to append to the windows'
// titles, the desktop file name and icon, and Qt's dialogs in Japanese with their
// keyboard access (Y, N, Enter for the default button) kept.
#include "app/Desktop.h"
#include "app/QtHost.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

namespace {

QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

// Asks the host's Yes/No question and, once its box is up, hands the box to `act`.
bool Ask(QtHost& host, const std::function<void(QMessageBox&)>& act) {
    QTimer::singleShot(0, [&] {
        if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) act(*box);
    });
    return host.AskYesNo("前回の続きからゲームを始めますか？");
}

void Press(QWidget& widget, Qt::Key key, const QString& text) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(&widget, &press);
}

TEST(DesktopTest, TheApplicationIsNamedForTheDesktopWithItsIcon) {
    SetUpDesktopApplication(App());
    SetApplicationIcon();
    EXPECT_EQ(QGuiApplication::desktopFileName(), AppId);
    // Qt appends a display name that is set to every other window's title.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    const QIcon icon = QApplication::windowIcon();
    ASSERT_FALSE(icon.isNull());
    for (int size : {16, 32, 48, 256}) EXPECT_EQ(icon.actualSize(QSize(size, size)), QSize(size, size));
}

TEST(DesktopTest, QuestionsSpeakJapaneseAndKeepTheirKeys) {
    ASSERT_TRUE(LoadJapaneseQtTranslations(App()));
    QWidget window;
    window.setWindowTitle(QStringLiteral("ひまわり畑の大脱走！"));
    TempDir dir;
    QtHost host(&window, dir.Dir());
    QString yes, no, title;
    // N answers No.
    EXPECT_FALSE(Ask(host, [&](QMessageBox& box) {
        yes = box.button(QMessageBox::Yes)->text();
        no = box.button(QMessageBox::No)->text();
        title = box.windowTitle();
        Press(box, Qt::Key_N, QStringLiteral("n"));
    }));
    EXPECT_EQ(yes, QStringLiteral("はい(&Y)"));
    EXPECT_EQ(no, QStringLiteral("いいえ(&N)"));
    EXPECT_EQ(title, QStringLiteral("ひまわり畑の大脱走！"));
    // Y answers Yes; Enter takes the default button, Yes.
    EXPECT_TRUE(Ask(host, [](QMessageBox& box) { Press(box, Qt::Key_Y, QStringLiteral("y")); }));
    EXPECT_TRUE(Ask(host, [](QMessageBox& box) { Press(box, Qt::Key_Return, QStringLiteral("\r")); }));
    // The file dialog's buttons too.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "&Open"), QStringLiteral("開く(&O)"));
}

} // namespace
