#include "graphics/device/SoftwareSpans.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif
#if defined(__x86_64__) && defined(__SSE2__) && defined(__GNUC__)
#include <immintrin.h>
#define HIMAWARI_AVX2_SPANS 1
#endif

namespace {

constexpr uint32_t White = 0xFFFFFFFF;

// One pixel of Over: fully opaque and fully clear texels need no arithmetic.
inline void OverOne(uint32_t& d, uint32_t s) {
    const uint32_t a = s >> 24;
    if (a == 255)
        d = s;
    else if (a != 0)
        d = BlendOver(s, d);
}

void CopyPortable(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White) {
        std::memcpy(dst, src, static_cast<size_t>(n) * 4);
        return;
    }
    for (int32_t i = 0; i < n; ++i) dst[i] = ModulatePixel(src[i], diffuse);
}

void OverPortable(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White) {
        for (int32_t i = 0; i < n; ++i) OverOne(dst[i], src[i]);
        return;
    }
    for (int32_t i = 0; i < n; ++i) OverOne(dst[i], ModulatePixel(src[i], diffuse));
}

constexpr TSpanKernels Portable{"portable", CopyPortable, OverPortable};

#if defined(__SSE2__)
// Four pixels in a register. The arithmetic runs on 16-bit lanes, one channel in the low byte
// of each: blue and red in one register, green and alpha in another.
namespace sse2 {

inline __m128i Lanes(uint32_t v) {
    return _mm_set1_epi32(static_cast<int32_t>(v));
}
// Mul255 on eight lanes of 0..255: t = x * y + 128, and (t + (t >> 8)) >> 8 equals
// (t * 257) >> 16 for every t up to 255 * 255 + 128.
inline __m128i Mul(__m128i x, __m128i y) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}

// Four pixels taken apart: blue and red, green and alpha.
struct TParts {
    __m128i rb, ag;
};
inline TParts Split(__m128i v) {
    return {_mm_and_si128(v, _mm_set1_epi16(0xFF)), _mm_srli_epi16(v, 8)};
}
inline __m128i Join(const TParts& p) {
    return _mm_or_si128(p.rb, _mm_slli_epi16(p.ag, 8));
}
inline TParts TintOf(uint32_t diffuse) {
    return Split(Lanes(diffuse));
}
inline TParts Modulate(const TParts& s, const TParts& t) {
    return {Mul(s.rb, t.rb), Mul(s.ag, t.ag)};
}
// Each pixel's alpha in both of its lanes.
inline __m128i AlphaLanes(const TParts& s) {
    return _mm_shufflehi_epi16(_mm_shufflelo_epi16(s.ag, 0xF5), 0xF5);
}
// The sums of the two products cannot carry out of the low byte.
inline __m128i Over(const TParts& s, __m128i dst) {
    const __m128i a = AlphaLanes(s), ia = _mm_xor_si128(a, _mm_set1_epi16(255));
    const TParts d = Split(dst);
    return Join({_mm_add_epi16(Mul(s.rb, a), Mul(d.rb, ia)), _mm_add_epi16(Mul(s.ag, a), Mul(d.ag, ia))});
}
// The AVX2 loops finish their spans with the loops below, inlined so that they run as AVX
// code: a call per span cost more than the few pixels it draws on narrow sprites.
#if defined(__GNUC__)
#define HIMAWARI_SPAN_INLINE __attribute__((always_inline)) inline
#else
#define HIMAWARI_SPAN_INLINE inline
#endif

// Whole blocks of four through plain loads and stores.
struct TBlock {
    __m128i Load(const uint32_t* p) const { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p)); }
    void Store(uint32_t* p, __m128i v) const { _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v); }
};
// The last one to three pixels of a span in the low lanes, the lanes after them clear; no
// byte outside the span is read or written.
struct TFew {
    __m128i Load(const uint32_t* p) const {
        if (n == 1) return _mm_cvtsi32_si128(static_cast<int32_t>(p[0]));
        const __m128i two = _mm_loadl_epi64(reinterpret_cast<const __m128i*>(p));
        return n == 2 ? two : _mm_unpacklo_epi64(two, _mm_cvtsi32_si128(static_cast<int32_t>(p[2])));
    }
    void Store(uint32_t* p, __m128i v) const {
        if (n == 1) {
            p[0] = static_cast<uint32_t>(_mm_cvtsi128_si32(v));
            return;
        }
        _mm_storel_epi64(reinterpret_cast<__m128i*>(p), v);
        if (n == 3) p[2] = static_cast<uint32_t>(_mm_cvtsi128_si32(_mm_unpackhi_epi64(v, v)));
    }
    int32_t n;
};

// Clear lanes after the pixels of a TFew never make it look opaque, and it stores only
// its pixels either way.
template <bool Modulated, class Access>
HIMAWARI_SPAN_INLINE void OverFour(const Access& io, uint32_t* dst, const uint32_t* src, const TParts& tint) {
    const __m128i alpha = Lanes(0xFF000000);
    __m128i s = io.Load(src);
    TParts parts{};
    if (Modulated) s = Join(parts = Modulate(Split(s), tint));
    const __m128i a = _mm_and_si128(s, alpha);
    if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alpha)) == 0xFFFF)
        io.Store(dst, s);
    else if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) != 0xFFFF)
        io.Store(dst, Over(Modulated ? parts : Split(s), io.Load(dst)));
}

