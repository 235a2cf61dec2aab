#include "app/Desktop.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

bool LoadJapaneseQtTranslations(QApplication& app) {
    // Owned by the application: a translator must live as long as the texts are asked for.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    if (!translator->load(QStringLiteral("qtbase_ja"), folder)) {
        std::fprintf(stderr, "himawari: no Japanese texts for Qt's dialogs (qtbase_ja.qm in %s)\n",
                     folder.toLocal8Bit().constData());
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

void SetUpDesktopApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("himawari"));
    QApplication::setDesktopFileName(AppId);
    LoadJapaneseQtTranslations(app);
}

void SetApplicationIcon() {
    // Every picture is decoded here, and each window that exists gets them all.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/icon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}
