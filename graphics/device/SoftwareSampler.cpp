#include "graphics/device/SoftwareSampler.h"

#include "graphics/PixelFormat.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

// One texel of a row, as ARGB.
struct FetchA8R8G8B8 {
    static uint32_t Get(const uint8_t* row, int32_t x) {
        uint32_t p;
        std::memcpy(&p, row + x * 4, 4);
        return p;
    }
};
struct FetchX8R8G8B8 {
    static uint32_t Get(const uint8_t* row, int32_t x) { return FetchA8R8G8B8::Get(row, x) | 0xFF000000; }
};
inline uint32_t Load16(const uint8_t* row, int32_t x) {
    uint16_t p;
    std::memcpy(&p, row + x * 2, 2);
    return p;
}
inline uint32_t Widen4(uint32_t v) {
    return v * 17;
}
inline uint32_t Widen5(uint32_t v) {
    return v * 255 / 31;
}
inline uint32_t Widen6(uint32_t v) {
    return v * 255 / 63;
}
struct FetchA4R4G4B4 {
    static uint32_t Get(const uint8_t* row, int32_t x) {
        const uint32_t p = Load16(row, x);
        return Widen4(p >> 12) << 24 | Widen4((p >> 8) & 15) << 16 | Widen4((p >> 4) & 15) << 8 |
               Widen4(p & 15);
    }
};
struct FetchA1R5G5B5 {
    static uint32_t Get(const uint8_t* row, int32_t x) {
        const uint32_t p = Load16(row, x);
        return ((p >> 15) * 255) << 24 | Widen5((p >> 10) & 31) << 16 | Widen5((p >> 5) & 31) << 8 |
               Widen5(p & 31);
    }
};
struct FetchX1R5G5B5 {
    static uint32_t Get(const uint8_t* row, int32_t x) { return FetchA1R5G5B5::Get(row, x) | 0xFF000000; }
};
struct FetchR5G6B5 {
    static uint32_t Get(const uint8_t* row, int32_t x) {
        const uint32_t p = Load16(row, x);
        return 0xFF000000 | Widen5(p >> 11) << 16 | Widen6((p >> 5) & 63) << 8 | Widen5(p & 31);
    }
};

// Texel index along one axis under the sampler's address mode.
struct Addresser {
    int32_t size;
    bool wrap;
    bool pow2;
    int32_t operator()(int64_t i) const {
        if (wrap) {
            if (pow2) return static_cast<int32_t>(i & (size - 1));
            int64_t m = i % size;
            return static_cast<int32_t>(m < 0 ? m + size : m);
        }
        return i < 0 ? 0 : (i >= size ? size - 1 : static_cast<int32_t>(i));
    }
    // True when texels u >> 16 (plus extra) of all n steps lie inside the texture.
    bool Covers(int64_t u, int64_t du, int32_t n, int32_t extra) const {
        const int64_t first = u >> 16, last = (u + du * (n - 1)) >> 16;
        return std::min(first, last) >= 0 && std::max(first, last) + extra < size;
    }
};

// Any other format the layer knows, through its pixel table.
uint32_t GenericTexel(const SoftwareTexture& t, const uint8_t* row, int32_t x) {
    uint32_t p = 0;
    std::memcpy(&p, row + static_cast<size_t>(x) * t.BytesPerPixel(), t.BytesPerPixel());
    return PixelToARGB(p, t.Format());
}

// Both 8-bit pairs of a and b mixed with weight f (0..256) for b.
inline uint32_t Lerp(uint32_t a, uint32_t b, uint32_t f) {
    const uint32_t g = 256 - f;
    const uint32_t rb = (((a & 0xFF00FF) * g + (b & 0xFF00FF) * f) >> 8) & 0xFF00FF;
    const uint32_t ag = (((a >> 8) & 0xFF00FF) * g + ((b >> 8) & 0xFF00FF) * f) & 0xFF00FF00;
    return rb | ag;
}

int64_t ToFixed(double v) {
    if (!std::isfinite(v)) return 0;
    if (v > 1e9) v = 1e9;
    if (v < -1e9) v = -1e9;
    return RoundHalfAway(v * 65536.0);
}

template <class Fetch>
void SamplePoint(const SoftwareTexture& t, const Addresser& ax, const Addresser& ay, int64_t u, int64_t v,
                 int64_t du, int64_t dv, int32_t n, uint32_t* out) {
    const uint8_t* data = t.Data();
    const size_t pitch = t.Pitch();
    if (dv == 0) {
        const uint8_t* row = data + static_cast<size_t>(ay(v >> 16)) * pitch;
        if (ax.Covers(u, du, n, 0)) {
            // The whole span lies inside the texture: no addressing per pixel.
            for (int32_t i = 0; i < n; ++i, u += du) out[i] = Fetch::Get(row, static_cast<int32_t>(u >> 16));
            return;
        }
        for (int32_t i = 0; i < n; ++i, u += du) out[i] = Fetch::Get(row, ax(u >> 16));
        return;
    }
    for (int32_t i = 0; i < n; ++i, u += du, v += dv)
        out[i] = Fetch::Get(data + static_cast<size_t>(ay(v >> 16)) * pitch, ax(u >> 16));
}

