#pragma once
// The game as a desktop application: its id (the name of its desktop entry and
// metainfo), its icon on every window, and Qt's own dialogs in Japanese.
#include <QString>

#include <string>

class QApplication;

// Reverse-DNS application id: the desktop entry is <id>.desktop, the metainfo
// <id>.metainfo.xml, the installed icons <id>.png / <id>.svg.
inline const QString AppId = QStringLiteral("io.github.himawari.HimawariEscape");

// Names the application (no display name: Qt would append it to every window's title),
// sets the desktop file name and loads Qt's translations for the game's language.
void SetUpDesktopApplication(QApplication& app);

// Chooses the game's language once, at start-up, from [Options] Language of the settings
// file (the user's copy, else the one in the program's Data folder) and the locale, and
// makes it the language of every text (catalogues in exeDir/locale). An unknown setting
// gives one line on standard error. Call it after the application object is made (it sets
// the locale) and before SetUpDesktopApplication and any window.
void ChooseGameLanguage(const std::string& exeDir);

// Sets the icon of every window, those that exist already too. The main window sets it
// once its first frame is shown: the pictures cost the start-up a few milliseconds.
void SetApplicationIcon();

// Loads Qt's own Japanese texts (qtbase_ja.qm from Qt's translations folder) whatever
// the system's locale: the message boxes' buttons, the file and folder dialogs. False,
// with a diagnostic on standard error, when the file is missing: the dialogs then keep
// Qt's English texts.
bool LoadJapaneseQtTranslations(QApplication& app);
// The same for a language code ("ja", "de", ...); English needs no file (Qt's texts are
// English) and gives true.
bool LoadQtTranslations(QApplication& app, const std::string& language);
