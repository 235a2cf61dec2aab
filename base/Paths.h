#pragma once
// Where the game's files are. Every data file is ExeDir followed by a relative name
// written the way the game writes it ("Data\record.dat"); DataPath turns that into a
// real path on this system.
#include <string>

// The running executable's folder with a trailing separator ("/opt/himawari/").
std::string ExeDir();
// The folder (with a trailing separator) that keeps what the game writes, the saved
// game and the settings: the program's own Data folder while the player owns it and may
// write to it (the portable layout: a build tree, a copy in the home folder), else the
// user's data folder (XdgDataDir). The player is the real user, or under sudo the user
// who called it: root playing an installed game never writes into the installed folder
// that every other user reads. Empty when neither can be had.
std::string UserDataDir(const std::string& exeDir);
// The user's data folder for the game, whether or not the program's folder is writable:
// $XDG_DATA_HOME/himawari/, else ~/.local/share/himawari/ with the home folder from HOME
// or, HOME empty, from the user's passwd entry. Empty when there is no home folder.
std::string XdgDataDir();
// Makes dir and every missing folder above it for the user alone (mode 0700, as the
// XDG base-directory convention asks); folders already there are left as they are.
// A failure is written once to standard error; answers whether dir is there now.
bool MakeUserDataDir(const std::string& dir);
// ExeDir-relative name with '\' or '/' separators -> a native path below exeDir.
std::string DataPath(const std::string& exeDir, const std::string& relative);
// "a/b/c.txt" -> "c.txt"; "c.txt" -> "c.txt".
std::string ExtractFileName(const std::string& path);
// "a/b/c.Txt" -> ".Txt"; no extension -> "".
std::string ExtractFileExt(const std::string& path);
// Folder with trailing separator: "a/b/c.txt" -> "a/b/".
std::string ExtractFilePath(const std::string& path);