template <class Fetch>
void SampleLinear(const SoftwareTexture& t, const Addresser& ax, const Addresser& ay, int64_t u, int64_t v,
                  int64_t du, int64_t dv, int32_t n, uint32_t* out) {
    const uint8_t* data = t.Data();
    const size_t pitch = t.Pitch();
    for (int32_t i = 0; i < n; ++i, u += du, v += dv) {
        const int64_t tx = u >> 16, ty = v >> 16;
        const uint32_t fx = static_cast<uint32_t>((u >> 8) & 0xFF),
                       fy = static_cast<uint32_t>((v >> 8) & 0xFF);
        const uint8_t* r0 = data + static_cast<size_t>(ay(ty)) * pitch;
        const uint8_t* r1 = data + static_cast<size_t>(ay(ty + 1)) * pitch;
        const int32_t x0 = ax(tx), x1 = ax(tx + 1);
        const uint32_t top = Lerp(Fetch::Get(r0, x0), Fetch::Get(r0, x1), fx);
        const uint32_t bottom = Lerp(Fetch::Get(r1, x0), Fetch::Get(r1, x1), fx);
        out[i] = Lerp(top, bottom, fy);
    }
}

template <class Fetch>
void SampleWith(const SoftwareTexture& t, bool linear, const Addresser& ax, const Addresser& ay, int64_t u,
                int64_t v, int64_t du, int64_t dv, int32_t n, uint32_t* out) {
    if (linear)
        SampleLinear<Fetch>(t, ax, ay, u, v, du, dv, n, out);
    else
        SamplePoint<Fetch>(t, ax, ay, u, v, du, dv, n, out);
}

void SampleGeneric(const SoftwareTexture& t, bool linear, const Addresser& ax, const Addresser& ay, int64_t u,
                   int64_t v, int64_t du, int64_t dv, int32_t n, uint32_t* out) {
    const uint8_t* data = t.Data();
    const size_t pitch = t.Pitch();
    for (int32_t i = 0; i < n; ++i, u += du, v += dv) {
        const int64_t tx = u >> 16, ty = v >> 16;
        const uint8_t* r0 = data + static_cast<size_t>(ay(ty)) * pitch;
        if (!linear) {
            out[i] = GenericTexel(t, r0, ax(tx));
            continue;
        }
        const uint32_t fx = static_cast<uint32_t>((u >> 8) & 0xFF),
                       fy = static_cast<uint32_t>((v >> 8) & 0xFF);
        const uint8_t* r1 = data + static_cast<size_t>(ay(ty + 1)) * pitch;
        const int32_t x0 = ax(tx), x1 = ax(tx + 1);
        const uint32_t top = Lerp(GenericTexel(t, r0, x0), GenericTexel(t, r0, x1), fx);
        const uint32_t bottom = Lerp(GenericTexel(t, r1, x0), GenericTexel(t, r1, x1), fx);
        out[i] = Lerp(top, bottom, fy);
    }
}

} // namespace

int64_t TexelStart(bool Linear, double T) {
    // Bilinear weights are measured from texel centres.
    return ToFixed(T - (Linear ? 0.5 : 0.0));
}

TTexelSteps TexelSteps(bool Linear, double U, double V, double DU, double DV) {
    return {TexelStart(Linear, U), TexelStart(Linear, V), ToFixed(DU), ToFixed(DV)};
}

const uint32_t* TexelRun(const SoftwareTexture& Texture, bool Linear, bool WrapV, const TTexelSteps& Steps,
                         int32_t N) {
    const auto w = static_cast<int32_t>(Texture.Width()), h = static_cast<int32_t>(Texture.Height());
    if (Linear || Texture.Format() != D3DFMT_A8R8G8B8 || Steps.DV != 0 || Steps.DU != 65536 || w <= 0 ||
        h <= 0)
        return nullptr;
    const Addresser ax{w, false, false}, ay{h, WrapV, (h & (h - 1)) == 0};
    if (!ax.Covers(Steps.U, Steps.DU, N, 0)) return nullptr;
    const uint8_t* row = Texture.Data() + static_cast<size_t>(ay(Steps.V >> 16)) * Texture.Pitch();
    // A pitch with odd extra bytes leaves rows unaligned for 32-bit reads.
    if (reinterpret_cast<uintptr_t>(row) % alignof(uint32_t) != 0) return nullptr;
    return reinterpret_cast<const uint32_t*>(row) + (Steps.U >> 16);
}

void SampleSpan(const SoftwareTexture& Texture, bool Linear, bool WrapU, bool WrapV, const TTexelSteps& Steps,
                int32_t N, uint32_t* Out) {
    const auto w = static_cast<int32_t>(Texture.Width()), h = static_cast<int32_t>(Texture.Height());
    if (w <= 0 || h <= 0 || Texture.BytesPerPixel() == 0) {
        for (int32_t i = 0; i < N; ++i) Out[i] = 0;
        return;
    }
    const Addresser ax{w, WrapU, (w & (w - 1)) == 0}, ay{h, WrapV, (h & (h - 1)) == 0};
    const int64_t u = Steps.U, v = Steps.V, du = Steps.DU, dv = Steps.DV;
    switch (Texture.Format()) {
    case D3DFMT_A8R8G8B8:
        return SampleWith<FetchA8R8G8B8>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    case D3DFMT_X8R8G8B8:
        return SampleWith<FetchX8R8G8B8>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    case D3DFMT_A4R4G4B4:
        return SampleWith<FetchA4R4G4B4>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    case D3DFMT_A1R5G5B5:
        return SampleWith<FetchA1R5G5B5>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    case D3DFMT_X1R5G5B5:
        return SampleWith<FetchX1R5G5B5>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    case D3DFMT_R5G6B5:
        return SampleWith<FetchR5G6B5>(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    default:
        return SampleGeneric(Texture, Linear, ax, ay, u, v, du, dv, N, Out);
    }
}
