#include "game/JpegLoader.h"

#include "base/Fatal.h"
#include "base/Stream.h"

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// libjpeg reports a fatal error through error_exit, which must not return: it jumps
// back to the decoder's set-up point with the message kept.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    char damage[JMSG_LENGTH_MAX];  // the first warning of missing pixels, empty when none
    char warning[JMSG_LENGTH_MAX]; // the first other warning, empty when none
};

void ErrorExit(j_common_ptr cinfo) {
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    (*cinfo->err->format_message)(cinfo, err->message);
    std::longjmp(err->jump, 1);
}

// Warnings after which libjpeg fills in grey or guessed pixels: the data ends early or
// a stretch of it cannot be decoded.
bool LosesPixels(int code) {
    switch (code) {
    case JWRN_JPEG_EOF:
    case JWRN_HIT_MARKER:
    case JWRN_HUFF_BAD_CODE:
    case JWRN_ARITH_BAD_CODE:
    case JWRN_MUST_RESYNC:
        return true;
    default:
        return false;
    }
}

// A warning (msg_level -1) that loses pixels makes the picture refused; any other one
// (stray bytes between segments, an unknown revision) leaves every pixel as the file
// has it and is only reported. Trace messages (level 0 and above) are not wanted.
void EmitMessage(j_common_ptr cinfo, int level) {
    if (level >= 0) return;
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    char* kept = LosesPixels(err->pub.msg_code) ? err->damage : err->warning;
    if (kept[0] == 0) (*cinfo->err->format_message)(cinfo, kept);
    ++err->pub.num_warnings;
}

// Decodes into rgb (3 bytes a pixel, rows top down). Nothing with a destructor lives in
// this frame, so the jump back from libjpeg leaves nothing behind. Answers false with
// message set on failure; warning holds a warning that did not fail it.
bool DecodeInto(const uint8_t* data, size_t size, std::vector<uint8_t>* rgb, int* width, int* height,
                char* message, char* warning) {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    cinfo.err = jpeg_std_error(&err.pub);
    err.pub.error_exit = ErrorExit;
    err.pub.emit_message = EmitMessage;
    err.message[0] = 0;
    err.damage[0] = 0;
    err.warning[0] = 0;
    if (setjmp(err.jump)) {
        std::strncpy(message, err.message, JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    jpeg_create_decompress(&cinfo);
    jpeg_mem_src(&cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&cinfo, TRUE);
    // A header may claim any size up to 65500 x 65500; a background is far smaller. Checked
    // before jpeg_start_decompress, which for a progressive picture allocates the
    // coefficients of the whole image at once.
    if (static_cast<uint64_t>(cinfo.image_width) * cinfo.image_height > (uint64_t{1} << 26)) {
        std::strncpy(message, "the picture is too large", JMSG_LENGTH_MAX);
        jpeg_destroy_decompress(&cinfo);
        return false;
    }
    cinfo.out_color_space = JCS_RGB;
    jpeg_start_decompress(&cinfo);
    *width = static_cast<int>(cinfo.output_width);
    *height = static_cast<int>(cinfo.output_height);
    const size_t stride = static_cast<size_t>(cinfo.output_width) * 3;
    // Sized before decoding; the decoder only writes into it.
    rgb->resize(stride * cinfo.output_height);
    while (cinfo.output_scanline < cinfo.output_height) {
        JSAMPROW row = rgb->data() + stride * cinfo.output_scanline;
        jpeg_read_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_decompress(&cinfo);
    jpeg_destroy_decompress(&cinfo);
    std::strncpy(warning, err.warning, JMSG_LENGTH_MAX);
    if (err.damage[0] == 0) return true;
    std::strncpy(message, err.damage, JMSG_LENGTH_MAX);
    return false;
}

} // namespace

TBitmap DecodeJpeg(const uint8_t* data, size_t size, std::string* warning) {
    if (warning) warning->clear();
    if (size == 0) throw EJpegError("JPEG: the file is empty");
    std::vector<uint8_t> rgb;
    int width = 0, height = 0;
    char message[JMSG_LENGTH_MAX] = {}, warned[JMSG_LENGTH_MAX] = {};
    if (!DecodeInto(data, size, &rgb, &width, &height, message, warned))
        throw EJpegError(std::string("JPEG: ") + message);
    if (warning) *warning = warned;
    TBitmap bitmap(width, height, 24);
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgb.data() + static_cast<size_t>(y) * width * 3;
        uint8_t* dst = bitmap.ScanLine(y);
        for (int x = 0; x < width; ++x) {
            dst[x * 3] = src[x * 3 + 2];
            dst[x * 3 + 1] = src[x * 3 + 1];
            dst[x * 3 + 2] = src[x * 3];
        }
    }
    return bitmap;
}

TBitmap LoadJpegFile(const std::string& path) {
    const std::vector<uint8_t> bytes = ReadWholeFile(path);
    std::string warning;
    try {
        TBitmap bitmap = DecodeJpeg(bytes.data(), bytes.size(), &warning);
        if (!warning.empty()) ReportDiagnostic(path + ": JPEG: " + warning);
        return bitmap;
    } catch (const EJpegError& e) {
        throw EJpegError(path + ": " + e.Message());
    }
}
