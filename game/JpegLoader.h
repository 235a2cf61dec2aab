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
// warning of libjpeg (data cut short, corrupt data) counts as a failure.
TBitmap LoadJpegFile(const std::string& path);
// The same from bytes in memory.
TBitmap DecodeJpeg(const uint8_t* data, size_t size);
