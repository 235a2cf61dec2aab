// The OpenGL view in a real window (under Xvfb): a presented frame is on the screen,
// the life bar's place shows the widget laid over the surface, and a part of the
// surface uncovered between frames shows the last frame again without a new one.
#include "app/GameView.h"
#include "app/GlProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

#include <functional>
#include <memory>

namespace {

constexpr int W = 200, H = 120;

void ProcessFor(int ms) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) QApplication::processEvents(QEventLoop::AllEvents, 10);
}

// Processes events until pred holds or two seconds have gone.
bool WaitFor(const std::function<bool()>& pred) {
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < 2000) {
        if (pred()) return true;
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return pred();
}

QImage Grab(QWidget& w) {
    return w.screen()->grabWindow(w.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

bool IsRed(QRgb c) {
    return qRed(c) > 230 && qGreen(c) < 30 && qBlue(c) < 30;
}

class GlViewTest : public ::testing::Test {
protected:
    void SetUp() override {
        uint32_t maxTexture = 0;
        QString reason;
        // The view draws with the probe's context, as the game's window does.
        if (!probe.Usable(maxTexture, reason)) GTEST_SKIP() << reason.toStdString();
        top.setFixedSize(W, H);
        top.move(100, 100);
        view = new GlView(&top, maxTexture, [this] { return probe.TakeContext(); });
        view->setGeometry(0, 0, W, H);
        bar = new QProgressBar(view);
        bar->setGeometry(10, 90, 100, 20);
        bar->setRange(0, 200);
        bar->setValue(0);
        bar->setTextVisible(false);
        view->Overlay(bar);
        top.show();
        ASSERT_TRUE(WaitFor([&] { return top.windowHandle() && top.windowHandle()->isExposed(); }));
        ProcessFor(100);
        auto driver = view->CreateDriver();
        D3DPRESENT_PARAMETERS p;
        p.BackBufferWidth = W;
        p.BackBufferHeight = H;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.Windowed = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(driver->CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, p, device), D3D_OK);
    }
    void TearDown() override { device.reset(); }
    // Presents a frame cleared to one colour; true once it is on the screen.
    bool PresentRed() {
        return WaitFor([&] {
            device->BeginScene();
            device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
            device->EndScene();
            device->Present();
            return IsRed(Grab(top).pixel(150, 40));
        });
    }

    GlProbe probe; // outlives the view
    QWidget top;
    GlView* view = nullptr;
    QProgressBar* bar = nullptr;
    std::shared_ptr<IRenderDevice> device;
};

} // namespace

TEST_F(GlViewTest, ThePresentedFrameIsShownWithTheLifeBarOverIt) {
    ASSERT_TRUE(PresentRed()) << "the frame never reached the window";
    const QImage shot = Grab(top);
    EXPECT_TRUE(IsRed(shot.pixel(5, 5)));
    EXPECT_TRUE(IsRed(shot.pixel(W - 5, H - 5)));
    // The empty progress bar is light, not the frame's red.
    EXPECT_FALSE(IsRed(shot.pixel(60, 100)));
    EXPECT_GT(qGray(shot.pixel(60, 100)), 150);
}

TEST_F(GlViewTest, AnUncoveredSurfaceShowsTheLastFrameAgain) {
    ASSERT_TRUE(PresentRed());
    // A window over the view (a dialog), then gone: no frame is presented meanwhile.
    QWidget cover;
    cover.setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::BypassWindowManagerHint);
    cover.setAutoFillBackground(true);
    QPalette green;
    green.setColor(QPalette::Window, Qt::green);
    cover.setPalette(green);
    cover.setGeometry(QRect(top.mapToGlobal(QPoint(0, 0)), QSize(W, H)));
    cover.show();
    ASSERT_TRUE(WaitFor([&] { return qGreen(Grab(top).pixel(150, 40)) > 200; })) << "the cover did not show";
    cover.hide();
    EXPECT_TRUE(WaitFor([&] { return IsRed(Grab(top).pixel(150, 40)); })) << "the frame was not shown again";
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
