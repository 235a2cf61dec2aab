#include "base/Stream.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Translate.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>

namespace {
std::string SystemReason() {
    return std::strerror(errno);
}
} // namespace

void TStream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0) throw EReadError(Tr("ストリームの読み込みエラー（負の長さ）"));
    if (count != 0 && Read(buffer, count) != count) throw EReadError(Tr("ストリームの読み込みエラー"));
}

void TStream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0) throw EWriteError(Tr("ストリームの書き込みエラー（負の長さ）"));
    if (count != 0 && Write(buffer, count) != count) throw EWriteError(Tr("ストリームの書き込みエラー"));
}

int64_t TStream::CopyFrom(TStream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    uint8_t chunk[64 * 1024];
    int64_t left = count;
    while (left > 0) {
        const int64_t n = std::min<int64_t>(left, sizeof chunk);
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= n;
    }
    return count;
}

// ---- TMemoryStream

int64_t TMemoryStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= Size()) return 0;
    const int64_t n = std::min(count, Size() - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t TMemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    if (pos_ > std::numeric_limits<int64_t>::max() - count) return 0;
    const int64_t end = pos_ + count;
    if (end > Size()) data_.resize(static_cast<size_t>(end));
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    return count;
}

int64_t TMemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = 0;
    if (origin == SeekOrigin::Current) base = pos_;
    if (origin == SeekOrigin::End) base = Size();
    const int64_t target = base + offset;
    pos_ = target < 0 ? 0 : target;
    return pos_;
}

void TMemoryStream::SetSize(int64_t newSize) {
    if (newSize < 0) newSize = 0;
    data_.resize(static_cast<size_t>(newSize));
    if (pos_ > newSize) pos_ = newSize;
}

void TMemoryStream::Clear() {
    data_.clear();
    data_.shrink_to_fit();
    pos_ = 0;
}

void TMemoryStream::LoadFromFile(const std::string& path) {
    data_ = ReadWholeFile(path);
    pos_ = 0;
}

void TMemoryStream::LoadFromStream(TStream& source) {
    source.SetPosition(0);
    const int64_t n = source.Size();
    std::vector<uint8_t> bytes(static_cast<size_t>(n));
    source.ReadBuffer(bytes.data(), n);
    data_ = std::move(bytes);
    pos_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& path) const {
    TFileStream f(path, FileMode::Create);
    SaveToStream(f);
}

void TMemoryStream::SaveToStream(TStream& dest) const {
    dest.WriteBuffer(data_.data(), Size());
}

// ---- TFileStream

TFileStream::TFileStream(const std::string& path, FileMode mode) : path_(path) {
    const char* how = mode == FileMode::OpenRead ? "rb" : mode == FileMode::OpenReadWrite ? "r+b" : "w+b";
    file_ = std::fopen(path.c_str(), how);
    if (!file_) {
        const std::string reason = SystemReason();
        // TRANSLATORS: the file's path, then the system's reason ("No such file or directory").
        if (mode == FileMode::Create)
            throw EFCreateError(Format(Tr("ファイル %s を作成できません。%s"), path.c_str(), reason.c_str()));
        throw EFOpenError(Format(Tr("ファイル %s を開けません。%s"), path.c_str(), reason.c_str()));
    }
    // A folder opens fine with fopen on Linux but reads fail; treat it as not a file.
    struct stat st {};
    if (fstat(fileno(file_), &st) == 0 && S_ISDIR(st.st_mode)) {
        std::fclose(file_);
        file_ = nullptr;
        throw EFOpenError(Format(Tr("ファイル %s を開けません。%s"), path.c_str(), std::strerror(EISDIR)));
    }
}

TFileStream::~TFileStream() {
    if (file_) std::fclose(file_);
}

int64_t TFileStream::Read(void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fread(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    return static_cast<int64_t>(std::fwrite(buffer, 1, static_cast<size_t>(count), file_));
}

int64_t TFileStream::Seek(int64_t offset, SeekOrigin origin) {
    const int whence = origin == SeekOrigin::Begin     ? SEEK_SET
                       : origin == SeekOrigin::Current ? SEEK_CUR
                                                       : SEEK_END;
    if (fseeko(file_, static_cast<off_t>(offset), whence) != 0) return static_cast<int64_t>(ftello(file_));
    return static_cast<int64_t>(ftello(file_));
}

int64_t TFileStream::Size() const {
    std::fflush(file_);
    struct stat st {};
    if (fstat(fileno(file_), &st) != 0) return 0;
    return static_cast<int64_t>(st.st_size);
}

void TFileStream::SetSize(int64_t newSize) {
    std::fflush(file_);
    if (ftruncate(fileno(file_), static_cast<off_t>(newSize)) != 0)
        throw EWriteError(
            Format(Tr("ファイル %s の長さを変えられません。%s"), path_.c_str(), SystemReason().c_str()));
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    TFileStream f(path, FileMode::OpenRead);
    std::vector<uint8_t> bytes(static_cast<size_t>(f.Size()));
    f.ReadBuffer(bytes.data(), static_cast<int64_t>(bytes.size()));
    return bytes;
}

bool FileExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DirectoryExists(const std::string& path) {
    struct stat st {};
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}
