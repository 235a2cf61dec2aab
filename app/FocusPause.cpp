#include "app/FocusPause.h"

#include <QFont>

namespace {

// Over the middle of the board (20..620 x 20..420 at most).
constexpr int NoticeLeft = 170, NoticeTop = 180, NoticeWidth = 300, NoticeHeight = 80;

} // namespace

FocusPause::FocusPause(QWidget* view, PausableClock& clock, std::function<bool()> playing,
                       std::function<void()> musicUpkeep)
    : clock_(clock), playing_(std::move(playing)), notice_(new QLabel(QStringLiteral("一時停止中"), view)) {
    notice_->setGeometry(NoticeLeft, NoticeTop, NoticeWidth, NoticeHeight);
    notice_->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("VL Gothic"));
    font.setPixelSize(40);
    font.setBold(true);
    notice_->setFont(font);
    // Opaque: over the OpenGL surface the notice is a native window of its own.
    notice_->setAutoFillBackground(true);
    notice_->setStyleSheet(QStringLiteral("QLabel { background: #1c2a6b; color: #ffffff; "
                                          "border: 4px solid #ffd23c; }"));
    notice_->setFocusPolicy(Qt::NoFocus);
    notice_->setAttribute(Qt::WA_TransparentForMouseEvents);
    notice_->hide();
    music_.setInterval(25);
    QObject::connect(&music_, &QTimer::timeout, notice_, std::move(musicUpkeep));
}

bool FocusPause::ActiveChanged(bool active) {
    if (!active) {
        if (enabled_ && !clock_.Paused() && playing_()) {
            clock_.Pause();
            notice_->show();
            notice_->raise();
            music_.start();
        }
        return false;
    }
    if (!clock_.Paused()) return false;
    clock_.Resume();
    music_.stop();
    notice_->hide();
    return true;
}
