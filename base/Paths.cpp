#include "base/Paths.h"

#include <climits>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

std::string ExeDir() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return ExtractFilePath(std::string(buf, static_cast<size_t>(n)));
}

std::string XdgDataDir() {
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return std::string(xdg) + (std::string(xdg).back() == '/' ? "" : "/") + "himawari/";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0]) {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    if (!home.empty() && home.back() == '/') home.pop_back();
    return home + "/.local/share/himawari/";
}

std::string UserDataDir(const std::string& exeDir) {
    const std::string data = DataPath(exeDir, "Data/");
    // access() asks with the real user's rights, as the later write will be made.
    if (access(data.c_str(), W_OK | X_OK) == 0) return data;
    return XdgDataDir();
}

std::string DataPath(const std::string& exeDir, const std::string& relative) {
    std::string rel = relative;
    for (char& c : rel)
        if (c == '\\') c = '/';
    if (!rel.empty() && rel.front() == '/') return rel;
    std::string dir = exeDir;
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir + rel;
}

std::string ExtractFileName(const std::string& path) {
    const auto p = path.find_last_of("/\\");
    return p == std::string::npos ? path : path.substr(p + 1);
}

std::string ExtractFileExt(const std::string& path) {
    const std::string name = ExtractFileName(path);
    const auto p = name.find_last_of('.');
    return p == std::string::npos ? std::string() : name.substr(p);
}

std::string ExtractFilePath(const std::string& path) {
    const auto p = path.find_last_of("/\\");
    return p == std::string::npos ? std::string() : path.substr(0, p + 1);
}
