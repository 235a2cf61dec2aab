#include "app/Unit2.h"

#include "base/Exception.h"
#include "base/Paths.h"

#include <QBitmap>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPalette>
#include <QScreen>

namespace {

// The dialog's faces with the fonts this system is likely to have behind them.
QFont DialogFont(const QStringList& families, int pixels, bool bold, bool italic) {
    QFont font;
    font.setFamilies(families);
    font.setPixelSize(pixels);
    font.setBold(bold);
    font.setItalic(italic);
    return font;
}

QPixmap Picture(const QString& resource) {
    QPixmap picture(resource);
    if (picture.isNull()) throw Exception("missing picture " + resource.toStdString());
    return picture;
}

QLabel* PictureBox(QWidget* parent, const QRect& place, const QPixmap& picture) {
    auto* box = new QLabel(parent);
    box->setGeometry(place);
    box->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    box->setPixmap(FitProportionally(picture, place.size()));
    return box;
}

QLabel* TextLabel(QWidget* parent, const QRect& place, const QString& text, const QFont& font) {
    auto* label = new QLabel(text, parent);
    label->setGeometry(place);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

} // namespace

QUrl HelpTextUrl(const std::string& exeDir) {
    return QUrl::fromLocalFile(QString::fromStdString(HelpFile(exeDir)));
}

QPixmap FitProportionally(const QPixmap& picture, QSize box) {
    return picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QPixmap BlackTransparent(const QPixmap& picture) {
    QPixmap out = picture;
    out.setMask(picture.createMaskFromColor(QColor(Qt::black), Qt::MaskInColor));
    return out;
}

TForm2::TForm2(const std::string& exeDir, QWidget* parent, UrlOpener open, NoticeShower notify)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                          Qt::WindowCloseButtonHint | Qt::MSWindowsFixedSizeDialogHint) {
    setWindowTitle(Caption());
    setFixedSize(ClientW, ClientH);
    setFont(DialogFont({QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, 11, false, false));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, QColor(Olive));
    palette.setColor(QPalette::WindowText, QColor(Qt::black));
    setPalette(palette);
    setAutoFillBackground(true);

    image1_ = PictureBox(this, QRect(16, 16, 353, 89),
                         BlackTransparent(Picture(QStringLiteral(":/version/version-title.png"))));
    lblVersion_ = TextLabel(
        this, QRect(216, 120, 144, 35), QStringLiteral("Ver 1.10 "),
        DialogFont({QStringLiteral("ＭＳ Ｐゴシック"), QStringLiteral("VL PGothic")}, 35, true, true));
    image2_ =
        PictureBox(this, QRect(104, 170, 265, 48), Picture(QStringLiteral(":/version/version-credit.png")));

    const QUrl address = HelpTextUrl(exeDir);
    const QFont linkFont =
        DialogFont({QStringLiteral("ＭＳ ゴシック"), QStringLiteral("VL Gothic")}, 13, true, true);
    const QRect linkPlace(81, 224, 296, 13);
    // A long folder would not fit the label: the middle of the address gives way.
    const QString shown =
        QFontMetrics(linkFont).elidedText(address.toString(), Qt::ElideMiddle, linkPlace.width());
    lblURL_ = TextLabel(this, linkPlace, shown, linkFont);
    lblURL_->setToolTip(address.toString());
    link_ = new TUrlLink(lblURL_, this, address, std::move(open), std::move(notify));
    for (QLabel* control : {image1_, lblVersion_, image2_}) link_->WatchFormControl(control);
}

void TForm2::ShowModal() {
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        QRect frame = frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        move(frame.topLeft());
    }
    exec();
}
