#include "graphics/BmpLoader.h"

#include "base/Format.h"
#include "base/Translate.h"
#include "graphics/DGLog.h"
#include "graphics/PixelFormat.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

const char* const ReadErrorMessage = "LoadBMP中に、読み込みエラーが発生しました";

uint16_t Get16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Get32(const uint8_t* p) {
    return static_cast<uint32_t>(Get16(p)) | static_cast<uint32_t>(Get16(p + 2)) << 16;
}

void ParseFileHeader(const uint8_t* b, TBmpHeaders& h) {
    h.bfType = Get16(b);
    h.bfSize = Get32(b + 2);
    h.bfOffBits = Get32(b + 10);
}

void ParseInfoHeader(const uint8_t* b, TBmpHeaders& h) {
    h.biSize = Get32(b);
    h.biWidth = static_cast<int32_t>(Get32(b + 4));
    h.biHeight = static_cast<int32_t>(Get32(b + 8));
    h.biPlanes = Get16(b + 12);
    h.biBitCount = Get16(b + 14);
    h.biCompression = Get32(b + 16);
    h.biSizeImage = Get32(b + 20);
    h.biClrUsed = Get32(b + 32);
}

constexpr uint32_t BI_RGB = 0;
constexpr uint32_t BI_BITFIELDS = 3;

// Bit fields are taken only in the layout the loader reads anyway.
bool StandardMasks(const TBmpHeaders& h, const uint8_t* masks) {
    const uint32_t r = Get32(masks), g = Get32(masks + 4), b = Get32(masks + 8);
    if (h.biBitCount == 16) return r == 0x7C00 && g == 0x03E0 && b == 0x001F;
    if (h.biBitCount == 32) return r == 0xFF0000 && g == 0xFF00 && b == 0xFF;
    return false;
}

void StorePixel(uint8_t* at, uint32_t pixel, uint32_t bytes) {
    for (uint32_t i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(pixel >> (8 * i));
}

// Unlocks level 0 when the load ends, however it ends.
class LevelLock {
public:
    explicit LevelLock(IRenderTexture& t) : texture_(t) {}
    ~LevelLock() {
        if (locked_)
            CheckResult(texture_.UnlockRect(0), TrNoop("LoadBMP中にサーフェスがアンロックできませんでした"));
    }
    bool Lock(D3DLOCKED_RECT& r) {
        locked_ = CheckResult(texture_.LockRect(0, r, nullptr, 0),
                              TrNoop("LoadBMP中にサーフェスがロックできませんでした")) == D3D_OK;
        return locked_;
    }

private:
    IRenderTexture& texture_;
    bool locked_ = false;
};

struct RowJob {
    uint32_t bytesIn = 0;  // S
    uint32_t bytesOut = 0; // D
    D3DFORMAT format = D3DFMT_UNKNOWN;
    bool palettized = false; // a P8 texture: indices are copied
    int32_t columns = 0;
    const std::vector<uint8_t>* palette = nullptr; // B, G, R, reserved per entry
};

// Converts one source row into the row buffer; false for an index past the palette.
bool ConvertRow(const RowJob& j, const uint8_t* src, uint8_t* out) {
    for (int32_t x = 0; x < j.columns; ++x) {
        const uint8_t* s = src + static_cast<size_t>(x) * j.bytesIn;
        uint8_t* d = out + static_cast<size_t>(x) * j.bytesOut;
        uint32_t pixel;
        if (j.palettized) {
            pixel = s[0];
        } else if (j.bytesIn == 1) {
            const size_t entry = static_cast<size_t>(s[0]) * 4;
            if (entry + 4 > j.palette->size()) return false;
            const uint8_t* e = j.palette->data() + entry;
            pixel = ComponentsToPixel(255, e[2], e[1], e[0], j.format);
        } else if (j.bytesIn == 2) {
            const uint32_t w = Get16(s);
            pixel =
                ComponentsToPixel(255, ExpandComponent((w >> 10) & 31, 5), ExpandComponent((w >> 5) & 31, 5),
                                  ExpandComponent(w & 31, 5), j.format);
        } else if (j.bytesIn == 3) {
            pixel = ComponentsToPixel(255, s[2], s[1], s[0], j.format);
        } else {
            pixel = ARGBToPixel(Get32(s), j.format);
        }
        StorePixel(d, pixel, j.bytesOut);
    }
    return true;
}

// The palette of an 8-bit picture: right after the info header, biClrUsed entries (0: 256).
bool ReadPalette(TStream& stream, int64_t start, const TBmpHeaders& h, std::vector<uint8_t>& palette) {
    const uint32_t count = h.biClrUsed == 0 ? 256 : h.biClrUsed;
    palette.assign(static_cast<size_t>(count) * 4, 0);
    stream.Seek(start + 14 + h.biSize, SeekOrigin::Begin);
    return stream.Read(palette.data(), static_cast<int64_t>(palette.size())) ==
           static_cast<int64_t>(palette.size());
}

// Reads the rows into the locked level. Rows that do not fit are dropped from the
// bottom of the picture, columns from the right.
void ReadRows(TStream& stream, const TBmpHeaders& h, const D3DSURFACE_DESC& desc,
              const D3DLOCKED_RECT& locked, RowJob job) {
    const bool topDown = h.biHeight < 0;
    const int32_t height = std::abs(h.biHeight);
    const size_t srcRow = (static_cast<size_t>(h.biWidth) * job.bytesIn + 3) & ~size_t{3};
    const size_t outRow = (static_cast<size_t>(h.biWidth) * job.bytesOut + 3) & ~size_t{3};
    const size_t copyBytes = std::min(outRow, static_cast<size_t>(locked.Pitch));
    const int32_t rows = std::min(static_cast<int32_t>(desc.Height), height);
    job.columns = std::min(static_cast<int32_t>(desc.Width), h.biWidth);
    std::vector<uint8_t> src(srcRow), out(outRow, 0);
    // Bottom-up rows that do not fit come first in the file.
    if (!topDown && rows < height)
        stream.Seek(static_cast<int64_t>(srcRow) * (height - rows), SeekOrigin::Current);
    auto* bits = static_cast<uint8_t*>(locked.pBits);
    for (int32_t i = 0; i < rows; ++i) {
        const int32_t y = topDown ? i : rows - 1 - i;
        if (stream.Read(src.data(), static_cast<int64_t>(srcRow)) != static_cast<int64_t>(srcRow)) {
            DebugLog(ReadErrorMessage);
            return;
        }
        if (!ConvertRow(job, src.data(), out.data())) {
            DebugLog("BMPのパレットにない色番号が使われています");
            return;
        }
        std::memcpy(bits + static_cast<size_t>(y) * static_cast<size_t>(locked.Pitch), out.data(), copyBytes);
    }
}

} // namespace

