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
// Four pixels in a register; as 16-bit lanes two at a time (b, g, r, a, b, g, r, a).
namespace sse2 {

// Mul255 on eight lanes: (t + (t >> 8)) >> 8 equals (t * 257) >> 16 for these t.
inline __m128i Mul(__m128i x, __m128i y) {
    const __m128i t = _mm_add_epi16(_mm_mullo_epi16(x, y), _mm_set1_epi16(128));
    return _mm_mulhi_epu16(t, _mm_set1_epi16(257));
}
inline __m128i Modulate(__m128i s, __m128i diffuse16) {
    const __m128i z = _mm_setzero_si128();
    return _mm_packus_epi16(Mul(_mm_unpacklo_epi8(s, z), diffuse16), Mul(_mm_unpackhi_epi8(s, z), diffuse16));
}
inline __m128i OverHalf(__m128i s, __m128i d) {
    const __m128i a = _mm_shufflehi_epi16(_mm_shufflelo_epi16(s, 0xFF), 0xFF);
    return _mm_add_epi16(Mul(s, a), Mul(d, _mm_xor_si128(a, _mm_set1_epi16(255))));
}
inline __m128i Over(__m128i s, __m128i d) {
    const __m128i z = _mm_setzero_si128();
    return _mm_packus_epi16(OverHalf(_mm_unpacklo_epi8(s, z), _mm_unpacklo_epi8(d, z)),
                            OverHalf(_mm_unpackhi_epi8(s, z), _mm_unpackhi_epi8(d, z)));
}
inline __m128i Diffuse16(uint32_t diffuse) {
    return _mm_unpacklo_epi8(_mm_set1_epi32(static_cast<int32_t>(diffuse)), _mm_setzero_si128());
}
inline __m128i Load(const uint32_t* p) {
    return _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
}
inline void Store(uint32_t* p, __m128i v) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(p), v);
}

template <bool Modulated> void OverSpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    const __m128i d16 = Diffuse16(diffuse), alpha = _mm_set1_epi32(static_cast<int32_t>(0xFF000000));
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) {
        __m128i s = Load(src + i);
        if (Modulated) s = Modulate(s, d16);
        const __m128i a = _mm_and_si128(s, alpha);
        if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, alpha)) == 0xFFFF)
            Store(dst + i, s);
        else if (_mm_movemask_epi8(_mm_cmpeq_epi32(a, _mm_setzero_si128())) != 0xFFFF)
            Store(dst + i, Over(s, Load(dst + i)));
    }
    for (; i < n; ++i) OverOne(dst[i], Modulated ? ModulatePixel(src[i], diffuse) : src[i]);
}

void CopySpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White) {
        std::memcpy(dst, src, static_cast<size_t>(n) * 4);
        return;
    }
    const __m128i d16 = Diffuse16(diffuse);
    int32_t i = 0;
    for (; i + 4 <= n; i += 4) Store(dst + i, Modulate(Load(src + i), d16));
    for (; i < n; ++i) dst[i] = ModulatePixel(src[i], diffuse);
}

void OverAny(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White)
        OverSpan<false>(dst, src, n, diffuse);
    else
        OverSpan<true>(dst, src, n, diffuse);
}

} // namespace sse2

constexpr TSpanKernels Sse2{"sse2", sse2::CopySpan, sse2::OverAny};
#endif

#if defined(HIMAWARI_AVX2_SPANS)
// Eight pixels in a register; the same arithmetic as SSE2 in each 128-bit half.
namespace avx2 {

#define HIMAWARI_AVX2 __attribute__((target("avx2")))

HIMAWARI_AVX2 inline __m256i Mul(__m256i x, __m256i y) {
    const __m256i t = _mm256_add_epi16(_mm256_mullo_epi16(x, y), _mm256_set1_epi16(128));
    return _mm256_mulhi_epu16(t, _mm256_set1_epi16(257));
}
HIMAWARI_AVX2 inline __m256i Modulate(__m256i s, __m256i diffuse16) {
    const __m256i z = _mm256_setzero_si256();
    return _mm256_packus_epi16(Mul(_mm256_unpacklo_epi8(s, z), diffuse16),
                               Mul(_mm256_unpackhi_epi8(s, z), diffuse16));
}
HIMAWARI_AVX2 inline __m256i OverHalf(__m256i s, __m256i d) {
    const __m256i a = _mm256_shufflehi_epi16(_mm256_shufflelo_epi16(s, 0xFF), 0xFF);
    return _mm256_add_epi16(Mul(s, a), Mul(d, _mm256_xor_si256(a, _mm256_set1_epi16(255))));
}
HIMAWARI_AVX2 inline __m256i Over(__m256i s, __m256i d) {
    const __m256i z = _mm256_setzero_si256();
    return _mm256_packus_epi16(OverHalf(_mm256_unpacklo_epi8(s, z), _mm256_unpacklo_epi8(d, z)),
                               OverHalf(_mm256_unpackhi_epi8(s, z), _mm256_unpackhi_epi8(d, z)));
}
HIMAWARI_AVX2 inline __m256i Load(const uint32_t* p) {
    return _mm256_loadu_si256(reinterpret_cast<const __m256i*>(p));
}
HIMAWARI_AVX2 inline void Store(uint32_t* p, __m256i v) {
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(p), v);
}

// Whole blocks of eight here; the rest of the span goes to the SSE2 loop.
template <bool Modulated>
HIMAWARI_AVX2 int32_t OverBlocks(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    const __m256i d16 =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(diffuse)), _mm256_setzero_si256());
    const __m256i alpha = _mm256_set1_epi32(static_cast<int32_t>(0xFF000000));
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) {
        __m256i s = Load(src + i);
        if (Modulated) s = Modulate(s, d16);
        const __m256i a = _mm256_and_si256(s, alpha);
        if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, alpha)) == -1)
            Store(dst + i, s);
        else if (_mm256_movemask_epi8(_mm256_cmpeq_epi32(a, _mm256_setzero_si256())) != -1)
            Store(dst + i, Over(s, Load(dst + i)));
    }
    return i;
}

HIMAWARI_AVX2 void OverAny(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    const int32_t done =
        diffuse == White ? OverBlocks<false>(dst, src, n, diffuse) : OverBlocks<true>(dst, src, n, diffuse);
    sse2::OverAny(dst + done, src + done, n - done, diffuse);
}

HIMAWARI_AVX2 void CopySpan(uint32_t* dst, const uint32_t* src, int32_t n, uint32_t diffuse) {
    if (diffuse == White) {
        std::memcpy(dst, src, static_cast<size_t>(n) * 4);
        return;
    }
    const __m256i d16 =
        _mm256_unpacklo_epi8(_mm256_set1_epi32(static_cast<int32_t>(diffuse)), _mm256_setzero_si256());
    int32_t i = 0;
    for (; i + 8 <= n; i += 8) Store(dst + i, Modulate(Load(src + i), d16));
    sse2::CopySpan(dst + i, src + i, n - i, diffuse);
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
