#pragma once
// Where the game's files are. Every data file is ExeDir followed by a relative name
// written the way the game writes it ("Data\record.dat"); DataPath turns that into a
// real path on this system.
#include <string>

// The running executable's folder with a trailing separator ("/opt/himawari/").
std::string ExeDir();
// The folder (with a trailing separator) that keeps what the game writes, the saved
// game and the settings: the program's own Data folder while it may be written to (the
// portable layout: a build tree, a copy in the home folder), else the user's data
// folder $XDG_DATA_HOME/himawari/ (~/.local/share/himawari/ when that is unset or not
// an absolute path).
std::string UserDataDir(const std::string& exeDir);
// The user's data folder for the game, whether or not the program's folder is writable.
std::string XdgDataDir();
// ExeDir-relative name with '\' or '/' separators -> a native path below exeDir.
std::string DataPath(const std::string& exeDir, const std::string& relative);
// "a/b/c.txt" -> "c.txt"; "c.txt" -> "c.txt".
std::string ExtractFileName(const std::string& path);
// "a/b/c.Txt" -> ".Txt"; no extension -> "".
std::string ExtractFileExt(const std::string& path);
// Folder with trailing separator: "a/b/c.txt" -> "a/b/".
std::string ExtractFilePath(const std::string& path);
