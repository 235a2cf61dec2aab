// The background picture's decoder: arbitrary bytes as a JPEG file. A picture is
// either decoded into a bitmap of its size or rejected with EJpegError.
#include "game/JpegLoader.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    try {
        const TBitmap b = DecodeJpeg(data, size);
        if (b.Width() <= 0 || b.Height() <= 0) std::abort();
    } catch (const EJpegError&) {
    }
    return 0;
}
