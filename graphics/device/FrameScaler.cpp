#include "graphics/device/FrameScaler.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace {

// One frame row, each pixel written N times (N = 0: n times, n given).
template <uint32_t N> void RepeatPixels(const uint32_t* src, uint32_t* dst, uint32_t count, uint32_t n) {
    if constexpr (N != 0) n = N;
    uint32_t i = 0;
#if defined(__SSE2__)
    for (; i + 4 <= count; i += 4, dst += 4 * n) {
        const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(src + i));
        auto* d = reinterpret_cast<__m128i*>(dst);
        if constexpr (N == 2) {
            _mm_storeu_si128(d, _mm_unpacklo_epi32(v, v));
            _mm_storeu_si128(d + 1, _mm_unpackhi_epi32(v, v));
        } else if constexpr (N == 3) {
            _mm_storeu_si128(d, _mm_shuffle_epi32(v, _MM_SHUFFLE(1, 0, 0, 0)));
            _mm_storeu_si128(d + 1, _mm_shuffle_epi32(v, _MM_SHUFFLE(2, 2, 1, 1)));
            _mm_storeu_si128(d + 2, _mm_shuffle_epi32(v, _MM_SHUFFLE(3, 3, 3, 2)));
        } else if constexpr (N == 4) {
            _mm_storeu_si128(d, _mm_shuffle_epi32(v, 0x00));
            _mm_storeu_si128(d + 1, _mm_shuffle_epi32(v, 0x55));
            _mm_storeu_si128(d + 2, _mm_shuffle_epi32(v, 0xAA));
            _mm_storeu_si128(d + 3, _mm_shuffle_epi32(v, 0xFF));
        } else {
            // Each of the four pixels in whole registers, the rest of it pixel by pixel.
            const __m128i lanes[4] = {_mm_shuffle_epi32(v, 0x00), _mm_shuffle_epi32(v, 0x55),
                                      _mm_shuffle_epi32(v, 0xAA), _mm_shuffle_epi32(v, 0xFF)};
            for (uint32_t k = 0; k < 4; ++k) {
                uint32_t* p = dst + k * n;
                uint32_t j = 0;
                for (; j + 4 <= n; j += 4) _mm_storeu_si128(reinterpret_cast<__m128i*>(p + j), lanes[k]);
                for (; j < n; ++j) p[j] = src[i + k];
            }
        }
    }
#endif
    for (; i < count; ++i, dst += n)
        for (uint32_t k = 0; k < n; ++k) dst[k] = src[i];
}

TRect ScaleWhole(const TSoftwareFrame& f, const TRect& d, const TFramePlacement& p, const TScaleTarget& t) {
    const uint32_t n = p.Factor;
    const uint32_t count = static_cast<uint32_t>(d.Width());
    const size_t rowBytes = size_t{count} * n * 4;
    for (int32_t y = d.Top; y < d.Bottom; ++y) {
        const uint32_t* src = f.Pixels + size_t(y) * f.Pitch + d.Left;
        uint32_t* first = t.Pixels + size_t(p.Y + y * int32_t(n)) * t.Pitch + (p.X + d.Left * int32_t(n));
        switch (n) {
        case 2:
            RepeatPixels<2>(src, first, count, n);
            break;
        case 3:
            RepeatPixels<3>(src, first, count, n);
            break;
        case 4:
            RepeatPixels<4>(src, first, count, n);
            break;
        default:
            RepeatPixels<0>(src, first, count, n);
        }
        for (uint32_t k = 1; k < n; ++k) std::memcpy(first + size_t(k) * t.Pitch, first, rowBytes);
    }
    const int32_t x0 = p.X + d.Left * int32_t(n), y0 = p.Y + d.Top * int32_t(n);
    return Rect(x0, y0, x0 + d.Width() * int32_t(n), y0 + d.Height() * int32_t(n));
}

// Where each window column (or row) of the picture samples the frame: the two frame pixels
// around its centre and the second one's weight in 256ths.
struct TTap {
    uint32_t First, Second, Weight;
};
TTap TapAt(int32_t i, int32_t pictureSize, uint32_t frameSize) {
    const double at = std::max(0.0, (i + 0.5) * frameSize / pictureSize - 0.5);
    const auto first = std::min(static_cast<uint32_t>(at), frameSize - 1);
    const uint32_t weight = static_cast<uint32_t>(std::lround((at - first) * 256));
    return {first, std::min(first + 1, frameSize - 1), std::min(weight, 256u)};
}

