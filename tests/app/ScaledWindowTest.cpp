// The real main window under Xvfb with a window manager (openbox), on both devices: a
// window resized to 1600 x 1100 shows the game's picture centred on the border as 2 x 2
// blocks with the life bar on it at 2 x; F11, Alt+Enter and the menu item make it fill
// the 1920 x 1080 screen and leaving (F11, Esc) gives back its size and place, and the
// fullscreen key rebound on the settings dialog's キー page takes F11's place; a click
// through the scaled picture reaches the mouse device in the frame's coordinates; the
// size, mode and fullscreen state are kept in Settei.ini for the next start. Run again at
// the desktop scales 1.25, 1.5 and 2 (QT_SCALE_FACTOR, the ctest entries
// scaled_window_ratio_*), the picture is checked in the screen's own pixels.
#include "app/GlProbe.h"
#include "app/MainWindow.h"
#include "app/WindowPage.h"
#include "support/TempDir.h"
#include "ui/WindowSettings.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QElapsedTimer>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

extern char** environ;

namespace {

bool WaitFor(const std::function<bool()>& pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (pred()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return pred();
}

void ProcessFor(int ms) {
    WaitFor([] { return false; }, ms);
}

std::string Shell(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buffer[256];
        while (fgets(buffer, sizeof buffer, p)) out += buffer;
        pclose(p);
    }
    return out;
}

std::string FileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream all;
    all << in.rdbuf();
    return all.str();
}

