#pragma once
// The picture archive reader ("Data/data.qda"). Stateless: every call opens the
// archive, reads its header and directory, extracts one entry and closes it.
#include "base/Exception.h"
#include "base/Stream.h"

#include <memory>
#include <string>

class EQDAError : public Exception {
public:
    using Exception::Exception;
};

// The most one entry may decode to: the largest picture the texture loader takes
// (4096 x 4096 at 32 bits) plus room for its headers and palette. A few coded bytes
// can expand almost without end, so a larger stated size is refused before decoding.
constexpr uint32_t QDAMaxEntrySize = 4096u * 4096u * 4u + 65536u;

// The entry named ID (ASCII letters compared without case), decoded, at position 0.
// A missing ID, a file that is no archive and every malformed archive (counts, sizes
// or coded data that do not fit the file, an entry above QDAMaxEntrySize) raise
// EQDAError; a file that cannot be
// opened raises the stream layer's EFOpenError.
std::unique_ptr<TMemoryStream> QDALoadFromFile(const std::string& ArchiveFileName, const std::string& ID);
// Same, from a stream positioned at the archive's start.
std::unique_ptr<TMemoryStream> QDALoadFromStream(TStream& Stream, const std::string& ID);
// True when bytes 4..7 of the 256-byte header are "QDA0".
bool QDACheckHeader(const uint8_t* Header);
// Byte-pair decodes Input, from its position to its end, into exactly DecodedSize bytes
// (at most QDAMaxEntrySize).
std::unique_ptr<TMemoryStream> QDADecode(TStream& Input, uint32_t DecodedSize);
