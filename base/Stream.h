#pragma once
// Byte streams: an abstract stream with size and position, a file stream and the
// growable memory stream that the archive reader returns and the texture loader reads.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum class SeekOrigin { Begin, Current, End };

class TStream {
public:
    virtual ~TStream() = default;
    TStream() = default;
    TStream(const TStream&) = delete;
    TStream& operator=(const TStream&) = delete;

    // Reads up to count bytes; returns how many were read (0 at the end).
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    // Writes count bytes; returns how many were written.
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Moves the position; returns the new position. Seeking past the end is allowed.
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;
    virtual int64_t Size() const = 0;
    virtual void SetSize(int64_t newSize) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::Current); }
    void SetPosition(int64_t pos) { Seek(pos, SeekOrigin::Begin); }

    // Read or write exactly count bytes or raise EReadError / EWriteError.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source's position (count 0: the whole source from its start).
    int64_t CopyFrom(TStream& source, int64_t count);
};

class TMemoryStream : public TStream {
public:
    TMemoryStream() = default;
    explicit TMemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() const override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t newSize) override;

    uint8_t* Memory() { return data_.data(); }
    const uint8_t* Memory() const { return data_.data(); }
    const std::vector<uint8_t>& Bytes() const { return data_; }
    void Clear();
    void LoadFromFile(const std::string& path);
    void LoadFromStream(TStream& source);
    void SaveToFile(const std::string& path) const;
    void SaveToStream(TStream& dest) const;

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

enum class FileMode {
    OpenRead,      // existing file, read only
    OpenReadWrite, // existing file, read and write
    Create,        // new or truncated file, read and write
};

class TFileStream : public TStream {
public:
    // Raises EFOpenError (or EFCreateError for Create) with the system's reason.
    TFileStream(const std::string& path, FileMode mode);
    ~TFileStream() override;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() const override;
    void SetSize(int64_t newSize) override;
    const std::string& FileName() const { return path_; }

private:
    std::FILE* file_ = nullptr;
    std::string path_;
};

// Whole-file helpers.
std::vector<uint8_t> ReadWholeFile(const std::string& path); // raises EFOpenError / EReadError
bool FileExists(const std::string& path);
bool DirectoryExists(const std::string& path);