// A span in blocks of four, then the one to three pixels after them.
template <bool Modulated>
HIMAWARI_SPAN_INLINE void OverRest(uint32_t* dst, const uint32_t* src, int32_t n, const TParts& tint) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) OverFour<Modulated>(TBlock{}, dst + i, src + i, tint);
    if (i < n) OverFour<Modulated>(TFew{n - i}, dst + i, src + i, tint);
}
HIMAWARI_SPAN_INLINE void CopyRest(uint32_t* dst, const uint32_t* src, int32_t n, const TParts& tint) {
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) TBlock{}.Store(dst + i, Join(Modulate(Split(TBlock{}.Load(src + i)), tint)));
    if (i < n) {
        const TFew few{n - i};
        few.Store(dst + i, Join(Modulate(Split(few.Load(src + i)), tint)));
    }
}

void CopySpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White)
        std::memcpy(dst, src, static_cast<size_t>(n) * 4);
    else
        CopyRest(dst, src, n, TintOf(diffuse));
}

void OverAny(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White)
        OverRest<false>(dst, src, n, TParts{});
    else
        OverRest<true>(dst, src, n, TintOf(diffuse));
}

} // namespace sse2

#undef HIMAWARI_SPAN_INLINE

constexpr TSpanKernels Sse2{"sse2", sse2::CopySpan, sse2::OverAny};
#endif

#if defined(HIMAWARI_AVX2_SPANS)
// Eight pixels in a register, in the lanes of the SSE2 loops, which also draw the last one to
// seven pixels of a span: the game's sprites are narrow, a span of a few pixels is all tail,
// and masked loads and stores would cost more there than the SSE2 lanes.
namespace avx2 {

#define HIMAWARI_AVX2 __attribute__((target("avx2")))

HIMAWARI_AVX2 inline __m256i Lanes(uint32_t v) {
    return _mm256_set1_epi32(static_cast<int32_t>(v));
}
// Mul255 on sixteen lanes, as the SSE2 loops do it.
HIMAWARI_AVX2 inline __m256i Mul(__m256i x, __m256i y) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}

// Eight pixels taken apart: blue and red, green and alpha, each channel in the low byte of a lane.
struct TParts {
    __m256i rb, ag;
};
HIMAWARI_AVX2 inline TParts Split(__m256i v) {
    return {_mm256_and_si256(v, _mm256_set1_epi16(0xFF)), _mm256_srli_epi16(v, 8)};
}
HIMAWARI_AVX2 inline __m256i Join(const TParts& p) {
    return _mm256_or_si256(p.rb, _mm256_slli_epi16(p.ag, 8));
}
HIMAWARI_AVX2 inline TParts TintOf(uint32_t diffuse) {
    return Split(Lanes(diffuse));
}
HIMAWARI_AVX2 inline TParts Modulate(const TParts& s, const TParts& t) {
    return {Mul(s.rb, t.rb), Mul(s.ag, t.ag)};
}
// Each pixel's alpha in both of its lanes, in one shuffle.
HIMAWARI_AVX2 inline __m256i AlphaLanes(const TParts& s) {
    const __m256i pick = _mm256_setr_epi8(2, -1, 2, -1, 6, -1, 6, -1, 10, -1, 10, -1, 14, -1, 14, -1, 2, -1,
                                          2, -1, 6, -1, 6, -1, 10, -1, 10, -1, 14, -1, 14, -1);
    return _mm256_shuffle_epi8(s.ag, pick);
}
HIMAWARI_AVX2 inline __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
HIMAWARI_AVX2 inline void Store(uint32_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}
HIMAWARI_AVX2 inline __m256i Over(const TParts& s, __m256i dst) {
    const __m256i a = AlphaLanes(s), ia = _mm256_xor_si256(a, _mm256_set1_epi16(255));
    const TParts d = Split(dst);
    return Join(
        {_mm256_add_epi16(Mul(s.rb, a), Mul(d.rb, ia)), _mm256_add_epi16(Mul(s.ag, a), Mul(d.ag, ia))});
}

template <bool Modulated>
HIMAWARI_AVX2 void OverSpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    const TParts tint = TintOf(diffuse);
    const __m256i alpha = Lanes(0xFF000000);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i s = Load(src + i);
        TParts parts{};
        if (Modulated) s = Join(parts = Modulate(Split(s), tint));
        const __m256i a = _mm256_and_si256(s, alpha);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alpha)) == -1)
            Store(dst + i, s);
        else if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_setzero_si256())) != -1)
            Store(dst + i, Over(Modulated ? parts : Split(s), Load(dst + i)));
    }
    if (i < n) sse2::OverRest<Modulated>(dst + i, src + i, n - i, sse2::TintOf(diffuse));
}

HIMAWARI_AVX2 void OverAny(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White)
        OverSpan<false>(dst, src, n, diffuse);
    else
        OverSpan<true>(dst, src, n, diffuse);
}

HIMAWARI_AVX2 void CopySpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White) {
        std::memcpy(dst, src, static_cast<size_t>(n) * 4);
        return;
    }
    const TParts tint = TintOf(diffuse);
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) Store(dst + i, Join(Modulate(Split(Load(src + i)), tint)));
    if (i < n) sse2::CopyRest(dst + i, src + i, n - i, sse2::TintOf(diffuse));
}

#undef HIMAWARI_AVX2

} // namespace avx2

constexpr TSpanKernels Avx2{"avx2", avx2::CopySpan, avx2::OverAny};

bool HasAvx2() {
    return __builtin_cpu_supports("avx2");
}
#endif

} // namespace

const TSpanKernels& PortableSpanKernels() {
    return Portable;
}

std::vector<const TSpanKernels*> RunnableSpanKernels() {
    std::vector<const TSpanKernels*> all{&Portable};
#if defined(__SSE2__)
    all.push_back(&Sse2);
#endif
#if defined(HIMAWARI_AVX2_SPANS)
    if (HasAvx2()) all.push_back(&Avx2);
#endif
    return all;
}

const TSpanKernels& FastestSpanKernels() {
    static const TSpanKernels* const fastest = RunnableSpanKernels().back();
    return *fastest;
}