TBmpHeaders ReadBmpHeaders(TStream& Stream) {
    uint8_t b[54];
    Stream.ReadBuffer(b, sizeof b);
    TBmpHeaders h;
    ParseFileHeader(b, h);
    ParseInfoHeader(b + 14, h);
    return h;
}

void CheckBmpHeaders(const TBmpHeaders& h) {
    const int64_t height = h.biHeight < 0 ? -static_cast<int64_t>(h.biHeight) : h.biHeight;
    if (h.biWidth <= 0 || h.biWidth > MaxBmpSide || height == 0 || height > MaxBmpSide)
        throw EDGBitmap(Format(Tr("BMPの大きさ(%d x %d)が不正です。幅と高さは1～%dにして下さい"), h.biWidth,
                               h.biHeight, MaxBmpSide));
    if (h.biCompression != BI_RGB && h.biCompression != BI_BITFIELDS)
        throw EDGBitmap(Format(Tr("圧縮されたBMP(biCompression = %u)は読み込めません"), h.biCompression));
    if (h.biBitCount == 8 && h.biClrUsed > 256)
        throw EDGBitmap(Format(Tr("BMPのパレットの色数(%u)が256を超えています"), h.biClrUsed));
    if (h.biSize < 40) throw EDGBitmap(Format(Tr("BMPの情報ヘッダの大きさ(%u)が不正です"), h.biSize));
}

void LoadBMP(IRenderTexture& Texture, TStream& Stream) {
    D3DSURFACE_DESC desc;
    if (CheckResult(Texture.GetLevelDesc(0, desc), TrNoop("LoadBMP中にサーフェスがロックできませんでした")) !=
        D3D_OK)
        return;
    LevelLock lock(Texture);
    D3DLOCKED_RECT locked;
    if (!lock.Lock(locked)) return;
    const int64_t start = Stream.Position();
    uint8_t header[54];
    TBmpHeaders h;
    if (Stream.Read(header, 14) != 14) return DebugLog("ビットマップの読みこみ中に、エラーが発生しました");
    ParseFileHeader(header, h);
    if (h.bfType != 0x4D42) return DebugLog("不正なBMPファイルです");
    if (Stream.Read(header + 14, 40) != 40) return DebugLog(ReadErrorMessage);
    ParseInfoHeader(header + 14, h);
    if (h.biBitCount != 8 && h.biBitCount != 16 && h.biBitCount != 24 && h.biBitCount != 32) {
        CheckResult(1, TrNoop("色数が8ビット～32ビットの範囲のビットマップを、LoadBMPには指定してください"));
        return;
    }
    try {
        CheckBmpHeaders(h);
        uint8_t masks[12];
        if (h.biCompression == BI_BITFIELDS &&
            (Stream.Read(masks, sizeof masks) != sizeof masks || !StandardMasks(h, masks)))
            throw EDGBitmap(Tr("BMPのビットフィールドが読み込めない配置です"));
    } catch (const EDGBitmap& e) {
        return DebugLog(e.Message());
    }
    RowJob job;
    job.bytesIn = h.biBitCount / 8u;
    job.bytesOut = FormatBits(desc.Format) / 8;
    job.format = desc.Format;
    std::vector<uint8_t> palette;
    if (desc.Format == D3DFMT_P8) {
        if (job.bytesIn > 1) {
            CheckResult(
                1,
                TrNoop("8ビットパレット付きテクスチャに対して16ビット以上のBMPをロードする事は出来ません"));
            return;
        }
        job.palettized = true;
    } else if (job.bytesIn == 1) {
        if (!ReadPalette(Stream, start, h, palette)) return DebugLog(ReadErrorMessage);
        job.palette = &palette;
    }
    Stream.Seek(start + h.bfOffBits, SeekOrigin::Begin);
    ReadRows(Stream, h, desc, locked, job);
}
