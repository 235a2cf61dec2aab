// The game view feeds the mouse device: moves, buttons and the wheel, also when they
// happen over the life bar lying on the view.
#include "app/GameView.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QProgressBar>
#include <QWheelEvent>

namespace {

void Send(QWidget* w, QEvent::Type t, QPoint at, Qt::MouseButton button, Qt::MouseButtons held) {
    QMouseEvent e(t, at, w->mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

} // namespace

TEST(MouseFeed, TheViewsMovesButtonsAndWheelReachTheMouseDevice) {
    QWidget view;
    view.resize(200, 100);
    auto* bar = new QProgressBar(&view);
    bar->setGeometry(10, 80, 100, 10);
    MouseDevice mouse;
    FeedMouseFrom(&view, mouse);

    Send(&view, QEvent::MouseMove, {20, 30}, Qt::NoButton, Qt::NoButton); // the reference point
    Send(&view, QEvent::MouseMove, {25, 27}, Qt::NoButton, Qt::NoButton);
    Send(bar, QEvent::MouseMove, {5, 5}, Qt::NoButton, Qt::NoButton); // (15, 85) in the view
    Send(bar, QEvent::MouseButtonPress, {5, 5}, Qt::LeftButton, Qt::LeftButton);
    Send(&view, QEvent::MouseButtonPress, {15, 85}, Qt::RightButton, Qt::LeftButton | Qt::RightButton);
    QWheelEvent wheel(QPointF(15, 85), view.mapToGlobal(QPointF(15, 85)), QPoint(), QPoint(0, 240),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    TDIMouseState s = mouse.TakeState();
    EXPECT_EQ(s.lX, -5);
    EXPECT_EQ(s.lY, 55);
    EXPECT_EQ(s.lZ, 240);
    EXPECT_EQ(s.rgbButtons[0], 0x80);
    EXPECT_EQ(s.rgbButtons[1], 0x80);
    EXPECT_EQ(s.rgbButtons[2], 0);

    Send(&view, QEvent::MouseButtonRelease, {15, 85}, Qt::LeftButton, Qt::RightButton);
    Send(&view, QEvent::MouseButtonPress, {15, 85}, Qt::MiddleButton, Qt::MiddleButton | Qt::RightButton);
    s = mouse.TakeState();
    EXPECT_EQ(s.lX, 0); // motion is counted from the last read
    EXPECT_EQ(s.rgbButtons[0], 0);
    EXPECT_EQ(s.rgbButtons[1], 0x80);
    EXPECT_EQ(s.rgbButtons[2], 0x80);
}

// In a view showing the frame scaled, the mouse device counts in the frame's pixels:
// at 2 x (the picture at 36, 39 in a 1600 x 1079 view) two view pixels are one.
TEST(MouseFeed, AScaledViewFeedsFrameCoordinates) {
    SoftwareView view(nullptr, QSize(764, 500));
    view.resize(1600, 1079);
    auto* bar = new QProgressBar(&view);
    bar->setGeometry(view.FrameRectInView(QRect(100, 400, 50, 10)));
    EXPECT_EQ(bar->geometry(), QRect(36 + 200, 39 + 800, 100, 20));
    MouseDevice mouse;
    FeedMouseFrom(&view, mouse, [&view](QPointF at) { return view.ToFrame(at); });
    EXPECT_EQ(view.ToFrame(QPointF(36 + 2 * 300 + 1, 39 + 2 * 200 + 1.5)), QPoint(300, 200));
    Send(&view, QEvent::MouseMove, {36 + 2 * 300, 39 + 2 * 200}, Qt::NoButton, Qt::NoButton);
    Send(&view, QEvent::MouseMove, {36 + 2 * 310 + 1, 39 + 2 * 195}, Qt::NoButton, Qt::NoButton);
    Send(bar, QEvent::MouseMove, {4, 3}, Qt::NoButton, Qt::NoButton); // frame (102, 401)
    TDIMouseState s = mouse.TakeState();
    EXPECT_EQ(s.lX, 102 - 300);
    EXPECT_EQ(s.lY, 401 - 200);
}
