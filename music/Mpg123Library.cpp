#include "music/Mpg123Library.h"

#include "base/Fatal.h"
#include "base/Format.h"
#include "base/Translate.h"

#include <mpg123.h>

#include <cstring>
#include <vector>

namespace {
// One opened MP3 file, decoded to 16-bit stereo at the file's own rate.
class Mpg123Source : public IStreamSource {
public:
    ~Mpg123Source() override {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
    }

    // Opens and scans the file; false (with the reason) when it is not a playable MP3.
    bool Open(const std::string& path, Mp3Info& info, std::string& error) {
        path_ = path;
        if (!OpenHandle(error)) return false;
        const off_t length = mpg123_length(handle_);
        if (length <= 0) {
            error = "no MPEG audio frames";
            return false;
        }
        mpg123_frameinfo frame{};
        mpg123_info(handle_, &frame);
        std::memset(&info, 0, sizeof info);
        info.SampleRate = rate_;
        info.Channels = frame.mode == MPG123_M_MONO ? 1 : 2;
        info.Bitrate = static_cast<uint32_t>(frame.bitrate);
        info.PlayTime = static_cast<int32_t>(length / rate_);
        return true;
    }

    uint32_t Rate() const override { return rate_; }

    size_t Read(float* stereo, size_t frames) override {
        size_t got = 0;
        while (got < frames && !done_) {
            const size_t want = std::min(frames - got, kPiece);
            size_t bytes = 0;
            const int r = mpg123_read(handle_, piece_, want * 4, &bytes);
            const size_t n = bytes / 4;
            for (size_t i = 0; i < 2 * n; ++i) stereo[2 * got + i] = piece_[i] * (1.0f / 32768.0f);
            got += n;
            if (r == MPG123_DONE || (r != MPG123_OK && r != MPG123_NEW_FORMAT)) done_ = true;
        }
        return got;
    }

    // The decoder is opened afresh: a seek back to the start leaves some of the
    // synthesis state of the frames before it, and the samples then differ in their last
    // bit from the first play's, which a loop would hear at every join.
    bool Rewind() override {
        done_ = false;
        std::string error;
        const uint32_t rate = rate_;
        if (OpenHandle(error) && rate_ == rate && mpg123_seek(handle_, 0, SEEK_SET) >= 0) return true;
        done_ = true;
        return false;
    }

private:
    bool OpenHandle(std::string& error) {
        if (handle_) {
            mpg123_close(handle_);
            mpg123_delete(handle_);
        }
        int err = MPG123_OK;
        handle_ = mpg123_new(nullptr, &err);
        if (!handle_) {
            error = mpg123_plain_strerror(err);
            return false;
        }
        mpg123_param(handle_, MPG123_ADD_FLAGS, MPG123_QUIET, 0.0);
        long rate = 0;
        int channels = 0, encoding = 0;
        if (mpg123_open_fixed(handle_, path_.c_str(), MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK ||
            mpg123_getformat(handle_, &rate, &channels, &encoding) != MPG123_OK || rate <= 0 ||
            mpg123_scan(handle_) != MPG123_OK) {
            error = mpg123_strerror(handle_);
            return false;
        }
        rate_ = static_cast<uint32_t>(rate);
        return true;
    }

    static constexpr size_t kPiece = 1152;
    std::string path_;
    mpg123_handle* handle_ = nullptr;
    uint32_t rate_ = 0;
    bool done_ = false;
    int16_t piece_[2 * kPiece] = {};
};
} // namespace

TMpg123Library::TMpg123Library(std::shared_ptr<TMixer> mixer) : voice_(std::move(mixer)) {}

TMpg123Library::~TMpg123Library() {
    vbmp3_free();
}

void TMpg123Library::vbmp3_init() {
    if (initialized_) return;
#if MPG123_API_VERSION < 46
    mpg123_init();
#endif
    initialized_ = true;
}

bool TMpg123Library::vbmp3_open(const std::string& fileName, Mp3Info* info) {
    if (!initialized_ || !info) return false;
    vbmp3_close();
    auto source = std::make_unique<Mpg123Source>();
    Mp3Info opened{};
    std::string error;
    if (!source->Open(fileName, opened, error)) {
        ReportDiagnostic(Format(Tr("%s を再生できません: %s"), fileName.c_str(), error.c_str()));
        return false;
    }
    *info = opened;
    voice_.SetSource(std::move(source));
    open_ = true;
    return true;
}

void TMpg123Library::vbmp3_play() {
    if (!open_) return;
    voice_.SetLooping(false);
    voice_.StartFromBeginning();
}

void TMpg123Library::vbmp3_playloop() {
    if (!open_) return;
    voice_.SetLooping(true);
    voice_.StartFromBeginning();
}

void TMpg123Library::vbmp3_stop() {
    voice_.Stop();
}

void TMpg123Library::vbmp3_close() {
    // The old decoder is freed here, outside the mixer's lock.
    std::unique_ptr<IStreamSource> old = voice_.SetSource(nullptr);
    open_ = false;
}

void TMpg123Library::vbmp3_free() {
    vbmp3_close();
    initialized_ = false;
}
