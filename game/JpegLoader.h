#pragma once
// The background picture: a JPEG file decoded by libjpeg into a 24-bit bitmap.
#include "base/Exception.h"
#include "graphics/Bitmap.h"

#include <string>

class EJpegError : public Exception {
public:
    using Exception::Exception;
};

// Raises EFOpenError when the file cannot be read and EJpegError (the path and
// libjpeg's message) when it is not a JPEG picture the decoder can read whole: a
// warning of libjpeg after which pixels are missing (data cut short, a stretch it cannot
// decode) counts as a failure. Another warning (stray bytes between segments) leaves
// every pixel decoded: the picture is answered and the warning written to standard error.
TBitmap LoadJpegFile(const std::string& path);
// The same from bytes in memory; warning (when given) receives a warning that did not
// fail the picture, empty when none. Writes nothing to standard error.
TBitmap DecodeJpeg(const uint8_t* data, size_t size, std::string* warning = nullptr);
