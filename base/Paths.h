#pragma once
// Where the game's files are. Every data file is ExeDir followed by a relative name
// written the way the game writes it ("Data\record.dat"); DataPath turns that into a
// real path on this system.
#include <string>

// The running executable's folder with a trailing separator ("/opt/himawari/").
std::string ExeDir();
// ExeDir-relative name with '\' or '/' separators -> a native path below exeDir.
std::string DataPath(const std::string& exeDir, const std::string& relative);
// "a/b/c.txt" -> "c.txt"; "c.txt" -> "c.txt".
std::string ExtractFileName(const std::string& path);
// "a/b/c.Txt" -> ".Txt"; no extension -> "".
std::string ExtractFileExt(const std::string& path);
// Folder with trailing separator: "a/b/c.txt" -> "a/b/".
std::string ExtractFilePath(const std::string& path);
