// The version dialog: its size, colour, pictures and texts, the link label's look as the
// mouse comes and goes, and opening its address (an opener that fails shows the notice).
#include "app/QtHost.h"
#include "app/Unit2.h"
#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QMessageBox>
#include <QMouseEvent>
#include <QTimer>

#include <cstdlib>
#include <vector>

namespace {

QApplication& App() {
    return *static_cast<QApplication*>(QCoreApplication::instance());
}

void Move(QWidget* widget, QPoint at = {2, 2}) {
    QMouseEvent move(QEvent::MouseMove, at, widget->mapToGlobal(at), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
}

void Press(QWidget* widget, Qt::MouseButton button) {
    const QPointF at(2, 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, widget->mapToGlobal(at), button, button, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
}

struct Recorder {
    std::vector<QUrl> Opened;
    std::vector<std::pair<QWidget*, QString>> Notices;
    bool Succeeds = true;
};

class VersionDialogTest : public ::testing::Test {
protected:
    VersionDialogTest()
        : form(
              dir.Dir(), nullptr,
              [this](const QUrl& url) {
                  rec.Opened.push_back(url);
                  return rec.Succeeds;
              },
              [this](QWidget* owner, const QString& text) { rec.Notices.emplace_back(owner, text); }) {}

    void ExpectPlain() {
        const QLabel* l = form.LblURL();
        EXPECT_TRUE(l->font().bold());
        EXPECT_TRUE(l->font().italic());
        EXPECT_FALSE(l->font().underline());
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0xFFFFFF));
        EXPECT_EQ(l->cursor().shape(), Qt::ArrowCursor);
    }
    void ExpectHovered() {
        const QLabel* l = form.LblURL();
        EXPECT_TRUE(l->font().bold());
        EXPECT_TRUE(l->font().italic());
        EXPECT_TRUE(l->font().underline());
        EXPECT_EQ(l->palette().color(QPalette::WindowText), QColor(0x800080));
        EXPECT_EQ(l->cursor().shape(), Qt::PointingHandCursor);
    }

    QApplication& app = App();
    TempDir dir;
    Recorder rec;
    TForm2 form;
};

TEST_F(VersionDialogTest, FixedOliveClientAreaWithItsControlsInPlace) {
    EXPECT_EQ(form.windowTitle(), QStringLiteral("ひまわり畑の大脱走！のバージョン情報"));
    EXPECT_EQ(form.size(), QSize(385, 258));
    EXPECT_EQ(form.minimumSize(), form.maximumSize());
    EXPECT_FALSE(form.windowFlags().testAnyFlag(Qt::WindowMinMaxButtonsHint));
    EXPECT_TRUE(form.windowFlags().testFlag(Qt::WindowCloseButtonHint));
    EXPECT_FALSE(form.isVisible());
    EXPECT_EQ(form.font().pixelSize(), 11);

    EXPECT_EQ(form.Image1()->geometry(), QRect(16, 16, 353, 89));
    EXPECT_EQ(form.LblVersion()->geometry(), QRect(216, 120, 144, 35));
    EXPECT_EQ(form.Image2()->geometry(), QRect(104, 170, 265, 48));
    EXPECT_EQ(form.LblURL()->geometry(), QRect(81, 224, 296, 13));
    // 600 x 148 and 221 x 38 scaled to fit with their proportions kept.
    EXPECT_EQ(form.Image1()->pixmap().size(), QSize(353, 87));
    EXPECT_EQ(form.Image2()->pixmap().size(), QSize(265, 45));

    EXPECT_EQ(form.LblVersion()->text(), QStringLiteral("Ver 1.10 "));
    EXPECT_EQ(form.LblVersion()->font().pixelSize(), 35);
    EXPECT_TRUE(form.LblVersion()->font().bold());
    EXPECT_TRUE(form.LblVersion()->font().italic());
    EXPECT_EQ(form.LblURL()->font().pixelSize(), 13);

    const QImage shot = form.grab().toImage();
    const char* out = std::getenv("HIMAWARI_BUILD_DIR");
    if (out) shot.save(QString::fromUtf8(out) + QStringLiteral("/tests/version-dialog.png"));
    EXPECT_EQ(shot.pixelColor(2, 2), QColor(0x808000));
    EXPECT_EQ(shot.pixelColor(380, 250), QColor(0x808000));
    // The title picture's black corner lets the olive through; its sunflower does not.
    EXPECT_EQ(shot.pixelColor(17, 17), QColor(0x808000));
    EXPECT_NE(shot.pixelColor(16 + 28, 16 + 44), QColor(0x808000));
    // The credit banner is opaque: its dark green frame covers the olive.
    EXPECT_NE(shot.pixelColor(105, 171), QColor(0x808000));
}

TEST_F(VersionDialogTest, LinkAddressIsTheNotesBesideTheProgram) {
    const QUrl url = form.Link().Address();
    EXPECT_TRUE(url.isLocalFile());
    EXPECT_EQ(url.toLocalFile(), QString::fromStdString(dir.File("作品について.txt")));
    EXPECT_EQ(form.LblURL()->toolTip(), url.toString());
    EXPECT_EQ(HelpTextUrl("/opt/himawari/").toString(),
              QStringLiteral("file:///opt/himawari/作品について.txt"));
}

TEST_F(VersionDialogTest, LinkLooksHoveredWhileTheMouseIsOverItOnly) {
    form.show();
    ExpectPlain();
    Move(form.LblURL());
    ExpectHovered();
    Move(form.LblURL(), {40, 5}); // further moves keep the look
    ExpectHovered();
    Move(&form, {10, 250});
    ExpectPlain();

    // Over a picture or the version text is outside the label too.
    Move(form.LblURL());
    Move(form.Image2());
    ExpectPlain();
    Move(form.LblURL());
    Move(form.LblVersion());
    ExpectPlain();

    // Leaving the label straight out of the dialog restores the plain look as well.
    Move(form.LblURL());
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(form.LblURL(), &leave);
    ExpectPlain();
    EXPECT_TRUE(rec.Opened.empty());
}

TEST_F(VersionDialogTest, AnyButtonOnTheLinkOpensItsAddress) {
    Press(form.LblURL(), Qt::LeftButton);
    Press(form.LblURL(), Qt::RightButton);
    ASSERT_EQ(rec.Opened.size(), 2u);
    EXPECT_EQ(rec.Opened[0], form.Link().Address());
    EXPECT_TRUE(rec.Notices.empty());

    Press(&form, Qt::LeftButton);
    Press(form.Image2(), Qt::LeftButton);
    EXPECT_EQ(rec.Opened.size(), 2u);
}

TEST_F(VersionDialogTest, FailedOpenShowsTheNoticeOwnedByTheDialog) {
    rec.Succeeds = false;
    Press(form.LblURL(), Qt::LeftButton);
    ASSERT_EQ(rec.Notices.size(), 1u);
    EXPECT_EQ(rec.Notices[0].first, &form);
    EXPECT_EQ(rec.Notices[0].second, QStringLiteral("作者サイトへの接続に失敗しました。"));
    EXPECT_FALSE(form.Link().LblURLMouseDown());
    EXPECT_EQ(rec.Notices.size(), 2u);
}

TEST(VersionDialogDesktopTest, MissingOrInvalidAddressIsAFailureAndTheNoticeIsAMessageBox) {
    App();
    TempDir dir;
    EXPECT_FALSE(DesktopOpenUrl(HelpTextUrl(dir.Dir())));
    EXPECT_FALSE(DesktopOpenUrl(QUrl()));

    // The real notice: a modal message box over the dialog with the text, closed by OK.
    TForm2 form(dir.Dir(), nullptr, [](const QUrl&) { return false; });
    QString seen;
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen = box->text();
        box->accept();
    });
    EXPECT_FALSE(form.Link().LblURLMouseDown());
    EXPECT_EQ(seen, QStringLiteral("作者サイトへの接続に失敗しました。"));
}

TEST(VersionDialogHostTest, TheMenuCommandShowsTheDialogModallyInTheMiddleOfTheScreen) {
    App();
    TempDir dir;
    QWidget window;
    QtHost host(&window, dir.Dir());
    EXPECT_FALSE(host.Form2().isVisible());
    bool shownModal = false;
    QPoint centre;
    QTimer::singleShot(0, [&] {
        shownModal = QApplication::activeModalWidget() == &host.Form2();
        centre = host.Form2().frameGeometry().center();
        host.Form2().close();
    });
    host.ShowVersionDialog();
    EXPECT_TRUE(shownModal);
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_LE((centre - screen.center()).manhattanLength(), 4); // odd sizes round both ways
    EXPECT_FALSE(host.Form2().isVisible());
}

} // namespace

// The application lives on main's stack: it must go before Qt's own globals do.
int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