// The window manager, for the whole program: fullscreen is the window manager's to give.
class WindowManager {
public:
    WindowManager() {
        char name[] = "openbox";
        char flag[] = "--sm-disable";
        char* argv[] = {name, flag, nullptr};
        if (posix_spawnp(&pid_, "openbox", nullptr, nullptr, argv, environ) != 0) pid_ = -1;
    }
    ~WindowManager() {
        if (pid_ <= 0) return;
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
    // Whether it runs and has said so on the root window.
    bool Ready() {
        return pid_ > 0 && WaitFor([] {
                   return Shell("xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null").find("window id") !=
                          std::string::npos;
               });
    }

private:
    pid_t pid_ = -1;
};

QImage Grab(QWidget& w) {
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

const QRgb Border = qRgb((BorderColour >> 16) & 0xFF, (BorderColour >> 8) & 0xFF, BorderColour & 0xFF);

class ScaledWindow : public ::testing::TestWithParam<bool> {
protected:
    static void SetUpTestSuite() { manager = new WindowManager; }
    static void TearDownTestSuite() { delete manager; }

    void SetUp() override {
        ASSERT_TRUE(manager->Ready()) << "openbox did not start (scripts/setup.sh installs it)";
        std::filesystem::copy(BuildDir() + "Data", dir.Path() / "Data",
                              std::filesystem::copy_options::recursive);
        std::filesystem::remove(dir.Path() / "Data" / "record.dat");
        std::filesystem::remove(dir.Path() / "Data" / "Settei.ini");
        Open();
    }
    void TearDown() override {
        window.reset();
        probe.reset();
    }
    void Open() {
        window.reset();
        probe.reset();
        uint32_t maxTexture = 0;
        bool gl = false;
        if (GetParam()) {
            probe = std::make_unique<GlProbe>();
            QString reason;
            if (!probe->Usable(maxTexture, reason)) GTEST_SKIP() << reason.toStdString();
            gl = true;
        }
        GlProbe* p = probe.get();
        window = std::make_unique<MainWindow>(dir.Dir(), gl, maxTexture, [p] { return p->TakeContext(); });
        ASSERT_TRUE(window->FormCreate());
        window->ShowCentred();
        window->activateWindow();
        ASSERT_TRUE(WaitFor([&] { return window->isActiveWindow(); })) << "the window has no focus";
        ProcessFor(300);
    }
    int MenuHeight() { return window->menuBar()->height(); }
    // Resizes the window and waits until the view has the size and frames were drawn.
    void Resize(int w, int h) {
        window->resize(w, h);
        ASSERT_TRUE(WaitFor([&] { return window->View()->size() == QSize(w, h - MenuHeight()); }))
            << "the window stayed " << window->width() << "x" << window->height();
        ProcessFor(300);
    }
    void Key(const char* keys) {
        Shell(std::string("xdotool key --clearmodifiers ") + keys);
        ProcessFor(50);
    }
    // The picture is centred in the view, the border around it, its pixels n x n blocks
    // of the screen's own pixels (outside the widgets lying over it: the life bar at the
    // same scale, the pause notice).
    void ExpectBlocks(uint32_t n) {
        GameViewBase* view = window->View();
        const qreal ratio = view->devicePixelRatioF();
        const TFramePlacement p = view->Placement();
        const int width = int(DevicePixels(view->width(), ratio)),
                  height = int(DevicePixels(view->height(), ratio));
        ASSERT_EQ(p.Factor, n);
        EXPECT_EQ(p.X, (width - 764 * int(n)) / 2);
        EXPECT_EQ(p.Y, (height - 500 * int(n)) / 2);
        const auto device = [ratio](QRect r) {
            return QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        };
        const QImage shot = Grab(*window);
        ASSERT_LE(std::abs(shot.width() - window->width() * ratio), 1.0)
            << "the grab is in the screen's pixels";
        ASSERT_LE(std::abs(shot.height() - window->height() * ratio), 1.0);
        const QPoint at = (QPointF(view->mapTo(window.get(), QPoint(0, 0))) * ratio).toPoint();
        const auto pixel = [&](int x, int y) { return shot.pixel(at.x() + x, at.y() + y); };
        // A window taller than the screen reaches below it: only the rows on the screen.
        const int shown = std::min(
            height,
            int((window->screen()->geometry().bottom() + 1 - view->mapToGlobal(QPoint(0, 0)).y()) * ratio));
        for (int y = 0; y < shown; y += 17) {
            if (p.X > 0) {
                EXPECT_EQ(pixel(p.X - 1, y), Border) << y;
            }
            if (p.X + p.Width < width) {
                EXPECT_EQ(pixel(p.X + p.Width, y), Border) << y;
            }
        }
        for (int x = 0; x < width; x += 23) {
            if (p.Y > 0) {
                EXPECT_EQ(pixel(x, p.Y - 1), Border) << x;
            }
            if (p.Y + p.Height < shown) {
                EXPECT_EQ(pixel(x, p.Y + p.Height), Border) << x;
            }
        }
        // The life bar covers its place on the picture to the screen pixel.
        const TProgressBar& bar = window->Form().PBLife;
        const QRect barRect = device(window->LifeBar()->geometry());
        const QRect barOnPicture(p.X + bar.Left() * int(n), p.Y + bar.Top() * int(n), bar.Width() * int(n),
                                 bar.Height() * int(n));
        EXPECT_LE((barRect.topLeft() - barOnPicture.topLeft()).manhattanLength(), 2);
        EXPECT_LE((barRect.bottomRight() - barOnPicture.bottomRight()).manhattanLength(), 2);
        std::vector<QRect> over;
        for (QWidget* w : view->findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
            if (w->isVisible() && !w->inherits("QWindowContainer"))
                over.push_back(device(w->geometry()).adjusted(-int(n) - 1, -int(n) - 1, 1, 1));
        int bad = 0, blocks = 0, edges = 0;
        for (int y = 0; y < 500; ++y) {
            for (int x = 0; x < 764; ++x) {
                const QPoint corner(p.X + x * int(n), p.Y + y * int(n));
                if (corner.y() + int(n) > shown ||
                    std::any_of(over.begin(), over.end(), [&](const QRect& r) { return r.contains(corner); }))
                    continue;
                const QRgb c = pixel(corner.x(), corner.y());
                for (uint32_t d = 1; d < n * n; ++d)
                    if (pixel(corner.x() + int(d % n), corner.y() + int(d / n)) != c) ++bad;
                if (x > 0 && pixel(corner.x() - 1, corner.y()) != c) ++edges;
                ++blocks;
            }
        }
        EXPECT_EQ(bad, 0) << "pixels unlike their block's, of " << blocks << " blocks";
        EXPECT_GT(edges, 10000) << "the picture is not drawn";
    }

    static WindowManager* manager;
    TempDir dir;
    std::unique_ptr<GlProbe> probe;
    std::unique_ptr<MainWindow> window;
};

WindowManager* ScaledWindow::manager = nullptr;

TEST_P(ScaledWindow, AResizedWindowShowsThePictureCentredInTwoByTwoBlocks) {
    EXPECT_EQ(window->View()->size(), MainWindow::ClientSize) << "the window opens at 1 x";
    EXPECT_EQ(window->View()->Placement().Factor, 1u);
    Resize(1600, 1100);
    ExpectBlocks(2);
    // The window goes no smaller than the frame below the menu bar.
    window->resize(400, 300);
    ProcessFor(300);
    EXPECT_EQ(window->View()->size(), MainWindow::ClientSize);
}

// In play, at the desktop's scale (1 here, 1.25, 1.5 and 2 in the scaled_window_ratio_*
// runs): the picture at 2 x is made of 2 x 2 blocks of identical screen pixels, with no
// smoothing of Qt's own on top; and the frames that changed in part (only their damage
// reaches the window) leave on the screen what a whole redraw of the kept frame shows, in
// both modes.
TEST_P(ScaledWindow, PlayIsCrispInDevicePixelsAndItsPartsMakeTheWholeFrame) {
    const qreal ratio = window->devicePixelRatioF();
    Resize(int(std::ceil(1600 / ratio)), int(std::ceil(1010 / ratio)) + MenuHeight());
    // Enter starts a board once the offer to resume (2 s in) is past.
    ASSERT_TRUE(WaitFor(
        [&] {
            Key("Return");
            return WaitFor([&] { return window->Form().Hamster.Active; }, 500);
        },
        8000))
        << "no board started";
    // Paused by the key (or, the board lost to a cat meanwhile, between boards): the
    // screen stands; then the mode's whole redraw of the kept frame leaves it as it is.
    const auto standsAndIsWhole = [&](TWindowScale mode) {
        QImage parts = Grab(*window), before;
        ASSERT_TRUE(WaitFor(
            [&] {
                before = parts;
                ProcessFor(300);
                parts = Grab(*window);
                return parts == before;
            },
            6000))
            << "the screen does not stand still";
        if (mode == TWindowScale::WholeNumber) ExpectBlocks(2);
        window->SetScaleMode(mode);
        ProcessFor(300);
        const QImage whole = Grab(*window);
        ASSERT_EQ(whole.size(), parts.size());
        int differ = 0;
        for (int y = 0; y < whole.height(); ++y)
            for (int x = 0; x < whole.width(); ++x) differ += whole.pixel(x, y) != parts.pixel(x, y);
        EXPECT_EQ(differ, 0) << "screen pixels the frames in part left otherwise than the whole frame";
    };
    ProcessFor(1200);
    Key("p");
    standsAndIsWhole(TWindowScale::WholeNumber);
    // The filtered mode's parts (each with a frame pixel more around it) as well.
    window->SetScaleMode(TWindowScale::Fit);
    Key("p");
    ProcessFor(800);
    Key("p");
    standsAndIsWhole(TWindowScale::Fit);
}

TEST_P(ScaledWindow, FullscreenFillsTheScreenAndLeavingRestoresSizeAndPlace) {
    Resize(1000, 700);
    window->move(100, 80);
    ProcessFor(300);
    const QRect before = window->geometry();
    const QRect screen = window->screen()->geometry();
    ASSERT_EQ(screen.size(), QSize(1920, 1080));
    // Each change is let settle (the window manager's last configure handled) before the
    // next one.
    const auto settled = [&](const std::function<bool()>& state) {
        if (!WaitFor(state, 10000)) return false;
        ProcessFor(300);
        return state();
    };
    const auto full = [&] {
        return settled([&] { return window->isFullScreen() && window->geometry() == screen; });
    };
    const auto restored = [&] {
        return settled([&] { return !window->isFullScreen() && window->geometry() == before; });
    };
    const auto where = [&] {
        const QRect g = window->geometry();
        return std::to_string(window->isFullScreen()) + " " + std::to_string(g.x()) + "," +
               std::to_string(g.y()) + " " + std::to_string(g.width()) + "x" + std::to_string(g.height());
    };
    Key("F11");
    ASSERT_TRUE(full()) << "F11: " << where();
    EXPECT_TRUE(window->menuBar()->isVisible()) << "the menu bar stays in fullscreen";
    ExpectBlocks(2);
    Key("F11");
    EXPECT_TRUE(restored()) << "F11 again: " << where();
    Key("alt+Return");
    EXPECT_TRUE(full()) << "Alt+Enter: " << where();
    Key("Escape");
    EXPECT_TRUE(restored()) << "Esc: " << where();
    QAction* item = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text().startsWith(QStringLiteral("全画面表示"))) item = a;
    ASSERT_NE(item, nullptr);
    item->trigger();
    EXPECT_TRUE(full()) << "the menu item: " << where();
    EXPECT_TRUE(item->isChecked());
    item->trigger();
    EXPECT_TRUE(restored()) << "the menu item again: " << where();

    // The fullscreen key is the bindings': taken on the キー page as F10 and kept in
    // [Keys], F10 toggles, F11 is free and Alt+Enter stays.
    QAction* settingsItem = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text().startsWith(QStringLiteral("設定"))) settingsItem = a;
    ASSERT_NE(settingsItem, nullptr);
    bool taken = false;
    QTimer::singleShot(200, window.get(), [&] {
        auto* dialog = dynamic_cast<SettingsDialog*>(QApplication::activeModalWidget());
        if (!dialog) return;
        dialog->Cell(TAction::Fullscreen, 0)->click();
        Shell("xdotool key F10");
        QTimer::singleShot(500, dialog, [&taken, dialog] {
            taken = dialog->Cell(TAction::Fullscreen, 0)->text() == QStringLiteral("F10");
            dialog->accept();
        });
    });
    settingsItem->trigger();
    ASSERT_TRUE(taken) << "the キー page did not take F10";
    EXPECT_TRUE(item->text().endsWith(QStringLiteral("\tF10"))) << item->text().toStdString();
    EXPECT_NE(FileText(window->Form().UserDir + "Settei.ini").find("Fullscreen = F10"), std::string::npos);
    Key("F11");
    ProcessFor(500);
    EXPECT_FALSE(window->isFullScreen()) << "F11 is free";
    Key("F10");
    EXPECT_TRUE(full()) << "F10: " << where();
    Key("F10");
    EXPECT_TRUE(restored()) << "F10 again: " << where();
    Key("alt+Return");
    EXPECT_TRUE(full()) << "Alt+Enter: " << where();
    Key("alt+Return");
    EXPECT_TRUE(restored()) << "Alt+Enter again: " << where();
}

TEST_P(ScaledWindow, AClickThroughTheScaledPictureReachesTheMouseDeviceInFrameCoordinates) {
    Resize(1600, 1100);
    GameViewBase* view = window->View();
    const TFramePlacement p = view->Placement();
    const auto move = [&](int fx, int fy) {
        const QPoint g = view->mapToGlobal(QPoint(p.X + 2 * fx + 1, p.Y + 2 * fy + 1));
        Shell("xdotool mousemove " + std::to_string(g.x()) + " " + std::to_string(g.y()));
    };
    move(300, 200);
    ProcessFor(200);
    window->Mouse().TakeState(); // the reference point
    move(350, 260);
    Shell("xdotool mousedown 1");
    TDIMouseState s;
    ASSERT_TRUE(WaitFor([&] {
        const TDIMouseState now = window->Mouse().TakeState();
        s.lX += now.lX, s.lY += now.lY;
        s.rgbButtons[0] |= now.rgbButtons[0];
        return s.rgbButtons[0] != 0 && s.lX == 50 && s.lY == 60;
    })) << "motion "
        << s.lX << "," << s.lY << " button " << int(s.rgbButtons[0]);
    Shell("xdotool mouseup 1");
}

TEST_P(ScaledWindow, SizeModeAndFullscreenAreKeptForTheNextStart) {
    const std::string settings = window->Form().UserDir + "Settei.ini";
    window->close();
    ProcessFor(100);
    EXPECT_EQ(FileText(settings).find("Window"), std::string::npos)
        << "a window left as it opened adds nothing";
    Open();
    Resize(1500, 900);
    window->SetScaleMode(TWindowScale::Fit);
    window->close();
    std::ostringstream complaints;
    const TWindowSettings kept = ReadWindowSettings(settings, complaints);
    EXPECT_EQ(kept, (TWindowSettings{TWindowScale::Fit, 1500, 900 - MenuHeight(), false}));
    Open();
    EXPECT_EQ(window->View()->size(), QSize(1500, 900 - MenuHeight()));
    EXPECT_EQ(window->View()->ScaleMode(), TScaleMode::Fit);
    window->SetFullscreen(true);
    ASSERT_TRUE(WaitFor([&] { return window->isFullScreen(); }));
    window->close();
    Open();
    EXPECT_TRUE(
        WaitFor([&] { return window->isFullScreen() && window->geometry().size() == QSize(1920, 1080); }));
    window->SetFullscreen(false);
    EXPECT_TRUE(WaitFor([&] { return window->View()->size() == QSize(1500, 900 - MenuHeight()); }))
        << "leaving a fullscreen it opened in gives the size kept";
    // A size kept from a larger screen opens no larger than this one (the window manager's
    // frame, unknown before the window shows, aside).
    window->close();
    WriteWindowSettings(settings, TWindowSettings{TWindowScale::WholeNumber, 3000, 2000, false}, settings);
    Open();
    EXPECT_LE(window->width(), 1920);
    EXPECT_LE(window->height(), 1080);
}

// The settings dialog's 画面 page chooses the scaling and fullscreen as the 表示 menu does,
// and OK keeps them in the settings; Cancel changes nothing.
TEST_P(ScaledWindow, TheSettingsDialogsWindowPageSetsScalingAndFullscreen) {
    const std::string settings = window->Form().UserDir + "Settei.ini";
    QAction* open = nullptr;
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text().startsWith(QStringLiteral("設定"))) open = a;
    ASSERT_NE(open, nullptr);
    const auto choose = [&](int scale, bool fullscreen, bool ok) {
        bool seen = false;
        QTimer::singleShot(200, window.get(), [&] {
            auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            WindowPage* page = nullptr;
            if (dialog)
                for (QWidget* w : dialog->findChildren<QWidget*>())
                    if (auto* p = dynamic_cast<WindowPage*>(w)) page = p;
            if (!page) {
                if (dialog) dialog->reject();
                return;
            }
            seen = true;
            page->ScaleChoice()->setCurrentIndex(scale);
            page->FullscreenBox()->setChecked(fullscreen);
            ok ? dialog->accept() : dialog->reject();
        });
        open->trigger();
        return seen;
    };
    ASSERT_TRUE(choose(1, false, false)) << "the dialog has a 画面 page";
    EXPECT_EQ(window->View()->ScaleMode(), TScaleMode::WholeNumber) << "Cancel changes nothing";
    ASSERT_TRUE(choose(1, true, true));
    EXPECT_EQ(window->View()->ScaleMode(), TScaleMode::Fit);
    EXPECT_TRUE(WaitFor([&] { return window->isFullScreen(); }));
    std::ostringstream complaints;
    TWindowSettings kept = ReadWindowSettings(settings, complaints);
    EXPECT_EQ(kept.Scale, TWindowScale::Fit);
    EXPECT_TRUE(kept.Fullscreen);
    ASSERT_TRUE(choose(0, false, true));
    EXPECT_EQ(window->View()->ScaleMode(), TScaleMode::WholeNumber);
    EXPECT_TRUE(WaitFor([&] { return !window->isFullScreen(); }));
    kept = ReadWindowSettings(settings, complaints);
    EXPECT_EQ(kept.Scale, TWindowScale::WholeNumber);
    EXPECT_FALSE(kept.Fullscreen);
    for (QAction* a : window->findChildren<QAction*>())
        if (a->text().startsWith(QStringLiteral("整数倍"))) {
            EXPECT_TRUE(a->isChecked()) << "the 表示 menu agrees";
        }
}

INSTANTIATE_TEST_SUITE_P(Devices, ScaledWindow, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return std::string(info.param ? "OpenGL" : "Software");
                         });

} // namespace

int main(int argc, char** argv) {
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
