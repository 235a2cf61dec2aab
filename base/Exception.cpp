#include "base/Exception.h"
// The exception classes are header-only; this file keeps the library's vtable anchor.
