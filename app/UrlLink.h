#pragma once
// The version dialog's link label: plain (bold italic white) while the mouse is elsewhere,
// bold italic underlined purple with the hand pointer while it is over the label, and any
// mouse button pressed on it opens the address. Opening and the failure notice are handed
// in, so the behaviour can be driven without a desktop.
#include "base/Translate.h"

#include <QColor>
#include <QObject>
#include <QString>
#include <QUrl>

#include <functional>

class QLabel;
class QWidget;

// Opens an address; false when it could not be opened.
using UrlOpener = std::function<bool(const QUrl&)>;
// Shows a notice owned by the given window.
using NoticeShower = std::function<void(QWidget*, const QString&)>;

// The desktop's opener. A local file that does not exist counts as a failure (the
// desktop would start a viewer that then finds nothing).
bool DesktopOpenUrl(const QUrl& url);
// A plain message box with an OK button.
void ShowNotice(QWidget* owner, const QString& text);

class TUrlLink : public QObject {
public:
    static constexpr QRgb PlainColor = 0xFFFFFF;
    static constexpr QRgb HoverColor = 0x800080;
    static QString FailureText() { return QString::fromUtf8(Tr("作者サイトへの接続に失敗しました。")); }

    // label: the link label; form: the window around it (its mouse moves outside the label
    // restore the plain look). Installs itself as their event filter and shows the plain look.
    TUrlLink(QLabel* label, QWidget* form, QUrl address, UrlOpener open = DesktopOpenUrl,
             NoticeShower notify = ShowNotice);

    // Also take the mouse moves of a control lying on the form (outside the label).
    void WatchFormControl(QWidget* control);

    // The handlers: the mouse over the label, the mouse over the form elsewhere, a button
    // pressed on the label (answers whether the address opened).
    void LblURLMouseMove();
    void FormMouseMove();
    bool LblURLMouseDown();

    const QUrl& Address() const { return address_; }
    bool Hovered() const { return hovered_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SetLook(bool hovered);

    QLabel* label_;
    QWidget* form_;
    QUrl address_;
    UrlOpener open_;
    NoticeShower notify_;
    bool hovered_ = false;
};
