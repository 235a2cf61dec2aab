#include "app/FocusPause.h"

#include "base/Translate.h"

#include <QFont>

#include <algorithm>

namespace {

// Over the middle of the board (20..620 x 20..420 at most).
constexpr int NoticeLeft = 170, NoticeTop = 180, NoticeWidth = 300, NoticeHeight = 80;

} // namespace

FocusPause::FocusPause(QWidget* view, PausableClock& clock, std::function<bool()> playing,
                       std::function<void()> musicUpkeep, std::function<void(QWidget*)> placed)
    : view_(view), clock_(clock), playing_(std::move(playing)), musicUpkeep_(std::move(musicUpkeep)),
      placed_(std::move(placed)) {
    music_.setInterval(25);
}

void FocusPause::MakeNotice() {
    notice_ = new QLabel(QString::fromUtf8(Tr("一時停止中")), view_);
    notice_->setAlignment(Qt::AlignCenter);
    PlaceNotice();
    // Opaque: over the OpenGL surface the notice is a native window of its own.
    notice_->setAutoFillBackground(true);
    notice_->setStyleSheet(QStringLiteral("QLabel { background: #1c2a6b; color: #ffffff; "
                                          "border: 4px solid #ffd23c; }"));
    notice_->setFocusPolicy(Qt::NoFocus);
    notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice_->hide();
    // The upkeep belongs to the notice: it ends with the view.
    QObject::connect(&music_, &QTimer::timeout, notice_, musicUpkeep_);
    if (placed_) placed_(notice_);
}

void FocusPause::SetPlacement(std::function<QRect(QRect)> toView) {
    toView_ = std::move(toView);
    if (notice_) PlaceNotice();
}

// At the frame's size 40 pixels high text; scaled, as much larger as the notice is.
void FocusPause::PlaceNotice() {
    const QRect onFrame(NoticeLeft, NoticeTop, NoticeWidth, NoticeHeight);
    const QRect at = toView_ ? toView_(onFrame) : onFrame;
    notice_->setGeometry(at);
    QFont font(QStringLiteral("VL Gothic"));
    font.setPixelSize(std::max(1, 40 * at.height() / NoticeHeight));
    font.setBold(true);
    notice_->setFont(font);
}

void FocusPause::Hold() {
    if (clock_.Paused()) return;
    clock_.Pause();
    if (!notice_) MakeNotice();
    notice_->show();
    notice_->raise();
    music_.start();
}

bool FocusPause::ReleaseUnlessHeld() {
    if (byFocus_ || byKey_ || !clock_.Paused()) return false;
    clock_.Resume();
    music_.stop();
    if (notice_) notice_->hide();
    return true;
}

bool FocusPause::ActiveChanged(bool active) {
    if (!active) {
        if (enabled_ && !byFocus_ && (byKey_ || playing_())) {
            byFocus_ = true;
            Hold();
        }
        return false;
    }
    byFocus_ = false;
    return ReleaseUnlessHeld();
}

bool FocusPause::KeyPressed() {
    if (byKey_) {
        byKey_ = false;
        return ReleaseUnlessHeld();
    }
    if (!playing_()) return false;
    byKey_ = true;
    Hold();
    return false;
}
