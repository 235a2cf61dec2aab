#pragma once
// Writing picture archives ("Data/data.qda"): a 256-byte header, one 268-byte
// directory record per entry, then the entries' data, stored or byte-pair coded.
#include "base/Exception.h"

#include <cstdint>
#include <iosfwd>
#include <string>
#include <vector>

class EQDAPackError : public Exception {
public:
    using Exception::Exception;
};

struct QDAPackEntry {
    std::string Name; // the ID the reader looks up: 1 to 255 bytes, no NUL
    std::vector<uint8_t> Data;
};

// The whole archive file. Raises EQDAPackError for a name that the reader could not
// find (empty, too long, holding a NUL, or equal to an earlier one without regard to
// letter case) and for an archive of 2 GiB or more.
std::vector<uint8_t> QDAPackArchive(const std::vector<QDAPackEntry>& entries, bool compressed);

// The command line: qdapack [-s|--stored] OUT.qda FILE... ; entries are named after
// the files' base names. Returns the exit status: 0 done, 1 failed, 2 bad usage.
int QDAPackMain(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
