#pragma once
// The version dialog TForm2: the game's title picture, the version, the credit banner and
// the link label that opens the notes on the game ("作品について.txt" beside the program).
// Made hidden once the main window shows its first frame, shown modally from the help menu.
#include "app/UrlLink.h"
#include "base/Translate.h"

#include <QDialog>
#include <QPixmap>

#include <string>

class QLabel;

class TForm2 : public QDialog {
public:
    static constexpr int ClientW = 385;
    static constexpr int ClientH = 258;
    static constexpr QRgb Olive = 0x808000;
    static QString Caption() { return QString::fromUtf8(Tr("ひまわり畑の大脱走！のバージョン情報")); }

    // exeDir: the program's folder with its trailing separator; the link opens the help
    // text there. open and notify stand for the desktop's opener and the message box.
    explicit TForm2(const std::string& exeDir, QWidget* parent = nullptr, UrlOpener open = DesktopOpenUrl,
                    NoticeShower notify = ShowNotice);

    // Shows the dialog modally, centred on the desktop, until its close box is used.
    void ShowModal();

    QLabel* Image1() const { return image1_; }
    QLabel* LblVersion() const { return lblVersion_; }
    QLabel* Image2() const { return image2_; }
    QLabel* LblURL() const { return lblURL_; }
    TUrlLink& Link() const { return *link_; }

private:
    QLabel* image1_;
    QLabel* lblVersion_;
    QLabel* image2_;
    QLabel* lblURL_;
    TUrlLink* link_;
};

// The address of the notes beside the program: a file: URL.
QUrl HelpTextUrl(const std::string& exeDir);
// A picture scaled to fit a box with its proportions kept (larger or smaller).
QPixmap FitProportionally(const QPixmap& picture, QSize box);
// Black pixels made transparent.
QPixmap BlackTransparent(const QPixmap& picture);
