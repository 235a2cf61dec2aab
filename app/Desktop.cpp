#include "app/Desktop.h"

#include "base/Paths.h"
#include "base/Stream.h"
#include "base/Translate.h"
#include "music/BgmSettings.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

bool LoadJapaneseQtTranslations(QApplication& app) {
    return LoadQtTranslations(app, SourceLanguage);
}

bool LoadQtTranslations(QApplication& app, const std::string& language) {
    if (language == "en") return true;
    // Owned by the application: a translator must live as long as the texts are asked for.
    auto* translator = new QTranslator(&app);
    const QString folder = QLibraryInfo::path(QLibraryInfo::TranslationsPath);
    const QString file = QStringLiteral("qtbase_") + QString::fromStdString(language);
    if (!translator->load(file, folder)) {
        std::fprintf(stderr, "himawari: no %s texts for Qt's dialogs (%s.qm in %s)\n", language.c_str(),
                     file.toLocal8Bit().constData(), folder.toLocal8Bit().constData());
        delete translator;
        return false;
    }
    QApplication::installTranslator(translator);
    return true;
}

void SetUpDesktopApplication(QApplication& app) {
    QApplication::setApplicationName(QStringLiteral("himawari"));
    QApplication::setDesktopFileName(AppId);
    LoadQtTranslations(app, CurrentLanguage());
}

void ChooseGameLanguage(const std::string& exeDir) {
    const std::string user = UserDataDir(exeDir) + "Settei.ini";
    const std::string settings = FileExists(user) ? user : DataPath(exeDir, "Data/Settei.ini");
    std::string warning;
    const std::string language = ChooseLanguage(ReadLanguageSetting(settings), warning);
    if (!warning.empty()) std::fprintf(stderr, "himawari: %s\n", warning.c_str());
    UseLanguage(language, exeDir + "locale");
}

void SetApplicationIcon() {
    // Every picture is decoded here, and each window that exists gets them all.
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256})
        icon.addFile(QStringLiteral(":/icon/icon-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}
