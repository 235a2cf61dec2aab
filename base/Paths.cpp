#include "base/Paths.h"

#include "base/Fatal.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

std::string ExeDir() {
    char buf[PATH_MAX];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n <= 0) return "./";
    return ExtractFilePath(std::string(buf, static_cast<size_t>(n)));
}

namespace {

// The player the files are kept for: the real user, or under sudo (root with SUDO_UID
// set) the user who called it.
uid_t PlayerUid() {
    const uid_t uid = getuid();
    if (uid != 0) return uid;
    const char* sudo = std::getenv("SUDO_UID");
    if (!sudo || !*sudo) return uid;
    char* end = nullptr;
    const unsigned long id = std::strtoul(sudo, &end, 10);
    return *end == 0 ? static_cast<uid_t>(id) : uid;
}

std::string WithSlash(std::string dir) {
    if (!dir.empty() && dir.back() != '/') dir += '/';
    return dir;
}

} // namespace

std::string XdgDataDir() {
    if (const char* xdg = std::getenv("XDG_DATA_HOME"); xdg && xdg[0] == '/')
        return WithSlash(xdg) + "himawari/";
    std::string home;
    if (const char* h = std::getenv("HOME"); h && h[0]) {
        home = h;
    } else if (const passwd* pw = getpwuid(getuid()); pw && pw->pw_dir) {
        home = pw->pw_dir;
    }
    // No home folder: no data folder either (never one below the root).
    if (home.empty() || home[0] != '/') return "";
    return WithSlash(home) + ".local/share/himawari/";
}

std::string UserDataDir(const std::string& exeDir) {
    const std::string data = DataPath(exeDir, "Data/");
    struct stat st {};
    // access() asks with the real user's rights, as the later write will be made.
    if (stat(data.c_str(), &st) == 0 && S_ISDIR(st.st_mode) && st.st_uid == PlayerUid() &&
        access(data.c_str(), W_OK | X_OK) == 0)
        return data;
    return XdgDataDir();
}

bool MakeUserDataDir(const std::string& dir) {
    std::string made;
    for (size_t from = 0; from < dir.size();) {
        const size_t slash = dir.find('/', from + 1);
        made = dir.substr(0, slash == std::string::npos ? dir.size() : slash);
        from = slash == std::string::npos ? dir.size() : slash;
        if (made.empty() || made == "/") continue;
        if (mkdir(made.c_str(), 0700) == 0 || errno == EEXIST) continue;
        ReportDiagnostic("cannot make the folder " + dir + " (" + std::strerror(errno) +
                         "): the saved game and the settings are not kept");
        return false;
    }
    struct stat st {};
    if (stat(dir.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return true;
    ReportDiagnostic("cannot make the folder " + dir + " (" + std::strerror(ENOTDIR) +
                     "): the saved game and the settings are not kept");
    return false;
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
