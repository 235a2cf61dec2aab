// The OpenGL view in a real window (under Xvfb): a presented frame is on the screen,
// the life bar's place shows the widget laid over the surface, and a part of the
// surface uncovered between frames shows the last frame again without a new one; in a
// larger window the frame is scaled in the copy to the window, a whole factor as n x n
// blocks of the frame's pixels, fit mode with the border around it.
#include "app/GameView.h"
#include "app/GlProbe.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPixmap>
#include <QProgressBar>
#include <QScreen>

#include <cstdlib>
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
        view = new GlView(&top, maxTexture, QSize(W, H), [this] { return probe.TakeContext(); });
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
        driver = view->CreateDriver();
        D3DPRESENT_PARAMETERS p;
        p.BackBufferWidth = W;
        p.BackBufferHeight = H;
        p.BackBufferFormat = D3DFMT_X8R8G8B8;
        p.Windowed = 1;
        p.SwapEffect = D3DSWAPEFFECT_DISCARD;
        ASSERT_EQ(driver->CreateDevice(0, D3DDEVTYPE_HAL, 1, 0, p, device), D3D_OK);
    }
    void TearDown() override { device.reset(); }
    // Gives the window (and the view filling it) a new size and waits for it.
    void Resize(int w, int h) {
        top.setFixedSize(w, h);
        view->setGeometry(0, 0, w, h);
        ASSERT_TRUE(WaitFor([&] { return Grab(top).size() == QSize(w, h); }));
        ProcessFor(100);
    }
    // Presents a frame of one-pixel stripes in rows 0 to 79 (above the life bar), each
    // column its own colour, over red; answers the frame as the device read it back.
    QImage PresentStripes() {
        QImage frame;
        static_cast<OpenGLDriver&>(*driver).Config().PresentSink = [&](const TSoftwareFrame& f) {
            frame = QImage(reinterpret_cast<const uchar*>(f.Pixels), static_cast<int>(f.Width),
                           static_cast<int>(f.Height), static_cast<int>(f.Pitch * 4), QImage::Format_RGB32)
                        .copy();
        };
        device->BeginScene();
        device->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
        for (int32_t x = 0; x < W; ++x) {
            const TRect r = Rect(x, x % 7, x + 1, 80 - x % 5);
            const D3DCOLOR c = 0xFF000000u | (static_cast<uint32_t>(x * 0x010305 * 37) & 0xFFFFFFu);
            device->Clear(1, &r, D3DCLEAR_TARGET, c, 1.0f, 0);
        }
        device->EndScene();
        device->Present();
        static_cast<OpenGLDriver&>(*driver).Config().PresentSink = nullptr;
        return frame;
    }
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
    std::shared_ptr<IRenderDriver> driver;
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

bool Near(QRgb a, QRgb b, int tolerance = 2) {
    return std::abs(qRed(a) - qRed(b)) <= tolerance && std::abs(qGreen(a) - qGreen(b)) <= tolerance &&
           std::abs(qBlue(a) - qBlue(b)) <= tolerance;
}

TEST_F(GlViewTest, WholeFactorsShowEachFramePixelAsABlock) {
    for (int n : {2, 3, 4}) {
        Resize(W * n, H * n);
        const QImage frame = PresentStripes();
        ASSERT_EQ(frame.size(), QSize(W, H)) << "the kept frame keeps the game's size";
        QImage shot;
        ASSERT_TRUE(WaitFor([&] {
            shot = Grab(top);
            return Near(shot.pixel(0, 0), frame.pixel(0, 0)) &&
                   Near(shot.pixel(n * 150, 2), frame.pixel(150, 0));
        })) << "the stripes never reached the window at "
            << n << " x";
        int bad = 0;
        for (int y = 0; y < 80; ++y)
            for (int x = 0; x < W; ++x)
                for (int d = 0; d < n * n; ++d) {
                    const QPoint at(x * n + d % n, y * n + d / n);
                    // The life bar stays where this test put it.
                    if (!bar->geometry().contains(at) && !Near(shot.pixel(at), frame.pixel(x, y))) ++bad;
                }
        EXPECT_EQ(bad, 0) << "pixels off their frame pixel at " << n << " x";
    }
}

TEST_F(GlViewTest, FitModeFillsTheBorderAroundThePicture) {
    view->SetScaleMode(TScaleMode::Fit);
    Resize(330, 240); // the picture 330 x 198 at y = 21
    ASSERT_TRUE(PresentRed());
    const QImage shot = Grab(top);
    const QRgb border = qRgb((BorderColour >> 16) & 0xFF, (BorderColour >> 8) & 0xFF, BorderColour & 0xFF);
    for (int x = 0; x < 330; x += 7) {
        for (int y : {0, 10, 20, 219, 230, 239}) EXPECT_TRUE(Near(shot.pixel(x, y), border)) << x << "," << y;
        for (int y : {22, 60, 120, 160}) EXPECT_TRUE(IsRed(shot.pixel(x, y))) << x << "," << y;
    }
    view->SetScaleMode(TScaleMode::WholeNumber);
}

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
