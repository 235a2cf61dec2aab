#include "base/SafeFile.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Paths.h"
#include "base/Translate.h"

#include <cctype>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <unistd.h>

namespace {

class FdGuard {
public:
    explicit FdGuard(int fd) : fd_(fd) {}
    ~FdGuard() {
        if (fd_ >= 0) ::close(fd_);
    }
    FdGuard(const FdGuard&) = delete;
    FdGuard& operator=(const FdGuard&) = delete;
    int get() const { return fd_; }
    int release() {
        const int fd = fd_;
        fd_ = -1;
        return fd;
    }

private:
    int fd_;
};

// WriteFileSafely writes "<folder>/<name>" through "<folder>/.himawari-<name>.XXXXXX",
// the six letters or digits of mkstemp: hidden, and a name no player gives a file.
constexpr const char* TemporaryPrefix = ".himawari-";
constexpr size_t RandomLetters = 6;

std::string TemporaryTemplate(const std::string& path) {
    return ExtractFilePath(path) + TemporaryPrefix + ExtractFileName(path) + ".XXXXXX";
}

} // namespace

bool IsTemporaryOf(const std::string& file, const std::string& name) {
    const std::string stem = TemporaryPrefix + name + ".";
    if (file.size() != stem.size() + RandomLetters || file.compare(0, stem.size(), stem) != 0) return false;
    for (size_t i = stem.size(); i < file.size(); ++i)
        if (!std::isalnum(static_cast<unsigned char>(file[i]))) return false;
    return true;
}

int RemoveStaleTemporaries(const std::string& folder, const std::vector<std::string>& names) {
    namespace fs = std::filesystem;
    std::error_code ec;
    int removed = 0;
    for (fs::directory_iterator it(folder.empty() ? "." : folder, ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string file = it->path().filename().string();
        for (const std::string& name : names) {
            std::error_code kind;
            if (!IsTemporaryOf(file, name) || !it->is_regular_file(kind)) continue;
            if (fs::remove(it->path(), kind)) ++removed;
        }
    }
    return removed;
}

void WriteFileSafely(const std::string& path, const void* data, size_t size) {
    std::string tmpl = TemporaryTemplate(path);
    const int fd = mkstemp(tmpl.data());
    if (fd < 0)
        throw EFCreateError(
            Format(Tr("ファイル %s を作成できません。%s"), path.c_str(), std::strerror(errno)));
    FdGuard guard(fd);
    // what: a pattern with the file's path, then the system's reason.
    const auto fail = [&](const char* what) {
        const std::string reason = std::strerror(errno);
        ::unlink(tmpl.c_str());
        throw EWriteError(Format(what, path.c_str(), reason.c_str()));
    };
    const auto* p = static_cast<const uint8_t*>(data);
    size_t left = size;
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR) continue;
            // TRANSLATORS: the file's path, then the system's reason, as in the three texts below.
            fail(Tr("ファイル %s に書き込めません。%s"));
        }
        p += n;
        left -= static_cast<size_t>(n);
    }
    // The file is readable by others like any file the game writes.
    ::fchmod(fd, 0644);
    if (::fsync(fd) != 0) fail(Tr("ファイル %s を保存できません。%s"));
    if (::close(guard.release()) != 0) fail(Tr("ファイル %s を保存できません。%s"));
    if (::rename(tmpl.c_str(), path.c_str()) != 0) fail(Tr("ファイル %s を置き換えられません。%s"));
    // Make the rename itself durable.
    const std::string dir = ExtractFilePath(path).empty() ? "." : ExtractFilePath(path);
    const int dfd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
    if (dfd >= 0) {
        ::fsync(dfd);
        ::close(dfd);
    }
}

void WriteSettingsText(const std::string& path, bool made, const std::string& text) {
    try {
        if (made) return WriteFileSafely(path, text.data(), text.size());
    } catch (const EStreamError&) {
    }
    throw Exception(Format(Tr("%s に書き込めません"), path.c_str()));
}

bool ReadWholeFile(const std::string& path, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    std::ostringstream all;
    all << in.rdbuf();
    text = all.str();
    return true;
}
