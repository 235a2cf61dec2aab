#include "app/UrlLink.h"

#include <QDesktopServices>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QPalette>
#include <QWidget>

#include <utility>

bool DesktopOpenUrl(const QUrl& url) {
    if (!url.isValid()) return false;
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    return QDesktopServices::openUrl(url);
}

void ShowNotice(QWidget* owner, const QString& text) {
    QMessageBox::information(owner, owner ? owner->windowTitle() : QString(), text);
}

TUrlLink::TUrlLink(QLabel* label, QWidget* form, QUrl address, UrlOpener open, NoticeShower notify)
    : QObject(label), label_(label), form_(form), address_(std::move(address)), open_(std::move(open)),
      notify_(std::move(notify)) {
    label_->setMouseTracking(true);
    label_->installEventFilter(this);
    form_->setMouseTracking(true);
    form_->installEventFilter(this);
    SetLook(false);
}

void TUrlLink::WatchFormControl(QWidget* control) {
    control->setMouseTracking(true);
    control->installEventFilter(this);
}

void TUrlLink::SetLook(bool hovered) {
    hovered_ = hovered;
    QFont font = label_->font();
    font.setBold(true);
    font.setItalic(true);
    font.setUnderline(hovered);
    label_->setFont(font);
    QPalette palette = label_->palette();
    palette.setColor(QPalette::WindowText, QColor(hovered ? HoverColor : PlainColor));
    label_->setPalette(palette);
    if (hovered)
        label_->setCursor(Qt::PointingHandCursor);
    else
        label_->setCursor(Qt::ArrowCursor);
}

void TUrlLink::LblURLMouseMove() {
    if (!hovered_) SetLook(true);
}

void TUrlLink::FormMouseMove() {
    if (hovered_) SetLook(false);
}

bool TUrlLink::LblURLMouseDown() {
    if (open_(address_)) return true;
    notify_(form_, FailureText());
    return false;
}

bool TUrlLink::eventFilter(QObject* watched, QEvent* event) {
    const bool onLabel = watched == label_;
    switch (event->type()) {
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (!onLabel) {
            FormMouseMove();
            break;
        }
        LblURLMouseMove();
        // Taken here: the label would pass an unused move on to the form below it.
        if (event->type() == QEvent::MouseMove) return true;
        break;
    case QEvent::Leave:
        // The mouse can leave the label straight out of the window: no move on the form
        // would follow to restore the plain look.
        if (onLabel) FormMouseMove();
        break;
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonDblClick:
        if (onLabel) {
            LblURLMouseDown();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}
