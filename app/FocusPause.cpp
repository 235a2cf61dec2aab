#include "app/FocusPause.h"

#include "base/Translate.h"

#include <QFont>

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
    // The upkeep belongs to the notice: it ends with the view.
    QObject::connect(&music_, &QTimer::timeout, notice_, musicUpkeep_);
    if (placed_) placed_(notice_);
}

bool FocusPause::ActiveChanged(bool active) {
    if (!active) {
        if (enabled_ && !clock_.Paused() && playing_()) {
            clock_.Pause();
            if (!notice_) MakeNotice();
            notice_->show();
            notice_->raise();
            music_.start();
        }
        return false;
    }
    if (!clock_.Paused()) return false;
    clock_.Resume();
    music_.stop();
    if (notice_) notice_->hide();
    return true;
}