// a * (256 - w) + b * w over 256, two channels at a time in the 16-bit halves of a word.
uint32_t Lerp(uint32_t a, uint32_t b, uint32_t w) {
    const uint32_t rb = ((a & 0x00FF00FF) * (256 - w) + (b & 0x00FF00FF) * w + 0x00800080) >> 8;
    const uint32_t ag = (((a >> 8) & 0x00FF00FF) * (256 - w) + ((b >> 8) & 0x00FF00FF) * w + 0x00800080) >> 8;
    return (rb & 0x00FF00FF) | ((ag & 0x00FF00FF) << 8);
}

TRect ScaleFiltered(const TSoftwareFrame& f, const TRect& d, const TFramePlacement& p,
                    const TScaleTarget& t) {
    int32_t l = d.Left - 1, top = d.Top - 1, r = d.Right + 1, b = d.Bottom + 1;
    FrameToWindow(p, l, top, r, b);
    l = std::max(l, p.X), top = std::max(top, p.Y);
    r = std::min(r, p.X + p.Width), b = std::min(b, p.Y + p.Height);
    if (l >= r || top >= b) return TRect{};
    std::vector<TTap> columns(static_cast<size_t>(r - l));
    for (int32_t x = l; x < r; ++x) columns[size_t(x - l)] = TapAt(x - p.X, p.Width, f.Width);
    for (int32_t y = top; y < b; ++y) {
        const TTap row = TapAt(y - p.Y, p.Height, f.Height);
        const uint32_t* upper = f.Pixels + size_t(row.First) * f.Pitch;
        const uint32_t* lower = f.Pixels + size_t(row.Second) * f.Pitch;
        uint32_t* out = t.Pixels + size_t(y) * t.Pitch + l;
        for (const TTap& c : columns) {
            const uint32_t above = Lerp(upper[c.First], upper[c.Second], c.Weight);
            const uint32_t below = Lerp(lower[c.First], lower[c.Second], c.Weight);
            *out++ = Lerp(above, below, row.Weight);
        }
    }
    return Rect(l, top, r, b);
}

bool Inside(const TFramePlacement& p, const TScaleTarget& t) {
    return p.Width > 0 && p.Height > 0 && p.X >= 0 && p.Y >= 0 && p.X + p.Width <= int32_t(t.Width) &&
           p.Y + p.Height <= int32_t(t.Height);
}

} // namespace

TRect ScaleFrameDamage(const TSoftwareFrame& f, const TFramePlacement& p, const TScaleTarget& t) {
    if (!Inside(p, t) || f.Width != p.FrameWidth || f.Height != p.FrameHeight) return TRect{};
    const TRect d =
        Rect(std::max(f.Damage.Left, 0), std::max(f.Damage.Top, 0),
             std::min(f.Damage.Right, int32_t(f.Width)), std::min(f.Damage.Bottom, int32_t(f.Height)));
    if (d.Left >= d.Right || d.Top >= d.Bottom) return TRect{};
    if (p.Factor == 1) {
        for (int32_t y = d.Top; y < d.Bottom; ++y)
            std::memcpy(t.Pixels + size_t(p.Y + y) * t.Pitch + (p.X + d.Left),
                        f.Pixels + size_t(y) * f.Pitch + d.Left, size_t(d.Width()) * 4);
        return Rect(p.X + d.Left, p.Y + d.Top, p.X + d.Right, p.Y + d.Bottom);
    }
    return p.Factor == 0 ? ScaleFiltered(f, d, p, t) : ScaleWhole(f, d, p, t);
}

void FillBorder(const TFramePlacement& p, const TScaleTarget& t, uint32_t colour) {
    const auto fill = [&](int32_t l, int32_t top, int32_t r, int32_t b) {
        l = std::max(l, 0), top = std::max(top, 0);
        r = std::min(r, int32_t(t.Width)), b = std::min(b, int32_t(t.Height));
        for (int32_t y = top; y < b; ++y)
            std::fill_n(t.Pixels + size_t(y) * t.Pitch + l, std::max(r - l, 0), colour);
    };
    const int32_t w = int32_t(t.Width), h = int32_t(t.Height);
    if (p.Width <= 0 || p.Height <= 0) return fill(0, 0, w, h);
    fill(0, 0, w, p.Y);
    fill(0, p.Y + p.Height, w, h);
    fill(0, p.Y, p.X, p.Y + p.Height);
    fill(p.X + p.Width, p.Y, w, p.Y + p.Height);
}
