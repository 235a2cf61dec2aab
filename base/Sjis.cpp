#include "base/Sjis.h"

#include "base/Exception.h"
#include "base/Format.h"
#include "base/Translate.h"

#include <cerrno>
#include <iconv.h>
#include <memory>

namespace {

// One conversion through iconv. An invalid or unmappable sequence is replaced by '?'
// and skipped: on-screen text should degrade, never fail.
std::string Convert(std::string_view in, const char* to, const char* from, size_t badLength) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1))
        throw Exception(Format(Tr("iconv: %s -> %s がありません"), from, to));
    std::unique_ptr<void, int (*)(iconv_t)> guard(cd, iconv_close);
    std::string out;
    out.resize(in.size() * 4 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = out.data();
    size_t dstLeft = out.size();
    while (srcLeft > 0) {
        const size_t r = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
        if (r != static_cast<size_t>(-1)) break;
        if (errno == E2BIG) {
            const size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
            continue;
        }
        // EILSEQ or EINVAL: put a '?' and step over the bad input.
        if (dstLeft == 0) {
            const size_t used = static_cast<size_t>(dst - out.data());
            out.resize(out.size() * 2);
            dst = out.data() + used;
            dstLeft = out.size() - used;
        }
        *dst++ = '?';
        --dstLeft;
        size_t skip = badLength;
        if (badLength == 0) { // UTF-8: skip a whole well-formed sequence, else one byte
            const auto lead = static_cast<unsigned char>(*src);
            skip = lead >= 0xC2 && lead < 0xE0   ? 2
                   : lead >= 0xE0 && lead < 0xF0 ? 3
                   : lead >= 0xF0 && lead < 0xF5 ? 4
                                                 : 1;
            for (size_t i = 1; i < skip; ++i)
                if (i >= srcLeft || (static_cast<unsigned char>(src[i]) & 0xC0) != 0x80) skip = 1;
        } else if (!IsSjisLeadByte(static_cast<unsigned char>(*src))) {
            skip = 1;
        }
        if (skip > srcLeft) skip = srcLeft;
        src += skip;
        srcLeft -= skip;
    }
    out.resize(static_cast<size_t>(dst - out.data()));
    return out;
}

} // namespace

std::string Utf8ToSjis(std::string_view utf8) {
    // Plain ASCII (the status panel's numbers and times) is the same bytes in Shift-JIS:
    // no conversion, and no buffer or iconv descriptor on every frame.
    bool ascii = true;
    for (const char c : utf8) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
    if (ascii) return std::string(utf8);
    return Convert(utf8, "CP932", "UTF-8", 0);
}
std::string SjisToUtf8(std::string_view sjis) {
    return Convert(sjis, "UTF-8", "CP932", 2);
}
